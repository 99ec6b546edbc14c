// Command line of mainVRN.exe: INSTANCE OUTPUT_FOLDER --solver C [--name value]...
#pragma once

#include "common/number_format.h"
#include "contract/option_names.h"
#include "model/model_kind.h"

#include <map>
#include <string>
#include <vector>

namespace vrn
{

// Which formulation a run uses: Std (integer directions) or Fast (directions fixed, a linear program).
enum class Formulation
{
    Std,
    Fast
};

// Every option of the command line with its default. Numbers that mean "automatic" or "unset"
// hold a negative value where a valid value is never negative.
struct BackendOptions
{
    std::string instancePath;
    std::string outputFolder;
    char solver = 'b';
    bool integerCells = false;
    bool additive = true;
    bool reportAllFormatErrors = false;
    bool check = true;
    double scale = -1;           // -1: automatic
    double progressSeconds = -1; // -1: the back-end's own interval
    double big = -1;             // -1: automatic
    StdModelKind model = StdModelKind::Automatic;
    std::vector<int> order; // Fast: lexicographic order of the objectives
    bool orderGiven = false;
    double pctBounds = -1; // -1: none
    double timeLimit = -1; // -1: none
    bool firstFeasible = false;
    double mipGapPercent = kDefaultMipGapPercent;
    double lpTolerance = -1; // -1: the solver's own
    double feasibility = kDefaultFeasibility;
    double integrality = -1; // -1: the solver's own
    bool repair = false;
    std::string repairFile;
    bool prepSens = false;
    bool writeLp = false;
    long long seed = 1;
    bool seedGiven = false;
    double intDevTol = kDefaultIntDevTolerance;
    bool simplex = false; // default barrier
    bool crossover = true;
    // Not an option: set by the run for the starting table, whose LP method the solver picks.
    bool solverChoosesLpMethod = false;
    // Not an option either: the starting table's linear programs by the method their shape suits
    // (solver_adapter.h).
    bool lpMethodByShape = false;
    char validInequalities = 'n';
    char startingPoint = 'n';
    char fixDir = 'n'; // n: not given
    std::string fixDirFile;
    double expObj = 0.5;
    double epsF = 1e-4;
    double epsRhs = 0;
    // Block coordinate descent (Std): clusters below 2 mean none.
    double bcdClusters = 1;
    double bcdTime = -1; // -1: no limit per block
    bool bcdObjFGiven = false;
    double bcdObjF = 0;
    double bcdEndBc = -1; // -1: no final branch-and-cut
    char bcdCycle = 's';  // o one cycle, s repeat the same clusters, c repeat regrouping them
    double bcdNstop = -1; // -1: adaptive
    bool dynamic = false;
    double dynSprop = 50;
    double dynPerturb = 50;

    // Every option as given, in order, for the log.
    std::vector<std::pair<std::string, std::string>> given;

    Formulation formulation() const
    {
        return orderGiven || fixDir != 'n' ? Formulation::Fast : Formulation::Std;
    }
    bool IsGiven(const std::string& name) const;
};

// The option names the parser takes, in the order of its rules: the names of contract/option_names.h,
// which the front-end writes.
std::vector<std::string> ParsedOptionNames();

// The text printed by --help.
std::string HelpText();

// The text printed by --version: `program` (mainVRN.exe or mainVRN-glpk), the package and its
// version on the first line, then the rights notice.
std::string VersionText(const std::string& program);

} // namespace vrn
