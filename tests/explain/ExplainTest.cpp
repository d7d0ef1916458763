// The explain tool against the simulated machine: the whole printed chain for representative
// runs, its exit codes, its own switches, and what it reports of a real start with --run.
#include "explain/Explain.h"
#include "explain/ExplainSwitches.h"

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Default values below HKEY_CLASSES_ROOT: key path, text.
using ClassesValues = std::vector<std::pair<std::string, std::string>>;

const ClassesValues kViewerForXyz = {
    {".xyz", "XyzFile"},
    {"XyzFile\\shell\\open\\command", "\"%ProgramFiles%\\Viewer\\viewer.exe\" \"%1\""}};
const ClassesValues kEditForTxt = {{".txt", "TxtFile"},
                                   {"TxtFile\\shell\\edit\\command", "notepad.exe %1"}};
const ClassesValues kOwnCommandForAbc = {
    {".abc\\shell\\open\\command", "C:\\Tools\\abc.exe \"%1\""}};
const ClassesValues kMissingViewerForXyz = {
    {".xyz", "XyzFile"}, {"XyzFile\\shell\\open\\command", "\"C:\\Nowhere\\viewer.exe\" \"%1\""}};

constexpr const char* kAsKitLauncher = "--as E:\\Kit\\Bin\\launcher.exe ";

class ExplainTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        text::SetUpCharacterRules();
        sim::SetModulePath(std::string("C:\\Tools\\launcher-explain.exe"));
        sim::AddFolder("E:\\Kit\\Bin");
        sim::AddFile("E:\\Kit\\Bin\\guide.txt");
        sim::AddFile("E:\\Kit\\Bin\\Docs\\data.abc");
        sim::AddFile("E:\\Kit\\Docs\\report.xyz");
        sim::AddProgram("E:\\Kit\\Bin\\tool.exe");
        sim::AddProgram("C:\\Program Files\\Viewer\\viewer.exe");
        sim::AddProgram("C:\\Windows\\system32\\notepad.exe");
        sim::AddProgram("C:\\Tools\\abc.exe");
        sim::SetEnvironment({"ProgramFiles=C:\\Program Files", "windir=C:\\Windows"});
    }

    // Whatever the run did, it read the registry only and left nothing open, as the launcher.
    void TearDown() override {
        EXPECT_EQ(sim::OpenKeys(), 0);
        EXPECT_EQ(sim::OpenHandles(), 0);
        EXPECT_EQ(sim::OpenEnvironmentBlocks(), 0);
    }

    static void Register(const ClassesValues& values) {
        for (const auto& [key, text] : values) {
            sim::SetRegistryText(HKEY_CLASSES_ROOT, key, "", text);
        }
    }
};

struct ChainCase {
    const char* what;
    ClassesValues values;
    std::string modulePath; // of the explain tool itself
    std::string tail;
    std::string output;
    int exitCode;
};

void PrintTo(const ChainCase& c, std::ostream* out) {
    *out << c.what;
}

class ExplainChainTest : public ExplainTest, public ::testing::WithParamInterface<ChainCase> {};

// Compared whole, so that a step missing, added or out of order shows.
TEST_P(ExplainChainTest, PrintsEveryStepAndStartsNothing) {
    const ChainCase& c = GetParam();
    Register(c.values);
    sim::SetModulePath(c.modulePath);
    const Explanation explanation = Explain(c.tail);
    EXPECT_EQ(explanation.output, c.output);
    EXPECT_EQ(explanation.error, "");
    EXPECT_EQ(explanation.exitCode, c.exitCode);
    EXPECT_TRUE(sim::StartedProcesses().empty());
    EXPECT_EQ(sim::Calls(sim::Op::WaitForSingleObject), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, ExplainChainTest,
    ::testing::Values(
        ChainCase{"registered type", kViewerForXyz, "C:\\Tools\\launcher-explain.exe",
                  std::string(kAsKitLauncher) + "/path ..\\Docs\\report.xyz",
                  R"chain(Launcher folder: <E:\Kit\Bin\>, of <E:\Kit\Bin\launcher.exe> (--as)
Option /path: <..\Docs\report.xyz>
Option /verb: none
Document path: a chain of 1 "..\", 1 folder above the launcher's folder
  test <E:\Kit\Docs\report.xyz>: found
Document: <E:\Kit\Docs\report.xyz>
Verb: <open>, the default
Extension: <xyz>
Registry reads:
  HKEY_CLASSES_ROOT\.xyz, default value: REG_SZ <XyzFile>
  HKEY_CLASSES_ROOT\XyzFile\shell\open\command, default value: REG_SZ <"%ProgramFiles%\Viewer\viewer.exe" "%1">
Command template: <"%ProgramFiles%\Viewer\viewer.exe" "%1">
Cleaned text: <C:\Program Files\Viewer\viewer.exe %1>
Program file search: 7 tests of 3 beginnings of the cleaned text
  each as written, below the System folder <C:\Windows\system32>, below the Windows folder <C:\Windows>
  found by test 7, as written: <C:\Program Files\Viewer\viewer.exe >
Would start: <"C:\Program Files\Viewer\viewer.exe " "E:\Kit\Docs\report.xyz">
  in folder <E:\Kit\Bin\>
Launcher exit code: 0
Result: 0, a program file was found for the document
)chain",
                  0},
        // The class has no command for the verb asked, and its edit command names a program
        // without a folder, found below the System folder.
        ChainCase{"edit fall-back", kEditForTxt, "C:\\Tools\\launcher-explain.exe",
                  std::string(kAsKitLauncher) + "/path guide.txt /verb print",
                  R"chain(Launcher folder: <E:\Kit\Bin\>, of <E:\Kit\Bin\launcher.exe> (--as)
Option /path: <guide.txt>
Option /verb: <print>
Document path: a bare name, in the launcher's folder
  test <guide.txt>: not found, error 2: no such file
  test <E:\Kit\Bin\guide.txt>: found
Document: <E:\Kit\Bin\guide.txt>
Verb: <print>
Extension: <txt>
Registry reads:
  HKEY_CLASSES_ROOT\.txt, default value: REG_SZ <TxtFile>
  HKEY_CLASSES_ROOT\TxtFile\shell\print\command: no such key
  HKEY_CLASSES_ROOT\TxtFile\shell\edit\command, default value: REG_SZ <notepad.exe %1>
Command template: <notepad.exe %1>
Cleaned text: <notepad.exe %1>
Program file search: 8 tests of 3 beginnings of the cleaned text
  each as written, below the System folder <C:\Windows\system32>, below the Windows folder <C:\Windows>
  found by test 8, below the System folder: <C:\Windows\system32\notepad.exe >
Would start: <"C:\Windows\system32\notepad.exe " "E:\Kit\Bin\guide.txt">
  in folder <E:\Kit\Bin\>
Launcher exit code: 0
Result: 0, a program file was found for the document
)chain",
                  0},
        // Without --as the explain tool's own folder is the launcher's.
        ChainCase{
            "command under the extension's own key", kOwnCommandForAbc,
            "E:\\Kit\\Bin\\launcher-explain.exe", "/path .\\Docs\\data.abc",
            R"chain(Launcher folder: <E:\Kit\Bin\>, of <E:\Kit\Bin\launcher-explain.exe> (this program)
Option /path: <.\Docs\data.abc>
Option /verb: none
Document path: a leading ".\", the launcher's folder
  test <E:\Kit\Bin\Docs\data.abc>: found
Document: <E:\Kit\Bin\Docs\data.abc>
Verb: <open>, the default
Extension: <abc>
Registry reads:
  HKEY_CLASSES_ROOT\.abc, default value: no such value
  HKEY_CLASSES_ROOT\.abc\shell\open\command, default value: REG_SZ <C:\Tools\abc.exe "%1">
Command template: <C:\Tools\abc.exe "%1">
Cleaned text: <C:\Tools\abc.exe %1>
Program file search: 7 tests of 3 beginnings of the cleaned text
  each as written, below the System folder <C:\Windows\system32>, below the Windows folder <C:\Windows>
  found by test 7, as written: <C:\Tools\abc.exe >
Would start: <"C:\Tools\abc.exe " "E:\Kit\Bin\Docs\data.abc">
  in folder <E:\Kit\Bin\>
Launcher exit code: 0
Result: 0, a program file was found for the document
)chain",
            0},
        // Every beginning of the 24 bytes of the cleaned text, in each of the three places.
        ChainCase{"missing program", kMissingViewerForXyz, "C:\\Tools\\launcher-explain.exe",
                  std::string(kAsKitLauncher) + "/path ..\\Docs\\report.xyz",
                  R"chain(Launcher folder: <E:\Kit\Bin\>, of <E:\Kit\Bin\launcher.exe> (--as)
Option /path: <..\Docs\report.xyz>
Option /verb: none
Document path: a chain of 1 "..\", 1 folder above the launcher's folder
  test <E:\Kit\Docs\report.xyz>: found
Document: <E:\Kit\Docs\report.xyz>
Verb: <open>, the default
Extension: <xyz>
Registry reads:
  HKEY_CLASSES_ROOT\.xyz, default value: REG_SZ <XyzFile>
  HKEY_CLASSES_ROOT\XyzFile\shell\open\command, default value: REG_SZ <"C:\Nowhere\viewer.exe" "%1">
Command template: <"C:\Nowhere\viewer.exe" "%1">
Cleaned text: <C:\Nowhere\viewer.exe %1>
Program file search: 72 tests of 24 beginnings of the cleaned text
  each as written, below the System folder <C:\Windows\system32>, below the Windows folder <C:\Windows>
  no test found a file: the launcher starts the document itself
Would start: <"E:\Kit\Docs\report.xyz">
  in folder <E:\Kit\Bin\>
Launcher exit code: 0
Result: 1, the launcher starts the document itself
)chain",
                  1},
        ChainCase{"missing document", kViewerForXyz, "C:\\Tools\\launcher-explain.exe",
                  std::string(kAsKitLauncher) + "/path ..\\Docs\\missing.xyz",
                  R"chain(Launcher folder: <E:\Kit\Bin\>, of <E:\Kit\Bin\launcher.exe> (--as)
Option /path: <..\Docs\missing.xyz>
Option /verb: none
Document path: a chain of 1 "..\", 1 folder above the launcher's folder
  test <E:\Kit\Docs\missing.xyz>: not found, error 2: no such file
  test <E:\Kit\Bin\E:\Kit\Docs\missing.xyz>: not found, error 123: not a valid name
Document: cannot be found
Launcher exit code: -1 (4294967295 to a Windows parent)
Result: 2, the document cannot be found
)chain",
                  2}));

// The text between the first line beginning with "from" and the next line beginning with "to"
// (that line included).
std::string Block(const std::string& output, const std::string& from, const std::string& to) {
    const std::string::size_type begin = output.find(from);
    if (begin == std::string::npos) {
        return "(no " + from + ")";
    }
    const std::string::size_type last = output.find("\n" + to, begin);
    return output.substr(begin, output.find('\n', last + 1) + 1 - begin);
}

TEST_F(ExplainTest, TellsWhichDocumentPathRuleApplied) {
    const struct {
        const char* tail;
        const char* block;
    } cases[] = {
        {"/path \\Kit\\Docs\\report.xyz",
         "Document path: a leading \"\\\", the root of the launcher's drive or share\n"
         "  test <E:\\Kit\\Docs\\report.xyz>: found\n"
         "Document: <E:\\Kit\\Docs\\report.xyz>\n"},
        {"/path E:\\Kit\\Docs\\report.xyz",
         "Document path: a path as given, then below the launcher's folder\n"
         "  test <E:\\Kit\\Docs\\report.xyz>: found\n"
         "Document: <E:\\Kit\\Docs\\report.xyz>\n"},
        // A climb past the root stays on the launcher's drive.
        {"/path ..\\..\\..\\Kit\\Docs\\report.xyz",
         "Document path: a chain of 3 \"..\\\", 3 folders above the launcher's folder\n"
         "  test <E:\\Kit\\Docs\\report.xyz>: found\n"
         "Document: <E:\\Kit\\Docs\\report.xyz>\n"},
        {"/path Docs\\data.abc",
         "Document path: a path as given, then below the launcher's folder\n"
         "  test <Docs\\data.abc>: not found, error 3: no such folder\n"
         "  test <E:\\Kit\\Bin\\Docs\\data.abc>: found\n"
         "Document: <E:\\Kit\\Bin\\Docs\\data.abc>\n"},
        {"/verb open",
         "Document path: no value\n"
         "  test <>: not found, error 2: no such file\n"
         "  test <E:\\Kit\\Bin\\>: not found, error 5: access denied (a folder, say)\n"
         "Document: cannot be found\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Block(Explain(std::string(kAsKitLauncher) + c.tail).output,
                        "Document path:", "Document:"),
                  c.block)
            << c.tail;
    }
}

// What came back from each read: a type and its text up to the first NUL, or why there is none.
TEST_F(ExplainTest, TellsWhatEachRegistryReadGave) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".e1", "", "");
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".e2", "", std::string(5000, 'x'));
    sim::SetRegistryValue(HKEY_CLASSES_ROOT, ".e3", "", REG_DWORD, std::string("\x01\0\0\0", 4));
    sim::SetRegistryValue(HKEY_CLASSES_ROOT, ".e4", "", REG_MULTI_SZ,
                          std::string("E4File\0Other\0\0", 14));
    sim::AddRegistryKey(HKEY_CLASSES_ROOT, ".e5");
    sim::DenyRegistryKey(HKEY_CLASSES_ROOT, ".e5");
    const struct {
        const char* extension;
        const char* firstRead;
    } cases[] = {
        {"e1", "  HKEY_CLASSES_ROOT\\.e1, default value: REG_SZ, empty\n"},
        {"e2", "  HKEY_CLASSES_ROOT\\.e2, default value: REG_SZ, too long: 5001 bytes, more than "
               "the 4096 read\n"},
        {"e3", "  HKEY_CLASSES_ROOT\\.e3, default value: REG_DWORD <\\x01>\n"},
        {"e4", "  HKEY_CLASSES_ROOT\\.e4, default value: REG_MULTI_SZ <E4File>\n"},
        {"e5", "  HKEY_CLASSES_ROOT\\.e5: the key cannot be opened, error 5\n"},
        {"e6", "  HKEY_CLASSES_ROOT\\.e6: no such key\n"},
    };
    for (const auto& c : cases) {
        const std::string document = std::string("E:\\Kit\\Bin\\doc.") + c.extension;
        sim::AddFile(document);
        const std::string output =
            Explain(std::string(kAsKitLauncher) + "/path " + document).output;
        EXPECT_EQ(Block(output, "Registry reads:", "  ").substr(16), c.firstRead) << c.extension;
    }
}

TEST_F(ExplainTest, ExitCodeTellsWhatTheLauncherWouldOpen) {
    Register(kViewerForXyz);
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".txt", "", "TxtFile"); // a class without commands
    const struct {
        const char* tail;
        int exitCode;
    } cases[] = {
        {"/path ..\\Docs\\report.xyz", 0},
        {"/path ..\\Docs\\report.xyz /verb open", 0},
        {"/path guide.txt", 1}, // a class without a command
        {"/path tool.exe", 1},  // no key at all
        {"/path ..\\Docs\\report.xyz /verb print", 1},
        {"/path ..\\Docs\\missing.xyz", 2},
        {"/verb open", 2},
        {"/PATH guide.txt", 2}, // the option name is exact
        {"/path E:\\Kit", 2},   // a folder is no document
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Explain(std::string(kAsKitLauncher) + c.tail).exitCode, c.exitCode) << c.tail;
    }
}

TEST_F(ExplainTest, UsageErrorsGiveOneLineAndThree) {
    for (const char* tail :
         {"", "   ", "--run", "--as E:\\Kit\\Bin\\launcher.exe", "--bogus /path x", "-- /path x",
          "--as /path x", "--as launcher.exe /path x",
          "--run--as E:\\Kit\\Bin\\launcher.exe /path x"}) {
        SCOPED_TRACE(tail);
        const Explanation explanation = Explain(tail);
        EXPECT_EQ(explanation.exitCode, 3);
        EXPECT_EQ(explanation.output, "");
        ASSERT_FALSE(explanation.error.empty());
        EXPECT_EQ(explanation.error.find('\n'), explanation.error.size() - 1);
        EXPECT_EQ(explanation.error.rfind("launcher-explain: ", 0), 0u);
        EXPECT_NE(explanation.error.find(kExplainUsage), std::string::npos);
        EXPECT_EQ(sim::Calls(sim::Op::CreateFileA), 0);
    }
}

TEST(ExplainSwitchesTest, OwnSwitchesComeFirstAndTheRestIsTheLaunchersTail) {
    const struct {
        const char* tail;
        bool run;
        std::optional<std::string> launcherPath;
        const char* launcherTail;
    } cases[] = {
        {"/path a.txt", false, std::nullopt, "/path a.txt"},
        {"  --run   /path a.txt ", true, std::nullopt, "/path a.txt "},
        {"--as E:\\Kit\\launcher.exe --run /path a.txt", true, "E:\\Kit\\launcher.exe",
         "/path a.txt"},
        {"--as \"E:\\My Kit\\launcher.exe\" /path a.txt", false, "E:\\My Kit\\launcher.exe",
         "/path a.txt"},
        {"--as \\\\server\\kit\\launcher.exe /path a", false, "\\\\server\\kit\\launcher.exe",
         "/path a"},
        // After the first word that is no switch of its own, everything is the launcher's.
        {"/path a --run /verb b", false, std::nullopt, "/path a --run /verb b"},
        {"x --as E:\\Kit\\launcher.exe", false, std::nullopt, "x --as E:\\Kit\\launcher.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        const ExplainSwitches switches = ReadExplainSwitches(c.tail);
        EXPECT_EQ(switches.error, "");
        EXPECT_EQ(switches.run, c.run);
        EXPECT_EQ(switches.launcherPath, c.launcherPath);
        EXPECT_EQ(switches.launcherTail, c.launcherTail);
    }
}

// A switch-like text after the first option is part of its value, as the launcher reads it.
TEST_F(ExplainTest, SwitchAfterAnOptionBelongsToItsValue) {
    const Explanation explanation = Explain(std::string(kAsKitLauncher) + "/path guide.txt --run");
    EXPECT_NE(explanation.output.find("Option /path: <guide.txt --run>\n"), std::string::npos);
    EXPECT_EQ(explanation.exitCode, 2);
    EXPECT_TRUE(sim::StartedProcesses().empty());
}

// The line that follows "prefix" in the output, without the prefix; empty when there is none.
std::string LineAfter(const std::string& output, const std::string& prefix) {
    const std::string::size_type at = output.find("\n" + prefix);
    if (at == std::string::npos) {
        return "";
    }
    const std::string::size_type begin = at + 1 + prefix.size();
    return output.substr(begin, output.find('\n', begin) - begin);
}

// What the stand-in records is what the real start is given, and --run starts just that.
TEST_F(ExplainTest, WouldStartIsWhatRunStarts) {
    const struct {
        const char* what;
        ClassesValues values;
        const char* tail;
    } cases[] = {
        {"registered type", kViewerForXyz, "/path ..\\Docs\\report.xyz"},
        {"edit fall-back", kEditForTxt, "/path guide.txt /verb print"},
        {"own key", kOwnCommandForAbc, "/path .\\Docs\\data.abc"},
        {"no association", {}, "/path tool.exe"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Register(c.values);
        const std::string tail = std::string(kAsKitLauncher) + c.tail;
        const Explanation wouldStart = Explain(tail);
        sim::ScriptNextChild({{{"Document", "Main"}}, 0xFFFFFFFFu});
        const Explanation run = Explain("--run " + tail);
        ASSERT_EQ(sim::StartedProcesses().size(), 1u);
        const sim::StartedProcess& started = sim::StartedProcesses()[0];
        EXPECT_EQ(LineAfter(wouldStart.output, "Would start: "), "<" + started.commandLine + ">");
        EXPECT_EQ(LineAfter(run.output, "Started: "), "<" + started.commandLine + ">");
        ASSERT_TRUE(started.currentDirectory.has_value());
        EXPECT_EQ(LineAfter(wouldStart.output, "  in folder "),
                  "<" + *started.currentDirectory + ">");
        EXPECT_EQ(run.exitCode, wouldStart.exitCode);
    }
}

// The machine's clock is its count of waits: a window that appears at clock 3 is seen in the fourth
// poll, after three waits.
TEST_F(ExplainTest, RunReportsHowTheWaitEnded) {
    Register(kViewerForXyz);
    const std::string tail = std::string("--run ") + kAsKitLauncher + "/path ..\\Docs\\report.xyz";
    const struct {
        const char* what;
        sim::ChildScript script;
        std::string wait;
    } cases[] = {
        {"window",
         {{{"Report - Viewer", "ViewerMain", false, 3}}, 0xFFFFFFFFu},
         "  wait: main window accepted, poll 4: class <ViewerMain>, title <Report - Viewer>"},
        {"a dialog box first",
         {{{"Licence", "#32770", false, 0}, {"Report - Viewer", "ViewerMain", false, 2}},
          0xFFFFFFFFu},
         "  wait: main window accepted, poll 3: class <ViewerMain>, title <Report - Viewer>"},
        {"ended", {{}, 2}, "  wait: the program ended, poll 3"},
        {"no window", {{}, 0xFFFFFFFFu}, "  wait: no main window within 30000 polls"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        Register(kViewerForXyz);
        sim::ScriptNextChild(c.script);
        const Explanation explanation = Explain(tail);
        EXPECT_EQ(LineAfter(explanation.output, "  in folder <E:\\Kit\\Bin\\>\n"), c.wait);
        EXPECT_EQ(explanation.exitCode, 0);
        EXPECT_EQ(sim::StartedProcesses().size(), 1u);
    }
}

TEST_F(ExplainTest, RunReportsAStartThatFailed) {
    Register(kMissingViewerForXyz);
    const Explanation explanation =
        Explain(std::string("--run ") + kAsKitLauncher + "/path ..\\Docs\\report.xyz");
    EXPECT_EQ(LineAfter(explanation.output, "Could not start: "),
              "<\"E:\\Kit\\Docs\\report.xyz\">, error 193: not a program");
    EXPECT_EQ(explanation.output.find("  wait:"), std::string::npos);
    EXPECT_EQ(explanation.exitCode, 1);
}

} // namespace
