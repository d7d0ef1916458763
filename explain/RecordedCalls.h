// The Windows operations that decide what the launcher opens, as the explain tool's build of the
// launcher's code reaches them.
//
// Each one calls the real operation (or, where the explain tool says so, stands in for it) and
// keeps what it was asked and what came back (explain/CallLog.h). The launcher's sources are
// compiled a second time with LAUNCHER_RECORDED_CALLS, and platform/Platform.h then maps the
// operations' names to these; the recording layer itself is compiled without it, so it reaches the
// real operations.
#pragma once

#include "platform/Platform.h"

HANDLE WINAPI RecordedCreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                                  LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                                  HANDLE templateFile);
UINT WINAPI RecordedGetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT WINAPI RecordedGetSystemDirectoryA(LPSTR buffer, UINT size);
DWORD WINAPI RecordedGetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

LONG WINAPI RecordedRegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access,
                                  PHKEY result);
LONG WINAPI RecordedRegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                                     LPBYTE data, LPDWORD dataSize);

LPCH WINAPI RecordedGetEnvironmentStrings();

BOOL WINAPI RecordedCreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                                   LPSECURITY_ATTRIBUTES processAttributes,
                                   LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                                   DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                                   LPSTARTUPINFOA startupInfo,
                                   LPPROCESS_INFORMATION processInformation);
DWORD WINAPI RecordedWaitForSingleObject(HANDLE handle, DWORD milliseconds);
int WINAPI RecordedGetWindowTextA(HWND window, LPSTR text, int maxCount);
int WINAPI RecordedGetClassNameA(HWND window, LPSTR className, int maxCount);

#if defined(LAUNCHER_RECORDED_CALLS)
#define CreateFileA RecordedCreateFileA
#define GetWindowsDirectoryA RecordedGetWindowsDirectoryA
#define GetSystemDirectoryA RecordedGetSystemDirectoryA
#define GetModuleFileNameA RecordedGetModuleFileNameA
#define RegOpenKeyExA RecordedRegOpenKeyExA
#define RegQueryValueExA RecordedRegQueryValueExA
#define GetEnvironmentStrings RecordedGetEnvironmentStrings
#define CreateProcessA RecordedCreateProcessA
#define WaitForSingleObject RecordedWaitForSingleObject
#define GetWindowTextA RecordedGetWindowTextA
#define GetClassNameA RecordedGetClassNameA
#endif
