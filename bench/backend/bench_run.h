// What the back-end benchmarks share: running a program with its output into a file, and
// reading figures back from such files.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace vrn::bench
{

// Runs argv (looked up on PATH) with standard input closed and its standard output, then its
// standard error, written to `log`; returns the wall time in seconds, or -1 when it could not be
// started.
double Run(const std::vector<std::string>& args, const std::filesystem::path& log);

std::string ReadText(const std::filesystem::path& path);

// The last number captured by `pattern` in `text`, or NaN.
double LastMatch(const std::string& text, const std::string& pattern);

} // namespace vrn::bench
