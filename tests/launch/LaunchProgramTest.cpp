#include "launch/LaunchProgram.h"

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstddef>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kViewer = "C:\\Kit\\viewer.exe";

class LaunchProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        text::SetUpCharacterRules();
        sim::SetModulePath(std::string("C:\\Kit\\launcher.exe"));
        sim::AddProgram(kViewer);
        heapBlocks = sim::LiveHeapBlocks();
    }

    // Whatever the path through the launch, it leaves nothing open behind it, and every poll
    // waits 1 ms on the one handle opened to the child with no more access than a wait needs.
    void TearDown() override {
        EXPECT_EQ(sim::OpenHandles(), 0);
        EXPECT_EQ(sim::BadCloses(), 0);
        EXPECT_EQ(sim::LiveHeapBlocks(), heapBlocks);
        ExpectWaitsOnlyOnTheSynchronizeHandle();
    }

    static void ExpectWaitsOnlyOnTheSynchronizeHandle() {
        const std::vector<sim::OpenProcessRequest>& requests = sim::OpenProcessRequests();
        ASSERT_LE(requests.size(), 1u);
        if (requests.empty()) {
            EXPECT_TRUE(sim::Waits().empty());
            return;
        }
        const sim::OpenProcessRequest& request = requests[0];
        EXPECT_EQ(request.access, static_cast<DWORD>(SYNCHRONIZE));
        EXPECT_FALSE(request.inheritHandle);
        ASSERT_EQ(sim::StartedProcesses().size(), 1u);
        EXPECT_EQ(request.processId, sim::StartedProcesses()[0].processId);
        for (const sim::WaitCall& wait : sim::Waits()) {
            ASSERT_EQ(wait.handle, request.handle);
            ASSERT_EQ(wait.milliseconds, 1u);
        }
    }

    // Starts the viewer with a child script and returns the accepted window's title.
    std::string LaunchWith(const sim::ChildScript& script) {
        sim::ScriptNextChild(script);
        const HWND window = LaunchProgram(kViewer, "");
        return window == nullptr ? std::string("(none)")
                                 : std::string(GetWindowTitle(window).Text());
    }

    int heapBlocks = 0;
};

struct CommandLineCase {
    std::string program;
    std::string arguments;
    std::string commandLine;
};

void PrintTo(const CommandLineCase& c, std::ostream* out) {
    *out << c.program << " + " << c.arguments;
}

class LaunchCommandLineTest : public LaunchProgramTest,
                              public ::testing::WithParamInterface<CommandLineCase> {};

TEST_P(LaunchCommandLineTest, QuotesProgramAndTidiesArguments) {
    const CommandLineCase& c = GetParam();
    sim::AddProgram(c.program);
    sim::ScriptNextChild({{}, 0}); // ends at once
    LaunchProgram(c.program.c_str(), c.arguments.c_str());
    ASSERT_EQ(sim::StartedProcesses().size(), 1u);
    EXPECT_EQ(sim::StartedProcesses()[0].commandLine, c.commandLine);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LaunchCommandLineTest,
    ::testing::Values(CommandLineCase{kViewer, "", "\"C:\\Kit\\viewer.exe\""},
                      CommandLineCase{kViewer, " \t\r\n\v\f ", "\"C:\\Kit\\viewer.exe\""},
                      CommandLineCase{kViewer, "\"C:\\Docs\\a.txt\"",
                                      "\"C:\\Kit\\viewer.exe\" \"C:\\Docs\\a.txt\""},
                      CommandLineCase{kViewer, "\t a\tb \r\n", "\"C:\\Kit\\viewer.exe\" a b"},
                      CommandLineCase{"C:\\My Tools\\my viewer.exe", "x",
                                      "\"C:\\My Tools\\my viewer.exe\" x"}));

TEST_F(LaunchProgramTest, StartsInLauncherFolderShownWithZeroedStartupInformation) {
    sim::ScriptNextChild({{}, 0});
    LaunchProgram(kViewer, "\"C:\\Docs\\a.txt\"");
    ASSERT_EQ(sim::StartedProcesses().size(), 1u);
    const sim::StartedProcess& started = sim::StartedProcesses()[0];
    EXPECT_FALSE(started.applicationName.has_value());
    EXPECT_EQ(started.currentDirectory, std::optional<std::string>("C:\\Kit\\"));
    EXPECT_FALSE(started.inheritHandles);
    EXPECT_EQ(started.creationFlags, 0u);
    EXPECT_FALSE(started.environmentGiven);

    // The whole structure, at its real size, with only the show state set.
    STARTUPINFOA expected;
    std::memset(&expected, 0, sizeof expected);
    expected.cb = sizeof(STARTUPINFOA);
    expected.dwFlags = STARTF_USESHOWWINDOW;
    expected.wShowWindow = SW_SHOW;
    ASSERT_EQ(started.startupInfoBytes.size(), sizeof(STARTUPINFOA));
    EXPECT_EQ(std::memcmp(started.startupInfoBytes.data(), &expected, sizeof expected), 0);
}

TEST_F(LaunchProgramTest, WithoutLauncherFolderChildKeepsCurrentFolder) {
    sim::SetModulePath(std::nullopt);
    sim::ScriptNextChild({{}, 0});
    LaunchProgram(kViewer, "");
    ASSERT_EQ(sim::StartedProcesses().size(), 1u);
    EXPECT_FALSE(sim::StartedProcesses()[0].currentDirectory.has_value());
}

struct WaitCase {
    const char* name;
    sim::ChildScript script;
    std::string accepted; // title of the accepted window, or "(none)"
    int waits;            // polls that waited on the child
};

void PrintTo(const WaitCase& c, std::ostream* out) {
    *out << c.name;
}

class WaitForWindowTest : public LaunchProgramTest,
                          public ::testing::WithParamInterface<WaitCase> {};

TEST_P(WaitForWindowTest, AcceptsFirstTitledNonDialogWindowOrEnd) {
    const WaitCase& c = GetParam();
    EXPECT_EQ(LaunchWith(c.script), c.accepted);
    EXPECT_EQ(sim::Calls(sim::Op::WaitForSingleObject), c.waits);
}

constexpr DWORD kNever = 0xFFFFFFFFu;

INSTANTIATE_TEST_SUITE_P(
    Cases, WaitForWindowTest,
    ::testing::Values(
        WaitCase{"titled window at once", {{{"Doc", "Main", false, 0, kNever}}, kNever}, "Doc", 0},
        WaitCase{"hidden titled window", {{{"Doc", "Main", true, 0, kNever}}, kNever}, "Doc", 0},
        WaitCase{
            "window after three polls", {{{"Doc", "Main", false, 3, kNever}}, kNever}, "Doc", 3},
        WaitCase{"untitled window passed over",
                 {{{"", "Main", false, 0, kNever}, {"Doc", "Other", false, 2, kNever}}, kNever},
                 "Doc",
                 2},
        WaitCase{"dialog box first",
                 {{{"Licence", "#32770", false, 0, 5}, {"Doc", "Main", false, 5, kNever}}, kNever},
                 "Doc",
                 5},
        // Only the child's topmost titled window is looked at in a poll.
        WaitCase{"dialog box above main window hides it",
                 {{{"Doc", "Main", false, 0, kNever}, {"Licence", "#32770", false, 0, 4}}, kNever},
                 "Doc",
                 4},
        WaitCase{"input-method windows are not the child's own",
                 {{{"Question", "#32770", false, 0, 6},
                   {"Default IME", "IME", true, 0, kNever},
                   {"MSCTFIME UI", "MSCTFIME UI", true, 0, kNever}},
                  6},
                 "(none)",
                 7},
        WaitCase{"child ends without a window", {{}, 3}, "(none)", 4},
        WaitCase{"window in the poll the child ends",
                 {{{"Doc", "Main", false, 3, kNever}}, 3},
                 "Doc",
                 3}),
    [](const ::testing::TestParamInfo<WaitCase>& info) {
        std::string name = info.param.name;
        for (char& c : name) {
            if (!std::isalnum(static_cast<unsigned char>(c))) {
                c = '_';
            }
        }
        return name;
    });

TEST_F(LaunchProgramTest, WindowsOfOtherProcessesAreSkippedUnread) {
    sim::AddForeignWindow("Other program", "Main");
    sim::ScriptNextChild({{{"Doc", "Main", false, 2, kNever}}, kNever});
    EXPECT_NE(LaunchProgram(kViewer, ""), nullptr);
    // Two polls saw only the foreign window, the third found the child's: its title alone is read.
    EXPECT_EQ(sim::Calls(sim::Op::GetWindowTextA), 1);
}

TEST_F(LaunchProgramTest, UnreadableClassNameIsNotAccepted) {
    sim::ScriptNextChild({{{"Doc", "Main", false, 0, kNever}}, 2});
    sim::FailNthCall(sim::Op::GetClassNameA, 2); // the dialog test's read in the first poll
    sim::FailNthCall(sim::Op::GetClassNameA, 4);
    sim::FailNthCall(sim::Op::GetClassNameA, 6);
    EXPECT_EQ(LaunchProgram(kViewer, ""), nullptr);
}

TEST_F(LaunchProgramTest, PollLimitEndsTheWait) {
    sim::ScriptNextChild({{{"", "Main", false, 0, kNever}}, kNever});
    EXPECT_EQ(LaunchProgram(kViewer, ""), nullptr);
    EXPECT_EQ(sim::Calls(sim::Op::WaitForSingleObject), kPollLimit);
    EXPECT_EQ(sim::Calls(sim::Op::Sleep), kPollLimit);
    for (DWORD milliseconds : sim::SleepArguments()) {
        ASSERT_EQ(milliseconds, 0u);
    }
}

TEST_F(LaunchProgramTest, FailedStartOpensWaitsAndClosesNothing) {
    sim::SetCreateProcessError(ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(LaunchProgram(kViewer, ""), nullptr);
    EXPECT_EQ(sim::Calls(sim::Op::OpenProcess), 0);
    EXPECT_EQ(sim::Calls(sim::Op::WaitForSingleObject), 0);
    EXPECT_EQ(sim::Calls(sim::Op::CloseHandle), 0);
}

TEST_F(LaunchProgramTest, DocumentThatIsNoProgramIsNotWaitedFor) {
    sim::AddFile("C:\\Docs\\a.txt");
    EXPECT_EQ(LaunchProgram("C:\\Docs\\a.txt", ""), nullptr);
    EXPECT_TRUE(sim::StartedProcesses().empty());
    EXPECT_EQ(sim::Calls(sim::Op::WaitForSingleObject), 0);
}

TEST_F(LaunchProgramTest, UnopenableChildEndsWaitAfterFirstPoll) {
    sim::FailNthCall(sim::Op::OpenProcess, 1);
    sim::ScriptNextChild({{}, kNever});
    EXPECT_EQ(LaunchProgram(kViewer, ""), nullptr);
    EXPECT_EQ(sim::Calls(sim::Op::WaitForSingleObject), 1);
    EXPECT_EQ(sim::Calls(sim::Op::CloseHandle), 2); // the process and thread handles only
}

} // namespace
