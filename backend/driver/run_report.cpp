#include "driver/run_report.h"

#include "common/escape_text.h"
#include "common/number_format.h"
#include "instance/cell_rules.h"
#include "results/result_path.h"

#include <cstdio>
#include <map>

namespace vrn
{

namespace
{

// The Fast options in force, one line for the log.
std::string FastOptionsText(const BackendOptions& options)
{
    std::string order;
    for (const int objective : options.order)
        order += (order.empty() ? "" : "-") + std::to_string(objective);
    const char* fixDir = options.fixDir == 'r'   ? "at random"
                         : options.fixDir == 'f' ? "from a file"
                                                 : "by the heuristic";
    return "order " + (order.empty() ? std::string("4-2-3-1 (default)") : order) + ", directions " + fixDir +
           ", expobj " + LogNumber(options.expObj) + ", epsf " + LogNumber(options.epsF) + ", epsrhs " +
           LogNumber(options.epsRhs) +
           (options.pctBounds >= 0 ? ", pct-bounds " + LogNumber(options.pctBounds) + " %" : "") +
           ", LP method " +
           (options.simplex     ? "simplex"
            : options.crossover ? "barrier with crossover"
                                : "barrier without crossover");
}

} // namespace

std::string QuotedCommandLine(int argc, char** argv)
{
    std::string line;
    for (int i = 0; i < argc; ++i)
    {
        std::string arg = EscapeControl(argv[i]);
        const bool plain = !arg.empty() && arg.find_first_of(" \t'\"\\$") == std::string::npos;
        if (!plain)
        {
            std::string quoted = "'";
            for (char c : arg)
                quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
            arg = quoted + "'";
        }
        line += (i ? " " : "") + arg;
    }
    return line;
}

std::string InstanceSummary(const Instance& instance)
{
    std::map<char, int> byStatus;
    int protectedCells = 0;
    for (const Cell& cell : instance.cells)
    {
        ++byStatus[cell.status];
        protectedCells += NeedsProtection(cell);
    }
    std::string statuses;
    for (const auto& [status, count] : byStatus)
        statuses += std::string(statuses.empty() ? "" : ", ") + status + " " + std::to_string(count);
    return "instance: " + std::to_string(instance.cells.size()) + " cells (" + statuses + "), " +
           std::to_string(protectedCells) + " sensitive cells to protect, " +
           std::to_string(instance.RelationCount()) + " relations, " + std::to_string(instance.TermCount()) +
           " non-zeros";
}

std::vector<std::string> OptionsInForce(const BackendOptions& options)
{
    const bool fast = options.formulation() == Formulation::Fast;
    std::vector<std::string> lines;
    lines.push_back(
        "solver " + SolverName(options.solver) + (fast ? ", Fast formulation, " : ", Std formulation, ") +
        (options.additive ? "additive (relations as written)" : "not additive (original residuals kept)") +
        (options.integerCells ? ", integer cells" : ""));
    lines.push_back(
        "time limit " + (options.timeLimit > 0 ? LogNumber(options.timeLimit) + " s" : std::string("none")) +
        ", gap " + LogNumber(options.mipGapPercent) + " %, feasibility tolerance " +
        LogNumber(options.feasibility) +
        (options.integrality >= 0 ? ", integrality tolerance " + LogNumber(options.integrality) : "") +
        (options.lpTolerance > 0 ? ", LP tolerance " + LogNumber(options.lpTolerance) : "") + ", seed " +
        std::to_string(options.seed) + (options.firstFeasible ? ", stop at the first table" : "") +
        (options.prepSens ? ", prepsens" : "") + (options.check ? "" : ", no checks"));
    if (fast)
        lines.push_back(FastOptionsText(options));
    for (const std::string& note : NotApplyingOptions(options))
        lines.push_back(note);
    return lines;
}

std::vector<std::string> StdModelSummary(const StdModel& model, const BackendOptions& options)
{
    const MipModel& mip = model.mip;
    std::vector<std::string> lines;
    lines.push_back(
        std::string("model: Std, ") + (model.kind == StdModelKind::Classical ? "Classical" : "New") +
        (options.model == StdModelKind::Automatic ? " (chosen automatically: its relaxation is the tighter)"
                                                  : "") +
        ", scale " + LogNumber(model.scale) + (options.scale > 0 ? "" : " (automatic)") +
        ", largest change " + LogNumber(model.big) + (options.big > 0 ? "" : " (automatic)"));
    lines.push_back("  " + std::to_string(mip.ColumnCount()) + " columns (" +
                    std::to_string(mip.IntegerCount()) + " integer), " + std::to_string(mip.RowCount()) +
                    " rows, " + std::to_string(mip.EntryCount()) + " non-zeros; " +
                    std::to_string(model.sensitiveCount) + " sensitive cells, directions fixed in advance: " +
                    std::to_string(model.fixedUp) + " up, " + std::to_string(model.fixedDown) + " down");
    for (const auto& note : model.notes)
        lines.push_back("  " + note);
    return lines;
}

std::string TimesLine(const std::vector<std::pair<std::string, double>>& phaseTimes, double totalSeconds)
{
    std::string line = "times:";
    for (const auto& [name, seconds] : phaseTimes)
        line += " " + name + " " + FixedPoint(seconds, 3) + " s;";
    return line + " total " + FixedPoint(totalSeconds, 3) + " s";
}

} // namespace vrn
