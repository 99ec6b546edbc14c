#include "common/file_safety.h"

#include "common/escape_text.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vrn
{

namespace
{

constexpr int kCreateFlags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;

std::string Why(int error)
{
    return std::strerror(error);
}

// A name beside `path` that no other file has, created exclusively; -1 with errno on failure.
int CreateTemporaryBeside(const std::string& path, std::string& temporary)
{
    static unsigned counter = 0;
    for (int attempt = 0; attempt < 100; ++attempt)
    {
        temporary = path + ".part" + std::to_string(getpid()) + "_" + std::to_string(counter++);
        const int fd = open(temporary.c_str(), kCreateFlags, 0644);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

// Temporary files of this base that a killed run left behind (the kernel released its lock, so no
// run writes them now): BASE.sol.part..., BASE.lp.part... and BASE.html.part... in the base's folder.
void RemoveLeftoverParts(const std::string& base)
{
    const size_t slash = base.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : base.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? base : base.substr(slash + 1);
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr)
        return;
    while (const dirent* entry = readdir(dir))
    {
        const std::string file = entry->d_name;
        for (const char* kind : {".sol.part", ".lp.part", ".html.part"})
            if (file.rfind(name + kind, 0) == 0)
                unlink((slash == std::string::npos ? file : folder + file).c_str());
    }
    closedir(dir);
}

} // namespace

void EnsureStandardDescriptors()
{
    for (int fd = 0; fd <= 2; ++fd)
    {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        // open returns the lowest free descriptor, which is this one.
        const int opened = open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd)
        {
            dup2(opened, fd);
            close(opened);
        }
    }
}

bool WriteFileAtomically(const std::string& path, const std::function<bool(std::FILE*)>& write,
                         std::string& error)
{
    std::string temporary;
    const int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0)
    {
        error = "cannot create a file beside " + EscapeControl(path) + ": " + Why(errno);
        return false;
    }
    std::FILE* f = fdopen(fd, "w");
    if (f == nullptr)
    {
        close(fd);
        unlink(temporary.c_str());
        error = "cannot write " + EscapeControl(path) + ": " + Why(errno);
        return false;
    }
    errno = 0;
    bool ok = write(f) && std::fflush(f) == 0 && !std::ferror(f);
    int failure = errno;
    if (ok && fsync(fileno(f)) != 0)
    {
        ok = false;
        failure = errno;
    }
    if (std::fclose(f) != 0 && ok)
    {
        ok = false;
        failure = errno;
    }
    if (ok && std::rename(temporary.c_str(), path.c_str()) != 0)
    {
        ok = false;
        failure = errno;
    }
    if (!ok)
    {
        unlink(temporary.c_str());
        error = "cannot write " + EscapeControl(path) + (failure ? ": " + Why(failure) : std::string()) +
                "; no partial file was left";
    }
    return ok;
}

std::FILE* CreateFreshFile(const std::string& path, std::string& error)
{
    struct stat info = {};
    if (lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        unlink(path.c_str()); // a link is removed itself; what it points to is left alone
    const int fd = open(path.c_str(), kCreateFlags, 0644);
    std::FILE* f = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (f == nullptr)
    {
        error = "cannot create " + EscapeControl(path) + ": " + Why(errno);
        if (fd >= 0)
            close(fd);
    }
    return f;
}

void RemoveFileIfPresent(const std::string& path)
{
    struct stat info = {};
    if (lstat(path.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        unlink(path.c_str());
}

FileReadFault ReadRegularFile(const std::string& path, std::string& text, int& error)
{
    // Opened without waiting (a FIFO would block the open until a writer comes) and refused unless it
    // is a regular file; the read itself then blocks as usual.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
    {
        error = errno;
        return FileReadFault::CannotOpen;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    struct stat info = {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode))
    {
        close(fd);
        return FileReadFault::NotRegular;
    }
    text.assign(static_cast<size_t>(info.st_size), '\0');
    size_t done = 0;
    errno = 0;
    while (done < text.size())
    {
        const ssize_t n = read(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<size_t>(n);
    }
    error = errno;
    close(fd);
    return done == text.size() ? FileReadFault::None : FileReadFault::CannotRead;
}

ResultBaseLock::~ResultBaseLock()
{
    Release();
}

bool ResultBaseLock::Acquire(const std::string& base, std::string& error)
{
    m_path = base + ".lock";
    // The file is removed when a lock is released; a run that opened it just before that holds a file
    // no longer in the folder, which it notices by comparing it with what the path names now.
    for (int attempt = 0; attempt < 10; ++attempt)
    {
        const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
        if (fd < 0)
        {
            error = "cannot create the lock file " + EscapeControl(m_path) + ": " + Why(errno);
            return false;
        }
        if (flock(fd, LOCK_EX | LOCK_NB) != 0)
        {
            const int why = errno;
            close(fd);
            error = why == EWOULDBLOCK
                        ? "another run is writing the result files " + EscapeControl(base) + ".* (it holds " +
                              EscapeControl(m_path) + "); this run leaves them alone"
                        : "cannot lock " + EscapeControl(m_path) + ": " + Why(why);
            return false;
        }
        struct stat held = {}, named = {};
        if (fstat(fd, &held) == 0 && stat(m_path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
            held.st_dev == named.st_dev)
        {
            m_fd = fd;
            RemoveLeftoverParts(base);
            return true;
        }
        close(fd);
    }
    error = "cannot lock " + EscapeControl(m_path) + ": it keeps changing";
    return false;
}

void ResultBaseLock::Release()
{
    if (m_fd < 0)
        return;
    unlink(m_path.c_str());
    close(m_fd);
    m_fd = -1;
}

} // namespace vrn
