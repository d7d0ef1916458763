// Simulated machine: starting child processes, opening and waiting on them, and the clock that
// the waits drive. A child runs to its script; nothing of it executes.
#include "platform/host/Machine.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {

constexpr DWORD kFirstChildId = 1000;
constexpr DWORD kFirstForeignId = 50000; // apart from the children, so NextProcessId stays true
constexpr DWORD kFirstThreadId = 80000;
constexpr DWORD kAllAccess = 0x001FFFFFu;  // what the creator's handles to a new process may do
constexpr std::size_t kCallsKept = 100000; // of each recorded kind

struct Process {
    DWORD threadId = 0;
    DWORD endsAt = 0xFFFFFFFFu;
};

std::map<DWORD, Process> processes; // started children and foreign processes, by id
std::optional<sim::ChildScript> nextScript;
DWORD createProcessError = 0;
std::vector<sim::StartedProcess> started;
std::vector<DWORD> sleeps;
std::vector<sim::WaitCall> waits;
std::vector<sim::OpenProcessRequest> openRequests;
DWORD nextChildId = kFirstChildId;
DWORD nextForeignId = kFirstForeignId;
DWORD nextThreadId = kFirstThreadId;

// The program a command line starts: its first token, in double quotes or up to a blank.
std::string ProgramOf(const std::string& commandLine) {
    if (!commandLine.empty() && commandLine[0] == '"') {
        const std::size_t close = commandLine.find('"', 1);
        return commandLine.substr(1, close == std::string::npos ? std::string::npos : close - 1);
    }
    return commandLine.substr(0, commandLine.find_first_of(" \t"));
}

// What stops a start before the current folder is looked at: a program that cannot be found or
// is a folder. 0 when it opens as a file.
DWORD OpenError(sim::detail::PathKind program) {
    switch (program) {
    case sim::detail::PathKind::Program:
    case sim::detail::PathKind::File:
    case sim::detail::PathKind::LockedFile:
        return 0;
    case sim::detail::PathKind::Folder:
        return ERROR_ACCESS_DENIED;
    case sim::detail::PathKind::Missing:
    case sim::detail::PathKind::MissingFolder:
    case sim::detail::PathKind::InvalidName:
        break;
    }
    return ERROR_FILE_NOT_FOUND;
}

// Why the child cannot start: the program is looked for first, then the current folder, and only
// then is the program file read.
DWORD StartError(const std::string& program, LPCSTR currentDirectory) {
    const sim::detail::PathKind kind = sim::detail::LookUpPath(program);
    if (const DWORD error = OpenError(kind)) {
        return error;
    }
    if (currentDirectory != nullptr &&
        sim::detail::LookUpPath(currentDirectory) != sim::detail::PathKind::Folder) {
        return sim::detail::kErrorDirectory;
    }
    return kind == sim::detail::PathKind::Program ? 0 : sim::detail::kErrorBadExeFormat;
}

} // namespace

namespace sim {

DWORD Clock() {
    return static_cast<DWORD>(Calls(Op::WaitForSingleObject));
}

void ScriptNextChild(const ChildScript& script) {
    nextScript = script;
}
void SetCreateProcessError(DWORD error) {
    createProcessError = error;
}
DWORD NextProcessId() {
    return nextChildId;
}
const std::vector<StartedProcess>& StartedProcesses() {
    return started;
}
const std::vector<DWORD>& SleepArguments() {
    return sleeps;
}
const std::vector<WaitCall>& Waits() {
    return waits;
}
const std::vector<OpenProcessRequest>& OpenProcessRequests() {
    return openRequests;
}

namespace detail {

DWORD AddForeignProcess() {
    const DWORD id = nextForeignId;
    nextForeignId += 4;
    processes[id] = {NewThreadId(), 0xFFFFFFFFu};
    return id;
}

DWORD ThreadOf(DWORD processId) {
    const auto found = processes.find(processId);
    return found == processes.end() ? 0 : found->second.threadId;
}

DWORD NewThreadId() {
    const DWORD id = nextThreadId;
    nextThreadId += 4;
    return id;
}

void ResetProcesses() {
    processes.clear();
    nextScript.reset();
    createProcessError = 0;
    started.clear();
    sleeps.clear();
    waits.clear();
    openRequests.clear();
    nextChildId = kFirstChildId;
    nextForeignId = kFirstForeignId;
    nextThreadId = kFirstThreadId;
}

} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;
using sim::detail::SetLastError;

BOOL WINAPI CreateProcessA(LPCSTR applicationName, LPSTR commandLine, LPSECURITY_ATTRIBUTES,
                           LPSECURITY_ATTRIBUTES, BOOL inheritHandles, DWORD creationFlags,
                           LPVOID environment, LPCSTR currentDirectory, LPSTARTUPINFOA startupInfo,
                           LPPROCESS_INFORMATION processInformation) {
    // On every failure the process information stays exactly as the caller left it.
    if (EnterCall(Op::CreateProcessA)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    if (createProcessError != 0) {
        SetLastError(createProcessError);
        return FALSE;
    }
    if (startupInfo == nullptr || processInformation == nullptr ||
        (applicationName == nullptr && commandLine == nullptr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string line = commandLine == nullptr ? "" : commandLine;
    const DWORD error = StartError(applicationName != nullptr ? applicationName : ProgramOf(line),
                                   currentDirectory);
    if (error != 0) {
        SetLastError(error);
        return FALSE;
    }

    sim::StartedProcess record;
    if (applicationName != nullptr) {
        record.applicationName = applicationName;
    }
    record.commandLine = line;
    if (currentDirectory != nullptr) {
        record.currentDirectory = currentDirectory;
    }
    record.inheritHandles = inheritHandles != FALSE;
    record.creationFlags = creationFlags;
    record.environmentGiven = environment != nullptr;
    const std::size_t given = std::min<std::size_t>(startupInfo->cb, sizeof(STARTUPINFOA));
    const BYTE* bytes = reinterpret_cast<const BYTE*>(startupInfo);
    record.startupInfoBytes.assign(bytes, bytes + given);
    std::memcpy(&record.startupInfo, bytes, given);

    const DWORD processId = sim::NextProcessId();
    nextChildId += 4;
    const DWORD threadId = sim::detail::NewThreadId();
    const sim::ChildScript script = nextScript.value_or(sim::ChildScript{});
    nextScript.reset();
    processes[processId] = {threadId, script.endsAt};
    sim::detail::AddChildWindows(processId, threadId, script.windows);
    record.processId = processId;
    started.push_back(record);

    using sim::detail::HandleKind;
    processInformation->hProcess =
        sim::detail::NewHandle({HandleKind::Process, processId, kAllAccess});
    processInformation->hThread =
        sim::detail::NewHandle({HandleKind::Thread, processId, kAllAccess});
    processInformation->dwProcessId = processId;
    processInformation->dwThreadId = threadId;
    return TRUE;
}

namespace {

HANDLE OpenProcessHandle(DWORD access, DWORD processId) {
    if (EnterCall(Op::OpenProcess)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (processes.count(processId) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return sim::detail::NewHandle({sim::detail::HandleKind::Process, processId, access});
}

} // namespace

HANDLE WINAPI OpenProcess(DWORD access, BOOL inheritHandle, DWORD processId) {
    const HANDLE handle = OpenProcessHandle(access, processId);
    if (openRequests.size() < kCallsKept) {
        openRequests.push_back({access, inheritHandle != FALSE, processId, handle});
    }
    return handle;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    // The wait sees the clock as it stood when the wait began; the call itself advances it. The
    // time-out is not waited out: a running child simply gives WAIT_TIMEOUT.
    if (waits.size() < kCallsKept) {
        waits.push_back({handle, milliseconds});
    }
    const bool fails = EnterCall(Op::WaitForSingleObject);
    const DWORD now = sim::Clock() - 1;
    if (fails) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const sim::detail::HandleEntry* entry = sim::detail::FindHandle(handle);
    if (entry == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    if (entry->kind == sim::detail::HandleKind::File) {
        return WAIT_OBJECT_0; // a file is signalled while no I/O is pending
    }
    if ((entry->access & SYNCHRONIZE) == 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return WAIT_FAILED;
    }
    const auto found = processes.find(entry->processId);
    const bool ended = found == processes.end() || now >= found->second.endsAt;
    return ended ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

void WINAPI Sleep(DWORD milliseconds) {
    EnterCall(Op::Sleep); // returns at once: the machine's time is its clock, not the wall's
    if (sleeps.size() < kCallsKept) {
        sleeps.push_back(milliseconds);
    }
}
