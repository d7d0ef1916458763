#include "launch/LaunchProgram.h"

#include "launch/WindowText.h"

namespace {

// Windows gives every GUI thread a hidden, titled "IME" window as soon as it creates its first
// window (text services may add an "MSCTFIME UI" one). They say nothing about the program's own
// windows, so a child showing a dialog box must not be taken as ready because of them.
bool IsInputMethodWindow(HWND window) {
    const String className = GetWindowClass(window);
    return className.Compare("IME") == 0 || className.Compare("MSCTFIME UI") == 0;
}

} // namespace

HWND FindTitledWindow(DWORD processId) {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && GetWindowTitle(window).Length() > 0 &&
            !IsInputMethodWindow(window)) {
            return window;
        }
    }
    return nullptr;
}
