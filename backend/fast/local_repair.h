// Mending a table that adds up and keeps its bounds but leaves some sensitive cells short of their
// protection (the point of the elastic model): the short cells are taken in groups of cells that share
// relations, and each group gets a small integer program of its own around the table
// (model/sub_model.h): the group's directions open, the cells within one relation of it free to move,
// every other cell at the table's value. A group whose program finds no table is tried again wider: the
// sensitive cells of its relations open too, one more ring of cells moving. The cells still short after
// every group are grouped afresh for a second pass, around the table the other programs changed (on a
// 99,561-cell count table the first pass left 8 of 176 short, the second 1). A program changes only the
// cells it moves and keeps every relation they are in, so the table keeps adding up. The whole table's
// check is the caller's.
//
// This is what lets directions be found as a whole where they must balance each other exactly: a
// relation whose free cells are all sensitive and whose other cells are fixed (counts of 1 and 2 beside
// empty cells) needs some of its cells up and some down by just the right amounts, and one relation's
// choice reaches into the relations that cross it. Flipping one short cell at a time walks in circles
// there; a program over the group and its neighbours chooses their directions together.
#pragma once

#include "control/run_control.h"
#include "instance/instance.h"
#include "model/std_model.h"
#include "solvers/solver_adapter.h"

#include <cstddef>
#include <vector>

namespace vrn
{

struct LocalRepairSettings
{
    double pctBounds = -1; // non-sensitive cells move at most this % of their value; -1: no limit
    bool integerCells = false;
    size_t groupCells = 24;     // short cells per program
    size_t movingBudget = 8000; // cells the widest program may move
    int tries = 4;              // programs per group, each moving four times the cells of the one before
    double programSeconds = 5;  // time limit of one program
    int failuresToGiveUp = 8;   // groups in a row that no program protects end the repair
    int passes = 2;             // rounds over the cells still short, as long as each protects some
};

struct LocalRepairResult
{
    std::vector<double> adjusted; // the table after the programs
    std::vector<int> stillShort;  // short cells that no program protected
    int programs = 0;             // programs solved
    int widened = 0;              // of those, tries wider than the first
};

// Groups of the short cells: from the first short cell not yet in a group, the short cells that its
// compact neighbourhood reaches first (CompactMovingCells), at most `groupCells`, so that a group's cells
// can offset each other through small relations.
std::vector<std::vector<int32_t>> ShortCellGroups(const Instance& instance,
                                                  const std::vector<std::vector<int32_t>>& relationsOfCell,
                                                  const std::vector<int>& shortCells, size_t groupCells);

// `whole` is the Std model of `instance` with the directions of the short cells open (their binaries);
// its scale, largest change and kind are the programs'. `adjusted` must satisfy the relations and
// bounds. `mip` solves integer programs.
LocalRepairResult RepairLocally(const Instance& instance, const StdModel& whole, std::vector<double> adjusted,
                                const std::vector<int>& shortCells, SolverAdapter& mip,
                                const SolveParams& params, RunControl& control,
                                const LocalRepairSettings& settings);

} // namespace vrn
