#include "tests/e2e/ClassesKeys.h"

#include <cstdio>
#include <cstring>

namespace rig {

namespace {

bool VisibleThroughClassesRoot(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

ClassesBranch ProbeWritableClasses() {
    const ClassesBranch perUser{HKEY_CURRENT_USER, "Software\\Classes\\",
                                "HKEY_CURRENT_USER\\Software\\Classes"};
    const std::string probe = UniqueClassesName("LauncherE2EProbe");
    HKEY key = nullptr;
    if (RegCreateKeyExA(perUser.root, (perUser.prefix + probe).c_str(), 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) == ERROR_SUCCESS) {
        RegCloseKey(key);
        const bool merged = VisibleThroughClassesRoot(probe);
        RegDeleteKeyA(perUser.root, (perUser.prefix + probe).c_str());
        if (merged) {
            return perUser;
        }
    }
    return {HKEY_CLASSES_ROOT, "", "HKEY_CLASSES_ROOT"};
}

std::string TopLevel(const std::string& path) {
    return path.substr(0, path.find('\\'));
}

} // namespace

const ClassesBranch& WritableClasses() {
    static const ClassesBranch branch = [] {
        const ClassesBranch probed = ProbeWritableClasses();
        std::printf("Test associations are written below %s\n", probed.name.c_str());
        std::fflush(stdout);
        return probed;
    }();
    return branch;
}

std::string UniqueClassesName(const std::string& stem) {
    static int serial = 0;
    return stem + std::to_string(GetCurrentProcessId()) + "x" + std::to_string(++serial);
}

std::string ReadClassesText(const std::string& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return "";
    }
    char data[4096];
    DWORD size = sizeof data;
    const LONG status =
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? std::string(data, strnlen(data, size)) : "";
}

ClassesKeys::~ClassesKeys() {
    const ClassesBranch& branch = WritableClasses();
    for (const std::string& top : made_) {
        RegDeleteTreeA(branch.root, (branch.prefix + top).c_str());
    }
}

// Every key is volatile, so that a run that dies before its guards go leaves nothing behind past
// the next start of the registry (Wine's server, or Windows itself).
HKEY ClassesKeys::OpenForWriting(const std::string& path) {
    const ClassesBranch& branch = WritableClasses();
    const std::string top = TopLevel(path);
    bool ours = false;
    for (const std::string& made : made_) {
        ours = ours || made == top;
    }
    HKEY key = nullptr;
    DWORD disposition = 0;
    if (!ours) {
        if (RegCreateKeyExA(branch.root, (branch.prefix + top).c_str(), 0, nullptr,
                            REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key,
                            &disposition) != ERROR_SUCCESS) {
            return nullptr;
        }
        RegCloseKey(key);
        if (disposition != REG_CREATED_NEW_KEY) {
            return nullptr;
        }
        made_.push_back(top);
    }
    if (RegCreateKeyExA(branch.root, (branch.prefix + path).c_str(), 0, nullptr,
                        REG_OPTION_VOLATILE, KEY_WRITE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

bool ClassesKeys::SetDefault(const std::string& path, const std::string& data, DWORD type) {
    const HKEY key = OpenForWriting(path);
    if (key == nullptr) {
        return false;
    }
    const LONG status =
        RegSetValueExA(key, nullptr, 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                       static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

bool ClassesKeys::Create(const std::string& path) {
    const HKEY key = OpenForWriting(path);
    if (key == nullptr) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

} // namespace rig
