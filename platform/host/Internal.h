// Shared plumbing of the simulated machine's parts; not for tests or launcher code.
#pragma once

#include "platform/host/Simulation.h"

#include <string>
#include <vector>

namespace sim::detail {

// Counts one call of op and tells whether fault injection makes this call fail.
bool EnterCall(Op op);
void ResetCalls();

// One character of a name, read in the current code page as the file system reads it: its bytes
// as written, and the form by which names are compared (upper case, and one encoding for a
// character the code page encodes twice). The form "?" stands for a byte pair that the code page
// cannot read, which makes the name one that no file can have.
struct NameCharacter {
    std::string bytes;
    std::string form;
};
std::vector<NameCharacter> ReadName(const std::string& name);

// Each part of the machine returns to its fresh state (called by sim::Reset).
void ResetCodePage();
void ResetHeap();
void ResetMachine();

} // namespace sim::detail
