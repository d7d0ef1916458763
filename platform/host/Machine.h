// What the parts of the simulated machine (files, registry, environment, processes, windows)
// share with each other; not for tests or launcher code.
#pragma once

#include "platform/host/Internal.h"

#include <string>
#include <vector>

namespace sim::detail {

// Error codes the machine reports beyond those that platform/Platform.h names.
constexpr DWORD kErrorPathNotFound = 3;
constexpr DWORD kErrorInvalidName = 123;
constexpr DWORD kErrorModNotFound = 126;
constexpr DWORD kErrorBadPathname = 161;
constexpr DWORD kErrorBadExeFormat = 193;
constexpr DWORD kErrorDirectory = 267;
constexpr DWORD kErrorInvalidWindowHandle = 1400;

// The error code of the last failing operation (what GetLastError would give).
void SetLastError(DWORD error);

// ---- Kernel handles (files, processes, threads), shared by CloseHandle ----
enum class HandleKind { File, Process, Thread };
struct HandleEntry {
    HandleKind kind = HandleKind::File;
    DWORD processId = 0; // the process a process or thread handle refers to
    DWORD access = 0;
};
HANDLE NewHandle(const HandleEntry& entry);
// Null when the handle is not open.
const HandleEntry* FindHandle(HANDLE handle);

// ---- Files ----
// Missing: nothing by that name in a folder that exists; MissingFolder: a folder on the way (or
// the drive or share itself) does not exist.
enum class PathKind { Missing, MissingFolder, InvalidName, File, LockedFile, Program, Folder };
// What a path names, after the machine's path rules (the code page's characters and their case,
// trailing blanks and periods, "." and ".." components, the current folder for relative paths).
PathKind LookUpPath(const std::string& path);

// ---- Processes and windows ----
// Places the scripted windows of a process that has just started.
void AddChildWindows(DWORD processId, DWORD threadId, const std::vector<WindowScript>& windows);
// A running process of someone else's (never ends); returns its id.
DWORD AddForeignProcess();
// The main thread of a known process; 0 when the id names none.
DWORD ThreadOf(DWORD processId);
// A thread id that nothing else has.
DWORD NewThreadId();

// Each part returns to its fresh state.
void ResetHandles();
void ResetFiles();
void ResetStartUp();
void ResetRegistry();
void ResetEnvironment();
void ResetProcesses();
void ResetWindows();

} // namespace sim::detail
