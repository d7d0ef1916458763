// The simulated file system: which names open a file for reading, and the handles that opening
// gives.
#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <string>

namespace {

enum class Kind { File, Folder, Locked, Program };

struct NameCase {
    std::string added;
    Kind kind;
    std::string opened;
    DWORD error; // 0: opens
};

void PrintTo(const NameCase& c, std::ostream* out) {
    *out << '"' << c.opened << "\" for \"" << c.added << '"';
}

void Add(const NameCase& c) {
    switch (c.kind) {
    case Kind::File:
        sim::AddFile(c.added);
        break;
    case Kind::Folder:
        sim::AddFolder(c.added);
        break;
    case Kind::Locked:
        sim::AddLockedFile(c.added);
        break;
    case Kind::Program:
        sim::AddProgram(c.added);
        break;
    }
}

HANDLE OpenForReading(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

class FileNameTest : public ::testing::TestWithParam<NameCase> {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_P(FileNameTest, OpensExactlyTheNamesWindowsWould) {
    const NameCase& c = GetParam();
    Add(c);
    const HANDLE handle = OpenForReading(c.opened);
    if (c.error == 0) {
        ASSERT_NE(handle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(sim::OpenHandles(), 1);
        EXPECT_EQ(CloseHandle(handle), TRUE);
    } else {
        EXPECT_EQ(handle, INVALID_HANDLE_VALUE);
        EXPECT_EQ(sim::LastError(), c.error);
    }
    EXPECT_EQ(sim::OpenHandles(), 0);
    EXPECT_EQ(sim::BadCloses(), 0);
}

constexpr DWORD kPathNotFound = 3;
constexpr DWORD kInvalidName = 123;

INSTANTIATE_TEST_SUITE_P(
    Cases, FileNameTest,
    ::testing::Values(
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\a.txt", 0},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "c:\\DOCS\\A.Txt", 0},
        NameCase{"c:\\docs\\a.txt", Kind::File, "C:\\DOCS\\A.TXT", 0},
        // The last component's trailing blanks and periods are not part of its name.
        NameCase{"C:\\app.exe", Kind::Program, "C:\\app.exe ", 0},
        NameCase{"C:\\app.exe", Kind::Program, "C:\\app.exe.", 0},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\a.txt . .", 0},
        NameCase{"C:\\Docs\\a.txt ", Kind::File, "C:\\Docs\\a.txt", 0},
        // A folder further up keeps a trailing blank and loses one trailing period.
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs \\a.txt", kPathNotFound},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs.\\a.txt", 0},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs..\\a.txt", kPathNotFound},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\a.tx", ERROR_FILE_NOT_FOUND},
        // A drive that holds nothing: missing in its root, no folders below it.
        NameCase{"C:\\Docs\\a.txt", Kind::File, "D:\\Docs\\a.txt", kPathNotFound},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "D:\\a.txt", ERROR_FILE_NOT_FOUND},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "D:\\", kPathNotFound},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\", ERROR_ACCESS_DENIED},
        NameCase{"\\\\srv\\share\\a.txt", Kind::File, "\\\\SRV\\Share\\A.txt", 0},
        NameCase{"\\\\srv\\share\\a.txt", Kind::File, "\\\\srv\\other\\a.txt", kPathNotFound},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "", ERROR_FILE_NOT_FOUND},
        // "." and ".." inside a full path are resolved; ".." stops at the root.
        NameCase{"E:\\Kit\\docs\\a.txt", Kind::File, "E:\\Kit\\Bin\\..\\docs\\a.txt", 0},
        NameCase{"E:\\Kit\\docs\\a.txt", Kind::File, "E:\\Kit\\.\\docs\\.\\a.txt", 0},
        NameCase{"E:\\Kit\\docs\\a.txt", Kind::File, "E:\\..\\..\\Kit\\docs\\a.txt", 0},
        NameCase{"E:\\Kit\\docs\\a.txt", Kind::File, "E:\\Kit\\docs\\x\\..\\..\\a.txt",
                 ERROR_FILE_NOT_FOUND},
        // Doubled separators count once, and "/" separates as "\" does.
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\\\a.txt", 0},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:/Docs/a.txt", 0},
        // Relative names are read against the current folder C:\Work\.
        NameCase{"C:\\Work\\a.txt", Kind::File, "a.txt", 0},
        NameCase{"C:\\Work\\a.txt", Kind::File, ".\\a.txt", 0},
        NameCase{"C:\\Work\\a.txt", Kind::File, "..\\Work\\a.txt", 0},
        NameCase{"C:\\Top\\a.txt", Kind::File, "\\Top\\a.txt", 0},
        NameCase{"C:\\Work\\a.txt", Kind::File, "C:a.txt", 0},
        NameCase{"a.txt", Kind::File, "C:\\Work\\A.TXT", 0},
        NameCase{"C:\\a.txt", Kind::File, "a.txt", ERROR_FILE_NOT_FOUND},
        // Folders, files held without read sharing and malformed names do not open.
        NameCase{"C:\\Docs", Kind::Folder, "C:\\Docs", ERROR_ACCESS_DENIED},
        NameCase{"C:\\Docs", Kind::Folder, "C:\\Docs\\", ERROR_ACCESS_DENIED},
        NameCase{"C:\\Docs\\", Kind::Folder, "c:\\docs", ERROR_ACCESS_DENIED},
        NameCase{"C:\\x.txt", Kind::Locked, "C:\\X.TXT", ERROR_SHARING_VIOLATION},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\a.txt\\", kInvalidName},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "\"C:\\Docs\\a.txt\"", kInvalidName},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\a.txt?", kInvalidName},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\a.*", kInvalidName},
        // A file's folders exist with it.
        NameCase{"C:\\Docs\\a.txt", Kind::File, "c:\\docs", ERROR_ACCESS_DENIED},
        NameCase{"E:\\Kit\\Bin\\a.txt", Kind::File, "E:\\Kit\\", ERROR_ACCESS_DENIED},
        NameCase{"C:\\Docs\\a.txt", Kind::File, "C:\\Docs\\a.txt\\b", kPathNotFound},
        // A program opens like any other file.
        NameCase{"C:\\Tools\\app.exe", Kind::Program, "C:\\tools\\APP.EXE", 0}));

class FilesTest : public ::testing::Test {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_F(FilesTest, CurrentFolderCanBeMoved) {
    sim::SetCurrentDirectory("D:\\Other");
    sim::AddFile("b.txt");
    sim::AddFile("C:\\Work\\c.txt");
    HANDLE handle = OpenForReading("D:\\OTHER\\B.TXT");
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    handle = OpenForReading("..\\Other\\b.txt");
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
    EXPECT_EQ(OpenForReading("c.txt"), INVALID_HANDLE_VALUE);
    sim::Reset();
    sim::AddFile("C:\\Work\\c.txt");
    handle = OpenForReading("c.txt");
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    CloseHandle(handle);
}

HANDLE OpenFolder(const char* path) {
    return CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                       0x02000000u /* FILE_FLAG_BACKUP_SEMANTICS */, nullptr);
}

TEST_F(FilesTest, FreshMachineHasItsOwnFoldersAndDriveOnly) {
    for (const char* folder :
         {"C:\\", "C:\\Apps", "c:\\work\\", "C:\\Windows", "C:\\Windows\\System32"}) {
        const HANDLE handle = OpenFolder(folder);
        EXPECT_NE(handle, INVALID_HANDLE_VALUE) << folder;
        CloseHandle(handle);
    }
    EXPECT_EQ(OpenFolder("C:\\Docs"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(sim::LastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(OpenFolder("D:\\"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(sim::LastError(), kPathNotFound);
    sim::AddFile("D:\\x\\a.txt"); // a drive exists once it holds something
    const HANDLE root = OpenFolder("D:\\");
    EXPECT_NE(root, INVALID_HANDLE_VALUE);
    CloseHandle(root);
}

TEST_F(FilesTest, NothingIsCreated) {
    sim::AddFile("C:\\a.txt");
    EXPECT_EQ(CreateFileA("C:\\a.txt", GENERIC_READ, 0, nullptr, 2 /* CREATE_ALWAYS */,
                          FILE_ATTRIBUTE_NORMAL, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(sim::OpenHandles(), 0);
}

TEST_F(FilesTest, FolderOpensOnlyWithBackupSemantics) {
    sim::AddFolder("C:\\Docs");
    const HANDLE handle = CreateFileA("C:\\Docs", GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, 0x02000000u, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CloseHandle(handle), TRUE);
}

TEST_F(FilesTest, EveryHandleIsCountedUntilClosedOnce) {
    sim::AddFile("C:\\a.txt");
    const HANDLE first = OpenForReading("C:\\a.txt");
    const HANDLE second = OpenForReading("C:\\a.txt");
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_NE(first, second);
    EXPECT_EQ(sim::OpenHandles(), 2);

    EXPECT_EQ(CloseHandle(first), TRUE);
    EXPECT_EQ(sim::OpenHandles(), 1);
    EXPECT_EQ(CloseHandle(first), FALSE);
    EXPECT_EQ(sim::LastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_EQ(CloseHandle(nullptr), FALSE);
    EXPECT_EQ(CloseHandle(INVALID_HANDLE_VALUE), FALSE);
    EXPECT_EQ(sim::BadCloses(), 3);
    EXPECT_EQ(sim::OpenHandles(), 1);

    EXPECT_EQ(CloseHandle(second), TRUE);
    EXPECT_EQ(sim::OpenHandles(), 0);
}

TEST_F(FilesTest, HandleFromBeforeResetIsNotOpenAfterIt) {
    sim::AddFile("C:\\a.txt");
    const HANDLE old = OpenForReading("C:\\a.txt");
    sim::Reset();
    EXPECT_EQ(sim::OpenHandles(), 0);
    sim::AddFile("C:\\a.txt");
    const HANDLE fresh = OpenForReading("C:\\a.txt");
    EXPECT_NE(fresh, old);
    EXPECT_EQ(CloseHandle(old), FALSE);
    EXPECT_EQ(sim::BadCloses(), 1);
    EXPECT_EQ(CloseHandle(fresh), TRUE);
}

} // namespace
