#include "argument_vector.h"

#include "contract/option_names.h"

#include <wx/string.h>

namespace vrn
{

const char* const kBackendProgramName = "mainVRN.exe";

namespace
{

bool IsNumeric(const std::string& text)
{
    double value = 0.0;
    return ParseNumericText(text, value);
}

// Numeric, and not equal (as a double) to `defaultValue`.
bool IsNumericOtherThan(const std::string& text, double defaultValue)
{
    double value = 0.0;
    return ParseNumericText(text, value) && value != defaultValue;
}

// Collects name/value pairs behind the fixed leading elements.
class ArgumentList
{
public:
    void Add(const std::string& element) { m_elements.push_back(element); }
    void Add(const char* name, const std::string& value)
    {
        m_elements.push_back(name);
        m_elements.push_back(value);
    }
    void AddIf(bool condition, const char* name, const std::string& value)
    {
        if (condition)
            Add(name, value);
    }
    std::vector<std::string> Take() { return std::move(m_elements); }

private:
    std::vector<std::string> m_elements;
};

// The choices written as numbers carry them in plain decimal digits, whatever the locale.
std::string Integer(int value)
{
    return std::to_string(value);
}

// Rows 23 to 31: only when a number of clusters other than 1 is given (Std only).
void AddBcdGroup(ArgumentList& args, const FormSnapshot& form)
{
    if (!form.stdFormulation || !IsNumericOtherThan(form.bcdClustersText, kDefaultBcdClusters))
        return;
    args.Add(kOptBcdClusters, form.bcdClustersText);
    args.AddIf(IsNumeric(form.bcdTimeText), kOptBcdTime, form.bcdTimeText);
    args.AddIf(IsNumeric(form.bcdObjFText), kOptBcdObjf, form.bcdObjFText);
    args.AddIf(IsNumeric(form.bcdEndBcText), kOptBcdEndbc, form.bcdEndBcText);
    args.AddIf(form.bcdCycleIndex != 1, kOptBcdCycle, form.bcdCycleIndex == 0 ? "o" : "c");
    args.AddIf(IsNumeric(form.bcdNstopText), kOptBcdNstop, form.bcdNstopText);
    if (!form.dynamicChecked)
        return;
    args.Add(kOptDynamic, "y");
    args.AddIf(IsNumericOtherThan(form.dynSpropText, kDefaultDynamicPercent), kOptDynSprop,
               form.dynSpropText);
    args.AddIf(IsNumericOtherThan(form.dynPerturbText, kDefaultDynamicPercent), kOptDynPerturb,
               form.dynPerturbText);
}

// Rows 5 to 16: problem description, model and timing.
void AddModelRows(ArgumentList& args, const FormSnapshot& form)
{
    const bool isStd = form.stdFormulation;
    const bool fast = !isStd;
    args.AddIf(form.integerCellsChecked, kOptIntdev, "y");
    args.AddIf(!form.additiveChecked, kOptAdditive, "n");
    args.AddIf(form.formatIndex != 0, kOptFormat, "a");
    args.AddIf(!form.checkChecked, kOptCheck, "n");
    args.AddIf(IsNumeric(form.scaleText), kOptScale, form.scaleText);
    args.AddIf(isStd && IsNumeric(form.progressText), kOptProgress, form.progressText);
    args.AddIf(isStd && IsNumeric(form.bigText), kOptBig, form.bigText);
    args.AddIf(isStd && form.modelIndex != 0, kOptModel, form.modelIndex == 1 ? "c" : "n");
    args.AddIf(fast, kOptOrder, form.lexminOrderText);
    args.AddIf(fast && IsNumeric(form.pctBoundsText), kOptPctBounds, form.pctBoundsText);
    args.AddIf(IsNumeric(form.timeText), kOptTime, form.timeText);
    args.AddIf(isStd && form.firstChecked, kOptFirst, "y");
}

// Rows 17 to 22: tolerances and repair.
void AddToleranceRows(ArgumentList& args, const FormSnapshot& form)
{
    const bool mip = form.mipProblem;
    args.AddIf(mip && IsNumericOtherThan(form.gapText, kDefaultMipGapPercent), kOptMipgap, form.gapText);
    args.AddIf(!mip && IsNumeric(form.lpToleranceText), kOptLptol, form.lpToleranceText);
    args.AddIf(IsNumericOtherThan(form.feasibilityText, kDefaultFeasibility), kOptFeasibility,
               form.feasibilityText);
    args.AddIf(mip && IsNumeric(form.integralityText), kOptIntegrality, form.integralityText);
    if (form.stdFormulation && form.repairChecked)
    {
        args.Add(kOptRepair, "y");
        args.Add(kOptRepairfn, form.repairFilePath);
    }
}

// Rows 32 to 47: advanced options and solver parameters.
void AddAdvancedRows(ArgumentList& args, const FormSnapshot& form)
{
    const bool isStd = form.stdFormulation;
    const bool mip = form.mipProblem;
    args.AddIf(form.prepSensChecked, kOptPrepsens, "y");
    args.AddIf(form.writeLpChecked, kOptWrite, "y");
    args.AddIf(IsNumeric(form.seedText), kOptSeed, form.seedText);
    args.AddIf(mip && form.mipEmphasisIndex != 0, kOptMipemphasis, Integer(form.mipEmphasisIndex));
    args.AddIf(mip && form.emphasisIndex != 0, kOptEmphasis, Integer(form.emphasisIndex - 1));
    args.AddIf(mip && form.varSelIndex != 1, kOptVarsel, Integer(form.varSelIndex - 1));
    args.AddIf(mip && IsNumericOtherThan(form.intDevTolText, kDefaultIntDevTolerance), kOptIntdevtol,
               form.intDevTolText);
    args.AddIf(!mip && form.methodIndex != 0, kOptMethod, "s");
    args.AddIf(!mip && !form.crossoverChecked, kOptCrossover, "n");
    args.AddIf(isStd && form.validInequalitiesIndex != 1, kOptVineq,
               form.validInequalitiesIndex == 0 ? "y" : "c");
    args.AddIf(isStd && form.startingPointIndex != 2, kOptStartingpoint,
               form.startingPointIndex == 0 ? "c" : "s");
    if (!isStd)
    {
        static const char* const kFixDirCodes[] = {"r", "f", "s"};
        const int index = form.fixDirIndex;
        args.Add(kOptFixdir, index >= 0 && index <= 2 ? kFixDirCodes[index] : "");
        args.AddIf(index == 1, kOptFixdirfn, form.fixDirFilePath);
        args.AddIf(IsNumeric(form.expObjText), kOptExpobj, form.expObjText);
        args.AddIf(IsNumeric(form.epsFText), kOptEpsf, form.epsFText);
        args.AddIf(IsNumeric(form.epsRhsText), kOptEpsrhs, form.epsRhsText);
    }
}

} // namespace

bool ParseNumericText(const std::string& text, double& value)
{
    // The toolkit's own rule, so that what counts as a number is exactly what the form accepts.
    return wxString::FromUTF8(text.data(), text.size()).ToCDouble(&value);
}

std::string SolverCode(int solverIndex, bool mipProblem)
{
    const SolverCodeEntry* entry = FindSolverByIndex(solverIndex, mipProblem);
    return entry ? std::string(1, entry->code) : std::string();
}

std::string SolverSuffix(int solverIndex, bool mipProblem)
{
    const SolverCodeEntry* entry = FindSolverByIndex(solverIndex, mipProblem);
    return entry ? std::string(entry->suffix) : std::string();
}

std::vector<std::string> BuildArgumentVector(const FormSnapshot& form)
{
    ArgumentList args;
    args.Add(kBackendProgramName);
    args.Add(form.instanceFilePath);
    args.Add(form.outputFolderPath);
    args.Add(kOptSolver, SolverCode(form.solverIndex, form.mipProblem));
    AddModelRows(args, form);
    AddToleranceRows(args, form);
    AddBcdGroup(args, form);
    AddAdvancedRows(args, form);
    return args.Take();
}

} // namespace vrn
