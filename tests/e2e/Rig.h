// The end-to-end rig: throwaway folder trees, the real launcher started the way a user's machine
// starts it, and what the stand-in viewer recorded. Plain Win32, so the same tests run on Windows.
#pragma once

#include <windows.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace rig {

// The folder of this test program (where launcher.exe and viewer.exe are built), with a backslash.
std::string BuildFolder();

// A new, empty folder of this test's own below the temporary folder, with a trailing backslash.
std::string NewScratchFolder();
void MakeFolders(const std::string& path);
// Removes the folder and all it holds; a drive root ("T:\") is only emptied.
void RemoveTree(const std::string& path);
void WriteTextFile(const std::string& path, const std::string& contents);
void CopyBuiltProgram(const std::string& name, const std::string& destination);

struct Finished {
    bool ended = false;  // the process ended within the time allowed
    DWORD exitCode = 0;  // GetExitCodeProcess: -1 reads 4294967295
    DWORD processId = 0; // the parent id that the process's children carry
};
// Starts the command line (CreateProcessA, no application name) in the given current folder (empty:
// this program's own) and waits for the process to end.
Finished RunAndWait(const std::string& commandLine, DWORD timeoutMilliseconds,
                    const std::string& currentFolder = "");

// The drive letter ("T:") set aside for tests that need a whole drive to themselves, named by
// LAUNCHER_TEST_DRIVE (under Wine a folder of the build tree; on Windows, say, a subst drive).
// Empty when none is named.
std::string TestDrive();
bool IsFolder(const std::string& path);

// Waits for the viewer's record file and reads its "key=value" lines; empty when none came.
std::map<std::string, std::string> ReadRecord(const std::string& path, DWORD timeoutMilliseconds);
bool FileExists(const std::string& path);

bool IsRunning(DWORD processId);
void EndProcess(DWORD processId);
// A top-level window of that class owned by the process, or null.
HWND FindWindowOwnedBy(DWORD processId, const char* className);
// The title of the process's first top-level window that has one; empty when none has.
std::string TitledWindowText(DWORD processId);
// Waits until that title holds the text; false when it still does not at the time-out.
bool WaitForTitleHolding(DWORD processId, const std::string& text, DWORD timeoutMilliseconds);

// The processes running now, from a snapshot.
std::set<DWORD> RunningProcesses();
// The processes running now that the given process started.
std::vector<DWORD> ChildProcesses(DWORD parentId);
// Those of them whose executable lies below the folder. Once a process has ended, its id may be
// given to a process of another test program running meanwhile, whose children then seem to be
// its own; they run programs of that program's folders, not of this test's.
std::vector<DWORD> ChildProcessesBelow(DWORD parentId, const std::string& folder);
// The command line a process was started with, as its parameter block holds it (converted to the
// ANSI code page; a NUL that the process wrote into it stays); empty when it cannot be read.
std::string ProcessCommandLine(DWORD processId);
// The full path of the process's executable; empty when it cannot be read.
std::string ProcessImagePath(DWORD processId);

} // namespace rig
