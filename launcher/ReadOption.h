// The launcher's option reader: "/path" and "/verb" values from the command-line tail.
#pragma once

#include "text/String.h"

// The value of the option name in text: from just after the first occurrence of the name (exact,
// case-sensitive) to the next "/" or the end, trimmed at both ends. Empty when the name does not
// occur.
String ReadOption(String text, String name);
