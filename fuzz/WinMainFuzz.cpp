// The whole entry sequence: the process command line cut to its tail (CommandLineTail), then
// WinMain: options, document path, registry search, command clean-up, program file search, the
// launch and the wait for the child's main window. The machine around it comes from the input:
// where the launcher lies, the document type's class and command, the environment, how the child
// behaves, other windows, and faults of any call whose failure leaves nothing held.
//
// Input: code page, launcher place, options, faults, the child's script, a foreign window, class
// name, verb of the registered command, registered command, environment entries, then the command
// line.
#include "fuzz/Harness.h"
#include "launch/LaunchProgram.h"
#include "launcher/CommandTail.h"
#include "launcher/WinMain.h"

#include <cstring>
#include <memory>
#include <optional>

namespace {

using fuzz::Require;

struct Place {
    std::optional<std::string> modulePath;
    std::string folder; // the launcher folder that WinMain should start the child in
};

Place LauncherPlace(fuzz::Input& input) {
    switch (input.Pick(4)) {
    case 1:
        return {"\\\\srv\\share\\Kit\\launcher.exe", "\\\\srv\\share\\Kit\\"};
    case 2:
        return {"E:\\launcher.exe", "E:\\"};
    case 3:
        return {std::nullopt, ""};
    default:
        return {"E:\\Kit\\Bin\\launcher.exe", "E:\\Kit\\Bin\\"};
    }
}

void AddTree() {
    sim::SetCurrentDirectory("C:\\Work\\");
    for (const char* file :
         {"E:\\Kit\\Bin\\a.txt", "E:\\Kit\\Bin\\b.doc", "E:\\Kit\\docs\\a.txt", "E:\\a.txt",
          "E:\\Kit\\Bin\\dotted.dir\\noext", "\\\\srv\\share\\Kit\\a.txt", "C:\\Work\\a.txt",
          "E:\\Kit\\Bin\\\x95\x5C.txt"}) {
        sim::AddFile(file);
    }
    for (const char* program :
         {"E:\\Kit\\Bin\\viewer.exe", "\\\\srv\\share\\Kit\\viewer.exe",
          "C:\\Program Files\\Viewer\\viewer.exe", "C:\\Windows\\system32\\rundll32.exe",
          "C:\\Windows\\notepad.exe"}) {
        sim::AddProgram(program);
    }
    sim::AddLockedFile("E:\\Kit\\Bin\\locked.txt");
    sim::AddFolder("E:\\Kit\\Bin\\docs.txt");
}

// A child that ends, or shows its windows, within a few dozen polls: the poll limit itself is
// the host tests' business, and a run here must stay short.
sim::ChildScript ChildScript(fuzz::Input& input) {
    // Texts longer than the 511 bytes that the launcher reads of them are cut by the machine.
    const std::string kTitles[] = {"", "Viewer", "Licence", "Default IME", std::string(600, 'T')};
    const std::string kClasses[] = {"ViewerMain", "#32770",      "IME",
                                    "",           "MSCTFIME UI", std::string(512, 'C')};
    sim::ChildScript script;
    script.endsAt = input.Pick(32);
    const std::size_t windows = input.Pick(4);
    for (std::size_t window = 0; window < windows; ++window) {
        sim::WindowScript shown;
        shown.title = kTitles[input.Pick(5)];
        shown.className = kClasses[input.Pick(6)];
        shown.hidden = input.Flag();
        shown.appearsAt = input.Pick(16);
        shown.goneAt = input.Flag() ? shown.appearsAt + input.Pick(16) : 0xFFFFFFFFu;
        script.windows.push_back(shown);
    }
    return script;
}

void AddRegistry(fuzz::Input& input) {
    const std::string className = input.Text();
    constexpr const char* kVerbs[] = {"open", "edit", "view", "print"};
    const std::string verb = kVerbs[input.Pick(4)];
    const std::string command = input.Text();
    for (const char* extension : {".txt", ".doc"}) {
        if (!className.empty()) {
            sim::SetRegistryText(HKEY_CLASSES_ROOT, extension, "", className);
        }
    }
    const std::string owner = className.empty() ? ".txt" : className;
    sim::SetRegistryText(HKEY_CLASSES_ROOT, owner + "\\shell\\" + verb + "\\command", "", command);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input input(data, size);
    fuzz::FreshMachine(fuzz::CodePage(input));
    const Place place = LauncherPlace(input);
    sim::SetModulePath(place.modulePath);
    AddTree();
    const bool noEnvironment = input.Flag();
    const std::size_t faults = fuzz::InjectFaults(
        input,
        {sim::Op::RegOpenKeyExA, sim::Op::RegQueryValueExA, sim::Op::CreateFileA,
         sim::Op::GetEnvironmentStrings, sim::Op::GetModuleFileNameA, sim::Op::GetSystemDirectoryA,
         sim::Op::GetWindowsDirectoryA, sim::Op::CreateProcessA, sim::Op::OpenProcess,
         sim::Op::WaitForSingleObject, sim::Op::GetDesktopWindow, sim::Op::GetWindow,
         sim::Op::GetWindowThreadProcessId, sim::Op::GetWindowTextA, sim::Op::GetClassNameA});
    sim::ScriptNextChild(ChildScript(input));
    if (input.Flag()) {
        sim::AddForeignWindow("Viewer", "ViewerMain");
    }
    AddRegistry(input);
    std::vector<std::string> entries;
    for (std::size_t entry = input.Pick(4); entry > 0; --entry) {
        entries.push_back(input.Text());
    }
    if (noEnvironment) {
        sim::SetNoEnvironment();
    } else {
        sim::SetEnvironment(entries);
    }
    const std::string commandLine = input.RestAsText();
    const std::unique_ptr<char[]> line = fuzz::ExactBlock(commandLine);

    const fuzz::Balance balance;
    char* tail = const_cast<char*>(CommandLineTail(line.get()));
    const int result = WinMain(nullptr, nullptr, tail, SW_SHOWDEFAULT);
    balance.Check();
    fuzz::CheckRegistryReadOnly();

    Require(result == 0 || result == -1, "the exit code is neither 0 nor -1");
    if (result == -1) {
        Require(sim::Calls(sim::Op::CreateProcessA) == 0 && sim::RegistryCalls().empty(),
                "a document that cannot be found still led to a search or a launch");
    }
    Require(sim::StartedProcesses().size() <= 1, "more than one program was started");
    Require(sim::Calls(sim::Op::WaitForSingleObject) <= kPollLimit, "the wait ran past its limit");
    for (const sim::StartedProcess& started : sim::StartedProcesses()) {
        Require(!started.applicationName && !started.inheritHandles && started.creationFlags == 0 &&
                    !started.environmentGiven,
                "the program was started with other options");
        // Without a launcher folder (a failed module call, say) the child keeps the current one.
        const std::optional<std::string> expected =
            place.folder.empty() ? std::nullopt : std::optional<std::string>(place.folder);
        Require(started.currentDirectory == expected || (faults > 0 && !started.currentDirectory),
                "the program was started outside the launcher's folder");
    }
    fuzz::EndRun();
    return 0;
}
