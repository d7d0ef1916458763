#include "text/PathHelpers.h"

#include "platform/Platform.h"

namespace {

int FindLast(const String& text, char character) {
    int last = text.Find(character);
    for (int next = last; next >= 0; next = text.Find(character, next + 1)) {
        last = next;
    }
    return last;
}

// A folder query's answer; a failure (0) or a path too long for the buffer (the size needed,
// with the buffer left unwritten) gives the empty text.
String FolderFromQuery(UINT length, const char* buffer) {
    return (length == 0 || length >= MAX_PATH) ? String() : String(buffer);
}

} // namespace

String StripTrailingBackslash(String path) {
    path.TrimRight();
    const int length = path.Length();
    if (length > 0 && path.Text()[length - 1] == '\\') {
        path = path.Left(length - 1);
    }
    return path;
}

String ParentFolder(String folder) {
    // A trail byte 0x5C taken for the trailing backslash takes its lead byte with it, so the
    // search for the last backslash still ends at the real separator.
    return BeforeLast(StripTrailingBackslash(folder), '\\');
}

String BeforeLast(String text, char character) {
    const int last = FindLast(text, character);
    return last < 0 ? String() : text.Left(last);
}

String AfterLast(String text, char character) {
    const int last = FindLast(text, character);
    return last < 0 ? String() : text.Right(text.Length() - last - 1);
}

String ReplaceFirstNoCase(String text, String pattern, String replacement) {
    // Upper-casing keeps every byte in place, so an index found in the upper-cased copy is valid
    // in the text as given.
    String upperText = text;
    upperText.MakeUpper();
    pattern.MakeUpper();
    const int found = upperText.Find(pattern);
    if (found < 0) {
        return text;
    }
    return text.Left(found) + replacement + text.Right(text.Length() - found - pattern.Length());
}

bool FileExists(String path) {
    const HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    CloseHandle(file);
    return true;
}

String GetWindowsFolder() {
    char folder[MAX_PATH];
    return FolderFromQuery(GetWindowsDirectoryA(folder, MAX_PATH), folder);
}

String GetSystemFolder() {
    char folder[MAX_PATH];
    return FolderFromQuery(GetSystemDirectoryA(folder, MAX_PATH), folder);
}
