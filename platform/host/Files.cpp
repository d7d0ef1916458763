// Simulated machine: files and folders, the Windows and System folders, and the path rules by
// which Windows names them.
#include "platform/host/Machine.h"

#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace {

using sim::detail::PathKind;

constexpr DWORD kBackupSemantics = 0x02000000u; // FILE_FLAG_BACKUP_SEMANTICS: opens folders

const char* const kDefaultCurrentFolder = "C:\\Work\\";

std::map<std::string, PathKind> entries; // by the path's key (see PathKey)
std::string currentFolder = kDefaultCurrentFolder;
std::optional<std::string> windowsFolder;
std::optional<std::string> systemFolder;
std::vector<std::string> createFileNames;
constexpr std::size_t kCreateFileNamesKept = 100000;

bool IsLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
char Upper(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
bool StartsWithDrive(const std::string& path) {
    return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}
bool IsUnc(const std::string& path) {
    return path.size() >= 2 && path[0] == '\\' && path[1] == '\\';
}

// The length of the root of an absolute path: "X:" or "\\server\share".
std::size_t RootLength(const std::string& path) {
    if (!IsUnc(path)) {
        return 2;
    }
    const std::size_t serverEnd = path.find('\\', 2);
    if (serverEnd == std::string::npos) {
        return path.size();
    }
    const std::size_t shareEnd = path.find('\\', serverEnd + 1);
    return shareEnd == std::string::npos ? path.size() : shareEnd;
}

// A relative path read against the current folder, as Windows does.
std::string Absolute(const std::string& path) {
    if (IsUnc(path) || (StartsWithDrive(path) && path.size() >= 3 && path[2] == '\\')) {
        return path;
    }
    if (StartsWithDrive(path)) { // "X:name": relative to the current folder of that drive
        if (Upper(path[0]) == Upper(currentFolder[0])) {
            return currentFolder + path.substr(2);
        }
        return path.substr(0, 2) + "\\" + path.substr(2);
    }
    if (!path.empty() && path[0] == '\\') { // the root of the current drive
        return currentFolder.substr(0, RootLength(currentFolder)) + path;
    }
    return currentFolder + path;
}

struct FullPath {
    std::string key;                // upper-cased, components joined by single backslashes
    bool valid = false;             // no character that Windows refuses in a name
    bool endsWithSeparator = false; // names a folder only
};

FullPath Normalise(std::string path) {
    FullPath result;
    if (path.empty()) {
        return result;
    }
    for (char& c : path) {
        if (c == '/') {
            c = '\\';
        }
    }
    path = Absolute(path);
    const std::size_t rootLength = RootLength(path);
    const std::string rest = path.substr(rootLength);

    result.valid = true;
    for (unsigned char c : rest) {
        if (c < 32 || std::strchr("<>:\"|?*", c) != nullptr) {
            result.valid = false;
        }
    }

    std::vector<std::string> components;
    std::string component;
    for (std::size_t i = 0; i <= rest.size(); ++i) {
        if (i < rest.size() && rest[i] != '\\') {
            component += rest[i];
            continue;
        }
        if (component == "..") {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!component.empty() && component != ".") {
            components.push_back(component);
        }
        component.clear();
    }
    result.endsWithSeparator = !rest.empty() && rest.back() == '\\';
    if (!components.empty() && !result.endsWithSeparator) {
        std::string& last = components.back();
        while (!last.empty() && (last.back() == ' ' || last.back() == '.')) {
            last.pop_back();
        }
        if (last.empty()) {
            components.pop_back();
            result.endsWithSeparator = true;
        }
    }

    std::string joined = path.substr(0, rootLength);
    for (const std::string& name : components) {
        joined += "\\" + name;
    }
    if (components.empty()) {
        joined += "\\";
    }
    for (char& c : joined) {
        c = Upper(c);
    }
    result.key = joined;
    return result;
}

void Add(const std::string& path, PathKind kind) {
    entries[Normalise(path).key] = kind;
}

UINT CopyFolder(const std::optional<std::string>& folder, LPSTR buffer, UINT size) {
    if (!folder) {
        sim::detail::SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    const UINT length = static_cast<UINT>(folder->size());
    if (length + 1 > size) {
        return length + 1; // the size needed; the buffer stays untouched
    }
    std::memcpy(buffer, folder->c_str(), length + 1);
    return length;
}

} // namespace

namespace sim {

void AddFile(const std::string& path) {
    Add(path, PathKind::File);
}
void AddFolder(const std::string& path) {
    Add(path, PathKind::Folder);
}
void AddLockedFile(const std::string& path) {
    Add(path, PathKind::LockedFile);
}
void AddProgram(const std::string& path) {
    Add(path, PathKind::Program);
}

const std::vector<std::string>& CreateFileNames() {
    return createFileNames;
}

void SetCurrentDirectory(const std::string& path) {
    currentFolder = path;
    if (currentFolder.empty() || currentFolder.back() != '\\') {
        currentFolder += '\\';
    }
}

void SetWindowsFolder(const std::optional<std::string>& path) {
    windowsFolder = path;
}
void SetSystemFolder(const std::optional<std::string>& path) {
    systemFolder = path;
}

namespace detail {

PathKind LookUpPath(const std::string& path) {
    if (path.empty()) {
        return PathKind::Missing;
    }
    const FullPath full = Normalise(path);
    if (!full.valid) {
        return PathKind::InvalidName;
    }
    const auto found = entries.find(full.key);
    if (found == entries.end()) {
        return PathKind::Missing;
    }
    if (full.endsWithSeparator && found->second != PathKind::Folder) {
        return PathKind::InvalidName; // "a.txt\" names no file
    }
    return found->second;
}

void ResetFiles() {
    entries.clear();
    createFileNames.clear();
    currentFolder = kDefaultCurrentFolder;
    windowsFolder = "C:\\Windows";
    systemFolder = "C:\\Windows\\system32";
}

} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;
using sim::detail::SetLastError;

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD disposition, DWORD flags, HANDLE) {
    if (fileName != nullptr && createFileNames.size() < kCreateFileNamesKept) {
        createFileNames.push_back(fileName);
    }
    if (EnterCall(Op::CreateFileA)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    if (fileName == nullptr || disposition != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER); // nothing on this machine is created or replaced
        return INVALID_HANDLE_VALUE;
    }
    switch (sim::detail::LookUpPath(fileName)) {
    case PathKind::Missing:
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    case PathKind::InvalidName:
        SetLastError(sim::detail::kErrorInvalidName);
        return INVALID_HANDLE_VALUE;
    case PathKind::LockedFile:
        SetLastError(ERROR_SHARING_VIOLATION);
        return INVALID_HANDLE_VALUE;
    case PathKind::Folder:
        if ((flags & kBackupSemantics) == 0) {
            SetLastError(ERROR_ACCESS_DENIED);
            return INVALID_HANDLE_VALUE;
        }
        break;
    case PathKind::File:
    case PathKind::Program:
        break;
    }
    return sim::detail::NewHandle({sim::detail::HandleKind::File, 0, access});
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    if (EnterCall(Op::GetWindowsDirectoryA)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return CopyFolder(windowsFolder, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    if (EnterCall(Op::GetSystemDirectoryA)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    return CopyFolder(systemFolder, buffer, size);
}
