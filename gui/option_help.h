#pragma once

#include <cstddef>

namespace vrn
{

// The options that carry a one-line explanation in the status bar, in the order of their
// handlers in MainFrameVRN (OnEnterInstanceFile .. OnEnterCrossover). Each topic belongs to
// one option row: its caption and its field show the same text.
enum class HelpTopic
{
    InstanceFile,
    OutputFolder,
    Formulation,
    IntegerCells,
    Solver,
    Model,
    Additive,
    Format,
    Scale,
    Check,
    Progress,
    Big,
    LexminOrder,
    PctBounds,
    Time,
    First,
    Gap,
    LpTolerance,
    Feasibility,
    Integrality,
    Repair,
    RepairFile,
    BcdClusters,
    BcdTime,
    BcdObjF,
    BcdEndBc,
    BcdCycle,
    Dynamic,
    DynSprop,
    DynPerturb,
    BcdNstop,
    PrepSens,
    WriteLp,
    Seed,
    ValidInequalities,
    StartingPoint,
    FixDir,
    EpsF,
    ExpObj,
    EpsRhs,
    FixDirFile,
    MipEmphasis,
    Emphasis,
    VarSel,
    IntDevTol,
    Method,
    Crossover,
};

constexpr std::size_t kHelpTopicCount = static_cast<std::size_t>(HelpTopic::Crossover) + 1;

// The status-bar text of a topic, word for word as users have always seen it.
const char* HelpText(HelpTopic topic);

} // namespace vrn
