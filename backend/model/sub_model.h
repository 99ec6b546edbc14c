// A block's own small model: only the block's sensitive cells and the cells near them (rings of
// relations, or the cells the incumbent's protection leans on) move; every other cell keeps the
// incumbent's value, which goes into the right-hand sides of the relations the moving cells appear
// in. Its size depends on the block, not on the table, so a block is solved quickly and where the
// whole model would not fit in memory.
#pragma once

#include "instance/instance.h"
#include "model/std_model.h"

#include <cstdint>
#include <vector>

namespace vrn
{

// A block: the sensitive cells solved together (cell indexes).
using Cluster = std::vector<int32_t>;

struct BlockSubModel
{
    Instance instance;           // the moving cells (original values, bounds and protection) and relations
    std::vector<int32_t> cellOf; // the table's cell of each of the instance's cells
    StdModel model;
    std::vector<double> start; // the model's columns of the incumbent
};

struct SubModelSettings
{
    // How far out cells move: 0 only the block's cells, 1 also the cells sharing a relation with
    // them, and so on. Negative: as far out as `movingBudget` allows, at least one relation.
    int radius = -1;
    size_t movingBudget = 12000;
    // The cells the incumbent's protection leans on move too (LeaningCells); `radius` is then unused.
    bool leaning = false;
    bool integerCells = false;
};

// The cells that move for `block`: the block, grown ring by ring by the cells of every relation
// that holds a cell of the last ring, `radius` rings (negative: every ring that keeps the cells
// within `budget`, and at least one). Cells that may not change (status z) never move.
std::vector<int32_t> MovingCells(const Instance& table,
                                 const std::vector<std::vector<int32_t>>& relationsOfCell,
                                 const Cluster& block, int radius, size_t budget = 0);

// The cells that move for `block`, grown along the relations that add the fewest cells first, up to
// `budget` cells: a cell can change only where every relation it is in holds other moving cells, so
// taking whole small relations (a unit's row across a few categories) before large ones (a total over
// a hundred units) leaves the most cells free to offset each other within the budget.
std::vector<int32_t> CompactMovingCells(const Instance& table,
                                        const std::vector<std::vector<int32_t>>& relationsOfCell,
                                        const Cluster& block, size_t budget);

// The cells that move for `block` when it may re-route the protection the incumbent `adjusted` gives:
// the block, the cells of its relations (all of them when they fit in the budget; otherwise those the
// incumbent changed and those in two or more of the block's relations), and the cells the incumbent
// changed in the relations of those (the adjustments that carry the block's protection on through
// the table, which can now be undone or moved), in the order found until `budget` cells. Cells that
// may not change (status z) never move.
std::vector<int32_t> LeaningCells(const Instance& table,
                                  const std::vector<std::vector<int32_t>>& relationsOfCell,
                                  const Cluster& block, const std::vector<double>& adjusted, size_t budget);

// Builds the block's model around the incumbent `adjusted` (the table's adjusted values). The
// block's sensitive cells that have a free direction in `whole` keep it free; every other
// sensitive cell that moves keeps the incumbent's direction.
BlockSubModel BuildBlockSubModel(const Instance& table, const StdModel& whole,
                                 const std::vector<std::vector<int32_t>>& relationsOfCell,
                                 const Cluster& block, const std::vector<double>& adjusted,
                                 const SubModelSettings& settings);

// The same for moving cells chosen by the caller (the block's cells among them). Cells flagged in
// `unprotected` (by table index) that are not in the block move like safe cells: a table that does not
// protect them yet leaves them to a later block.
BlockSubModel BuildBlockSubModelOn(const Instance& table, const StdModel& whole,
                                   const std::vector<std::vector<int32_t>>& relationsOfCell,
                                   const Cluster& block, std::vector<int32_t> moving,
                                   const std::vector<double>& adjusted, bool integerCells,
                                   const std::vector<char>* unprotected = nullptr);

// The incumbent `adjusted` with the moving cells set from the block model's `solution`.
std::vector<double> PutBack(const BlockSubModel& sub, const std::vector<double>& solution,
                            std::vector<double> adjusted);

} // namespace vrn
