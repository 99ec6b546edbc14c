#include "bcd/side_by_side.h"

#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <unistd.h>
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

// A solver whose children die without an answer (as a child that inherited a broken state may).
class DiesInAChild : public vrn::SolverAdapter
{
public:
    std::string Name() const override { return "dies"; }
    bool SolvesIntegerPrograms() const override { return true; }
    vrn::SolveResult Solve(const vrn::MipModel&, const vrn::SolveParams&, vrn::RunControl&) override
    {
        if (getpid() != m_parent)
            _exit(1);
        return {};
    }

private:
    pid_t m_parent = getpid();
};

TEST(SideBySide, ABlockWhoseChildDiedIsSolvedHereUnlessTheRunStopped)
{
    vrn::MipModel oneRow;
    oneRow.AddColumn(0, 1, 1, true, "x");
    oneRow.AddRow(0, 1, {{0, 1.0}}, "r");
    DiesInAChild dies;
    const std::vector<vrn::SideBySideBlock> blocks(3, vrn::SideBySideBlock{&oneRow, {}});
    for (const bool stop : {false, true})
    {
        std::vector<size_t> solvedHere;
        const auto results = vrn::SolveSideBySide(
            blocks, dies, 30,
            [&](size_t k)
            {
                solvedHere.push_back(k);
                vrn::SolveResult result;
                result.status = vrn::SolveStatus::Optimal;
                result.objective = static_cast<double>(k);
                return result;
            },
            [&] { return stop && !solvedHere.empty(); });
        ASSERT_EQ(results.size(), 3u);
        const std::vector<size_t> expected = stop ? std::vector<size_t>{0} : std::vector<size_t>{0, 1, 2};
        EXPECT_EQ(solvedHere, expected) << (stop ? "stopped" : "running");
        for (size_t k = 0; k < 3; ++k)
            EXPECT_EQ(results[k].has_value(), !stop || k == 0) << "block " << k;
    }
}

} // namespace
