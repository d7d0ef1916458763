// Expanding %NAME% references from the process environment.
#pragma once

#include "text/String.h"

// For each variable of the environment, in the environment's own order, replaces the first
// %NAME% of it in the text (name matched without regard to case) by its value as stored. Later
// references to the same variable, and references to names the environment does not hold (such as
// the placeholders %1 and %*), stay. Without an environment the text stays as it is.
void ExpandEnvironmentReferences(String& text);
