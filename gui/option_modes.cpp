#include "option_modes.h"

namespace vrn
{
namespace
{

// The solver items from index 3 on differ by problem class; "Cplex", "Xpress" and "Glpk"
// (indexes 0 to 2) are common to both, so index 3 means "Cbc" in MIP mode and "Clp" in LP mode.
constexpr unsigned kFirstClassSolverIndex = 3;

const std::vector<std::string>& CommonSolvers()
{
    static const std::vector<std::string> solvers = {"Cplex", "Xpress", "Glpk"};
    return solvers;
}

std::vector<std::string> ClassSolvers(bool mipProblem)
{
    if (mipProblem)
        return {"Cbc", "Symphony"};
    return {"Clp"};
}

// Deletes the last `count` items of a list from index `first` on, highest index first.
std::vector<unsigned> DeleteFromEnd(unsigned first, unsigned count)
{
    std::vector<unsigned> deletions;
    for (unsigned i = count; i > 0; --i)
        deletions.push_back(first + i - 1);
    return deletions;
}

} // namespace

OptionModes WantedModes(int formulationIndex, bool integerCellsChecked)
{
    OptionModes modes;
    modes.stdFormulation = formulationIndex == kStdFormulationIndex;
    modes.mipProblem = modes.stdFormulation || integerCellsChecked;
    return modes;
}

ModeSwitch ProblemClassSwitch(bool toMip)
{
    ModeSwitch change;
    using A = GroupAction;
    using G = OptionGroup;
    if (toMip)
        change.groupSteps = {{A::Hide, G::LpTolerancePanel},
                             {A::Hide, G::MethodPanel},
                             {A::Show, G::GapPanel},
                             {A::Show, G::IntegralityPanel},
                             {A::Show, G::SolverParamsPanel}};
    else
        change.groupSteps = {{A::Hide, G::GapPanel},
                             {A::Hide, G::IntegralityPanel},
                             {A::Hide, G::SolverParamsPanel},
                             {A::Show, G::LpTolerancePanel},
                             {A::Show, G::MethodPanel}};

    const auto leaving = ClassSolvers(!toMip);
    change.listEdit.deletions = DeleteFromEnd(kFirstClassSolverIndex, static_cast<unsigned>(leaving.size()));
    change.listEdit.appends = ClassSolvers(toMip);
    change.listEdit.selection = static_cast<int>(kFirstClassSolverIndex);
    change.listEdit.selectOnlyIfNone = true;
    return change;
}

ModeSwitch FormulationSwitch(bool toStd)
{
    ModeSwitch change;
    using A = GroupAction;
    using G = OptionGroup;
    if (toStd)
        change.groupSteps = {{A::Hide, G::LexminPanel},
                             {A::Hide, G::FixDirPanel},
                             {A::Show, G::ProgressPanel},
                             {A::Show, G::FirstPanel},
                             {A::Show, G::ValidInequalitiesPanel},
                             {A::Show, G::RepairHeader},
                             {A::RestoreFoldState, G::RepairPanel},
                             {A::Show, G::BcdHeader},
                             {A::RestoreFoldState, G::BcdPanel}};
    else
        change.groupSteps = {{A::Hide, G::ProgressPanel},
                             {A::Hide, G::FirstPanel},
                             {A::Hide, G::ValidInequalitiesPanel},
                             {A::SaveFoldState, G::RepairPanel},
                             {A::SaveFoldState, G::BcdPanel},
                             {A::Hide, G::RepairHeader},
                             {A::Hide, G::RepairPanel},
                             {A::Hide, G::BcdHeader},
                             {A::Hide, G::BcdPanel},
                             {A::Show, G::LexminPanel},
                             {A::Show, G::FixDirPanel}};

    const auto leaving = ModelItems(!toStd);
    change.listEdit.deletions = DeleteFromEnd(0, static_cast<unsigned>(leaving.size()));
    change.listEdit.appends = ModelItems(toStd);
    change.listEdit.selection = 0; // "Automatic" or "Lexmin": a model choice is not remembered
    change.listEdit.selectOnlyIfNone = false;
    return change;
}

OptionChangePlan PlanOptionChange(OptionModes current, int formulationIndex, bool integerCellsChecked)
{
    OptionChangePlan plan;
    plan.newModes = WantedModes(formulationIndex, integerCellsChecked);
    if (plan.newModes.mipProblem != current.mipProblem)
        plan.problemClassSwitch = ProblemClassSwitch(plan.newModes.mipProblem);
    if (plan.newModes.stdFormulation != current.stdFormulation)
        plan.formulationSwitch = FormulationSwitch(plan.newModes.stdFormulation);
    return plan;
}

std::vector<std::string> SolverItems(bool mipProblem)
{
    auto items = CommonSolvers();
    for (auto& solver : ClassSolvers(mipProblem))
        items.push_back(solver);
    return items;
}

std::vector<std::string> ModelItems(bool stdFormulation)
{
    if (stdFormulation)
        return {"Automatic", "Classical", "New"};
    return {"Lexmin"};
}

} // namespace vrn
