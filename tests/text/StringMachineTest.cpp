// What only the simulated machine can set up: code-page queries that fail, the lead-byte ranges of
// an unknown multibyte code page, double-byte case mappings that fail or give one byte, and the
// heap behind every buffer.
#include "tests/text/CodePageRows.h"

namespace {

using text::LetterCase;
using text_test::Shown;
using text_test::UseCodePage;

String Upper(const char* bytes) {
    String text;
    text.Assign(bytes);
    text.MakeUpper();
    return text;
}

int CompareNoCase(const char* bytes, const char* other) {
    String text;
    text.Assign(bytes);
    return text.CompareNoCase(other);
}

TEST(StringMachineTest, WithoutCodePageInfoOnlyAsciiLettersHaveCase) {
    sim::Reset();
    sim::SetCPInfoFails(true);
    text::SetUpCharacterRules();
    EXPECT_FALSE(text::IsMultibyteMode());
    EXPECT_EQ(text::CaseOf('A'), LetterCase::Upper);
    EXPECT_EQ(text::CasePairOf('A'), 'a');
    EXPECT_EQ(text::CaseOf('z'), LetterCase::Lower);
    EXPECT_EQ(text::CaseOf(0xE9), LetterCase::None);
    EXPECT_EQ(text::CaseOf(0xC9), LetterCase::None);
    EXPECT_EQ(Shown(Upper("caf\xE9")), Shown("CAF\xE9"));
}

TEST(StringMachineTest, WithoutCodePageInfoDoubleByteCodePageKeepsItsLeadBytes) {
    sim::Reset();
    sim::SetCodePage(932);
    sim::SetCPInfoFails(true);
    text::SetUpCharacterRules();
    EXPECT_TRUE(text::IsMultibyteMode());
    EXPECT_TRUE(text::IsLeadByte(0x81));
    EXPECT_FALSE(text::IsLeadByte(0xA0));
    EXPECT_EQ(String("\x83\x5C\x5C").Find('\\'), 2);
    // Double-byte characters are still mapped by the code page.
    EXPECT_EQ(Shown(Upper("\x82\x81"
                          "a")),
              Shown("\x82\x60"
                    "A"));
}

TEST(StringMachineTest, FailingCodePageInfoHidesReportedLeadBytes) {
    sim::Reset();
    sim::SetReportedLeadByteRanges({{0x81, 0x9F}});
    sim::SetCPInfoFails(true);
    text::SetUpCharacterRules();
    EXPECT_FALSE(text::IsMultibyteMode());
    EXPECT_FALSE(text::IsLeadByte(0x81));
}

TEST(StringMachineTest, UnknownMultibyteCodePageUsesReportedLeadBytes) {
    sim::Reset();
    sim::SetReportedLeadByteRanges(
        {{0x81, 0x82}, {0x84, 0x85}, {0x87, 0x88}, {0x8A, 0x8B}, {0x8D, 0x8E}});
    text::SetUpCharacterRules();
    EXPECT_TRUE(text::IsMultibyteMode());
    const unsigned char leads[] = {0x81, 0x82, 0x84, 0x85, 0x87, 0x88, 0x8A, 0x8B, 0x8D, 0x8E};
    const unsigned char others[] = {0x80, 0x83, 0x86, 0x89, 0x8C, 0x8F, 0xE0};
    for (unsigned char byte : leads) {
        EXPECT_TRUE(text::IsLeadByte(byte)) << static_cast<int>(byte);
        EXPECT_EQ(text::CaseOf(byte), LetterCase::None) << static_cast<int>(byte);
    }
    for (unsigned char byte : others) {
        EXPECT_FALSE(text::IsLeadByte(byte)) << static_cast<int>(byte);
    }
    EXPECT_EQ(String("\x8E\x5C\x5C").Find('\\'), 2);
    EXPECT_EQ(Shown(String("ab\x8E")), "ab");
    // With multibyte mode on, single-byte letters fold through the code page's case table.
    EXPECT_EQ(CompareNoCase("caf\xC9", "CAF\xE9"), 0);
    EXPECT_EQ(Shown(Upper("\xE9\x8A")), Shown("\xC9\x8A"));
}

TEST(StringMachineTest, KnownDoubleByteCodePageIgnoresReportedLeadBytes) {
    sim::Reset();
    sim::SetCodePage(932);
    sim::SetReportedLeadByteRanges({{0xA0, 0xA0}});
    text::SetUpCharacterRules();
    EXPECT_TRUE(text::IsLeadByte(0x81));
    EXPECT_TRUE(text::IsLeadByte(0xFC));
    EXPECT_FALSE(text::IsLeadByte(0xA0));
}

TEST(StringMachineTest, OneByteUpperCaseMappingContinuesAtTrailByte) {
    UseCodePage(932);
    sim::SetDoubleByteUpper(0x83, 'a', "!");
    // The mapped byte replaces the lead byte; the trail byte is then a character of its own.
    EXPECT_EQ(Shown(Upper("\x83"
                          "ab")),
              "!AB");
    EXPECT_EQ(CompareNoCase("\x83"
                            "a",
                            "!"),
              0);
    EXPECT_EQ(CompareNoCase("\x83"
                            "a",
                            "\x83"
                            "b"),
              -1);
}

TEST(StringMachineTest, FailingUpperCaseMappingStopsMakeUpper) {
    UseCodePage(932);
    sim::SetDoubleByteUpper(0x82, 0x81, "");
    EXPECT_EQ(Shown(Upper("a\x82\x81"
                          "b\x82\x82")),
              Shown("A\x82\x81"
                    "b\x82\x82"));
}

TEST(StringMachineTest, FailingUpperCaseMappingMakesCompareNoCaseDiffer) {
    UseCodePage(932);
    sim::SetDoubleByteUpper(0x82, 0x81, "");
    EXPECT_EQ(CompareNoCase("x\x82\x81", "x\x82\x81"), 2147483647);
    EXPECT_EQ(CompareNoCase("x", "X\x82\x81"), 2147483647);
    EXPECT_EQ(CompareNoCase("a\x82\x81", "b\x82\x81"), -1); // decided before the mapping
}

struct GrowthRow {
    const char* text;
    const char* oldText;
    const char* newText;
    const char* expected;
    int reallocations;
};

const GrowthRow kGrowthRows[] = {
    {"%1 /x %1 %1", "%1", "C:\\My Documents\\a.txt",
     "C:\\My Documents\\a.txt /x C:\\My Documents\\a.txt C:\\My Documents\\a.txt", 1},
    {"xaxa", "a", "aa", "xaaxaa", 1},
    {"aaaa", "aa", "a", "aa", 0},
    {"abab", "ab", "cd", "cdcd", 0},
    {"abc", "x", "yyy", "abc", 0},
};

TEST(StringMachineTest, ReplaceGrowsBufferAtMostOnce) {
    for (UINT codePage : {1252u, 932u}) {
        UseCodePage(codePage);
        for (const GrowthRow& row : kGrowthRows) {
            String text(row.text);
            const char* before = text.Text();
            const int allocations = sim::Calls(sim::Op::HeapAlloc);
            const int reallocations = sim::Calls(sim::Op::HeapReAlloc);
            text.Replace(row.oldText, row.newText);
            EXPECT_EQ(Shown(text), Shown(row.expected)) << codePage;
            EXPECT_EQ(sim::Calls(sim::Op::HeapReAlloc) - reallocations, row.reallocations)
                << row.text << " in code page " << codePage;
            EXPECT_EQ(sim::Calls(sim::Op::HeapAlloc), allocations) << row.text;
            if (row.reallocations == 0) {
                EXPECT_EQ(text.Text(), before) << row.text;
            }
        }
    }
}

TEST(StringMachineTest, InPlaceChangesAllocateNothing) {
    UseCodePage(1252);
    String text("  caf\xE9\t ");
    const char* before = text.Text();
    const int allocations = sim::Calls(sim::Op::HeapAlloc);
    text.TrimLeft();
    text.TrimRight();
    text.MakeUpper();
    text.Replace('A', 'a');
    EXPECT_EQ(Shown(text), Shown("CaF\xC9"));
    EXPECT_EQ(text.Text(), before);
    EXPECT_EQ(sim::Calls(sim::Op::HeapAlloc), allocations);
}

TEST(StringMachineTest, EveryBufferIsReleasedOnce) {
    UseCodePage(932);
    const int liveBefore = sim::LiveHeapBlocks();
    {
        String path("C:\\Apps\\docs\\");
        String name = path + "guide.pdf";
        String copy(name);
        copy = "x" + copy.Mid(3, 100) + String(".bak");
        copy.Assign(copy);
        copy.Assign(name);
        String parts = name.Left(2) + name.Right(3);
        parts.Replace("C:", "D:\\very\\long\\folder\\");
        parts.TrimLeft();
        String empty;
        empty = parts.Mid(1000, 1);
        EXPECT_GT(sim::LiveHeapBlocks(), liveBefore);
    }
    EXPECT_EQ(sim::LiveHeapBlocks(), liveBefore);
    EXPECT_EQ(sim::BadHeapFrees(), 0);
}

TEST(StringMachineDeathTest, NoMemoryForBufferEndsProcess) {
    UseCodePage(1252);
    EXPECT_EXIT(
        {
            sim::FailNthCall(sim::Op::HeapAlloc, 1);
            String text("abc");
            std::printf("%s\n", text.Text()); // not reached
        },
        testing::ExitedWithCode(0xC0000017 & 0xFF), "");
}

TEST(StringMachineDeathTest, NoMemoryToGrowBufferEndsProcess) {
    UseCodePage(1252);
    EXPECT_EXIT(
        {
            String text("abab");
            sim::FailNthCall(sim::Op::HeapReAlloc, 1);
            text.Replace("b", "bbb");
            std::printf("%s\n", text.Text()); // not reached
        },
        testing::ExitedWithCode(0xC0000017 & 0xFF), "");
}

} // namespace
