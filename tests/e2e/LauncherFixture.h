// A throwaway kit folder holding launcher.exe and the stand-in viewer, for one test at a time.
#pragma once

#include "tests/e2e/Rig.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

constexpr const char* kNotFound = "(not found)";
constexpr DWORD kMinusOne = 0xFFFFFFFFu; // what a Windows parent reads for -1

class LauncherFixture : public ::testing::Test {
  protected:
    void SetUp() override {
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

    // Starts the kit's launcher.exe with this tail and waits for it to end.
    rig::Finished Launch(const std::string& tail, const std::string& currentFolder = "") {
        return rig::RunAndWait("\"" + kit + "launcher.exe\" " + tail, 90000, currentFolder);
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
};
