// Where the Fast formulation and the starting point write their lines.
#pragma once

#include <functional>
#include <string>

namespace vrn
{

struct FastLog
{
    std::function<void(const std::string&)> say;  // standard output and the log
    std::function<void(const std::string&)> warn; // standard error and the log
};

} // namespace vrn
