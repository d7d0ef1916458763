// Simulated machine: the reset of every part, the last error code, and the kernel handles that
// files, processes and threads share.
#include "platform/host/Machine.h"

#include <cstdint>
#include <map>

namespace {

DWORD lastError = 0;
std::map<HANDLE, sim::detail::HandleEntry> openHandles;
int badCloses = 0;
// Never reset: a handle kept from before a reset must not name a new object afterwards.
std::uintptr_t nextHandleValue = 0x1000;

} // namespace

namespace sim {

DWORD LastError() {
    return lastError;
}
int OpenHandles() {
    return static_cast<int>(openHandles.size());
}
int BadCloses() {
    return badCloses;
}

namespace detail {

void SetLastError(DWORD error) {
    lastError = error;
}

HANDLE NewHandle(const HandleEntry& entry) {
    HANDLE handle = reinterpret_cast<HANDLE>(nextHandleValue);
    nextHandleValue += 4; // kernel handles are multiples of four, as on Windows
    openHandles[handle] = entry;
    return handle;
}

const HandleEntry* FindHandle(HANDLE handle) {
    const auto found = openHandles.find(handle);
    return found == openHandles.end() ? nullptr : &found->second;
}

void ResetHandles() {
    openHandles.clear();
    badCloses = 0;
}

void ResetMachine() {
    lastError = 0;
    ResetHandles();
    ResetFiles();
    ResetStartUp();
    ResetRegistry();
    ResetEnvironment();
    ResetProcesses();
    ResetWindows();
}

} // namespace detail
} // namespace sim

BOOL WINAPI CloseHandle(HANDLE handle) {
    if (sim::detail::EnterCall(sim::Op::CloseHandle)) {
        sim::detail::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE; // the handle stays open
    }
    if (openHandles.erase(handle) == 0) {
        ++badCloses;
        sim::detail::SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}
