// Resolution of the "/path" value (ResolveDocumentPath) against a small tree of documents, from a
// launcher in a folder of a drive, at a drive's root, on a network share, at a share's root, in a
// folder whose name ends in a trail byte 0x5C, from a module path of the input, or without a folder
// (the module path cannot be had or does not fit).
//
// Input: code page, launcher place, faults of the file and module calls, module path (used by one
// place only), then the value.
#include "fuzz/Harness.h"
#include "fuzz/TextModel.h"
#include "launcher/DocumentPath.h"
#include "text/LauncherFolder.h"
#include "text/PathHelpers.h"

#include <optional>

namespace {

using fuzz::Require;

// A folder name whose last byte is a double-byte character's trail byte 0x5C in 932 and 936.
const std::string kTrailFolder = "E:\\Kit\\\x95\x5C";

std::optional<std::string> LauncherPath(fuzz::Input& input) {
    const std::size_t place = input.Pick(9);
    const std::string given = input.Text();
    switch (place) {
    case 0:
        return "E:\\Kit\\Bin\\launcher.exe";
    case 1:
        return "E:\\launcher.exe";
    case 2:
        return "\\\\srv\\share\\Kit\\launcher.exe";
    case 3:
        return "\\\\srv\\share\\launcher.exe";
    case 4:
        return kTrailFolder + "\\launcher.exe";
    case 5:
        return std::nullopt;
    case 6:
        return "E:\\" + std::string(300, 'k') + "\\launcher.exe";
    case 7:
        return "\\\\srv\\launcher.exe"; // a server without a share
    default:
        return given;
    }
}

void AddTree() {
    sim::SetCurrentDirectory("C:\\Work\\");
    for (const std::string& file : {
             std::string("E:\\Kit\\Bin\\a.txt"),
             std::string("E:\\Kit\\Bin\\docs\\a.txt"),
             std::string("E:\\Kit\\docs\\a.txt"),
             std::string("E:\\docs\\a.txt"),
             std::string("E:\\a.txt"),
             std::string("E:\\Kit\\Bin\\My Docs\\a b.txt"),
             std::string("\\\\srv\\share\\Kit\\a.txt"),
             std::string("\\\\srv\\share\\docs\\a.txt"),
             std::string("\\\\srv\\share\\a.txt"),
             std::string("C:\\Work\\a.txt"),
             std::string("C:\\Work\\cwd\\a.txt"),
             std::string("C:\\a.txt"),
             kTrailFolder + "\\a.txt",
             kTrailFolder + "\\docs\\a.txt",
         }) {
        sim::AddFile(file);
    }
    for (const char* folder :
         {"E:\\Kit\\Bin", "E:\\Kit", "E:\\Kit\\Bin\\docs", "C:\\Work", "\\\\srv\\share\\Kit"}) {
        sim::AddFolder(folder);
    }
    sim::AddLockedFile("E:\\Kit\\Bin\\locked.txt");
    sim::AddProgram("E:\\Kit\\Bin\\viewer.exe");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    fuzz::FreshMachine(fuzz::CodePage(input));
    sim::SetModulePath(LauncherPath(input));
    AddTree();
    const bool noFolder = GetLauncherFolder().IsEmpty();
    const std::size_t faults =
        fuzz::InjectFaults(input, {sim::Op::CreateFileA, sim::Op::GetModuleFileNameA});
    const std::string value = input.Text();

    const fuzz::Balance balance;
    {
        const ResolvedDocument document = ResolveDocumentPath(value.c_str());
        // What was found was found as an existing file; asked again it must still be one (a fault
        // could make the second asking fail, so only without faults).
        if (document.found && faults == 0) {
            Require(FileExists(document.path), "a path was found that names no file");
        }
        // Without the launcher's folder nothing is read against it: only a value that names a
        // file by itself, with a folder and in none of the relative forms, is found, as given.
        if (document.found && noFolder) {
            const std::string path = document.path.Text();
            const bool relativeForm = path.starts_with(".\\") || path.starts_with("..\\") ||
                                      (path.starts_with("\\") && !path.starts_with("\\\\"));
            Require(path == fuzz::CopyRule(value) && !relativeForm &&
                        path.find('\\') != std::string::npos,
                    "without the launcher's folder a relative value was found");
        }
    }
    balance.Check();
    fuzz::EndRun();
    return 0;
}
