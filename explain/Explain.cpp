#include "explain/Explain.h"

#include "explain/CallLog.h"
#include "explain/ExplainSwitches.h"
#include "launcher/ReadOption.h"
#include "launcher/WinMain.h"
#include "text/LauncherFolder.h"

Explanation Explain(const std::string& commandTail) {
    const ExplainSwitches switches = ReadExplainSwitches(commandTail);
    if (!switches.error.empty()) {
        Explanation refused;
        refused.error = switches.error + "\n";
        refused.exitCode = kUsageError;
        return refused;
    }
    const RecordingSettings settings{switches.launcherPath, switches.run};

    // What the launcher's own functions read before the run: its folder and the option values.
    ExplainedRun run;
    StartRecording(settings);
    run.launcherFolder = GetLauncherFolder().Text();
    const CallLog& folderCalls = RecordedCallLog();
    run.modulePath = folderCalls.modulePaths.empty() ? "" : folderCalls.modulePaths.front();
    run.launcherNamed = switches.launcherPath.has_value();
    const String tail(switches.launcherTail.c_str());
    run.pathValue = ReadOption(tail, "/path").Text();
    run.verbValue = ReadOption(tail, "/verb").Text();

    // The run itself, on a tail of its own, as the launcher gets it.
    StartRecording(settings);
    std::string launcherTail = switches.launcherTail;
    run.launcherExitCode =
        WinMain(GetModuleHandleA(nullptr), nullptr, launcherTail.data(), SW_SHOWDEFAULT);
    return DescribeRun(run, RecordedCallLog());
}
