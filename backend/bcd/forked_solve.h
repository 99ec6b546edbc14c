// A model solved in a child process, so that the descent's blocks use more than one core. The
// solver libraries keep state that is not known to be safe to share between threads; a child has
// its own copy of everything (the model, the adapter, the libraries' globals), and only the result
// comes back, through a socket. A child that answered stays, and solves the next model sent to it
// over the same socket: a fork copies the whole run's page tables, and the run then copies each page
// it writes, which costs much of a small block's solve (GLPK on the 99,561-cell count table, blocks of
// 30 cells, two at a time, 60 s: a fork per block gave 1,474 blocks, children kept 1,837).
#pragma once

#include "bcd/solve_frames.h"
#include "solvers/solver_adapter.h"

#include <chrono>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <vector>

namespace vrn
{

class ForkedSolve
{
public:
    ForkedSolve() = default;
    ~ForkedSolve(); // a child still running is killed and reaped
    ForkedSolve(const ForkedSolve&) = delete;
    ForkedSolve& operator=(const ForkedSolve&) = delete;

    // Starts solving `model` in a child within `seconds` (<= 0: no limit): the child that answered
    // last, when it was made for the same `solver`, else a new one. The child writes nothing to this
    // process's output and dies with it. False when no child could be started.
    bool Start(const MipModel& model, SolverAdapter& solver, const SolveParams& params, double seconds);

    // How the last `Finish` ended.
    enum class End
    {
        Answered, // the child sent its result
        Failed,   // the child died or sent no result
        Stalled,  // the child used no processor time and sent nothing for `stallSeconds`: killed
        GivenUp   // `abandon` said so, or `maxWaitSeconds` passed: killed
    };

    // The child's result; none when it failed, when `abandon` said so (checked every 50 ms) or
    // `maxWaitSeconds` passed first, or when the child stalled (`Stalled(stallSeconds)`, nothing sent
    // meanwhile either; then the child is killed). A solver
    // at work always uses the processor; a child that does not is stuck for good (a lock that some
    // other thread of this process held when the child was made stays held in the child).
    std::optional<SolveResult> Finish(const std::function<bool()>& abandon, double maxWaitSeconds,
                                      double stallSeconds = 10);
    End LastEnd() const { return m_end; }

    // Whether the child has begun to send its result, or has ended: `Finish` then waits no longer than
    // the sending takes.
    bool Answering() const;

    // Whether the child has used no processor time for `seconds` (checked at each call, so call it
    // again and again while waiting): stuck for good, as `Finish` would find.
    bool Stalled(double seconds);

    // Whether a child answered and waits for the next model.
    bool Idle() const { return m_child > 0 && !m_busy; }
    // How many children were made so far.
    int Forks() const { return m_forks; }

private:
    pid_t m_child = -1;
    int m_socket = -1; // this process's end
    bool m_busy = false;
    const SolverAdapter* m_solver = nullptr; // the adapter the child was made with
    int m_forks = 0;
    End m_end = End::Failed;
    long long m_ticks = -1; // the child's processor time when last seen to change
    std::chrono::steady_clock::time_point m_ticksSeen;

    bool Fork(const MipModel& model, SolverAdapter& solver, const SolveParams& params, double seconds);
    bool Send(const MipModel& model, const SolveParams& params, double seconds);
    void Kill();
};

} // namespace vrn
