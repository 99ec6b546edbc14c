// The back-end's one number formatter: numbers in files that are read back, and numbers in the
// text of the log.
#pragma once

#include <string>

namespace vrn
{

// The shortest text that reads back as exactly this double (the .csp and .sol files).
std::string FormatNumber(double value);

// At most `significantDigits` significant digits, printf's %g style (messages).
std::string FormatNumber(double value, int significantDigits);

// A number in the log and on the standard streams: ten significant digits.
inline std::string LogNumber(double value)
{
    return FormatNumber(value, 10);
}

} // namespace vrn
