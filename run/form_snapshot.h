#pragma once

#include <string>

namespace vrn
{

// The values of the option form at the moment a run starts: everything the back-end command line
// is built from. Texts and paths are UTF-8 bytes exactly as typed; choices are selected indexes.
// The member initialisers are the values the main window starts with.
struct FormSnapshot
{
    // Mode flags: Std formulation selected; integer problem (Std, or "Integer cells" checked).
    bool stdFormulation = true;
    bool mipProblem = true;

    std::string instanceFilePath;
    std::string outputFolderPath;
    bool integerCellsChecked = false;

    int solverIndex = 1;
    int modelIndex = 0;
    bool additiveChecked = true;
    int formatIndex = 0;
    std::string scaleText = "Automatic";
    bool checkChecked = true;
    std::string progressText = "Not show";
    std::string bigText = "Automatic";
    std::string lexminOrderText = "4-2-3-1";
    std::string pctBoundsText = "2";

    std::string timeText = "Unlimited";
    bool firstChecked = false;
    std::string gapText = "5";
    std::string lpToleranceText = "Automatic";

    std::string feasibilityText = "1.0e-6";
    std::string integralityText = "Automatic";

    bool repairChecked = false;
    std::string repairFilePath;

    std::string bcdClustersText = "1";
    std::string bcdTimeText = "Unlimited";
    std::string bcdObjFText = "Unlimited";
    std::string bcdEndBcText = "Not perform";
    int bcdCycleIndex = 1;
    bool dynamicChecked = false;
    std::string dynSpropText = "50";
    std::string dynPerturbText = "50";
    std::string bcdNstopText = "Adaptive";

    bool prepSensChecked = false;
    bool writeLpChecked = false;
    std::string seedText = "Automatic";
    int validInequalitiesIndex = 1;
    int startingPointIndex = 2;
    int fixDirIndex = 2;
    std::string epsFText = "1.0e-4";
    std::string expObjText = "0.5";
    std::string epsRhsText = "0";
    std::string fixDirFilePath;
    int mipEmphasisIndex = 0;
    int emphasisIndex = 0;
    int varSelIndex = 1;
    std::string intDevTolText = "0";
    int methodIndex = 0;
    bool crossoverChecked = true;
};

} // namespace vrn
