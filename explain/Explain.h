// The explain tool: the launcher's own decision, run on the same command-line tail in the same
// folder, told step by step.
#pragma once

#include "explain/Explanation.h"

#include <string>

// Reads the explain tool's switches from the tail (explain/ExplainSwitches.h), then runs the
// launcher's WinMain on the rest, with the Windows calls it makes recorded: by default no program
// is started (each start is recorded and fails); with --run it is, and waited for as the launcher
// waits. With --as the named launcher's folder is used instead of this program's own. The
// character rules of the code page must be set up beforehand, as for the launcher.
Explanation Explain(const std::string& commandTail);
