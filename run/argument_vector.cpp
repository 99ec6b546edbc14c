#include "argument_vector.h"

#include <wx/string.h>

namespace vrn
{

const char* const kBackendProgramName = "mainVRN.exe";

namespace
{

// Fixed defaults: an option whose number equals its default is left out.
constexpr double kDefaultGap = 5.0;
constexpr double kDefaultFeasibility = 1e-6;
constexpr double kDefaultClusters = 1.0;
constexpr double kDefaultDynamicPercent = 50.0;
constexpr double kDefaultIntDevTolerance = 0.0;

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
    if (!form.stdFormulation || !IsNumericOtherThan(form.bcdClustersText, kDefaultClusters))
        return;
    args.Add("--bcd-clusters", form.bcdClustersText);
    args.AddIf(IsNumeric(form.bcdTimeText), "--bcd-time", form.bcdTimeText);
    args.AddIf(IsNumeric(form.bcdObjFText), "--bcd-objf", form.bcdObjFText);
    args.AddIf(IsNumeric(form.bcdEndBcText), "--bcd-endbc", form.bcdEndBcText);
    args.AddIf(form.bcdCycleIndex != 1, "--bcd-cycle", form.bcdCycleIndex == 0 ? "o" : "c");
    args.AddIf(IsNumeric(form.bcdNstopText), "--bcd-nstop", form.bcdNstopText);
    if (!form.dynamicChecked)
        return;
    args.Add("--dynamic", "y");
    args.AddIf(IsNumericOtherThan(form.dynSpropText, kDefaultDynamicPercent), "--dyn-sprop",
               form.dynSpropText);
    args.AddIf(IsNumericOtherThan(form.dynPerturbText, kDefaultDynamicPercent), "--dyn-perturb",
               form.dynPerturbText);
}

// Rows 5 to 16: problem description, model and timing.
void AddModelRows(ArgumentList& args, const FormSnapshot& form)
{
    const bool isStd = form.stdFormulation;
    const bool fast = !isStd;
    args.AddIf(form.integerCellsChecked, "--intdev", "y");
    args.AddIf(!form.additiveChecked, "--additive", "n");
    args.AddIf(form.formatIndex != 0, "--format", "a");
    args.AddIf(!form.checkChecked, "--check", "n");
    args.AddIf(IsNumeric(form.scaleText), "--scale", form.scaleText);
    args.AddIf(isStd && IsNumeric(form.progressText), "--progress", form.progressText);
    args.AddIf(isStd && IsNumeric(form.bigText), "--big", form.bigText);
    args.AddIf(isStd && form.modelIndex != 0, "--model", form.modelIndex == 1 ? "c" : "n");
    args.AddIf(fast, "--order", form.lexminOrderText);
    args.AddIf(fast && IsNumeric(form.pctBoundsText), "--pct-bounds", form.pctBoundsText);
    args.AddIf(IsNumeric(form.timeText), "--time", form.timeText);
    args.AddIf(isStd && form.firstChecked, "--first", "y");
}

// Rows 17 to 22: tolerances and repair.
void AddToleranceRows(ArgumentList& args, const FormSnapshot& form)
{
    const bool mip = form.mipProblem;
    args.AddIf(mip && IsNumericOtherThan(form.gapText, kDefaultGap), "--mipgap", form.gapText);
    args.AddIf(!mip && IsNumeric(form.lpToleranceText), "--lptol", form.lpToleranceText);
    args.AddIf(IsNumericOtherThan(form.feasibilityText, kDefaultFeasibility), "--feasibility",
               form.feasibilityText);
    args.AddIf(mip && IsNumeric(form.integralityText), "--integrality", form.integralityText);
    if (form.stdFormulation && form.repairChecked)
    {
        args.Add("--repair", "y");
        args.Add("--repairfn", form.repairFilePath);
    }
}

// Rows 32 to 47: advanced options and solver parameters.
void AddAdvancedRows(ArgumentList& args, const FormSnapshot& form)
{
    const bool isStd = form.stdFormulation;
    const bool mip = form.mipProblem;
    args.AddIf(form.prepSensChecked, "--prepsens", "y");
    args.AddIf(form.writeLpChecked, "--write", "y");
    args.AddIf(IsNumeric(form.seedText), "--seed", form.seedText);
    args.AddIf(mip && form.mipEmphasisIndex != 0, "--mipemphasis", Integer(form.mipEmphasisIndex));
    args.AddIf(mip && form.emphasisIndex != 0, "--emphasis", Integer(form.emphasisIndex - 1));
    args.AddIf(mip && form.varSelIndex != 1, "--varsel", Integer(form.varSelIndex - 1));
    args.AddIf(mip && IsNumericOtherThan(form.intDevTolText, kDefaultIntDevTolerance), "--intdevtol",
               form.intDevTolText);
    args.AddIf(!mip && form.methodIndex != 0, "--method", "s");
    args.AddIf(!mip && !form.crossoverChecked, "--crossover", "n");
    args.AddIf(isStd && form.validInequalitiesIndex != 1, "--vineq",
               form.validInequalitiesIndex == 0 ? "y" : "c");
    args.AddIf(isStd && form.startingPointIndex != 2, "--startingpoint",
               form.startingPointIndex == 0 ? "c" : "s");
    if (!isStd)
    {
        static const char* const kFixDirCodes[] = {"r", "f", "s"};
        const int index = form.fixDirIndex;
        args.Add("--fixdir", index >= 0 && index <= 2 ? kFixDirCodes[index] : "");
        args.AddIf(index == 1, "--fixdirfn", form.fixDirFilePath);
        args.AddIf(IsNumeric(form.expObjText), "--expobj", form.expObjText);
        args.AddIf(IsNumeric(form.epsFText), "--epsf", form.epsFText);
        args.AddIf(IsNumeric(form.epsRhsText), "--epsrhs", form.epsRhsText);
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
    switch (solverIndex)
    {
    case 0:
        return "c";
    case 1:
        return "x";
    case 2:
        return "g";
    case 3:
        return mipProblem ? "b" : "l";
    case 4:
        return "s";
    default:
        return "";
    }
}

std::string SolverSuffix(int solverIndex, bool mipProblem)
{
    switch (solverIndex)
    {
    case 0:
        return "_cplex";
    case 1:
        return "_xpress";
    case 2:
        return "_glpk";
    case 3:
        return mipProblem ? "_cbc" : "_clp";
    case 4:
        return "_sym";
    default:
        return "";
    }
}

std::vector<std::string> BuildArgumentVector(const FormSnapshot& form)
{
    ArgumentList args;
    args.Add(kBackendProgramName);
    args.Add(form.instanceFilePath);
    args.Add(form.outputFolderPath);
    args.Add("--solver", SolverCode(form.solverIndex, form.mipProblem));
    AddModelRows(args, form);
    AddToleranceRows(args, form);
    AddBcdGroup(args, form);
    AddAdvancedRows(args, form);
    return args.Take();
}

std::string ResultBasePath(const std::string& outputFolder, const std::string& instanceFile,
                           const std::string& solverSuffix, char separator)
{
    std::string base = outputFolder;
    if (!base.empty() && base.back() != separator)
        base += separator;

    std::string stem = instanceFile;
    const std::size_t lastSeparator = stem.rfind(separator);
    if (lastSeparator != std::string::npos)
        stem.erase(0, lastSeparator + 1);
    const std::size_t lastDot = stem.rfind('.');
    if (lastDot != std::string::npos)
        stem.erase(lastDot);

    return base + stem + solverSuffix;
}

} // namespace vrn
