#include "option_form.h"

#include <wx/string.h>

#include <gtest/gtest.h>

#include <vector>

namespace vrn::test
{
namespace
{

// One option row: resting the pointer on its caption or on its field shows `text`.
struct HelpRow
{
    const char* handler;
    wxWindow* caption;
    wxWindow* field;
    const char* text;
};

std::vector<HelpRow> HelpRows(const FormControls& form)
{
    return {
        {"OnEnterInstanceFile", form.instanceFileLabel, form.instanceFilePicker,
         "Name of instance file in csp format"},
        {"OnEnterOutputFolder", form.outputFolderLabel, form.outputFolderPicker,
         "Directory for output files"},
        {"OnEnterFormulation", form.formulationLabel, form.formulationChoice,
         "Formulation to solve VRN problem. Std VRN uses a MILP model with better solutions and Fast VRN "
         "uses a LP model with better timing"},
        {"OnEnterIntegerCells", form.integerCellsLabel, form.integerCellsCheck,
         "Force output cells to be integer"},
        {"OnEnterSolver", form.solverLabel, form.solverChoice, "Solver to be used"},
        {"OnEnterModel", form.modelLabel, form.modelChoice, "VRN optimization model to be used"},
        {"OnEnterAdditive", form.additiveLabel, form.additiveCheck, "Make table additive if not originally"},
        {"OnEnterFormat", form.formatLabel, form.formatChoice,
         "Check all the format errors or stop at first"},
        {"OnEnterScale", form.scaleLabel, form.scaleText, "Scale factor"},
        {"OnEnterCheck", form.checkLabel, form.checkCheck, "Check input table and solution"},
        {"OnEnterProgress", form.progressLabel, form.progressText,
         "Show progress of optimization procedure on screen at most every indicated seconds (only for Xpress "
         "and Cplex)"},
        {"OnEnterBig", form.bigLabel, form.bigText,
         "Big value to be used, at most, for bounds on deviations. -1 -> automatically set by the code"},
        {"OnEnterLexminOrder", form.lexminOrderLabel, form.lexminOrderText,
         "Selects the order of the objectives functions for the lexmin approach"},
        {"OnEnterPctBounds", form.pctBoundsLabel, form.pctBoundsText,
         "The bounds of cells will be the selected % above and below the cells values"},
        {"OnEnterTime", form.timeLabel, form.timeText, "Initial limit time in seconds for optimization"},
        {"OnEnterFirst", form.firstLabel, form.firstCheck, "Stop at first feasible solution"},
        {"OnEnterGap", form.gapLabel, form.gapText, "Optimality % gap required"},
        {"OnEnterLpTolerance", form.lpToleranceLabel, form.lpToleranceText,
         "Lp optimality tolerance required"},
        {"OnEnterFeasibility", form.feasibilityLabel, form.feasibilityText,
         "Feasibility tolerance, e >= 1.0e-9"},
        {"OnEnterIntegrality", form.integralityLabel, form.integralityText,
         "Integrality tolerance, 1 >= i >= 0"},
        {"OnEnterRepair", form.repairLabel, form.repairCheck, "Apply repair infeasibility procedure"},
        {"OnEnterRepairFile", form.repairFileLabel, form.repairFilePicker,
         "File with information for repair infeasibility tool"},
        {"OnEnterBcdClusters", form.bcdClustersLabel, form.bcdClustersText,
         "Number of clusters for Coordinated Descent, 1 -> no BCD"},
        {"OnEnterBcdTime", form.bcdTimeLabel, form.bcdTimeText,
         "Maximum time in seconds that can use each BCD cluster"},
        {"OnEnterBcdObjF", form.bcdObjFLabel, form.bcdObjFText, "Stop if objective function is lower than F"},
        {"OnEnterBcdEndBc", form.bcdEndBcLabel, form.bcdEndBcText,
         "When BCD ends do a global B&C, select maximum seconds of execution"},
        {"OnEnterBcdCycle", form.bcdCycleLabel, form.bcdCycleChoice,
         "One cycle or Repeat the same cycle indefinitely or Repeat the cycle changing the clusters"},
        {"OnEnterDynamic", form.dynamicLabel, form.dynamicCheck, "Active dynamic BCD"},
        {"OnEnterDynSprop", form.dynSpropLabel, form.dynSpropText, "% sens vars to consider in dynamic bcd"},
        {"OnEnterDynPerturb", form.dynPerturbLabel, form.dynPerturbText,
         "% probability discard sens var to be included in dynamic bcd"},
        {"OnEnterBcdNstop", form.bcdNstopLabel, form.bcdNstopText,
         "Number of consecutive subproblem executions before stopping if the objective value has not "
         "improved"},
        {"OnEnterPrepSens", form.prepSensLabel, form.prepSensCheck, "Preprocess sensitive cells"},
        {"OnEnterWriteLp", form.writeLpLabel, form.writeLpCheck, "Write problem in lp file"},
        {"OnEnterSeed", form.seedLabel, form.seedText, "Seed to use in random methods"},
        {"OnEnterValidInequalities", form.validInequalitiesLabel, form.validInequalitiesChoice,
         "Valid inequalities"},
        {"OnEnterStartingPoint", form.startingPointLabel, form.startingPointChoice, "Starting point"},
        {"OnEnterFixDir", form.fixDirLabel, form.fixDirChoice,
         "Fix the direction of the cells perturbations"},
        {"OnEnterEpsF", form.epsFLabel, form.epsFText,
         "epsF is used to calculate the rhs of the new restrictions where the rhs is max(objF*(1+epsF), "
         "epsrhs)"},
        {"OnEnterExpObj", form.expObjLabel, form.expObjText, "Select the exponent for objective 2, 3 and 4."},
        {"OnEnterEpsRhs", form.epsRhsLabel, form.epsRhsText,
         "epsrhs is used to calculate the rhs of the new restrictions where the rhs is max(objF*(1+epsF), "
         "epsrhs)"},
        {"OnEnterFixDirFile", form.fixDirFileLabel, form.fixDirFilePicker,
         "Name of directions file, for each fixed cell a line with the cell index and the direction (0, "
         "lower or 1, upper)"},
        {"OnEnterMipEmphasis", form.mipEmphasisLabel, form.mipEmphasisChoice, "Mipemphasis for CPLEX"},
        {"OnEnterEmphasis", form.emphasisLabel, form.emphasisChoice, "Emphasis for XPRESS"},
        {"OnEnterVarSel", form.varSelLabel, form.varSelChoice, "Variable selection criteria in CPLEX"},
        {"OnEnterIntDevTol", form.intDevTolLabel, form.intDevTolText,
         "Integrality tolerance to round the output cells in the solution file when intdev is used"},
        {"OnEnterMethod", form.methodLabel, form.methodChoice, "Select the method to solve the problem"},
        {"OnEnterCrossover", form.crossoverLabel, form.crossoverCheck, "Crossover after barrier method"},
    };
}

TEST_F(OptionFormTest, EnteringCaptionOrFieldShowsTheRowsExactHelpAndLeavingClearsIt)
{
    const auto rows = HelpRows(form);
    ASSERT_EQ(rows.size(), 47u);
    for (const auto& row : rows)
    {
        SCOPED_TRACE(row.handler);
        for (wxWindow* window : {row.caption, row.field})
        {
            ASSERT_NE(window, nullptr);
            EXPECT_TRUE(SendMouse(window, wxEVT_ENTER_WINDOW)) << "help must let the toolkit see the event";
            EXPECT_EQ(Status(), wxString::FromUTF8(row.text));
            EXPECT_FALSE(SendMouse(window, wxEVT_LEAVE_WINDOW)) << "leaving is consumed";
            EXPECT_EQ(Status(), "");
        }
    }
}

TEST_F(OptionFormTest, MovingFromCaptionToFieldShowsTheSameTextAgain)
{
    SendMouse(form.gapLabel, wxEVT_ENTER_WINDOW);
    SendMouse(form.gapLabel, wxEVT_LEAVE_WINDOW);
    SendMouse(form.gapText, wxEVT_ENTER_WINDOW);
    EXPECT_EQ(Status(), "Optimality % gap required");
}

TEST_F(OptionFormTest, HeadersButtonsAndOutputAreaShowNoHelp)
{
    const std::vector<wxWindow*> silent = {
        form.timingHeader, form.tolerancesHeader, form.repairHeader,  form.bcdHeader,    form.advancedHeader,
        form.outputText,   form.inputText,        form.inputLabel,    form.gapUnitLabel, form.showHideButton,
        form.aboutButton,  form.startButton,      form.optionsWindow, form.timingPanel,  form.mainPanel,
    };
    for (wxWindow* window : silent)
    {
        SCOPED_TRACE(window->GetClassInfo()->GetClassName());
        form.statusBar->SetStatusText("before", 0);
        SendMouse(window, wxEVT_ENTER_WINDOW);
        EXPECT_EQ(Status(), "before");
        SendMouse(window, wxEVT_LEAVE_WINDOW);
        EXPECT_EQ(Status(), "before");
    }
}

} // namespace
} // namespace vrn::test
