// Repairing an instance that cannot be protected: the elastic model lets every bound widen and every
// protection level fall at a price, and its optimum is the least change of the instance that makes it
// protectable. Protection is what a run is for, so by default the levels are lowered only where
// widening bounds cannot help (first the least lowering, then, with that held, the least widening).
#pragma once

#include "cli/layer_settings.h"
#include "instance/repair_file.h"
#include "model/mip_model.h"
#include "solvers/solver_adapter.h"

#include <functional>
#include <string>
#include <vector>

namespace vrn
{

// The elastic model's columns, per cell; -1 where a column is absent.
struct RepairModel
{
    MipModel mip;
    double scale = 1;
    double big = 0;
    std::vector<int32_t> colPlus, colMinus;        // the move within the cell's bounds
    std::vector<std::array<int32_t, 4>> colChange; // per cell, indexed by RepairWhat: how much it changes
    std::vector<int32_t> colDir;
    std::vector<int> unrepairable; // relations that no cell can change and that do not hold
};

RepairModel BuildRepairModel(const Instance& instance, const RepairSettings& settings,
                             const RepairPrices& prices);

struct RepairChange
{
    int cell = 0;
    RepairWhat what = RepairWhat::Lb;
    double from = 0, to = 0;
    double price = 0; // of a unit of this change
};

// "cell 12: upper bound 45 -> 47 (price 1 per unit)".
std::string RepairChangeText(const RepairChange& change);

enum class RepairStatus
{
    NothingToChange, // the instance can be protected as it stands
    Repaired,        // `repaired` holds the changed instance
    Impossible,      // no change of bounds and levels makes it protectable
    NotFound         // the solver ended without a repair (time limit, stop, failure)
};

struct RepairOutcome
{
    RepairStatus status = RepairStatus::NotFound;
    bool proven = true; // the repair is the least one (within the gap); false after a limit or stop
    std::vector<RepairChange> changes;
    Instance repaired;
    double protectionTotal = 0; // sum of price x change over the protection levels
    double boundsTotal = 0;     // ... and over the bounds
    std::string detail;         // why there is no repair
};

// Builds and solves the elastic model; `say` reports each stage.
RepairOutcome RepairInstance(const Instance& instance, const RepairSettings& settings,
                             const RepairPrices& prices, SolverAdapter& solver, const SolveParams& params,
                             RunControl& control, const std::function<void(const std::string&)>& say);

// The repair's changes applied to a copy of the instance.
Instance ApplyRepair(const Instance& instance, const std::vector<RepairChange>& changes);

} // namespace vrn
