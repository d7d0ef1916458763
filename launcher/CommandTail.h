// The command-line tail: what follows the program name on the launcher's command line.
#pragma once

// Points into commandLine just past the program name and the separators after it. A quoted name
// runs to the next quote (a double-byte character's trail byte is never taken for it); an unquoted
// one to the first byte of 32 or less, so bytes of 0x80 and above belong to the name.
const char* CommandLineTail(const char* commandLine);
