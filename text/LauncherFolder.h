// The folder that holds the launcher's own executable: the base of relative document paths and the
// working folder of the started program.
#pragma once

#include "text/String.h"

// The path up to and including its last backslash; empty when it has none. "/" is an ordinary
// character.
String FolderOf(String path);

// The launcher executable's folder, with a trailing backslash. Empty when Windows cannot give the
// module path or the path does not fit MAX_PATH (a truncated path would name the wrong folder).
String GetLauncherFolder();
