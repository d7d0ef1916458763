#include "text/LauncherFolder.h"

#include "platform/Platform.h"
#include "text/CharacterRules.h"

String FolderOf(String path) {
    // Dropping bytes from the end until the last one is a backslash keeps exactly the bytes up to
    // the last 0x5C, trail byte or not: the bytes dropped on the way are never 0x5C, and the copy
    // rule never leaves a lone lead byte in front of one. A code page in which 0x5C leads a
    // character has no one-byte backslash at all.
    if (text::IsLeadByte('\\')) {
        return String();
    }
    int last = -1;
    for (const char* at = path.Text(); *at != '\0'; ++at) {
        if (*at == '\\') {
            last = static_cast<int>(at - path.Text());
        }
    }
    return path.Left(last + 1);
}

String GetLauncherFolder() {
    char modulePath[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, modulePath, MAX_PATH);
    // 0 is a failure; MAX_PATH means the path was cut short (and, on older systems, not
    // terminated): neither names the real folder.
    if (length == 0 || length >= MAX_PATH) {
        return String();
    }
    return FolderOf(modulePath);
}
