// Control of the simulated Windows machine, for host tests only.
//
// The launcher's code never includes this header: it sees the machine only through the Windows
// operations of platform/Platform.h. Tests use it to set the machine up (code page, files,
// registry, environment, folders, child processes and their windows), to make operations fail, and
// to look at what the code under test did (calls made, processes started, handles left open).
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

// A fresh machine: code page 1252, no files, the folders C:\Apps, C:\Work, C:\Windows and
// C:\Windows\system32 (and the drive C:), empty registry, empty environment block (present, with
// no entries), module path "C:\Apps\launcher.exe", Windows folder "C:\Windows", System folder
// "C:\Windows\system32", command line "\"C:\Apps\launcher.exe\"", current folder "C:\Work\", no
// processes, no windows, all counters and faults cleared. Heap blocks still live from before stay
// valid and counted; environment blocks still held are freed (freeing one later is a bad free).
void Reset();

// ---- Code page ---------------------------------------------------------------------------------
// Supported: 1252 (Latin-1 letters 0xC0-0xDE/0xE0-0xFE, with 0x8A/0x9A, 0x8C/0x9C, 0x8E/0x9E,
// 0x9F/0xFF pairs), 1251 (Cyrillic 0xC0-0xDF/0xE0-0xFF and the other Windows-1251 pairs), 437
// (single byte, ASCII letters only), 932, 936, 949, 950 and 1361 (double-byte; lead bytes per code
// page). In 932 the full-width Latin letters are double-byte: lead 0x82, lower 0x81-0x9A, upper
// 0x60-0x79. In every double-byte code page a double-byte character without a mapping upper-cases
// to itself.
void SetCodePage(UINT codePage);
// GetCPInfo fails (returns FALSE) while set.
void SetCPInfoFails(bool fails);
// Reports a maximum character size of 2 and these lead-byte ranges for the current code page in
// GetCPInfo (pairs first,last; at most five pairs), as an unknown multibyte code page would.
void SetReportedLeadByteRanges(const std::vector<std::pair<BYTE, BYTE>>& ranges);
// LCMAP_UPPERCASE of the two bytes lead, trail gives these bytes (one or two); empty: the call
// fails.
void SetDoubleByteUpper(BYTE lead, BYTE trail, const std::string& mapped);

// ---- Files -------------------------------------------------------------------------------------
// Names are read in the code page that is active when they are added or looked up, character by
// character, as Windows reads them: a double-byte character is one character whatever its trail
// byte, so a trail byte 0x5C is no separator and a trail byte 0x7C no refused "|". Names are
// compared without regard to case, as the file system upper-cases them: ASCII and the code page's
// single-byte letters (1252, 1251), and the double-byte letters that have both cases in the code
// page (full-width Latin, Greek, Cyrillic, Roman numerals, some Latin letters in 949); a trail byte
// never changes on its own (in 932, 0x83 0x61 and 0x83 0x41 are two characters). A character that
// 932 or 950 encodes twice has one name under both encodings (in 932, 0x87 0x54 and 0xFA 0x4A name
// one file: rows 115-119 repeat rows 13 and 89-92).
// A lead byte takes the next byte as its trail byte even when the code page defines no such pair:
// 932 reads the pair as its middle dot (0x81 0x45), so 0x83 "/" is that dot and no separator; 936,
// 949 and 950 read it as "?", which makes the name refused (949 has no trail bytes 0x5C and 0x7C).
// A pair with a defined trail byte that the code page leaves unassigned is a character of its own
// here. A lead byte that ends a name is a character of its own.
// The last component's trailing blanks and periods are ignored; a folder further up loses one
// trailing period and keeps its blanks ("C:\Docs.\a.txt" names C:\Docs\a.txt, "C:\Docs \a.txt"
// does not). "/" is read as "\", doubled separators count once, and "." and ".." components are
// resolved ("E:\Kit\Bin\..\docs\a.txt" names E:\Kit\docs\a.txt). A path without a drive or a
// leading "\\" is relative to the current folder; one with a single leading "\" is below the
// current drive's root.
// Names with a character Windows refuses in a path (<>:"|?* or a control byte) exist nowhere.
// Adding a file or folder adds every folder above it, up to its drive (or share): a drive exists
// when it holds anything.
void AddFile(const std::string& path);
void AddFolder(const std::string& path);
// A program file: the only kind of file that CreateProcessA can start. It opens like any file.
void AddProgram(const std::string& path);
// The folder against which relative paths are read (added with or looked up); a missing trailing
// backslash is supplied. The folder is not added: a test that moves it adds it when it must exist.
void SetCurrentDirectory(const std::string& path);
// The file exists but CreateFileA for reading fails with ERROR_SHARING_VIOLATION (held by another
// process without read sharing).
void AddLockedFile(const std::string& path);
// The file name of every CreateFileA call, in order, whatever its outcome (capped at the first
// 100000).
const std::vector<std::string>& CreateFileNames();
// CreateFileA opens only with OPEN_EXISTING. It fails with ERROR_INVALID_NAME (123) for a refused
// name or a file named with a trailing backslash, ERROR_FILE_NOT_FOUND for a missing file in a
// folder that exists (or directly in a drive's root), ERROR_PATH_NOT_FOUND (3) when a folder on
// the way, or the drive itself, does not exist, and ERROR_ACCESS_DENIED for a folder (unless given
// FILE_FLAG_BACKUP_SEMANTICS, 0x02000000).

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
// As on Windows: RegOpenKeyExA of a root with a null or empty subkey hands back the root itself,
// which needs no close (closing it is harmless); a subkey beginning with "\" is refused; on
// failure the result is set to null. RegQueryValueExA copies the stored bytes as they are (no
// terminator is added), gives ERROR_MORE_DATA with the size needed when they do not fit (the buffer
// is left as it was), and ERROR_FILE_NOT_FOUND for a missing value; a null or empty name reads the
// default value.

// Every RegOpenKeyExA and RegQueryValueExA call, in order, as the caller made it (whether or not it
// succeeded), so that tests can check what was read, in which order and with which access.
struct RegistryCall {
    enum Kind { Open, Query } kind = Open;
    HKEY root = nullptr;   // Open: the key given (a predefined root, or an open key)
    std::string path;      // Open: the subkey as passed; Query: the path the key was opened with
    REGSAM access = 0;     // Open: the access asked for
    std::string valueName; // Query: the name as passed
    bool nullName = false; // Query: a null name was passed (the default value)
};
const std::vector<RegistryCall>& RegistryCalls();

// ---- Environment block -------------------------------------------------------------------------
// Entries as "NAME=value" in block order (entries beginning with "=" allowed). Each
// GetEnvironmentStrings call returns a fresh copy: the entries, each ended by a NUL, then one more
// NUL, in a block of exactly that size.
void SetEnvironment(const std::vector<std::string>& entries);
// GetEnvironmentStrings returns null.
void SetNoEnvironment();

// ---- Processes and windows ---------------------------------------------------------------------
// The machine's clock is the number of WaitForSingleObject calls made so far (any handle, any
// result). A poll of the launcher is one such wait, so windows and ends are scripted in polls:
// a wait made at clock c sees the process ended when c >= endsAt, and then the clock becomes c+1.
// Waits return at once; the time-out is not waited out. A wait on a null or unknown handle, or on a
// handle opened without SYNCHRONIZE, gives WAIT_FAILED.
DWORD Clock();

struct WindowScript {
    std::string title;          // empty: untitled
    std::string className;      // e.g. "#32770" for a dialog box
    bool hidden = false;        // hidden windows are still top-level windows
    DWORD appearsAt = 0;        // clock value from which the window exists
    DWORD goneAt = 0xFFFFFFFFu; // clock value from which it no longer exists
};

struct ChildScript {
    // Each window goes to the top of the Z order when it appears; windows appearing at the same
    // clock value are stacked in list order (the last one on top).
    std::vector<WindowScript> windows;
    DWORD endsAt = 0xFFFFFFFFu; // clock value from which the process has ended
};
// A window lies above every window that first existed before it; the child's windows that exist
// from its start lie above the windows that were there when it started. An ended process's windows
// stay as their script says.

// The script of the next process that CreateProcessA starts (then cleared; the default script shows
// no window and never ends).
void ScriptNextChild(const ChildScript& script);
// A window of another, already running process, placed at the top of the Z order now.
// Returns that process's id.
DWORD AddForeignWindow(const std::string& title, const std::string& className);
// Lets a foreign window with a given owner id be placed (for a window owned by the child's id
// before the child exists, say).
void AddWindowOwnedBy(DWORD processId, const std::string& title, const std::string& className);
// CreateProcessA fails with this error while set (0: does not fail). Whatever the reason it fails,
// it leaves the PROCESS_INFORMATION as the caller had it and records nothing. Besides, it starts
// only a file added with AddProgram, named by the application name or else by the command line's
// first token (up to the closing double quote, or the first blank or tab). In the order Windows
// checks: a missing program (or a refused name) fails with ERROR_FILE_NOT_FOUND, a folder with
// ERROR_ACCESS_DENIED; then a current folder that is given and is no existing folder (missing, a
// file, empty, or a refused name; read by the path rules above, so a trailing backslash, blank or
// period makes no difference, and a drive's root is a folder) fails with ERROR_DIRECTORY (267);
// then a document file fails with ERROR_BAD_EXE_FORMAT (193).
void SetCreateProcessError(DWORD error);
// The id that the next started process gets. Foreign processes take ids from a range of their own.
// Each process has one thread; CreateProcessA gives one process handle and one thread handle, both
// with full access, and OpenProcess gives a handle with the access asked for (null for an id that
// no started child nor foreign window's process has).
DWORD NextProcessId();

struct StartedProcess {
    std::optional<std::string> applicationName; // empty optional: null was passed
    std::string commandLine;
    std::optional<std::string> currentDirectory;
    bool inheritHandles = false;
    DWORD creationFlags = 0;
    bool environmentGiven = false;      // a non-null environment pointer was passed
    STARTUPINFOA startupInfo{};         // copied as passed, cb bytes of it
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
// WaitForSingleObject calls, in order, whatever their outcome (capped at the first 100000).
struct WaitCall {
    HANDLE handle = nullptr;
    DWORD milliseconds = 0; // the time-out asked for
};
const std::vector<WaitCall>& Waits();
// OpenProcess calls, in order, whatever their outcome (capped at the first 100000).
struct OpenProcessRequest {
    DWORD access = 0;
    bool inheritHandle = false;
    DWORD processId = 0;
    HANDLE handle = nullptr; // what the call gave: null when it failed
};
const std::vector<OpenProcessRequest>& OpenProcessRequests();
// The error code that the last failing operation left (as GetLastError would); 0 after Reset.
// Registry operations return theirs instead, as on Windows.
DWORD LastError();
// The simulated ExitProcess ends the host process with the given code (std::_Exit).

// ---- Fault injection ---------------------------------------------------------------------------
// The nth call of op from now on (1 = the next one) fails as Windows would fail it: a null or
// invalid handle, FALSE, 0, or an error code (ERROR_ACCESS_DENIED for the registry, WAIT_FAILED for
// waits, null for HeapAlloc/HeapReAlloc). A failed CloseHandle, RegCloseKey or
// FreeEnvironmentStringsA leaves its handle, key or block open. Sleep, GetCommandLineA and
// ExitProcess cannot fail.
void FailNthCall(Op op, int n);

} // namespace sim
