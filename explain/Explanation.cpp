#include "explain/Explanation.h"

#include "explain/ProgramSearch.h"
#include "explain/RegistryReads.h"
#include "explain/ShownText.h"
#include "launch/LaunchProgram.h"
#include "text/PathHelpers.h"

#include <algorithm>
#include <vector>

namespace {

// What WinMain gives back when the document cannot be found.
constexpr int kLauncherDocumentNotFound = -1;

void Line(std::string& out, const std::string& line) {
    out += line;
    out += '\n';
}

std::string LauncherFolderLine(const ExplainedRun& run) {
    const std::string whose = run.launcherNamed ? " (--as)" : " (this program)";
    if (run.modulePath.empty()) {
        return "Launcher folder: none, the module path cannot be read";
    }
    if (run.launcherFolder.empty()) {
        return "Launcher folder: none, the module path " + Shown(run.modulePath) + whose +
               " is too long";
    }
    return "Launcher folder: " + Shown(run.launcherFolder) + ", of " + Shown(run.modulePath) +
           whose;
}

std::string OptionLine(const char* name, const std::string& value) {
    return std::string("Option ") + name + ": " + (value.empty() ? "none" : Shown(value));
}

bool BeginsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// The rule the value's beginning calls for; the file tests below it show where it led.
std::string PathRule(const ExplainedRun& run) {
    const std::string& value = run.pathValue;
    if (run.launcherFolder.empty()) {
        return "no launcher folder, so only a path that names a file by itself";
    }
    if (value.empty()) {
        return "no value";
    }
    if (BeginsWith(value, ".\\")) {
        return "a leading \".\\\", the launcher's folder";
    }
    if (BeginsWith(value, "..\\")) {
        std::size_t climbs = 0;
        while (value.compare(3 * climbs, 3, "..\\") == 0) {
            ++climbs;
        }
        const std::string count = std::to_string(climbs);
        return "a chain of " + count + " \"..\\\", " + count +
               (climbs == 1 ? " folder" : " folders") + " above the launcher's folder";
    }
    if (BeginsWith(value, "\\\\")) {
        return "a network path, as given";
    }
    if (BeginsWith(value, "\\")) {
        return "a leading \"\\\", the root of the launcher's drive or share";
    }
    if (value.find('\\') == std::string::npos) {
        return "a bare name, in the launcher's folder";
    }
    return "a path as given, then below the launcher's folder";
}

std::vector<FileTest> DocumentTests(const CallLog& log) {
    const int end =
        std::min({FirstRegistryRead(log), FirstFolderQuery(log), FirstProgramStart(log)});
    std::vector<FileTest> tests;
    for (const FileTest& test : log.fileTests) {
        if (test.order < end) {
            tests.push_back(test);
        }
    }
    return tests;
}

std::string PlaceName(ProgramPlace place) {
    switch (place) {
    case ProgramPlace::SystemFolder:
        return "below the System folder";
    case ProgramPlace::WindowsFolder:
        return "below the Windows folder";
    case ProgramPlace::AsWritten:
    default:
        return "as written";
    }
}

std::string FolderSearched(const char* name, const std::string& folder) {
    return std::string("below the ") + name + " folder " +
           (folder.empty() ? "(not known, skipped)" : Shown(folder));
}

// The search's account; true when it found a program file.
bool DescribeSearch(std::string& out, const std::string& commandTemplate, const CallLog& log) {
    const ProgramSearch search = ReadProgramSearch(log);
    if (commandTemplate.empty() && search.tests.empty()) {
        Line(out, "Program file search: no command, nothing to test");
        return false;
    }
    Line(out, "Cleaned text: " + (search.tests.empty() ? "empty" : Shown(search.tests[0].path)));
    if (log.environmentMissing) {
        Line(out, "  no environment block: %NAME% references stay as written");
    }
    if (search.tests.empty()) {
        Line(out, "Program file search: nothing to test");
        return false;
    }
    const auto beginnings =
        std::count_if(search.tests.begin(), search.tests.end(), [](const ProgramTest& test) {
            return test.place == ProgramPlace::AsWritten;
        });
    Line(out, "Program file search: " + std::to_string(search.tests.size()) + " tests of " +
                  std::to_string(beginnings) + " beginnings of the cleaned text");
    Line(out, "  each as written, " + FolderSearched("System", search.systemFolder) + ", " +
                  FolderSearched("Windows", search.windowsFolder));
    for (std::size_t index = 0; index < search.tests.size(); ++index) {
        const ProgramTest& test = search.tests[index];
        if (test.found) {
            Line(out, "  found by test " + std::to_string(index + 1) + ", " +
                          PlaceName(test.place) + ": " + Shown(test.path));
            return true;
        }
    }
    Line(out, "  no test found a file: the launcher starts the document itself");
    return false;
}

std::string WaitLine(const WaitSummary& wait) {
    const std::string poll = std::to_string(wait.waits);
    if (wait.waits > 0 && wait.lastResult == WAIT_OBJECT_0) {
        return "  wait: the program ended, poll " + poll;
    }
    if (wait.waits > 0 && wait.lastResult != WAIT_TIMEOUT) {
        return "  wait: the wait failed, poll " + poll;
    }
    if (wait.waits >= kPollLimit) {
        return "  wait: no main window within " + std::to_string(kPollLimit) + " polls";
    }
    return "  wait: main window accepted, poll " + std::to_string(wait.waits + 1) + ": class " +
           Shown(wait.lastClass) + ", title " + Shown(wait.lastTitle);
}

void DescribeStarts(std::string& out, const CallLog& log) {
    for (const ProgramStart& start : log.starts) {
        if (!start.attempted) {
            Line(out, "Would start: " + Shown(start.commandLine));
        } else if (start.started) {
            Line(out, "Started: " + Shown(start.commandLine));
        } else {
            Line(out,
                 "Could not start: " + Shown(start.commandLine) + ", " + ErrorText(start.error));
        }
        Line(out, start.workingFolder ? "  in folder " + Shown(*start.workingFolder)
                                      : "  in the current folder, there being no launcher folder");
        if (start.attempted && start.started) {
            Line(out, WaitLine(log.wait));
        }
    }
}

void ExitLines(std::string& out, int launcherExitCode, int exitCode) {
    Line(out, "Launcher exit code: " + std::to_string(launcherExitCode) +
                  (launcherExitCode == -1 ? " (4294967295 to a Windows parent)" : ""));
    switch (exitCode) {
    case kProgramFound:
        Line(out, "Result: 0, a program file was found for the document");
        break;
    case kDocumentStartedItself:
        Line(out, "Result: 1, the launcher starts the document itself");
        break;
    default:
        Line(out, "Result: 2, the document cannot be found");
        break;
    }
}

} // namespace

Explanation DescribeRun(const ExplainedRun& run, const CallLog& log) {
    Explanation explanation;
    std::string& out = explanation.output;
    Line(out, LauncherFolderLine(run));
    Line(out, OptionLine("/path", run.pathValue));
    Line(out, OptionLine("/verb", run.verbValue));

    Line(out, "Document path: " + PathRule(run));
    const std::vector<FileTest> documentTests = DocumentTests(log);
    for (const FileTest& test : documentTests) {
        Line(out, "  test " + Shown(test.path) + ": " +
                      (test.opened ? "found" : "not found, " + ErrorText(test.error)));
    }
    if (run.launcherExitCode == kLauncherDocumentNotFound || documentTests.empty()) {
        Line(out, "Document: cannot be found");
        explanation.exitCode = kDocumentNotFound;
        ExitLines(out, run.launcherExitCode, explanation.exitCode);
        return explanation;
    }
    const std::string document = documentTests.back().path;
    Line(out, "Document: " + Shown(document));

    Line(out, "Verb: " + (run.verbValue.empty() ? "<open>, the default" : Shown(run.verbValue)));
    const std::string extension = AfterLast(document.c_str(), '.').Text();
    Line(out, "Extension: " +
                  (extension.empty() ? "none, no \".\" in the document path" : Shown(extension)));

    Line(out, log.registryReads.empty() ? "Registry reads: none" : "Registry reads:");
    for (const RegistryRead& read : log.registryReads) {
        Line(out, "  " + DescribeRead(read));
    }
    // The lookup ends with the read that gave the command, or with the last one it tried.
    const std::string commandTemplate =
        log.registryReads.empty() ? std::string() : TextOfRead(log.registryReads.back());
    Line(out, "Command template: " + (commandTemplate.empty() ? "none" : Shown(commandTemplate)));
    const bool found = DescribeSearch(out, commandTemplate, log);

    DescribeStarts(out, log);
    explanation.exitCode = found ? kProgramFound : kDocumentStartedItself;
    ExitLines(out, run.launcherExitCode, explanation.exitCode);
    return explanation;
}
