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

std::vector<HelpRow> HelpRows(const MainFrameDriver& form)
{
    return {
        {"OnEnterInstanceFile", form.Label("m_instanceFileLabel"),
         form.Get<wxFilePickerCtrl>("m_instanceFilePicker"), "Name of instance file in csp format"},
        {"OnEnterOutputFolder", form.Label("m_outputFolderLabel"),
         form.Get<wxDirPickerCtrl>("m_outputFolderPicker"), "Directory for output files"},
        {"OnEnterFormulation", form.Label("m_formulationLabel"), form.Choice("m_formulationChoice"),
         "Formulation to solve VRN problem. Std VRN uses a MILP model with better solutions and Fast VRN "
         "uses a LP model with better timing"},
        {"OnEnterIntegerCells", form.Label("m_integerCellsLabel"), form.CheckBox("m_integerCellsCheck"),
         "Force output cells to be integer"},
        {"OnEnterSolver", form.Label("m_solverLabel"), form.Choice("m_solverChoice"), "Solver to be used"},
        {"OnEnterModel", form.Label("m_modelLabel"), form.Choice("m_modelChoice"),
         "VRN optimization model to be used"},
        {"OnEnterAdditive", form.Label("m_additiveLabel"), form.CheckBox("m_additiveCheck"),
         "Make table additive if not originally"},
        {"OnEnterFormat", form.Label("m_formatLabel"), form.Choice("m_formatChoice"),
         "Check all the format errors or stop at first"},
        {"OnEnterScale", form.Label("m_scaleLabel"), form.Text("m_scaleText"), "Scale factor"},
        {"OnEnterCheck", form.Label("m_checkLabel"), form.CheckBox("m_checkCheck"),
         "Check input table and solution"},
        {"OnEnterProgress", form.Label("m_progressLabel"), form.Text("m_progressText"),
         "Show progress of optimization procedure on screen at most every indicated seconds (only for Xpress "
         "and Cplex)"},
        {"OnEnterBig", form.Label("m_bigLabel"), form.Text("m_bigText"),
         "Big value to be used, at most, for bounds on deviations. -1 -> automatically set by the code"},
        {"OnEnterLexminOrder", form.Label("m_lexminOrderLabel"), form.Text("m_lexminOrderText"),
         "Selects the order of the objectives functions for the lexmin approach"},
        {"OnEnterPctBounds", form.Label("m_pctBoundsLabel"), form.Text("m_pctBoundsText"),
         "The bounds of cells will be the selected % above and below the cells values"},
        {"OnEnterTime", form.Label("m_timeLabel"), form.Text("m_timeText"),
         "Initial limit time in seconds for optimization"},
        {"OnEnterFirst", form.Label("m_firstLabel"), form.CheckBox("m_firstCheck"),
         "Stop at first feasible solution"},
        {"OnEnterGap", form.Label("m_gapLabel"), form.Text("m_gapText"), "Optimality % gap required"},
        {"OnEnterLpTolerance", form.Label("m_lpToleranceLabel"), form.Text("m_lpToleranceText"),
         "Lp optimality tolerance required"},
        {"OnEnterFeasibility", form.Label("m_feasibilityLabel"), form.Text("m_feasibilityText"),
         "Feasibility tolerance, e >= 1.0e-9"},
        {"OnEnterIntegrality", form.Label("m_integralityLabel"), form.Text("m_integralityText"),
         "Integrality tolerance, 1 >= i >= 0"},
        {"OnEnterRepair", form.Label("m_repairLabel"), form.CheckBox("m_repairCheck"),
         "Apply repair infeasibility procedure"},
        {"OnEnterRepairFile", form.Label("m_repairFileLabel"),
         form.Get<wxFilePickerCtrl>("m_repairFilePicker"),
         "File with information for repair infeasibility tool"},
        {"OnEnterBcdClusters", form.Label("m_bcdClustersLabel"), form.Text("m_bcdClustersText"),
         "Number of clusters for Coordinated Descent, 1 -> no BCD"},
        {"OnEnterBcdTime", form.Label("m_bcdTimeLabel"), form.Text("m_bcdTimeText"),
         "Maximum time in seconds that can use each BCD cluster"},
        {"OnEnterBcdObjF", form.Label("m_bcdObjFLabel"), form.Text("m_bcdObjFText"),
         "Stop if objective function is lower than F"},
        {"OnEnterBcdEndBc", form.Label("m_bcdEndBcLabel"), form.Text("m_bcdEndBcText"),
         "When BCD ends do a global B&C, select maximum seconds of execution"},
        {"OnEnterBcdCycle", form.Label("m_bcdCycleLabel"), form.Choice("m_bcdCycleChoice"),
         "One cycle or Repeat the same cycle indefinitely or Repeat the cycle changing the clusters"},
        {"OnEnterDynamic", form.Label("m_dynamicLabel"), form.CheckBox("m_dynamicCheck"),
         "Active dynamic BCD"},
        {"OnEnterDynSprop", form.Label("m_dynSpropLabel"), form.Text("m_dynSpropText"),
         "% sens vars to consider in dynamic bcd"},
        {"OnEnterDynPerturb", form.Label("m_dynPerturbLabel"), form.Text("m_dynPerturbText"),
         "% probability discard sens var to be included in dynamic bcd"},
        {"OnEnterBcdNstop", form.Label("m_bcdNstopLabel"), form.Text("m_bcdNstopText"),
         "Number of consecutive subproblem executions before stopping if the objective value has not "
         "improved"},
        {"OnEnterPrepSens", form.Label("m_prepSensLabel"), form.CheckBox("m_prepSensCheck"),
         "Preprocess sensitive cells"},
        {"OnEnterWriteLp", form.Label("m_writeLpLabel"), form.CheckBox("m_writeLpCheck"),
         "Write problem in lp file"},
        {"OnEnterSeed", form.Label("m_seedLabel"), form.Text("m_seedText"), "Seed to use in random methods"},
        {"OnEnterValidInequalities", form.Label("m_validInequalitiesLabel"),
         form.Choice("m_validInequalitiesChoice"), "Valid inequalities"},
        {"OnEnterStartingPoint", form.Label("m_startingPointLabel"), form.Choice("m_startingPointChoice"),
         "Starting point"},
        {"OnEnterFixDir", form.Label("m_fixDirLabel"), form.Choice("m_fixDirChoice"),
         "Fix the direction of the cells perturbations"},
        {"OnEnterEpsF", form.Label("m_epsFLabel"), form.Text("m_epsFText"),
         "epsF is used to calculate the rhs of the new restrictions where the rhs is max(objF*(1+epsF), "
         "epsrhs)"},
        {"OnEnterExpObj", form.Label("m_expObjLabel"), form.Text("m_expObjText"),
         "Select the exponent for objective 2, 3 and 4."},
        {"OnEnterEpsRhs", form.Label("m_epsRhsLabel"), form.Text("m_epsRhsText"),
         "epsrhs is used to calculate the rhs of the new restrictions where the rhs is max(objF*(1+epsF), "
         "epsrhs)"},
        {"OnEnterFixDirFile", form.Label("m_fixDirFileLabel"),
         form.Get<wxFilePickerCtrl>("m_fixDirFilePicker"),
         "Name of directions file, for each fixed cell a line with the cell index and the direction (0, "
         "lower or 1, upper)"},
        {"OnEnterMipEmphasis", form.Label("m_mipEmphasisLabel"), form.Choice("m_mipEmphasisChoice"),
         "Mipemphasis for CPLEX"},
        {"OnEnterEmphasis", form.Label("m_emphasisLabel"), form.Choice("m_emphasisChoice"),
         "Emphasis for XPRESS"},
        {"OnEnterVarSel", form.Label("m_varSelLabel"), form.Choice("m_varSelChoice"),
         "Variable selection criteria in CPLEX"},
        {"OnEnterIntDevTol", form.Label("m_intDevTolLabel"), form.Text("m_intDevTolText"),
         "Integrality tolerance to round the output cells in the solution file when intdev is used"},
        {"OnEnterMethod", form.Label("m_methodLabel"), form.Choice("m_methodChoice"),
         "Select the method to solve the problem"},
        {"OnEnterCrossover", form.Label("m_crossoverLabel"), form.CheckBox("m_crossoverCheck"),
         "Crossover after barrier method"},
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
    SendMouse(form.Label("m_gapLabel"), wxEVT_ENTER_WINDOW);
    SendMouse(form.Label("m_gapLabel"), wxEVT_LEAVE_WINDOW);
    SendMouse(form.Text("m_gapText"), wxEVT_ENTER_WINDOW);
    EXPECT_EQ(Status(), "Optimality % gap required");
}

TEST_F(OptionFormTest, HeadersButtonsAndOutputAreaShowNoHelp)
{
    const std::vector<wxWindow*> silent = {
        form.Label("m_timingHeader"),
        form.Label("m_tolerancesHeader"),
        form.Label("m_repairHeader"),
        form.Label("m_bcdHeader"),
        form.Label("m_advancedHeader"),
        form.Text("m_outputText"),
        form.Text("m_inputText"),
        form.Label("m_inputLabel"),
        form.Label("m_gapUnitLabel"),
        form.Button("m_showHideButton"),
        form.Button("m_aboutButton"),
        form.Button("m_startButton"),
        form.Get<wxScrolledWindow>("m_optionsWindow"),
        form.Panel("m_timingPanel"),
        form.Panel("m_mainPanel"),
    };
    for (wxWindow* window : silent)
    {
        SCOPED_TRACE(window->GetClassInfo()->GetClassName());
        form.Get<wxStatusBar>("m_statusBar")->SetStatusText("before", 0);
        SendMouse(window, wxEVT_ENTER_WINDOW);
        EXPECT_EQ(Status(), "before");
        SendMouse(window, wxEVT_LEAVE_WINDOW);
        EXPECT_EQ(Status(), "before");
    }
}

} // namespace
} // namespace vrn::test
