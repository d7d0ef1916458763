// Simulated machine: what the running program knows of itself (its module path and command line)
// and how it ends.
#include "platform/host/Machine.h"

#include <cstdlib>
#include <cstring>
#include <optional>

namespace {

const char* const kDefaultModulePath = "C:\\Apps\\launcher.exe";

std::optional<std::string> modulePath;
std::string commandLine;
char moduleToken; // the program's own module handle is this object's address

} // namespace

namespace sim {

void SetModulePath(const std::optional<std::string>& path) {
    modulePath = path;
}
void SetCommandLine(const std::string& text) {
    commandLine = text;
}

namespace detail {

void ResetStartUp() {
    modulePath = kDefaultModulePath;
    commandLine = std::string("\"") + kDefaultModulePath + "\"";
}

} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;
using sim::detail::SetLastError;

DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    if (EnterCall(Op::GetModuleFileNameA)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return 0;
    }
    if (module != nullptr && module != reinterpret_cast<HMODULE>(&moduleToken)) {
        SetLastError(sim::detail::kErrorModNotFound);
        return 0;
    }
    if (!modulePath) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (size == 0) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    const DWORD length = static_cast<DWORD>(modulePath->size());
    if (length + 1 > size) {
        // Truncated to what fits with its terminator; the result is the buffer's size.
        std::memcpy(fileName, modulePath->data(), size - 1);
        fileName[size - 1] = '\0';
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return size;
    }
    std::memcpy(fileName, modulePath->c_str(), length + 1);
    return length;
}

LPSTR WINAPI GetCommandLineA() {
    EnterCall(Op::GetCommandLineA); // cannot fail on Windows
    return commandLine.data();
}

HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName) {
    if (EnterCall(Op::GetModuleHandleA)) {
        SetLastError(sim::detail::kErrorModNotFound);
        return nullptr;
    }
    if (moduleName != nullptr) { // no other module is loaded on this machine
        SetLastError(sim::detail::kErrorModNotFound);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&moduleToken);
}

void WINAPI ExitProcess(UINT exitCode) {
    EnterCall(Op::ExitProcess);
    std::_Exit(static_cast<int>(exitCode));
}
