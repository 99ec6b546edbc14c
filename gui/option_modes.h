#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vrn
{

// The two modes of the option form. Std implies MIP, so three combinations occur:
// Std/MIP (at start), Fast/LP and Fast/MIP.
struct OptionModes
{
    bool stdFormulation = true; // the formulation choice is at index 0 ("Std VRN ...")
    bool mipProblem = true;     // the problem is solved with integer variables

    bool operator==(const OptionModes& other) const
    {
        return stdFormulation == other.stdFormulation && mipProblem == other.mipProblem;
    }
};

// Index of "Std VRN (better solutions)" in the formulation choice.
constexpr int kStdFormulationIndex = 0;

// The modes the formulation choice and the "Integer cells" check box ask for: MIP whenever the
// Std formulation is selected, otherwise only when "Integer cells" is ticked.
OptionModes WantedModes(int formulationIndex, bool integerCellsChecked);

// The groups of option controls that apply to one mode only. The repair and BCD sections are
// two groups each (header and body) because their bodies keep a fold state of their own.
enum class OptionGroup
{
    ProgressPanel,
    LexminPanel,
    FirstPanel,
    GapPanel,
    LpTolerancePanel,
    IntegralityPanel,
    RepairHeader,
    RepairPanel,
    BcdHeader,
    BcdPanel,
    ValidInequalitiesPanel,
    FixDirPanel,
    SolverParamsPanel,
    MethodPanel,
};

enum class GroupAction
{
    Hide,
    Show,
    SaveFoldState,    // remember whether the section body is unfolded (shown) now
    RestoreFoldState, // show the section body if it was unfolded when remembered, else hide it
};

struct GroupStep
{
    GroupAction action;
    OptionGroup group;
};

// An edit of a choice's item list: delete items by index in the given order, append items,
// then select. With selectOnlyIfNone the selection is made only when the deletions left the
// choice without one (a surviving "Cplex", "Xpress" or "Glpk" stays selected).
struct ChoiceEdit
{
    std::vector<unsigned> deletions;
    std::vector<std::string> appends;
    int selection = 0;
    bool selectOnlyIfNone = false;
};

// One switch of one mode: the groups to show and hide, in order, then one list edit
// (the solver list for the problem class, the model list for the formulation).
struct ModeSwitch
{
    std::vector<GroupStep> groupSteps;
    ChoiceEdit listEdit;
};

// What an option change does, given the current modes and the controls' new state. A switch is
// present only when its mode changes; the problem-class switch runs before the formulation one.
struct OptionChangePlan
{
    std::optional<ModeSwitch> problemClassSwitch;
    std::optional<ModeSwitch> formulationSwitch;
    OptionModes newModes;
};

OptionChangePlan PlanOptionChange(OptionModes current, int formulationIndex, bool integerCellsChecked);

// The switch into MIP mode (toMip) or into LP mode.
ModeSwitch ProblemClassSwitch(bool toMip);

// The switch into the Std formulation (toStd) or into the Fast formulation.
ModeSwitch FormulationSwitch(bool toStd);

// Item lists of the solver and model choices in a given mode.
std::vector<std::string> SolverItems(bool mipProblem);
std::vector<std::string> ModelItems(bool stdFormulation);

} // namespace vrn
