// The Fast model: the Std model with the direction of every sensitive cell fixed (a linear program,
// or an integer program with integer cells), the four objectives of the lexicographic loop, the
// bound that holds a reached objective, and the elastic variant that finds the directions which
// cannot be met.
#pragma once

#include "cli/layer_settings.h"
#include "fast/directions.h"
#include "model/std_model.h"

#include <vector>

namespace vrn
{

struct FastModel
{
    StdModel base;      // columns and rows, directions fixed; base.mip.cost holds the current objective
    int maxColumn = -1; // objective 4: the column that bounds every relative change
    std::vector<double> weight;   // per cell: 1 / max(|a|, 1)^e
    std::vector<char> isTotal;    // per cell: the total of some relation (a negative coefficient)
    std::vector<double> cellCost; // per cell: the cost of a unit of change in the model (objective 1)

    // The cost vector of objective 1 to 4 over the model's columns.
    std::vector<double> ObjectiveCosts(int objective) const;
    // The value of an objective at a solution, in the table's units.
    double ObjectiveValue(int objective, const std::vector<double>& solution) const;
    // Holds objective k at most at `limit` (table's units) from now on.
    void AddObjectiveBound(int objective, double limit);
};

// The Classical Std model's settings that a Fast run's settings give (directions left to the caller).
StdModelSettings ClassicalStdSettings(const FastSettings& settings);

// Limits the deviations of the non-sensitive cells of a built model to pct % of their values.
void ApplyPctBounds(const Instance& instance, double pct, StdModel& model);

FastModel BuildFastModel(const Instance& instance, const FastSettings& settings,
                         const DirectionChoice& choice);

// The same model in which every sensitive cell may fall short of its protection level at a price; the
// cells that still fall short at the optimum are those whose fixed direction the table cannot satisfy.
struct ElasticModel
{
    StdModel base;
    std::vector<int32_t> shortColumn; // per cell, the shortfall column, -1 elsewhere
    std::vector<double> level;        // per cell, the protection level in the model's units
};

// `pricing` Shortfall: only the shortfall costs (a cell's shortfall as a share of its level), the
// changes are free. Costs: the changes keep their weighted costs and a shortfall costs far more than
// changing any cell near it, so that the point is a table of least change that falls short only where
// the directions leave no other way: the place to mend them from (local_repair.h).
enum class ElasticPricing
{
    Shortfall,
    Costs
};

ElasticModel BuildElasticModel(const Instance& instance, const FastSettings& settings,
                               const DirectionChoice& choice,
                               ElasticPricing pricing = ElasticPricing::Shortfall);

// Cells whose shortfall is more than a small part of its level.
std::vector<int> ShortCells(const ElasticModel& elastic, const std::vector<double>& solution);

} // namespace vrn
