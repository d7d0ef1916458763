#include "text/LauncherFolder.h"

#include "platform/Platform.h"

String FolderOf(String path) {
    // Dropping the last byte goes through the copy rule, so a double-byte character whose trail
    // byte is not a backslash leaves whole.
    while (!path.IsEmpty() && path.Right(1).Compare("\\") != 0) {
        path = path.Left(path.Length() - 1);
    }
    return path;
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
