// The explain tool against the real launcher.exe: for documents opened through real association
// keys, the command line and folder that launcher-explain.exe says would be started are the ones
// the stand-in viewer receives when launcher.exe runs with the same tail; and its exit codes.
#include "tests/e2e/ClassesKeys.h"
#include "tests/e2e/LauncherFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Set in this program's environment, which both programs inherit, for commands that refer to it.
constexpr const char* kAppsVariable = "LAUNCHER_EXPLAIN_APPS";

struct Captured {
    bool ended = false;
    DWORD exitCode = 0;
    std::string output; // standard output, without carriage returns
    std::string error;  // standard error, likewise
};

std::string ReadToEnd(HANDLE pipe) {
    std::string text;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(pipe, buffer, sizeof buffer, &count, nullptr) && count > 0) {
        for (DWORD at = 0; at < count; ++at) {
            if (buffer[at] != '\r') {
                text += buffer[at];
            }
        }
    }
    return text;
}

// Runs a console program with its standard output and error read through pipes of their own.
Captured RunCapturing(const std::string& commandLine) {
    SECURITY_ATTRIBUTES inheritable{sizeof inheritable, nullptr, TRUE};
    HANDLE outputRead = nullptr;
    HANDLE outputWrite = nullptr;
    HANDLE errorRead = nullptr;
    HANDLE errorWrite = nullptr;
    Captured captured;
    if (!CreatePipe(&outputRead, &outputWrite, &inheritable, 0)) {
        return captured;
    }
    if (!CreatePipe(&errorRead, &errorWrite, &inheritable, 0)) {
        CloseHandle(outputRead);
        CloseHandle(outputWrite);
        return captured;
    }
    SetHandleInformation(outputRead, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(errorRead, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outputWrite;
    startup.hStdError = errorWrite;
    PROCESS_INFORMATION process{};
    std::string line = commandLine;
    const bool started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE,
                                        CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process);
    // Only the child holds the writing ends now, so the reads end when it does.
    CloseHandle(outputWrite);
    CloseHandle(errorWrite);
    if (started) {
        captured.output = ReadToEnd(outputRead);
        captured.error = ReadToEnd(errorRead);
        captured.ended = WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
        GetExitCodeProcess(process.hProcess, &captured.exitCode);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(outputRead);
    CloseHandle(errorRead);
    return captured;
}

// The text after "prefix" on the first line that begins with it; "(no such line)" when none does.
std::string LineAfter(const std::string& output, const std::string& prefix) {
    const std::string text = "\n" + output;
    const std::string::size_type at = text.find("\n" + prefix);
    if (at == std::string::npos) {
        return "(no such line)";
    }
    const std::string::size_type begin = at + 1 + prefix.size();
    return text.substr(begin, text.find('\n', begin) - begin);
}

// The output without its first line, which says whose folder was used.
std::string AfterFirstLine(const std::string& output) {
    return output.substr(output.find('\n') + 1);
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::string::size_type at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

// One default value below HKEY_CLASSES_ROOT. Key and data may hold "{ext}" and "{class}" (the
// case's unique names), "{kit}" (the launcher's folder) and "{apps}" (a folder with a blank in
// its name); folders end in a backslash.
struct Value {
    std::string key;
    std::string data;
    DWORD type = REG_SZ;
};

struct ExplainCase {
    const char* name;
    std::vector<Value> values;
    std::string verb; // given with /verb; none when empty
};

class ExplainTest : public LauncherFixture {
  protected:
    void SetUp() override {
        LauncherFixture::SetUp();
        rig::CopyBuiltProgram("launcher-explain.exe", kit + "launcher-explain.exe");
        apps = root + "My Apps\\";
        docs = root + "Docs\\";
        rig::MakeFolders(apps);
        rig::MakeFolders(docs);
        rig::CopyBuiltProgram("viewer.exe", apps + "viewer.exe");
        SetEnvironmentVariableA(kAppsVariable, apps.substr(0, apps.size() - 1).c_str());
    }

    void TearDown() override {
        SetEnvironmentVariableA(kAppsVariable, nullptr);
        LauncherFixture::TearDown();
    }

    std::string Fill(std::string text, const std::string& extension, const std::string& type) {
        text = ReplaceAll(text, "{ext}", extension);
        text = ReplaceAll(text, "{class}", type);
        text = ReplaceAll(text, "{kit}", kit);
        return ReplaceAll(text, "{apps}", apps);
    }

    // The copy beside launcher.exe, which takes its own folder.
    Captured ExplainBeside(const std::string& tail) {
        return RunCapturing("\"" + kit + "launcher-explain.exe\" " + tail);
    }

    // The built copy, told which launcher's folder to use.
    Captured ExplainAs(const std::string& tail) {
        return RunCapturing("\"" + rig::BuildFolder() + "launcher-explain.exe\" --as \"" + kit +
                            "launcher.exe\" " + tail);
    }

    std::string apps;
    std::string docs;
};

TEST_F(ExplainTest, WouldStartWhatTheLauncherStarts) {
    const std::string open = "{class}\\shell\\open\\command";
    const ExplainCase cases[] = {
        {"quoted program with blanks, arguments after it",
         {{".{ext}", "{class}"}, {open, "\"{apps}viewer.exe\" /n \"%1\""}},
         ""},
        {"program alone, nothing after it", {{".{ext}", "{class}"}, {open, "{kit}viewer.exe"}}, ""},
        {"environment reference in expandable text",
         {{".{ext}", "{class}"},
          {open, "%" + std::string(kAppsVariable) + "%\\viewer.exe %1", REG_EXPAND_SZ}},
         ""},
        {"edit when the class has no command for the verb",
         {{".{ext}", "{class}"},
          {open, "\"{kit}viewer.exe\" \"%1\""},
          {"{class}\\shell\\edit\\command", "\"{apps}viewer.exe\" \"%1\""}},
         "print"},
        {"command under the extension's own key, which names no class",
         {{".{ext}\\shell\\open\\command", "\"{apps}viewer.exe\" \"%1\""}},
         ""},
    };
    for (const ExplainCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string extension = rig::UniqueClassesName("explain");
        const std::string type = rig::UniqueClassesName("LauncherExplainDocument");
        rig::ClassesKeys keys;
        for (const Value& value : c.values) {
            ASSERT_TRUE(keys.SetDefault(Fill(value.key, extension, type),
                                        Fill(value.data, extension, type), value.type))
                << value.key << " cannot be written below " << rig::WritableClasses().name;
        }
        rig::WriteTextFile(docs + "report." + extension, "a document, not a program");
        const std::string tail =
            "/path ..\\..\\Docs\\report." + extension + (c.verb.empty() ? "" : " /verb " + c.verb);

        const Captured explained = ExplainBeside(tail);
        ASSERT_TRUE(explained.ended);
        EXPECT_EQ(explained.exitCode, 0u) << explained.output;
        EXPECT_EQ(explained.error, "");
        EXPECT_EQ(AfterFirstLine(ExplainAs(tail).output), AfterFirstLine(explained.output));

        DeleteFileA(recordPath.c_str());
        const rig::Finished run = Launch(tail);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, 0u);
        auto record = Record();
        EndViewer();
        EXPECT_EQ(LineAfter(explained.output, "Would start: "), "<" + record["commandLine"] + ">");
        // The started program's current folder is the launcher's, which Windows gives without
        // the trailing backslash that it was passed with.
        EXPECT_EQ(LineAfter(explained.output, "  in folder "), "<" + kit + ">");
        EXPECT_EQ(record["currentDirectory"] + "\\", kit);
    }
}

TEST_F(ExplainTest, ExitCodesForScripts) {
    const std::string extension = rig::UniqueClassesName("explain");
    const std::string type = rig::UniqueClassesName("LauncherExplainDocument");
    rig::ClassesKeys keys;
    ASSERT_TRUE(keys.SetDefault("." + extension, type));
    ASSERT_TRUE(
        keys.SetDefault(type + "\\shell\\open\\command", "\"" + apps + "viewer.exe\" \"%1\""));
    rig::WriteTextFile(docs + "report." + extension, "a document");
    const std::string unregistered = rig::UniqueClassesName("explainnone");
    rig::WriteTextFile(docs + "notes." + unregistered, "a document of no registered type");

    const struct {
        const char* what;
        std::string tail;
        DWORD exitCode;
        DWORD launcherExitCode;
    } cases[] = {
        {"program found", "/path ..\\..\\Docs\\report." + extension, 0, 0},
        {"no association", "/path ..\\..\\Docs\\notes." + unregistered, 1, 0},
        {"document missing", "/path ..\\..\\Docs\\missing." + extension, 2, kMinusOne},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Captured explained = ExplainBeside(c.tail);
        ASSERT_TRUE(explained.ended);
        EXPECT_EQ(explained.exitCode, c.exitCode) << explained.output;
        EXPECT_EQ(ExplainAs(c.tail).exitCode, c.exitCode);
        // And the launcher, whose code it ran, ends as the explanation said.
        DeleteFileA(recordPath.c_str());
        const rig::Finished run = Launch(c.tail);
        ASSERT_TRUE(run.ended);
        EXPECT_EQ(run.exitCode, c.launcherExitCode);
        EXPECT_EQ(LineAfter(explained.output, "Launcher exit code: ").substr(0, 2),
                  c.launcherExitCode == 0 ? "0" : "-1");
        EndViewer();
    }
}

TEST_F(ExplainTest, UsageErrorIsOneLineOnStandardError) {
    for (const char* tail : {"", "--bogus /path x", "--as launcher.exe /path x"}) {
        SCOPED_TRACE(tail);
        const Captured explained = ExplainBeside(tail);
        ASSERT_TRUE(explained.ended);
        EXPECT_EQ(explained.exitCode, 3u);
        EXPECT_EQ(explained.output, "");
        EXPECT_EQ(explained.error.rfind("launcher-explain: ", 0), 0u) << explained.error;
        EXPECT_EQ(explained.error.find('\n'), explained.error.size() - 1);
    }
}

} // namespace
