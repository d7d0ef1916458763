#include "tests/e2e/Rig.h"

#include <tlhelp32.h>
#include <winternl.h>

#include <cstdio>
#include <fstream>
#include <sstream>

namespace rig {

std::string BuildFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of('\\') + 1);
}

std::string NewScratchFolder() {
    static int serial = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "launcher-e2e\\" +
                               std::to_string(GetCurrentProcessId()) + "-" +
                               std::to_string(++serial) + "\\";
    RemoveTree(folder);
    MakeFolders(folder);
    return folder;
}

void MakeFolders(const std::string& path) {
    // Byte by byte, stepping over double-byte characters, whose trail byte may be 0x5C.
    for (std::string::size_type at = 3; at < path.size(); ++at) {
        if (IsDBCSLeadByte(static_cast<BYTE>(path[at]))) {
            ++at;
        } else if (path[at] == '\\') {
            CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        }
    }
    CreateDirectoryA(path.c_str(), nullptr);
}

namespace {

// Whether the path ends in a backslash of its own rather than in the trail byte of a double-byte
// character (0x95 0x5C is one character in code page 932).
bool EndsInSeparator(const std::string& path) {
    bool separator = false;
    for (std::string::size_type at = 0; at < path.size(); ++at) {
        separator = path[at] == '\\';
        if (IsDBCSLeadByte(static_cast<BYTE>(path[at]))) {
            ++at;
        }
    }
    return separator;
}

void RemoveFolder(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") {
                continue;
            }
            const std::string child = folder + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveFolder(child);
            } else {
                SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(child.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    if (folder.size() > 2) { // a drive root ("T:") is emptied, never removed
        RemoveDirectoryA(folder.c_str());
    }
}

} // namespace

void RemoveTree(const std::string& path) {
    RemoveFolder(EndsInSeparator(path) ? path.substr(0, path.size() - 1) : path);
}

void WriteTextFile(const std::string& path, const std::string& contents) {
    std::ofstream(path, std::ios::binary) << contents;
}

void CopyBuiltProgram(const std::string& name, const std::string& destination) {
    CopyFileA((BuildFolder() + name).c_str(), destination.c_str(), FALSE);
}

Finished RunAndWait(const std::string& commandLine, DWORD timeoutMilliseconds,
                    const std::string& currentFolder) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    Finished result;
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup,
                        &process)) {
        return result;
    }
    result.processId = process.dwProcessId;
    result.ended = WaitForSingleObject(process.hProcess, timeoutMilliseconds) == WAIT_OBJECT_0;
    if (result.ended) {
        GetExitCodeProcess(process.hProcess, &result.exitCode);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return result;
}

std::string TestDrive() {
    char drive[8];
    const DWORD length = GetEnvironmentVariableA("LAUNCHER_TEST_DRIVE", drive, sizeof drive);
    return length > 0 && length < sizeof drive ? std::string(drive, length) : "";
}

bool IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::map<std::string, std::string> ReadRecord(const std::string& path, DWORD timeoutMilliseconds) {
    std::map<std::string, std::string> record;
    const ULONGLONG end = GetTickCount64() + timeoutMilliseconds;
    while (!FileExists(path) && GetTickCount64() < end) {
        Sleep(10);
    }
    std::ifstream file(path, std::ios::binary);
    std::string line;
    while (std::getline(file, line)) {
        const std::string::size_type equals = line.find('=');
        if (equals != std::string::npos) {
            record[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return record;
}

bool IsRunning(DWORD processId) {
    const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (process == nullptr) {
        return false;
    }
    const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
    CloseHandle(process);
    return running;
}

void EndProcess(DWORD processId) {
    const HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (process != nullptr) {
        TerminateProcess(process, 0);
        WaitForSingleObject(process, 5000);
        CloseHandle(process);
    }
}

HWND FindWindowOwnedBy(DWORD processId, const char* className) {
    for (HWND window = FindWindowExA(nullptr, nullptr, className, nullptr); window != nullptr;
         window = FindWindowExA(nullptr, window, className, nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId) {
            return window;
        }
    }
    return nullptr;
}

std::string TitledWindowText(DWORD processId) {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        char title[512];
        const int length = owner == processId ? GetWindowTextA(window, title, sizeof title) : 0;
        if (length > 0) {
            return std::string(title, length);
        }
    }
    return "";
}

bool WaitForTitleHolding(DWORD processId, const std::string& text, DWORD timeoutMilliseconds) {
    const ULONGLONG end = GetTickCount64() + timeoutMilliseconds;
    while (TitledWindowText(processId).find(text) == std::string::npos) {
        if (GetTickCount64() >= end) {
            return false;
        }
        Sleep(10);
    }
    return true;
}

namespace {

template <typename Visit> void ForEachProcess(Visit visit) {
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        visit(entry);
    }
    CloseHandle(snapshot);
}

bool ReadFrom(HANDLE process, const void* address, void* buffer, SIZE_T size) {
    SIZE_T read = 0;
    return ReadProcessMemory(process, address, buffer, size, &read) && read == size;
}

} // namespace

std::set<DWORD> RunningProcesses() {
    std::set<DWORD> running;
    ForEachProcess([&](const PROCESSENTRY32& entry) { running.insert(entry.th32ProcessID); });
    return running;
}

std::vector<DWORD> ChildProcesses(DWORD parentId) {
    std::vector<DWORD> children;
    ForEachProcess([&](const PROCESSENTRY32& entry) {
        if (entry.th32ParentProcessID == parentId && entry.th32ProcessID != parentId) {
            children.push_back(entry.th32ProcessID);
        }
    });
    return children;
}

std::vector<DWORD> ChildProcessesBelow(DWORD parentId, const std::string& folder) {
    std::vector<DWORD> children;
    for (const DWORD child : ChildProcesses(parentId)) {
        const std::string image = ProcessImagePath(child);
        if (image.size() >= folder.size() &&
            CompareStringA(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, image.c_str(),
                           static_cast<int>(folder.size()), folder.c_str(),
                           static_cast<int>(folder.size())) == CSTR_EQUAL) {
            children.push_back(child);
        }
    }
    return children;
}

// Read from the process's own parameter block: Wine 8 does not answer the direct query for a
// command line (ProcessCommandLineInformation), and Windows reads the same block for it.
std::string ProcessCommandLine(DWORD processId) {
    const HANDLE process =
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process == nullptr) {
        return "";
    }
    std::wstring wide;
    PROCESS_BASIC_INFORMATION basic{};
    ULONG size = 0;
    PEB block{};
    RTL_USER_PROCESS_PARAMETERS parameters{};
    if (NtQueryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &size) ==
            0 &&
        ReadFrom(process, basic.PebBaseAddress, &block, sizeof block) &&
        ReadFrom(process, block.ProcessParameters, &parameters, sizeof parameters)) {
        wide.resize(parameters.CommandLine.Length / sizeof(wchar_t));
        if (!ReadFrom(process, parameters.CommandLine.Buffer, wide.data(),
                      wide.size() * sizeof(wchar_t))) {
            wide.clear();
        }
    }
    CloseHandle(process);
    if (wide.empty()) {
        return "";
    }
    const int length = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string text(length, '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                        nullptr, nullptr);
    return text;
}

std::string ProcessImagePath(DWORD processId) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (process == nullptr) {
        return "";
    }
    char path[MAX_PATH];
    DWORD length = sizeof path;
    const bool read = QueryFullProcessImageNameA(process, 0, path, &length);
    CloseHandle(process);
    return read ? std::string(path, length) : "";
}

} // namespace rig
