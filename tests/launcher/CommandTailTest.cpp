#include "launcher/CommandTail.h"

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct TailCase {
    UINT codePage;
    std::string commandLine;
    std::string tail;
};

void PrintTo(const TailCase& c, std::ostream* out) {
    *out << c.codePage << ": " << c.commandLine;
}

class CommandTailTest : public ::testing::TestWithParam<TailCase> {};

TEST_P(CommandTailTest, SkipsProgramNameAndSeparators) {
    const TailCase& c = GetParam();
    sim::Reset();
    sim::SetCodePage(c.codePage);
    text::SetUpCharacterRules();
    EXPECT_EQ(std::string(CommandLineTail(c.commandLine.c_str())), c.tail);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandTailTest,
    ::testing::Values(
        TailCase{1252, "C:\\Kit\\launcher.exe /path a.txt", "/path a.txt"},
        TailCase{1252, "\"C:\\My Kit\\launcher.exe\"  /path a.txt", "/path a.txt"},
        // The closing quote ends the name even with no blank after it.
        TailCase{1252, "\"C:\\x.exe\"arg b", "arg b"},
        TailCase{1252, "\"C:\\a\"b c\"d e", "b c\"d e"},
        // Bytes above 0x7F belong to an unquoted name.
        TailCase{1252, "C:\\\xE9t\xE9.exe arg", "arg"},
        TailCase{932, "C:\\\x95\x5C\\app.exe arg", "arg"},
        // Every byte from 1 to 32 separates; the tail keeps its inner and trailing blanks.
        TailCase{1252, "l.exe \t\x01\x1F /path  a ", "/path  a "}, TailCase{1252, "l.exe", ""},
        TailCase{1252, "", ""}, TailCase{1252, "\"\" /path a", "/path a"},
        TailCase{1252, "\"C:\\unterminated /path a", ""},
        // In a double-byte code page a trail byte is never the closing quote.
        TailCase{932, "\"C:\\\x83\x22x\" arg", "arg"},
        TailCase{1252, "\"C:\\\x83\x22x\" arg", "x\" arg"}, TailCase{932, "\"C:\\\x83", ""}));

} // namespace
