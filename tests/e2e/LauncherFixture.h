// A throwaway kit folder holding launcher.exe and the stand-in viewer, for one test at a time.
#pragma once

#include "tests/e2e/Rig.h"
#include "tests/e2e/Snapshot.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

constexpr const char* kNotFound = "(not found)";
constexpr DWORD kMinusOne = 0xFFFFFFFFu; // what a Windows parent reads for -1

class LauncherFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        // Windows always has the per-user classes key; a fresh Wine prefix gets it from the first
        // test program that registers a type there. Made here, before any snapshot, it cannot
        // appear in the middle of another program's check of what a run wrote.
        HKEY classes = nullptr;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Classes", 0, nullptr, 0, KEY_READ,
                            nullptr, &classes, nullptr) == ERROR_SUCCESS) {
            RegCloseKey(classes);
        }
        root = rig::NewScratchFolder();
        kit = root + "Kit\\Bin\\";
        rig::MakeFolders(kit);
        rig::CopyBuiltProgram("launcher.exe", kit + "launcher.exe");
        rig::CopyBuiltProgram("viewer.exe", kit + "viewer.exe");
        recordPath = root + "record.txt";
        SetEnvironmentVariableA("VIEWER_RECORD", recordPath.c_str());
        SetScript("");
    }

    void TearDown() override {
        EndViewer();
        SetEnvironmentVariableA("VIEWER_RECORD", nullptr);
        SetEnvironmentVariableA("VIEWER_SCRIPT", nullptr);
        rig::RemoveTree(root);
    }

    void SetScript(const std::string& script) {
        SetEnvironmentVariableA("VIEWER_SCRIPT", script.empty() ? nullptr : script.c_str());
    }

    // The command line that Launch starts.
    std::string LauncherCommand(const std::string& tail) const {
        return "\"" + kit + "launcher.exe\" " + tail;
    }

    // Starts the kit's launcher.exe with this tail and waits for it to end. The launcher writes
    // nothing, so the test's trees and the registry must be as they were before it started.
    rig::Finished Launch(const std::string& tail, const std::string& currentFolder = "") {
        const rig::SnapshotScope scope = WriteCheckScope(currentFolder);
        const rig::Snapshot before = rig::TakeSnapshot(scope);
        const rig::Finished run = rig::RunAndWait(LauncherCommand(tail), 90000, currentFolder);
        const std::vector<std::string> written = rig::Differences(before, rig::TakeSnapshot(scope));
        std::string listing;
        for (const std::string& line : written) {
            listing += "\n  " + line;
        }
        EXPECT_TRUE(written.empty())
            << "launcher.exe " << (tail.size() > 300 ? tail.substr(0, 300) + "..." : tail)
            << " changed what it may only read:" << listing;
        ++launches;
        return run;
    }

    // What a run is checked against: the test's own tree, the test drive, the launcher's current
    // folder, and the registry. HKEY_CLASSES_ROOT's COM registrations take nearly all of a
    // snapshot's time, so they are walked around the first run of every test, and around every
    // run of a test that asks for it.
    rig::SnapshotScope WriteCheckScope(const std::string& currentFolder) const {
        rig::SnapshotScope scope;
        scope.trees.push_back(root);
        const std::string drive = rig::TestDrive();
        if (!drive.empty() && rig::IsFolder(drive + "\\")) {
            scope.trees.push_back(drive + "\\");
        }
        char current[MAX_PATH];
        const DWORD length = GetCurrentDirectoryA(MAX_PATH, current);
        if (!currentFolder.empty()) {
            scope.folders.push_back(currentFolder);
        } else if (length > 0 && length < MAX_PATH) {
            scope.folders.push_back(std::string(current, length));
        }
        // The viewer's record is the one file a run may leave.
        scope.excluded = {recordPath, recordPath + ".partial"};
        scope.comRegistrations = launches == 0 || wholeRegistryEveryRun;
        return scope;
    }

    std::map<std::string, std::string> Record() { return rig::ReadRecord(recordPath, 5000); }

    DWORD ViewerProcessId() {
        const std::string id = rig::ReadRecord(recordPath, 5000)["processId"];
        return id.empty() ? 0 : static_cast<DWORD>(std::stoul(id));
    }

    void EndViewer() {
        if (rig::FileExists(recordPath)) {
            rig::EndProcess(ViewerProcessId());
        }
    }

    void PlaceLauncher(const std::string& folder) {
        rig::MakeFolders(folder);
        rig::CopyBuiltProgram("launcher.exe", folder + "launcher.exe");
        kit = folder;
    }

    void PlaceDocuments(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) {
            rig::MakeFolders(path.substr(0, path.find_last_of('\\')));
            rig::CopyBuiltProgram("viewer.exe", path);
        }
    }

    // The document the launcher opened for this "/path" value (unquoted), or kNotFound.
    std::string Opened(const std::string& value, const std::string& currentFolder) {
        DeleteFileA(recordPath.c_str());
        const rig::Finished run = Launch("/path " + value, currentFolder);
        if (!run.ended) {
            return "(launcher did not end)";
        }
        if (run.exitCode == kMinusOne) {
            return rig::FileExists(recordPath) ? "(-1, yet a program was started)" : kNotFound;
        }
        std::string commandLine = Record()["commandLine"];
        EndViewer();
        if (commandLine.size() >= 2 && commandLine.front() == '"' && commandLine.back() == '"') {
            commandLine = commandLine.substr(1, commandLine.size() - 2);
        }
        return run.exitCode == 0 ? commandLine : "(exit code " + std::to_string(run.exitCode) + ")";
    }

    struct Case {
        std::string value;
        std::string opened;
    };

    void ExpectOpened(const std::vector<Case>& cases, const std::string& currentFolder) {
        for (const Case& c : cases) {
            EXPECT_EQ(Opened(c.value, currentFolder), c.opened) << "/path " << c.value;
        }
    }

    std::string root;       // the test's own folder tree, removed afterwards
    std::string kit;        // the launcher's folder, three levels deep, with a trailing backslash
    std::string recordPath; // where the viewer writes what it received
    int launches = 0;       // launcher runs so far in this test
    bool wholeRegistryEveryRun = false;
};
