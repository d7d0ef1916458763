// Cleaning a registered command: quotes, environment references and shell program names.
#include "command/CommandText.h"
#include "command/EnvironmentReferences.h"

#include "tests/MachineTest.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace {

class CommandTextTest : public MachineTest {
  protected:
    static std::string Clean(const std::string& command) {
        String text = command.c_str();
        CleanCommandText(text);
        return text.Text();
    }

    static std::string Expand(const std::string& command) {
        String text = command.c_str();
        ExpandEnvironmentReferences(text);
        return text.Text();
    }
};

struct CleanCase {
    std::string before;
    std::vector<std::string> environment;
    std::string after;
};

void PrintTo(const CleanCase& c, std::ostream* out) {
    *out << c.before;
}

class CleanTableTest : public CommandTextTest, public ::testing::WithParamInterface<CleanCase> {};

TEST_P(CleanTableTest, GivesTextThatBeginsWithProgramFile) {
    sim::SetEnvironment(GetParam().environment);
    EXPECT_EQ(Clean(GetParam().before), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CleanTableTest,
    ::testing::Values(
        CleanCase{"\"%ProgramFiles%\\App\\app.exe\" \"%1\"",
                  {"ProgramFiles=C:\\Program Files"},
                  "C:\\Program Files\\App\\app.exe %1"},
        CleanCase{"%TEMP%\\a %TEMP%\\b", {"TEMP=C:\\Tmp"}, "C:\\Tmp\\a %TEMP%\\b"},
        CleanCase{"%windir%\\notepad.exe", {"windir=C:\\WINDOWS"}, "C:\\WINDOWS\\notepad.exe"},
        CleanCase{"%WINDIR%\\notepad.exe", {"windir=C:\\WINDOWS"}, "C:\\WINDOWS\\notepad.exe"},
        CleanCase{"%NoSuchVariable%\\x", {"windir=C:\\WINDOWS"}, "%NoSuchVariable%\\x"},
        CleanCase{"RunDll32 x.dll,Entry", {}, "rundll32.exe x.dll,Entry"},
        CleanCase{"rundll32", {}, "rundll32.exe"}, CleanCase{"rundll3", {}, "rundll3"},
        CleanCase{"rundll32.exe x.dll,Entry", {}, "rundll32.exe.exe x.dll,Entry"},
        CleanCase{"Explorer /e,C:\\x", {}, "explorer.exe /e,C:\\x"},
        CleanCase{" explorer /e", {}, " explorer /e"}, CleanCase{"\"\"\"", {}, ""},
        CleanCase{"", {"A=b"}, ""},
        // Quotes go before the names are completed, and names come from expanded text.
        CleanCase{"\"rundll32\" x.dll", {}, "rundll32.exe x.dll"},
        CleanCase{"%Shell% /e", {"Shell=EXPLORER"}, "explorer.exe /e"},
        // Only the first eight bytes count; the name inside the text is not touched.
        CleanCase{"C:\\x\\explorer /e", {}, "C:\\x\\explorer /e"}));

TEST_F(CommandTextTest, WithoutEnvironmentQuotesAndNamesAreStillDone) {
    sim::SetNoEnvironment();
    EXPECT_EQ(Clean("\"rundll32\" \"%windir%\\x.dll\""), "rundll32.exe %windir%\\x.dll");
}

TEST_F(CommandTextTest, EnvironmentIsWalkedInBlockOrder) {
    sim::SetEnvironment({
        "=C:=C:\\Work",       // no name: skipped
        "=ExitCode=00000000", // no name: skipped
        "NoEquals",           // no variable at all
        "OUTER=%INNER%\\x",   // brings a reference that a later entry expands
        "INNER=C:\\In",       //
        "LATE=%OUTER%",       // brings a reference whose entry has passed
        "EMPTY=",             // removes its reference
        "PCT=50%=half",       // the value goes in as stored, '%' and '=' included
        "1=one",              // a variable named like a placeholder replaces it
    });
    EXPECT_EQ(Expand("%outer% %late% [%Empty%] %pct% %1% %2% %C:%"),
              "C:\\In\\x %OUTER% [] 50%=half one %2% %C:%");
}

TEST_F(CommandTextTest, EnvironmentBlockIsFreedAndFailuresLeaveTextAsIs) {
    sim::SetEnvironment({"TEMP=C:\\Tmp"});
    sim::FailNthCall(sim::Op::GetEnvironmentStrings, 1);
    EXPECT_EQ(Expand("%TEMP%\\a"), "%TEMP%\\a");
    EXPECT_EQ(Expand("%TEMP%\\a"), "C:\\Tmp\\a");
    EXPECT_EQ(sim::Calls(sim::Op::GetEnvironmentStrings), 2);
    EXPECT_EQ(sim::Calls(sim::Op::FreeEnvironmentStringsA), 1);
}

// In a double-byte code page names are matched character by character: a trail byte is never
// folded, while a single-byte letter next to it is.
TEST_F(CommandTextTest, DoubleByteNamesMatchWholeCharacters) {
    sim::SetCodePage(932);
    text::SetUpCharacterRules();
    // 0x83 0x61 and 0x83 0x41 are different characters.
    sim::SetEnvironment({"\x83\x61x=small"});
    EXPECT_EQ(Expand("%\x83\x41X%|%\x83\x61X%"), "%\x83\x41X%|small");
}

} // namespace
