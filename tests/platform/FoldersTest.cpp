// The program's own module path, command line and the Windows and System folders, with the way
// each of them answers a buffer that is too small.
#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr char kUntouched = '#';

struct ModulePathCase {
    std::string path;
    DWORD size;
    DWORD result;
    std::string text; // what the buffer holds up to its terminator
};

void PrintTo(const ModulePathCase& c, std::ostream* out) {
    *out << c.path.size() << " bytes into " << c.size;
}

class ModulePathTest : public ::testing::TestWithParam<ModulePathCase> {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_P(ModulePathTest, TruncatesToTheBufferAndTerminates) {
    const ModulePathCase& c = GetParam();
    sim::SetModulePath(c.path);
    std::vector<char> buffer(c.size + 8, kUntouched);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer.data(), c.size), c.result);
    EXPECT_EQ(std::string(buffer.data()), c.text);
    EXPECT_EQ(buffer[c.size], kUntouched); // nothing written past the size given
}

const std::string kLong = "C:\\" + std::string(296, 'x') + ".exe"; // 303 bytes

INSTANTIATE_TEST_SUITE_P(
    Cases, ModulePathTest,
    ::testing::Values(ModulePathCase{"C:\\Apps\\launcher.exe", 260, 20, "C:\\Apps\\launcher.exe"},
                      ModulePathCase{"C:\\Apps\\launcher.exe", 21, 20, "C:\\Apps\\launcher.exe"},
                      // One byte short: size-1 bytes, a terminator, and the size as result.
                      ModulePathCase{"C:\\Apps\\launcher.exe", 20, 20, "C:\\Apps\\launcher.ex"},
                      ModulePathCase{"C:\\Apps\\launcher.exe", 5, 5, "C:\\A"},
                      ModulePathCase{"C:\\Apps\\launcher.exe", 1, 1, ""},
                      ModulePathCase{kLong, MAX_PATH, MAX_PATH, kLong.substr(0, MAX_PATH - 1)}));

class StartUpTest : public ::testing::Test {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_F(StartUpTest, ModulePathOfOwnModuleOnly) {
    char buffer[MAX_PATH];
    const HMODULE own = GetModuleHandleA(nullptr);
    ASSERT_NE(own, nullptr);
    EXPECT_EQ(GetModuleFileNameA(own, buffer, MAX_PATH), 20u);
    EXPECT_STREQ(buffer, "C:\\Apps\\launcher.exe");
    EXPECT_EQ(GetModuleHandleA("other.dll"), nullptr);
}

TEST_F(StartUpTest, MissingModulePathFailsAndLeavesBuffer) {
    sim::SetModulePath(std::nullopt);
    char buffer[8];
    std::memset(buffer, kUntouched, sizeof buffer);
    EXPECT_EQ(GetModuleFileNameA(nullptr, buffer, sizeof buffer), 0u);
    EXPECT_EQ(buffer[0], kUntouched);
}

TEST_F(StartUpTest, CommandLineAsSet) {
    EXPECT_STREQ(GetCommandLineA(), "\"C:\\Apps\\launcher.exe\"");
    sim::SetCommandLine("\"C:\\Apps\\launcher.exe\" /path a.txt");
    EXPECT_STREQ(GetCommandLineA(), "\"C:\\Apps\\launcher.exe\" /path a.txt");
}

// ---- Windows and System folders ----

struct FolderCase {
    std::string name;
    std::function<void(const std::optional<std::string>&)> set;
    std::function<UINT(LPSTR, UINT)> get;
    std::string fresh; // the folder after Reset
};

void PrintTo(const FolderCase& c, std::ostream* out) {
    *out << c.name;
}

class FolderTest : public ::testing::TestWithParam<FolderCase> {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_P(FolderTest, FreshMachineHasItsFolder) {
    char buffer[MAX_PATH];
    const UINT length = GetParam().get(buffer, MAX_PATH);
    EXPECT_EQ(length, GetParam().fresh.size());
    EXPECT_EQ(std::string(buffer), GetParam().fresh);
}

TEST_P(FolderTest, TooSmallBufferStaysUntouchedAndSizeNeededIsReturned) {
    const FolderCase& c = GetParam();
    c.set("D:\\Win");
    char buffer[16];
    std::memset(buffer, kUntouched, sizeof buffer);
    EXPECT_EQ(c.get(buffer, 6), 7u); // six bytes and the terminator
    EXPECT_EQ(buffer[0], kUntouched);
    EXPECT_EQ(c.get(buffer, 7), 6u);
    EXPECT_STREQ(buffer, "D:\\Win");
    EXPECT_EQ(buffer[7], kUntouched);
}

TEST_P(FolderTest, PathOfMaxPathBytesDoesNotFit) {
    const FolderCase& c = GetParam();
    const std::string path = "C:\\" + std::string(MAX_PATH - 3, 'w'); // 260 bytes
    c.set(path);
    std::vector<char> buffer(MAX_PATH, kUntouched);
    EXPECT_EQ(c.get(buffer.data(), MAX_PATH), static_cast<UINT>(MAX_PATH + 1));
    EXPECT_EQ(buffer[0], kUntouched);
    EXPECT_EQ(buffer[MAX_PATH - 1], kUntouched);
}

TEST_P(FolderTest, MissingFolderFailsAndLeavesBuffer) {
    const FolderCase& c = GetParam();
    c.set(std::nullopt);
    char buffer[MAX_PATH];
    std::memset(buffer, kUntouched, sizeof buffer);
    EXPECT_EQ(c.get(buffer, MAX_PATH), 0u);
    EXPECT_EQ(buffer[0], kUntouched);
}

INSTANTIATE_TEST_SUITE_P(Folders, FolderTest,
                         ::testing::Values(FolderCase{"Windows", sim::SetWindowsFolder,
                                                      GetWindowsDirectoryA, "C:\\Windows"},
                                           FolderCase{"System", sim::SetSystemFolder,
                                                      GetSystemDirectoryA,
                                                      "C:\\Windows\\system32"}),
                         [](const auto& info) { return info.param.name; });

} // namespace
