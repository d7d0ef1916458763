// Finding the program file at the start of a registered command.
#pragma once

#include "text/String.h"

// The longest beginning of the cleaned command (CleanCommandText) that names an existing file,
// tried as written (absolute, or relative to the current folder), then under the System folder,
// then under the Windows folder, before it is shortened by one character. The result is the
// tested path exactly as it opened, so on Windows it may end in the blank or period that followed
// the program's name. Empty when no beginning names a file, or the command is empty; the command
// itself is not changed.
String FindProgramFile(String commandTemplate);
