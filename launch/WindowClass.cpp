#include "launch/WindowClass.h"

String GetWindowClass(HWND window) {
    char className[512];
    int count = GetClassNameA(window, className, sizeof className);
    if (count < 0 || count >= static_cast<int>(sizeof className)) {
        count = 0;
    }
    className[count] = '\0';
    return String(className);
}
