// Control of the simulated Windows machine, for host tests only.
//
// The launcher's code never includes this header: it sees the machine only through the Windows
// operations of platform/Platform.h. Tests use it to set the machine up (code page, files, registry,
// environment, folders, child processes and their windows), to make operations fail, and to look at
// what the code under test did (calls made, processes started, handles left open).
#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>
#include <vector>

namespace sim {

// Every simulated operation, for call counts and fault injection.
enum class Op {
    GetACP,
    GetCPInfo,
    GetStringTypeA,
    LCMapStringA,
    GetProcessHeap,
    HeapAlloc,
    HeapReAlloc,
    HeapFree,
    CreateFileA,
    CloseHandle,
    GetWindowsDirectoryA,
    GetSystemDirectoryA,
    GetModuleFileNameA,
    RegOpenKeyExA,
    RegQueryValueExA,
    RegCloseKey,
    GetEnvironmentStrings,
    FreeEnvironmentStringsA,
    lstrlenA,
    CreateProcessA,
    OpenProcess,
    WaitForSingleObject,
    Sleep,
    GetDesktopWindow,
    GetWindow,
    GetWindowThreadProcessId,
    GetWindowTextA,
    GetClassNameA,
    GetCommandLineA,
    GetModuleHandleA,
    ExitProcess,
    Count
};

// A fresh machine: code page 1252, no files, empty registry, empty environment block (present, with
// no entries), module path "C:\Apps\launcher.exe", Windows folder "C:\Windows", System folder
// "C:\Windows\system32", command line "\"C:\Apps\launcher.exe\"", no processes, no windows, all
// counters and faults cleared. Heap blocks still live from before stay valid and counted.
void Reset();

// ---- Code page ---------------------------------------------------------------------------------
// Supported: 1252 (Latin-1 letters 0xC0-0xDE/0xE0-0xFE, with 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E,
// 0x9F/0xFF pairs), 1251 (Cyrillic 0xC0-0xDF/0xE0-0xFF and the other Windows-1251 pairs), 437 (single
// byte, ASCII letters only), 932, 936, 949, 950 and 1361 (double-byte; lead bytes per code page).
// In 932 the full-width Latin letters are double-byte: lead 0x82, lower 0x81-0x9A, upper 0x60-0x79.
// In every double-byte code page a double-byte character without a mapping upper-cases to itself.
void SetCodePage(UINT codePage);
// GetCPInfo fails (returns FALSE) while set.
void SetCPInfoFails(bool fails);
// Reports a maximum character size of 2 and these lead-byte ranges for the current code page in
// GetCPInfo (pairs first,last; at most five pairs), as an unknown multibyte code page would.
void SetReportedLeadByteRanges(const std::vector<std::pair<BYTE, BYTE>>& ranges);
// LCMAP_UPPERCASE of the two bytes lead, trail gives these bytes (one or two); empty: the call fails.
void SetDoubleByteUpper(BYTE lead, BYTE trail, const std::string& mapped);

// ---- Files -------------------------------------------------------------------------------------
// Paths are compared without regard to ASCII case; the last component's trailing blanks and periods
// are ignored, as Windows does. Adding a file does not create its folders.
void AddFile(const std::string& path);
void AddFolder(const std::string& path);
// The file exists but CreateFileA for reading fails with ERROR_SHARING_VIOLATION (held by another
// process without read sharing).
void AddLockedFile(const std::string& path);

// ---- Folders and module path -------------------------------------------------------------------
// The empty optional makes the call fail (return 0). A path of 260 bytes or more behaves as Windows
// does: GetModuleFileNameA truncates to size-1 bytes, terminates, and returns size;
// GetWindowsDirectoryA/GetSystemDirectoryA leave the buffer untouched and return the size needed.
void SetModulePath(const std::optional<std::string>& path);
void SetWindowsFolder(const std::optional<std::string>& path);
void SetSystemFolder(const std::optional<std::string>& path);
void SetCommandLine(const std::string& commandLine);

// ---- Registry ----------------------------------------------------------------------------------
// Key paths are below a predefined root, levels separated by "\", compared without regard to case.
// Setting a value creates its key and every key above it. An empty name is the default value.
void AddRegistryKey(HKEY root, const std::string& subKey);
void SetRegistryValue(HKEY root, const std::string& subKey, const std::string& name, DWORD type,
                      const std::string& data); // raw bytes, stored as given
// REG_SZ text; the stored data is the text and its terminating NUL.
void SetRegistryText(HKEY root, const std::string& subKey, const std::string& name,
                     const std::string& text);
// RegOpenKeyExA fails with ERROR_ACCESS_DENIED for this key.
void DenyRegistryKey(HKEY root, const std::string& subKey);

// ---- Environment block -------------------------------------------------------------------------
// Entries as "NAME=value" in block order (entries beginning with "=" allowed).
void SetEnvironment(const std::vector<std::string>& entries);
// GetEnvironmentStrings returns null.
void SetNoEnvironment();

// ---- Processes and windows ---------------------------------------------------------------------
// The machine's clock is the number of WaitForSingleObject calls made so far (any handle, any
// result). A poll of the launcher is one such wait, so windows and ends are scripted in polls.
DWORD Clock();

struct WindowScript {
    std::string title;     // empty: untitled
    std::string className; // e.g. "#32770" for a dialog box
    bool hidden = false;   // hidden windows are still top-level windows
    DWORD appearsAt = 0;   // clock value from which the window exists
    DWORD goneAt = 0xFFFFFFFFu; // clock value from which it no longer exists
};

struct ChildScript {
    std::vector<WindowScript> windows; // each new window goes to the top of the Z order
    DWORD endsAt = 0xFFFFFFFFu;        // clock value from which the process has ended
};

// The script of the next process that CreateProcessA starts (then cleared; the default script shows
// no window and never ends).
void ScriptNextChild(const ChildScript& script);
// A window of another, already running process, placed at the top of the Z order now.
// Returns that process's id.
DWORD AddForeignWindow(const std::string& title, const std::string& className);
// Lets a foreign window with a given owner id be placed (for a window owned by the child's id
// before the child exists, say).
void AddWindowOwnedBy(DWORD processId, const std::string& title, const std::string& className);
// CreateProcessA fails with this error while set (0: does not fail).
void SetCreateProcessError(DWORD error);
// The id that the next started process gets.
DWORD NextProcessId();

struct StartedProcess {
    std::optional<std::string> applicationName; // empty optional: null was passed
    std::string commandLine;
    std::optional<std::string> currentDirectory;
    bool inheritHandles = false;
    DWORD creationFlags = 0;
    bool environmentGiven = false; // a non-null environment pointer was passed
    STARTUPINFOA startupInfo{};    // copied as passed, cb bytes of it
    std::vector<BYTE> startupInfoBytes; // the cb bytes the caller passed, raw
    DWORD processId = 0;
};
// Every CreateProcessA call that succeeded, in order.
const std::vector<StartedProcess>& StartedProcesses();

// ---- Observation -------------------------------------------------------------------------------
int Calls(Op op);
// Handles from CreateFileA, CreateProcessA (process and thread) and OpenProcess not yet closed.
int OpenHandles();
// CloseHandle calls on a handle that was not open (closed twice, never obtained, null, invalid).
int BadCloses();
// Registry keys opened and not yet closed; RegCloseKey calls on keys that were not open.
int OpenKeys();
int BadKeyCloses();
// Environment blocks obtained and not yet freed; frees of blocks that were not obtained.
int OpenEnvironmentBlocks();
int BadEnvironmentFrees();
// Heap blocks allocated and not yet freed; frees of blocks that were not allocated.
int LiveHeapBlocks();
int BadHeapFrees();
// Sleep calls with their arguments, in order (capped at the first 100000).
const std::vector<DWORD>& SleepArguments();
// The simulated ExitProcess ends the host process with the given code (std::_Exit).

// ---- Fault injection ---------------------------------------------------------------------------
// The nth call of op from now on (1 = the next one) fails as Windows would fail it: a null or
// invalid handle, FALSE, 0, or an error code (ERROR_ACCESS_DENIED for the registry, WAIT_FAILED for
// waits, null for HeapAlloc/HeapReAlloc).
void FailNthCall(Op op, int n);

} // namespace sim
