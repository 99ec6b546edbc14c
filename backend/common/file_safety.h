// How the back-end creates its result files and guards its process, so that a hostile folder or a
// hostile start cannot make it write into someone else's file or leave a file that looks whole and
// is not:
// - the three standard descriptors are open before anything else is opened;
// - a result file is never opened through a symbolic link and never written into an existing file;
// - a .sol (or .lp) is written to a temporary file in its folder and renamed into place when complete:
//   it is complete or absent;
// - one run at a time writes the files of a result base (a lock on BASE.lock);
// - an input file is read only when it is a regular file (a FIFO or a device would block or never end).
#pragma once

#include <cstdio>
#include <functional>
#include <string>

namespace vrn
{

// Opens /dev/null on any of descriptors 0, 1 and 2 that is closed, so that a file opened later can
// never take the place of a standard stream (a log under descriptor 1 would copy itself without end).
void EnsureStandardDescriptors();

// Writes a file through `write`, which gets a stream on a new temporary file in the same folder and
// returns false when it fails. The temporary file is created exclusively and never through a link;
// when the writing, the flush and the sync succeed it is renamed over `path` (a link at `path` is
// replaced, never followed); otherwise it is removed and `error` says why.
bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write,
                         std::string& error);

// Creates `path` afresh for writing, for a file that must exist while it grows (the .log): whatever
// is at `path` (a file or a link) is removed first, then the file is created exclusively without
// following links. Returns a stream, or null with `error` set.
std::FILE* CreateFreshFile(const std::string& path, std::string& error);

// Removes what is at `path` (a file, or a link itself, never what it points to); a folder is left alone.
void RemoveFileIfPresent(const std::string& path);

// Why a whole file could not be read.
enum class FileReadFault
{
    None,
    CannotOpen, // `error` holds errno
    NotRegular, // a FIFO, a device or a folder: refused without waiting for it
    CannotRead  // `error` holds errno
};

// Reads the whole regular file at `path` into `text`.
FileReadFault ReadRegularFile(const std::string& path, std::string& text, int& error);

// Holds the lock on a result base for the lifetime of the run: flock(2) on BASE.lock, which the
// kernel releases when the process ends however it ends (the front-end's Stop kills with SIGKILL), so
// a killed run never blocks the next one. The lock file is removed when the lock is released. Taking
// the lock removes the temporary files of the base (BASE.sol.part..., BASE.lp.part...,
// BASE.html.part...) that a run killed while it wrote them left behind.
class ResultBaseLock
{
public:
    ResultBaseLock() = default;
    ~ResultBaseLock();
    ResultBaseLock(const ResultBaseLock&) = delete;
    ResultBaseLock& operator=(const ResultBaseLock&) = delete;

    // False with `error` when another run holds the base or the lock file cannot be made.
    bool Acquire(const std::string& base, std::string& error);
    void Release();

private:
    int m_fd = -1;
    std::string m_path;
};

} // namespace vrn
