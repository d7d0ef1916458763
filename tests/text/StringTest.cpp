// String operations, row by row, in every code page under test.
//
// Texts that a row examines are set with Assign, which keeps every byte, so that a row can hold a
// final lone lead byte; the copy rows check what the copying constructors make of such texts.
#include "tests/text/CodePageRows.h"

#include <climits>

namespace {

using text_test::ForEachRow;
using text_test::InEachCodePage;
using text_test::kAnyCodePage;
using text_test::kDoubleBytePages;
using text_test::kSingleBytePages;
using text_test::Shown;

constexpr UINT kAny = kAnyCodePage;
constexpr UINT kDouble = kDoubleBytePages;
constexpr UINT kSingle = kSingleBytePages;

TEST(StringTest, EmptyValueOwnsTerminatedBuffer) {
    InEachCodePage([](UINT) {
        const String empty;
        EXPECT_EQ(empty.Length(), 0);
        EXPECT_TRUE(empty.IsEmpty());
        ASSERT_NE(empty.Text(), nullptr);
        EXPECT_EQ(empty.Text()[0], '\0');
        const String fromText("");
        ASSERT_NE(fromText.Text(), nullptr);
        EXPECT_TRUE(fromText.IsEmpty());
        EXPECT_FALSE(String("a").IsEmpty());
    });
}

struct CopyRow {
    UINT codePage;
    const char* source;
    const char* copy; // what the copying constructors keep
};

const CopyRow kCopyRows[] = {
    {kAny, "", ""},
    {kAny, "abc", "abc"},
    {kAny, "\x83\x5C", "\x83\x5C"},
    {kDouble, "ab\x83", "ab"},
    {kSingle, "ab\x83", "ab\x83"},
    {kDouble, "\x83\x83\x83", "\x83\x83"},
    {932, "ab\xA0", "ab\xA0"}, // half-width range, not a lead byte
    {936, "ab\xA0", "ab"},
    {1361, "ab\xD5", "ab\xD5"}, // between two lead-byte ranges
    {1361, "ab\xD8", "ab"},
};

TEST(StringTest, CopiesDropFinalLoneLeadByteAssignKeepsIt) {
    ForEachRow(kCopyRows, [](const CopyRow& row) {
        EXPECT_EQ(Shown(String(row.source)), Shown(row.copy));

        String exact;
        exact.Assign(row.source);
        EXPECT_EQ(Shown(exact), Shown(row.source));
        const String copied(exact);
        EXPECT_EQ(Shown(copied), Shown(row.copy));
        EXPECT_NE(copied.Text(), exact.Text());

        String assigned("other");
        assigned = exact;
        EXPECT_EQ(Shown(assigned), Shown(row.source));
        EXPECT_NE(assigned.Text(), exact.Text());
        String byString;
        byString.Assign(exact);
        EXPECT_EQ(Shown(byString), Shown(row.source));
    });
}

TEST(StringTest, AssigningToItselfChangesNothing) {
    InEachCodePage([](UINT) {
        String text;
        text.Assign("ab\x83");
        const char* before = text.Text();
        EXPECT_EQ(&text.Assign(text), &text);
        text = text;
        EXPECT_EQ(text.Text(), before);
        EXPECT_EQ(Shown(text), Shown("ab\x83"));
        EXPECT_EQ(Shown(text.Assign("xyz")), "xyz");
    });
}

enum class Part { Left, Mid, Right };

struct PartRow {
    UINT codePage;
    const char* text;
    Part part;
    int first; // Left and Right: the count
    int count; // Mid only
    const char* expected;
};

const PartRow kPartRows[] = {
    {kAny, "abcdef", Part::Left, 2, 0, "ab"},
    {kAny, "abcdef", Part::Left, 0, 0, ""},
    {kAny, "abcdef", Part::Left, -1, 0, ""},
    {kAny, "abcdef", Part::Left, INT_MIN, 0, ""},
    {kAny, "abcdef", Part::Left, 6, 0, "abcdef"},
    {kAny, "abcdef", Part::Left, 9, 0, "abcdef"},
    {kAny, "abcdef", Part::Left, INT_MAX, 0, "abcdef"},
    {kAny, "abcdef", Part::Right, 2, 0, "ef"},
    {kAny, "abcdef", Part::Right, 0, 0, ""},
    {kAny, "abcdef", Part::Right, -3, 0, ""},
    {kAny, "abcdef", Part::Right, 9, 0, "abcdef"},
    {kAny, "abcdef", Part::Right, INT_MAX, 0, "abcdef"},
    {kAny, "abcdef", Part::Mid, 2, 3, "cde"},
    {kAny, "abcdef", Part::Mid, 4, 10, "ef"},
    {kAny, "abcdef", Part::Mid, -2, 3, "abc"},
    {kAny, "abcdef", Part::Mid, 6, 1, ""},
    {kAny, "abcdef", Part::Mid, 7, 2, ""},
    {kAny, "abcdef", Part::Mid, 1, -1, ""},
    {kAny, "abcdef", Part::Mid, 0, 6, "abcdef"},
    {kAny, "abcdef", Part::Mid, 1, INT_MAX, "bcdef"},
    {kAny, "abcdef", Part::Mid, 0, INT_MAX, "abcdef"},
    {kAny, "abcdef", Part::Mid, INT_MAX, INT_MAX, ""},
    {kAny, "abcdef", Part::Mid, INT_MAX, 1, ""},
    {kAny, "abcdef", Part::Mid, INT_MIN, 2, "ab"},
    {kAny, "", Part::Left, 3, 0, ""},
    {kAny, "", Part::Mid, 0, 1, ""},
    {kAny, "", Part::Right, 1, 0, ""},
    {kDouble, "\x83\x5C", Part::Left, 1, 0, ""},
    {kSingle, "\x83\x5C", Part::Left, 1, 0, "\x83"},
    {kAny, "\x83\x5C", Part::Left, 2, 0, "\x83\x5C"},
    {kAny, "\x83\x5C", Part::Right, 1, 0, "\x5C"},
    {kDouble, "a\x83\x5C", Part::Mid, 1, 1, ""},
    {kSingle, "a\x83\x5C", Part::Mid, 1, 1, "\x83"},
    {kAny, "a\x83\x5C", Part::Mid, 1, 2, "\x83\x5C"},
    {kDouble, "a\x83\x5C", Part::Left, 2, 0, "a"},
};

TEST(StringTest, SubTextsClampCountsAndIndices) {
    ForEachRow(kPartRows, [](const PartRow& row) {
        const String text(row.text);
        String part;
        switch (row.part) {
        case Part::Left:
            part = text.Left(row.first);
            break;
        case Part::Mid:
            part = text.Mid(row.first, row.count);
            break;
        case Part::Right:
            part = text.Right(row.first);
            break;
        }
        EXPECT_EQ(Shown(part), Shown(row.expected))
            << "part " << static_cast<int>(row.part) << " (" << row.first << ", " << row.count
            << ") of " << Shown(row.text);
        EXPECT_EQ(Shown(text), Shown(row.text)); // the source is unchanged
    });
}

struct FindCharacterRow {
    UINT codePage;
    const char* text;
    char character;
    int start;
    int expected;
};

const FindCharacterRow kFindCharacterRows[] = {
    {kAny, "", 'a', 0, -1},
    {kAny, "abc", 'c', 3, -1},
    {kAny, "abc", 'c', 2, 2},
    {kAny, "abc", 'a', 5, -1},
    {kAny, "abcabc", 'b', 2, 4},
    {kAny, "abc", 'z', 0, -1},
    {kDouble, "\x83\x5C\x5C", '\\', 0, 2},
    {kSingle, "\x83\x5C\x5C", '\\', 0, 1},
    {kDouble,
     "\x83"
     "aa",
     'a', 0, 2},
    {kDouble, "\x83\x5C", '\x83', 0, -1},
    {kSingle, "\x83\x5C", '\x83', 0, 0},
    {kDouble, "ab\x83", '\x83', 0, -1},
    {kSingle, "ab\x83", '\x83', 0, 2},
    {kSingle, "caf\xE9", '\xE9', 0, 3},
};

TEST(StringTest, FindCharacterNeverMatchesTrailByte) {
    ForEachRow(kFindCharacterRows, [](const FindCharacterRow& row) {
        String text;
        text.Assign(row.text);
        EXPECT_EQ(text.Find(row.character, row.start), row.expected)
            << Shown(row.text) << " from " << row.start;
    });
}

struct FindTextRow {
    UINT codePage;
    const char* text;
    const char* wanted;
    int start;
    int expected;
};

const FindTextRow kFindTextRows[] = {
    {kAny, "abcabc", "bc", 0, 1},
    {kAny, "abcabc", "bc", 1, 1},
    {kAny, "abcabc", "bc", 2, 4},
    {kAny, "abc", "abc", 0, 0},
    {kAny, "abc", "c", 3, -1},
    {kAny, "abc", "c", 4, -1},
    {kAny, "abc", "abcd", 0, -1},
    {kAny, "abc", "ABC", 0, -1},
    {kAny, "", "a", 0, -1},
    {kDouble, "\x83\x5C\x5C", "\x5C", 0, 2},
    {kSingle, "\x83\x5C\x5C", "\x5C", 0, 1},
    {kDouble, "\x83\x5C", "\x5C", 0, -1},
    {kDouble,
     "\x83\x5C"
     "a\x5C"
     "a",
     "\x5C"
     "a",
     0, 3},
    {kSingle,
     "\x83\x5C"
     "a\x5C"
     "a",
     "\x5C"
     "a",
     0, 1},
};

TEST(StringTest, FindTextStartsOnlyAtCharacters) {
    ForEachRow(kFindTextRows, [](const FindTextRow& row) {
        String text;
        text.Assign(row.text);
        EXPECT_EQ(text.Find(row.wanted, row.start), row.expected)
            << Shown(row.wanted) << " in " << Shown(row.text) << " from " << row.start;
    });
}

struct CompareRow {
    UINT codePage;
    const char* text;
    const char* other;
    int expected;
};

const CompareRow kCompareRows[] = {
    {kAny, "", "", 0},
    {kAny, "", "a", -1},
    {kAny, "a", "", 1},
    {kAny, "abc", "abc", 0},
    {kAny, "abc", "abd", -1},
    {kAny, "abd", "abc", 1},
    {kAny, "ab", "abc", -1},
    {kAny, "abc", "ABC", 1},
    {kSingle, "\xE9", "e", 1},
    {kDouble, "ab\x83", "ab", 0}, // a lone lead byte counts as the end
    {kSingle, "ab\x83", "ab", 1},
    {kDouble, "\x81\x40", "\xA1", 1}, // 0x8140 against 0xA1 (or an end)
    {kSingle, "\x81\x40", "\xA1", -1},
};

TEST(StringTest, CompareOrdersByCharacterValues) {
    ForEachRow(kCompareRows, [](const CompareRow& row) {
        String text;
        text.Assign(row.text);
        EXPECT_EQ(text.Compare(row.other), row.expected)
            << Shown(row.text) << " against " << Shown(row.other);
    });
}

const CompareRow kCompareNoCaseRows[] = {
    {kAny, "RUNDLL32", "rundll32", 0},
    {kAny, "rundll32", "RUNDLL32", 0},
    {kAny, "", "", 0},
    {kAny, "a", "", 1},
    {kAny, "", "A", -1},
    {kAny, "abc", "ABD", -1},
    {kAny, "ABD", "abc", 1},
    {kAny, "abc", "abcd", -1},
    {kAny, "_", "A", -1}, // letters compare in lower case
    {kSingle, "\xC9", "\xE9", -1},
    {1252, "caf\xE9", "CAF\xC9", 1},
    {1251, "\xE0", "\xC0", 1},
    {932, "\x82\x81", "\x82\x60", 0},
    {932, "\x82\x60\x82\x9A", "\x82\x81\x82\x79", 0},
    {932, "\x82\x81", "a", 1}, // double-byte characters compare in upper case
    {936, "\xA3\xE1", "\xA3\xC1", 0},
    {949, "\xA3\xFA", "\xA3\xDA", 0},
    {950, "\xA3\x43", "\xA2\xE8", 0},
    {932,
     "\x83"
     "A",
     "\x83"
     "a",
     -1},
    {kDouble, "ab\x83", "AB", 0},
    {kSingle, "ab\x83", "AB", 1},
};

TEST(StringTest, CompareNoCaseFoldsPerMode) {
    ForEachRow(kCompareNoCaseRows, [](const CompareRow& row) {
        String text;
        text.Assign(row.text);
        EXPECT_EQ(text.CompareNoCase(row.other), row.expected)
            << Shown(row.text) << " against " << Shown(row.other);
    });
}

struct MakeUpperRow {
    UINT codePage;
    const char* text;
    const char* expected;
};

const MakeUpperRow kMakeUpperRows[] = {
    {kAny, "", ""},
    {kAny, "rundll32.exe", "RUNDLL32.EXE"},
    {kAny, "Mixed 123 _z", "MIXED 123 _Z"},
    {1252, "caf\xE9", "CAF\xC9"},
    {1252, "\xE0\xFE\xFF\x9A\x9C\x9E", "\xC0\xDE\x9F\x8A\x8C\x8E"},
    {1252, "\xD7\xF7\xDF", "\xD7\xF7\xDF"},
    {1252,
     "\xA4"
     "aa",
     "\xA4"
     "AA"},
    {1251, "\xE0\xFF\xB8", "\xC0\xDF\xA8"},
    {1251, "\x90\x83\x9A\xA2\xB3\xBC\xB4\xBF", "\x80\x81\x8A\xA1\xB2\xA3\xA5\xAF"},
    {932, "\x82\x81\x82\x9A", "\x82\x60\x82\x79"},
    {932, "\x83\xBF\x84\x70\x84\x80", "\x83\x9F\x84\x40\x84\x4F"}, // Greek, Cyrillic
    {936, "\xA3\xE1\xA3\xFA", "\xA3\xC1\xA3\xDA"},
    {949, "\xA3\xE1\xA3\xFA", "\xA3\xC1\xA3\xDA"},
    {950, "\xA2\xE9\xA3\x43", "\xA2\xCF\xA2\xE8"},
    {932,
     "a\x82\x81"
     "b",
     "A\x82\x60"
     "B"},
    {932,
     "\xB1"
     "a",
     "\xB1"
     "A"},
    // The trail byte of a double-byte character is never upper-cased on its own.
    {932,
     "\x83"
     "aa",
     "\x83"
     "aA"},
    {936,
     "\x81"
     "aa",
     "\x81"
     "aA"},
    {949,
     "\x81"
     "aa",
     "\x81"
     "aA"},
    {950,
     "\xA4"
     "aa",
     "\xA4"
     "aA"},
    {1361,
     "\x88"
     "aa",
     "\x88"
     "aA"},
    {kDouble, "ab\x83", "AB\x83"},
};

TEST(StringTest, MakeUpperMapsCharacters) {
    ForEachRow(kMakeUpperRows, [](const MakeUpperRow& row) {
        String text;
        text.Assign(row.text);
        text.MakeUpper();
        EXPECT_EQ(Shown(text), Shown(row.expected)) << Shown(row.text);
    });
}

struct TrimRow {
    UINT codePage;
    const char* text;
    const char* trimmedLeft;
    const char* trimmedRight;
};

const TrimRow kTrimRows[] = {
    {kAny, "", "", ""},
    {kAny, "a b", "a b", "a b"},
    {kAny, " \t\n\v\f\rabc \t\n\v\f\r", "abc \t\n\v\f\r", " \t\n\v\f\rabc"},
    {kAny, " \t \r\n", "", ""},
    {kAny, " a b ", "a b ", " a b"},
    {kAny,
     "\x1C"
     "a\x1F",
     "\x1C"
     "a\x1F",
     "\x1C"
     "a\x1F"},
    {kAny,
     "\xA0"
     "a\xA0",
     "\xA0"
     "a\xA0",
     "\xA0"
     "a\xA0"},
    {kAny,
     "\x85"
     "a\x85",
     "\x85"
     "a\x85",
     "\x85"
     "a\x85"},
    {kDouble, "a\x81 ", "a\x81 ", "a\x81 "}, // 0x81 0x20 is one character
    {kSingle, "a\x81 ", "a\x81 ", "a\x81"},
};

TEST(StringTest, TrimsRemoveExactlyTheWhiteSpaceBytes) {
    ForEachRow(kTrimRows, [](const TrimRow& row) {
        String left;
        left.Assign(row.text);
        left.TrimLeft();
        EXPECT_EQ(Shown(left), Shown(row.trimmedLeft)) << Shown(row.text);
        String right;
        right.Assign(row.text);
        right.TrimRight();
        EXPECT_EQ(Shown(right), Shown(row.trimmedRight)) << Shown(row.text);
    });
}

struct ReplaceCharacterRow {
    UINT codePage;
    const char* text;
    char oldCharacter;
    char newCharacter;
    const char* expected;
    int count;
};

const ReplaceCharacterRow kReplaceCharacterRows[] = {
    {kAny, "", 'a', 'b', "", 0},
    {kAny, "a\tb", '\t', ' ', "a b", 1},
    {kAny, "abc", '\t', ' ', "abc", 0},
    {kAny, "aXa", 'a', 'a', "aXa", 0},
    {kAny, "a/b/c", '/', '\\', "a\\b\\c", 2},
    {kDouble, "\x83\x5C\x5C", '\\', '/', "\x83\x5C/", 1},
    {kSingle, "\x83\x5C\x5C", '\\', '/', "\x83//", 2},
    // The byte written decides whether the next byte is a trail byte.
    {kDouble, "\x5C\x5C", '\\', '\x83', "\x83\x5C", 1},
    {kSingle, "\x5C\x5C", '\\', '\x83', "\x83\x83", 2},
    {kAny, "\x83\x83\x5C", '\x83', 'a', "aa\x5C", 2},
};

TEST(StringTest, ReplaceCharacterSkipsTrailBytes) {
    ForEachRow(kReplaceCharacterRows, [](const ReplaceCharacterRow& row) {
        String text;
        text.Assign(row.text);
        EXPECT_EQ(text.Replace(row.oldCharacter, row.newCharacter), row.count) << Shown(row.text);
        EXPECT_EQ(Shown(text), Shown(row.expected)) << Shown(row.text);
    });
}

struct ReplaceTextRow {
    UINT codePage;
    const char* text;
    const char* oldText;
    const char* newText;
    const char* expected;
    int count;
};

const ReplaceTextRow kReplaceTextRows[] = {
    {kAny, "aaaa", "aa", "a", "aa", 2},
    {kAny, "abc", "", "x", "abc", 0},
    {kAny, "abc", "x", "y", "abc", 0},
    {kAny, "a.b.c", ".", "", "abc", 2},
    {kAny, "abc", "abc", "", "", 1},
    {kAny, "xaxa", "a", "aa", "xaaxaa", 2},
    {kAny, "aaa", "a", "ba", "bababa", 3},
    {kAny, "abab", "ab", "ab", "abab", 2},
    {kAny, "%1 /x %1", "%1", "\"C:\\doc.txt\"", "\"C:\\doc.txt\" /x \"C:\\doc.txt\"", 2},
    {kDouble,
     "\x83\x5C"
     "a\x5C"
     "a",
     "\x5C"
     "a",
     "b",
     "\x83\x5C"
     "ab",
     1},
    {kSingle,
     "\x83\x5C"
     "a\x5C"
     "a",
     "\x5C"
     "a",
     "b",
     "\x83"
     "bb",
     2},
};

TEST(StringTest, ReplaceTextReplacesEachMatchOnce) {
    ForEachRow(kReplaceTextRows, [](const ReplaceTextRow& row) {
        String text(row.text);
        EXPECT_EQ(text.Replace(row.oldText, row.newText), row.count)
            << Shown(row.oldText) << " in " << Shown(row.text);
        EXPECT_EQ(Shown(text), Shown(row.expected))
            << Shown(row.oldText) << " in " << Shown(row.text);
    });
}

struct JoinRow {
    UINT codePage;
    const char* left;
    const char* right;
    const char* expected;
};

const JoinRow kJoinRows[] = {
    {kAny, "", "", ""},
    {kAny, "ab", "cd", "abcd"},
    {kAny, "", "x", "x"},
    {kAny, "\x83", "\x5C", "\x83\x5C"}, // a lone lead byte meets its trail byte
    {kDouble, "ab", "\x83", "ab"},
    {kSingle, "ab", "\x83", "ab\x83"},
};

TEST(StringTest, ConcatenationCopiesBothOperands) {
    ForEachRow(kJoinRows, [](const JoinRow& row) {
        String left;
        left.Assign(row.left);
        String right;
        right.Assign(row.right);
        EXPECT_EQ(Shown(left + right), Shown(row.expected));
        EXPECT_EQ(Shown(left + row.right), Shown(row.expected));
        EXPECT_EQ(Shown(row.left + right), Shown(row.expected));
        EXPECT_EQ(Shown(left), Shown(row.left));
        EXPECT_EQ(Shown(right), Shown(row.right));
    });
}

} // namespace
