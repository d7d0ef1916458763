#include "launch/WindowText.h"

#include "launch/LaunchProgram.h"

namespace {

constexpr int kTextBuffer = 512;

// The buffer's text after a call that reported count bytes copied; a failed or out-of-range
// count gives the empty text rather than a read past what the call wrote.
String TextOf(char (&buffer)[kTextBuffer], int count) {
    if (count < 0 || count >= kTextBuffer) {
        count = 0;
    }
    buffer[count] = '\0';
    return String(buffer);
}

} // namespace

String GetWindowTitle(HWND window) {
    char title[kTextBuffer];
    return TextOf(title, GetWindowTextA(window, title, kTextBuffer));
}

String GetWindowClass(HWND window) {
    char className[kTextBuffer];
    return TextOf(className, GetClassNameA(window, className, kTextBuffer));
}
