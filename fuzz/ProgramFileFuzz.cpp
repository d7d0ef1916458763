// The registered command made into a program file: CleanCommandText (quotes removed, %NAME%
// references expanded, shell program names completed) and FindProgramFile (the longest beginning
// that names a file, as written, under the System folder, under the Windows folder), with an
// environment block of the input.
//
// Input: code page, machine options (no environment; System and Windows folders as given, missing,
// too long or a drive's root), faults, the command, then the environment's entries until the input
// ends.
#include "command/CommandText.h"
#include "command/ProgramFile.h"
#include "fuzz/Harness.h"
#include "text/PathHelpers.h"

#include <optional>

namespace {

using fuzz::Require;

std::optional<std::string> Folder(unsigned mode, const char* folder) {
    switch (mode) {
    case 1:
        return std::nullopt;
    case 2:
        return "C:\\" + std::string(300, 'w');
    case 3:
        return std::string("C:\\");
    default:
        return std::string(folder);
    }
}

void AddPrograms() {
    sim::SetCurrentDirectory("C:\\Work\\");
    for (const std::string& program : {
             std::string("C:\\Windows\\system32\\rundll32.exe"),
             std::string("C:\\Windows\\explorer.exe"),
             std::string("C:\\Windows\\notepad.exe"),
             std::string("C:\\Program Files\\Viewer\\viewer.exe"),
             std::string("C:\\Work\\tool.exe"),
             std::string("E:\\Kit\\100%.exe"),
             std::string("C:\\Program Files\\\x95\x5C\\viewer.exe"),
         }) {
        sim::AddProgram(program);
    }
    sim::AddFile("C:\\Windows\\system32\\shell32.dll");
    sim::AddLockedFile("C:\\Program Files\\Locked\\locked.exe");
    sim::AddFolder("C:\\Program Files\\Viewer");
    sim::AddFolder("C:\\Windows");
}

bool StartsWithNoCase(const std::string& text, const char* prefix) {
    for (std::size_t at = 0; prefix[at] != '\0'; ++at) {
        if (at >= text.size()) {
            return false;
        }
        const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
        if (fold(text[at]) != fold(prefix[at])) {
            return false;
        }
    }
    return true;
}

// The cleaned command where every byte is a character and no environment is there to expand.
std::string CleanedWithoutEnvironment(const std::string& command) {
    std::string text;
    for (char c : command) {
        if (c != '"') {
            text += c;
        }
    }
    for (const char* name : {"rundll32", "explorer"}) {
        if (StartsWithNoCase(text, name)) {
            text = std::string(name) + ".exe" + text.substr(8);
        }
    }
    return text;
}

// Whether the path is a beginning of the cleaned command, as written or below one of the folders.
bool IsTestedPath(const std::string& path, const std::string& cleaned,
                  const std::vector<std::string>& folders) {
    const auto isBeginning = [&](const std::string& beginning) {
        return !beginning.empty() && cleaned.compare(0, beginning.size(), beginning) == 0;
    };
    if (isBeginning(path)) {
        return true;
    }
    for (const std::string& folder : folders) {
        const std::string below = folder + "\\";
        if (!folder.empty() && path.compare(0, below.size(), below) == 0 &&
            isBeginning(path.substr(below.size()))) {
            return true;
        }
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    const UINT codePage = fuzz::CodePage(input);
    fuzz::FreshMachine(codePage);
    const std::uint8_t options = input.Byte();
    const bool noEnvironment = (options & 1) != 0;
    sim::SetSystemFolder(Folder((options >> 1) & 3, "C:\\Windows\\system32"));
    sim::SetWindowsFolder(Folder((options >> 3) & 3, "C:\\Windows"));
    AddPrograms();
    const std::size_t faults = fuzz::InjectFaults(
        input, {sim::Op::CreateFileA, sim::Op::GetEnvironmentStrings, sim::Op::GetSystemDirectoryA,
                sim::Op::GetWindowsDirectoryA, sim::Op::lstrlenA});
    const std::string command = input.Text();
    std::vector<std::string> entries;
    std::size_t valueBytes = 0;
    while (!input.AtEnd()) {
        entries.push_back(input.Text());
        valueBytes += entries.back().size();
    }
    if (noEnvironment) {
        sim::SetNoEnvironment();
    } else {
        sim::SetEnvironment(entries);
    }

    const fuzz::Balance balance;
    {
        String cleaned(command.c_str());
        CleanCommandText(cleaned);
        const std::string cleanedText = cleaned.Text();
        // Each variable is expanded at most once, so the text grows by at most the values.
        Require(cleanedText.size() <= command.size() + valueBytes + 8,
                "the cleaned command grew more than its expansions");
        if (codePage == 1252 && noEnvironment) {
            Require(cleanedText == CleanedWithoutEnvironment(command),
                    "the command was cleaned wrongly");
        }

        const String program = FindProgramFile(command.c_str());
        const std::string found = program.Text();
        if (!found.empty() && faults == 0) {
            Require(FileExists(program), "a program file was found that names no file");
            Require(IsTestedPath(found, cleanedText,
                                 {GetSystemFolder().Text(), GetWindowsFolder().Text()}),
                    "the program file is no beginning of the cleaned command");
        }
    }
    balance.Check();
    fuzz::EndRun();
    return 0;
}
