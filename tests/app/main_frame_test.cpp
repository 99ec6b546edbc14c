#include "about_text.h"
#include "gui_test_main.h"
#include "main_frame.h"
#include "main_frame_driver.h"
#include "wx_widgets_app.h"

#include <wx/app.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <sstream>
#include <string>

wxIMPLEMENT_APP_NO_MAIN(wxWidgetsApp);

int main(int argc, char** argv)
{
    return vrn::test::RunGuiTests(argc, argv);
}

namespace
{

using vrn::test::Ui;

MainFrame* AppFrame()
{
    return dynamic_cast<MainFrame*>(wxTheApp->GetTopWindow());
}

void Click(wxButton* button)
{
    vrn::test::ClickButton(button);
    vrn::test::PumpFor(std::chrono::milliseconds(20));
}

wxString OutputOf(MainFrame* frame)
{
    return Ui(frame).Text("m_outputText")->GetValue();
}

class MainFrameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        frame = AppFrame();
        ASSERT_NE(frame, nullptr);
        Ui(frame).Text("m_outputText")->Clear();
    }

    MainFrame* frame = nullptr;
};

TEST_F(MainFrameTest, StartsAsUserSeesIt)
{
    EXPECT_TRUE(frame->IsShown());
    EXPECT_EQ(frame->GetTitle(), "VRN - Tessera Statistical Software");
    EXPECT_EQ(frame->GetSize(), wxSize(1100, 750));
    EXPECT_FALSE(Ui(frame).Get<wxGauge>("m_progressGauge")->IsShown());
    EXPECT_FALSE(Ui(frame).Button("m_clearOutputButton")->IsShown());
    EXPECT_FALSE(Ui(frame).Button("m_showLogButton")->IsShown());
    EXPECT_FALSE(Ui(frame).Button("m_showSolutionButton")->IsShown());
    EXPECT_EQ(Ui(frame).Button("m_startButton")->GetLabel(), "Start optimization");
    EXPECT_EQ(Ui(frame).Get<wxStatusBar>("m_statusBar")->GetStatusText(0), "");
    EXPECT_EQ(Ui(frame).Choice("m_solverChoice")->GetStringSelection(), "Xpress");
    EXPECT_EQ(Ui(frame).Label("m_bcdEndBcLabel")->GetLabelText(), "Final B&C time");
    EXPECT_TRUE(Ui(frame).Panel("m_timingPanel")->IsShown());
    EXPECT_FALSE(Ui(frame).Panel("m_tolerancesPanel")->IsShown());
    EXPECT_FALSE(Ui(frame).Panel("m_repairPanel")->IsShown());
    EXPECT_FALSE(Ui(frame).Panel("m_bcdPanel")->IsShown());
    EXPECT_FALSE(Ui(frame).Panel("m_advancedPanel")->IsShown());
}

TEST_F(MainFrameTest, OptionsWindowIsFittedToItsBestWidth)
{
    // The options column is as wide as its content plus room for the vertical scrollbar, and
    // asks for no height of its own.
    wxScrolledWindow* options = Ui(frame).Get<wxScrolledWindow>("m_optionsWindow");
    EXPECT_EQ(options->GetMinClientSize().GetWidth(), options->GetSizer()->GetMinSize().GetWidth() + 30);
    EXPECT_EQ(options->GetMinClientSize().GetHeight(), 0);
}

TEST_F(MainFrameTest, AboutTwiceWritesBothBlocksTwiceInOrder)
{
    Click(Ui(frame).Button("m_aboutButton"));
    Click(Ui(frame).Button("m_aboutButton"));

    const std::string banner = vrn::AboutBanner();
    const std::string authors = vrn::AboutAuthors();
    const std::string once = banner + "\n" + authors + "\n";
    EXPECT_EQ(OutputOf(frame).utf8_string(), once + once);
}

TEST(AboutText, BannerHasFourLinesWithLogoInOneColumn)
{
    std::istringstream banner(vrn::AboutBanner());
    std::string line;
    std::vector<std::string> lines;
    while (std::getline(banner, line))
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_NE(lines[0].find("statistical disclosure control of tabular data"), std::string::npos);
    EXPECT_NE(lines[1].find("Copyright"), std::string::npos);
    EXPECT_NE(lines[2].find("Version " VRN_VERSION ", 2026"), std::string::npos);

    // The logo's rows have one width and end in one column, so they stand in the same columns;
    // each text ends at least two blanks before the logo's leftmost glyph, and the fourth line
    // holds nothing but the logo.
    const std::size_t textEnd[] = {lines[0].find("   "), lines[1].find("   "), lines[2].find("   "), 0};
    std::size_t logoStart = std::string::npos;
    for (std::size_t i = 0; i < lines.size(); ++i)
    {
        EXPECT_EQ(lines[i].size(), lines[0].size()) << lines[i];
        ASSERT_NE(textEnd[i], std::string::npos) << lines[i];
        logoStart = std::min(logoStart, lines[i].find_first_not_of(' ', textEnd[i]));
    }
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_LT(textEnd[i] + 1, logoStart) << lines[i];
    const std::size_t bottomRowStart = lines[3].find_first_not_of(' ');
    for (std::size_t i = 0; i < 3; ++i)
        EXPECT_GT(bottomRowStart, textEnd[i] + 1) << lines[i];
}

TEST(AboutText, AuthorsBlockHasHeadingBlankLineAndAuthorLines)
{
    std::istringstream authors(vrn::AboutAuthors());
    std::string heading, blank, author;
    std::getline(authors, heading);
    std::getline(authors, blank);
    EXPECT_FALSE(heading.empty());
    EXPECT_TRUE(blank.empty());
    int count = 0;
    while (std::getline(authors, author))
    {
        ++count;
        EXPECT_NE(author.find('@'), std::string::npos) << author;
        EXPECT_EQ(author.back(), ')') << author;
    }
    EXPECT_GE(count, 1);
}

TEST_F(MainFrameTest, ClearOutputEmptiesAreaAndHidesResultButtons)
{
    std::cout << "back-end line 1\nback-end line 2" << std::endl;
    Ui(frame).Button("m_clearOutputButton")->Show();
    Ui(frame).Button("m_showLogButton")->Show();
    Ui(frame).Button("m_showSolutionButton")->Show();
    ASSERT_FALSE(OutputOf(frame).empty());

    Click(Ui(frame).Button("m_clearOutputButton"));

    EXPECT_TRUE(OutputOf(frame).empty());
    EXPECT_FALSE(Ui(frame).Button("m_clearOutputButton")->IsShown());
    EXPECT_FALSE(Ui(frame).Button("m_showLogButton")->IsShown());
    EXPECT_FALSE(Ui(frame).Button("m_showSolutionButton")->IsShown());
}

TEST_F(MainFrameTest, StandardErrorLandsInOutputArea)
{
    std::cerr << "warning: cell 12 has no cost";
    EXPECT_EQ(OutputOf(frame), "warning: cell 12 has no cost");
}

TEST_F(MainFrameTest, NonAsciiTextShowsCorrectly)
{
    std::cout << "Zürich € 12 \xF0\x9F\x93\x8A" << std::endl;
    EXPECT_EQ(OutputOf(frame), wxString::FromUTF8("Zürich € 12 \xF0\x9F\x93\x8A\n"));
}

TEST_F(MainFrameTest, CharacterSplitBetweenFlushesShowsWhole)
{
    std::cout << "caf\xC3" << std::flush;
    std::cout << "\xA9" << std::flush;
    EXPECT_EQ(OutputOf(frame), wxString::FromUTF8("café"));
}

TEST_F(MainFrameTest, TextWrittenWithoutFlushShowsOnceEventsRun)
{
    std::cout << "partial line";
    vrn::test::PumpUntil([&] { return !OutputOf(frame).empty(); }, std::chrono::milliseconds(2000));
    EXPECT_EQ(OutputOf(frame), "partial line");
}

TEST_F(MainFrameTest, ManyLinesArriveWhole)
{
    // More than one stream-buffer block: nothing may be lost or doubled at block boundaries.
    const std::string line(79, 'x');
    for (int i = 0; i < 5000; ++i)
        std::cout << line << '\n';
    std::cout.flush();
    EXPECT_EQ(OutputOf(frame).length(), 5000u * 80u);
}

TEST(MainFrameLifetime, StreamsReturnToPreviousBuffersAfterDestroy)
{
    std::ostringstream savedOut, savedErr;
    std::streambuf* outBefore = std::cout.rdbuf(savedOut.rdbuf());
    std::streambuf* errBefore = std::cerr.rdbuf(savedErr.rdbuf());
    {
        auto* second = new MainFrame();
        EXPECT_NE(std::cout.rdbuf(), savedOut.rdbuf());
        EXPECT_NE(std::cerr.rdbuf(), savedErr.rdbuf());
        std::cout << "into the window" << std::endl;
        EXPECT_EQ(OutputOf(second), "into the window\n");
        delete second;
    }
    std::cout << "after" << std::flush;
    std::cerr << "error after" << std::flush;
    EXPECT_EQ(savedOut.str(), "after");
    EXPECT_EQ(savedErr.str(), "error after");
    std::cout.rdbuf(outBefore);
    std::cerr.rdbuf(errBefore);
}

} // namespace
