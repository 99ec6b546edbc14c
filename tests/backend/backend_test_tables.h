// Small tables and helpers that several of the back-end's unit tests share.
#pragma once

#include "cli/layer_settings.h"
#include "common/run_log.h"
#include "instance/cell_rules.h"
#include "instance/instance.h"
#include "solvers/solver_adapter.h"
#include "tools/table_generator.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

namespace vrn::test
{

// A table from .csp text, which must read without errors.
inline vrn::Instance Text(const std::string& text)
{
    const vrn::ReadResult read = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(read.errors.empty()) << (read.errors.empty() ? "" : read.errors[0].message);
    return read.instance;
}

// The same, under the name the conflict and repair tests give it.
inline vrn::Instance Parse(const std::string& text)
{
    return Text(text);
}

inline vrn::Instance Grid(int rows, int cols, double sensitivePercent, uint64_t seed = 5)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(rows), vrn::Dimension::Flat(cols)};
    settings.sensitivePercent = sensitivePercent;
    settings.maxValue = 999;
    settings.seed = seed;
    return vrn::GenerateTable(settings);
}

inline std::vector<int32_t> SensitiveCells(const vrn::Instance& table)
{
    std::vector<int32_t> cells;
    for (size_t i = 0; i < table.cells.size(); ++i)
        if (vrn::NeedsProtection(table.cells[i]))
            cells.push_back(static_cast<int32_t>(i));
    return cells;
}

// A one-row table: total 0 = 1 + 2, cell 1 sensitive.
inline vrn::Instance Row(char status1 = 'u', double lpl = 1, double upl = 2, double ub = 100)
{
    const std::string text = "0 3\n0 10 1 s 0 100 0 0 0\n1 4 1 " + std::string(1, status1) + " 0 " +
                             std::to_string(ub) + " " + std::to_string(lpl) + " " + std::to_string(upl) +
                             " 0\n2 6 1 s 0 100 0 0 0\n1\n0 3 : 0 (-1) 1 (1) 2 (1)\n";
    auto r = vrn::ReadInstanceText(text, false);
    EXPECT_TRUE(r.errors.empty());
    return r.instance;
}

inline vrn::Instance Read(const std::string& path)
{
    const vrn::ReadResult read = vrn::ReadInstanceFile(path, false);
    EXPECT_TRUE(read.errors.empty()) << path;
    return read.instance;
}

inline std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const auto& line : lines)
        text += line + "\n";
    return text;
}

inline void ExpectSame(const vrn::Instance& a, const vrn::Instance& b)
{
    ASSERT_EQ(a.cells.size(), b.cells.size());
    for (size_t i = 0; i < a.cells.size(); ++i)
    {
        const auto &x = a.cells[i], &y = b.cells[i];
        EXPECT_EQ(x.value, y.value);
        EXPECT_EQ(x.cost, y.cost);
        EXPECT_EQ(x.status, y.status);
        EXPECT_EQ(x.lb, y.lb);
        EXPECT_EQ(x.ub, y.ub);
        EXPECT_EQ(x.lpl, y.lpl);
        EXPECT_EQ(x.upl, y.upl);
        EXPECT_EQ(x.spl, y.spl);
    }
    EXPECT_EQ(a.rhs, b.rhs);
    EXPECT_EQ(a.termStart, b.termStart);
    EXPECT_EQ(a.termCell, b.termCell);
    EXPECT_EQ(a.termCoef, b.termCoef);
}

inline vrn::FastSettings Settings(const vrn::Instance& table, double pct, bool withMax)
{
    vrn::FastSettings settings;
    settings.scale = vrn::AutomaticScale(table);
    settings.pctBounds = pct;
    settings.withMaxObjective = withMax;
    return settings;
}

inline vrn::SolveParams Simplex()
{
    vrn::SolveParams params;
    params.simplex = true;
    return params;
}

struct Logged
{
    std::string said, warned;
    vrn::RunLog log{[this](const std::string& l) { said += l + "\n"; },
                    [this](const std::string& l) { warned += l + "\n"; }};
};

// One integer column in one row: a model to hand a solver when only its process matters.
inline vrn::MipModel OneRowModel()
{
    vrn::MipModel model;
    model.AddColumn(0, 1, 1, true, "x");
    model.AddRow(0, 1, {{0, 1.0}}, "r");
    return model;
}

// A solver that answers in the test's own process (every column at 0) and, in a child process,
// either waits for ever without using the processor (as a child stuck on a lock does) or dies.
class MisbehavesInAChild : public vrn::SolverAdapter
{
public:
    enum class Way
    {
        Stalls,
        Dies
    };
    explicit MisbehavesInAChild(Way way) : m_way(way) {}
    std::string Name() const override { return "misbehaves in a child"; }
    bool SolvesIntegerPrograms() const override { return true; }
    vrn::SolveResult Solve(const vrn::MipModel& model, const vrn::SolveParams&, vrn::RunControl&) override
    {
        if (getpid() != m_parent)
        {
            if (m_way == Way::Dies)
                _exit(1);
            for (;;)
                pause();
        }
        vrn::SolveResult result;
        result.status = vrn::SolveStatus::Optimal;
        result.solution.assign(model.ColumnCount(), 0);
        return result;
    }

private:
    Way m_way;
    pid_t m_parent = getpid();
};

} // namespace vrn::test
