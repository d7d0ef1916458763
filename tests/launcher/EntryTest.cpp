// The entry sequence against the simulated machine: options, resolution, the launch and the exit
// code, through WinMain and through the process entry point.
#include "launcher/WinMain.h"

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class EntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        text::SetUpCharacterRules();
        sim::SetModulePath(std::string("E:\\Kit\\Bin\\launcher.exe"));
        sim::AddProgram("E:\\Kit\\Bin\\viewer.exe");
        sim::AddFile("E:\\Kit\\Bin\\notes.txt");
        sim::ScriptNextChild({{}, 0});
    }

    int Run(const char* tail) {
        std::string buffer = tail;
        return WinMain(nullptr, nullptr, buffer.data(), SW_SHOWDEFAULT);
    }
};

TEST_F(EntryTest, DocumentThatCannotBeFoundEndsWithMinusOneBeforeAnythingElse) {
    for (const char* tail : {"", "/verb open", "/path", "/path /verb open", "/path missing.txt",
                             "/PATH viewer.exe", "/path \"E:\\Kit\\Bin\\viewer.exe\""}) {
        SCOPED_TRACE(tail);
        EXPECT_EQ(Run(tail), -1);
        EXPECT_EQ(sim::Calls(sim::Op::RegOpenKeyExA), 0);
        EXPECT_EQ(sim::Calls(sim::Op::CreateProcessA), 0);
    }
}

TEST_F(EntryTest, FoundDocumentIsStartedInLauncherFolder) {
    EXPECT_EQ(Run("/verb open /path .\\viewer.exe"), 0);
    ASSERT_EQ(sim::StartedProcesses().size(), 1u);
    EXPECT_EQ(sim::StartedProcesses()[0].commandLine, "\"E:\\Kit\\Bin\\viewer.exe\"");
    EXPECT_EQ(sim::StartedProcesses()[0].currentDirectory,
              std::optional<std::string>("E:\\Kit\\Bin\\"));
    EXPECT_EQ(sim::OpenHandles(), 0);
}

TEST_F(EntryTest, LaunchThatFailsStillEndsWithZero) {
    EXPECT_EQ(Run("/path notes.txt"), 0);
    EXPECT_TRUE(sim::StartedProcesses().empty());
    EXPECT_EQ(sim::Calls(sim::Op::WaitForSingleObject), 0);
}

TEST_F(EntryTest, EveryBufferIsReleasedOnBothExits) {
    const int heapBlocks = sim::LiveHeapBlocks();
    Run("/path viewer.exe /verb open");
    EXPECT_EQ(sim::LiveHeapBlocks(), heapBlocks);
    Run("/path missing.txt");
    EXPECT_EQ(sim::LiveHeapBlocks(), heapBlocks);
    EXPECT_EQ(sim::BadHeapFrees(), 0);
}

// The process entry point reads the whole command line itself and ends the process with
// WinMain's result (the host sees it modulo 256).
TEST_F(EntryTest, ProcessEndsWithWinMainResult) {
    sim::SetCommandLine("\"E:\\Kit\\Bin\\launcher.exe\" /path missing.txt");
    EXPECT_EXIT(LauncherStart(), ::testing::ExitedWithCode(255), "");
    sim::SetCommandLine("E:\\Kit\\Bin\\launcher.exe /path viewer.exe");
    EXPECT_EXIT(LauncherStart(), ::testing::ExitedWithCode(0), "");
    // An unquoted program name with a byte above 0x7F does not cut the tail short.
    sim::SetCommandLine("E:\\Kit\\Bin\\l\xE9nceur.exe /path missing.txt");
    EXPECT_EXIT(LauncherStart(), ::testing::ExitedWithCode(255), "");
}

} // namespace
