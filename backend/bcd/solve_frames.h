// The bytes that go between the descent and a child that solves its blocks (forked_solve.h): a
// request (the model, the solve's parameters and its time) and a result, each read back exactly or
// refused.
#pragma once

#include "solvers/solver_adapter.h"

#include <optional>
#include <vector>

namespace vrn
{

// The bytes a child sends for `result`, and back (none when they are cut short or malformed).
std::vector<char> EncodeSolveResult(const SolveResult& result);
std::optional<SolveResult> DecodeSolveResult(const std::vector<char>& bytes);

// A model to solve with `params` within `seconds` (<= 0: no limit).
struct SolveRequest
{
    MipModel model;
    SolveParams params;
    double seconds = -1;
};

std::vector<char> EncodeSolveRequest(const MipModel& model, const SolveParams& params, double seconds);
std::optional<SolveRequest> DecodeSolveRequest(const std::vector<char>& bytes);

} // namespace vrn
