// What a launcher run could have written, taken before and after the run and compared: the files
// and folders of the test's trees (names, attributes, sizes, write times) and the registry below
// HKEY_CLASSES_ROOT and HKEY_CURRENT_USER (keys, every value's type and bytes). A key's write time
// is left out: it changes whenever any program makes or removes a key below it, and the test
// programs run side by side.
//
// Read through the wide calls, so that names outside the ANSI code page, and paths longer than
// MAX_PATH, are seen exactly. Plain Win32, as the rest of the rig.
//
// Header-only, since every test program built on the launcher fixture takes it in.
#pragma once

#include <windows.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace rig {

struct SnapshotScope {
    std::vector<std::string> trees;    // walked whole
    std::vector<std::string> folders;  // their own entries only
    std::vector<std::string> excluded; // files left out: those a test's own programs write
    // Also HKEY_CLASSES_ROOT's COM registrations (CLSID, Interface, TypeLib and the 32-bit view):
    // under Wine 6,700 of its 8,100 keys, and nearly all of the time a walk takes.
    bool comRegistrations = false;
};

// Entry ("file <path>", "key <path>", "value <key path> <name>") -> its state, as text.
using Snapshot = std::map<std::string, std::string>;

namespace snapshot_detail {

inline std::wstring Widen(const std::string& text) {
    const int length =
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(length, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

// UTF-8, so that an entry is named the same in every code page.
inline std::string Narrow(const std::wstring& wide) {
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(length, '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
    return text;
}

inline std::wstring Lower(std::wstring text) {
    if (!text.empty()) {
        CharLowerBuffW(text.data(), static_cast<DWORD>(text.size()));
    }
    return text;
}

inline std::string Time(const FILETIME& time) {
    return std::to_string((static_cast<unsigned long long>(time.dwHighDateTime) << 32) |
                          time.dwLowDateTime);
}

inline std::wstring WithoutTrailingBackslash(std::wstring path) {
    while (!path.empty() && path.back() == L'\\') {
        path.pop_back();
    }
    return path;
}

struct Walk {
    std::vector<std::wstring> excluded; // lower case, without a trailing backslash
    bool comRegistrations = false;
    Snapshot* entries = nullptr;
};

inline void WalkFolder(const std::wstring& folder, bool whole, const Walk& walk) {
    WIN32_FIND_DATAW entry;
    const HANDLE search = FindFirstFileExW((L"\\\\?\\" + folder + L"\\*").c_str(), FindExInfoBasic,
                                           &entry, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        const std::wstring name = entry.cFileName;
        if (name == L"." || name == L"..") {
            continue;
        }
        const std::wstring path = folder + L"\\" + name;
        bool excluded = false;
        for (const std::wstring& left : walk.excluded) {
            excluded = excluded || Lower(path) == left;
        }
        if (excluded) {
            continue;
        }
        const bool isFolder = (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        const unsigned long long size =
            (static_cast<unsigned long long>(entry.nFileSizeHigh) << 32) | entry.nFileSizeLow;
        (*walk.entries)["file " + Narrow(path)] =
            "attributes " + std::to_string(entry.dwFileAttributes) +
            (isFolder ? "" : ", " + std::to_string(size) + " bytes") + ", written " +
            Time(entry.ftLastWriteTime);
        // A link is listed, never followed: what it leads to lies outside the tree.
        if (whole && isFolder && (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
            WalkFolder(path, true, walk);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
}

// A key that another test program made with UniqueClassesName ("<stem><process id>x<serial>"),
// which comes and goes while this program's launcher runs. This program's own keys are made
// before a snapshot and stay.
inline bool IsOtherProgramsTestKey(const std::wstring& name) {
    std::wstring::size_type at = name.size();
    while (at > 0 && iswdigit(name[at - 1])) {
        --at;
    }
    if (at == name.size() || at == 0 || name[at - 1] != L'x') {
        return false;
    }
    const std::wstring::size_type serialStart = at--;
    while (at > 0 && iswdigit(name[at - 1])) {
        --at;
    }
    const std::wstring process = name.substr(at, serialStart - 1 - at);
    return at > 0 && !process.empty() && process.size() <= 10 &&
           std::stoull(process) != GetCurrentProcessId();
}

// Keys that the system itself rewrites as programs start and show windows, below
// HKEY_CURRENT_USER: the program compatibility assistant's list of programs that ran, the
// taskbar's counts of programs started and switched to, the shell's cache of program names.
inline bool IsSystemRecord(const std::wstring& lowerPath) {
    for (const wchar_t* record : {
             L"hkey_current_user\\software\\microsoft\\windows nt\\currentversion\\appcompatflags"
             L"\\compatibility assistant",
             L"hkey_current_user\\software\\microsoft\\windows\\currentversion\\explorer"
             L"\\featureusage",
             L"hkey_current_user\\software\\classes\\local settings\\software\\microsoft\\windows"
             L"\\shell\\muicache",
             L"hkey_classes_root\\local settings\\software\\microsoft\\windows\\shell\\muicache",
         }) {
        if (lowerPath == record) {
            return true;
        }
    }
    return false;
}

// Wine's own copy of the locale that a process starts in: every process that starts in another
// locale than the one before it writes it anew, and the tests run in several locales at once.
inline bool IsWineLocaleRecord(const std::wstring& lowerPath) {
    static const bool underWine =
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
    return underWine && (lowerPath == L"hkey_current_user\\control panel\\international" ||
                         lowerPath == L"hkey_current_user\\keyboard layout\\preload" ||
                         lowerPath == L"hkey_current_user\\software\\wine\\fonts");
}

// Where the test programs make and remove their keys.
inline bool KeepsTestKeys(const std::wstring& lowerPath) {
    return lowerPath == L"hkey_classes_root" ||
           lowerPath == L"hkey_current_user\\software\\classes";
}

inline std::string ValueText(DWORD type, const BYTE* data, DWORD size) {
    std::string text = "type " + std::to_string(type) + ", " + std::to_string(size) + " bytes: ";
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        for (DWORD at = 0; at + 1 < size; at += 2) {
            const unsigned character = data[at] | (data[at + 1] << 8);
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04X", character);
            text += character >= 0x20 && character < 0x7F && character != '\\'
                        ? std::string(1, static_cast<char>(character))
                        : std::string(escaped);
        }
        if (size % 2 != 0) {
            text += " and a byte";
        }
        return text;
    }
    for (DWORD at = 0; at < size; ++at) {
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", data[at]);
        text += hex;
    }
    return text;
}

// The names of the key's subkeys that a snapshot holds. Where test programs make and remove keys
// the listing is taken again until two agree, since a key made or removed meanwhile shifts the
// enumeration's indices and would hide another key.
inline std::vector<std::wstring> SubKeyNames(HKEY key, const std::wstring& path) {
    const auto list = [&] {
        std::vector<std::wstring> names;
        wchar_t name[256]; // the longest key name Windows allows, and its NUL
        for (DWORD index = 0;; ++index) {
            DWORD length = 256;
            if (RegEnumKeyExW(key, index, name, &length, nullptr, nullptr, nullptr, nullptr) !=
                ERROR_SUCCESS) {
                break;
            }
            const std::wstring child(name, length);
            const std::wstring lowerPath = Lower(path + L"\\" + child);
            if (!IsOtherProgramsTestKey(child) && !IsSystemRecord(lowerPath) &&
                !IsWineLocaleRecord(lowerPath)) {
                names.push_back(child);
            }
        }
        return names;
    };
    std::vector<std::wstring> names = list();
    for (int pass = 0; pass < 5 && KeepsTestKeys(Lower(path)); ++pass) {
        std::vector<std::wstring> again = list();
        if (again == names) {
            break;
        }
        names = again;
    }
    return names;
}

inline void WalkKey(HKEY key, const std::wstring& path, bool classesRoot, const Walk& walk) {
    DWORD values = 0;
    DWORD longestValueName = 0;
    DWORD largestValue = 0;
    const LONG status =
        RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                         &longestValueName, &largestValue, nullptr, nullptr);
    Snapshot& entries = *walk.entries;
    const std::string name = Narrow(path);
    if (status != ERROR_SUCCESS) {
        entries["key " + name] = "cannot be queried: " + std::to_string(status);
        return;
    }
    entries["key " + name] = "";

    std::vector<wchar_t> valueName(longestValueName + 2);
    std::vector<BYTE> data(largestValue + 2);
    for (DWORD index = 0; index < values; ++index) {
        DWORD nameLength = static_cast<DWORD>(valueName.size());
        DWORD size = static_cast<DWORD>(data.size());
        DWORD type = 0;
        const LONG read = RegEnumValueW(key, index, valueName.data(), &nameLength, nullptr, &type,
                                        data.data(), &size);
        if (read == ERROR_NO_MORE_ITEMS) {
            break;
        }
        const std::string entry =
            "value " + name + " \"" + Narrow(std::wstring(valueName.data(), nameLength)) + "\"";
        entries[read == ERROR_SUCCESS ? entry : entry + " #" + std::to_string(index)] =
            read == ERROR_SUCCESS ? ValueText(type, data.data(), size)
                                  : "cannot be read: " + std::to_string(read);
    }

    for (const std::wstring& child : SubKeyNames(key, path)) {
        const std::wstring childPath = path + L"\\" + child;
        const std::wstring lowerChild = Lower(child);
        const bool comRegistration = lowerChild == L"clsid" || lowerChild == L"interface" ||
                                     lowerChild == L"typelib" || lowerChild == L"wow6432node";
        if (classesRoot && comRegistration && !walk.comRegistrations) {
            continue;
        }
        HKEY opened = nullptr;
        const LONG open = RegOpenKeyExW(key, child.c_str(), 0, KEY_READ, &opened);
        if (open != ERROR_SUCCESS) {
            entries["key " + Narrow(childPath)] = "cannot be opened: " + std::to_string(open);
            continue;
        }
        WalkKey(opened, childPath, false, walk);
        RegCloseKey(opened);
    }
}

} // namespace snapshot_detail

inline Snapshot TakeSnapshot(const SnapshotScope& scope) {
    using namespace snapshot_detail;
    Snapshot entries;
    Walk walk;
    walk.comRegistrations = scope.comRegistrations;
    walk.entries = &entries;
    for (const std::string& path : scope.excluded) {
        walk.excluded.push_back(Lower(WithoutTrailingBackslash(Widen(path))));
    }
    for (const std::string& tree : scope.trees) {
        WalkFolder(WithoutTrailingBackslash(Widen(tree)), true, walk);
    }
    for (const std::string& folder : scope.folders) {
        WalkFolder(WithoutTrailingBackslash(Widen(folder)), false, walk);
    }
    WalkKey(HKEY_CLASSES_ROOT, L"HKEY_CLASSES_ROOT", true, walk);
    WalkKey(HKEY_CURRENT_USER, L"HKEY_CURRENT_USER", false, walk);
    return entries;
}

// One line per entry that came, went or changed.
inline std::vector<std::string> Differences(const Snapshot& before, const Snapshot& after) {
    const auto shortened = [](const std::string& text) {
        return text.size() > 160 ? text.substr(0, 160) + "..." : text;
    };
    std::vector<std::string> lines;
    for (const auto& [entry, state] : before) {
        const auto now = after.find(entry);
        if (now == after.end()) {
            lines.push_back("gone: " + entry);
        } else if (now->second != state) {
            lines.push_back("changed: " + entry + ": " + shortened(state) + " -> " +
                            shortened(now->second));
        }
    }
    for (const auto& [entry, state] : after) {
        if (before.count(entry) == 0) {
            lines.push_back("new: " + entry + ": " + shortened(state));
        }
    }
    return lines;
}

} // namespace rig
