// File and folder names as Windows reads them, in rows shared by two tests: on the host each row
// runs against the simulated machine in every code page it is meant for; under Windows (Wine) the
// same rows run against real files in a temporary folder, in the code page of the locale the test
// program is started in. So the simulation is held to what Windows does.
//
// Every name is relative to a test folder, which is also the current folder while a row runs.
#pragma once

#include "platform/Platform.h"
#include "tests/ShownBytes.h"

#include <cstdio>
#include <string>

namespace name_rows {

// A row's code page: a code page number, or any code page.
constexpr UINT kAnyCodePage = 0;

inline bool RowApplies(UINT rowCodePage, UINT codePage) {
    return rowCodePage == kAnyCodePage || rowCodePage == codePage;
}

// Error codes beyond those that platform/Platform.h names.
constexpr DWORD kPathNotFound = 3;
constexpr DWORD kInvalidName = 123;
constexpr DWORD kBadExeFormat = 193;
constexpr DWORD kDirectory = 267;

// A file (or only a folder) is made under one name, then opened for reading under another.
struct FileNameRow {
    UINT codePage;
    const char* folder; // made in the test folder first; "" for none
    const char* file;   // made in that folder; "" for none
    const char* opened; // opened with CreateFileA(GENERIC_READ, OPEN_EXISTING)
    DWORD error;        // what CreateFileA leaves: 0 when it opens
};

// clang-format off
inline const FileNameRow kFileNameRows[] = {
    // ASCII case, and the last component's trailing blanks and periods.
    {kAnyCodePage, "", "a.txt", "A.TXT", 0},
    {kAnyCodePage, "", "A.TXT", "a.txt", 0},
    {kAnyCodePage, "", "a.txt", "a.txt ", 0},
    {kAnyCodePage, "", "a.txt", "a.txt. .", 0},
    {kAnyCodePage, "", "a.txt .", "a.txt", 0},
    {kAnyCodePage, "", "a.txt", "a.tx", ERROR_FILE_NOT_FOUND},
    // A file named as a folder.
    {kAnyCodePage, "", "a.txt", "a.txt\\", kInvalidName},
    {kAnyCodePage, "", "a.txt", "a.txt\\.", 0},
    {kAnyCodePage, "", "a.txt", "a.txt\\b", kPathNotFound},
    // Characters refused in any name, whether or not the rest exists.
    {kAnyCodePage, "", "a.txt", "a|.txt", kInvalidName},
    {kAnyCodePage, "", "a.txt", "a?.txt", kInvalidName},
    {kAnyCodePage, "", "a.txt", "a*.txt", kInvalidName},
    {kAnyCodePage, "", "a.txt", "\"a.txt\"", kInvalidName},
    {kAnyCodePage, "", "a.txt", "a<b", kInvalidName},
    {kAnyCodePage, "", "a.txt", "a\x01.txt", kInvalidName},
    {kAnyCodePage, "d", "a.txt", "x|\\a.txt", kInvalidName},
    // Separators: "/" as "\", doubled ones once; "." and ".." resolved, even through a folder
    // that does not exist.
    {kAnyCodePage, "d", "a.txt", "d\\a.txt", 0},
    {kAnyCodePage, "d", "a.txt", "d/a.txt", 0},
    {kAnyCodePage, "d", "a.txt", "D//A.TXT", 0},
    {kAnyCodePage, "d", "a.txt", "d\\\\a.txt", 0},
    {kAnyCodePage, "d", "a.txt", "d\\.\\a.txt", 0},
    {kAnyCodePage, "d", "a.txt", "x\\..\\d\\a.txt", 0},
    {kAnyCodePage, "d", "a.txt", "d\\x\\..\\a.txt", 0},
    // A folder further up loses one trailing period, and keeps its blanks.
    {kAnyCodePage, "d", "a.txt", "d.\\a.txt", 0},
    {kAnyCodePage, "d", "a.txt", "d..\\a.txt", kPathNotFound},
    {kAnyCodePage, "d", "a.txt", "d \\a.txt", kPathNotFound},
    // Missing file, missing folder.
    {kAnyCodePage, "d", "a.txt", "d\\b.txt", ERROR_FILE_NOT_FOUND},
    {kAnyCodePage, "d", "a.txt", "x\\a.txt", kPathNotFound},
    // Folders open only with backup semantics.
    {kAnyCodePage, "d", "", "d", ERROR_ACCESS_DENIED},
    {kAnyCodePage, "d", "", "d\\", ERROR_ACCESS_DENIED},
    {kAnyCodePage, "d", "", "D.", ERROR_ACCESS_DENIED},
    {kAnyCodePage, "d", "", "d \\", ERROR_FILE_NOT_FOUND},
    {kAnyCodePage, "d", "a.txt", "d\\a.txt\\..", ERROR_ACCESS_DENIED},

    // Single-byte letters fold to their upper case; other characters stay apart.
    {1252, "", "\xE9.txt", "\xC9.TXT", 0},
    {1252, "", "\xC9.txt", "\xE9.txt", 0},
    {1252, "", "\xFF.txt", "\x9F.txt", 0},
    {1252, "", "\x9A.txt", "\x8A.txt", 0},
    {1252, "", "\x9C.txt", "\x8C.txt", 0},
    {1252, "", "\xFE.txt", "\xDE.txt", 0},
    {1252, "\xE6", "a.txt", "\xC6\\A.TXT", 0},
    {1252, "", "\xE0.txt", "A.txt", ERROR_FILE_NOT_FOUND},
    {1252, "", "\xDF.txt", "SS.txt", ERROR_FILE_NOT_FOUND},
    {1252, "", "\xF7.txt", "\xD7.txt", ERROR_FILE_NOT_FOUND},
    {1252, "", "a\x81.txt", "a\x8D.txt", ERROR_FILE_NOT_FOUND},
    // A no-break space is no blank.
    {1252, "", "a.txt\xA0", "a.txt", ERROR_FILE_NOT_FOUND},
    {1251, "", "\xE0.txt", "\xC0.TXT", 0},
    {1251, "", "\xFF.txt", "\xDF.txt", 0},
    {1251, "", "\x83.txt", "\x81.txt", 0},
    {1251, "", "\x90.txt", "\x80.txt", 0},
    {1251, "", "\xB8.txt", "\xA8.txt", 0},
    {1251, "", "\xBC.txt", "\xA3.txt", 0},
    {1251, "", "\xB4.txt", "\xA5.txt", 0},
    {1251, "", "\xE5.txt", "e.txt", ERROR_FILE_NOT_FOUND},

    // 932: a trail byte 0x5C is part of its character, before trailing blanks and periods too.
    {932, "", "\x83\x5C.txt", "\x83\x5C.txt", 0},
    {932, "", "\x83\x5C", "\x83\x5C ", 0},
    {932, "", "\x83\x5C", "\x83\x5C. .", 0},
    {932, "", "\x95\x5C", "\x95\x5C.", 0},
    {932, "", "\x83\x5C", "\x83\x5D", ERROR_FILE_NOT_FOUND},
    {932, "", "\x83\x5C", "\x83\x5C\\", kInvalidName},
    {932, "\x83\x5C", "a.txt", "\x83\x5C\\a.txt", 0},
    {932, "\x83\x5C", "a.txt", "\x83\x5C/a.txt", 0},
    {932, "\x83\x5C", "a.txt", "\x83\x5C\\\\a.txt", 0},
    {932, "\x83\x5C", "a.txt", "\x83\x5C.\\a.txt", 0},
    {932, "\x83\x5C", "a.txt", "\x83\x5C \\a.txt", kPathNotFound},
    {932, "\x83\x5C", "a.txt", "\x83\x5C\\..\\\x83\x5C\\a.txt", 0},
    {932, "\x83\x5C", "", "\x83\x5C", ERROR_ACCESS_DENIED},
    // A trail byte 0x7C is no "|".
    {932, "", "\x83\x7C.txt", "\x83\x7C.txt", 0},
    {932, "", "a\x83\x7C", "A\x83\x7C", 0},
    // Case folding never touches a trail byte on its own.
    {932, "", "\x83\x61", "\x83\x41", ERROR_FILE_NOT_FOUND},
    {932, "", "\x83\x41", "\x83\x61", ERROR_FILE_NOT_FOUND},
    // Double-byte letters fold: full-width Latin, Greek, Cyrillic (past the gap at 0x7F).
    {932, "", "\x82\x81.txt", "\x82\x60.txt", 0},
    {932, "", "\x82\x60.txt", "\x82\x81.txt", 0},
    {932, "", "\x83\xBF", "\x83\x9F", 0},
    {932, "", "\x84\x80", "\x84\x4F", 0},
    {932, "", "\x82\x81.txt", "a.txt", ERROR_FILE_NOT_FOUND},
    {932, "", "\xB1.txt", "\x83\x41.txt", ERROR_FILE_NOT_FOUND},
    // One character, two encodings.
    {932, "", "\x87\x54", "\xFA\x4A", 0},
    {932, "", "\xEE\xEF", "\x87\x54", 0},
    {932, "", "\xED\x40", "\xFA\x5C", 0},
    {932, "", "\xEE\xEC", "\xFC\x4B", 0},
    // A lead byte takes "/" as its trail byte: an undefined pair, read as the middle dot.
    {932, "", "\x81\x45", "\x83/", 0},
    {932, "d", "a.txt", "d\x83/a.txt", ERROR_FILE_NOT_FOUND},

    {936, "", "\x81\x5C.txt", "\x81\x5C.txt", 0},
    {936, "", "\x81\x5C", "\x81\x5C ", 0},
    {936, "\x81\x5C", "a.txt", "\x81\x5C\\a.txt", 0},
    {936, "", "\x81\x7C.txt", "\x81\x7C.txt", 0},
    {936, "", "\x81\x61", "\x81\x41", ERROR_FILE_NOT_FOUND},
    {936, "", "\xA3\xE1.txt", "\xA3\xC1.txt", 0},
    {936, "", "\xA2\xA1", "\xA2\xF1", 0},
    {936, "", "\xA6\xC1", "\xA6\xA1", 0},
    {936, "", "\xA7\xD1", "\xA7\xA1", 0},
    // An undefined pair reads as "?".
    {936, "", "a.txt", "\x81\x7F.txt", kInvalidName},

    // 949 has no trail bytes 0x5C and 0x7C: such a pair reads as "?".
    {949, "", "a.txt", "\x81\x5C.txt", kInvalidName},
    {949, "", "a.txt", "\x81\x7C.txt", kInvalidName},
    {949, "", "\x81\x61", "\x81\x41", ERROR_FILE_NOT_FOUND},
    {949, "", "\xB0\xA1", "\xB0\xA1", 0},
    {949, "", "\xA3\xE1.txt", "\xA3\xC1.txt", 0},
    {949, "", "\xA5\xA1", "\xA5\xB0", 0},
    {949, "", "\xA5\xE1", "\xA5\xC1", 0},
    {949, "", "\xA9\xA1", "\xA8\xA1", 0},
    {949, "", "\xAC\xD1", "\xAC\xA1", 0},

    {950, "", "\xB3\x5C.txt", "\xB3\x5C.txt", 0},
    {950, "", "\xB3\x5C", "\xB3\x5C ", 0},
    {950, "", "\xA5\x5C", "\xA5\x5C.", 0},
    {950, "\xB3\x5C", "\xA5\x5C", "\xB3\x5C\\\xA5\x5C", 0},
    {950, "", "\xA1\x7C.txt", "\xA1\x7C.txt", 0},
    {950, "", "\xA4\x61", "\xA4\x41", ERROR_FILE_NOT_FOUND},
    {950, "", "\xA2\xE9", "\xA2\xCF", 0},
    {950, "", "\xA3\x40", "\xA2\xE5", 0},
    {950, "", "\xA3\x5C", "\xA3\x44", 0},
    {950, "", "\xA2\xCC", "\xA4\x51", 0},
    {950, "", "\xF9\xFD", "\xA2\xA3", 0},
    {950, "", "a.txt", "\xA1\x80.txt", kInvalidName},
};
// clang-format on

// A child is started with a current folder. The test folder always holds the folder "d" and the
// file "f.txt".
struct StartFolderRow {
    UINT codePage;
    const char* made;    // a folder made in the test folder first; "" for none
    const char* program; // null: a program that runs; else the name of what is started
    const char* folder;  // the current folder passed; null for none
    DWORD error;         // what CreateProcessA leaves: 0 when the child starts
};

// clang-format off
inline const StartFolderRow kStartFolderRows[] = {
    {kAnyCodePage, "", nullptr, nullptr, 0},
    {kAnyCodePage, "", nullptr, "d", 0},
    {kAnyCodePage, "", nullptr, "d\\", 0},
    {kAnyCodePage, "", nullptr, "d\\\\", 0},
    {kAnyCodePage, "", nullptr, "d/", 0},
    {kAnyCodePage, "", nullptr, "D", 0},
    {kAnyCodePage, "", nullptr, "d ", 0},
    {kAnyCodePage, "", nullptr, "d.", 0},
    {kAnyCodePage, "", nullptr, "x\\..\\d", 0},
    {kAnyCodePage, "", nullptr, ".", 0},
    {kAnyCodePage, "", nullptr, "\\", 0},
    {kAnyCodePage, "", nullptr, "C:", 0},
    {kAnyCodePage, "", nullptr, "C:\\", 0},
    {kAnyCodePage, "", nullptr, "", kDirectory},
    {kAnyCodePage, "", nullptr, "missing", kDirectory},
    {kAnyCodePage, "", nullptr, "missing\\", kDirectory},
    {kAnyCodePage, "", nullptr, "f.txt", kDirectory},
    {kAnyCodePage, "", nullptr, "f.txt\\", kDirectory},
    {kAnyCodePage, "", nullptr, "d|", kDirectory},
    {kAnyCodePage, "", nullptr, "Q:\\", kDirectory},
    // The program is looked for before the folder, the program file read after it.
    {kAnyCodePage, "", "missing.exe", "missing", ERROR_FILE_NOT_FOUND},
    {kAnyCodePage, "", "d", "missing", ERROR_ACCESS_DENIED},
    {kAnyCodePage, "", "f.txt", "missing", kDirectory},
    {kAnyCodePage, "", "f.txt", "d", kBadExeFormat},
    // A trail byte 0x5C is part of the folder's name.
    {932, "\x83\x5C", nullptr, "\x83\x5C", 0},
    {932, "\x83\x5C", nullptr, "\x83\x5C\\", 0},
    {932, "\x83\x5C", nullptr, "\x83\x5C ", 0},
    {936, "\x81\x5C", nullptr, "\x81\x5C", 0},
    {949, "", nullptr, "\x81\x5C", kDirectory},
    {950, "\xB3\x5C", nullptr, "\xB3\x5C\\", 0},
};
// clang-format on

inline std::string Shown(const char* bytes) {
    return ShownBytes(bytes);
}

} // namespace name_rows
