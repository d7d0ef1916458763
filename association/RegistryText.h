// One registry value read as text, with the key opened and closed within the call.
#pragma once

#include "platform/Platform.h"
#include "text/String.h"

// Longest value data read, its terminating NUL included; longer data counts as absent.
constexpr DWORD kRegistryDataLimit = 4096;

// The value of the key below the root as text, up to its first NUL byte or, for data stored
// without one (binary or number data, text without its terminator), up to the data's end. The
// value's type is not looked at. An empty name reads the key's default value. Empty when the key
// cannot be opened for reading, the value does not exist or its data is longer than
// kRegistryDataLimit bytes; the registry is never written.
String ReadRegistryText(HKEY root, String subKeyPath, String valueName);
