// Starting child processes, what the machine records of each start, and waiting on a child as its
// script runs.
#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace {

const char* const kProgram = "C:\\Tools\\app.exe";
constexpr DWORD kErrorDirectory = 267;

STARTUPINFOA LauncherStartupInfo() {
    STARTUPINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cb = 68;
    info.dwFlags = STARTF_USESHOWWINDOW;
    info.wShowWindow = SW_SHOW;
    return info;
}

BOOL Start(std::string commandLine, PROCESS_INFORMATION& process,
           const char* currentDirectory = "C:\\Apps\\") {
    STARTUPINFOA info = LauncherStartupInfo();
    return CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          currentDirectory, &info, &process);
}

void CloseProcess(const PROCESS_INFORMATION& process) {
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
}

class ProcessesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        sim::AddProgram(kProgram);
    }
};

TEST_F(ProcessesTest, StartRecordsTheCallAndFillsTheProcessInformation) {
    STARTUPINFOA info = LauncherStartupInfo();
    info.hStdError = reinterpret_cast<HANDLE>(0x1234); // beyond cb: not passed on
    std::string commandLine = "\"C:\\Tools\\app.exe\" \"C:\\Docs\\a b.txt\"";
    const DWORD expectedId = sim::NextProcessId();
    PROCESS_INFORMATION process{};
    ASSERT_EQ(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             "C:\\Apps\\", &info, &process),
              TRUE);
    EXPECT_EQ(process.dwProcessId, expectedId);
    EXPECT_NE(process.dwThreadId, 0u);
    EXPECT_NE(process.hProcess, nullptr);
    EXPECT_NE(process.hThread, nullptr);
    EXPECT_NE(process.hProcess, process.hThread);
    EXPECT_EQ(sim::OpenHandles(), 2);
    EXPECT_NE(sim::NextProcessId(), expectedId);

    ASSERT_EQ(sim::StartedProcesses().size(), 1u);
    const sim::StartedProcess& started = sim::StartedProcesses()[0];
    EXPECT_FALSE(started.applicationName.has_value());
    EXPECT_EQ(started.commandLine, commandLine);
    EXPECT_EQ(started.currentDirectory, std::optional<std::string>("C:\\Apps\\"));
    EXPECT_FALSE(started.inheritHandles);
    EXPECT_EQ(started.creationFlags, 0u);
    EXPECT_FALSE(started.environmentGiven);
    EXPECT_EQ(started.processId, expectedId);
    ASSERT_EQ(started.startupInfoBytes.size(), 68u);
    EXPECT_EQ(std::memcmp(started.startupInfoBytes.data(), &info, 68), 0);
    EXPECT_EQ(started.startupInfo.cb, 68u);
    EXPECT_EQ(started.startupInfo.dwFlags, static_cast<DWORD>(STARTF_USESHOWWINDOW));
    EXPECT_EQ(started.startupInfo.wShowWindow, SW_SHOW);
    EXPECT_EQ(started.startupInfo.hStdError, nullptr);

    CloseProcess(process);
    EXPECT_EQ(sim::OpenHandles(), 0);
    EXPECT_EQ(sim::BadCloses(), 0);
}

TEST_F(ProcessesTest, OversizedCbIsClampedToTheStructure) {
    STARTUPINFOA info = LauncherStartupInfo();
    info.cb = 1000;
    std::string commandLine = kProgram;
    PROCESS_INFORMATION process{};
    ASSERT_EQ(CreateProcessA(kProgram, commandLine.data(), nullptr, nullptr, TRUE, 0x10, &info,
                             nullptr, &info, &process),
              TRUE);
    const sim::StartedProcess& started = sim::StartedProcesses().at(0);
    EXPECT_EQ(started.startupInfoBytes.size(), sizeof(STARTUPINFOA));
    EXPECT_EQ(started.applicationName, std::optional<std::string>(kProgram));
    EXPECT_FALSE(started.currentDirectory.has_value());
    EXPECT_TRUE(started.inheritHandles);
    EXPECT_EQ(started.creationFlags, 0x10u);
    EXPECT_TRUE(started.environmentGiven);
    CloseProcess(process);
}

TEST_F(ProcessesTest, ProgramIsTheFirstTokenQuotedOrNot) {
    for (const char* line : {"C:\\Tools\\app.exe /x", "\"c:\\tools\\APP.EXE\"",
                             "C:\\Tools\\app.exe\t1", "\"C:\\Tools\\app.exe"}) {
        PROCESS_INFORMATION process{};
        EXPECT_EQ(Start(line, process), TRUE) << line;
        CloseProcess(process);
    }
    EXPECT_EQ(sim::StartedProcesses().size(), 4u);
}

struct StartFailure {
    std::string name;
    std::function<void()> arrange;
    std::string commandLine;
    DWORD error;
    const char* currentDirectory = "C:\\Apps\\";
};

void PrintTo(const StartFailure& c, std::ostream* out) {
    *out << c.name;
}

class StartFailureTest : public ::testing::TestWithParam<StartFailure> {
  protected:
    void SetUp() override {
        sim::Reset();
        sim::AddProgram(kProgram);
    }
};

TEST_P(StartFailureTest, FailsWithoutTouchingTheProcessInformation) {
    const StartFailure& c = GetParam();
    c.arrange();
    PROCESS_INFORMATION process;
    std::memset(&process, 0xA5, sizeof process);
    PROCESS_INFORMATION before = process;
    EXPECT_EQ(Start(c.commandLine, process, c.currentDirectory), FALSE);
    EXPECT_EQ(sim::LastError(), c.error);
    EXPECT_EQ(std::memcmp(&process, &before, sizeof process), 0);
    EXPECT_TRUE(sim::StartedProcesses().empty());
    EXPECT_EQ(sim::OpenHandles(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartFailureTest,
    ::testing::Values(
        StartFailure{"MissingProgram", [] {}, "\"C:\\Tools\\none.exe\" x", ERROR_FILE_NOT_FOUND},
        StartFailure{"Document", [] { sim::AddFile("C:\\Docs\\a.txt"); }, "\"C:\\Docs\\a.txt\"",
                     193},
        StartFailure{"Folder", [] { sim::AddFolder("C:\\Docs"); }, "\"C:\\Docs\"",
                     ERROR_ACCESS_DENIED},
        StartFailure{"ScriptedError", [] { sim::SetCreateProcessError(740); },
                     "\"C:\\Tools\\app.exe\"", 740},
        StartFailure{"InjectedFault", [] { sim::FailNthCall(sim::Op::CreateProcessA, 1); },
                     "\"C:\\Tools\\app.exe\"", ERROR_ACCESS_DENIED},
        // Unquoted, the program ends at the first blank.
        StartFailure{"UnquotedBlank", [] { sim::AddProgram("C:\\Program Files\\app.exe"); },
                     "C:\\Program Files\\app.exe", ERROR_FILE_NOT_FOUND},
        // The current folder must exist; it is looked at after the program is found and before
        // the program file is read.
        StartFailure{"MissingCurrentFolder", [] {}, "\"C:\\Tools\\app.exe\"", kErrorDirectory,
                     "C:\\Gone\\"},
        StartFailure{"CurrentFolderIsAFile", [] { sim::AddFile("C:\\Docs\\a.txt"); },
                     "\"C:\\Tools\\app.exe\"", kErrorDirectory, "C:\\Docs\\a.txt"},
        StartFailure{"MissingProgramBeforeFolder", [] {}, "\"C:\\Tools\\none.exe\"",
                     ERROR_FILE_NOT_FOUND, "C:\\Gone"},
        StartFailure{"DocumentAfterFolder", [] { sim::AddFile("C:\\Docs\\a.txt"); },
                     "\"C:\\Docs\\a.txt\"", kErrorDirectory, "C:\\Gone"}),
    [](const auto& info) { return info.param.name; });

TEST_F(ProcessesTest, ScriptStaysForTheNextStartAfterAFailure) {
    sim::ChildScript script;
    script.endsAt = 0;
    sim::ScriptNextChild(script);
    PROCESS_INFORMATION process{};
    EXPECT_EQ(Start("\"C:\\Tools\\none.exe\"", process), FALSE);
    ASSERT_EQ(Start(kProgram, process), TRUE);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1), WAIT_OBJECT_0);
    CloseProcess(process);
    // The script was used up: the next child never ends.
    ASSERT_EQ(Start(kProgram, process), TRUE);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1), WAIT_TIMEOUT);
    CloseProcess(process);
}

TEST_F(ProcessesTest, WaitsSeeTheChildEndAtItsScriptedClock) {
    sim::ChildScript script;
    script.endsAt = 2;
    sim::ScriptNextChild(script);
    PROCESS_INFORMATION process{};
    ASSERT_EQ(Start(kProgram, process), TRUE);
    const HANDLE wait = OpenProcess(SYNCHRONIZE, FALSE, process.dwProcessId);
    ASSERT_NE(wait, nullptr);
    EXPECT_EQ(sim::OpenHandles(), 3);

    EXPECT_EQ(sim::Clock(), 0u);
    EXPECT_EQ(WaitForSingleObject(wait, 1), WAIT_TIMEOUT);
    EXPECT_EQ(sim::Clock(), 1u);
    EXPECT_EQ(WaitForSingleObject(wait, 1), WAIT_TIMEOUT);
    EXPECT_EQ(sim::Clock(), 2u);
    EXPECT_EQ(WaitForSingleObject(wait, 1), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(process.hProcess, 1), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(process.hThread, 1), WAIT_OBJECT_0);
    EXPECT_EQ(sim::Clock(), 5u);

    EXPECT_EQ(CloseHandle(wait), TRUE);
    CloseProcess(process);
    EXPECT_EQ(sim::OpenHandles(), 0);
}

TEST_F(ProcessesTest, BadWaitsFailAndStillAdvanceTheClock) {
    PROCESS_INFORMATION process{};
    ASSERT_EQ(Start(kProgram, process), TRUE);
    const HANDLE noSynchronize =
        OpenProcess(0x0400 /* query information */, FALSE, process.dwProcessId);
    ASSERT_NE(noSynchronize, nullptr);
    EXPECT_EQ(WaitForSingleObject(noSynchronize, 1), WAIT_FAILED);
    EXPECT_EQ(WaitForSingleObject(nullptr, 1), WAIT_FAILED);
    CloseHandle(noSynchronize);
    EXPECT_EQ(WaitForSingleObject(noSynchronize, 1), WAIT_FAILED);
    EXPECT_EQ(sim::Clock(), 3u);
    CloseProcess(process);
}

TEST_F(ProcessesTest, OpenProcessKnowsOnlyStartedAndForeignProcesses) {
    EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, sim::NextProcessId()), nullptr);
    EXPECT_EQ(OpenProcess(SYNCHRONIZE, FALSE, 0), nullptr);
    const DWORD foreign = sim::AddForeignWindow("Other", "OtherClass");
    EXPECT_NE(foreign, sim::NextProcessId());
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, foreign);
    ASSERT_NE(handle, nullptr);
    EXPECT_EQ(WaitForSingleObject(handle, 1), WAIT_TIMEOUT); // foreign processes never end
    EXPECT_EQ(CloseHandle(handle), TRUE);
    EXPECT_EQ(sim::OpenHandles(), 0);
}

TEST_F(ProcessesTest, FreshMachineStartsChildrenInItsOwnFolders) {
    for (const char* folder :
         {"C:\\Apps\\", "C:\\Work", "C:\\Windows", "C:\\Windows\\system32\\", "C:\\", "c:", "\\"}) {
        PROCESS_INFORMATION process{};
        EXPECT_EQ(Start(kProgram, process, folder), TRUE) << folder;
        CloseProcess(process);
    }
    PROCESS_INFORMATION process{};
    EXPECT_EQ(Start(kProgram, process, "D:\\"), FALSE);
    EXPECT_EQ(sim::LastError(), kErrorDirectory);
}

TEST_F(ProcessesTest, WaitsAndOpenRequestsAreRecordedAsMade) {
    PROCESS_INFORMATION process{};
    ASSERT_EQ(Start(kProgram, process), TRUE);
    const HANDLE wait = OpenProcess(SYNCHRONIZE, FALSE, process.dwProcessId);
    EXPECT_EQ(OpenProcess(0x001FFFFFu, TRUE, 12345), nullptr);
    sim::FailNthCall(sim::Op::WaitForSingleObject, 2);
    WaitForSingleObject(wait, 1);
    WaitForSingleObject(process.hProcess, INFINITE);
    WaitForSingleObject(nullptr, 0);

    const std::vector<sim::OpenProcessRequest>& requests = sim::OpenProcessRequests();
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0].access, static_cast<DWORD>(SYNCHRONIZE));
    EXPECT_FALSE(requests[0].inheritHandle);
    EXPECT_EQ(requests[0].processId, process.dwProcessId);
    EXPECT_EQ(requests[0].handle, wait);
    EXPECT_EQ(requests[1].access, 0x001FFFFFu);
    EXPECT_TRUE(requests[1].inheritHandle);
    EXPECT_EQ(requests[1].processId, 12345u);
    EXPECT_EQ(requests[1].handle, nullptr);

    const std::vector<sim::WaitCall>& waits = sim::Waits();
    ASSERT_EQ(waits.size(), 3u); // the failed wait too
    EXPECT_EQ(waits[0].handle, wait);
    EXPECT_EQ(waits[0].milliseconds, 1u);
    EXPECT_EQ(waits[1].handle, process.hProcess);
    EXPECT_EQ(waits[1].milliseconds, static_cast<DWORD>(INFINITE));
    EXPECT_EQ(waits[2].handle, nullptr);
    EXPECT_EQ(waits[2].milliseconds, 0u);

    CloseHandle(wait);
    CloseProcess(process);
    sim::Reset();
    EXPECT_TRUE(sim::Waits().empty());
    EXPECT_TRUE(sim::OpenProcessRequests().empty());
}

TEST_F(ProcessesTest, SleepsAreRecordedInOrder) {
    Sleep(0);
    Sleep(5);
    Sleep(0);
    EXPECT_EQ(sim::SleepArguments(), (std::vector<DWORD>{0, 5, 0}));
    EXPECT_EQ(sim::Calls(sim::Op::Sleep), 3);
    EXPECT_EQ(sim::Clock(), 0u); // sleeping does not move the clock
    sim::Reset();
    EXPECT_TRUE(sim::SleepArguments().empty());
}

} // namespace
