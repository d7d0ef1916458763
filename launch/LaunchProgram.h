// Starting the program and waiting, a bounded number of polls, for its main window or its end.
#pragma once

#include "platform/Platform.h"
#include "text/String.h"

// Most polls of the wait for the child's main window.
constexpr int kPollLimit = 30000;

// Starts "program" followed by the trimmed arguments (tabs made spaces) in the launcher's folder,
// shown normally, then polls until the child has a titled top-level window that is not a dialog
// box, or ends, or kPollLimit polls have passed. Returns the accepted window; null when none was
// accepted or the program could not be started. Every handle it opens is closed before it returns.
HWND LaunchProgram(String program, String arguments);

// The first top-level window, top of the Z order first, that belongs to the process and has a
// title. Input-method windows that Windows gives every GUI thread are not taken as the process's
// own. Null when there is none.
HWND FindTitledWindow(DWORD processId);

// The window's title, at most 511 bytes; empty when it has none or cannot be read.
String GetWindowTitle(HWND window);
