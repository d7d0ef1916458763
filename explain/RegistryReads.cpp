#include "explain/RegistryReads.h"

#include "association/RegistryText.h"
#include "explain/ShownText.h"

namespace {

std::string RootName(HKEY root) {
    if (root == HKEY_CLASSES_ROOT) {
        return "HKEY_CLASSES_ROOT";
    }
    if (root == HKEY_CURRENT_USER) {
        return "HKEY_CURRENT_USER";
    }
    if (root == HKEY_LOCAL_MACHINE) {
        return "HKEY_LOCAL_MACHINE";
    }
    return "an open key";
}

std::string TypeName(DWORD type) {
    switch (type) {
    case REG_NONE:
        return "REG_NONE";
    case REG_SZ:
        return "REG_SZ";
    case REG_EXPAND_SZ:
        return "REG_EXPAND_SZ";
    case REG_BINARY:
        return "REG_BINARY";
    case REG_DWORD:
        return "REG_DWORD";
    case REG_MULTI_SZ:
        return "REG_MULTI_SZ";
    default:
        return "type " + std::to_string(type);
    }
}

bool TooLong(const RegistryRead& read) {
    return read.queryStatus == ERROR_MORE_DATA ||
           (read.queryStatus == ERROR_SUCCESS && read.size > kRegistryDataLimit);
}

std::string Outcome(const RegistryRead& read) {
    if (read.openStatus == ERROR_FILE_NOT_FOUND) {
        return "no such key";
    }
    if (read.openStatus != ERROR_SUCCESS) {
        return "the key cannot be opened, error " + std::to_string(read.openStatus);
    }
    if (!read.queried) {
        return "opened, no value read";
    }
    if (read.queryStatus == ERROR_FILE_NOT_FOUND) {
        return "no such value";
    }
    if (TooLong(read)) {
        return TypeName(read.type) + ", too long: " + std::to_string(read.size) +
               " bytes, more than the " + std::to_string(kRegistryDataLimit) + " read";
    }
    if (read.queryStatus != ERROR_SUCCESS) {
        return "the value cannot be read, error " + std::to_string(read.queryStatus);
    }
    const std::string text = TextOfRead(read);
    return TypeName(read.type) + (text.empty() ? ", empty" : " " + Shown(text));
}

} // namespace

std::string TextOfRead(const RegistryRead& read) {
    if (read.openStatus != ERROR_SUCCESS || !read.queried || read.queryStatus != ERROR_SUCCESS ||
        TooLong(read)) {
        return std::string();
    }
    return read.data.substr(0, read.data.find('\0'));
}

std::string DescribeRead(const RegistryRead& read) {
    const std::string key =
        read.keyPath.empty() ? RootName(read.root) : RootName(read.root) + "\\" + read.keyPath;
    if (!read.queried) {
        return key + ": " + Outcome(read);
    }
    const std::string value =
        read.valueName.empty() ? "default value" : "value " + Shown(read.valueName);
    return key + ", " + value + ": " + Outcome(read);
}
