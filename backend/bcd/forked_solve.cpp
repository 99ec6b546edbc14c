#include "bcd/forked_solve.h"

#include "solvers/solve_model.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vrn
{

namespace
{

// Sends all of `size` bytes; false when the other end is gone (no SIGPIPE: MSG_NOSIGNAL).
bool SendAll(int fd, const char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t n = send(fd, data, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// A frame on the socket: its length, then its bytes.
bool SendFrame(int fd, const std::vector<char>& bytes)
{
    const uint64_t length = bytes.size();
    return SendAll(fd, reinterpret_cast<const char*>(&length), sizeof length) &&
           SendAll(fd, bytes.data(), bytes.size());
}

bool ReadAll(int fd, char* data, size_t size)
{
    while (size > 0)
    {
        const ssize_t n = read(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<size_t>(n);
    }
    return true;
}

// In the child: waits for the next frame; false when the parent closed its end.
bool ReadFrame(int fd, std::vector<char>& bytes)
{
    uint64_t length = 0;
    if (!ReadAll(fd, reinterpret_cast<char*>(&length), sizeof length) || length > (uint64_t{1} << 40))
        return false;
    bytes.resize(length);
    return ReadAll(fd, bytes.data(), bytes.size());
}

bool SolveAndAnswer(int fd, const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                    double seconds)
{
    RunControl control(seconds > 0 ? seconds : -1);
    return SendFrame(fd, EncodeSolveResult(SolveModel(model, solver, params, control)));
}

// In the child: solve the first model, then each one that comes over the socket, until the parent
// closes its end; leave without running this process's exit handlers (they belong to the parent:
// buffered output, open files).
[[noreturn]] void RunChild(int fd, pid_t parent, const MipModel& model, SolverAdapter& solver,
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
        if (!SolveAndAnswer(fd, model, solver, params, seconds))
            _exit(2);
        for (std::vector<char> frame; ReadFrame(fd, frame);)
        {
            const std::optional<SolveRequest> request = DecodeSolveRequest(frame);
            if (!request || !SolveAndAnswer(fd, request->model, solver, request->params, request->seconds))
                _exit(2);
        }
        _exit(0);
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

ForkedSolve::~ForkedSolve()
{
    Kill();
}

bool ForkedSolve::Start(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                        double seconds)
{
    if (Idle() && m_solver == &solver && Send(model, params, seconds))
        return true;
    Kill();
    return Fork(model, solver, params, seconds);
}

bool ForkedSolve::Send(const MipModel& model, const SolveParams& params, double seconds)
{
    if (!SendFrame(m_socket, EncodeSolveRequest(model, params, seconds)))
        return false;
    m_busy = true;
    m_ticks = -1;
    m_ticksSeen = std::chrono::steady_clock::now();
    return true;
}

bool ForkedSolve::Fork(const MipModel& model, SolverAdapter& solver, const SolveParams& params,
                       double seconds)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
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
    m_socket = ends[0];
    m_busy = true;
    m_solver = &solver;
    ++m_forks;
    m_ticks = -1;
    m_ticksSeen = std::chrono::steady_clock::now();
    return true;
}

bool ForkedSolve::Stalled(double seconds)
{
    if (m_child < 0 || !m_busy)
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
    if (m_child < 0 || !m_busy)
        return std::nullopt;
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::duration<double>(maxWaitSeconds);
    std::vector<char> bytes;
    uint64_t frame = 0; // the frame's whole length, its length field included, once known
    char buffer[65536];
    while (frame == 0 || bytes.size() < frame)
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
        pollfd ready{m_socket, POLLIN, 0};
        const int polled = poll(&ready, 1, 50);
        if (polled < 0 && errno != EINTR)
            break;
        if (polled <= 0)
            continue;
        // No further than the frame's end: the length first, then the rest.
        const size_t wanted = (frame == 0 ? sizeof frame : frame) - bytes.size();
        const ssize_t n = read(m_socket, buffer, std::min(sizeof buffer, wanted));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break; // the child closed its end: it died
        bytes.insert(bytes.end(), buffer, buffer + n);
        m_ticksSeen = Clock::now(); // sending is progress too
        if (frame == 0 && bytes.size() >= sizeof frame)
        {
            std::memcpy(&frame, bytes.data(), sizeof frame);
            frame += sizeof frame;
        }
    }
    std::optional<SolveResult> result;
    if (frame > 0 && bytes.size() == frame)
        result = DecodeSolveResult(std::vector<char>(bytes.begin() + sizeof frame, bytes.end()));
    if (!result)
    {
        Kill();
        return std::nullopt;
    }
    m_busy = false;
    m_end = End::Answered;
    return result;
}

bool ForkedSolve::Answering() const
{
    if (m_socket < 0 || !m_busy)
        return false;
    pollfd ready{m_socket, POLLIN, 0};
    return poll(&ready, 1, 0) > 0 && (ready.revents & (POLLIN | POLLHUP | POLLERR)) != 0;
}

void ForkedSolve::Kill()
{
    if (m_socket >= 0)
    {
        close(m_socket);
        m_socket = -1;
    }
    if (m_child > 0)
    {
        kill(m_child, SIGKILL);
        waitpid(m_child, nullptr, 0);
        m_child = -1;
    }
    m_busy = false;
}

} // namespace vrn
