// The options the command line takes: each name with the setter that reads its value.
#pragma once

#include "cli/option_values.h"

#include <string>

namespace vrn::cli
{

struct OptionRule
{
    const char* name;
    Setter set;
};

// The rule of the option `name` ("--solver"), or nullptr for a name the parser does not take.
const OptionRule* FindRule(const std::string& name);

} // namespace vrn::cli
