// The report page: well-formed, self-contained, its figures those of the measures, outside text escaped,
// and a size that does not grow with the table.
#include "results/report_page.h"
#include "results/table_measures.h"
#include "tools/table_generator.h"
#include "xml_check.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace
{

vrn::Instance ThreeByThree()
{
    vrn::ReadResult read = vrn::ReadInstanceFile(VRN_EXAMPLES_DIR "/table3x3.csp", false);
    EXPECT_TRUE(read.errors.empty());
    return read.instance;
}

std::vector<double> Moved(const vrn::Instance& table, const std::vector<std::pair<size_t, double>>& moves)
{
    std::vector<double> adjusted;
    for (const vrn::Cell& cell : table.cells)
        adjusted.push_back(cell.value);
    for (const auto& [cell, change] : moves)
        adjusted[cell] += change;
    return adjusted;
}

vrn::ReportRun SomeRun(const std::string& instancePath = "examples/table3x3.csp")
{
    vrn::ReportRun run;
    run.name = "table3x3_cbc";
    run.instancePath = instancePath;
    run.madeBy = "Written by a test.";
    run.facts = {{"solver", "CBC"}, {"outcome", "optimal"}};
    run.checkPassed = true;
    run.checkVerdict = "passed";
    run.checkLines = {"relations: ok"};
    run.optionLines = {"solver CBC, Std formulation"};
    run.phaseTimes = {{"solving with CBC", 0.011}};
    run.totalSeconds = 0.015;
    return run;
}

// The text of the element with this id ("<div class="value" id="objective">20</div>").
std::string ById(const std::string& page, const std::string& id)
{
    const size_t at = page.find("id=\"" + id + "\">");
    if (at == std::string::npos)
        return "(no element " + id + ")";
    const size_t start = page.find('>', at) + 1;
    return page.substr(start, page.find('<', start) - start);
}

TEST(ReportPage, IsWellFormedSelfContainedAndHoldsItsCharts)
{
    const vrn::Instance table = ThreeByThree();
    const std::string page = vrn::ReportPageHtml(
        vrn::MeasureTable(table, Moved(table, {{0, 5}, {3, 5}, {8, 5}, {11, 5}})), SomeRun());
    const vrn::test::XmlCheck xml(page);
    EXPECT_EQ(xml.Error(), "");
    EXPECT_EQ(xml.Elements().front(), "html");
    EXPECT_TRUE(xml.Holds("svg"));
    EXPECT_TRUE(xml.Holds("rect")); // bars are drawn
    for (const char* outside : {"<script", "src=", "href=", "<link", "url(", "@import"})
        EXPECT_EQ(page.find(outside), std::string::npos) << outside;
}

TEST(ReportPage, ShowsTheMeasuresFigures)
{
    const vrn::Instance table = ThreeByThree();
    const vrn::TableMeasures m = vrn::MeasureTable(table, Moved(table, {{0, 5}, {3, 5}, {8, 5}, {11, 5}}));
    const std::string page = vrn::ReportPageHtml(m, SomeRun());
    EXPECT_EQ(ById(page, "objective"), "20");
    EXPECT_EQ(ById(page, "total-change"), "20");
    EXPECT_EQ(ById(page, "cells-changed"), "4 of 16");
    EXPECT_EQ(ById(page, "largest-change"), "+5");
    EXPECT_EQ(ById(page, "largest-relative"), "12.5 %");
    EXPECT_EQ(ById(page, "mean-percent"), vrn::PercentText(m.nonSensitiveMeanPercent));
    EXPECT_EQ(ById(page, "check"), "solution check: passed");
    EXPECT_NE(page.find("cell 0 (grand total)"), std::string::npos);
    // The sensitive cell moved by exactly its level: the page warns.
    EXPECT_NE(page.find("1 sensitive cell sits exactly at the original value plus or minus"),
              std::string::npos);
}

// A count table's figures stay whole: a total of a million reads 1000000, never 1e+06.
TEST(ReportPage, CountsReadAsCounts)
{
    vrn::Instance table;
    vrn::Cell total, part;
    total.value = 1000000;
    part.value = 1000000;
    part.status = 'u';
    part.lpl = part.upl = 1000000;
    table.cells = {total, part};
    table.AddRelation(0, {{0, -1}, {1, 1}});
    const std::string page = vrn::ReportPageHtml(vrn::MeasureTable(table, {2000000, 2000000}), SomeRun());
    EXPECT_EQ(ById(page, "total-change"), "2000000");
    EXPECT_EQ(page.find("e+06"), std::string::npos);
}

TEST(ReportPage, EscapesOutsideTextAndStaysWellFormed)
{
    const vrn::Instance table = ThreeByThree();
    const std::string hostile = "a<script>alert('x')</script>&amp\"\x01\xff\xc3\xa9.csp";
    vrn::ReportRun run = SomeRun(hostile);
    run.facts.emplace_back("reason", "</td></tr></table><b>");
    run.checkPassed = false;
    run.checkVerdict = "FAILED";
    const std::string page = vrn::ReportPageHtml(vrn::MeasureTable(table, Moved(table, {{11, 2}})), run);
    EXPECT_EQ(vrn::test::XmlCheck(page).Error(), "");
    EXPECT_EQ(page.find("<script"), std::string::npos);
    EXPECT_EQ(page.find("<b>"), std::string::npos);
    EXPECT_NE(
        page.find("a&lt;script&gt;alert(&#39;x&#39;)&lt;/script&gt;&amp;amp&quot;\\x01\\xff\xc3\xa9.csp"),
        std::string::npos);
    EXPECT_EQ(ById(page, "check"), "solution check: FAILED");
    EXPECT_NE(page.find("did not pass the solution check"), std::string::npos);
    // The relations do not hold for this table: cell 11 moved alone, by less than its level.
    EXPECT_NE(page.find("moved by less than the protection level"), std::string::npos);
}

// No line per cell: the page of a 90,000-cell table is about the size of the 3x3's.
TEST(ReportPage, SizeDoesNotGrowWithTheTable)
{
    vrn::GeneratorSettings settings;
    settings.dimensions = {vrn::Dimension::Flat(299), vrn::Dimension::Flat(299)};
    settings.seed = 5;
    const vrn::Instance table = vrn::GenerateTable(settings);
    std::vector<double> adjusted;
    for (size_t i = 0; i < table.cells.size(); ++i)
        adjusted.push_back(table.cells[i].value + (i % 7 == 0 ? std::ceil(0.02 * table.cells[i].value) : 0));
    const std::string page = vrn::ReportPageHtml(vrn::MeasureTable(table, adjusted), SomeRun());
    EXPECT_EQ(vrn::test::XmlCheck(page).Error(), "");
    EXPECT_LT(page.size(), 60000u) << "cells " << table.cells.size();
    // Every 7th cell moved by 2 % or more: the moved totals are listed up to 20, then counted.
    EXPECT_NE(page.find("more."), std::string::npos);
}

TEST(ReportPage, HeadlineLinesForTheLog)
{
    const vrn::Instance table = ThreeByThree();
    const std::vector<std::string> lines =
        vrn::HeadlineLines(vrn::MeasureTable(table, Moved(table, {{0, 5}, {3, 5}, {8, 5}, {11, 5}})));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0],
              "report: weighted change 20 (the objective), total change 20; 4 of 16 cells changed (25 %)");
    EXPECT_EQ(lines[1].rfind("report: largest change +5 (cell 0, 309 -> 314), largest relative change 12.5 % "
                             "(cell 11); cells not sensitive: mean change 0.698 %",
                             0),
              0u)
        << lines[1];
    EXPECT_EQ(lines[2],
              "report: 1 sensitive cell: 1 up, 0 down, 0 not moved; 1 exactly at the protection level");
}

TEST(PercentText, ThreeDigitsWholeFromAHundred)
{
    const std::pair<double, const char*> rows[] = {{12.5, "12.5 %"}, {0.0123456, "0.0123 %"},
                                                   {250.4, "250 %"}, {99.96, "100 %"},
                                                   {0, "0 %"},       {NAN, "undefined"}};
    for (const auto& [percent, text] : rows)
        EXPECT_EQ(vrn::PercentText(percent), text);
}

} // namespace
