#include "cli/run_settings.h"

#include "instance/cell_rules.h"

#include <algorithm>
#include <cmath>
#include <sched.h>
#include <thread>

namespace vrn
{

namespace
{

// The LP method named on the command line (--method or --crossover) is kept; otherwise the solver picks
// its own for the starting table, which has to leave the integer search most of the time limit.
bool LpMethodGiven(const BackendOptions& options)
{
    for (const auto& given : options.given)
        if (given.first == "--method" || given.first == "--crossover")
            return true;
    return false;
}

// The cores this process may run on (taskset and container limits included).
int UsableCores()
{
    cpu_set_t set;
    if (sched_getaffinity(0, sizeof set, &set) == 0)
        return CPU_COUNT(&set);
    return static_cast<int>(std::thread::hardware_concurrency());
}

} // namespace

double ScaleFromOptions(const Instance& instance, const BackendOptions& options)
{
    return options.scale > 0 ? options.scale : AutomaticScale(instance);
}

double BigFromOptions(const Instance& instance, const BackendOptions& options)
{
    return LargestChange(options.big, instance);
}

namespace
{

// What every model of the table takes alike: the relations as written or not, the scale and the largest
// change.
template <typename Settings>
Settings WithTableTerms(const Instance& instance, const BackendOptions& options)
{
    Settings settings;
    settings.additive = options.additive;
    settings.scale = ScaleFromOptions(instance, options);
    settings.big = BigFromOptions(instance, options);
    return settings;
}

} // namespace

StdModelSettings StdModelSettingsFromOptions(const Instance& instance, const BackendOptions& options)
{
    StdModelSettings settings = WithTableTerms<StdModelSettings>(instance, options);
    settings.kind = options.model;
    settings.integerCells = options.integerCells;
    settings.prepSens = options.prepSens;
    return settings;
}

FastSettings FastSettingsFromOptions(const Instance& instance, const BackendOptions& options)
{
    FastSettings settings = WithTableTerms<FastSettings>(instance, options);
    settings.integerCells = options.integerCells;
    settings.pctBounds = options.pctBounds;
    settings.expObj = options.expObj;
    // The order the lexicographic loop will solve (its default when --order is missing): objective 4
    // needs its bounding column whenever that order holds it.
    const std::vector<int> order = LexminSettingsFromOptions(options).order;
    settings.withMaxObjective = std::find(order.begin(), order.end(), 4) != order.end();
    return settings;
}

LexminSettings LexminSettingsFromOptions(const BackendOptions& options)
{
    LexminSettings lexmin;
    lexmin.order = options.order.empty() ? std::vector<int>{4, 2, 3, 1} : options.order;
    lexmin.epsF = options.epsF;
    lexmin.epsRhs = options.epsRhs;
    return lexmin;
}

SolveParams SolveParamsFromOptions(const BackendOptions& options)
{
    SolveParams params;
    params.mipGapPercent = options.mipGapPercent;
    params.feasibility = options.feasibility;
    params.integrality = options.integrality;
    params.lpTolerance = options.lpTolerance;
    params.firstFeasible = options.firstFeasible;
    params.seed = static_cast<int>(options.seed);
    params.simplex = options.simplex;
    params.crossover = options.crossover;
    params.solverChoosesMethod = options.solverChoosesLpMethod;
    params.lpMethodByShape = options.lpMethodByShape;
    return params;
}

FastRunSettings FastRunSettingsFromOptions(const Instance& instance, const BackendOptions& options)
{
    FastRunSettings run;
    run.model = FastSettingsFromOptions(instance, options);
    run.lexmin = LexminSettingsFromOptions(options);
    run.solve = SolveParamsFromOptions(options);
    run.kind = options.model;
    run.fixDir = options.fixDir;
    run.fixDirFile = options.fixDirFile;
    run.seed = static_cast<uint64_t>(options.seed);
    run.scaleGiven = options.scale > 0;
    run.writeLp = options.writeLp;
    run.tolerance = options.feasibility;
    run.startingPoint = options.startingPoint;
    run.lpMethodGiven = LpMethodGiven(options);
    return run;
}

FastRunSettings OneStageFast(FastRunSettings run)
{
    run.fixDir = 's';
    run.lexmin.order = {1};
    run.model.withMaxObjective = false; // objective 1 alone needs no bounding column
    run.model.pctBounds = -1;
    run.writeLp = false;
    run.solve.firstFeasible = false;
    return run;
}

RepairRunSettings RepairRunSettingsFromOptions(const Instance& instance, const BackendOptions& options)
{
    RepairRunSettings settings;
    settings.model = WithTableTerms<RepairSettings>(instance, options);
    settings.model.tolerance = options.feasibility;
    settings.repairFile = options.repairFile;
    settings.solve = SolveParamsFromOptions(options);
    return settings;
}

BcdSettings BcdSettingsFromOptions(const BackendOptions& options)
{
    BcdSettings s;
    s.clusters = static_cast<int>(std::min(std::floor(options.bcdClusters), 1e9));
    s.blockSeconds = options.bcdTime;
    s.hasObjectiveTarget = options.bcdObjFGiven;
    s.objectiveTarget = options.bcdObjF;
    s.finalSeconds = options.bcdEndBc;
    s.cycle = static_cast<BcdCycle>(options.bcdCycle);
    s.noGainStop = options.bcdNstop > 0 ? static_cast<int>(std::min(options.bcdNstop, 1e9)) : -1;
    s.dynamic = options.dynamic;
    s.candidatePercent = options.dynSprop;
    s.discardPercent = options.dynPerturb;
    s.workers = std::clamp(UsableCores(), 1, 4);
    s.seed = static_cast<uint64_t>(options.seed);
    s.additive = options.additive;
    s.integerCells = options.integerCells;
    s.tolerance = options.feasibility;
    return s;
}

bool BcdWanted(const BackendOptions& options)
{
    return options.formulation() == Formulation::Std && options.bcdClusters >= 2;
}

bool BcdClustersGiven(const BackendOptions& options)
{
    return options.IsGiven(kOptBcdClusters);
}

} // namespace vrn
