#include "command/EnvironmentReferences.h"

#include "platform/Platform.h"
#include "text/PathHelpers.h"

void ExpandEnvironmentReferences(String& text) {
    const LPCH block = GetEnvironmentStrings();
    if (block == nullptr) {
        return;
    }
    // Entries are "NAME=value", each ended by a NUL; an empty entry ends the block.
    for (const char* entry = block; *entry != '\0'; entry += lstrlenA(entry) + 1) {
        const String variable(entry);
        const int equals = variable.Find('=');
        // Entries without a name ("=C:=C:\Work", the current folder of a drive) are no variables.
        if (equals <= 0) {
            continue;
        }
        const String name = variable.Left(equals);
        const String value = variable.Right(variable.Length() - equals - 1);
        text = ReplaceFirstNoCase(text, "%" + name + "%", value);
    }
    FreeEnvironmentStringsA(block);
}
