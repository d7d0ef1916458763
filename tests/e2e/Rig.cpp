#include "tests/e2e/Rig.h"

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

void RemoveTree(const std::string& path) {
    std::string folder = path;
    if (!folder.empty() && folder.back() == '\\') {
        folder.pop_back();
    }
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
                RemoveTree(child);
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

} // namespace rig
