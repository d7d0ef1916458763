// The shared name rows against the simulated machine, in every code page each row is meant for.
// Their Windows twin (NameRowsWindowsTest.cpp) runs the same rows under Wine.
#include "tests/platform/NameRows.h"

#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using name_rows::RowApplies;
using name_rows::Shown;

constexpr UINT kSimulatedCodePages[] = {1252, 1251, 437, 932, 936, 949, 950, 1361};

const std::string kTestFolder = "C:\\Tests\\names\\";

// A fresh machine in the given code page, with the test folder as its current folder.
void UseCodePage(UINT codePage) {
    sim::Reset();
    sim::SetCodePage(codePage);
    sim::AddFolder(kTestFolder);
    sim::SetCurrentDirectory(kTestFolder);
}

TEST(NameRows, FilesOpenUnderTheNamesWindowsReadsAsTheirs) {
    for (UINT codePage : kSimulatedCodePages) {
        for (const name_rows::FileNameRow& row : name_rows::kFileNameRows) {
            if (!RowApplies(row.codePage, codePage)) {
                continue;
            }
            SCOPED_TRACE(testing::Message()
                         << "code page " << codePage << ": made \"" << Shown(row.folder) << "\" \""
                         << Shown(row.file) << "\", opened \"" << Shown(row.opened) << '"');
            UseCodePage(codePage);
            std::string folder = kTestFolder;
            if (*row.folder != '\0') {
                folder += row.folder;
                sim::AddFolder(folder);
                folder += "\\";
            }
            if (*row.file != '\0') {
                sim::AddFile(folder + row.file);
            }
            const HANDLE file = CreateFileA(row.opened, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
            if (row.error == 0) {
                EXPECT_NE(file, INVALID_HANDLE_VALUE);
                CloseHandle(file);
            } else {
                EXPECT_EQ(file, INVALID_HANDLE_VALUE);
                EXPECT_EQ(sim::LastError(), row.error);
            }
            EXPECT_EQ(sim::OpenHandles(), 0);
        }
    }
}

TEST(NameRows, ChildStartsOnlyInAFolderThatExists) {
    for (UINT codePage : kSimulatedCodePages) {
        for (const name_rows::StartFolderRow& row : name_rows::kStartFolderRows) {
            if (!RowApplies(row.codePage, codePage)) {
                continue;
            }
            SCOPED_TRACE(testing::Message()
                         << "code page " << codePage << ": program \"" << Shown(row.program)
                         << "\", folder \"" << Shown(row.folder) << '"');
            UseCodePage(codePage);
            sim::AddFolder(kTestFolder + "d");
            sim::AddFile(kTestFolder + "f.txt");
            if (*row.made != '\0') {
                sim::AddFolder(kTestFolder + row.made);
            }
            const std::string program =
                kTestFolder + (row.program == nullptr ? "app.exe" : row.program);
            if (row.program == nullptr) {
                sim::AddProgram(program);
            }
            std::string commandLine = "\"" + program + "\"";
            STARTUPINFOA startupInfo{};
            startupInfo.cb = sizeof startupInfo;
            PROCESS_INFORMATION process;
            std::memset(&process, 0, sizeof process);
            const BOOL started =
                CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               row.folder, &startupInfo, &process);
            if (row.error == 0) {
                EXPECT_EQ(started, TRUE);
                EXPECT_EQ(sim::StartedProcesses().size(), 1u);
                CloseHandle(process.hProcess);
                CloseHandle(process.hThread);
            } else {
                EXPECT_EQ(started, FALSE);
                EXPECT_EQ(sim::LastError(), row.error);
                EXPECT_TRUE(sim::StartedProcesses().empty());
            }
            EXPECT_EQ(sim::OpenHandles(), 0);
        }
    }
}

} // namespace
