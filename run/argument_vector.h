#pragma once

#include "contract/solver_codes.h"
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
// selected solver; index 3 is Cbc for integer problems and Clp for linear ones. Empty for an
// index outside the solver table. ResultBasePath comes with the solver table.
std::string SolverCode(int solverIndex, bool mipProblem);
std::string SolverSuffix(int solverIndex, bool mipProblem);

// The separator that counts in result paths on this system.
constexpr char kPathSeparator = '/';

} // namespace vrn
