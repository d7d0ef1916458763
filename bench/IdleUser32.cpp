// The do-nothing program with what the launcher adds once its child is started: user32 bound by
// hand and asked for the desktop window, as the launcher's first look for the child's window does.
// Against idle.exe, it shows what binding user32 costs a process.
#include <windows.h>

extern "C" [[noreturn]] void WINAPI IdleUser32Start() {
    if (const HMODULE user32 = LoadLibraryA("user32.dll")) {
        if (const FARPROC desktopWindow = GetProcAddress(user32, "GetDesktopWindow")) {
            reinterpret_cast<HWND(WINAPI*)()>(reinterpret_cast<void (*)()>(desktopWindow))();
        }
    }
    ExitProcess(0);
}
