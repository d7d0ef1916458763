// The character rules read from the active code page: lead bytes, white space and the single-byte
// case table.
#include "tests/text/CodePageRows.h"

namespace {

using text::LetterCase;
using text_test::ForEachRow;
using text_test::InEachCodePage;
using text_test::IsDoubleBytePage;
using text_test::kAnyCodePage;

TEST(CharacterRulesTest, MultibyteModeOnlyForDoubleByteCodePages) {
    InEachCodePage(
        [](UINT codePage) { EXPECT_EQ(text::IsMultibyteMode(), IsDoubleBytePage(codePage)); });
}

TEST(CharacterRulesTest, WhiteSpaceIsExactlyTabToCarriageReturnAndSpace) {
    InEachCodePage([](UINT) {
        for (unsigned byte = 0; byte < 256; ++byte) {
            const bool expected = byte == 0x20 || (byte >= 0x09 && byte <= 0x0D);
            EXPECT_EQ(text::IsWhiteSpace(static_cast<unsigned char>(byte)), expected) << byte;
        }
    });
}

struct LeadByteRow {
    UINT codePage;
    unsigned char byte;
    bool lead;
};

const LeadByteRow kLeadByteRows[] = {
    {1252, 0x81, false}, {1252, 0xE0, false}, {1251, 0x81, false}, {437, 0x81, false},
    {932, 0x80, false},  {932, 0x81, true},   {932, 0x9F, true},   {932, 0xA0, false},
    {932, 0xDF, false},  {932, 0xE0, true},   {932, 0xFC, true},   {932, 0xFD, false},
    {936, 0x80, false},  {936, 0x81, true},   {936, 0xFE, true},   {936, 0xFF, false},
    {949, 0x80, false},  {949, 0x81, true},   {949, 0xFE, true},   {949, 0xFF, false},
    {950, 0x80, false},  {950, 0x81, true},   {950, 0xFE, true},   {950, 0xFF, false},
    {1361, 0x80, false}, {1361, 0x81, true},  {1361, 0xD3, true},  {1361, 0xD4, false},
    {1361, 0xD7, false}, {1361, 0xD8, true},  {1361, 0xDE, true},  {1361, 0xDF, false},
    {1361, 0xE0, true},  {1361, 0xF9, true},  {1361, 0xFA, false}, {kAnyCodePage, 'A', false},
};

TEST(CharacterRulesTest, LeadBytesFollowTheCodePage) {
    ForEachRow(kLeadByteRows, [](const LeadByteRow& row) {
        EXPECT_EQ(text::IsLeadByte(row.byte), row.lead) << static_cast<int>(row.byte);
    });
}

struct CaseRow {
    UINT codePage;
    unsigned char byte;
    LetterCase letterCase;
    unsigned char pair;
};

const CaseRow kCaseRows[] = {
    {kAnyCodePage, 'A', LetterCase::Upper, 'a'},
    {kAnyCodePage, 'z', LetterCase::Lower, 'Z'},
    {kAnyCodePage, '1', LetterCase::None, '1'},
    {kAnyCodePage, '_', LetterCase::None, '_'},
    {1252, 0xC9, LetterCase::Upper, 0xE9},
    {1252, 0xE9, LetterCase::Lower, 0xC9},
    {1252, 0xDE, LetterCase::Upper, 0xFE},
    {1252, 0x8A, LetterCase::Upper, 0x9A},
    {1252, 0x9C, LetterCase::Lower, 0x8C},
    {1252, 0x9F, LetterCase::Upper, 0xFF},
    {1252, 0xFF, LetterCase::Lower, 0x9F},
    {1252, 0xD7, LetterCase::None, 0xD7},
    {1252, 0xF7, LetterCase::None, 0xF7},
    {1252, 0xA0, LetterCase::None, 0xA0},
    {1251, 0xC0, LetterCase::Upper, 0xE0},
    {1251, 0xFF, LetterCase::Lower, 0xDF},
    {1251, 0xA8, LetterCase::Upper, 0xB8},
    {1251, 0x80, LetterCase::Upper, 0x90},
    {1251, 0x83, LetterCase::Lower, 0x81},
    {1251, 0xB3, LetterCase::Lower, 0xB2},
    {1251, 0xBC, LetterCase::Lower, 0xA3},
    {1251, 0xA5, LetterCase::Upper, 0xB4},
    {1251, 0xB9, LetterCase::None, 0xB9},
    {932, 0x82, LetterCase::None, 0x82}, // lead bytes have no case
    {932, 0xB1, LetterCase::None, 0xB1},
    {936, 0xC9, LetterCase::None, 0xC9},
};

TEST(CharacterRulesTest, CaseTableFromCodePageClassesAndMappings) {
    ForEachRow(kCaseRows, [](const CaseRow& row) {
        EXPECT_EQ(text::CaseOf(row.byte), row.letterCase) << static_cast<int>(row.byte);
        EXPECT_EQ(text::CasePairOf(row.byte), row.pair) << static_cast<int>(row.byte);
    });
}

} // namespace
