#include "launch/LaunchProgram.h"

#include "launch/WindowText.h"
#include "text/LauncherFolder.h"

namespace {

// The class of dialog boxes: a child that first shows one (a licence or choice prompt, say) has
// not yet shown its main window.
bool IsMainWindowClass(const String& className) {
    return !className.IsEmpty() && className.Compare("#32770") != 0;
}

String BuildCommandLine(const String& program, String arguments) {
    String commandLine = "\"" + program + "\"";
    arguments.TrimLeft();
    arguments.TrimRight();
    arguments.Replace('\t', ' ');
    if (arguments.Length() > 0) {
        commandLine = commandLine + " " + arguments;
    }
    return commandLine;
}

// Polls until the child shows its main window or ends; the window test comes first, so a window
// shown in the poll in which the child ends still counts.
HWND WaitForMainWindow(DWORD processId, HANDLE waitHandle) {
    for (int poll = 0; poll < kPollLimit; ++poll) {
        const HWND window = FindTitledWindow(processId);
        if (window != nullptr && IsMainWindowClass(GetWindowClass(window))) {
            return window;
        }
        if (WaitForSingleObject(waitHandle, 1) != WAIT_TIMEOUT) {
            break;
        }
        Sleep(0);
    }
    return nullptr;
}

} // namespace

HWND LaunchProgram(String program, String arguments) {
    // Without a launcher folder the child keeps the launcher's own current folder.
    const String workingFolder = GetLauncherFolder();

    // Zeroed whole, with its real size: the structure is larger in a 64-bit process.
    STARTUPINFOA startupInfo{};
    startupInfo.cb = sizeof startupInfo;
    startupInfo.dwFlags = STARTF_USESHOWWINDOW;
    startupInfo.wShowWindow = SW_SHOW;

    // CreateProcessA may write into the command line, so it gets a buffer of its own.
    String commandLine = BuildCommandLine(program, arguments);
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, const_cast<char*>(commandLine.Text()), nullptr, nullptr, FALSE, 0,
                        nullptr, workingFolder.IsEmpty() ? nullptr : workingFolder.Text(),
                        &startupInfo, &process)) {
        return nullptr; // no child: nothing was opened, so nothing is waited on or closed
    }

    const HANDLE waitHandle = OpenProcess(SYNCHRONIZE, FALSE, process.dwProcessId);
    const HWND window = WaitForMainWindow(process.dwProcessId, waitHandle);

    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    if (waitHandle != nullptr) {
        CloseHandle(waitHandle);
    }
    return window;
}
