// Compiled without LAUNCHER_RECORDED_CALLS: the names below reach the real operations (the
// system's on Windows, the simulated machine's on any other host).
#include "explain/RecordedCalls.h"

#include "explain/CallLog.h"

#if !defined(_WIN32)
#include "platform/host/Simulation.h"
#endif

#include <algorithm>
#include <cstring>

namespace {

CallLog callLog;
RecordingSettings recordingSettings;

int NextOrder() {
    return callLog.calls++;
}

DWORD LastErrorCode() {
#if defined(_WIN32)
    return GetLastError();
#else
    return sim::LastError();
#endif
}

std::string TextOf(const char* text) {
    return text == nullptr ? std::string() : std::string(text);
}

// The text a call left in a buffer of that size, when it reported count bytes.
std::string BufferText(const char* buffer, long long count, long long size) {
    if (count <= 0 || count >= size) {
        return std::string();
    }
    return std::string(buffer, static_cast<std::size_t>(count));
}

// What GetModuleFileNameA gives for a module path of the caller's choosing, truncation included.
DWORD GiveModulePath(const std::string& path, LPSTR fileName, DWORD size) {
    if (size == 0) {
        return 0;
    }
    const auto length = static_cast<DWORD>(path.size());
    if (length + 1 > size) {
        std::memcpy(fileName, path.data(), size - 1);
        fileName[size - 1] = '\0';
        return size;
    }
    std::memcpy(fileName, path.c_str(), length + 1);
    return length;
}

RegistryRead& ReadOfKey(HKEY key) {
    auto opened = std::find_if(callLog.registryReads.rbegin(), callLog.registryReads.rend(),
                               [key](const RegistryRead& read) {
                                   return read.openStatus == ERROR_SUCCESS && read.key == key;
                               });
    if (opened == callLog.registryReads.rend()) {
        // A key opened elsewhere: kept under its handle alone.
        RegistryRead read;
        read.order = NextOrder();
        read.root = key;
        read.key = key;
        callLog.registryReads.push_back(read);
        return callLog.registryReads.back();
    }
    if (opened->queried) {
        // A second value read from the same key is a read of its own.
        RegistryRead again = *opened;
        again.order = NextOrder();
        callLog.registryReads.push_back(again);
        return callLog.registryReads.back();
    }
    return *opened;
}

} // namespace

void StartRecording(const RecordingSettings& settings) {
    callLog = CallLog();
    recordingSettings = settings;
}

const CallLog& RecordedCallLog() {
    return callLog;
}

HANDLE WINAPI RecordedCreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE templateFile) {
    const HANDLE file =
        CreateFileA(fileName, access, shareMode, security, disposition, flags, templateFile);
    const bool opened = file != INVALID_HANDLE_VALUE;
    callLog.fileTests.push_back(
        {NextOrder(), TextOf(fileName), opened, opened ? 0 : LastErrorCode()});
    return file;
}

UINT WINAPI RecordedGetWindowsDirectoryA(LPSTR buffer, UINT size) {
    const UINT length = GetWindowsDirectoryA(buffer, size);
    callLog.folderQueries.push_back({NextOrder(), false, length, BufferText(buffer, length, size)});
    return length;
}

UINT WINAPI RecordedGetSystemDirectoryA(LPSTR buffer, UINT size) {
    const UINT length = GetSystemDirectoryA(buffer, size);
    callLog.folderQueries.push_back({NextOrder(), true, length, BufferText(buffer, length, size)});
    return length;
}

DWORD WINAPI RecordedGetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size) {
    const DWORD length = recordingSettings.modulePath && module == nullptr
                             ? GiveModulePath(*recordingSettings.modulePath, fileName, size)
                             : GetModuleFileNameA(module, fileName, size);
    callLog.modulePaths.push_back(length == 0 ? std::string()
                                              : std::string(fileName, strnlen(fileName, size)));
    return length;
}

LONG WINAPI RecordedRegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                  PHKEY result) {
    const LONG status = RegOpenKeyExA(key, subKey, options, access, result);
    RegistryRead read;
    read.order = NextOrder();
    read.root = key;
    read.keyPath = TextOf(subKey);
    read.openStatus = status;
    read.key = status == ERROR_SUCCESS && result != nullptr ? *result : nullptr;
    callLog.registryReads.push_back(read);
    return status;
}

LONG WINAPI RecordedRegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD dataSize) {
    const DWORD room = dataSize == nullptr ? 0 : *dataSize;
    const LONG status = RegQueryValueExA(key, valueName, reserved, type, data, dataSize);
    RegistryRead& read = ReadOfKey(key);
    read.queried = true;
    read.valueName = TextOf(valueName);
    read.queryStatus = status;
    read.type = type == nullptr ? REG_NONE : *type;
    read.size = dataSize == nullptr ? 0 : *dataSize;
    read.data = status == ERROR_SUCCESS && data != nullptr
                    ? std::string(reinterpret_cast<const char*>(data), std::min(read.size, room))
                    : std::string();
    return status;
}

LPCH WINAPI RecordedGetEnvironmentStrings() {
    const LPCH block = GetEnvironmentStrings();
    if (block == nullptr) {
        callLog.environmentMissing = true;
    }
    return block;
}

BOOL WINAPI RecordedCreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                   LPSECURITY_ATTRIBUTES processAttributes,
                                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                   DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                                   LPSTARTUPINFOA startupInfo,
                                   LPPROCESS_INFORMATION processInformation) {
    ProgramStart start;
    start.order = NextOrder();
    // Taken before the call, which may write into the command line.
    start.commandLine = TextOf(commandLine);
    if (currentDirectory != nullptr) {
        start.workingFolder = currentDirectory;
    }
    start.attempted = recordingSettings.startPrograms;
    if (start.attempted) {
        start.started = CreateProcessA(applicationName, commandLine, processAttributes,
                                       threadAttributes, inheritHandles, creationFlags, environment,
                                       currentDirectory, startupInfo, processInformation) != FALSE;
        start.error = start.started ? 0 : LastErrorCode();
    }
    callLog.starts.push_back(start);
    return start.started ? TRUE : FALSE;
}

DWORD WINAPI RecordedWaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    const DWORD result = WaitForSingleObject(handle, milliseconds);
    ++callLog.wait.waits;
    callLog.wait.lastResult = result;
    return result;
}

int WINAPI RecordedGetWindowTextA(HWND window, LPSTR text, int maxCount) {
    const int count = GetWindowTextA(window, text, maxCount);
    callLog.wait.lastTitle = BufferText(text, count, maxCount);
    return count;
}

int WINAPI RecordedGetClassNameA(HWND window, LPSTR className, int maxCount) {
    const int count = GetClassNameA(window, className, maxCount);
    callLog.wait.lastClass = BufferText(className, count, maxCount);
    return count;
}
