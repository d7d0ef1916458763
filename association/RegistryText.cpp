#include "association/RegistryText.h"

String ReadRegistryText(HKEY root, String subKeyPath, String valueName) {
    String text;
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return text; // no key was opened, so none is closed
    }
    // One byte beyond the limit, so that data without a NUL of its own can still be ended.
    char data[kRegistryDataLimit + 1];
    DWORD size = kRegistryDataLimit;
    DWORD type = REG_NONE;
    const char* name = valueName.IsEmpty() ? nullptr : valueName.Text();
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data), &size) ==
            ERROR_SUCCESS &&
        size <= kRegistryDataLimit) {
        data[size] = '\0'; // only what the call returned is read
        text.Assign(data);
    }
    RegCloseKey(key);
    return text;
}
