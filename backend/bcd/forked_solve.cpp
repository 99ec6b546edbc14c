#include "bcd/forked_solve.h"

#include "solvers/solve_model.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vrn
{

namespace
{

// The header of a result on the pipe; the solution's values and the detail's bytes follow it.
struct ResultHeader
{
    uint32_t magic = 0x56524e31; // "VRN1"
    int32_t status = 0;
    double objective = 0;
    double bound = 0;
    uint64_t values = 0;
    uint64_t detailBytes = 0;
};

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// In the child: solve, send the result, and leave without running this process's exit handlers
// (they belong to the parent: buffered output, open files).
[[noreturn]] void RunChild(int out, pid_t parent, const MipModel& model, SolverAdapter& solver,
                           const SolveParams& params, double seconds)
{
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(3); // the parent died before the line above
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0)
    {
        // The solver's own log would interleave with the parent's output.
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
    }
    try
    {
        RunControl control(seconds > 0 ? seconds : -1);
        const std::vector<char> bytes = EncodeSolveResult(SolveModel(model, solver, params, control));
        _exit(WriteAll(out, bytes.data(), bytes.size()) ? 0 : 2);
    }
    catch (...)
    {
        _exit(2);
    }
}

// The processor time that process `pid` has used so far, in clock ticks (user and system); -1 when
// it cannot be read.
long long ProcessorTicks(pid_t pid)
{
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
    FILE* file = std::fopen(path, "r");
    if (!file)
        return -1;
    char line[1024];
    const bool read = std::fgets(line, sizeof line, file) != nullptr;
    std::fclose(file);
    if (!read)
        return -1;
    // The fields after the command name (in parentheses, which may hold spaces): state is the 3rd
    // field of the line, utime the 14th and stime the 15th.
    const char* rest = std::strrchr(line, ')');
    if (!rest)
        return -1;
    char state = 0;
    unsigned long long user = 0, system = 0;
    if (std::sscanf(rest + 1, " %c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &state, &user,
                    &system) != 3)
        return -1;
    return static_cast<long long>(user + system);
}

} // namespace

std::vector<char> EncodeSolveResult(const SolveResult& result)
{
    ResultHeader header;
    header.status = static_cast<int32_t>(result.status);
    header.objective = result.objective;
    header.bound = result.bound;
    header.values = result.solution.size();
    header.detailBytes = result.detail.size();
    std::vector<char> bytes(sizeof header + result.solution.size() * sizeof(double) + result.detail.size());
    std::memcpy(bytes.data(), &header, sizeof header);
    if (!result.solution.empty())
        std::memcpy(bytes.data() + sizeof header, result.solution.data(),
                    result.solution.size() * sizeof(double));
    if (!result.detail.empty())
        std::memcpy(bytes.data() + sizeof header + result.solution.size() * sizeof(double),
                    result.detail.data(), result.detail.size());
    return bytes;
}

std::optional<SolveResult> DecodeSolveResult(const std::vector<char>& bytes)
{
    ResultHeader header;
    if (bytes.size() < sizeof header)
        return std::nullopt;
    std::memcpy(&header, bytes.data(), sizeof header);
    const uint64_t rest = bytes.size() - sizeof header;
    if (header.magic != ResultHeader().magic || header.status < 0 ||
        header.status > static_cast<int32_t>(SolveStatus::Failed) || header.values > rest / sizeof(double) ||
        rest != header.values * sizeof(double) + header.detailBytes)
        return std::nullopt;
    SolveResult result;
    result.status = static_cast<SolveStatus>(header.status);
    result.objective = header.objective;
    result.bound = header.bound;
    result.solution.resize(header.values);
    if (header.values > 0)
        std::memcpy(result.solution.data(), bytes.data() + sizeof header, header.values * sizeof(double));
    result.detail.assign(bytes.data() + sizeof header + header.values * sizeof(double), header.detailBytes);
    return result;
}

ForkedSolve::~ForkedSolve()
{
    Kill();
}

bool ForkedSolve::Start(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                        double seconds)
{
    Kill();
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return false;
    // Whatever this process has buffered goes out once, not again from the child's copy. The
    // standard streams are held across the fork, so that no other thread of this process is halfway
    // through writing to them when the child's copy is made (the child would wait for ever on the
    // lock the other thread held).
    std::fflush(stdout);
    std::fflush(stderr);
    flockfile(stdout);
    flockfile(stderr);
    const pid_t parent = getpid();
    const pid_t child = fork();
    funlockfile(stderr);
    funlockfile(stdout);
    if (child == 0)
    {
        close(ends[0]);
        RunChild(ends[1], parent, model, solver, params, seconds);
    }
    close(ends[1]);
    if (child < 0)
    {
        close(ends[0]);
        return false;
    }
    m_child = child;
    m_pipe = ends[0];
    m_ticks = -1;
    m_ticksSeen = std::chrono::steady_clock::now();
    return true;
}

bool ForkedSolve::Stalled(double seconds)
{
    if (m_child < 0)
        return false;
    const long long ticks = ProcessorTicks(m_child);
    const auto now = std::chrono::steady_clock::now();
    if (ticks < 0 || ticks != m_ticks)
    {
        m_ticks = ticks;
        m_ticksSeen = now;
        return false;
    }
    return now - m_ticksSeen > std::chrono::duration<double>(seconds);
}

std::optional<SolveResult> ForkedSolve::Finish(const std::function<bool()>& abandon, double maxWaitSeconds,
                                               double stallSeconds)
{
    m_end = End::Failed;
    if (m_child < 0)
        return std::nullopt;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(maxWaitSeconds);
    std::vector<char> bytes;
    char buffer[65536];
    for (;;)
    {
        if ((abandon && abandon()) || Clock::now() > deadline)
        {
            Kill();
            m_end = End::GivenUp;
            return std::nullopt;
        }
        if (Stalled(stallSeconds))
        {
            Kill();
            m_end = End::Stalled;
            return std::nullopt;
        }
        pollfd ready{m_pipe, POLLIN, 0};
        const int polled = poll(&ready, 1, 50);
        if (polled < 0 && errno != EINTR)
            break;
        if (polled <= 0)
            continue;
        const ssize_t n = read(m_pipe, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the child closed its end: done, or died
        bytes.insert(bytes.end(), buffer, buffer + n);
        m_ticksSeen = Clock::now(); // sending is progress too
    }
    close(m_pipe);
    m_pipe = -1;
    int status = 0;
    waitpid(m_child, &status, 0);
    m_child = -1;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    std::optional<SolveResult> result = DecodeSolveResult(bytes);
    if (result)
        m_end = End::Answered;
    return result;
}

bool ForkedSolve::Answering() const
{
    if (m_pipe < 0)
        return false;
    pollfd ready{m_pipe, POLLIN, 0};
    return poll(&ready, 1, 0) > 0 && (ready.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

void ForkedSolve::Kill()
{
    if (m_pipe >= 0)
    {
        close(m_pipe);
        m_pipe = -1;
    }
    if (m_child > 0)
    {
        kill(m_child, SIGKILL);
        waitpid(m_child, nullptr, 0);
        m_child = -1;
    }
}

} // namespace vrn
