// The Std model: deviations up and down of every cell that may change, and one binary per
// sensitive cell choosing the direction it moves in. Directions that are known in advance (from
// prepsens, or given by the caller) become bounds instead of binaries.
#pragma once

#include "instance/instance.h"
#include "model/mip_model.h"
#include "model/model_kind.h"

#include <string>
#include <vector>

namespace vrn
{

enum class Direction : signed char
{
    Free = -1,
    Down = 0,
    Up = 1
};

struct StdModelSettings
{
    bool additive = true;
    double scale = 1; // values are divided by this for the solver
    double big = -1;  // largest change of a cell (original units); -1: automatic
    StdModelKind kind = StdModelKind::Automatic;
    bool integerCells = false;
    bool prepSens = false;
    std::vector<Direction> directions; // per cell, optional: directions fixed by the caller
    // Per cell, optional: the largest change up and down that the data allow (cell_room.h), original units.
    std::vector<double> roomUp, roomDown;
};

struct StdModel
{
    MipModel mip;
    StdModelKind kind = StdModelKind::Classical;
    double scale = 1;
    double big = 0;
    std::vector<int32_t> colPlus, colMinus, colDir, colValue; // per cell; -1 where the column is absent
    int sensitiveCount = 0;                                   // sensitive cells that need protection
    int fixedUp = 0, fixedDown = 0; // sensitive cells whose direction was fixed before the solve
    std::vector<std::string> notes; // what the builder decided, for the log

    // The adjusted table, in original units, from a solution vector of the solver.
    std::vector<double> AdjustedValues(const Instance& instance, const std::vector<double>& solution) const;
};

StdModel BuildStdModel(const Instance& instance, const StdModelSettings& settings);

// The Std model's columns for an adjusted table: deviations up and down, directions, integer values.
std::vector<double> StdColumnsOf(const Instance& instance, const StdModel& model,
                                 const std::vector<double>& adjusted);

} // namespace vrn
