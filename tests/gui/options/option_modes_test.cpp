#include "option_modes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The mode plan on its own; the real form going through every transition is checked in
// option_modes_gui_test.cpp.
namespace
{

using vrn::GroupAction;
using vrn::OptionGroup;
using vrn::OptionModes;

TEST(OptionModes, StdAlwaysMeansMipWhateverIntegerCellsSays)
{
    EXPECT_EQ(vrn::WantedModes(0, false), (OptionModes{true, true}));
    EXPECT_EQ(vrn::WantedModes(0, true), (OptionModes{true, true}));
    EXPECT_EQ(vrn::WantedModes(1, false), (OptionModes{false, false}));
    EXPECT_EQ(vrn::WantedModes(1, true), (OptionModes{false, true}));
}

TEST(OptionModes, ASwitchIsPlannedOnlyForAModeThatChanges)
{
    struct Case
    {
        OptionModes from;
        int formulation;
        bool integerCells;
        bool problemClassSwitch, formulationSwitch;
    };
    const Case cases[] = {
        {{true, true}, 0, true, false, false},    // "Integer cells" clicked while Std is selected
        {{false, false}, 1, false, false, false}, // Fast selected again
        {{true, true}, 1, false, true, true},     // Std -> Fast/LP runs both
        {{true, true}, 1, true, false, true},     // Std -> Fast/MIP
        {{false, false}, 1, true, true, false},   // "Integer cells" ticked in Fast
        {{false, true}, 0, true, false, true},    // Fast/MIP -> Std
        {{false, false}, 0, false, true, true},   // Fast/LP -> Std runs both
    };
    for (const auto& c : cases)
    {
        const auto plan = vrn::PlanOptionChange(c.from, c.formulation, c.integerCells);
        EXPECT_EQ(plan.problemClassSwitch.has_value(), c.problemClassSwitch)
            << c.formulation << c.integerCells;
        EXPECT_EQ(plan.formulationSwitch.has_value(), c.formulationSwitch) << c.formulation << c.integerCells;
        EXPECT_EQ(plan.newModes, vrn::WantedModes(c.formulation, c.integerCells));
    }
}

TEST(OptionModes, SolverListIsEditedFromTheEndAndSelectsIndex3OnlyWhenTheSelectionWasLost)
{
    const auto toLp = vrn::ProblemClassSwitch(false).listEdit;
    EXPECT_EQ(toLp.deletions, (std::vector<unsigned>{4, 3}));
    EXPECT_EQ(toLp.appends, (std::vector<std::string>{"Clp"}));
    EXPECT_EQ(toLp.selection, 3);
    EXPECT_TRUE(toLp.selectOnlyIfNone);

    const auto toMip = vrn::ProblemClassSwitch(true).listEdit;
    EXPECT_EQ(toMip.deletions, (std::vector<unsigned>{3}));
    EXPECT_EQ(toMip.appends, (std::vector<std::string>{"Cbc", "Symphony"}));
    EXPECT_EQ(toMip.selection, 3);
    EXPECT_TRUE(toMip.selectOnlyIfNone);
}

TEST(OptionModes, ModelListIsReplacedAndItsFirstItemSelected)
{
    const auto toFast = vrn::FormulationSwitch(false).listEdit;
    EXPECT_EQ(toFast.deletions, (std::vector<unsigned>{2, 1, 0}));
    EXPECT_EQ(toFast.appends, (std::vector<std::string>{"Lexmin"}));
    const auto toStd = vrn::FormulationSwitch(true).listEdit;
    EXPECT_EQ(toStd.deletions, (std::vector<unsigned>{0}));
    EXPECT_EQ(toStd.appends, (std::vector<std::string>{"Automatic", "Classical", "New"}));
    for (const auto& edit : {toFast, toStd})
    {
        EXPECT_EQ(edit.selection, 0);
        EXPECT_FALSE(edit.selectOnlyIfNone);
    }
}

TEST(OptionModes, ItemListsOfEachMode)
{
    EXPECT_EQ(vrn::SolverItems(true),
              (std::vector<std::string>{"Cplex", "Xpress", "Glpk", "Cbc", "Symphony"}));
    EXPECT_EQ(vrn::SolverItems(false), (std::vector<std::string>{"Cplex", "Xpress", "Glpk", "Clp"}));
    EXPECT_EQ(vrn::ModelItems(true), (std::vector<std::string>{"Automatic", "Classical", "New"}));
    EXPECT_EQ(vrn::ModelItems(false), (std::vector<std::string>{"Lexmin"}));
}

// Index of the first step that does `action` to `group`, or -1.
int StepIndex(const vrn::ModeSwitch& change, GroupAction action, OptionGroup group)
{
    for (std::size_t i = 0; i < change.groupSteps.size(); ++i)
        if (change.groupSteps[i].action == action && change.groupSteps[i].group == group)
            return static_cast<int>(i);
    return -1;
}

TEST(OptionModes, FoldStatesAreSavedBeforeFastHidesTheSectionsAndRestoredByStd)
{
    const auto toFast = vrn::FormulationSwitch(false);
    const auto toStd = vrn::FormulationSwitch(true);
    for (OptionGroup body : {OptionGroup::RepairPanel, OptionGroup::BcdPanel})
    {
        const int saved = StepIndex(toFast, GroupAction::SaveFoldState, body);
        ASSERT_GE(saved, 0);
        EXPECT_LT(saved, StepIndex(toFast, GroupAction::Hide, body))
            << "saving after hiding remembers 'folded'";
        EXPECT_GE(StepIndex(toStd, GroupAction::RestoreFoldState, body), 0);
        EXPECT_EQ(StepIndex(toStd, GroupAction::Show, body), -1) << "a folded body must stay folded";
    }
    EXPECT_GE(StepIndex(toFast, GroupAction::Hide, OptionGroup::RepairHeader), 0);
    EXPECT_GE(StepIndex(toStd, GroupAction::Show, OptionGroup::BcdHeader), 0);
}

} // namespace
