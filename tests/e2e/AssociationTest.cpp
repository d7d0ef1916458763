// Documents opened through real association keys: each case registers an extension and a class of
// its own, opens a plain document of that extension with the real launcher.exe and checks which
// program the launcher started, and with what, from the stand-in viewer's record.
//
// The launcher starts the program as it found it at the start of the cleaned command: quotes
// removed, the beginning shortened until it names a file. Windows (and Wine) ignore trailing blanks
// on the last path component when opening, so the program of "C:\x\viewer.exe" "%1" is found as
// C:\x\viewer.exe with the blank that followed it, and the viewer is started as
// "C:\x\viewer.exe " "<document>".
#include "tests/e2e/ClassesKeys.h"
#include "tests/e2e/LauncherFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr const char* kNothingStarted = "(nothing started)";
// Set in this program's environment, which launcher.exe inherits, for commands that refer to it.
constexpr const char* kAppsVariable = "LAUNCHER_E2E_APPS";

// One default value below HKEY_CLASSES_ROOT. Key and data may hold "{ext}" and "{class}" (this
// case's unique names), "{kit}" (the launcher's folder), "{apps}" (a folder with a blank in its
// name) and "{root}" (the test's folder); folders end in a backslash.
struct Value {
    std::string key;
    std::string data;
    DWORD type = REG_SZ;
};

struct AssociationCase {
    const char* name;
    std::vector<Value> values;
    std::string verb;    // given with /verb; none when empty
    std::string program; // the program as the launcher should find it, or empty: nothing starts
};

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::string::size_type at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

class AssociationTest : public LauncherFixture {
  protected:
    void SetUp() override {
        LauncherFixture::SetUp();
        apps = root + "My Apps\\";
        docs = root + "My Documents\\";
        rig::MakeFolders(docs);
        rig::MakeFolders(apps + "%" + kAppsVariable + "%");
        rig::CopyBuiltProgram("viewer.exe", apps + "viewer.exe");
        rig::CopyBuiltProgram("viewer.exe", apps + "%" + kAppsVariable + "%\\viewer.exe");
        SetEnvironmentVariableA(kAppsVariable, apps.substr(0, apps.size() - 1).c_str());
    }

    void TearDown() override {
        SetEnvironmentVariableA(kAppsVariable, nullptr);
        // First, since a running child keeps the launcher's folder as its current folder, and
        // the folder cannot be removed meanwhile.
        for (const DWORD process : processesToEnd) {
            rig::EndProcess(process);
        }
        LauncherFixture::TearDown();
        for (const std::string& file : filesToRemove) {
            DeleteFileA(file.c_str());
        }
    }

    std::string Fill(std::string text, const std::string& extension, const std::string& type) {
        for (const auto& [name, value] : {std::pair<std::string, std::string>{"{ext}", extension},
                                          {"{class}", type},
                                          {"{kit}", kit},
                                          {"{apps}", apps},
                                          {"{root}", root}}) {
            text = ReplaceAll(text, name, value);
        }
        return text;
    }

    // The command line that the started viewer recorded, or kNothingStarted. Checks on the way
    // that the launcher ended with 0, left no child of its own behind when it started nothing,
    // and started the viewer in its own folder.
    std::string OpenDocument(const std::string& document, const std::string& verb,
                             const std::string& currentFolder) {
        DeleteFileA(recordPath.c_str());
        const rig::Finished run =
            Launch("/path " + document + (verb.empty() ? "" : " /verb " + verb), currentFolder);
        if (!run.ended) {
            return "(launcher did not end)";
        }
        EXPECT_EQ(run.exitCode, 0u);
        if (!rig::FileExists(recordPath)) {
            EXPECT_EQ(rig::ChildProcessesBelow(run.processId, root), std::vector<DWORD>{});
            return kNothingStarted;
        }
        auto record = Record();
        EXPECT_EQ(record["currentDirectory"], kit.substr(0, kit.size() - 1));
        EndViewer();
        return record["commandLine"];
    }

    // Registers the case below HKEY_CLASSES_ROOT under names of its own, opens a new document of
    // that extension from the current folder given (empty: this program's), and compares what
    // started; the keys go again, whatever happened.
    void ExpectStarted(const AssociationCase& c, const std::string& currentFolder = "") {
        SCOPED_TRACE(c.name);
        const std::string extension = rig::UniqueClassesName("e2e");
        const std::string type = rig::UniqueClassesName("LauncherE2EDocument");
        rig::ClassesKeys keys;
        for (const Value& value : c.values) {
            ASSERT_TRUE(keys.SetDefault(Fill(value.key, extension, type),
                                        Fill(value.data, extension, type), value.type))
                << value.key << " cannot be written below " << rig::WritableClasses().name;
        }
        const std::string document = docs + "report." + extension;
        rig::WriteTextFile(document, "a document, not a program");
        const std::string program = Fill(c.program, extension, type);
        EXPECT_EQ(OpenDocument(document, c.verb, currentFolder),
                  program.empty() ? kNothingStarted : "\"" + program + "\" \"" + document + "\"");
    }

    std::string apps;                  // holds viewer.exe, and a folder named %LAUNCHER_E2E_APPS%
    std::string docs;                  // where the documents are written
    std::vector<DWORD> processesToEnd; // started by the launcher outside the viewer's record
    std::vector<std::string> filesToRemove; // copies placed outside the test's folder
};

TEST_F(AssociationTest, CommandTextNamesTheProgram) {
    const std::string open = "{class}\\shell\\open\\command";
    const AssociationCase cases[] = {
        {"quoted program with blanks, arguments after it",
         {{".{ext}", "{class}"}, {open, "\"{apps}viewer.exe\" /n /x \"%1\""}},
         "",
         "{apps}viewer.exe "},
        {"unquoted program with blanks",
         {{".{ext}", "{class}"}, {open, "{apps}viewer.exe /n %1"}},
         "",
         "{apps}viewer.exe "},
        {"program alone, nothing after it",
         {{".{ext}", "{class}"}, {open, "{kit}viewer.exe"}},
         "",
         "{kit}viewer.exe"},
        {"environment reference in plain text",
         {{".{ext}", "{class}"}, {open, "\"%LAUNCHER_E2E_APPS%\\viewer.exe\" \"%1\""}},
         "",
         "{apps}viewer.exe "},
        {"environment reference, other case, in expandable text",
         {{".{ext}", "{class}"}, {open, "%launcher_e2e_apps%\\viewer.exe %1", REG_EXPAND_SZ}},
         "",
         "{apps}viewer.exe "},
        // A second reference to the same variable stays as written, so the folder of that name
        // below the first expansion is where the program is found.
        {"only the first reference to a variable is expanded",
         {{".{ext}", "{class}"},
          {open, "\"%LAUNCHER_E2E_APPS%\\%LAUNCHER_E2E_APPS%\\viewer.exe\" \"%1\""}},
         "",
         "{apps}%LAUNCHER_E2E_APPS%\\viewer.exe "},
        // The document itself is then tried, and a plain file cannot start: the launcher ends
        // at once with nothing to wait for.
        {"program that exists nowhere",
         {{".{ext}", "{class}"}, {open, "\"{root}Nowhere\\viewer.exe\" \"%1\""}},
         "",
         ""},
    };
    for (const AssociationCase& c : cases) {
        ExpectStarted(c);
    }
}

TEST_F(AssociationTest, CommandChosenByVerbClassAndExtension) {
    const auto verbCommand = [](const std::string& verb) {
        return "{class}\\shell\\" + verb + "\\command";
    };
    const std::string ownOpen = ".{ext}\\shell\\open\\command";
    const std::string kitViewer = "\"{kit}viewer.exe\" \"%1\"";
    const std::string appsViewer = "\"{apps}viewer.exe\" \"%1\"";
    const AssociationCase cases[] = {
        {"the verb's own command before edit and view",
         {{".{ext}", "{class}"},
          {verbCommand("open"), appsViewer},
          {verbCommand("edit"), kitViewer},
          {verbCommand("view"), kitViewer}},
         "",
         "{apps}viewer.exe "},
        {"edit when the class has no command for the verb, before view",
         {{".{ext}", "{class}"},
          {verbCommand("edit"), appsViewer},
          {verbCommand("view"), kitViewer}},
         "",
         "{apps}viewer.exe "},
        {"view when the class has neither",
         {{".{ext}", "{class}"}, {verbCommand("view"), appsViewer}},
         "",
         "{apps}viewer.exe "},
        {"a verb given on the command line",
         {{".{ext}", "{class}"},
          {verbCommand("open"), kitViewer},
          {verbCommand("print"), appsViewer}},
         "print",
         "{apps}viewer.exe "},
        {"a verb the class lacks falls back to edit, not to open",
         {{".{ext}", "{class}"},
          {verbCommand("open"), kitViewer},
          {verbCommand("edit"), appsViewer}},
         "print",
         "{apps}viewer.exe "},
        {"command under the extension's own key, which names no class",
         {{ownOpen, appsViewer}},
         "",
         "{apps}viewer.exe "},
        {"no edit fall-back under the extension's own key",
         {{".{ext}\\shell\\edit\\command", appsViewer}},
         "",
         ""},
        {"class without a shell key",
         {{".{ext}", "{class}"}, {"{class}", "Launcher test document"}},
         "",
         ""},
        {"a class without a shell key hides the extension's own command",
         {{".{ext}", "{class}"}, {"{class}", "Launcher test document"}, {ownOpen, appsViewer}},
         "",
         ""},
    };
    for (const AssociationCase& c : cases) {
        ExpectStarted(c);
    }
}

// A command that names its program without a folder finds it in the launcher's current folder,
// else under the System folder, else under the Windows folder. Uniquely named copies of the viewer
// are placed there for one case at a time.
TEST_F(AssociationTest, ProgramWithoutFolderFoundInCurrentSystemOrWindowsFolder) {
    char systemBuffer[MAX_PATH];
    char windowsBuffer[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(systemBuffer, MAX_PATH), 0u);
    ASSERT_GT(GetWindowsDirectoryA(windowsBuffer, MAX_PATH), 0u);
    const std::string systemFolder = systemBuffer;
    const std::string windowsFolder = windowsBuffer;
    const std::string work = root + "Work";
    rig::MakeFolders(work);
    struct Placement {
        const char* name;
        std::vector<std::string> folders; // where copies are placed
        std::string found;                // the folder put in front of the name; none when empty
    };
    const Placement placements[] = {
        {"System folder only", {systemFolder}, systemFolder},
        {"Windows folder only", {windowsFolder}, windowsFolder},
        {"System folder before Windows folder", {windowsFolder, systemFolder}, systemFolder},
        {"current folder before System folder", {systemFolder, work}, ""},
    };
    for (const Placement& placement : placements) {
        SCOPED_TRACE(placement.name);
        const std::string name = rig::UniqueClassesName("launchere2e") + ".exe";
        for (const std::string& folder : placement.folders) {
            const std::string copy = folder + "\\" + name;
            if (!CopyFileA((rig::BuildFolder() + "viewer.exe").c_str(), copy.c_str(), TRUE)) {
                GTEST_SKIP() << folder << " cannot be written here";
            }
            filesToRemove.push_back(copy);
        }
        ExpectStarted({"program named without a folder",
                       {{".{ext}", "{class}"}, {"{class}\\shell\\open\\command", name + " \"%1\""}},
                       "",
                       (placement.found.empty() ? "" : placement.found + "\\") + name + " "},
                      work);
    }
}

// The program at the start of a registered command, as the launcher finds it: quotes removed,
// references expanded, and the blank after the program's name kept, since the file opens with it.
// Enough for the simple commands that machines register for text editors.
std::string ProgramOfCommand(const std::string& command) {
    std::string text = ReplaceAll(command, "\"", "");
    char expanded[4096];
    const DWORD length = ExpandEnvironmentStringsA(text.c_str(), expanded, sizeof expanded);
    if (length > 0 && length <= sizeof expanded) {
        text = expanded;
    }
    const std::string::size_type exe = Upper(text).find(".EXE");
    if (exe == std::string::npos) {
        return "";
    }
    const std::string::size_type end = exe + 4;
    return text.substr(0, end < text.size() && text[end] == ' ' ? end + 1 : end);
}

// Nothing is registered: the machine's own text editor opens a text document. Wine's prefix has no
// key for .txt (only its class, txtfile) but maps .ini to a class opened by notepad, so the first
// of those two extensions that the machine associates with a command is used.
TEST_F(AssociationTest, MachinesOwnEditorOpensTextDocument) {
    std::string extension;
    std::string command;
    for (const std::string candidate : {"txt", "ini"}) {
        const std::string type = rig::ReadClassesText("." + candidate);
        command = type.empty() ? "" : rig::ReadClassesText(type + "\\shell\\open\\command");
        if (!command.empty()) {
            extension = candidate;
            break;
        }
    }
    if (extension.empty()) {
        GTEST_SKIP() << "this machine opens neither .txt nor .ini documents with a command";
    }
    const std::string program = ProgramOfCommand(command);
    ASSERT_TRUE(rig::FileExists(program)) << "the program of " << command;
    RecordProperty("editorCommand", "." + extension + ": " + command);

    const std::string document = docs + "notes." + extension;
    rig::WriteTextFile(document, "[notes]\r\nopened=by the launcher\r\n");
    const std::set<DWORD> before = rig::RunningProcesses();
    const rig::Finished run = Launch("/path " + document);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);

    std::string image = program;
    if (image.back() == ' ') {
        image.pop_back();
    }
    std::vector<DWORD> started;
    const std::string imageFolder = image.substr(0, image.find_last_of('\\') + 1);
    for (const DWORD child : rig::ChildProcessesBelow(run.processId, imageFolder)) {
        if (before.count(child) == 0) {
            started.push_back(child);
            processesToEnd.push_back(child);
        }
    }
    ASSERT_EQ(started.size(), 1u) << "new processes started by the launcher";
    const DWORD editor = started.front();

    EXPECT_EQ(Upper(rig::ProcessImagePath(editor)), Upper(image));
    std::string commandLine = rig::ProcessCommandLine(editor);
    const std::string expected = "\"" + program + "\" \"" + document + "\"";
    // Wine's notepad cuts the closing quote off its own command line in place, leaving a NUL.
    if (commandLine.size() == expected.size() && commandLine.back() == '\0') {
        commandLine.back() = '"';
    }
    EXPECT_EQ(commandLine, expected);
    // The editor opens the document after it has shown its first, untitled window, which is the
    // window the launcher waited for.
    EXPECT_TRUE(rig::WaitForTitleHolding(editor, "notes." + extension, 10000))
        << rig::TitledWindowText(editor);
}

} // namespace
