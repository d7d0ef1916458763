// The program file search as recorded: each file test of the cleaned command, and where it looked.
#pragma once

#include "explain/CallLog.h"

#include <string>
#include <vector>

enum class ProgramPlace { AsWritten, SystemFolder, WindowsFolder };

struct ProgramTest {
    std::string path;
    ProgramPlace place = ProgramPlace::AsWritten;
    bool found = false;
};

struct ProgramSearch {
    bool searched = false;     // the folders were asked for: the search ran
    std::string systemFolder;  // empty when the system did not give it
    std::string windowsFolder; // likewise
    std::vector<ProgramTest> tests;
};

// The search's tests are the file tests after the first folder query and before the first program
// start. Each beginning of the cleaned text is tested as written, then below the System folder,
// then below the Windows folder (where the system gave that folder), so a test is placed by
// comparing its path with the folders joined to the last beginning tested as written.
ProgramSearch ReadProgramSearch(const CallLog& log);

// The order of the first call of each step of the run, for telling the steps' file tests apart;
// a step that did not happen comes after everything.
int FirstRegistryRead(const CallLog& log);
int FirstFolderQuery(const CallLog& log);
int FirstProgramStart(const CallLog& log);
