// bench_backend_real survey [SECONDS] [REFERENCE_SECONDS]: count tables of small units (see
// count_tables_bench.cpp); SECONDS per run (default 60), REFERENCE_SECONDS for the best table known
// (default 300).
#pragma once

#include <string>

namespace vrn::bench
{

int RunCountTables(const std::string& seconds, const std::string& referenceSeconds);

} // namespace vrn::bench
