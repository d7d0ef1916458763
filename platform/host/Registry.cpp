// Simulated machine: the registry below the three predefined roots, read-only for the program.
#include "platform/host/Machine.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

struct Value {
    DWORD type = REG_NONE;
    std::string data; // raw bytes, as stored
};

struct Key {
    std::map<std::string, Value> values; // by upper-cased name; "" is the default value
    bool denied = false;
};

// Keys by their full name: the root's short name, then the upper-cased levels below it.
std::map<std::string, Key> keys;
std::map<HKEY, std::string> openKeys;
std::map<HKEY, std::string> openedAs; // the subkey path each open key was opened with
std::vector<sim::RegistryCall> calls;
int badKeyCloses = 0;
// Never reset: a key handle kept from before a reset must not name a new key afterwards.
std::uintptr_t nextKeyValue = 0x10000;

std::string Upper(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        }
    }
    return text;
}

// The short name of a predefined root; empty for any other key.
std::string RootName(HKEY key) {
    if (key == HKEY_CLASSES_ROOT) {
        return "HKCR";
    }
    if (key == HKEY_CURRENT_USER) {
        return "HKCU";
    }
    if (key == HKEY_LOCAL_MACHINE) {
        return "HKLM";
    }
    return "";
}

// The full name of an open key or a root; empty when the handle names no key.
std::string NameOf(HKEY key) {
    const std::string root = RootName(key);
    if (!root.empty()) {
        return root;
    }
    const auto found = openKeys.find(key);
    return found == openKeys.end() ? "" : found->second;
}

std::string FullName(const std::string& parent, std::string subKey) {
    if (!subKey.empty() && subKey.back() == '\\') {
        subKey.pop_back(); // one trailing separator is accepted
    }
    return subKey.empty() ? parent : parent + "\\" + Upper(subKey);
}

// The key, created with every key above it when missing.
Key& MakeKey(HKEY root, const std::string& subKey) {
    const std::string name = FullName(RootName(root), subKey);
    for (std::size_t at = name.find('\\'); at != std::string::npos; at = name.find('\\', at + 1)) {
        keys[name.substr(0, at)];
    }
    return keys[name];
}

} // namespace

namespace sim {

void AddRegistryKey(HKEY root, const std::string& subKey) {
    MakeKey(root, subKey);
}

void SetRegistryValue(HKEY root, const std::string& subKey, const std::string& name, DWORD type,
                      const std::string& data) {
    MakeKey(root, subKey).values[Upper(name)] = {type, data};
}

void SetRegistryText(HKEY root, const std::string& subKey, const std::string& name,
                     const std::string& text) {
    SetRegistryValue(root, subKey, name, REG_SZ, std::string(text.c_str(), text.size() + 1));
}

void DenyRegistryKey(HKEY root, const std::string& subKey) {
    MakeKey(root, subKey).denied = true;
}

const std::vector<RegistryCall>& RegistryCalls() {
    return calls;
}

int OpenKeys() {
    return static_cast<int>(openKeys.size());
}
int BadKeyCloses() {
    return badKeyCloses;
}

namespace detail {

void ResetRegistry() {
    keys.clear();
    openKeys.clear();
    openedAs.clear();
    calls.clear();
    badKeyCloses = 0;
}

} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result) {
    sim::RegistryCall call;
    call.root = key;
    call.path = subKey == nullptr ? "" : subKey;
    call.access = access;
    calls.push_back(call);
    if (EnterCall(Op::RegOpenKeyExA)) {
        return ERROR_ACCESS_DENIED;
    }
    if (result == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    *result = nullptr;
    const std::string parent = NameOf(key);
    if (parent.empty()) {
        return ERROR_INVALID_HANDLE;
    }
    const std::string sub = subKey == nullptr ? "" : subKey;
    if (sub.empty() && !RootName(key).empty()) {
        *result = key; // a root is handed back itself, and needs no close
        return ERROR_SUCCESS;
    }
    if (!sub.empty() && sub[0] == '\\') {
        return static_cast<LONG>(sim::detail::kErrorBadPathname);
    }
    const std::string name = FullName(parent, sub);
    const auto found = keys.find(name);
    if (found == keys.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (found->second.denied) {
        return ERROR_ACCESS_DENIED;
    }
    HKEY opened = reinterpret_cast<HKEY>(nextKeyValue);
    nextKeyValue += 4;
    openKeys[opened] = name;
    openedAs[opened] = sub;
    *result = opened;
    return ERROR_SUCCESS;
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
    sim::RegistryCall call;
    call.kind = sim::RegistryCall::Query;
    const auto opened = openedAs.find(key);
    call.path = opened == openedAs.end() ? "" : opened->second;
    call.valueName = valueName == nullptr ? "" : valueName;
    call.nullName = valueName == nullptr;
    calls.push_back(call);
    if (EnterCall(Op::RegQueryValueExA)) {
        return ERROR_ACCESS_DENIED;
    }
    const std::string name = NameOf(key);
    if (name.empty()) {
        return ERROR_INVALID_HANDLE;
    }
    if (reserved != nullptr || (data != nullptr && dataSize == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    const auto foundKey = keys.find(name);
    if (foundKey == keys.end()) {
        return ERROR_FILE_NOT_FOUND; // a root without values
    }
    const auto found = foundKey->second.values.find(Upper(valueName == nullptr ? "" : valueName));
    if (found == foundKey->second.values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const Value& value = found->second;
    const DWORD size = static_cast<DWORD>(value.data.size());
    if (type != nullptr) {
        *type = value.type;
    }
    if (data != nullptr && *dataSize < size) {
        *dataSize = size; // the size needed; the buffer's contents are undefined, left as they were
        return ERROR_MORE_DATA;
    }
    if (data != nullptr) {
        std::memcpy(data, value.data.data(), size);
    }
    if (dataSize != nullptr) {
        *dataSize = size;
    }
    return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
    if (EnterCall(Op::RegCloseKey)) {
        return ERROR_ACCESS_DENIED; // the key stays open
    }
    if (!RootName(key).empty()) {
        return ERROR_SUCCESS;
    }
    openedAs.erase(key);
    if (openKeys.erase(key) == 0) {
        ++badKeyCloses;
        return ERROR_INVALID_HANDLE;
    }
    return ERROR_SUCCESS;
}
