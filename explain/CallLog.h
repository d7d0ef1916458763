// What the recording layer (explain/RecordedCalls.h) kept of one run of the launcher's code: every
// file test, registry read, folder query and program start, in the order made, and a summary of the
// wait for the program's window.
#pragma once

#include "platform/Platform.h"

#include <optional>
#include <string>
#include <vector>

// Each kept call carries its place in the run, so that the steps can be told apart by what came
// before them (the file tests before the first registry read test the document, say).
struct FileTest {
    int order = 0;
    std::string path;
    bool opened = false;
    DWORD error = 0; // why it did not open, as the system said
};

// A key opened below a root, and the value then read from it (if any).
struct RegistryRead {
    int order = 0;
    HKEY root = nullptr;
    std::string keyPath;
    LONG openStatus = ERROR_SUCCESS;
    HKEY key = nullptr; // the key the open gave, to match the read to it
    bool queried = false;
    std::string valueName; // empty: the default value
    LONG queryStatus = ERROR_SUCCESS;
    DWORD type = REG_NONE;
    DWORD size = 0;   // as the call reported it: the data's size, or the size needed
    std::string data; // the bytes returned, when the read succeeded
};

struct FolderQuery {
    int order = 0;
    bool systemFolder = false; // otherwise the Windows folder
    UINT length = 0;           // what the call returned
    std::string folder;        // the text it gave, when it gave one
};

struct ProgramStart {
    int order = 0;
    std::string commandLine;
    std::optional<std::string> workingFolder; // empty optional: none given
    bool attempted = false;                   // really started, not only recorded
    bool started = false;
    DWORD error = 0;
};

// The polls of the wait for the program's window: waits made, what the last one gave, and the last
// window title and class read (those of the window accepted, when one was).
struct WaitSummary {
    int waits = 0;
    DWORD lastResult = WAIT_TIMEOUT;
    std::string lastTitle;
    std::string lastClass;
};

struct CallLog {
    int calls = 0; // calls kept so far, the next one's order
    std::vector<std::string> modulePaths;
    std::vector<FileTest> fileTests;
    std::vector<RegistryRead> registryReads;
    std::vector<FolderQuery> folderQueries;
    bool environmentMissing = false; // the environment block could not be had
    std::vector<ProgramStart> starts;
    WaitSummary wait;
};

struct RecordingSettings {
    // Given to the launcher's code as its own module path, so that another launcher's folder is
    // emulated; empty: the real one.
    std::optional<std::string> modulePath;
    // Programs are really started; otherwise each start is kept and fails, so nothing is waited on.
    bool startPrograms = false;
};

// Clears what was kept and records from now on as the settings say.
void StartRecording(const RecordingSettings& settings);
const CallLog& RecordedCallLog();
