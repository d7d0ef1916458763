#include "command/ProgramFile.h"

#include "command/CommandText.h"
#include "text/PathHelpers.h"

namespace {

// The text below the folder, when that names a file; empty otherwise. A folder that Windows did
// not give is no place to look: joined as it is, the text would name the current drive's root.
String FindBelow(const String& folder, const String& text) {
    if (folder.IsEmpty()) {
        return String();
    }
    const String path = folder + "\\" + text;
    return FileExists(path) ? path : String();
}

} // namespace

String FindProgramFile(String commandTemplate) {
    const String systemFolder = GetSystemFolder();
    const String windowsFolder = GetWindowsFolder();
    String text = commandTemplate;
    CleanCommandText(text);

    // A program path may hold blanks and needs no quotes: the file system, not a parser, tells
    // where the program's name ends.
    while (!text.IsEmpty()) {
        if (FileExists(text)) {
            return text;
        }
        String found = FindBelow(systemFolder, text);
        if (found.IsEmpty()) {
            found = FindBelow(windowsFolder, text);
        }
        if (!found.IsEmpty()) {
            return found;
        }
        // A double-byte character goes whole: Left never keeps a lone lead byte.
        text = text.Left(text.Length() - 1);
    }
    return String();
}
