// Finding the program file at the start of a registered command, by asking the file system for
// ever shorter beginnings of the cleaned command.
#include "command/ProgramFile.h"

#include "tests/MachineTest.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

constexpr const char* kSystem = "C:\\WINDOWS\\system32";
constexpr const char* kWindows = "C:\\WINDOWS";

class ProgramFileTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        sim::SetSystemFolder(std::string(kSystem));
        sim::SetWindowsFolder(std::string(kWindows));
        sim::SetCurrentDirectory("C:\\Work\\");
    }

    static std::string Find(const std::string& command) {
        return FindProgramFile(command.c_str()).Text();
    }
};

// Each pass tests the text as it is, under the System folder, then under the Windows folder.
std::vector<std::string> ThreePlaces(const std::string& text) {
    return {text, std::string(kSystem) + "\\" + text, std::string(kWindows) + "\\" + text};
}

TEST_F(ProgramFileTest, LongestBeginningThatNamesFileWinsPassByPass) {
    sim::AddProgram("C:\\Program Files\\App\\app.exe");
    sim::SetEnvironment({"ProgramFiles=C:\\Program Files"});
    const std::string command = "\"%ProgramFiles%\\App\\app.exe\" /x \"%1\"";
    // The blank after the program's name is still there when the file opens: Windows ignores
    // trailing blanks in a file name.
    EXPECT_EQ(Find(command), "C:\\Program Files\\App\\app.exe ");

    std::vector<std::string> expected;
    for (const char* pass :
         {"C:\\Program Files\\App\\app.exe /x %1", "C:\\Program Files\\App\\app.exe /x %",
          "C:\\Program Files\\App\\app.exe /x ", "C:\\Program Files\\App\\app.exe /x",
          "C:\\Program Files\\App\\app.exe /"}) {
        for (const std::string& path : ThreePlaces(pass)) {
            expected.push_back(path);
        }
    }
    expected.push_back("C:\\Program Files\\App\\app.exe ");
    EXPECT_EQ(sim::CreateFileNames(), expected);
}

struct SearchCase {
    const char* what;
    std::vector<std::string> programs; // files that exist
    std::string command;
    std::string found;
};

void PrintTo(const SearchCase& c, std::ostream* out) {
    *out << c.what;
}

class ProgramSearchTest : public ProgramFileTest,
                          public ::testing::WithParamInterface<SearchCase> {};

TEST_P(ProgramSearchTest, FindsProgramWhereWindowsWouldOpenIt) {
    for (const std::string& program : GetParam().programs) {
        sim::AddProgram(program);
    }
    EXPECT_EQ(Find(GetParam().command), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ProgramSearchTest,
    ::testing::Values(
        SearchCase{"exact path",
                   {"C:\\Tools\\viewer.exe"},
                   "C:\\Tools\\viewer.exe",
                   "C:\\Tools\\viewer.exe"},
        SearchCase{"only under the System folder",
                   {"C:\\WINDOWS\\system32\\notepad.exe"},
                   "notepad.exe %1",
                   "C:\\WINDOWS\\system32\\notepad.exe "},
        SearchCase{"current folder comes before the System and Windows folders",
                   {"C:\\Work\\notepad.exe", "C:\\WINDOWS\\system32\\notepad.exe",
                    "C:\\WINDOWS\\notepad.exe"},
                   "notepad.exe %1",
                   "notepad.exe "},
        SearchCase{"System folder comes before the Windows folder",
                   {"C:\\WINDOWS\\system32\\notepad.exe", "C:\\WINDOWS\\notepad.exe"},
                   "notepad.exe",
                   "C:\\WINDOWS\\system32\\notepad.exe"},
        SearchCase{"only under the Windows folder",
                   {"C:\\WINDOWS\\notepad.exe"},
                   "notepad.exe %1",
                   "C:\\WINDOWS\\notepad.exe "},
        // Completed to rundll32.exe.exe; the pass that ends in a period opens.
        SearchCase{"rundll32.exe",
                   {"C:\\WINDOWS\\system32\\rundll32.exe"},
                   "rundll32.exe x.dll,Entry",
                   "C:\\WINDOWS\\system32\\rundll32.exe."},
        SearchCase{"rundll32 without its extension",
                   {"C:\\WINDOWS\\system32\\rundll32.exe"},
                   "rundll32 x.dll,Entry",
                   "C:\\WINDOWS\\system32\\rundll32.exe "},
        // The pass that still ends in the period of ".doc" is the first to open "app x".
        SearchCase{"a beginning reaching into the arguments names a file",
                   {"C:\\Tools\\app", "C:\\Tools\\app x"},
                   "C:\\Tools\\app x.doc",
                   "C:\\Tools\\app x."},
        SearchCase{"a folder is no program", {}, "C:\\WINDOWS\\system32 %1", ""},
        SearchCase{"unexpanded reference in the program's path",
                   {"C:\\Tools\\viewer.exe"},
                   "%NoSuch%\\viewer.exe %1",
                   ""}));

TEST_F(ProgramFileTest, ProgramNowhereTriesEveryBeginningDownToOneCharacter) {
    EXPECT_EQ(Find("\"nowhere.exe\" \"%1\""), "");
    const std::vector<std::string>& tested = sim::CreateFileNames();
    ASSERT_EQ(tested.size(), 3u * 14u); // "nowhere.exe %1" is 14 bytes
    EXPECT_EQ(tested.front(), "nowhere.exe %1");
    EXPECT_EQ(tested[tested.size() - 3], "n");
}

TEST_F(ProgramFileTest, EmptyCommandTestsNoFile) {
    EXPECT_EQ(Find(""), "");
    EXPECT_EQ(Find("\"\""), "");
    EXPECT_EQ(sim::Calls(sim::Op::CreateFileA), 0);
}

TEST_F(ProgramFileTest, FoldersAreAskedOnceBeforeTheCleanUp) {
    sim::SetEnvironment({"A=b"});
    Find("x y z");
    EXPECT_EQ(sim::Calls(sim::Op::GetSystemDirectoryA), 1);
    EXPECT_EQ(sim::Calls(sim::Op::GetWindowsDirectoryA), 1);
}

// A folder that Windows does not give is no place to look; joined as it is, the text would name
// a file below the current drive's root.
TEST_F(ProgramFileTest, FolderThatCannotBeHadIsSkipped) {
    sim::AddProgram("C:\\notepad.exe");
    sim::AddProgram("C:\\WINDOWS\\notepad.exe");
    sim::SetSystemFolder(std::nullopt);
    EXPECT_EQ(Find("notepad.exe"), "C:\\WINDOWS\\notepad.exe");
    sim::SetSystemFolder(std::string(kSystem));
    sim::FailNthCall(sim::Op::GetWindowsDirectoryA, 1);
    EXPECT_EQ(Find("notepad.exe"), "");
    for (const std::string& path : sim::CreateFileNames()) {
        EXPECT_NE(path.substr(0, 1), "\\") << path;
    }
}

TEST_F(ProgramFileTest, FailedFileTestMovesSearchOn) {
    sim::AddProgram("C:\\Tools\\viewer.exe");
    // The first pass that would open the program fails; the next, shorter one still opens it.
    sim::FailNthCall(sim::Op::CreateFileA, 2 * 3 + 1);
    EXPECT_EQ(Find("C:\\Tools\\viewer.exe %1"), "C:\\Tools\\viewer.exe");
}

// In code page 932 a double-byte character at the end goes whole; a text ending in its lead byte
// alone is never tested.
TEST_F(ProgramFileTest, DoubleByteCharacterIsDroppedWhole) {
    sim::SetCodePage(932);
    text::SetUpCharacterRules();
    sim::AddProgram("C:\\Tools\\\x83\x41.exe");
    EXPECT_EQ(Find("C:\\Tools\\\x83\x41.exe \x83\x5C\x83\x41"), "C:\\Tools\\\x83\x41.exe ");
    const std::vector<std::string>& tested = sim::CreateFileNames();
    ASSERT_EQ(tested.size(), 3u * 2u + 1u);
    EXPECT_EQ(tested[3], "C:\\Tools\\\x83\x41.exe \x83\x5C");
    EXPECT_EQ(tested[6], "C:\\Tools\\\x83\x41.exe ");
}

} // namespace
