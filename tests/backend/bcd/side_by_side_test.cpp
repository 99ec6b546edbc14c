#include "backend_test_tables.h"
#include "bcd/side_by_side.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

namespace
{

using Table = std::vector<double>;

double Sum(const Table& table)
{
    return std::accumulate(table.begin(), table.end(), 0.0);
}

// The blocks of a group taken into an incumbent whose weighted change is the sum of its values: a table
// is taken when it changes less and holds no forbidden value (what the solution check would refuse).
struct TakeCase
{
    std::string name;
    std::vector<Table> tables; // one per block; empty: the block found none
    double forbidden;          // a value no taken table may hold
    std::vector<char> taken, combined;
    Table incumbent; // afterwards
};

TEST(SideBySide, TheBestTableFirstThenTheOthersChangesAdded)
{
    const Table base = {5, 5, 5};
    const std::vector<TakeCase> cases = {
        {"both gains add up", {{4, 5, 5}, {5, 3, 5}}, -1, {1, 1}, {1, 0}, {4, 3, 5}},
        {"the best refused: the next offered as it is", {{4, 5, 5}, {5, 3, 5}}, 3, {1, 0}, {0, 0}, {4, 5, 5}},
        {"a sum the check refuses is not taken", {{5, 4, 5}, {5, 3, 5}}, 2, {0, 1}, {1, 0}, {5, 3, 5}},
        {"a block without a table is passed over", {{}, {5, 5, 4}}, -1, {0, 1}, {0, 0}, {5, 5, 4}},
        {"no table better than the incumbent", {{6, 5, 5}, {5, 5, 5}}, -1, {0, 0}, {0, 0}, {5, 5, 5}},
    };
    for (const TakeCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        Table incumbent = base;
        std::vector<double> objectives;
        for (const Table& table : c.tables)
            objectives.push_back(table.empty() ? 0 : Sum(table));
        const auto offer = [&](const Table& table)
        {
            for (const double value : table)
                if (value == c.forbidden)
                    return false;
            if (Sum(table) >= Sum(incumbent))
                return false;
            incumbent = table;
            return true;
        };
        const std::vector<vrn::SideBySideTake> takes = vrn::TakeSideBySide(
            base, c.tables, objectives, offer, [&]() -> const Table& { return incumbent; });
        ASSERT_EQ(takes.size(), c.tables.size());
        for (size_t k = 0; k < takes.size(); ++k)
        {
            EXPECT_EQ(takes[k].taken, c.taken[k] != 0) << "block " << k;
            EXPECT_EQ(takes[k].combined, c.combined[k] != 0) << "block " << k;
        }
        EXPECT_EQ(incumbent, c.incumbent);
    }
}

// A block whose child stalled is solved here (unless the run stopped); one whose child died gives no
// result and is not solved here: the solver failed on it and would abort this process too.
TEST(SideBySide, AStalledChildsBlockIsSolvedHereADeadOnesIsNot)
{
    using Way = vrn::test::MisbehavesInAChild::Way;
    const vrn::MipModel oneRow = vrn::test::OneRowModel();
    const std::vector<vrn::SideBySideBlock> blocks(3, vrn::SideBySideBlock{&oneRow, {}});
    struct Case
    {
        Way way;
        bool stop;
        std::vector<size_t> solvedHere;
    } cases[] = {{Way::Stalls, false, {0, 1, 2}}, {Way::Stalls, true, {0}}, {Way::Dies, false, {0}}};
    for (const Case& c : cases)
    {
        vrn::test::MisbehavesInAChild solver(c.way);
        std::vector<size_t> solvedHere;
        vrn::SideBySideChildren children;
        const auto results = vrn::SolveSideBySide(
            blocks, solver, children, 30,
            [&](size_t k)
            {
                solvedHere.push_back(k);
                vrn::SolveResult result;
                result.status = vrn::SolveStatus::Optimal;
                result.objective = static_cast<double>(k);
                return result;
            },
            [&] { return c.stop && !solvedHere.empty(); });
        const std::string name =
            std::string(c.way == Way::Dies ? "dies" : "stalls") + (c.stop ? ", stopped" : "");
        ASSERT_EQ(results.size(), 3u);
        EXPECT_EQ(solvedHere, c.solvedHere) << name;
        for (size_t k = 0; k < 3; ++k)
            EXPECT_EQ(results[k].has_value(), k < c.solvedHere.size() && c.solvedHere[k] == k)
                << name << ", block " << k;
    }
}

} // namespace
