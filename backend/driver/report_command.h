// mainVRN.exe --report INSTANCE SOLUTION [PAGE]: the report page of a table written earlier (by a run
// of this program, or by another tool in the same .sol form), without solving anything.
#pragma once

#include <string>
#include <vector>

namespace vrn
{

// `files`: the instance, the .sol and, when given, the page's path. Returns the exit status: 0 the page
// was written, 1 it could not be, 2 the page would replace one of the two files, 3 a file cannot be
// read, has an error, holds no table, or the table is not of the instance.
int RunReportCommand(const std::vector<std::string>& files);

} // namespace vrn
