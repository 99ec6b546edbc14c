#include "common/number_format.h"

#include <charconv>
#include <cstdio>

namespace vrn
{

std::string FormatNumber(double value)
{
    char buffer[32];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return ec == std::errc() ? std::string(buffer, ptr) : std::string("nan");
}

std::string FormatNumber(double value, int significantDigits)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.*g", significantDigits, value);
    return buffer;
}

} // namespace vrn
