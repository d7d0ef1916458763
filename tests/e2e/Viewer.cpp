// A stand-in document viewer for the end-to-end tests (GUI subsystem, built only for tests).
//
// It records what it was started with to the file named by VIEWER_RECORD, then acts out the
// window script in VIEWER_SCRIPT, so that a test can check both what the launcher passed on and
// how long the launcher waited. Script steps, separated by ";":
//   window:<class>:<title>   create and show a top-level window ("#32770" is a dialog box)
//   hidden:<class>:<title>   create a top-level window without showing it
//   sleep:<ms>               wait, handling messages
//   close                    destroy the newest window
//   exit:<code>              end now with that exit code
//   forever                  stay, with the windows, until ended (at most two minutes)
// Without a script it ends at once. VIEWER_ECHO names environment variables (comma-separated)
// whose values are recorded too.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Environment(const char* name) {
    char value[4096];
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return (length > 0 && length < sizeof value) ? std::string(value, length) : std::string();
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string::size_type begin = 0;
    while (begin <= text.size()) {
        const std::string::size_type end = text.find(separator, begin);
        parts.push_back(
            text.substr(begin, end == std::string::npos ? std::string::npos : end - begin));
        if (end == std::string::npos) {
            break;
        }
        begin = end + 1;
    }
    return parts;
}

// Written to a temporary file and then moved into place, so a reader never sees half a record.
void WriteRecord() {
    const std::string path = Environment("VIEWER_RECORD");
    if (path.empty()) {
        return;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    char folder[MAX_PATH] = "";
    GetCurrentDirectoryA(sizeof folder, folder);

    std::string record;
    record += "commandLine=" + std::string(GetCommandLineA()) + "\n";
    record += "currentDirectory=" + std::string(folder) + "\n";
    record += "startupFlags=" + std::to_string(startup.dwFlags) + "\n";
    record += "showWindow=" + std::to_string(startup.wShowWindow) + "\n";
    record += "processId=" + std::to_string(GetCurrentProcessId()) + "\n";
    for (const std::string& name : Split(Environment("VIEWER_ECHO"), ',')) {
        if (!name.empty()) {
            record += "env:" + name + "=" + Environment(name.c_str()) + "\n";
        }
    }

    const std::string partial = path + ".partial";
    if (FILE* file = std::fopen(partial.c_str(), "wb")) {
        std::fwrite(record.data(), 1, record.size(), file);
        std::fclose(file);
        MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
}

void HandleMessagesFor(DWORD milliseconds) {
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) {
            return;
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
    }
}

HWND CreateScriptedWindow(const std::string& className, const std::string& title, bool show) {
    if (className != "#32770") {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = className.c_str();
        RegisterClassA(&windowClass); // fails harmlessly when already registered
    }
    const HWND window = CreateWindowExA(0, className.c_str(), title.c_str(), WS_OVERLAPPEDWINDOW,
                                        CW_USEDEFAULT, CW_USEDEFAULT, 320, 200, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    if (window != nullptr && show) {
        ShowWindow(window, SW_SHOW);
    }
    return window;
}

int RunScript(const std::string& script) {
    std::vector<HWND> windows;
    for (const std::string& step : Split(script, ';')) {
        const std::vector<std::string> part = Split(step, ':');
        const std::string& verb = part[0];
        if ((verb == "window" || verb == "hidden") && part.size() >= 3) {
            windows.push_back(CreateScriptedWindow(part[1], part[2], verb == "window"));
        } else if (verb == "sleep" && part.size() >= 2) {
            HandleMessagesFor(static_cast<DWORD>(std::atoi(part[1].c_str())));
        } else if (verb == "close" && !windows.empty()) {
            DestroyWindow(windows.back());
            windows.pop_back();
        } else if (verb == "exit") {
            return part.size() >= 2 ? std::atoi(part[1].c_str()) : 0;
        } else if (verb == "forever") {
            HandleMessagesFor(120000);
        }
    }
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    WriteRecord();
    return RunScript(Environment("VIEWER_SCRIPT"));
}
