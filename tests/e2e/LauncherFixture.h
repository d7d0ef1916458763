// A throwaway kit folder holding launcher.exe and the stand-in viewer, for one test at a time.
#pragma once

#include "tests/e2e/Rig.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

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
    rig::Finished Launch(const std::string& tail) {
        return rig::RunAndWait("\"" + kit + "launcher.exe\" " + tail, 90000);
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

    std::string root;       // the test's own folder tree, removed afterwards
    std::string kit;        // the launcher's folder, three levels deep, with a trailing backslash
    std::string recordPath; // where the viewer writes what it received
};
