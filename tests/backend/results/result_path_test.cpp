// The base name of a run's result files, as the front-end names them.
#include "contract/solver_codes.h"
#include "results/result_path.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

struct PathCase
{
    const char* folder;
    const char* instance;
    char solver;
    const char* expected;
};

TEST(ResultBasePath, FollowsTheFrontEndsRule)
{
    const std::vector<PathCase> cases = {
        {"/runs", "/data/tab1.csp", 'c', "/runs/tab1_cplex"},
        {"/runs/", "/data/tab1.csp", 'x', "/runs/tab1_xpress"},
        {"runs", "tab1.csp", 'g', "runs/tab1_glpk"},
        {"runs", "tab1.csp", 'b', "runs/tab1_cbc"},
        {"runs", "tab1.csp", 'l', "runs/tab1_clp"},
        {"runs", "tab1.csp", 's', "runs/tab1_sym"},
        {"", "/data/tab1.csp", 'b', "tab1_cbc"},
        {"out", "/d/tab.2015.csp", 'b', "out/tab.2015_cbc"},
        {"out", "/d.x/tab", 'b', "out/tab_cbc"},
        {"out", "dir\\tab.csp", 'b', "out/dir\\tab_cbc"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(vrn::ResultBasePath(c.folder, c.instance, vrn::SolverSuffix(c.solver), '/'), c.expected)
            << c.folder << " " << c.instance;
}

TEST(ResultBasePath, BackslashVariantAsOnWindows)
{
    EXPECT_EQ(vrn::ResultBasePath("D:\\runs", "E:\\data\\tab1.csp", vrn::SolverSuffix('c'), '\\'),
              "D:\\runs\\tab1_cplex");
    EXPECT_EQ(vrn::ResultBasePath("C:/runs/", "E:/data/tab1.csp", vrn::SolverSuffix('c'), '\\'),
              "C:/runs/\\E:/data/tab1_cplex");
}

} // namespace
