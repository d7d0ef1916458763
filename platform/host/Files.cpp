// Simulated machine: files and folders, the Windows and System folders, and the path rules by
// which Windows names them.
#include "platform/host/Machine.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <map>
#include <optional>
#include <vector>

namespace {

using sim::detail::NameCharacter;
using sim::detail::PathKind;
using Characters = std::vector<NameCharacter>;

constexpr DWORD kBackupSemantics = 0x02000000u; // FILE_FLAG_BACKUP_SEMANTICS: opens folders

const char* const kDefaultCurrentFolder = "C:\\Work\\";
// A fresh machine's folders: the launcher's own, the current one, and the System folder inside
// the Windows folder (the folders above them exist with them).
const char* const kDefaultFolders[] = {"C:\\Apps", "C:\\Work", "C:\\Windows\\system32"};

std::map<std::string, PathKind> entries; // by the path's key (see Key)
std::string currentFolder = kDefaultCurrentFolder;
std::optional<std::string> windowsFolder;
std::optional<std::string> systemFolder;
std::vector<std::string> createFileNames;
constexpr std::size_t kCreateFileNamesKept = 100000;

const NameCharacter kSeparator{"\\", "\\"};

bool Is(const NameCharacter& character, char byte) {
    return character.bytes.size() == 1 && character.bytes[0] == byte;
}
// "/" separates as "\" does; a trail byte 0x5C is part of its character, never a separator.
bool IsSeparator(const NameCharacter& character) {
    return Is(character, '\\') || Is(character, '/');
}
char DriveLetter(const NameCharacter& character) {
    const char c = character.bytes.size() == 1 ? character.bytes[0] : '\0';
    if (c >= 'a' && c <= 'z') {
        return static_cast<char>(c - 'a' + 'A');
    }
    return c >= 'A' && c <= 'Z' ? c : '\0';
}
bool StartsWithDrive(const Characters& path) {
    return path.size() >= 2 && DriveLetter(path[0]) != '\0' && Is(path[1], ':');
}
bool IsUnc(const Characters& path) {
    return path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

// The length of the root of an absolute path: "X:" or "\\server\share".
std::size_t RootLength(const Characters& path) {
    if (!IsUnc(path)) {
        return std::min<std::size_t>(2, path.size());
    }
    int separators = 0;
    for (std::size_t at = 2; at < path.size(); ++at) {
        if (IsSeparator(path[at]) && ++separators == 2) {
            return at;
        }
    }
    return path.size();
}

Characters Slice(const Characters& path, std::size_t from, std::size_t to) {
    return Characters(path.begin() + static_cast<std::ptrdiff_t>(from),
                      path.begin() + static_cast<std::ptrdiff_t>(to));
}
Characters Joined(Characters first, const Characters& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

// A relative path read against the current folder, as Windows does.
Characters Absolute(const Characters& path) {
    if (IsUnc(path) || (StartsWithDrive(path) && path.size() >= 3 && IsSeparator(path[2]))) {
        return path;
    }
    Characters current = sim::detail::ReadName(currentFolder);
    if (current.empty() || !IsSeparator(current.back())) {
        current.push_back(kSeparator);
    }
    if (StartsWithDrive(path)) { // "X:name": relative to the current folder of that drive
        const Characters rest = Slice(path, 2, path.size());
        if (DriveLetter(path[0]) == DriveLetter(current[0])) {
            return Joined(current, rest);
        }
        Characters root = Slice(path, 0, 2);
        root.push_back(kSeparator);
        return Joined(root, rest);
    }
    if (!path.empty() && IsSeparator(path[0])) { // the root of the current drive
        return Joined(Slice(current, 0, RootLength(current)), path);
    }
    return Joined(current, path);
}

struct FullPath {
    std::string root;               // upper-cased: "C:" or "\\SERVER\SHARE"
    bool driveRoot = false;         // the root is a drive's, not a share's
    std::vector<std::string> names; // the components' forms, in order
    bool valid = false;             // no character that Windows refuses in a name
    bool endsWithSeparator = false; // names a folder only
};

bool IsRefused(const NameCharacter& character) {
    const auto c = static_cast<unsigned char>(character.form[0]);
    return character.form.size() == 1 && (c < 32 || std::strchr("<>:\"|?*", c) != nullptr);
}
bool IsDots(const Characters& component, std::size_t count) {
    if (component.size() != count) {
        return false;
    }
    for (const NameCharacter& character : component) {
        if (!Is(character, '.')) {
            return false;
        }
    }
    return true;
}

// The path as Windows reads it: made absolute, "." and ".." components resolved, doubled
// separators counted once, one period dropped from the end of each folder's name, and the last
// component's trailing blanks and periods dropped.
FullPath Normalise(const std::string& text) {
    FullPath result;
    if (text.empty()) {
        return result;
    }
    const Characters path = Absolute(sim::detail::ReadName(text));
    const std::size_t rootLength = RootLength(path);
    result.driveRoot = !IsUnc(path);
    for (const NameCharacter& character : Slice(path, 0, rootLength)) {
        result.root += IsSeparator(character) ? std::string("\\") : character.form;
    }
    const Characters rest = Slice(path, rootLength, path.size());

    result.valid = true;
    for (const NameCharacter& character : rest) {
        if (IsRefused(character)) {
            result.valid = false;
        }
    }

    std::vector<Characters> components;
    Characters component;
    for (std::size_t at = 0; at <= rest.size(); ++at) {
        if (at < rest.size() && !IsSeparator(rest[at])) {
            component.push_back(rest[at]);
            continue;
        }
        if (IsDots(component, 2)) {
            if (!components.empty()) {
                components.pop_back();
            }
        } else if (!component.empty() && !IsDots(component, 1)) {
            if (at < rest.size() && Is(component.back(), '.')) {
                component.pop_back();
            }
            components.push_back(component);
        }
        component.clear();
    }
    result.endsWithSeparator = !rest.empty() && IsSeparator(rest.back());
    if (!components.empty() && !result.endsWithSeparator) {
        Characters& last = components.back();
        while (!last.empty() && (Is(last.back(), ' ') || Is(last.back(), '.'))) {
            last.pop_back();
        }
        if (last.empty()) {
            components.pop_back();
            result.endsWithSeparator = true;
        }
    }

    for (const Characters& name : components) {
        std::string form;
        for (const NameCharacter& character : name) {
            form += character.form;
        }
        result.names.push_back(form);
    }
    return result;
}

// The key of the folder or file that the path's first count components name: the root, then
// those names, "\" between them.
std::string Key(const FullPath& path, std::size_t count) {
    std::string key = path.root + "\\";
    for (std::size_t at = 0; at < count; ++at) {
        key += (at > 0 ? "\\" : "") + path.names[at];
    }
    return key;
}

// Adds the entry and every folder above it that is not there yet.
void Add(const std::string& path, PathKind kind) {
    const FullPath full = Normalise(path);
    for (std::size_t count = 0; count < full.names.size(); ++count) {
        entries.emplace(Key(full, count), PathKind::Folder);
    }
    entries[Key(full, full.names.size())] = kind;
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
    currentFolder = path; // read with the path that is relative to it, in that call's code page
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
    const std::size_t count = full.names.size();
    const auto found = entries.find(Key(full, count));
    if (found != entries.end()) {
        if (full.endsWithSeparator && found->second != PathKind::Folder) {
            return PathKind::InvalidName; // "a.txt\" names no file
        }
        return found->second;
    }
    if (count == 0) {
        return PathKind::MissingFolder; // a drive or share that holds nothing
    }
    // Directly in a drive's root a name is only missing, even on a drive that holds nothing.
    const auto parent = entries.find(Key(full, count - 1));
    if ((parent != entries.end() && parent->second == PathKind::Folder) ||
        (count == 1 && full.driveRoot)) {
        return PathKind::Missing;
    }
    return PathKind::MissingFolder;
}

void ResetFiles() {
    entries.clear();
    for (const char* folder : kDefaultFolders) {
        Add(folder, PathKind::Folder);
    }
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
    case PathKind::MissingFolder:
        SetLastError(sim::detail::kErrorPathNotFound);
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
