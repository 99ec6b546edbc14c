#include "bcd/side_by_side.h"

#include "bcd/forked_solve.h"
#include "model/checks.h"

#include <algorithm>

namespace vrn
{

std::vector<std::optional<SolveResult>> SolveSideBySide(const std::vector<SideBySideBlock>& blocks,
                                                        SolverAdapter& solver, SideBySideChildren& children,
                                                        double childSeconds,
                                                        const std::function<SolveResult(size_t)>& solveHere,
                                                        const std::function<bool()>& stopped)
{
    while (children.size() < blocks.size())
        children.push_back(std::make_unique<ForkedSolve>());
    std::vector<char> forked(blocks.size(), 0);
    for (size_t k = 1; k < blocks.size(); ++k)
        forked[k] = children[k]->Start(*blocks[k].model, solver, blocks[k].params, childSeconds);
    std::vector<std::optional<SolveResult>> results(blocks.size());
    if (!blocks.empty())
        results[0] = solveHere(0);
    const double wait = (childSeconds > 0 ? childSeconds : 1e9) + 10;
    for (size_t k = 1; k < blocks.size(); ++k)
    {
        if (forked[k])
        {
            results[k] = children[k]->Finish(stopped, wait);
            // A child that stalled (a lock it inherited) has its block solved here instead. One that died
            // gives nothing: the solver itself failed on the block (an assertion in CLP under SYMPHONY
            // aborted one), and solving it here would abort the run. One out of its time is not solved twice.
            if (children[k]->LastEnd() != ForkedSolve::End::Stalled)
                continue;
        }
        if (!results[k] && !stopped())
            results[k] = solveHere(k);
    }
    return results;
}

std::vector<double> WithChangeAdded(const std::vector<double>& incumbent, const std::vector<double>& table,
                                    const std::vector<double>& base)
{
    std::vector<double> combined = incumbent;
    for (size_t c = 0; c < combined.size(); ++c)
        combined[c] += table[c] - base[c];
    return combined;
}

std::vector<SideBySideTake> TakeSideBySide(const std::vector<double>& base,
                                           const std::vector<std::vector<double>>& tables,
                                           const std::vector<double>& objectives,
                                           const std::function<bool(const std::vector<double>&)>& offer,
                                           const std::function<const std::vector<double>&()>& incumbent)
{
    std::vector<size_t> order;
    for (size_t k = 0; k < tables.size(); ++k)
        if (!tables[k].empty())
            order.push_back(k);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return objectives[a] < objectives[b]; });
    std::vector<SideBySideTake> takes(tables.size());
    bool anyTaken = false;
    for (const size_t k : order)
    {
        if (!anyTaken)
        {
            anyTaken = takes[k].taken = offer(tables[k]);
            continue;
        }
        takes[k].combined = true;
        takes[k].taken = offer(WithChangeAdded(incumbent(), tables[k], base));
    }
    return takes;
}

std::vector<BcdStep> TakeGroupTables(DescentIncumbent& best, const Instance& instance,
                                     std::vector<BcdStep> steps,
                                     const std::vector<std::vector<double>>& tables)
{
    const double startObjective = best.Objective();
    const std::vector<double> base = best.Table(); // the incumbent changes as tables are taken
    std::vector<double> objectives;
    for (size_t k = 0; k < steps.size(); ++k)
    {
        steps[k].hasTable = !tables[k].empty();
        steps[k].blockObjective = steps[k].hasTable ? WeightedChange(instance, tables[k]) : 0;
        objectives.push_back(steps[k].blockObjective);
    }
    const std::vector<SideBySideTake> takes = TakeSideBySide(
        base, tables, objectives,
        [&](const std::vector<double>& table)
        { return best.AcceptIfBetter(table, WeightedChange(instance, table)); },
        [&]() -> const std::vector<double>& { return best.Table(); });
    for (size_t k = 0; k < steps.size(); ++k)
    {
        steps[k].improved = takes[k].taken;
        steps[k].notAdded = takes[k].combined && !takes[k].taken && steps[k].blockObjective < startObjective;
    }
    return steps;
}

} // namespace vrn
