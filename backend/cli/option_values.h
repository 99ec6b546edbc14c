// The values an option takes, each read by a setter that stores it into the options or says what the
// option accepts. The option table (option_table.cpp) gives each option its setter.
#pragma once

#include "cli/options.h"

#include <functional>
#include <string>

namespace vrn::cli
{

// Returns an empty string on success, else what the option accepts.
using Setter = std::function<std::string(BackendOptions&, const std::string&)>;

// One letter of `accepted`, handed to `apply`.
Setter Letter(const char* accepted, std::function<void(BackendOptions&, char)> apply);

// y or n into `member`.
Setter YesNo(bool BackendOptions::*member);

// A number within [min, max] (the lower end excluded when strictMin), stored into member; `what` says
// what the option accepts. Every number has an upper end too: a value far beyond any sensible one (a
// time limit of centuries, a progress interval that overflows the clock) is refused rather than
// obeyed wrongly.
Setter Number(double BackendOptions::*member, double min, bool strictMin, double max, const char* what);

// A whole number that is checked and not kept (an option of other solvers, accepted and ignored).
Setter Integer(const char* what);

// Any text, kept as it is (a file's path).
Setter Path(std::string BackendOptions::*member);

// --order: objective numbers 1 to 4 joined by '-', each at most once.
std::string SetOrder(BackendOptions& o, const std::string& v);

// --seed: a whole number that fits an int.
std::string SetSeed(BackendOptions& o, const std::string& v);

} // namespace vrn::cli
