// CLP keeps a linear program loaded between the Fast stages (see lp_session.h).
#pragma once

#include "solvers/lp_session.h"

namespace vrn
{
std::unique_ptr<LpSession> OpenClpSession(const MipModel& model);
}
