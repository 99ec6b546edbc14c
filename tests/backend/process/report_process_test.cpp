// The report page through the real mainVRN.exe: written beside the .log and the .sol by every run that
// writes a table (a stopped one too), never without one, its figures those of the .sol, the log ending
// with them; and mainVRN.exe --report on an instance and a .sol, with its errors.
#include "backend_process.h"
#include "xml_check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{

using vrn::test::ReadTextFile;

class ReportProcess : public vrn::test::BackendProcessTest
{
protected:
    std::string m_out, m_err;

    int Run(std::vector<std::string> args)
    {
        const vrn::ChildResult run = vrn::test::RunBackend(std::move(args));
        m_out = run.out;
        m_err = run.err;
        return run.status;
    }

    // The text of the page's element with this id.
    static std::string ById(const std::string& page, const std::string& id)
    {
        const size_t at = page.find("id=\"" + id + "\">");
        if (at == std::string::npos)
            return "(no element " + id + ")";
        const size_t start = page.find('>', at) + 1;
        return page.substr(start, page.find('<', start) - start);
    }

    static std::string HeaderValue(const std::string& header, const std::string& key)
    {
        const std::string line = "# " + key + ": ";
        const size_t at = header.find(line);
        return at == std::string::npos
                   ? "(none)"
                   : header.substr(at + line.size(), header.find('\n', at) - at - line.size());
    }

    // The page beside `base`.sol is well-formed, holds its charts and shows the .sol's objective and
    // number of changed cells.
    void ExpectPageOfTheSol(const fs::path& base, const vrn::Instance& table)
    {
        const std::string page = ReadTextFile(base.string() + ".html");
        ASSERT_FALSE(page.empty()) << base;
        const vrn::test::XmlCheck xml(page);
        EXPECT_EQ(xml.Error(), "") << base;
        EXPECT_TRUE(xml.Holds("svg")) << base;
        const vrn::test::SolutionFile sol = vrn::test::ReadSolutionFile(base.string() + ".sol");
        ASSERT_EQ(sol.adjusted.size(), table.cells.size());
        EXPECT_EQ(ById(page, "objective"), HeaderValue(sol.header, "objective")) << base;
        size_t changed = 0;
        for (size_t i = 0; i < table.cells.size(); ++i)
            changed += sol.adjusted[i] != table.cells[i].value;
        EXPECT_EQ(ById(page, "cells-changed"),
                  std::to_string(changed) + " of " + std::to_string(table.cells.size()))
            << base;
    }

    // The .sol's text with the line of cell `cell` replaced (cell lines follow the 10 header lines).
    static std::string WithCellLine(std::string text, size_t cell, const std::string& line)
    {
        const size_t at = text.find("\n" + std::to_string(cell) + " ") + 1;
        return text.replace(at, text.find('\n', at) - at, line);
    }

    // The log ends with the headline figures, the page's path, then the exit status.
    static void ExpectLogEndsWithTheHeadline(const fs::path& base)
    {
        const std::string log = ReadTextFile(base.string() + ".log");
        std::vector<std::string> lines;
        for (size_t start = 0, end; start < log.size(); start = end + 1)
        {
            end = log.find('\n', start);
            lines.push_back(log.substr(start, end - start));
        }
        ASSERT_GE(lines.size(), 4u);
        const size_t n = lines.size();
        EXPECT_EQ(lines[n - 1].rfind("exit status ", 0), 0u) << lines[n - 1];
        EXPECT_EQ(lines[n - 2].rfind("report page: " + base.string() + ".html (built in ", 0), 0u)
            << lines[n - 2];
        EXPECT_EQ(lines[n - 3].rfind("report: ", 0), 0u) << lines[n - 3];
        EXPECT_NE(log.find("report: weighted change "), std::string::npos);
    }
};

// Std with every integer solver (GLPK in its own program) and a Fast run with CLP.
TEST_F(ReportProcess, EveryRunThatWritesATableWritesItsPage)
{
    const fs::path instance = Write("t.csp", Example());
    const vrn::Instance table = Parse(Example());
    const std::vector<std::pair<std::vector<std::string>, const char*>> runs = {
        {{"--solver", "b"}, "t_cbc"},
        {{"--solver", "g"}, "t_glpk"},
        {{"--solver", "s"}, "t_sym"},
        {{"--solver", "l", "--order", "1", "--fixdir", "s"}, "t_clp"},
    };
    for (const auto& [options, base] : runs)
    {
        std::vector<std::string> args = {instance.string(), m_dir.string()};
        args.insert(args.end(), options.begin(), options.end());
        ASSERT_EQ(Run(args), 0) << base << m_out << m_err;
        ExpectPageOfTheSol(m_dir / base, table);
        ExpectLogEndsWithTheHeadline(m_dir / base);
        EXPECT_NE(m_out.find("report page: " + (m_dir / base).string() + ".html"), std::string::npos) << base;
    }
    EXPECT_EQ(ById(ReadTextFile(m_dir / "t_cbc.html"), "objective"), "20");
}

TEST_F(ReportProcess, AStoppedRunWritesThePageOfItsBestTable)
{
    vrn::Instance table;
    // 200 x 200: CBC's search to a gap of 0 outlasts the stop (a 60 x 60 one may end before it arrives).
    const fs::path instance = BigTable(table, 200);
    vrn::test::BackendChild child({instance, m_dir, "--solver", "b", "--mipgap", "0", "--progress", "0.3"});
    ASSERT_TRUE(child.WaitForOutput("best table found", 90)) << child.Out();
    child.Send("stop\n");
    ASSERT_EQ(child.Wait(), 0) << child.Out() << child.Err();
    EXPECT_NE(child.Out().find("outcome: feasible (stopped by the stop command)"), std::string::npos);
    ExpectPageOfTheSol(m_dir / "t200_cbc", table);
    ExpectLogEndsWithTheHeadline(m_dir / "t200_cbc");
}

// A run without a table leaves no page, and takes away the page an earlier run left on the base.
TEST_F(ReportProcess, NoPageWithoutATable)
{
    struct Case
    {
        const char* name;
        std::string text;
        int status;
    };
    const Case cases[] = {
        {"Infeasible", Example("published5x5.csp"), 4},
        {"FormatError", "0\n1\n0 1 1 q 0 2 0 0 0\n0\n", 3},
    };
    for (const Case& c : cases)
    {
        const fs::path instance = Write(std::string(c.name) + ".csp", c.text);
        const fs::path page = m_dir / (std::string(c.name) + "_cbc.html");
        Write(page.filename().string(), "<html>an earlier run's page</html>");
        EXPECT_EQ(Run({instance, m_dir, "--solver", "b"}), c.status) << c.name << m_err;
        EXPECT_FALSE(fs::exists(page)) << c.name;
        EXPECT_EQ(m_out.find("report page:"), std::string::npos) << c.name;
        EXPECT_TRUE(fs::exists(m_dir / (std::string(c.name) + "_cbc.sol"))) << c.name;
    }
}

// The page of a table written earlier: the same figures as the run's own page; beside the .sol or at
// a path of its own; a .sol of another tool in the same form (no first header line, CR LF line ends).
TEST_F(ReportProcess, TheSwitchWritesThePageOfAnEarlierTable)
{
    const fs::path instance = Write("t.csp", Example());
    ASSERT_EQ(Run({instance, m_dir, "--solver", "b"}), 0) << m_err;
    const std::string runPage = ReadTextFile(m_dir / "t_cbc.html");
    fs::remove(m_dir / "t_cbc.html");

    ASSERT_EQ(Run({"--report", instance, m_dir / "t_cbc.sol"}), 0) << m_err;
    const std::string page = ReadTextFile(m_dir / "t_cbc.html");
    EXPECT_EQ(vrn::test::XmlCheck(page).Error(), "");
    for (const char* id :
         {"objective", "total-change", "cells-changed", "largest-change", "largest-relative", "mean-percent"})
        EXPECT_EQ(ById(page, id), ById(runPage, id)) << id;
    EXPECT_EQ(ById(page, "check"), "solution check: passed (checked again now, the relations as written)");
    EXPECT_NE(m_out.find("report: weighted change 20 (the objective)"), std::string::npos) << m_out;
    EXPECT_NE(m_out.find("report page: " + (m_dir / "t_cbc.html").string()), std::string::npos) << m_out;
    EXPECT_EQ(m_err, "");
    EXPECT_FALSE(fs::exists(m_dir / "t_cbc.lock"));

    std::string foreign = ReadTextFile(m_dir / "t_cbc.sol");
    foreign.erase(0, foreign.find('\n') + 1);
    for (size_t at = 0; (at = foreign.find('\n', at)) != std::string::npos; at += 2)
        foreign.insert(at, "\r");
    const fs::path other = Write("other tool.sol", foreign);
    const fs::path elsewhere = m_dir / "pages" / "p.html";
    fs::create_directories(elsewhere.parent_path());
    ASSERT_EQ(Run({"--report", "--", instance, other, elsewhere}), 0) << m_err;
    EXPECT_EQ(ById(ReadTextFile(elsewhere), "objective"), "20");
    EXPECT_FALSE(fs::exists(m_dir / "other tool.html"));
}

TEST_F(ReportProcess, TheSwitchsErrorsAreClear)
{
    const fs::path instance = Write("t.csp", Example());
    ASSERT_EQ(Run({instance, m_dir, "--solver", "b"}), 0) << m_err;
    const fs::path sol = m_dir / "t_cbc.sol";
    const std::string good = ReadTextFile(sol);
    const int adjusted11 =
        static_cast<int>(vrn::test::ReadSolutionFile(sol).adjusted.at(11)); // a whole table
    const std::string value = std::to_string(adjusted11);
    Write("garbled.sol", WithCellLine(good, 11, "11 40 " + value + " " + std::to_string(adjusted11 - 40)));
    Write("other.sol",
          WithCellLine(good, 11, "11 41 " + value + " " + std::to_string(adjusted11 - 41) + " u"));
    Write("small.csp", Example("table5x5.csp"));
    Write("none.sol", "# VRN solution\n# outcome: infeasible\n# reason: the input check failed\n");

    struct Case
    {
        const char* name;
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const std::string dir = m_dir.string() + "/";
    const Case cases[] = {
        {"MissingSol",
         {"--report", instance, dir + "missing.sol"},
         3,
         dir + "missing.sol: cannot open the solution file"},
        {"MissingInstance",
         {"--report", dir + "missing.csp", sol},
         3,
         dir + "missing.csp: cannot open the instance file"},
        {"Garbled",
         {"--report", instance, dir + "garbled.sol"},
         3,
         dir + "garbled.sol:22: a cell line has 4 fields"},
        {"OtherValue",
         {"--report", instance, dir + "other.sol"},
         3,
         "other.sol:22: cell 11 has the original value 41 here and 40 in " + instance.string() +
             ": it is not a table of this instance"},
        {"OtherInstance", {"--report", dir + "small.csp", sol}, 3, "it is not a table of this instance"},
        {"NoTable",
         {"--report", instance, dir + "none.sol"},
         3,
         "none.sol: the file holds no table (the input check failed); there is nothing to report"},
        {"OneFile", {"--report", instance}, 2, "--report takes the instance file and the .sol file"},
        {"FourFiles",
         {"--report", instance, sol, dir + "a.html", dir + "b"},
         2,
         "--report takes the instance file"},
        {"PageOverTheSol", {"--report", instance, sol, sol}, 2, "would replace the instance or the .sol"},
        {"NotFirst", {instance, m_dir, "--report", sol}, 2, "--report comes first on the line"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Run(c.args), c.status) << c.name << ": " << m_err;
        EXPECT_NE(m_err.find(c.message), std::string::npos) << c.name << ": " << m_err;
        EXPECT_EQ(m_out.find("report page:"), std::string::npos) << c.name;
    }
    for (const auto& entry : fs::directory_iterator(m_dir))
        EXPECT_EQ(entry.path().string().find(".part"), std::string::npos) << entry.path();
    EXPECT_EQ(ReadTextFile(sol), good); // the page was never written over it
    for (const char* page : {"garbled.html", "other.html", "none.html", "missing.html", "a.html"})
        EXPECT_FALSE(fs::exists(m_dir / page)) << page;
}

} // namespace
