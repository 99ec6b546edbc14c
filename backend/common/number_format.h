// The back-end's one number formatter: numbers in files that are read back, and numbers in the
// text of the log.
#pragma once

#include <string>

namespace vrn
{

// Parses a whole text as a finite decimal number (leading blanks allowed, nothing after the number; no
// hexadecimal, inf or nan).
bool ParseNumber(const std::string& text, double& value);

// The shortest text that reads back as exactly this double (the .csp and .sol files).
std::string FormatNumber(double value);

// At most `significantDigits` significant digits, printf's %g style (messages).
std::string FormatNumber(double value, int significantDigits);

// Exactly `decimals` digits after the point, printf's %f style (seconds in the log).
std::string FixedPoint(double value, int decimals);

// A number for people to read (the report page and its lines in the log): a whole number in plain
// digits, never in exponent form (1000000, not 1e+06), so that a count table's figures read as counts;
// any other number with ten significant digits.
std::string ReadableNumber(double value);

// A number in the log and on the standard streams: ten significant digits.
inline std::string LogNumber(double value)
{
    return FormatNumber(value, 10);
}

} // namespace vrn
