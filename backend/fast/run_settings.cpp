#include "fast/run_settings.h"

#include "instance/cell_rules.h"

#include <algorithm>

namespace vrn
{

double ScaleFromOptions(const Instance& instance, const BackendOptions& options)
{
    return options.scale > 0 ? options.scale : AutomaticScale(instance);
}

double BigFromOptions(const Instance& instance, const BackendOptions& options)
{
    return options.big > 0 ? options.big : AutomaticBig(instance);
}

StdModelSettings StdModelSettingsFromOptions(const Instance& instance, const BackendOptions& options)
{
    StdModelSettings settings;
    settings.additive = options.additive;
    settings.scale = ScaleFromOptions(instance, options);
    settings.big = options.big;
    settings.kind = options.model;
    settings.integerCells = options.integerCells;
    settings.prepSens = options.prepSens;
    return settings;
}

FastSettings FastSettingsFromOptions(const Instance& instance, const BackendOptions& options)
{
    FastSettings settings;
    settings.additive = options.additive;
    settings.scale = ScaleFromOptions(instance, options);
    settings.big = options.big;
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

BackendOptions OneStageFastOptions(const BackendOptions& options)
{
    BackendOptions fast = options;
    fast.fixDir = 's';
    fast.order = {1};
    fast.pctBounds = -1;
    fast.writeLp = false;
    fast.firstFeasible = false;
    return fast;
}

} // namespace vrn
