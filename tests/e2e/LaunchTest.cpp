// The real launcher.exe started as a user's machine starts it, with the stand-in viewer as the
// document, checking what the viewer received and how long the launcher waited for it.
#include "tests/e2e/LauncherFixture.h"

#include <gtest/gtest.h>

namespace {

// The viewer ends on its own after this long, well before the launcher's poll limit runs out, so
// "the viewer still runs when the launcher has ended" means the launcher accepted a window.
constexpr const char* kLingering = "sleep:15000";

TEST_F(LauncherFixture, OptionsAreReadInAnyOrderAndTheFirstPathCounts) {
    const std::string viewer = kit + "viewer.exe";
    const std::string tails[] = {
        "/path " + viewer,
        "/verb open /path " + viewer,
        "/path " + viewer + " /verb open",
        "/path " + viewer + " /path " + kit + "missing.exe",
        "/path\t" + viewer + "  ",
    };
    for (const std::string& tail : tails) {
        SCOPED_TRACE(tail);
        DeleteFileA(recordPath.c_str());
        const rig::Finished run = Launch(tail);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, 0u);
        EXPECT_EQ(Record()["commandLine"], "\"" + viewer + "\"");
        EndViewer();
    }
}

TEST_F(LauncherFixture, ProgramPathWithSpacesIsQuotedWhole) {
    const std::string viewer = kit + "My Viewer\\view er.exe";
    rig::MakeFolders(kit + "My Viewer");
    rig::CopyBuiltProgram("viewer.exe", viewer);
    const rig::Finished run = Launch("/path " + viewer);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(Record()["commandLine"], "\"" + viewer + "\"");
}

TEST_F(LauncherFixture, ChildStartsInLauncherFolderShownWithInheritedEnvironment) {
    SetEnvironmentVariableA("VIEWER_ECHO", "LAUNCHER_E2E_MARK");
    SetEnvironmentVariableA("LAUNCHER_E2E_MARK", "inherited value");
    const rig::Finished run = Launch("/path " + kit + "viewer.exe");
    SetEnvironmentVariableA("VIEWER_ECHO", nullptr);
    SetEnvironmentVariableA("LAUNCHER_E2E_MARK", nullptr);
    ASSERT_TRUE(run.ended);
    auto record = Record();
    EXPECT_EQ(record["currentDirectory"], kit.substr(0, kit.size() - 1));
    EXPECT_EQ(std::stoul(record["startupFlags"]) & STARTF_USESHOWWINDOW, 1u);
    EXPECT_EQ(record["showWindow"], std::to_string(SW_SHOW));
    EXPECT_EQ(record["env:LAUNCHER_E2E_MARK"], "inherited value");
}

// Each script shows the window the launcher must wait for last; when the launcher has ended, that
// window exists and the viewer still runs.
TEST_F(LauncherFixture, WaitsForFirstTitledNonDialogWindow) {
    struct Case {
        const char* name;
        std::string script;
    };
    const Case cases[] = {
        {"dialog box first", "window:#32770:Question;sleep:700;close;window:ViewerMain:Document"},
        {"untitled window first", "window:ViewerMain:;sleep:700;window:ViewerTitled:Document"},
        {"hidden titled window", "sleep:300;hidden:ViewerHidden:Document"},
    };
    const char* awaited[] = {"ViewerMain", "ViewerTitled", "ViewerHidden"};
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(cases[i].name);
        DeleteFileA(recordPath.c_str());
        SetScript(cases[i].script + ";" + kLingering);
        const rig::Finished run = Launch("/path " + kit + "viewer.exe");
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, 0u);
        const DWORD viewer = ViewerProcessId();
        ASSERT_NE(viewer, 0u);
        EXPECT_NE(rig::FindWindowOwnedBy(viewer, awaited[i]), nullptr);
        EXPECT_TRUE(rig::IsRunning(viewer));
        EndViewer();
    }
}

TEST_F(LauncherFixture, ChildThatEndsWithoutWindowEndsTheWait) {
    SetScript("sleep:300;exit:7");
    const rig::Finished run = Launch("/path " + kit + "viewer.exe");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    const DWORD viewer = ViewerProcessId();
    ASSERT_NE(viewer, 0u);
    EXPECT_FALSE(rig::IsRunning(viewer));
}

TEST_F(LauncherFixture, DocumentThatIsNoProgramIsStillALaunchAttempt) {
    rig::WriteTextFile(kit + "notes.nodoc", "not a program");
    const rig::Finished run = Launch("/path " + kit + "notes.nodoc");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_FALSE(rig::FileExists(recordPath));
}

} // namespace
