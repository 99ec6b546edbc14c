#include "option_form.h"

#include <wx/arrstr.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vrn::test
{
namespace
{

enum class Combination
{
    StdMip,
    FastLp,
    FastMip
};

const char* Name(Combination c)
{
    return c == Combination::StdMip ? "Std/MIP" : c == Combination::FastLp ? "Fast/LP" : "Fast/MIP";
}

// Brings the form into a combination the way a user does: ticking or clearing "Integer cells"
// (which alone changes nothing while Std is selected) and picking the formulation.
void Reach(const MainFrameDriver& form, Combination c)
{
    switch (c)
    {
    case Combination::StdMip:
        SelectFormulation(form, 0);
        break;
    case Combination::FastLp:
        SetIntegerCells(form, false);
        SelectFormulation(form, 1);
        break;
    case Combination::FastMip:
        SetIntegerCells(form, true);
        SelectFormulation(form, 1);
        break;
    }
}

// Which groups a user sees in each combination (the repair and BCD bodies are folded at start).
struct GroupRow
{
    const char* name;
    wxWindow* window;
    bool stdMip, fastLp, fastMip;
};

std::vector<GroupRow> Groups(const MainFrameDriver& f)
{
    return {
        {"progress", f.Panel("m_progressPanel"), true, false, false},
        {"first", f.Panel("m_firstPanel"), true, false, false},
        {"valid inequalities", f.Panel("m_validInequalitiesPanel"), true, false, false},
        {"lexmin", f.Panel("m_lexminPanel"), false, true, true},
        {"fix directions", f.Panel("m_fixDirPanel"), false, true, true},
        {"gap", f.Panel("m_gapPanel"), true, false, true},
        {"integrality", f.Panel("m_integralityPanel"), true, false, true},
        {"solver parameters", f.Panel("m_solverParamsPanel"), true, false, true},
        {"LP tolerance", f.Panel("m_lpTolerancePanel"), false, true, false},
        {"method", f.Panel("m_methodPanel"), false, true, false},
        {"repair header", f.Label("m_repairHeader"), true, false, false},
        {"repair body", f.Panel("m_repairPanel"), false, false, false},
        {"BCD header", f.Label("m_bcdHeader"), true, false, false},
        {"BCD body", f.Panel("m_bcdPanel"), false, false, false},
    };
}

std::vector<std::string> Items(wxChoice* choice)
{
    std::vector<std::string> items;
    for (const auto& item : choice->GetStrings())
        items.push_back(item.ToStdString());
    return items;
}

const std::vector<std::string> kMipSolvers = {"Cplex", "Xpress", "Glpk", "Cbc", "Symphony"};
const std::vector<std::string> kLpSolvers = {"Cplex", "Xpress", "Glpk", "Clp"};
const std::vector<std::string> kStdModels = {"Automatic", "Classical", "New"};
const std::vector<std::string> kFastModels = {"Lexmin"};

void ExpectForm(const MainFrameDriver& form, Combination c)
{
    SCOPED_TRACE(Name(c));
    for (const auto& group : Groups(form))
    {
        const bool expected = c == Combination::StdMip   ? group.stdMip
                              : c == Combination::FastLp ? group.fastLp
                                                         : group.fastMip;
        EXPECT_EQ(group.window->IsShown(), expected) << group.name;
    }
    EXPECT_EQ(Items(form.Choice("m_solverChoice")), c == Combination::FastLp ? kLpSolvers : kMipSolvers);
    EXPECT_EQ(Items(form.Choice("m_modelChoice")), c == Combination::StdMip ? kStdModels : kFastModels);
    EXPECT_NE(form.Choice("m_solverChoice")->GetSelection(), wxNOT_FOUND);
    EXPECT_EQ(form.Choice("m_modelChoice")->GetSelection(), 0);
}

TEST_F(OptionFormTest, EveryTransitionBetweenTheThreeCombinations)
{
    ExpectForm(form, Combination::StdMip);
    // Visits every ordered pair once, the repeated ones (X -> X) included.
    using C = Combination;
    const C path[] = {C::StdMip, C::FastLp, C::FastLp,  C::FastMip, C::FastMip,
                      C::FastLp, C::StdMip, C::FastMip, C::StdMip};
    C from = C::StdMip;
    for (C to : path)
    {
        SCOPED_TRACE(std::string(Name(from)) + " -> " + Name(to));
        Reach(form, to);
        ExpectForm(form, to);
        from = to;
    }
}

TEST_F(OptionFormTest, XpressSurvivesTheSwitchToFast)
{
    ASSERT_EQ(form.Choice("m_solverChoice")->GetStringSelection(), "Xpress");
    Reach(form, Combination::FastLp);
    EXPECT_EQ(Items(form.Choice("m_solverChoice")), kLpSolvers);
    EXPECT_EQ(form.Choice("m_solverChoice")->GetStringSelection(), "Xpress");
    EXPECT_EQ(form.Choice("m_modelChoice")->GetStringSelection(), "Lexmin");
    EXPECT_FALSE(form.Label("m_repairHeader")->IsShown());
    EXPECT_FALSE(form.Label("m_bcdHeader")->IsShown());
    Reach(form, Combination::FastMip);
    EXPECT_EQ(form.Choice("m_solverChoice")->GetStringSelection(), "Xpress");
}

TEST_F(OptionFormTest, SymphonyBecomesClpThenCbc)
{
    form.Choice("m_solverChoice")->SetStringSelection("Symphony");
    Reach(form, Combination::FastLp);
    EXPECT_EQ(form.Choice("m_solverChoice")->GetStringSelection(), "Clp");
    SetIntegerCells(form, true);
    EXPECT_EQ(Items(form.Choice("m_solverChoice")), kMipSolvers);
    EXPECT_EQ(form.Choice("m_solverChoice")->GetStringSelection(), "Cbc");
}

TEST_F(OptionFormTest, UnfoldedBcdAndFoldedRepairSurviveAVisitToFast)
{
    ClickHeader(form.Label("m_bcdHeader"));
    ASSERT_TRUE(form.Panel("m_bcdPanel")->IsShown());
    Reach(form, Combination::FastLp);
    EXPECT_FALSE(form.Panel("m_bcdPanel")->IsShown());
    Reach(form, Combination::FastMip);
    Reach(form, Combination::StdMip);
    EXPECT_TRUE(form.Label("m_bcdHeader")->IsShown());
    EXPECT_TRUE(form.Panel("m_bcdPanel")->IsShown());
    EXPECT_EQ(form.Label("m_bcdHeader")->GetLabel(), "- BCD");
    EXPECT_TRUE(form.Label("m_repairHeader")->IsShown());
    EXPECT_FALSE(form.Panel("m_repairPanel")->IsShown());
    EXPECT_EQ(form.Label("m_repairHeader")->GetLabel(), "+ Repair infeasibility");
}

TEST_F(OptionFormTest, RepeatedEventOnlyRefitsTheOptionsWindow)
{
    form.Choice("m_solverChoice")->SetSelection(4);
    form.Choice("m_modelChoice")->SetSelection(2);
    const wxSize fitted =
        form.Get<wxScrolledWindow>("m_optionsWindow")->GetMinClientSize(); // as the constructor fitted it
    ASSERT_GT(fitted.x, 30);
    form.Get<wxScrolledWindow>("m_optionsWindow")->SetMinClientSize(wxSize(1, 1));
    SetIntegerCells(form, true); // Std is selected: the problem stays MIP

    EXPECT_EQ(Items(form.Choice("m_solverChoice")), kMipSolvers);
    EXPECT_EQ(form.Choice("m_solverChoice")->GetSelection(), 4);
    EXPECT_EQ(form.Choice("m_modelChoice")->GetSelection(), 2);
    EXPECT_TRUE(form.Panel("m_progressPanel")->IsShown());
    EXPECT_FALSE(form.Panel("m_methodPanel")->IsShown());
    EXPECT_EQ(form.Get<wxScrolledWindow>("m_optionsWindow")->GetMinClientSize(), fitted)
        << "the options window is fitted again";
}

TEST_F(OptionFormTest, OptionChangeIsConsumed)
{
    wxCommandEvent event(wxEVT_CHOICE, form.Choice("m_formulationChoice")->GetId());
    event.SetEventObject(form.Choice("m_formulationChoice"));
    form.Choice("m_formulationChoice")->SetSelection(1);
    form.Choice("m_formulationChoice")->GetEventHandler()->ProcessEvent(event);
    EXPECT_FALSE(event.GetSkipped());
    EXPECT_TRUE(form.Panel("m_lexminPanel")->IsShown());
}

TEST_F(OptionFormTest, ModelChoiceIsNotRememberedAcrossFast)
{
    form.Choice("m_modelChoice")->SetStringSelection("New");
    Reach(form, Combination::FastLp);
    Reach(form, Combination::StdMip);
    EXPECT_EQ(form.Choice("m_modelChoice")->GetStringSelection(), "Automatic");
}

TEST_F(OptionFormTest, ValuesInHiddenOptionsStayInTheirFields)
{
    form.Text("m_lexminOrderText")->ChangeValue("1-2-3-4");
    form.Text("m_gapText")->ChangeValue("7");
    Reach(form, Combination::FastLp);
    EXPECT_TRUE(form.Text("m_lexminOrderText")->IsShownOnScreen());
    EXPECT_EQ(form.Text("m_lexminOrderText")->GetValue(), "1-2-3-4");
    EXPECT_FALSE(form.Text("m_gapText")->IsShownOnScreen());
    Reach(form, Combination::StdMip);
    EXPECT_EQ(form.Text("m_gapText")->GetValue(), "7");
    EXPECT_TRUE(form.Text("m_gapText")->IsShownOnScreen());
}

} // namespace
} // namespace vrn::test
