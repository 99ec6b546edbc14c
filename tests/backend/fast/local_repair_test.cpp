// The local repair of a table that adds up but leaves sensitive cells short of their protection: the
// short cells protected, and no cell outside their relations changed.
#include "backend_test_tables.h"
#include "fast/local_repair.h"
#include "model/checks.h"
#include "solvers/cbc_solver.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using vrn::test::Text;

// Relation 1: T (2) = a (1) + b (1) + an empty cell; relation 2: A (1) = a + an empty cell. Every free
// cell is sensitive, protected down to 0 or up to 3. Worked out by hand, the directions (T, a, b, A)
// that a table meets are DDDD, UUUU, UUDU and UDUD: T down by 2 needs a and b down to 0; T up needs a
// part up by 2 or more; A moves exactly as a.
const char* const kBalanced = "0\n6\n"
                              "0 2 1 u 0 100 2 1 0\n" // T
                              "1 1 1 u 0 100 1 2 0\n" // a
                              "2 1 1 u 0 100 1 2 0\n" // b
                              "3 0 1 z 0 0 0 0 0\n"   // empty
                              "4 1 1 u 0 100 1 2 0\n" // A
                              "5 0 1 z 0 0 0 0 0\n"   // empty
                              "2\n"
                              "0 4 : 0 (-1) 1 (1) 2 (1) 3 (1)\n"
                              "0 3 : 4 (-1) 1 (1) 5 (1)\n";
const int kSensitive[] = {0, 1, 2, 4};

TEST(LocalRepair, ProtectsTheShortCellsOfATableThatAddsUpAndChangesNothingFar)
{
    // Two copies of the balanced table side by side (cells 6 to 11 the second): the first copy at its
    // original values (every sensitive cell short), the second already protected (all down to 0).
    const vrn::Instance one = Text(kBalanced);
    vrn::Instance table = one;
    for (const vrn::Cell& c : one.cells)
        table.cells.push_back(c);
    for (size_t r = 0; r < one.RelationCount(); ++r)
    {
        std::vector<std::pair<int32_t, double>> terms;
        for (int64_t t = one.termStart[r]; t < one.termStart[r + 1]; ++t)
            terms.emplace_back(one.termCell[t] + 6, one.termCoef[t]);
        table.AddRelation(0, terms);
    }
    std::vector<double> adjusted;
    for (const vrn::Cell& c : table.cells)
        adjusted.push_back(c.value);
    for (const int k : kSensitive)
        adjusted[k + 6] = 0;
    adjusted[6] = 0; // T of the second copy, down by 2 with its parts
    vrn::StdModelSettings std;
    const vrn::StdModel whole = vrn::BuildStdModel(table, std);
    auto cbc = vrn::MakeCbcSolver();
    vrn::RunControl control(-1);
    const vrn::LocalRepairResult repaired =
        vrn::RepairLocally(table, whole, adjusted, {0, 1, 2, 4}, *cbc, vrn::SolveParams{}, control, {});
    EXPECT_TRUE(repaired.stillShort.empty());
    EXPECT_GE(repaired.programs, 1);
    EXPECT_TRUE(vrn::CheckSolution(table, repaired.adjusted, true, false, 1e-6).passed);
    for (int i = 6; i < 12; ++i)
        EXPECT_EQ(repaired.adjusted[i], adjusted[i])
            << "cell " << i << " lies in no relation of the short cells";
}

} // namespace
