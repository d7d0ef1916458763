#include "launcher/DocumentPath.h"

#include "text/LauncherFolder.h"
#include "text/PathHelpers.h"

namespace {

bool BeginsWith(const String& text, const char* prefix) {
    return text.Left(String(prefix).Length()).Compare(prefix) == 0;
}

bool IsNetworkPath(const String& path) {
    return BeginsWith(path, "\\\\");
}

// Where a leading "\" and surplus "..\" lead: the launcher's drive (its first three bytes, "E:\")
// or, for a launcher on a network share, the share itself ("\\server\share\").
String RootOf(const String& launcherFolder) {
    if (IsNetworkPath(launcherFolder)) {
        const int serverEnd = launcherFolder.Find('\\', 2);
        const int shareEnd = serverEnd < 0 ? -1 : launcherFolder.Find('\\', serverEnd + 1);
        if (shareEnd >= 0) {
            return launcherFolder.Left(shareEnd + 1);
        }
    }
    return launcherFolder.Left(3);
}

// One folder up, where climbing from the root itself gives the empty text. For a drive this is
// what ParentFolder does anyway ("E:" has no parent); a share must not be climbed into its server.
String FolderAbove(const String& folder, const String& root) {
    return StripTrailingBackslash(root).Compare(folder) == 0 ? String() : ParentFolder(folder);
}

// The value with its leading chain of "..\\" taken off, each of them climbing one folder up from
// the launcher's folder; surplus ones end above the root, with an empty folder. The chain is
// counted first and cut off once, so a long chain costs no more than a short one per byte.
String ClimbParentChain(const String& value, const String& baseFolder, const String& root,
                        String& folder) {
    const char* text = value.Text();
    int climbs = 0;
    while (text[3 * climbs] == '.' && text[3 * climbs + 1] == '.' && text[3 * climbs + 2] == '\\') {
        ++climbs;
    }
    folder = baseFolder;
    for (int climb = 0; climb < climbs && !folder.IsEmpty(); ++climb) {
        folder = FolderAbove(folder, root);
    }
    return value.Right(value.Length() - 3 * climbs);
}

// Without the launcher's folder only a path that names a file by itself can be opened: the
// relative forms would be read against whatever drive and folder are current, and could open a
// different file than the kit's.
ResolvedDocument ResolveWithoutLauncherFolder(const String& value) {
    const bool relativeForm = BeginsWith(value, ".\\") || BeginsWith(value, "..\\") ||
                              (BeginsWith(value, "\\") && !IsNetworkPath(value));
    const bool found = !relativeForm && FileExists(value) && !FolderOf(value).IsEmpty();
    return {found, value};
}

} // namespace

ResolvedDocument ResolveDocumentPath(String value) {
    const String launcherFolder = GetLauncherFolder();
    if (launcherFolder.IsEmpty()) {
        return ResolveWithoutLauncherFolder(value);
    }
    const String baseFolder = StripTrailingBackslash(launcherFolder);
    const String basePrefix = baseFolder + "\\";
    const String root = RootOf(launcherFolder);

    // Each rule works on what the rules before it left. A network path, given as such or reached
    // from a launcher on a share, keeps its two leading backslashes; two that only stand there
    // because the climb ended above the root are the root's backslash and the value's own.
    bool networkPath = IsNetworkPath(value);
    if (BeginsWith(value, ".\\")) {
        value = ReplaceFirstNoCase(value, ".\\", basePrefix);
        networkPath = IsNetworkPath(basePrefix);
    }
    if (BeginsWith(value, "..\\")) {
        String folder;
        const String rest = ClimbParentChain(value, baseFolder, root, folder);
        value = folder + "\\" + rest;
        networkPath = IsNetworkPath(folder);
    }
    if (BeginsWith(value, "\\") && !networkPath) {
        value = root + value.Right(value.Length() - 1);
    }
    // A bare name is always taken from the launcher's folder; a relative path with a folder part
    // from the current folder first.
    if (!FileExists(value) || FolderOf(value).IsEmpty()) {
        value = basePrefix + value;
        if (!FileExists(value)) {
            return {false, value};
        }
    }
    return {true, value};
}
