#include "backend_locator.h"

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace vrn
{

std::vector<std::string> BackendSearchFolders(const std::string& ownFolder, const std::string& pathVariable)
{
    std::vector<std::string> folders;
    if (!ownFolder.empty())
        folders.push_back(ownFolder);
    std::size_t start = 0;
    while (start <= pathVariable.size() && !pathVariable.empty())
    {
        std::size_t colon = pathVariable.find(':', start);
        if (colon == std::string::npos)
            colon = pathVariable.size();
        const std::string entry = pathVariable.substr(start, colon - start);
        folders.push_back(entry.empty() ? "." : entry);
        start = colon + 1;
    }
    return folders;
}

std::string FindExecutable(const std::string& program, const std::vector<std::string>& folders)
{
    for (const std::string& folder : folders)
    {
        if (folder.empty())
            continue;
        const std::string candidate = folder + (folder.back() == '/' ? "" : "/") + program;
        struct stat info;
        if (stat(candidate.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return "";
}

std::string OwnProgramFolder()
{
    char path[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        return "";
    const std::string program(path, static_cast<std::size_t>(length));
    const std::size_t slash = program.rfind('/');
    return slash == 0 ? "/" : program.substr(0, slash);
}

std::string BackendNotFoundMessage(const std::string& program, const std::string& ownFolder,
                                   const std::string& pathVariable)
{
    return program + " could not be started: it is neither in " +
           (ownFolder.empty() ? std::string("the program's own folder") : ownFolder) +
           " nor in any folder on PATH (" + pathVariable + ").";
}

} // namespace vrn
