// The launcher's entry sequence and the process entry point that calls it.
#pragma once

#include "platform/Platform.h"

// Opens the document named by "/path" in the command-line tail and returns the exit code: 0 once a
// launch was attempted, -1 when the document cannot be found. Only the tail is read.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandTail, int show);

// The process entry point: sets up the character rules of the code page, computes the tail from
// the process command line, runs WinMain and ends the process with its result.
extern "C" [[noreturn]] void WINAPI LauncherStart();
