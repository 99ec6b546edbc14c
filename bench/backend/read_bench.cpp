// Reading speed of the .csp reader on a generated table of 1,000,000 cells (999 x 999 with margins).
// Goal: under 1 s.
#include "instance/instance.h"
#include "tools/table_generator.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

int main(int argc, char** argv)
{
    const int side = argc > 1 ? std::atoi(argv[1]) : 999;
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(side), vrn::Dimension::Flat(side)};
    settings.maxValue = 999999;
    const vrn::Instance table = vrn::GenerateTable(settings);
    const auto path = std::filesystem::temp_directory_path() / "vrn_read_bench.csp";
    {
        std::ofstream out(path);
        const auto start = std::chrono::steady_clock::now();
        vrn::WriteInstance(out, table);
        out.close();
        std::printf("write: %.3f s\n",
                    std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    }
    const double megabytes = static_cast<double>(std::filesystem::file_size(path)) / 1e6;
    double best = 1e9;
    for (int run = 0; run < 3; ++run)
    {
        const auto start = std::chrono::steady_clock::now();
        const vrn::ReadResult read = vrn::ReadInstanceFile(path.string(), false);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (!read.errors.empty() || read.instance.cells.size() != table.cells.size())
        {
            std::fprintf(stderr, "read failed\n");
            return 1;
        }
        best = std::min(best, seconds);
    }
    std::printf("read %zu cells, %zu relations, %.1f MB: best of 3 %.3f s, %.0f MB/s (goal: under 1 s)\n",
                table.cells.size(), table.RelationCount(), megabytes, best, megabytes / best);
    std::filesystem::remove(path);
    return 0;
}
