// Where every layer of a run writes its lines: standard output and the log, standard error and the log.
#pragma once

#include <functional>
#include <string>

namespace vrn
{

struct RunLog
{
    std::function<void(const std::string&)> say;  // standard output and the log
    std::function<void(const std::string&)> warn; // standard error and the log
};

} // namespace vrn
