// user32, bound on first use.
//
// Loading user32 is about half of what the launcher costs to start, and the launcher needs it only
// for the wait on the child's window, after the child was started. So launcher.exe does not import
// it: the first call to one of these functions loads it, while the child is starting, and each one
// then forwards to user32's own. Should user32 or one of its functions be missing, the call answers
// as when there is no window, and the wait lasts until the child ends.
#include "platform/Platform.h"

namespace {

// user32's function of that name, looked up on the first call that needs it and kept in slot;
// null when user32 or the function cannot be had. user32 is a known DLL, so this is always the
// system's own copy; it is loaded once and never released.
FARPROC Bound(FARPROC& slot, const char* name) {
    static bool loadTried;
    static HMODULE user32;
    if (!loadTried) {
        loadTried = true;
        user32 = LoadLibraryA("user32.dll");
    }
    if (slot == nullptr && user32 != nullptr) {
        slot = GetProcAddress(user32, name);
    }
    return slot;
}

// The entry as a pointer to the function it is, through the one function pointer type that
// stands for any other.
template <typename Function> Function* As(FARPROC entry) {
    return reinterpret_cast<Function*>(reinterpret_cast<void (*)()>(entry));
}

} // namespace

HWND WINAPI GetDesktopWindow() {
    static FARPROC entry;
    const auto call = As<decltype(GetDesktopWindow)>(Bound(entry, "GetDesktopWindow"));
    return call == nullptr ? nullptr : call();
}

HWND WINAPI GetWindow(HWND window, UINT command) {
    static FARPROC entry;
    const auto call = As<decltype(GetWindow)>(Bound(entry, "GetWindow"));
    return call == nullptr ? nullptr : call(window, command);
}

DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId) {
    static FARPROC entry;
    const auto call =
        As<decltype(GetWindowThreadProcessId)>(Bound(entry, "GetWindowThreadProcessId"));
    return call == nullptr ? 0 : call(window, processId);
}

int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount) {
    static FARPROC entry;
    const auto call = As<decltype(GetWindowTextA)>(Bound(entry, "GetWindowTextA"));
    return call == nullptr ? 0 : call(window, text, maxCount);
}

int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount) {
    static FARPROC entry;
    const auto call = As<decltype(GetClassNameA)>(Bound(entry, "GetClassNameA"));
    return call == nullptr ? 0 : call(window, className, maxCount);
}
