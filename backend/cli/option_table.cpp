// The option table: every option of the command line, in the order of contract/option_names.h, with
// the value it takes and its range.
#include "cli/option_table.h"

#include <vector>

namespace vrn
{

namespace cli
{

namespace
{

// Solver tolerances above this let a solver call a cell protected that moved visibly less than its
// level; the solution check would refuse such tables anyway, so the run is refused at once.
constexpr double kLargestTolerance = 1e-3;
constexpr const char* kToleranceRange = "a number from 1e-12 to 0.001";

const std::vector<OptionRule>& Rules()
{
    static const std::vector<OptionRule> rules = {
        {kOptSolver, Letter("cxgbls", [](BackendOptions& o, char c) { o.solver = c; })},
        {kOptIntdev, YesNo(&BackendOptions::integerCells)},
        {kOptAdditive, YesNo(&BackendOptions::additive)},
        {kOptFormat, Letter("af", [](BackendOptions& o, char c) { o.reportAllFormatErrors = c == 'a'; })},
        {kOptCheck, YesNo(&BackendOptions::check)},
        {kOptScale, Number(&BackendOptions::scale, 1e-30, false, 1e30, "a number from 1e-30 to 1e30")},
        {kOptProgress, Number(&BackendOptions::progressSeconds, 0.1, false, 86400,
                              "a number of seconds from 0.1 to 86400")},
        {kOptBig,
         [](BackendOptions& o, const std::string& v) -> std::string
         {
             double x = 0;
             if (ParseNumber(v, x) && ((x > 0 && x <= 1e15) || x == -1))
             {
                 o.big = x;
                 return {};
             }
             return "a number greater than 0 and at most 1e15, or -1 for automatic";
         }},
        {kOptModel, Letter("cna",
                           [](BackendOptions& o, char c) {
                               o.model = c == 'c'   ? StdModelKind::Classical
                                         : c == 'n' ? StdModelKind::New
                                                    : StdModelKind::Automatic;
                           })},
        {kOptOrder, SetOrder},
        {kOptPctBounds, Number(&BackendOptions::pctBounds, 0, false, 1e6, "a percentage from 0 to 1e6")},
        {kOptTime,
         Number(&BackendOptions::timeLimit, 0, true, 1e7, "a number of seconds greater than 0, at most 1e7")},
        {kOptFirst, YesNo(&BackendOptions::firstFeasible)},
        {kOptMipgap, Number(&BackendOptions::mipGapPercent, 0, false, 100, "a percentage from 0 to 100")},
        {kOptLptol, Number(&BackendOptions::lpTolerance, 1e-12, false, kLargestTolerance, kToleranceRange)},
        {kOptFeasibility,
         Number(&BackendOptions::feasibility, 1e-12, false, kLargestTolerance, kToleranceRange)},
        {kOptIntegrality,
         [](BackendOptions& o, const std::string& v) -> std::string
         {
             double x = 0;
             if (ParseNumber(v, x) && x >= 0 && x <= kLargestTolerance)
             {
                 o.integrality = x;
                 return {};
             }
             return "a number from 0 to 0.001";
         }},
        {kOptRepair, YesNo(&BackendOptions::repair)},
        {kOptRepairfn, Path(&BackendOptions::repairFile)},
        {kOptBcdClusters, Number(&BackendOptions::bcdClusters, 0, false, 1e6, "a number from 0 to 1e6")},
        {kOptBcdTime,
         Number(&BackendOptions::bcdTime, 0, true, 1e7, "a number of seconds greater than 0, at most 1e7")},
        {kOptBcdObjf,
         [](BackendOptions& o, const std::string& v) -> std::string
         {
             o.bcdObjFGiven = ParseNumber(v, o.bcdObjF);
             return o.bcdObjFGiven ? std::string() : std::string("a number");
         }},
        {kOptBcdEndbc, Number(&BackendOptions::bcdEndBc, 0, false, 1e7, "a number of seconds from 0 to 1e7")},
        {kOptBcdCycle, Letter("ocs", [](BackendOptions& o, char c) { o.bcdCycle = c; })},
        {kOptBcdNstop, Number(&BackendOptions::bcdNstop, 1, false, 1e9, "a number from 1 to 1e9")},
        {kOptDynamic, YesNo(&BackendOptions::dynamic)},
        {kOptDynSprop, Number(&BackendOptions::dynSprop, 0, true, 100, "a percentage above 0, at most 100")},
        {kOptDynPerturb, Number(&BackendOptions::dynPerturb, 0, false, 100, "a percentage from 0 to 100")},
        {kOptPrepsens, YesNo(&BackendOptions::prepSens)},
        {kOptWrite, YesNo(&BackendOptions::writeLp)},
        {kOptSeed, SetSeed},
        {kOptMipemphasis, Integer("a whole number")},
        {kOptEmphasis, Integer("a whole number")},
        {kOptVarsel, Integer("a whole number")},
        {kOptIntdevtol, Number(&BackendOptions::intDevTol, 0, false, 0.49, "a number from 0 to 0.49")},
        {kOptMethod, Letter("sb", [](BackendOptions& o, char c) { o.simplex = c == 's'; })},
        {kOptCrossover, YesNo(&BackendOptions::crossover)},
        {kOptVineq, Letter("ycn", [](BackendOptions& o, char c) { o.validInequalities = c; })},
        {kOptStartingpoint, Letter("csn", [](BackendOptions& o, char c) { o.startingPoint = c; })},
        {kOptFixdir, Letter("rfs", [](BackendOptions& o, char c) { o.fixDir = c; })},
        {kOptFixdirfn, Path(&BackendOptions::fixDirFile)},
        {kOptExpobj, Number(&BackendOptions::expObj, 0, false, 10, "a number from 0 to 10")},
        {kOptEpsf, Number(&BackendOptions::epsF, 0, false, 1, "a number from 0 to 1")},
        {kOptEpsrhs, Number(&BackendOptions::epsRhs, 0, false, 1e15, "a number from 0 to 1e15")},
    };
    return rules;
}

} // namespace

const OptionRule* FindRule(const std::string& name)
{
    for (const auto& rule : Rules())
        if (name == rule.name)
            return &rule;
    return nullptr;
}

} // namespace cli

std::vector<std::string> ParsedOptionNames()
{
    std::vector<std::string> names;
    for (const auto& rule : cli::Rules())
        names.emplace_back(rule.name);
    return names;
}

} // namespace vrn
