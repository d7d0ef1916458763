// The path and text helpers and the launcher folder, against the simulated machine.
#include "text/PathHelpers.h"
#include "text/CharacterRules.h"
#include "text/LauncherFolder.h"

#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>

namespace {

std::string S(const String& value) {
    return value.Text();
}

void UseCodePage(UINT codePage) {
    sim::Reset();
    sim::SetCodePage(codePage);
    text::SetUpCharacterRules();
}

struct HelperCase {
    UINT codePage;
    const char* call;
    std::function<String()> result;
    std::string expected;
};

void PrintTo(const HelperCase& c, std::ostream* out) {
    *out << c.codePage << ": " << c.call;
}

class PathHelpersTest : public ::testing::TestWithParam<HelperCase> {};

TEST_P(PathHelpersTest, GivesExpectedText) {
    const HelperCase& c = GetParam();
    UseCodePage(c.codePage);
    EXPECT_EQ(S(c.result()), c.expected) << c.call;
}

#define CASE(cp, call, expected)                                                                   \
    HelperCase {                                                                                   \
        cp, #call, [] { return String(call); }, expected                                           \
    }

INSTANTIATE_TEST_SUITE_P(
    Cases, PathHelpersTest,
    ::testing::Values(
        CASE(1252, StripTrailingBackslash("C:\\Docs\\"), "C:\\Docs"),
        CASE(1252, StripTrailingBackslash("C:\\Docs\\\\"), "C:\\Docs\\"),
        CASE(1252, StripTrailingBackslash("C:\\Docs\\ \t"), "C:\\Docs"),
        CASE(1252, StripTrailingBackslash("C:\\"), "C:"),
        CASE(1252, StripTrailingBackslash("\\"), ""), CASE(1252, StripTrailingBackslash(""), ""),
        CASE(1252, StripTrailingBackslash(" C:\\A\\"), " C:\\A"),
        // A trail byte 0x5C is taken for a backslash; the lead byte left alone goes with it.
        CASE(932, StripTrailingBackslash("C:\\Dir\\\x83\x5C"), "C:\\Dir\\"),
        CASE(1252, StripTrailingBackslash("C:\\Dir\\\x83\x5C"), "C:\\Dir\\\x83"),
        CASE(1252, ParentFolder("C:\\A\\B"), "C:\\A"),
        CASE(1252, ParentFolder("C:\\A\\B\\"), "C:\\A"), CASE(1252, ParentFolder("C:\\A"), "C:"),
        CASE(1252, ParentFolder("C:\\"), ""), CASE(1252, ParentFolder("C:"), ""),
        CASE(1252, ParentFolder(""), ""),
        CASE(932, ParentFolder("C:\\\x95\x5C\\B"), "C:\\\x95\x5C"),
        // A folder named with a trail byte 0x5C at its end still climbs exactly one level.
        CASE(932, ParentFolder("C:\\Kit\\\x95\x5C"), "C:\\Kit"),
        CASE(932, ParentFolder("C:\\Kit\\\x95\x5C\\"), "C:\\Kit"),
        CASE(1252, ParentFolder("C:\\Kit\\\x95\x5C"), "C:\\Kit"),
        CASE(1252, BeforeLast("a.b.c", '.'), "a.b"), CASE(1252, AfterLast("a.b.c", '.'), "c"),
        CASE(1252, BeforeLast("abc", '.'), ""), CASE(1252, AfterLast("abc", '.'), ""),
        CASE(1252, BeforeLast("abc.", '.'), "abc"), CASE(1252, AfterLast("abc.", '.'), ""),
        CASE(1252, BeforeLast(".abc", '.'), ""), CASE(1252, AfterLast(".abc", '.'), "abc"),
        // In code page 932 a trail byte 0x5C is not a backslash for the searches.
        CASE(932, AfterLast("C:\\A\\\x95\x5C.txt", '\\'), "\x95\x5C.txt"),
        CASE(1252, AfterLast("C:\\A\\\x95\x5C.txt", '\\'), ".txt"),
        CASE(932, BeforeLast("C:\\A\\\x95\x5C", '\\'), "C:\\A"),
        CASE(1252, ReplaceFirstNoCase("C:\\Dir\\dir\\x", "DIR", "Y"), "C:\\Y\\dir\\x"),
        CASE(1252, ReplaceFirstNoCase("ab", "a", "aa"), "aab"),
        CASE(1252, ReplaceFirstNoCase("abc", "x", "y"), "abc"),
        CASE(1252, ReplaceFirstNoCase("abc", "", "y"), "yabc"),
        CASE(1252, ReplaceFirstNoCase("RunDll32 x", "rundll32", "rundll32.exe"), "rundll32.exe x"),
        // Full-width letters fold as double-byte characters in 932.
        CASE(932, ReplaceFirstNoCase("\x82\x81\x82\x82", "\x82\x60", "Z"), "Z\x82\x82"),
        CASE(1252, FolderOf("C:\\Docs\\a.txt"), "C:\\Docs\\"),
        CASE(1252, FolderOf("C:\\Docs\\"), "C:\\Docs\\"), CASE(1252, FolderOf("a.txt"), ""),
        CASE(1252, FolderOf("C:"), ""), CASE(1252, FolderOf(""), ""),
        CASE(1252, FolderOf("C:/Docs/a.txt"), ""),
        CASE(932, FolderOf("C:\\Dir\\\x83\x5C"), "C:\\Dir\\\x83\x5C"),
        CASE(932, FolderOf("C:\\Dir\\\x83\x41.txt"), "C:\\Dir\\")));

#undef CASE

TEST(FileExists, OnlyReadableFilesExist) {
    UseCodePage(1252);
    sim::AddFile("C:\\Docs\\a.txt");
    sim::AddFolder("C:\\Docs");
    sim::AddLockedFile("C:\\Docs\\held.txt");
    EXPECT_TRUE(FileExists("C:\\Docs\\a.txt"));
    EXPECT_TRUE(FileExists("c:\\docs\\A.TXT "));
    EXPECT_FALSE(FileExists("C:\\Docs"));
    EXPECT_FALSE(FileExists("C:\\Docs\\b.txt"));
    EXPECT_FALSE(FileExists("C:\\Docs\\held.txt"));
    EXPECT_FALSE(FileExists(""));
    // Each open is closed at once.
    EXPECT_EQ(sim::Calls(sim::Op::CreateFileA), 6);
    EXPECT_EQ(sim::OpenHandles(), 0);
    EXPECT_EQ(sim::BadCloses(), 0);
}

struct FolderQueryCase {
    const char* name;
    std::optional<std::string> folder; // what the machine answers; empty optional: the call fails
    std::string expected;
};

TEST(FolderQueries, GiveFolderOrEmptyWhenItCannotBeRead) {
    const std::string tooLong = "C:\\" + std::string(MAX_PATH, 'x');
    const std::string longest = "C:\\" + std::string(MAX_PATH - 4, 'x'); // 259 bytes: fits
    const FolderQueryCase cases[] = {
        {"plain", std::string("C:\\Windows"), "C:\\Windows"},
        {"drive root", std::string("D:\\"), "D:\\"},
        {"fails", std::nullopt, ""},
        {"does not fit", tooLong, ""},
        {"just fits", longest, longest},
    };
    for (const FolderQueryCase& c : cases) {
        SCOPED_TRACE(c.name);
        UseCodePage(1252);
        sim::SetWindowsFolder(c.folder);
        sim::SetSystemFolder(c.folder);
        EXPECT_EQ(S(GetWindowsFolder()), c.expected);
        EXPECT_EQ(S(GetSystemFolder()), c.expected);
    }
}

TEST(GetLauncherFolder, FolderOfTheModuleOrEmpty) {
    const struct {
        std::optional<std::string> modulePath;
        std::string expected;
    } cases[] = {
        {std::string("C:\\Apps\\launch.exe"), "C:\\Apps\\"},
        {std::string("E:\\launch.exe"), "E:\\"},
        {std::string("\\\\srv\\share\\launch.exe"), "\\\\srv\\share\\"},
        {std::nullopt, ""},
        // A module path cut short at MAX_PATH would name another folder.
        {"C:\\" + std::string(MAX_PATH, 'x') + "\\launch.exe", ""},
    };
    for (const auto& c : cases) {
        UseCodePage(1252);
        sim::SetModulePath(c.modulePath);
        EXPECT_EQ(S(GetLauncherFolder()), c.expected);
    }
}

// What FolderOf means, step by step: drop the last byte (by the copy rule) until the text ends in
// a backslash. The helper itself finds the same beginning in one pass.
String FolderOfByDroppingBytes(String path) {
    while (!path.IsEmpty() && path.Right(1).Compare("\\") != 0) {
        path = path.Left(path.Length() - 1);
    }
    return path;
}

TEST(FolderOf, SameAsDroppingByteByByteInEveryCodePage) {
    // Backslashes alone and as trail bytes, lead bytes alone at the end, and letters between.
    const unsigned char alphabet[] = {'\\', 'a', '.', 0x5C, 0x83, 0x81, 0xE0, 0x41, 0xFC, ' '};
    unsigned seed = 12345;
    for (UINT codePage : {1252u, 932u, 936u, 949u, 950u, 1361u}) {
        UseCodePage(codePage);
        for (int round = 0; round < 400; ++round) {
            std::string path;
            const int length = static_cast<int>((seed = seed * 1103515245u + 12345u) >> 16) % 12;
            for (int i = 0; i < length; ++i) {
                seed = seed * 1103515245u + 12345u;
                path += static_cast<char>(alphabet[(seed >> 16) % sizeof alphabet]);
            }
            EXPECT_EQ(S(FolderOf(path.c_str())), S(FolderOfByDroppingBytes(path.c_str())))
                << codePage << ": " << ::testing::PrintToString(path);
        }
    }
}

// A long path costs a fixed number of buffers, not one per byte dropped.
TEST(FolderOf, LongPathIsCutInOnePass) {
    UseCodePage(932);
    const std::string path = "C:\\Docs\\" + std::string(30000, 'x');
    const int before = sim::Calls(sim::Op::HeapAlloc);
    EXPECT_EQ(S(FolderOf(path.c_str())), "C:\\Docs\\");
    EXPECT_LE(sim::Calls(sim::Op::HeapAlloc) - before, 4);
}

} // namespace
