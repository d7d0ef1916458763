// The explain tool's account of one run of the launcher's code: the steps, one a line or block,
// from what was recorded, and the exit code that sums them up for scripts.
#pragma once

#include "explain/CallLog.h"

#include <string>

// Exit codes of the explain tool.
constexpr int kProgramFound = 0;          // a program file was found for the document
constexpr int kDocumentStartedItself = 1; // no association, or no program file in its command
constexpr int kDocumentNotFound = 2;
constexpr int kUsageError = 3;

// What the explain tool learnt besides the recorded calls: what the launcher's own functions read
// before the run, and how the run ended.
struct ExplainedRun {
    std::string launcherFolder;
    std::string modulePath;     // the path the folder was taken from
    bool launcherNamed = false; // that path was named with --as rather than this program's own
    std::string pathValue;
    std::string verbValue;
    int launcherExitCode = 0;
};

struct Explanation {
    std::string output; // for standard output
    std::string error;  // for standard error
    int exitCode = 0;
};

Explanation DescribeRun(const ExplainedRun& run, const CallLog& log);
