// The whole run against the simulated machine: the document's type is looked up in the registry,
// the program file found in its command, and that program started with the quoted document.
#include "launcher/WinMain.h"

#include "tests/MachineTest.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

const HKEY kClasses = HKEY_CLASSES_ROOT;

// Whatever path the run takes, it reads the registry only and leaves nothing open (MachineTest).
class OpenWithAssociationTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        sim::SetModulePath(std::string("E:\\Kit\\Bin\\launcher.exe"));
        sim::AddFolder("E:\\Kit\\Bin");
        sim::AddFile("E:\\Kit\\Bin\\guide.txt");
        sim::AddFile("E:\\Kit\\Docs\\report.xyz");
        sim::AddProgram("C:\\Program Files\\Viewer\\viewer.exe");
        sim::SetEnvironment({"ProgramFiles=C:\\Program Files", "windir=C:\\Windows"});
        sim::ScriptNextChild({{{"Viewer", "ViewerWindow"}}, 0xFFFFFFFFu});
    }

    static void Register(const std::string& extension, const std::string& className,
                         const std::string& verb, const std::string& command) {
        sim::SetRegistryText(kClasses, "." + extension, "", className);
        sim::SetRegistryText(kClasses, className + "\\shell\\" + verb + "\\command", "", command);
    }

    static int Run(const char* tail) {
        std::string buffer = tail;
        return WinMain(nullptr, nullptr, buffer.data(), SW_SHOWDEFAULT);
    }

    // The command line of the one process started, or "(none)".
    static std::string Started() {
        const std::vector<sim::StartedProcess>& started = sim::StartedProcesses();
        return started.empty() ? "(none)" : started.back().commandLine;
    }
};

struct RunCase {
    const char* what;
    std::string extension;
    std::string verb;
    std::string command;     // registered for the extension and the verb
    const char* tail;        // what the launcher is started with
    std::string commandLine; // what it starts
};

void PrintTo(const RunCase& c, std::ostream* out) {
    *out << c.what;
}

class OpenWithAssociationCases : public OpenWithAssociationTest,
                                 public ::testing::WithParamInterface<RunCase> {};

TEST_P(OpenWithAssociationCases, StartsRegisteredProgramWithQuotedDocument) {
    const RunCase& c = GetParam();
    Register(c.extension, "TestFile", c.verb, c.command);
    EXPECT_EQ(Run(c.tail), 0);
    EXPECT_EQ(Started(), c.commandLine);
}

INSTANTIATE_TEST_SUITE_P(
    Runs, OpenWithAssociationCases,
    ::testing::Values(
        // The blank after the program's name opens the file, so it stays in the program's path.
        RunCase{"quoted program with blanks", "txt", "open",
                "\"C:\\Program Files\\Viewer\\viewer.exe\" /n \"%1\"", "/path guide.txt",
                "\"C:\\Program Files\\Viewer\\viewer.exe \" \"E:\\Kit\\Bin\\guide.txt\""},
        RunCase{"unquoted program with blanks", "txt", "open",
                "C:\\Program Files\\Viewer\\viewer.exe %1", "/path guide.txt",
                "\"C:\\Program Files\\Viewer\\viewer.exe \" \"E:\\Kit\\Bin\\guide.txt\""},
        RunCase{"program alone", "txt", "open", "C:\\Program Files\\Viewer\\viewer.exe",
                "/path guide.txt",
                "\"C:\\Program Files\\Viewer\\viewer.exe\" \"E:\\Kit\\Bin\\guide.txt\""},
        RunCase{"environment reference", "xyz", "open", "%ProgramFiles%\\Viewer\\viewer.exe \"%1\"",
                "/path ..\\Docs\\report.xyz",
                "\"C:\\Program Files\\Viewer\\viewer.exe \" \"E:\\Kit\\Docs\\report.xyz\""},
        RunCase{"verb given", "txt", "print", "\"C:\\Program Files\\Viewer\\viewer.exe\" /p \"%1\"",
                "/path guide.txt /verb print",
                "\"C:\\Program Files\\Viewer\\viewer.exe \" \"E:\\Kit\\Bin\\guide.txt\""},
        // Nothing registered for the verb asked: the document itself is tried, and cannot start.
        RunCase{"verb not registered", "txt", "open",
                "\"C:\\Program Files\\Viewer\\viewer.exe\" \"%1\"", "/path guide.txt /verb print",
                "(none)"},
        RunCase{"program that exists nowhere", "txt", "open", "\"C:\\Nowhere\\viewer.exe\" \"%1\"",
                "/path guide.txt", "(none)"}));

TEST_F(OpenWithAssociationTest, ReadsAtMostFourClassValuesForReading) {
    sim::SetRegistryText(kClasses, ".txt", "", "TestFile");
    sim::SetRegistryText(kClasses, "TestFile\\shell\\view\\command", "",
                         "C:\\Program Files\\Viewer\\viewer.exe %1");
    EXPECT_EQ(Run("/path guide.txt"), 0);
    std::vector<std::string> opened;
    for (const sim::RegistryCall& call : sim::RegistryCalls()) {
        if (call.kind == sim::RegistryCall::Open) {
            EXPECT_EQ(call.root, kClasses);
            EXPECT_EQ(call.access, KEY_READ);
            opened.push_back(call.path);
        }
    }
    EXPECT_EQ(opened, (std::vector<std::string>{".txt", "TestFile\\shell\\open\\command",
                                                "TestFile\\shell\\edit\\command",
                                                "TestFile\\shell\\view\\command"}));
    EXPECT_EQ(Started(), "\"C:\\Program Files\\Viewer\\viewer.exe \" \"E:\\Kit\\Bin\\guide.txt\"");
    ASSERT_EQ(sim::StartedProcesses().size(), 1u);
    EXPECT_EQ(sim::StartedProcesses()[0].currentDirectory,
              std::optional<std::string>("E:\\Kit\\Bin\\"));
}

TEST_F(OpenWithAssociationTest, DocumentThatIsAProgramStartsItselfWithoutAssociation) {
    sim::AddProgram("E:\\Kit\\Bin\\tool.exe");
    EXPECT_EQ(Run("/path tool.exe"), 0);
    EXPECT_EQ(Started(), "\"E:\\Kit\\Bin\\tool.exe\"");
}

// The extension is the text after the path's last dot, folders included; it is looked up as it
// stands.
TEST_F(OpenWithAssociationTest, ExtensionIsTakenOverWholePath) {
    sim::AddFile("E:\\Kit\\Bin\\v1.2\\README");
    sim::AddFile("E:\\Kit\\Bin\\noext");
    Run("/path v1.2\\README");
    Run("/path noext");
    std::vector<std::string> firstKeys;
    for (const sim::RegistryCall& call : sim::RegistryCalls()) {
        if (call.kind == sim::RegistryCall::Open && call.path.find("shell") == std::string::npos) {
            firstKeys.push_back(call.path);
        }
    }
    EXPECT_EQ(firstKeys, (std::vector<std::string>{".2\\README", "."}));
}

TEST_F(OpenWithAssociationTest, DocumentNotFoundReadsNoRegistryAndTestsNoProgram) {
    Register("txt", "TestFile", "open", "C:\\Program Files\\Viewer\\viewer.exe %1");
    EXPECT_EQ(Run("/path missing.txt"), -1);
    EXPECT_TRUE(sim::RegistryCalls().empty());
    EXPECT_EQ(sim::Calls(sim::Op::GetEnvironmentStrings), 0);
    EXPECT_EQ(Started(), "(none)");
}

// Whichever registry, file, folder, environment or process call fails, the run ends with 0 and
// leaves no key, handle, environment block or buffer behind (checked by TearDown each time).
TEST_F(OpenWithAssociationTest, AnyFailedCallStillEndsCleanly) {
    const sim::Op ops[] = {sim::Op::RegOpenKeyExA,
                           sim::Op::RegQueryValueExA,
                           sim::Op::CreateFileA,
                           sim::Op::GetSystemDirectoryA,
                           sim::Op::GetWindowsDirectoryA,
                           sim::Op::GetEnvironmentStrings,
                           sim::Op::lstrlenA,
                           sim::Op::GetModuleFileNameA,
                           sim::Op::CreateProcessA,
                           sim::Op::OpenProcess,
                           sim::Op::WaitForSingleObject};
    for (const sim::Op op : ops) {
        for (int n = 1; n <= 3; ++n) {
            TearDown();
            SetUp();
            Register("txt", "TestFile", "open", "\"%ProgramFiles%\\Viewer\\viewer.exe\" \"%1\"");
            sim::FailNthCall(op, n);
            const int exitCode = Run("/path E:\\Kit\\Bin\\guide.txt");
            EXPECT_EQ(exitCode, op == sim::Op::CreateFileA && n == 1 ? -1 : 0)
                << static_cast<int>(op) << " call " << n;
            EXPECT_LE(sim::StartedProcesses().size(), 1u);
            EXPECT_EQ(sim::OpenKeys(), 0) << static_cast<int>(op) << " call " << n;
            EXPECT_EQ(sim::OpenHandles(), 0) << static_cast<int>(op) << " call " << n;
            EXPECT_EQ(sim::OpenEnvironmentBlocks(), 0) << static_cast<int>(op) << " call " << n;
        }
    }
}

} // namespace
