// What the front-end and mainVRN.exe must agree on: the option names of the command line and the
// defaults the front-end leaves out (an option equal to its default is not written).
#pragma once

#include <array>

namespace vrn
{

constexpr const char* kOptSolver = "--solver";
constexpr const char* kOptIntdev = "--intdev";
constexpr const char* kOptAdditive = "--additive";
constexpr const char* kOptFormat = "--format";
constexpr const char* kOptCheck = "--check";
constexpr const char* kOptScale = "--scale";
constexpr const char* kOptProgress = "--progress";
constexpr const char* kOptBig = "--big";
constexpr const char* kOptModel = "--model";
constexpr const char* kOptOrder = "--order";
constexpr const char* kOptPctBounds = "--pct-bounds";
constexpr const char* kOptTime = "--time";
constexpr const char* kOptFirst = "--first";
constexpr const char* kOptMipgap = "--mipgap";
constexpr const char* kOptLptol = "--lptol";
constexpr const char* kOptFeasibility = "--feasibility";
constexpr const char* kOptIntegrality = "--integrality";
constexpr const char* kOptRepair = "--repair";
constexpr const char* kOptRepairfn = "--repairfn";
constexpr const char* kOptBcdClusters = "--bcd-clusters";
constexpr const char* kOptBcdTime = "--bcd-time";
constexpr const char* kOptBcdObjf = "--bcd-objf";
constexpr const char* kOptBcdEndbc = "--bcd-endbc";
constexpr const char* kOptBcdCycle = "--bcd-cycle";
constexpr const char* kOptBcdNstop = "--bcd-nstop";
constexpr const char* kOptDynamic = "--dynamic";
constexpr const char* kOptDynSprop = "--dyn-sprop";
constexpr const char* kOptDynPerturb = "--dyn-perturb";
constexpr const char* kOptPrepsens = "--prepsens";
constexpr const char* kOptWrite = "--write";
constexpr const char* kOptSeed = "--seed";
constexpr const char* kOptMipemphasis = "--mipemphasis";
constexpr const char* kOptEmphasis = "--emphasis";
constexpr const char* kOptVarsel = "--varsel";
constexpr const char* kOptIntdevtol = "--intdevtol";
constexpr const char* kOptMethod = "--method";
constexpr const char* kOptCrossover = "--crossover";
constexpr const char* kOptVineq = "--vineq";
constexpr const char* kOptStartingpoint = "--startingpoint";
constexpr const char* kOptFixdir = "--fixdir";
constexpr const char* kOptFixdirfn = "--fixdirfn";
constexpr const char* kOptExpobj = "--expobj";
constexpr const char* kOptEpsf = "--epsf";
constexpr const char* kOptEpsrhs = "--epsrhs";

// Every option name the front-end may write, in the order of the form.
constexpr std::array<const char*, 44> kOptionNames = {
    kOptSolver,    kOptIntdev,      kOptAdditive,      kOptFormat,      kOptCheck,       kOptScale,
    kOptProgress,  kOptBig,         kOptModel,         kOptOrder,       kOptPctBounds,   kOptTime,
    kOptFirst,     kOptMipgap,      kOptLptol,         kOptFeasibility, kOptIntegrality, kOptRepair,
    kOptRepairfn,  kOptBcdClusters, kOptBcdTime,       kOptBcdObjf,     kOptBcdEndbc,    kOptBcdCycle,
    kOptBcdNstop,  kOptDynamic,     kOptDynSprop,      kOptDynPerturb,  kOptPrepsens,    kOptWrite,
    kOptSeed,      kOptMipemphasis, kOptEmphasis,      kOptVarsel,      kOptIntdevtol,   kOptMethod,
    kOptCrossover, kOptVineq,       kOptStartingpoint, kOptFixdir,      kOptFixdirfn,    kOptExpobj,
    kOptEpsf,      kOptEpsrhs,
};

// Defaults both programs hold: the back-end takes them when the option is missing, so the
// front-end leaves an option out when its value equals one of these.
constexpr double kDefaultMipGapPercent = 5.0;
constexpr double kDefaultFeasibility = 1e-6;
constexpr double kDefaultBcdClusters = 1.0;
constexpr double kDefaultDynamicPercent = 50.0;
constexpr double kDefaultIntDevTolerance = 0.0;

} // namespace vrn
