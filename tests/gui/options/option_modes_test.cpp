#include "option_modes.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace
{

using vrn::GroupAction;
using vrn::OptionGroup;
using vrn::OptionModes;

// A choice as the toolkit keeps it: deleting the selected item leaves no selection, deleting an
// item before the selection moves the selection down with its item.
struct FakeChoice
{
    std::vector<std::string> items;
    int selection = -1;

    void Delete(unsigned index)
    {
        ASSERT_LT(index, items.size());
        items.erase(items.begin() + index);
        if (selection == static_cast<int>(index))
            selection = -1;
        else if (selection > static_cast<int>(index))
            --selection;
    }
    std::string Selected() const { return selection < 0 ? "" : items[static_cast<std::size_t>(selection)]; }
};

// The option form reduced to what the mode machine touches, in its state at start.
struct FakeForm
{
    OptionModes modes;
    std::map<OptionGroup, bool> shown = {{OptionGroup::ProgressPanel, true},
                                         {OptionGroup::LexminPanel, false},
                                         {OptionGroup::FirstPanel, true},
                                         {OptionGroup::GapPanel, true},
                                         {OptionGroup::LpTolerancePanel, false},
                                         {OptionGroup::IntegralityPanel, true},
                                         {OptionGroup::RepairHeader, true},
                                         {OptionGroup::RepairPanel, false},
                                         {OptionGroup::BcdHeader, true},
                                         {OptionGroup::BcdPanel, false},
                                         {OptionGroup::ValidInequalitiesPanel, true},
                                         {OptionGroup::FixDirPanel, false},
                                         {OptionGroup::SolverParamsPanel, true},
                                         {OptionGroup::MethodPanel, false}};
    std::map<OptionGroup, bool> savedFold = {{OptionGroup::RepairPanel, false},
                                             {OptionGroup::BcdPanel, false}};
    FakeChoice solver{{"Cplex", "Xpress", "Glpk", "Cbc", "Symphony"}, 1};
    FakeChoice model{{"Automatic", "Classical", "New"}, 0};

    void Apply(const vrn::ModeSwitch& change, FakeChoice& list)
    {
        for (const auto& step : change.groupSteps)
        {
            switch (step.action)
            {
            case GroupAction::Hide:
                shown.at(step.group) = false;
                break;
            case GroupAction::Show:
                shown.at(step.group) = true;
                break;
            case GroupAction::SaveFoldState:
                savedFold.at(step.group) = shown.at(step.group);
                break;
            case GroupAction::RestoreFoldState:
                shown.at(step.group) = savedFold.at(step.group);
                break;
            }
        }
        for (unsigned index : change.listEdit.deletions)
            list.Delete(index);
        for (const auto& item : change.listEdit.appends)
            list.items.push_back(item);
        if (!change.listEdit.selectOnlyIfNone || list.selection < 0)
            list.selection = change.listEdit.selection;
    }

    // The option-change handler's first two steps, driven by the plan.
    void Change(int formulationIndex, bool integerCells)
    {
        const auto plan = vrn::PlanOptionChange(modes, formulationIndex, integerCells);
        if (plan.problemClassSwitch)
            Apply(*plan.problemClassSwitch, solver);
        if (plan.formulationSwitch)
            Apply(*plan.formulationSwitch, model);
        modes = plan.newModes;
    }
};

// How to reach each mode combination from the controls.
struct Combination
{
    const char* name;
    int formulationIndex;
    bool integerCells;
};
const Combination kStdMip{"Std/MIP", 0, false};
const Combination kFastLp{"Fast/LP", 1, false};
const Combination kFastMip{"Fast/MIP", 1, true};

// Which groups are shown in each combination (repair and BCD bodies stay folded here).
struct Availability
{
    OptionGroup group;
    bool stdMip, fastLp, fastMip;
};
const std::vector<Availability> kAvailability = {
    {OptionGroup::ProgressPanel, true, false, false},
    {OptionGroup::FirstPanel, true, false, false},
    {OptionGroup::ValidInequalitiesPanel, true, false, false},
    {OptionGroup::LexminPanel, false, true, true},
    {OptionGroup::FixDirPanel, false, true, true},
    {OptionGroup::GapPanel, true, false, true},
    {OptionGroup::IntegralityPanel, true, false, true},
    {OptionGroup::SolverParamsPanel, true, false, true},
    {OptionGroup::LpTolerancePanel, false, true, false},
    {OptionGroup::MethodPanel, false, true, false},
    {OptionGroup::RepairHeader, true, false, false},
    {OptionGroup::BcdHeader, true, false, false},
    {OptionGroup::RepairPanel, false, false, false},
    {OptionGroup::BcdPanel, false, false, false},
};

bool Expected(const Availability& row, const Combination& combination)
{
    if (&combination == &kStdMip)
        return row.stdMip;
    return &combination == &kFastLp ? row.fastLp : row.fastMip;
}

void ExpectForm(const FakeForm& form, const Combination& combination)
{
    SCOPED_TRACE(combination.name);
    for (const auto& row : kAvailability)
        EXPECT_EQ(form.shown.at(row.group), Expected(row, combination))
            << "group " << static_cast<int>(row.group);
    const bool mip = &combination != &kFastLp;
    const bool isStd = &combination == &kStdMip;
    EXPECT_EQ(form.modes, (OptionModes{isStd, mip}));
    EXPECT_EQ(form.solver.items, vrn::SolverItems(mip));
    EXPECT_EQ(form.model.items, vrn::ModelItems(isStd));
    EXPECT_GE(form.solver.selection, 0);
    EXPECT_EQ(form.model.selection, 0);
}

TEST(OptionModes, ItemListsOfEachMode)
{
    EXPECT_EQ(vrn::SolverItems(true),
              (std::vector<std::string>{"Cplex", "Xpress", "Glpk", "Cbc", "Symphony"}));
    EXPECT_EQ(vrn::SolverItems(false), (std::vector<std::string>{"Cplex", "Xpress", "Glpk", "Clp"}));
    EXPECT_EQ(vrn::ModelItems(true), (std::vector<std::string>{"Automatic", "Classical", "New"}));
    EXPECT_EQ(vrn::ModelItems(false), (std::vector<std::string>{"Lexmin"}));
}

TEST(OptionModes, StdAlwaysMeansMipWhateverIntegerCellsSays)
{
    EXPECT_EQ(vrn::WantedModes(0, false), (OptionModes{true, true}));
    EXPECT_EQ(vrn::WantedModes(0, true), (OptionModes{true, true}));
    EXPECT_EQ(vrn::WantedModes(1, false), (OptionModes{false, false}));
    EXPECT_EQ(vrn::WantedModes(1, true), (OptionModes{false, true}));
}

TEST(OptionModes, EveryTransitionBetweenTheThreeCombinationsGivesItsForm)
{
    const Combination* all[] = {&kStdMip, &kFastLp, &kFastMip};
    for (const auto* from : all)
        for (const auto* to : all)
        {
            SCOPED_TRACE(std::string(from->name) + " -> " + to->name);
            FakeForm form;
            form.Change(from->formulationIndex, from->integerCells);
            ExpectForm(form, *from);
            form.Change(to->formulationIndex, to->integerCells);
            ExpectForm(form, *to);
        }
}

TEST(OptionModes, RepeatedEventPlansNothing)
{
    // "Integer cells" clicked while Std is selected, and the same formulation selected again.
    const auto tick = vrn::PlanOptionChange({true, true}, 0, true);
    EXPECT_FALSE(tick.problemClassSwitch.has_value());
    EXPECT_FALSE(tick.formulationSwitch.has_value());
    const auto again = vrn::PlanOptionChange({false, false}, 1, false);
    EXPECT_FALSE(again.problemClassSwitch.has_value());
    EXPECT_FALSE(again.formulationSwitch.has_value());
    EXPECT_EQ(again.newModes, (OptionModes{false, false}));
}

TEST(OptionModes, IntegerCellsInFastTouchesOnlyTheProblemClass)
{
    const auto plan = vrn::PlanOptionChange({false, false}, 1, true);
    EXPECT_TRUE(plan.problemClassSwitch.has_value());
    EXPECT_FALSE(plan.formulationSwitch.has_value());
}

TEST(OptionModes, CommonSolverSelectionSurvivesBothSwitches)
{
    for (int kept : {0, 1, 2})
    {
        FakeForm form;
        form.solver.selection = kept;
        const std::string name = form.solver.Selected();
        form.Change(1, false);
        EXPECT_EQ(form.solver.Selected(), name);
        form.Change(1, true);
        EXPECT_EQ(form.solver.Selected(), name);
        form.Change(0, true);
        EXPECT_EQ(form.solver.Selected(), name);
    }
}

TEST(OptionModes, SymphonyBecomesClpThenCbc)
{
    FakeForm form;
    form.solver.selection = 4;
    form.Change(1, false);
    EXPECT_EQ(form.solver.Selected(), "Clp");
    form.Change(1, true);
    EXPECT_EQ(form.solver.Selected(), "Cbc");
}

TEST(OptionModes, CbcBecomesClp)
{
    FakeForm form;
    form.solver.selection = 3;
    form.Change(1, false);
    EXPECT_EQ(form.solver.Selected(), "Clp");
}

TEST(OptionModes, FoldStatesOfRepairAndBcdSurviveAVisitToFast)
{
    FakeForm form;
    form.shown.at(OptionGroup::BcdPanel) = true; // BCD unfolded, repair folded
    form.Change(1, false);
    EXPECT_FALSE(form.shown.at(OptionGroup::BcdPanel));
    EXPECT_FALSE(form.shown.at(OptionGroup::BcdHeader));
    form.Change(1, true); // the problem class alone must not disturb the saved folds
    form.Change(0, true);
    EXPECT_TRUE(form.shown.at(OptionGroup::BcdPanel));
    EXPECT_TRUE(form.shown.at(OptionGroup::BcdHeader));
    EXPECT_FALSE(form.shown.at(OptionGroup::RepairPanel));
    EXPECT_TRUE(form.shown.at(OptionGroup::RepairHeader));
}

TEST(OptionModes, ModelChoiceIsNotRememberedAcrossFast)
{
    FakeForm form;
    form.model.selection = 2; // "New"
    form.Change(1, false);
    EXPECT_EQ(form.model.Selected(), "Lexmin");
    form.Change(0, false);
    EXPECT_EQ(form.model.Selected(), "Automatic");
}

TEST(OptionModes, FoldStateIsSavedBeforeTheSectionsAreHidden)
{
    // Saving after hiding would always remember "folded".
    const auto toFast = vrn::FormulationSwitch(false);
    int saveAt = -1, hideAt = -1, index = 0;
    for (const auto& step : toFast.groupSteps)
    {
        if (step.group == OptionGroup::RepairPanel && step.action == GroupAction::SaveFoldState)
            saveAt = index;
        if (step.group == OptionGroup::RepairPanel && step.action == GroupAction::Hide)
            hideAt = index;
        ++index;
    }
    ASSERT_GE(saveAt, 0);
    ASSERT_GE(hideAt, 0);
    EXPECT_LT(saveAt, hideAt);
}

} // namespace
