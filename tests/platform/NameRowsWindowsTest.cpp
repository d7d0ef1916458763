// The shared name rows against Windows itself: real files and folders in a temporary folder, read
// in the code page of the locale the program runs in. What passes here is what the simulated
// machine must do (NameRowsTest.cpp runs the same rows against it).
#include "tests/platform/NameRows.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using name_rows::RowApplies;
using name_rows::Shown;

// A folder of the test's own below the temporary folder, the current folder while it lives.
class TestFolder {
  public:
    TestFolder() {
        char temporary[MAX_PATH];
        const DWORD length = GetTempPathA(MAX_PATH, temporary);
        path_ = std::string(temporary, length) + "launcher-names-" +
                std::to_string(GetCurrentProcessId()) + "\\";
        created_ = CreateDirectoryA(path_.c_str(), nullptr) != FALSE;
        GetCurrentDirectoryA(MAX_PATH, previous_);
        SetCurrentDirectoryA(path_.c_str());
    }
    ~TestFolder() {
        SetCurrentDirectoryA(previous_);
        RemoveDirectoryA(path_.c_str());
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    bool Created() const { return created_; }
    const std::string& Path() const { return path_; }

  private:
    std::string path_;
    bool created_ = false;
    char previous_[MAX_PATH] = {};
};

HANDLE MakeFile(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

TEST(NameRows, FilesOpenUnderTheNamesWindowsReadsAsTheirs) {
    const UINT codePage = GetACP();
    const TestFolder test;
    ASSERT_TRUE(test.Created()) << test.Path();
    for (const name_rows::FileNameRow& row : name_rows::kFileNameRows) {
        if (!RowApplies(row.codePage, codePage)) {
            continue;
        }
        SCOPED_TRACE(testing::Message()
                     << "code page " << codePage << ": made \"" << Shown(row.folder) << "\" \""
                     << Shown(row.file) << "\", opened \"" << Shown(row.opened) << '"');
        std::string folder = test.Path();
        if (*row.folder != '\0') {
            folder += row.folder;
            ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
            folder += "\\";
        }
        const std::string file = folder + row.file;
        if (*row.file != '\0') {
            const HANDLE made = MakeFile(file);
            ASSERT_NE(made, INVALID_HANDLE_VALUE) << GetLastError();
            CloseHandle(made);
        }

        const HANDLE opened = CreateFileA(row.opened, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        const DWORD error = opened == INVALID_HANDLE_VALUE ? GetLastError() : 0;
        if (opened != INVALID_HANDLE_VALUE) {
            CloseHandle(opened);
        }
        EXPECT_EQ(error, row.error);

        if (*row.file != '\0') {
            EXPECT_TRUE(DeleteFileA(file.c_str())) << GetLastError();
        }
        if (*row.folder != '\0') {
            EXPECT_TRUE(RemoveDirectoryA((test.Path() + row.folder).c_str())) << GetLastError();
        }
    }
}

TEST(NameRows, ChildStartsOnlyInAFolderThatExists) {
    const UINT codePage = GetACP();
    const TestFolder test;
    ASSERT_TRUE(test.Created()) << test.Path();
    const std::string folder = test.Path() + "d";
    const std::string file = test.Path() + "f.txt";
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr)) << GetLastError();
    const HANDLE made = MakeFile(file);
    ASSERT_NE(made, INVALID_HANDLE_VALUE) << GetLastError();
    CloseHandle(made);
    char system[MAX_PATH];
    ASSERT_NE(GetSystemDirectoryA(system, MAX_PATH), 0u);
    const std::string shell = std::string(system) + "\\cmd.exe";

    for (const name_rows::StartFolderRow& row : name_rows::kStartFolderRows) {
        if (!RowApplies(row.codePage, codePage)) {
            continue;
        }
        SCOPED_TRACE(testing::Message()
                     << "code page " << codePage << ": program \"" << Shown(row.program)
                     << "\", folder \"" << Shown(row.folder) << '"');
        const std::string rowFolder = test.Path() + row.made;
        if (*row.made != '\0') {
            ASSERT_TRUE(CreateDirectoryA(rowFolder.c_str(), nullptr)) << GetLastError();
        }
        // The shell ends at once with a code of its own, so a start is seen to have run.
        std::string commandLine = row.program == nullptr ? "\"" + shell + "\" /c exit 7"
                                                         : "\"" + test.Path() + row.program + "\"";
        STARTUPINFOA startupInfo{};
        startupInfo.cb = sizeof startupInfo;
        PROCESS_INFORMATION process{};
        // Under load Wine now and then fails a start with an internal error, which says nothing
        // about the folder; such a start is tried again.
        BOOL started = FALSE;
        DWORD error = ERROR_INTERNAL_ERROR;
        for (int attempt = 0; attempt < 3 && error == ERROR_INTERNAL_ERROR; ++attempt) {
            started = CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0,
                                     nullptr, row.folder, &startupInfo, &process);
            error = started ? 0 : GetLastError();
        }
        if (started) {
            DWORD exitCode = 0;
            EXPECT_EQ(WaitForSingleObject(process.hProcess, 30000), WAIT_OBJECT_0);
            EXPECT_TRUE(GetExitCodeProcess(process.hProcess, &exitCode));
            EXPECT_EQ(exitCode, 7u);
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        EXPECT_EQ(error, row.error);
        if (*row.made != '\0') {
            EXPECT_TRUE(RemoveDirectoryA(rowFolder.c_str())) << GetLastError();
        }
    }

    EXPECT_TRUE(DeleteFileA(file.c_str()));
    EXPECT_TRUE(RemoveDirectoryA(folder.c_str()));
}

} // namespace
