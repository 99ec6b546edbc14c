#pragma once

#include "form_snapshot.h"

#include <string>
#include <vector>

namespace vrn
{

// The back-end's program name: element 0 of every argument vector.
extern const char* const kBackendProgramName;

// True when `text` is a whole number in C notation as wxString::ToCDouble reads it (leading
// blanks allowed, nothing after the number, within the range of a double); sets `value` then.
bool ParseNumericText(const std::string& text, double& value);

// The back-end's argument vector for a form: element 0 is the program name, then the instance,
// the output folder, "--solver" and every option whose rule holds, each as a name element
// followed by a value element. Texts go in exactly as typed.
std::vector<std::string> BuildArgumentVector(const FormSnapshot& form);

// "--solver" value ("c", "x", "g", "b", "l", "s") and result-file suffix ("_cplex", ...) of the
// selected solver; index 3 is Cbc for integer problems and Clp for linear ones.
std::string SolverCode(int solverIndex, bool mipProblem);
std::string SolverSuffix(int solverIndex, bool mipProblem);

// Where the back-end writes its result files, without the extension: the folder, one separator
// unless the folder is empty or already ends in one, the instance file's name without directory
// (up to the last separator) and extension (from the last "."), and the solver suffix.
std::string ResultBasePath(const std::string& outputFolder, const std::string& instanceFile,
                           const std::string& solverSuffix, char separator);

// The separator that counts in result paths on this system.
constexpr char kPathSeparator = '/';

} // namespace vrn
