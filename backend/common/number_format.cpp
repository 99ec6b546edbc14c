#include "common/number_format.h"

#include <charconv>
#include <cmath>
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

std::string FixedPoint(double value, int decimals)
{
    char buffer[400]; // %f of the largest double has 309 digits before the point
    std::snprintf(buffer, sizeof buffer, "%.*f", decimals, value);
    return buffer;
}

std::string ReadableNumber(double value)
{
    if (value == 0)
        return "0"; // not "-0"
    // Below 1e15 every whole double is written exactly by %.0f.
    if (value == std::trunc(value) && std::fabs(value) < 1e15)
    {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.0f", value);
        return buffer;
    }
    return FormatNumber(value, 10);
}

} // namespace vrn
