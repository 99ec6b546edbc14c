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

// HiGHS, a program of its own that no test and no build needs: VRN_HIGHS, else
// ../shared/tools/highs/highs (from the repository's folder).
std::string HighsProgram();

// HiGHS's best table on the Std model's LP file of `csp` (written by the back-end `backend` with
// --write y into `dir`) within `seconds`, in table units (its objective times the model's scale); NaN
// when HiGHS cannot be run or found nothing.
double HighsObjective(const std::string& highs, const std::string& backend, const std::filesystem::path& csp,
                      const std::filesystem::path& dir, double seconds);

} // namespace vrn::bench
