// Turning a registered command into text whose beginning names the program file.
#pragma once

#include "text/String.h"

// Cleans the command in place: every double quote is removed, the %NAME% references of the
// environment are expanded (ExpandEnvironmentReferences), and a command whose first eight bytes
// are "rundll32" or "explorer" in any case has them replaced by the program's file name in lower
// case ("rundll32.exe", "explorer.exe"), even when ".exe" already follows.
void CleanCommandText(String& text);
