// Resolution of the "/path" value against the launcher's folder.
#pragma once

#include "text/String.h"

struct ResolvedDocument {
    bool found = false; // false: no existing file can be reached; the path is then of no use
    String path;
};

// Resolves a full path, a path with a leading ".\", a chain of leading "..\", a leading "\" (the
// root of the launcher's drive or network share) or a bare file name (always in the launcher's
// folder) to the path of an existing file.
ResolvedDocument ResolveDocumentPath(String value);
