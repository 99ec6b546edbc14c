#include "bench_run.h"

#include "tools/child_process.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <unistd.h>

namespace vrn::bench
{

double Run(const std::vector<std::string>& args, const std::filesystem::path& log)
{
    const ChildResult result = RunChild(args.at(0), args);
    std::ofstream(log) << result.out << result.err;
    return result.status == 127 ? -1 : result.seconds;
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

double LastMatch(const std::string& text, const std::string& pattern)
{
    const std::regex re(pattern);
    double value = NAN;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), re); it != std::sregex_iterator(); ++it)
        value = std::atof((*it)[1].str().c_str());
    return value;
}

std::string HighsProgram()
{
    const char* env = std::getenv("VRN_HIGHS");
    return env != nullptr ? env : "../shared/tools/highs/highs";
}

double HighsObjective(const std::string& highs, const std::string& backend, const std::filesystem::path& csp,
                      const std::filesystem::path& dir, double seconds)
{
    if (highs.empty() || access(highs.c_str(), X_OK) != 0)
        return NAN;
    const std::filesystem::path log = dir / "write.txt";
    Run({backend, csp.string(), dir.string(), "--solver", "b", "--write", "y", "--time", "1"}, log);
    const double scale = LastMatch(ReadText(log), R"(model: Std, [^\n]*scale ([0-9.e+]+))");
    const std::filesystem::path lp = dir / (csp.stem().string() + "_cbc.lp");
    const std::filesystem::path out = dir / "highs.txt";
    // HiGHS writes its own log file, by default into the folder it runs in: keep it with the run's files.
    const std::filesystem::path options = dir / "highs.options";
    std::ofstream(options) << "log_file = " << (dir / "highs.log").string() << "\n";
    Run({highs, "--model_file", lp.string(), "--time_limit", std::to_string(seconds), "--options_file",
         options.string()},
        out);
    return LastMatch(ReadText(out), R"(Primal bound\s+([-0-9.e+]+))") * scale;
}

} // namespace vrn::bench
