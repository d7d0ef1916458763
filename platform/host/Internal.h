// Shared plumbing of the simulated machine's parts; not for tests or launcher code.
#pragma once

#include "platform/host/Simulation.h"

namespace sim::detail {

// Counts one call of op and tells whether fault injection makes this call fail.
bool EnterCall(Op op);
void ResetCalls();

// Each part of the machine returns to its fresh state (called by sim::Reset).
void ResetCodePage();
void ResetHeap();
void ResetMachine();

} // namespace sim::detail
