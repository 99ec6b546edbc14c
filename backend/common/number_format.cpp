#include "common/number_format.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vrn
{

namespace
{

// Digits with an optional sign, decimal point and exponent: the forms a person writes. strtod alone
// would also take hexadecimal ("0x10"), "inf" and "nan".
bool IsDecimalNumber(const char* p)
{
    auto digits = [&p]
    {
        const char* start = p;
        while (*p >= '0' && *p <= '9')
            ++p;
        return p != start;
    };
    if (*p == '+' || *p == '-')
        ++p;
    bool mantissa = digits();
    if (*p == '.')
    {
        ++p;
        mantissa = digits() || mantissa;
    }
    if (!mantissa)
        return false;
    if (*p == 'e' || *p == 'E')
    {
        ++p;
        if (*p == '+' || *p == '-')
            ++p;
        if (!digits())
            return false;
    }
    return *p == '\0';
}

} // namespace

bool ParseNumber(const std::string& text, double& value)
{
    const char* begin = text.c_str();
    while (*begin == ' ' || *begin == '\t')
        ++begin;
    if (*begin == '\0' || !IsDecimalNumber(begin))
        return false;
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(begin, &end);
    if (end == begin || *end != '\0' || errno == ERANGE || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

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
