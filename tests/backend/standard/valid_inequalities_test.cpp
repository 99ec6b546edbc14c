// The valid inequalities never cut off a protected table (every choice of directions of small tables is
// solved without them, with the least change and with random costs, and each table satisfies every
// inequality), they raise the relaxation's bound, and the integer optimum stays where it was.
#include "fast/starting_point.h"
#include "instance/cell_rules.h"
#include "solvers/cbc_solver.h"
#include "solvers/clp_solver.h"
#include "solvers/solve_model.h"
#include "standard/valid_inequalities.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace
{

struct Table
{
    std::string name;
    vrn::Instance instance;
    bool additive = true;
};

vrn::Instance Generated(std::vector<vrn::Dimension> dimensions, double sensitivePercent, uint64_t seed)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = std::move(dimensions);
    settings.sensitivePercent = sensitivePercent;
    settings.protectionPercent = 30;
    settings.seed = seed;
    return vrn::GenerateTable(settings);
}

std::vector<Table> SmallTables()
{
    std::vector<Table> tables;
    tables.push_back({"4x4", Generated({vrn::Dimension::Flat(4), vrn::Dimension::Flat(4)}, 40, 2)});
    tables.push_back(
        {"3x3x2",
         Generated({vrn::Dimension::Flat(3), vrn::Dimension::Flat(3), vrn::Dimension::Flat(2)}, 30, 5)});
    tables.push_back({"grouped", Generated({vrn::Dimension::Grouped(2, 2), vrn::Dimension::Flat(3)}, 40, 7)});
    // A table that does not add up: relations as written (the residual helps one way) and residuals kept.
    vrn::Instance off = Generated({vrn::Dimension::Flat(3), vrn::Dimension::Flat(4)}, 40, 11);
    off.cells[6].value += 3; // inner cells changed, their totals not
    off.cells[13].value -= 2;
    tables.push_back({"residuals as written", off, true});
    tables.push_back({"residuals kept", off, false});
    return tables;
}

std::vector<int> SensitiveCells(const vrn::Instance& instance)
{
    std::vector<int> cells;
    for (size_t i = 0; i < instance.cells.size(); ++i)
        if (vrn::NeedsProtection(instance.cells[i]))
            cells.push_back(static_cast<int>(i));
    return cells;
}

vrn::StdModel Model(const Table& table, vrn::StdModelKind kind = vrn::StdModelKind::Classical,
                    std::vector<vrn::Direction> directions = {})
{
    vrn::StdModelSettings settings;
    settings.additive = table.additive;
    settings.kind = kind;
    settings.directions = std::move(directions);
    return vrn::BuildStdModel(table.instance, settings);
}

TEST(ValidInequalities, NoProtectedTableOfSmallTablesIsCutOff)
{
    auto clp = vrn::MakeClpSolver();
    std::mt19937 random(1);
    for (const Table& table : SmallTables())
    {
        const std::vector<int> sensitive = SensitiveCells(table.instance);
        ASSERT_GE(sensitive.size(), 3u) << table.name;
        ASSERT_LE(sensitive.size(), 10u) << table.name;
        const vrn::StdModel full = Model(table);
        auto inequalities = vrn::CompensationInequalities(table.instance, full, table.additive);
        ASSERT_FALSE(inequalities.empty()) << table.name;
        // Every cell counted through its other relations: the other extreme of the same family.
        const auto chains =
            vrn::CompensationInequalities(table.instance, full, table.additive, [](int) { return true; });
        ASSERT_FALSE(chains.empty()) << table.name;
        inequalities.insert(inequalities.end(), chains.begin(), chains.end());
        int checked = 0;
        for (uint32_t mask = 0; mask < (1u << sensitive.size()); ++mask)
        {
            std::vector<vrn::Direction> directions(table.instance.cells.size(), vrn::Direction::Free);
            for (size_t k = 0; k < sensitive.size(); ++k)
                directions[sensitive[k]] = (mask >> k) & 1 ? vrn::Direction::Up : vrn::Direction::Down;
            vrn::StdModel fixed = Model(table, vrn::StdModelKind::Classical, directions);
            for (int variant = 0; variant < 2; ++variant)
            {
                if (variant == 1) // another protected table: random costs lead to another vertex
                    for (double& cost : fixed.mip.cost)
                        cost = std::uniform_real_distribution<double>(0.1, 3)(random);
                vrn::RunControl control(30);
                vrn::SolveParams params;
                const vrn::SolveResult lp = vrn::SolveModel(fixed.mip, *clp, params, control);
                if (lp.status != vrn::SolveStatus::Optimal)
                    continue; // these directions cannot be met
                const std::vector<double> adjusted = fixed.AdjustedValues(table.instance, lp.solution);
                std::vector<double> columns = vrn::StdColumnsOf(table.instance, full, adjusted);
                for (const int i : sensitive)
                    columns[full.colDir[i]] = directions[i] == vrn::Direction::Up ? 1 : 0;
                std::vector<size_t> which;
                const vrn::Violations v = vrn::ViolatedBy(inequalities, columns, 1e-7, &which);
                EXPECT_EQ(v.count, 0)
                    << table.name << " directions " << mask << ": cell "
                    << inequalities[which.empty() ? 0 : which[0]].cell << " relation "
                    << inequalities[which.empty() ? 0 : which[0]].relation + 1 << " by " << v.largest;
                ++checked;
            }
        }
        EXPECT_GT(checked, 4) << table.name; // most direction choices give a protected table
    }
}

// The relaxation's optimum without and with the inequalities, and the integer optimum with CBC.
struct Bounds
{
    double before = 0, after = 0, optimum = 0, optimumWith = 0;
    int added = 0;
};

Bounds Measure(const Table& table, vrn::StdModelKind kind)
{
    auto clp = vrn::MakeClpSolver();
    auto cbc = vrn::MakeCbcSolver();
    vrn::SolveParams params;
    params.mipGapPercent = 0;
    Bounds bounds;
    vrn::StdModel plain = Model(table, kind);
    vrn::RunControl control(60);
    bounds.optimum = vrn::SolveModel(plain.mip, *cbc, params, control).objective * plain.scale;
    vrn::StdModel model = Model(table, kind);
    const auto report = vrn::ApplyValidInequalities(table.instance, model, table.additive, true, *clp, params,
                                                    control, [](const std::string&) {});
    bounds.before = report.boundBefore;
    bounds.after = report.boundAfter;
    bounds.added = report.added;
    bounds.optimumWith = vrn::SolveModel(model.mip, *cbc, params, control).objective * model.scale;
    return bounds;
}

TEST(ValidInequalities, TheyRaiseTheBoundAndKeepTheOptimum)
{
    std::vector<Table> tables = SmallTables();
    tables.push_back({"10x10", Generated({vrn::Dimension::Flat(10), vrn::Dimension::Flat(10)}, 10, 3)});
    for (const Table& table : tables)
        for (const auto kind : {vrn::StdModelKind::Classical, vrn::StdModelKind::New})
        {
            const Bounds b = Measure(table, kind);
            const std::string name =
                table.name + (kind == vrn::StdModelKind::New ? " (New)" : " (Classical)");
            EXPECT_GT(b.added, 0) << name;
            EXPECT_GT(b.after, b.before * 1.05) << name << ": " << b.before << " -> " << b.after;
            EXPECT_LE(b.after, b.optimum * (1 + 1e-7)) << name;
            EXPECT_NEAR(b.optimumWith, b.optimum, 1e-6 * b.optimum) << name;
        }
}

TEST(ValidInequalities, ThreeByThreeTableGetsTheBoundOfItsProtection)
{
    // Cell 11 (40, levels 5) of the example: the relaxation moves it nowhere and pays 5.
    vrn::Instance table = Generated({vrn::Dimension::Flat(3), vrn::Dimension::Flat(3)}, 0, 1);
    table.cells[11].status = 'u';
    table.cells[11].lpl = table.cells[11].upl = 5;
    const Bounds b = Measure({"3x3", table, true}, vrn::StdModelKind::Classical);
    EXPECT_NEAR(b.before, 5, 1e-6);
    // Row and column absorb 5 each: 15 at least.
    EXPECT_GE(b.after, 15 - 1e-6);
    EXPECT_LE(b.after, 20 + 1e-6);
    EXPECT_NEAR(b.optimum, 20, 1e-6);
}

} // namespace
