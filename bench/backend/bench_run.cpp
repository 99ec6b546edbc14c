#include "bench_run.h"

#include "tools/child_process.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

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

} // namespace vrn::bench
