#pragma once

#include "engine/problem.h"
#include "engine/solve.h"
#include "engine/tourimprover.h"

#include <cstdint>
#include <vector>

// Open routes and fixed first stops: a route that need not return, from a given first stop, to
// a given last one, or both. They are solved as round trips through one stand-in point that
// is joined to the first and the last stop at no cost and to any other at a prohibitive one,
// so that the round-trip searches serve them unchanged.
namespace rundel::engine {

/// The open route that a closed tour @p cycle (node numbers in the order of travel) gives for
/// @p ends: cut before its first stop, the last stop moved to the end; with no fixed ends,
/// cut at its longest leg.
[[nodiscard]] std::vector<std::int32_t>
cut_open(const Problem& problem, const std::vector<std::int32_t>& cycle, const RouteEnds& ends);

/// Shortens the open route @p path (node numbers, first stop to last) keeping its fixed ends;
/// lengths are the route's own, without a return.
ImproveResult improve_open(const Problem& problem, const RouteEnds& ends,
                           std::vector<std::int32_t>& path, const ImproveOptions& options);

} // namespace rundel::engine
