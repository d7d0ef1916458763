// The texts of a window that the launch reads: its title and its class name.
#pragma once

#include "platform/Platform.h"
#include "text/String.h"

// The window's class name, at most 511 bytes; empty when it cannot be read.
String GetWindowClass(HWND window);
