#include "fast/mend_directions.h"

#include "fast/local_repair.h"
#include "instance/cell_rules.h"
#include "solvers/solve_model.h"

#include <algorithm>
#include <cmath>

namespace vrn
{

namespace
{

// The elastic model's point: relations and bounds held, a table of least change that falls short where
// it must. Empty when even the relations and bounds cannot hold.
std::vector<double> ElasticTable(const Instance& instance, const FastSettings& settings,
                                 const DirectionChoice& choice, SolverAdapter& lp, const SolveParams& params,
                                 RunControl& control, std::vector<int>& shortCells)
{
    const ElasticModel elastic = BuildElasticModel(instance, settings, choice, ElasticPricing::Costs);
    SolveParams linear = params;
    linear.start.clear();
    linear.firstFeasible = false;
    linear.lpMethodByShape = true;
    // Its point only says which cells fall short and gives the table the programs start from: any optimal
    // point serves, not only a vertex. On a 99,561-cell count table CLP's barrier took 2.3 s and the
    // crossover after it 7 s more.
    linear.crossover = false;
    const SolveResult result = SolveModel(elastic.base.mip, lp, linear, control);
    if (result.solution.size() != static_cast<size_t>(elastic.base.mip.ColumnCount()))
        return {};
    shortCells = ShortCells(elastic, result.solution);
    return elastic.base.AdjustedValues(instance, result.solution);
}

// The directions the mended table shows, where the program chose them.
int TakeDirections(const Instance& instance, const std::vector<double>& table, double big,
                   DirectionChoice& choice)
{
    DirectionChoice read = choice;
    ReadDirectionsFromTable(instance, table, big, true, read);
    int changed = 0;
    for (size_t i = 0; i < instance.cells.size(); ++i)
        if (ChosenByProgram(choice.source[i]) && read.direction[i] != choice.direction[i])
        {
            choice.direction[i] = read.direction[i];
            choice.source[i] = DirectionSource::Repaired;
            ++changed;
        }
    return changed;
}

} // namespace

std::vector<int> BrokenRelations(const Instance& instance, const FastSettings& settings,
                                 const DirectionChoice& choice)
{
    const StdModel model = BuildFastModel(instance, settings, choice).base;
    const MipModel& mip = model.mip;
    std::vector<int> broken;
    for (size_t r = 0; r < instance.RelationCount(); ++r)
    {
        // The relation's sum of changes must reach its residual (additive) or stay at 0.
        double lo = 0, hi = 0, target = settings.additive ? instance.rhs[r] : 0, size = std::fabs(target);
        for (int64_t t = instance.termStart[r]; t < instance.termStart[r + 1]; ++t)
        {
            const int32_t cell = instance.termCell[t];
            const double coef = instance.termCoef[t];
            if (settings.additive)
                target -= coef * instance.cells[cell].value;
            size = std::max(size, std::fabs(coef * instance.cells[cell].value));
            if (const int p = model.colPlus[cell], m = model.colMinus[cell]; p >= 0)
            {
                const double down = (mip.colLower[p] - mip.colUpper[m]) * model.scale;
                const double up = (mip.colUpper[p] - mip.colLower[m]) * model.scale;
                lo += coef > 0 ? coef * down : coef * up;
                hi += coef > 0 ? coef * up : coef * down;
            }
        }
        const double slack = 1e-9 * std::max(size, 1.0);
        if (target < lo - slack || target > hi + slack)
            broken.push_back(static_cast<int>(r));
    }
    return broken;
}

int RelationsTheDirectionsBreak(const Instance& instance, const FastSettings& settings,
                                const DirectionChoice& choice)
{
    return static_cast<int>(BrokenRelations(instance, settings, choice).size());
}

DirectionMend MendDirections(const Instance& instance, const FastSettings& settings, DirectionChoice& choice,
                             SolverAdapter& lp, SolverAdapter& mip, const SolveParams& params,
                             RunControl& control, const RunLog& log)
{
    DirectionMend mend;
    std::vector<int> shortCells;
    std::vector<double> table = ElasticTable(instance, settings, choice, lp, params, control, shortCells);
    if (table.empty())
        return mend;
    mend.solved = true;
    mend.shortCells = static_cast<int>(shortCells.size());
    log.say("directions: the table of least change with these directions leaves " +
            std::to_string(shortCells.size()) +
            " sensitive cells short of their protection; mending them with small integer programs (" +
            mip.Name() + ") around them ...");
    StdModelSettings std = ClassicalStdSettings(settings);
    const StdModel whole = BuildStdModel(instance, std);
    LocalRepairSettings repair;
    repair.pctBounds = settings.pctBounds;
    repair.integerCells = settings.integerCells;
    LocalRepairResult repaired =
        RepairLocally(instance, whole, std::move(table), shortCells, mip, params, control, repair);
    mend.programs = repaired.programs;
    mend.widened = repaired.widened;
    mend.stillShort = std::move(repaired.stillShort);
    const double big = LargestChange(settings.big, instance);
    mend.changed = TakeDirections(instance, repaired.adjusted, big, choice);
    if (mend.stillShort.empty())
        mend.table = std::move(repaired.adjusted);
    log.say("directions: " + std::to_string(mend.programs) + " programs (" + std::to_string(mend.widened) +
            " of them wider tries) " +
            (mend.stillShort.empty() ? std::string("protected every short cell")
                                     : "left " + std::to_string(mend.stillShort.size()) + " cells short") +
            "; " + std::to_string(mend.changed) + " directions changed; directions now " + choice.Summary());
    return mend;
}

} // namespace vrn
