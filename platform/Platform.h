// The one header through which the launcher reaches the operating system.
//
// Every Windows type, constant and operation the launcher uses is named here as Windows spells it,
// always in the ANSI form. On Windows the real API is brought in; on any other host the same names
// are declared below and a simulated machine (platform/host) implements them. Which one the code
// runs against is decided by what it is linked with; nothing here dispatches at run time.
#pragma once

#if defined(_WIN32)

#ifdef UNICODE
#error "The launcher works in the ANSI code page; build it without UNICODE."
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
// user32's functions are declared as ordinary functions rather than imports: the launcher binds
// them itself on first use (platform/windows/User32.cpp), after the child was started, so that
// loading user32 overlaps the child's start-up. A program that imports user32 instead links its
// import library, whose stubs carry the same names.
#ifndef WINUSERAPI
#define WINUSERAPI
#endif
#include <windows.h>

#else // Simulated machine.

#include <cstddef>
#include <cstdint>

#define WINAPI
#define CALLBACK

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef unsigned int DWORD; // 32 bits, as on Windows
typedef int LONG;
typedef unsigned int UINT;
typedef void* LPVOID;
typedef const void* LPCVOID;
typedef char CHAR;
typedef char* LPSTR;
typedef char* LPCH;
typedef const char* LPCSTR;
typedef BYTE* LPBYTE;
typedef WORD* LPWORD;
typedef DWORD* LPDWORD;
typedef std::size_t SIZE_T;
typedef DWORD LCID;
typedef DWORD REGSAM;
typedef LONG LSTATUS;

typedef void* HANDLE;
struct HKEY__;
typedef HKEY__* HKEY;
typedef HKEY* PHKEY;
struct HWND__;
typedef HWND__* HWND;
struct HINSTANCE__;
typedef HINSTANCE__* HINSTANCE;
typedef HINSTANCE HMODULE;

#define TRUE 1
#define FALSE 0
#define MAX_PATH 260

// Files
#define INVALID_HANDLE_VALUE ((HANDLE)(std::intptr_t)-1)
#define GENERIC_READ 0x80000000u
#define FILE_SHARE_READ 0x00000001u
#define FILE_SHARE_WRITE 0x00000002u
#define OPEN_EXISTING 3u
#define FILE_ATTRIBUTE_NORMAL 0x00000080u

// Registry
#define HKEY_CLASSES_ROOT ((HKEY)(std::uintptr_t)0x80000000u)
#define HKEY_CURRENT_USER ((HKEY)(std::uintptr_t)0x80000001u)
#define HKEY_LOCAL_MACHINE ((HKEY)(std::uintptr_t)0x80000002u)
#define KEY_READ 0x00020019u
#define REG_NONE 0u
#define REG_SZ 1u
#define REG_EXPAND_SZ 2u
#define REG_BINARY 3u
#define REG_DWORD 4u
#define REG_MULTI_SZ 7u

// Error codes
#define ERROR_SUCCESS 0
#define ERROR_FILE_NOT_FOUND 2
#define ERROR_ACCESS_DENIED 5
#define ERROR_INVALID_HANDLE 6
#define ERROR_NOT_ENOUGH_MEMORY 8
#define ERROR_SHARING_VIOLATION 32
#define ERROR_INVALID_PARAMETER 87
#define ERROR_INSUFFICIENT_BUFFER 122
#define ERROR_MORE_DATA 234

// Code pages and character classes
#define CP_ACP 0u
#define MAX_LEADBYTES 12
#define MAX_DEFAULTCHAR 2
#define LOCALE_USER_DEFAULT 0x0400u
#define LOCALE_SYSTEM_DEFAULT 0x0800u
#define CT_CTYPE1 0x00000001u
#define C1_UPPER 0x0001
#define C1_LOWER 0x0002
#define C1_DIGIT 0x0004
#define C1_SPACE 0x0008
#define C1_PUNCT 0x0010
#define C1_CNTRL 0x0020
#define C1_BLANK 0x0040
#define C1_XDIGIT 0x0080
#define C1_ALPHA 0x0100
#define LCMAP_LOWERCASE 0x00000100u
#define LCMAP_UPPERCASE 0x00000200u

typedef struct _cpinfo {
    UINT MaxCharSize;
    BYTE DefaultChar[MAX_DEFAULTCHAR];
    BYTE LeadByte[MAX_LEADBYTES];
} CPINFO, *LPCPINFO;

// Processes and windows
#define STARTF_USESHOWWINDOW 0x00000001u
#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5
#define SW_SHOWDEFAULT 10
#define SYNCHRONIZE 0x00100000u
#define INFINITE 0xFFFFFFFFu
#define WAIT_OBJECT_0 0x00000000u
#define WAIT_TIMEOUT 0x00000102u
#define WAIT_FAILED 0xFFFFFFFFu
#define GW_HWNDNEXT 2u
#define GW_CHILD 5u

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

// Laid out as the 64-bit Windows structure, so that its size is the real one (104 bytes).
typedef struct _STARTUPINFOA {
    DWORD cb;
    LPSTR lpReserved;
    LPSTR lpDesktop;
    LPSTR lpTitle;
    DWORD dwX;
    DWORD dwY;
    DWORD dwXSize;
    DWORD dwYSize;
    DWORD dwXCountChars;
    DWORD dwYCountChars;
    DWORD dwFillAttribute;
    DWORD dwFlags;
    WORD wShowWindow;
    WORD cbReserved2;
    LPBYTE lpReserved2;
    HANDLE hStdInput;
    HANDLE hStdOutput;
    HANDLE hStdError;
} STARTUPINFOA, *LPSTARTUPINFOA;

typedef struct _PROCESS_INFORMATION {
    HANDLE hProcess;
    HANDLE hThread;
    DWORD dwProcessId;
    DWORD dwThreadId;
} PROCESS_INFORMATION, *LPPROCESS_INFORMATION;

#define HEAP_ZERO_MEMORY 0x00000008u

// Code page (String value)
UINT WINAPI GetACP();
BOOL WINAPI GetCPInfo(UINT codePage, LPCPINFO info);
BOOL WINAPI GetStringTypeA(LCID locale, DWORD infoType, LPCSTR source, int count, LPWORD types);
int WINAPI LCMapStringA(LCID locale, DWORD flags, LPCSTR source, int sourceCount, LPSTR destination,
                        int destinationCount);

// Heap (String buffers)
HANDLE WINAPI GetProcessHeap();
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD flags, LPVOID block, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);

// Files and folders
HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES security, DWORD disposition, DWORD flags,
                          HANDLE templateFile);
BOOL WINAPI CloseHandle(HANDLE handle);
UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size);
DWORD WINAPI GetModuleFileNameA(HMODULE module, LPSTR fileName, DWORD size);

// Registry
LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, PHKEY result);
LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize);
LONG WINAPI RegCloseKey(HKEY key);

// Environment
LPCH WINAPI GetEnvironmentStrings();
BOOL WINAPI FreeEnvironmentStringsA(LPCH block);
int WINAPI lstrlenA(LPCSTR text);

// Processes
BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine,
                           LPSECURITY_ATTRIBUTES processAttributes,
                           LPSECURITY_ATTRIBUTES threadAttributes, BOOL inheritHandles,
                           DWORD creationFlags, LPVOID environment, LPCSTR currentDirectory,
                           LPSTARTUPINFOA startupInfo, LPPROCESS_INFORMATION processInformation);
HANDLE WINAPI OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId);
DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds);
void WINAPI Sleep(DWORD milliseconds);

// Windows
HWND WINAPI GetDesktopWindow();
HWND WINAPI GetWindow(HWND window, UINT command);
DWORD WINAPI GetWindowThreadProcessId(HWND window, LPDWORD processId);
int WINAPI GetWindowTextA(HWND window, LPSTR text, int maxCount);
int WINAPI GetClassNameA(HWND window, LPSTR className, int maxCount);

// Process start-up and end
LPSTR WINAPI GetCommandLineA();
HMODULE WINAPI GetModuleHandleA(LPCSTR moduleName);
[[noreturn]] void WINAPI ExitProcess(UINT exitCode);

#endif

// The explain tool builds the launcher's code a second time with this defined, so that the calls
// that make up the decision are recorded on their way to the system. The launcher never sets it.
#if defined(LAUNCHER_RECORDED_CALLS)
#include "explain/RecordedCalls.h"
#endif
