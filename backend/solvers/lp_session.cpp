#include "solvers/lp_session.h"

namespace vrn
{

// Solvers keep no model between solves unless their adapter says otherwise.
std::unique_ptr<LpSession> SolverAdapter::OpenLpSession(const MipModel& /*model*/)
{
    return nullptr;
}

} // namespace vrn
