// Free functions for taking paths apart, replacing text regardless of case, testing for files and
// asking Windows for its folders. Each works on its own copies and returns a new value.
#pragma once

#include "text/String.h"

// The path without trailing white space and without one trailing backslash. Leading white space
// stays. The last byte is taken for a backslash even when it is a double-byte character's trail
// byte; the lead byte this leaves alone is then dropped too.
String StripTrailingBackslash(String path);

// The folder one level up, without a trailing backslash; empty above a drive ("C:") or for empty.
String ParentFolder(String folder);

// The bytes before / after the last occurrence of the single-byte character; empty when it does
// not occur. A double-byte character's trail byte is never taken for it.
String BeforeLast(String text, char character);
String AfterLast(String text, char character);

// The text with the first occurrence of the pattern, found without regard to case, replaced; the
// rest of the text keeps its case and the replacement is not searched again.
String ReplaceFirstNoCase(String text, String pattern, String replacement);

// True when the path names an existing file that can be opened for reading; false for folders,
// missing files, files held without read sharing and invalid paths.
bool FileExists(String path);

// The Windows and System folders as Windows gives them (no trailing backslash unless a drive
// root). Empty when the call fails or the path does not fit MAX_PATH.
String GetWindowsFolder();
String GetSystemFolder();
