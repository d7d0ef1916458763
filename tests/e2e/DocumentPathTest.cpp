// Documents named relative to the launcher, resolved by the real launcher.exe on real files. The
// documents are copies of the stand-in viewer, so the command line it records shows the path the
// launcher resolved; a document that cannot be found must end the launcher with -1 and start
// nothing.
#include "tests/e2e/LauncherFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

class DocumentPathTest : public LauncherFixture {
  protected:
    void SetUp() override {
        LauncherFixture::SetUp();
        drive = rig::TestDrive();
        if (drive.empty()) {
            GTEST_SKIP() << "LAUNCHER_TEST_DRIVE names no drive set aside for tests";
        }
        ASSERT_TRUE(rig::IsFolder(drive + "\\")) << drive << " is not there";
        rig::RemoveTree(drive + "\\");
    }

    void TearDown() override {
        if (!drive.empty()) {
            rig::RemoveTree(drive + "\\");
        }
        LauncherFixture::TearDown();
    }

    std::string drive; // e.g. "T:", emptied before and after each test
};

TEST_F(DocumentPathTest, LauncherThreeFoldersDeep) {
    const std::string t = drive;
    PlaceLauncher(t + "\\Kit\\Bin\\");
    const std::string work = root + "work\\";
    PlaceDocuments({t + "\\Kit\\Bin\\a.exe", t + "\\Kit\\Bin\\docs\\a.exe",
                    t + "\\Kit\\docs\\a.exe", t + "\\docs\\a.exe", root + "x\\a.exe",
                    work + "a.exe", work + "c.exe", work + "docs\\b.exe"});
    ExpectOpened(
        {
            // A bare name is opened from the launcher's folder, never from the current one.
            {"a.exe", t + "\\Kit\\Bin\\a.exe"},
            {"c.exe", kNotFound},
            // A relative path with a folder part is tried from the current folder first.
            {"docs\\b.exe", "docs\\b.exe"},
            {"docs\\a.exe", t + "\\Kit\\Bin\\docs\\a.exe"},
            {".\\docs\\a.exe", t + "\\Kit\\Bin\\docs\\a.exe"},
            {"..\\docs\\a.exe", t + "\\Kit\\docs\\a.exe"},
            {"..\\..\\docs\\a.exe", t + "\\docs\\a.exe"},
            {"..\\..\\..\\docs\\a.exe", t + "\\docs\\a.exe"},
            {"..\\..\\..\\..\\..\\docs\\a.exe", t + "\\docs\\a.exe"},
            {"\\docs\\a.exe", t + "\\docs\\a.exe"},
            {".\\..\\docs\\a.exe", t + "\\Kit\\Bin\\..\\docs\\a.exe"},
            {"..\\.\\docs\\a.exe", t + "\\Kit\\.\\docs\\a.exe"},
            {root + "x\\a.exe", root + "x\\a.exe"},
            {root + "x\\missing.exe", kNotFound},
            {"missing.exe", kNotFound},
            {"", kNotFound},
            {".\\", kNotFound},
            {"..\\", kNotFound},
            {"\"" + t + "\\Kit\\Bin\\a.exe\"", kNotFound},
        },
        work);
}

TEST_F(DocumentPathTest, LauncherAtDriveRoot) {
    const std::string t = drive;
    PlaceLauncher(t + "\\");
    PlaceDocuments({t + "\\a.exe", t + "\\docs\\a.exe"});
    ExpectOpened(
        {
            {"a.exe", t + "\\a.exe"},
            {".\\a.exe", t + "\\a.exe"},
            {"..\\a.exe", t + "\\a.exe"},
            {"..\\..\\docs\\a.exe", t + "\\docs\\a.exe"},
            {"\\docs\\a.exe", t + "\\docs\\a.exe"},
            {"..\\", kNotFound},
        },
        root);
}

TEST_F(DocumentPathTest, MissingDocumentEndsWithMinusOneAndStartsNothing) {
    PlaceLauncher(drive + "\\Kit\\");
    for (const std::string tail :
         {"", "/verb open", "/path", "/path /verb open", "/path gone.exe"}) {
        DeleteFileA(recordPath.c_str());
        const rig::Finished run = Launch(tail);
        ASSERT_TRUE(run.ended) << tail;
        EXPECT_EQ(run.exitCode, kMinusOne) << tail;
        EXPECT_FALSE(rig::FileExists(recordPath)) << tail;
    }
}

// In code page 932 the folder name 0x95 0x5C (one double-byte character) ends in a byte that
// looks like a backslash; the launcher must still find its own folder and climb from it exactly.
TEST_F(LauncherFixture, KitFolderEndingInTrailByteBackslash) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "needs code page 932 (run with LANG=ja_JP.UTF-8)";
    }
    const std::string kitFolder = root + "Kit\\\x95\x5C\\";
    PlaceLauncher(kitFolder);
    PlaceDocuments({kitFolder + "a.exe", root + "Kit\\b.exe"});
    ExpectOpened(
        {
            {"a.exe", kitFolder + "a.exe"},
            {".\\a.exe", kitFolder + "a.exe"},
            {"..\\b.exe", root + "Kit\\b.exe"},
            {"b.exe", kNotFound},
        },
        root);
    // The child starts in that folder too.
    DeleteFileA(recordPath.c_str());
    ASSERT_TRUE(Launch("/path a.exe").ended);
    EXPECT_EQ(Record()["currentDirectory"], kitFolder.substr(0, kitFolder.size() - 1));
}

} // namespace
