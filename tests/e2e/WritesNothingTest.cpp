// The launcher writes nothing. Every launcher run of the end-to-end tests is taken between two
// snapshots of the test's trees and of the registry (LauncherFixture::Launch); these tests show
// that the snapshots see each kind of write, that what they leave out is only what they must, and
// that runs of every kind, checked against the whole registry, leave it as it was.
#include "tests/e2e/ClassesKeys.h"
#include "tests/e2e/LauncherFixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

class WritesNothingTest : public LauncherFixture {
  protected:
    void TearDown() override {
        if (userKey != nullptr) {
            RegCloseKey(userKey);
            RegDeleteKeyA(HKEY_CURRENT_USER, userKeyPath.c_str());
        }
        LauncherFixture::TearDown();
    }

    // A volatile key of this test's own below HKEY_CURRENT_USER, to write into: where the other
    // test programs' snapshots expect keys to come and go meanwhile.
    HKEY UserKey() {
        if (userKey == nullptr) {
            userKeyPath = "Software\\Classes\\" + rig::UniqueClassesName("LauncherE2EWrites");
            RegCreateKeyExA(HKEY_CURRENT_USER, userKeyPath.c_str(), 0, nullptr, REG_OPTION_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &userKey, nullptr);
        }
        return userKey;
    }

    // The differences between snapshots taken before and after the change.
    std::vector<std::string> DifferencesAcross(const std::function<void()>& change) {
        // None of the changes is a COM registration.
        rig::SnapshotScope scope = WriteCheckScope("");
        scope.comRegistrations = false;
        const rig::Snapshot before = rig::TakeSnapshot(scope);
        change();
        return rig::Differences(before, rig::TakeSnapshot(scope));
    }

    HKEY userKey = nullptr;
    std::string userKeyPath;
};

std::string Listing(const std::vector<std::string>& lines) {
    std::string listing;
    for (const std::string& line : lines) {
        listing += "\n  " + line;
    }
    return listing;
}

void SetText(HKEY key, const char* name, const std::string& data) {
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
}

TEST_F(WritesNothingTest, SnapshotsSeeEveryKindOfWrite) {
    rig::ClassesKeys keys;
    const std::string file = kit + "settings.ini";
    rig::WriteTextFile(file, "[kit]\r\n");
    SetText(UserKey(), "Kept", "as it is");
    struct Change {
        const char* name;
        std::function<void()> make;
        std::string seen; // a line of the differences starts with this; empty: no difference
    };
    const std::string extension = rig::UniqueClassesName("e2e");
    const std::string otherProgramsKey =
        "LauncherE2EOther" + std::to_string(GetCurrentProcessId() + 1) + "x1";
    const Change changes[] = {
        {"a value set below HKEY_CURRENT_USER", [&] { SetText(UserKey(), "Recent", "report.txt"); },
         "new: value HKEY_CURRENT_USER\\" + userKeyPath + " \"Recent\""},
        {"a value changed below HKEY_CURRENT_USER", [&] { SetText(UserKey(), "Kept", "changed"); },
         "changed: value HKEY_CURRENT_USER\\" + userKeyPath + " \"Kept\""},
        {"a key made below HKEY_CLASSES_ROOT",
         [&] { keys.SetDefault("." + extension, "LauncherE2EDocument"); },
         "new: key HKEY_CLASSES_ROOT\\." + extension},
        {"a file made in the launcher's folder",
         [&] { rig::WriteTextFile(kit + "launcher.log", "started"); }, "new: file "},
        {"a file grown", [&] { rig::WriteTextFile(file, "[kit]\r\nlast=report.txt\r\n"); },
         "changed: file "},
        {"a file written over with the same bytes",
         [&] {
             Sleep(20); // a write time that differs from the one before
             rig::WriteTextFile(file, "[kit]\r\nlast=report.txt\r\n");
         },
         "changed: file "},
        {"a folder made on the test drive, when there is one",
         [&] {
             if (!rig::TestDrive().empty()) {
                 CreateDirectoryA((rig::TestDrive() + "\\Launcher E2E writes").c_str(), nullptr);
             }
         },
         rig::TestDrive().empty() ? "" : "new: file "},
        // Left out on purpose: what the viewer records, and the keys that other test programs make
        // and remove meanwhile.
        {"the viewer's record", [&] { rig::WriteTextFile(recordPath, "commandLine=x\n"); }, ""},
        {"another test program's key",
         [&] { keys.SetDefault(otherProgramsKey, "made by another test program"); }, ""},
    };
    for (const Change& change : changes) {
        SCOPED_TRACE(change.name);
        const std::vector<std::string> lines = DifferencesAcross(change.make);
        if (change.seen.empty()) {
            EXPECT_EQ(Listing(lines), "");
            continue;
        }
        bool seen = false;
        for (const std::string& line : lines) {
            seen = seen || line.rfind(change.seen, 0) == 0;
        }
        EXPECT_TRUE(seen) << "looked for " << change.seen << " in:" << Listing(lines);
    }
    if (!rig::TestDrive().empty()) {
        RemoveDirectoryA((rig::TestDrive() + "\\Launcher E2E writes").c_str());
    }
}

// Runs of every kind, each between snapshots of the whole registry. The time a snapshot takes is
// recorded as a property of the test.
TEST_F(WritesNothingTest, RunsOfEveryKindLeaveRegistryAndTreesAsTheyWere) {
    wholeRegistryEveryRun = true;
    const std::string apps = root + "My Apps\\";
    rig::MakeFolders(apps);
    rig::CopyBuiltProgram("viewer.exe", apps + "viewer.exe");
    const std::string extension = rig::UniqueClassesName("e2e");
    const std::string type = rig::UniqueClassesName("LauncherE2EDocument");
    rig::ClassesKeys keys;
    ASSERT_TRUE(keys.SetDefault("." + extension, type));
    ASSERT_TRUE(keys.SetDefault(type + "\\shell\\edit\\command", "\"" + apps + "viewer.exe\" %1"));
    const std::string document = root + "report." + extension;
    rig::WriteTextFile(document, "a document");
    rig::WriteTextFile(root + "notes.unregistered", "a document of no registered type");

    struct Run {
        const char* name;
        std::string tail;
        std::string script; // the viewer's window script
        DWORD exitCode;
    };
    const Run runs[] = {
        {"registered type, through the edit command", "/path " + document, "", 0},
        {"a verb of its own", "/path " + document + " /verb print", "", 0},
        {"a program as the document", "/path " + kit + "viewer.exe", "window:ViewerMain:Report", 0},
        {"a document that starts nothing", "/path " + root + "notes.unregistered", "", 0},
        {"a relative document", "/path ..\\..\\report." + extension, "", 0},
        {"a document that cannot be found", "/path " + root + "gone.txt", "", kMinusOne},
        {"no options at all", "", "", kMinusOne},
    };
    for (const Run& run : runs) {
        SCOPED_TRACE(run.name);
        DeleteFileA(recordPath.c_str());
        SetScript(run.script);
        const rig::Finished finished = Launch(run.tail);
        ASSERT_TRUE(finished.ended);
        EXPECT_EQ(finished.exitCode, run.exitCode);
        EndViewer();
    }
    SetScript("");

    rig::SnapshotScope everyRun = WriteCheckScope("");
    everyRun.comRegistrations = false;
    rig::SnapshotScope whole = everyRun;
    whole.comRegistrations = true;
    for (const auto& [name, scope] : {std::pair{"snapshotMilliseconds", everyRun},
                                      std::pair{"wholeRegistrySnapshotMilliseconds", whole}}) {
        const ULONGLONG start = GetTickCount64();
        const rig::Snapshot taken = rig::TakeSnapshot(scope);
        RecordProperty(name, static_cast<int>(GetTickCount64() - start));
        RecordProperty(std::string(name) + "Entries", static_cast<int>(taken.size()));
    }
}

} // namespace
