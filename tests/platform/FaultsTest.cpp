// Fault injection: exactly the nth call of an operation fails, as Windows fails that operation,
// and the calls around it behave normally.
#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

struct FaultCase {
    std::string name;
    sim::Op op;
    std::function<bool()> callFails; // makes one call, cleans up after it, tells whether it failed
};

void PrintTo(const FaultCase& c, std::ostream* out) {
    *out << c.name;
}

bool OpenFails() {
    const HANDLE handle = CreateFileA("C:\\a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return true;
    }
    CloseHandle(handle);
    return false;
}

bool FolderFails(UINT (*get)(LPSTR, UINT)) {
    char buffer[MAX_PATH];
    std::memset(buffer, '#', sizeof buffer);
    const UINT length = get(buffer, MAX_PATH);
    return length == 0 && buffer[0] == '#';
}

bool ReadFails() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return true;
    }
    char data[16];
    DWORD size = sizeof data;
    const LONG status =
        RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status != ERROR_SUCCESS;
}

bool StartFails() {
    STARTUPINFOA info{};
    info.cb = 68;
    PROCESS_INFORMATION process{};
    std::string commandLine = "\"C:\\app.exe\"";
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &info, &process)) {
        return true;
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return false;
}

DWORD foreignId = 0; // the process of the one window on the desktop

HANDLE ForeignProcess() {
    return OpenProcess(SYNCHRONIZE, FALSE, foreignId);
}

class FaultTest : public ::testing::TestWithParam<FaultCase> {
  protected:
    void SetUp() override {
        sim::Reset();
        sim::AddFile("C:\\a.txt");
        sim::AddProgram("C:\\app.exe");
        sim::SetRegistryText(HKEY_CLASSES_ROOT, ".txt", "", "txtfile");
        foreignId = sim::AddForeignWindow("Other", "OtherClass");
    }
};

TEST_P(FaultTest, OnlyTheNthCallFails) {
    const FaultCase& c = GetParam();
    const int before = sim::Calls(c.op);
    sim::FailNthCall(c.op, 2);
    EXPECT_FALSE(c.callFails());
    EXPECT_TRUE(c.callFails());
    EXPECT_FALSE(c.callFails());
    EXPECT_GE(sim::Calls(c.op), before + 3);
    EXPECT_EQ(sim::BadCloses(), 0);
    EXPECT_EQ(sim::BadKeyCloses(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, FaultTest,
    ::testing::Values(FaultCase{"CreateFileA", sim::Op::CreateFileA, OpenFails},
                      FaultCase{"GetWindowsDirectoryA", sim::Op::GetWindowsDirectoryA,
                                [] { return FolderFails(GetWindowsDirectoryA); }},
                      FaultCase{"GetSystemDirectoryA", sim::Op::GetSystemDirectoryA,
                                [] { return FolderFails(GetSystemDirectoryA); }},
                      FaultCase{"GetModuleFileNameA", sim::Op::GetModuleFileNameA,
                                [] {
                                    char buffer[MAX_PATH];
                                    buffer[0] = '#';
                                    return GetModuleFileNameA(nullptr, buffer, MAX_PATH) == 0 &&
                                           buffer[0] == '#';
                                }},
                      FaultCase{"RegOpenKeyExA", sim::Op::RegOpenKeyExA, ReadFails},
                      FaultCase{"RegQueryValueExA", sim::Op::RegQueryValueExA, ReadFails},
                      FaultCase{"GetEnvironmentStrings", sim::Op::GetEnvironmentStrings,
                                [] {
                                    LPCH block = GetEnvironmentStrings();
                                    if (block == nullptr) {
                                        return true;
                                    }
                                    FreeEnvironmentStringsA(block);
                                    return false;
                                }},
                      FaultCase{"CreateProcessA", sim::Op::CreateProcessA, StartFails},
                      FaultCase{"OpenProcess", sim::Op::OpenProcess,
                                [] {
                                    const HANDLE handle = ForeignProcess();
                                    if (handle == nullptr) {
                                        return true;
                                    }
                                    CloseHandle(handle);
                                    return false;
                                }},
                      FaultCase{"WaitForSingleObject", sim::Op::WaitForSingleObject,
                                [] {
                                    const HANDLE handle = ForeignProcess();
                                    const DWORD result = WaitForSingleObject(handle, 1);
                                    CloseHandle(handle);
                                    return result == WAIT_FAILED;
                                }},
                      FaultCase{"GetWindow", sim::Op::GetWindow,
                                [] { return GetWindow(GetDesktopWindow(), GW_CHILD) == nullptr; }},
                      FaultCase{"GetWindowTextA", sim::Op::GetWindowTextA,
                                [] {
                                    char text[32];
                                    return GetWindowTextA(GetWindow(GetDesktopWindow(), GW_CHILD),
                                                          text, sizeof text) == 0;
                                }},
                      FaultCase{"GetClassNameA", sim::Op::GetClassNameA,
                                [] {
                                    char text[32];
                                    return GetClassNameA(GetWindow(GetDesktopWindow(), GW_CHILD),
                                                         text, sizeof text) == 0;
                                }},
                      FaultCase{"GetWindowThreadProcessId", sim::Op::GetWindowThreadProcessId,
                                [] {
                                    DWORD owner = 0;
                                    GetWindowThreadProcessId(
                                        GetWindow(GetDesktopWindow(), GW_CHILD), &owner);
                                    return owner == 0;
                                }}),
    [](const auto& info) { return info.param.name; });

class FaultsTest : public ::testing::Test {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_F(FaultsTest, FailedCloseLeavesTheHandleOpen) {
    sim::AddFile("C:\\a.txt");
    const HANDLE handle = CreateFileA("C:\\a.txt", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    sim::FailNthCall(sim::Op::CloseHandle, 1);
    EXPECT_EQ(CloseHandle(handle), FALSE);
    EXPECT_EQ(sim::OpenHandles(), 1);
    EXPECT_EQ(sim::BadCloses(), 0);
    EXPECT_EQ(CloseHandle(handle), TRUE);
    EXPECT_EQ(sim::OpenHandles(), 0);
}

TEST_F(FaultsTest, FailedKeyCloseAndBlockFreeLeaveThemHeld) {
    sim::AddRegistryKey(HKEY_CLASSES_ROOT, "k");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "k", 0, KEY_READ, &key), ERROR_SUCCESS);
    sim::FailNthCall(sim::Op::RegCloseKey, 1);
    EXPECT_EQ(RegCloseKey(key), ERROR_ACCESS_DENIED);
    EXPECT_EQ(sim::OpenKeys(), 1);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenKeys(), 0);

    LPCH block = GetEnvironmentStrings();
    sim::FailNthCall(sim::Op::FreeEnvironmentStringsA, 1);
    EXPECT_EQ(FreeEnvironmentStringsA(block), FALSE);
    EXPECT_EQ(sim::OpenEnvironmentBlocks(), 1);
    EXPECT_EQ(FreeEnvironmentStringsA(block), TRUE);
    EXPECT_EQ(sim::BadEnvironmentFrees(), 0);
}

TEST_F(FaultsTest, FailedWaitStillMovesTheClock) {
    const DWORD id = sim::AddForeignWindow("Other", "OtherClass");
    const HANDLE handle = OpenProcess(SYNCHRONIZE, FALSE, id);
    sim::FailNthCall(sim::Op::WaitForSingleObject, 1);
    EXPECT_EQ(WaitForSingleObject(handle, 1), WAIT_FAILED);
    EXPECT_EQ(sim::Clock(), 1u);
    EXPECT_EQ(WaitForSingleObject(handle, 1), WAIT_TIMEOUT);
    CloseHandle(handle);
}

TEST_F(FaultsTest, ResetClearsPendingFaults) {
    sim::AddFile("C:\\a.txt");
    sim::FailNthCall(sim::Op::CreateFileA, 1);
    sim::Reset();
    sim::AddFile("C:\\a.txt");
    EXPECT_FALSE(OpenFails());
    EXPECT_EQ(sim::Calls(sim::Op::CreateFileA), 1);
}

} // namespace
