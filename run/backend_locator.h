#pragma once

#include <string>
#include <vector>

namespace vrn
{

// The folders searched for the back-end, in order: the front-end's own folder, then each folder
// of `pathVariable` (the PATH value; an empty entry stands for the current folder).
std::vector<std::string> BackendSearchFolders(const std::string& ownFolder, const std::string& pathVariable);

// The full path of the first executable file called `program` in `folders`, or "" if none holds one.
std::string FindExecutable(const std::string& program, const std::vector<std::string>& folders);

// The folder that holds the running program, or "" if the system does not tell.
std::string OwnProgramFolder();

// One plain line for the output area: `program` was found in none of the places it was looked for.
std::string BackendNotFoundMessage(const std::string& program, const std::string& ownFolder,
                                   const std::string& pathVariable);

} // namespace vrn
