// The report page through the real mainVRN.exe: written beside the .log and the .sol by every run that
// writes a table (a stopped one too), never without one, its figures those of the .sol, the log ending
// with them.
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
    const fs::path instance = BigTable(table);
    vrn::test::BackendChild child({instance, m_dir, "--solver", "b", "--mipgap", "0", "--progress", "0.3"});
    ASSERT_TRUE(child.WaitForOutput("best table found", 90)) << child.Out();
    child.Send("stop\n");
    ASSERT_EQ(child.Wait(), 0) << child.Out() << child.Err();
    EXPECT_NE(child.Out().find("outcome: feasible (stopped by the stop command)"), std::string::npos);
    ExpectPageOfTheSol(m_dir / "t60_cbc", table);
    ExpectLogEndsWithTheHeadline(m_dir / "t60_cbc");
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

} // namespace
