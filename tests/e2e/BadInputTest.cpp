// Bad input, end to end: command lines and document paths at and past their limits, control bytes,
// registry commands at the read limit and stored as other value types, a crowded environment,
// percent signs in values, programs that are folders or cannot be read. Each row states how the
// launcher ends and what it starts (from the stand-in viewer's record, or nothing); every run
// must end within the fixture's bound and, checked by the fixture, write nothing.
//
// A document that is no program and has no program of its own is "started" as itself, which fails
// for the plain text documents used here: the launcher still ends with 0, having tried.
#include "tests/e2e/ClassesKeys.h"
#include "tests/e2e/LauncherFixture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

// How a run ended and what it started, as "exit 0, started <command line>".
std::string Outcome(DWORD exitCode, const std::string& started) {
    return "exit " + (exitCode == kMinusOne ? std::string("-1") : std::to_string(exitCode)) +
           (started.empty() ? ", nothing started" : ", started " + started);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::string::size_type at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::wstring LongForm(const std::string& path) {
    const int length = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(length > 0 ? length - 1 : 0, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), length);
    return L"\\\\?\\" + wide;
}

// A copy of the viewer at a path of exactly the given length, made through "\\?\" paths so that
// the length is no limit wherever the file system has none; removed again, folders and all.
class LongPathCopy {
  public:
    LongPathCopy(const std::string& folder, std::string::size_type length) : path(folder) {
        std::vector<std::string> folders{folder};
        // Folders of 200 bytes while the rest would not fit one name (at most 255 bytes).
        while (length - path.size() > 1 + 255) {
            path += "\\" + std::string(199, 'd');
            folders.push_back(path);
        }
        path += "\\" + std::string(length - path.size() - 1 - 4, 'n') + ".exe";
        for (const std::string& folderPath : folders) {
            if (!CreateDirectoryW(LongForm(folderPath).c_str(), nullptr)) {
                return;
            }
            made_.push_back(folderPath);
        }
        made = CopyFileW(LongForm(rig::BuildFolder() + "viewer.exe").c_str(),
                         LongForm(path).c_str(), FALSE) != FALSE;
    }
    LongPathCopy(const LongPathCopy&) = delete;
    LongPathCopy& operator=(const LongPathCopy&) = delete;
    ~LongPathCopy() {
        DeleteFileW(LongForm(path).c_str());
        for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) {
            RemoveDirectoryW(LongForm(*folder).c_str());
        }
    }

    std::string path;
    bool made = false;

  private:
    std::vector<std::string> made_;
};

// A file held open without read sharing for as long as the guard lives.
class HeldFile {
  public:
    explicit HeldFile(const std::string& path)
        : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;
    ~HeldFile() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
        }
    }
    const HANDLE handle;
};

// Variables set in this program's environment, which launcher.exe inherits, and removed again.
class EnvironmentVariables {
  public:
    EnvironmentVariables() = default;
    EnvironmentVariables(const EnvironmentVariables&) = delete;
    EnvironmentVariables& operator=(const EnvironmentVariables&) = delete;
    ~EnvironmentVariables() {
        for (const std::string& name : names_) {
            SetEnvironmentVariableA(name.c_str(), nullptr);
        }
    }
    bool Set(const std::string& name, const std::string& value) {
        names_.push_back(name);
        return SetEnvironmentVariableA(name.c_str(), value.c_str()) != FALSE;
    }

  private:
    std::vector<std::string> names_;
};

// One default value below HKEY_CLASSES_ROOT, stored byte for byte. Key and bytes may hold the
// placeholders of BadInputTest::Fill.
struct Stored {
    std::string key;
    std::string bytes;
    DWORD type = REG_SZ;
    // When not 0, the bytes (filled in) get an argument of "x"s after them that brings them to
    // this length, before any NUL of their own.
    std::string::size_type length = 0;
    bool withNul = true;
};

// A text with its NUL, as registered commands are.
Stored Text(const std::string& key, const std::string& text, std::string::size_type length = 0) {
    return {key, text, REG_SZ, length, true};
}

// Exactly these bytes, of this type, with no NUL added.
Stored Raw(const std::string& key, const std::string& bytes, DWORD type,
           std::string::size_type length = 0) {
    return {key, bytes, type, length, false};
}

struct RegisteredCase {
    const char* name;
    std::vector<Stored> values;
    std::string program; // as the viewer is started for the document; empty: nothing starts
    std::string currentFolder = "";
};

constexpr const char* kOpen = "{class}\\shell\\open\\command";
constexpr const char* kEdit = "{class}\\shell\\edit\\command";
constexpr const char* kView = "{class}\\shell\\view\\command";
constexpr const char* kClass = ".{ext}";
const std::string kAppsViewer = "\"{apps}viewer.exe\" \"%1\"";
const std::string kKitViewer = "\"{kit}viewer.exe\" \"%1\"";

class BadInputTest : public LauncherFixture {
  protected:
    void SetUp() override {
        LauncherFixture::SetUp();
        viewer = kit + "viewer.exe";
        apps = root + "My Apps\\";
        docs = root + "My Documents\\";
        work = root + "Work\\";
        for (const std::string& folder : {apps, docs, work}) {
            rig::MakeFolders(folder);
        }
        rig::CopyBuiltProgram("viewer.exe", apps + "viewer.exe");
    }

    std::string Fill(std::string text, const std::string& extension,
                     const std::string& type) const {
        for (const auto& [name, value] : {std::pair<std::string, std::string>{"{ext}", extension},
                                          {"{class}", type},
                                          {"{kit}", kit},
                                          {"{apps}", apps},
                                          {"{root}", root},
                                          {"{tools}", root + "Tools\\"}}) {
            text = ReplaceAll(text, name, value);
        }
        return text;
    }

    // Starts the launcher and tells how it ended and what it started.
    std::string OutcomeOf(const std::string& tail, const std::string& currentFolder = "") {
        DeleteFileA(recordPath.c_str());
        const rig::Finished run = Launch(tail, currentFolder);
        if (!run.ended) {
            return "(launcher did not end)";
        }
        std::string started;
        if (rig::FileExists(recordPath)) {
            started = Record()["commandLine"];
            EndViewer();
        } else if (!rig::ChildProcessesBelow(run.processId, root).empty()) {
            started = "(a program that is not the viewer)";
        }
        return Outcome(run.exitCode, started);
    }

    void Store(rig::ClassesKeys& keys, const Stored& value, const std::string& extension,
               const std::string& type) {
        const std::string key = Fill(value.key, extension, type);
        std::string bytes = Fill(value.bytes, extension, type);
        if (value.length > 0) {
            ASSERT_GT(value.length, bytes.size() + 1) << value.key;
            bytes += " " + std::string(value.length - bytes.size() - 1, 'x');
        }
        if (value.withNul) {
            bytes += '\0';
        }
        ASSERT_TRUE(keys.Create(key)) << key;
        const rig::ClassesBranch& branch = rig::WritableClasses();
        HKEY opened = nullptr;
        ASSERT_EQ(
            RegOpenKeyExA(branch.root, (branch.prefix + key).c_str(), 0, KEY_SET_VALUE, &opened),
            ERROR_SUCCESS);
        const LONG status = RegSetValueExA(opened, nullptr, 0, value.type,
                                           reinterpret_cast<const BYTE*>(bytes.data()),
                                           static_cast<DWORD>(bytes.size()));
        RegCloseKey(opened);
        ASSERT_EQ(status, ERROR_SUCCESS) << key;
    }

    // Registers the case under names of its own, opens a new plain document of that extension and
    // compares what started; the keys go again, whatever happened.
    void ExpectStarted(const RegisteredCase& c) {
        SCOPED_TRACE(c.name);
        const std::string extension = rig::UniqueClassesName("e2e");
        const std::string type = rig::UniqueClassesName("LauncherE2EDocument");
        rig::ClassesKeys keys;
        for (const Stored& value : c.values) {
            Store(keys, value, extension, type);
            if (HasFatalFailure()) {
                return;
            }
        }
        const std::string document = docs + "report." + extension;
        rig::WriteTextFile(document, "a document, not a program");
        const std::string program = Fill(c.program, extension, type);
        EXPECT_EQ(OutcomeOf("/path " + document, c.currentFolder),
                  Outcome(0, program.empty() ? "" : Quoted(program) + " " + Quoted(document)));
    }

    struct TailCase {
        const char* name;
        std::string tail;
        std::string outcome;
    };

    void ExpectOutcomes(const std::vector<TailCase>& cases) {
        for (const TailCase& c : cases) {
            SCOPED_TRACE(c.name);
            EXPECT_EQ(OutcomeOf(c.tail), c.outcome);
        }
    }

    std::string viewer; // the viewer in the launcher's folder
    std::string apps;   // holds a copy of the viewer
    std::string docs;   // where documents are written
    std::string work;   // a current folder for the launcher
};

// CreateProcessA takes a command line of at most 32,767 characters with its NUL.
TEST_F(BadInputTest, CommandLineOfTheLargestSizeWindowsTakes) {
    constexpr std::string::size_type kLongest = 32766;
    const std::string::size_type room = kLongest - LauncherCommand("").size();
    ASSERT_EQ(root.substr(1, 2), ":\\");

    // A parent chain far longer than the launcher's folder is deep ends above the drive's root,
    // and the rest of the value is taken from there. The document's name evens out the length.
    std::string chain;
    std::string name;
    for (int letters = 1; chain.empty() && letters <= 3; ++letters) {
        name = std::string(letters, 'a') + ".exe";
        const std::string rest = root.substr(3) + name;
        const std::string::size_type chainBytes = room - std::string("/path ").size() - rest.size();
        if (chainBytes % 3 == 0) {
            std::string value;
            for (std::string::size_type climb = 0; climb < chainBytes / 3; ++climb) {
                value += "..\\";
            }
            chain = "/path " + value + rest;
        }
    }
    ASSERT_FALSE(chain.empty());
    PlaceDocuments({root + name});
    const std::string path = "/path " + viewer;
    const std::string verb = " /verb ";
    const std::vector<TailCase> cases = {
        {"a parent chain climbing past the drive's root", chain, Outcome(0, Quoted(root + name))},
        {"blanks after the document", path + std::string(room - path.size(), ' '),
         Outcome(0, Quoted(viewer))},
        // No class has such a verb, nor edit or view for programs: the document starts itself.
        {"a verb as long as the rest allows",
         path + verb + std::string(room - path.size() - verb.size(), 'v'),
         Outcome(0, Quoted(viewer))},
    };
    for (const TailCase& c : cases) {
        ASSERT_EQ(LauncherCommand(c.tail).size(), kLongest) << c.name;
    }
    ExpectOutcomes(cases);
    // One character more, and the launcher cannot be started at all: the rows are at the limit.
    EXPECT_EQ(rig::RunAndWait(LauncherCommand(cases[1].tail + " "), 90000).processId, 0u);
}

// The launcher reads paths through the ANSI calls, which take at most MAX_PATH bytes: 259 and the
// NUL on Windows, 260 under Wine, whose program search for CreateProcessA still takes only 259.
// Longer paths are made where the file system allows (through "\\?\" paths) and still name no
// document; a path of 32,000 bytes has no room in Wine's file system (its host's limit is 4,096).
TEST_F(BadInputTest, DocumentPathsAroundTheLongestTheAnsiCallsTake) {
    enum class Expected { Opened, NotFound, AsTheAnsiCallsAllow };
    struct LengthCase {
        std::string::size_type length;
        Expected expected;
    };
    for (const LengthCase c :
         {LengthCase{259, Expected::Opened}, LengthCase{260, Expected::AsTheAnsiCallsAllow},
          LengthCase{261, Expected::NotFound}, LengthCase{32000, Expected::NotFound}}) {
        const LongPathCopy copy(root + "Long", c.length);
        SCOPED_TRACE(std::to_string(c.length) + " bytes, " +
                     (copy.made ? "made" : "cannot be made here"));
        ASSERT_EQ(copy.path.size(), c.length);
        std::string outcome = Outcome(kMinusOne, "");
        if (c.expected == Expected::Opened) {
            ASSERT_TRUE(copy.made);
            outcome = Outcome(0, Quoted(copy.path));
        } else if (c.expected == Expected::AsTheAnsiCallsAllow && copy.made) {
            const bool opens = rig::FileExists(copy.path);
            DeleteFileA(recordPath.c_str());
            const bool starts = rig::RunAndWait(Quoted(copy.path), 30000).processId != 0;
            DeleteFileA(recordPath.c_str());
            RecordProperty("ansiCallsAt" + std::to_string(c.length) + "Bytes",
                           std::string(opens ? "open" : "do not open") + " the file and " +
                               (starts ? "start" : "do not start") + " it");
            outcome = opens ? Outcome(0, starts ? Quoted(copy.path) : "") : outcome;
        }
        EXPECT_EQ(OutcomeOf("/path " + copy.path), outcome);
    }
}

TEST_F(BadInputTest, ControlBytesInsideValues) {
    const std::string startOfHeading(1, '\x01');
    const std::string deleteByteName = root + "a" + std::string(1, '\x7F') + "b.exe";
    PlaceDocuments({deleteByteName});
    ExpectOutcomes({
        // Bytes 0x09 to 0x0D are white space around a value; other control bytes belong to it.
        {"vertical tab and form feed around the document", "/path\x0B" + viewer + "\x0C",
         Outcome(0, Quoted(viewer))},
        {"a line break after the document", "/path " + viewer + "\r\n", Outcome(0, Quoted(viewer))},
        {"a control byte at the end of the document", "/path " + viewer + startOfHeading,
         Outcome(kMinusOne, "")},
        {"an escape byte before the document", "/path \x1B" + viewer, Outcome(kMinusOne, "")},
        {"a control byte inside the verb", "/path " + viewer + " /verb op" + startOfHeading + "en",
         Outcome(0, Quoted(viewer))},
        {"a delete byte in a file name, where it is allowed", "/path " + deleteByteName,
         Outcome(0, Quoted(deleteByteName))},
    });
    // A control byte cannot end a file's name, so the program search passes it by.
    for (const RegisteredCase& c : {
             RegisteredCase{
                 "a bell byte after the program",
                 {Text(kClass, "{class}"), Text(kOpen, "\"{apps}viewer.exe\"\x07 \"%1\"")},
                 "{apps}viewer.exe"},
             RegisteredCase{
                 "a line break between program and document",
                 {Text(kClass, "{class}"), Text(kOpen, "\"{apps}viewer.exe\"\r\n\"%1\"")},
                 "{apps}viewer.exe"},
         }) {
        ExpectStarted(c);
    }
}

// A command is read with its NUL into 4,096 bytes; a longer one counts as no command at all, so
// the edit and view commands follow, and then the document itself. The commands are filled up with
// an argument of "x"s to the length given.
TEST_F(BadInputTest, CommandTextAroundTheRegistryReadLimit) {
    const RegisteredCase cases[] = {
        {"4,095 bytes and the NUL are read",
         {Text(kClass, "{class}"), Text(kOpen, kAppsViewer, 4095), Text(kEdit, kKitViewer)},
         "{apps}viewer.exe "},
        {"4,096 bytes count as no command: edit follows",
         {Text(kClass, "{class}"), Text(kOpen, kAppsViewer, 4096), Text(kEdit, kKitViewer)},
         "{kit}viewer.exe "},
        {"4,097 bytes count as no command: edit follows",
         {Text(kClass, "{class}"), Text(kOpen, kAppsViewer, 4097), Text(kEdit, kKitViewer)},
         "{kit}viewer.exe "},
        {"an edit command of 4,096 bytes counts as none either: view follows",
         {Text(kClass, "{class}"), Text(kEdit, kAppsViewer, 4096), Text(kView, kKitViewer)},
         "{kit}viewer.exe "},
        {"4,096 bytes and no other command: the document itself",
         {Text(kClass, "{class}"), Text(kOpen, kAppsViewer, 4096)},
         ""},
    };
    for (const RegisteredCase& c : cases) {
        ExpectStarted(c);
    }
}

// The launcher reads a command's bytes whatever type they are stored as, ends them itself where no
// NUL does, and counts an empty text as no command. Each class also has an edit command that
// starts the viewer in the launcher's folder, which shows where the open command counted as none.
TEST_F(BadInputTest, CommandStoredAsAnotherValueType) {
    const std::string nul(1, '\0');
    const RegisteredCase cases[] = {
        {"REG_BINARY without a NUL",
         {Text(kClass, "{class}"), Raw(kOpen, kAppsViewer, REG_BINARY), Text(kEdit, kKitViewer)},
         "{apps}viewer.exe "},
        {"REG_BINARY of 4,096 bytes without a NUL",
         {Text(kClass, "{class}"), Raw(kOpen, kAppsViewer, REG_BINARY, 4096),
          Text(kEdit, kKitViewer)},
         "{apps}viewer.exe "},
        {"REG_BINARY of 4,097 bytes without a NUL counts as none",
         {Text(kClass, "{class}"), Raw(kOpen, kAppsViewer, REG_BINARY, 4097),
          Text(kEdit, kKitViewer)},
         "{kit}viewer.exe "},
        {"REG_DWORD 0 reads as the empty text, which counts as none",
         {Text(kClass, "{class}"), Raw(kOpen, nul + nul + nul + nul, REG_DWORD),
          Text(kEdit, kKitViewer)},
         "{kit}viewer.exe "},
        // The byte 0x01 is a command, though one that names no program: the document itself.
        {"REG_DWORD 1 reads as a control byte",
         {Text(kClass, "{class}"), Raw(kOpen, "\x01" + nul + nul + nul, REG_DWORD),
          Text(kEdit, kKitViewer)},
         ""},
        {"REG_MULTI_SZ: its first string is the command",
         {Text(kClass, "{class}"),
          Raw(kOpen, kAppsViewer + nul + kKitViewer + nul + nul, REG_MULTI_SZ),
          Text(kEdit, kKitViewer)},
         "{apps}viewer.exe "},
        {"REG_MULTI_SZ whose first string is empty counts as none",
         {Text(kClass, "{class}"), Raw(kOpen, nul + kAppsViewer + nul + nul, REG_MULTI_SZ),
          Text(kEdit, kKitViewer)},
         "{kit}viewer.exe "},
    };
    for (const RegisteredCase& c : cases) {
        ExpectStarted(c);
    }
}

TEST_F(BadInputTest, EnvironmentOfFiveThousandVariables) {
    EnvironmentVariables variables;
    for (int index = 0; index < 5000; ++index) {
        char name[32];
        std::snprintf(name, sizeof name, "LAUNCHER_E2E_BULK%04d", index);
        ASSERT_TRUE(variables.Set(name, index == 4999
                                            ? apps.substr(0, apps.size() - 1)
                                            : "value " + std::to_string(index) + " of many"));
    }
    ExpectStarted(
        {"a program below the last of 5,000 variables",
         {Text(kClass, "{class}"), Text(kOpen, "\"%LAUNCHER_E2E_BULK4999%\\viewer.exe\" \"%1\"")},
         "{apps}viewer.exe "});
    // The program gets the whole environment.
    ASSERT_TRUE(variables.Set("VIEWER_ECHO", "LAUNCHER_E2E_BULK0000,LAUNCHER_E2E_BULK4998"));
    EXPECT_EQ(OutcomeOf("/path " + viewer), Outcome(0, Quoted(viewer)));
    auto record = Record();
    EXPECT_EQ(record["env:LAUNCHER_E2E_BULK0000"], "value 0 of many");
    EXPECT_EQ(record["env:LAUNCHER_E2E_BULK4998"], "value 4998 of many");
}

// A value is put in as it is, percent signs and all, and each variable once: a value that names
// its own variable ends the expansion as surely as any other.
TEST_F(BadInputTest, EnvironmentValuesHoldingPercentSigns) {
    const std::string percentFolder = root + "50%% off%";
    const std::string selfName = "%LAUNCHER_E2E_SELF%";
    PlaceDocuments({percentFolder + "\\viewer.exe", work + selfName + "\\viewer.exe"});
    EnvironmentVariables variables;
    ASSERT_TRUE(variables.Set("LAUNCHER_E2E_PERCENT", percentFolder));
    ASSERT_TRUE(variables.Set("LAUNCHER_E2E_SELF", selfName));
    const RegisteredCase cases[] = {
        {"a value with percent signs",
         {Text(kClass, "{class}"), Text(kOpen, "\"%LAUNCHER_E2E_PERCENT%\\viewer.exe\" \"%1\"")},
         "{root}50%% off%\\viewer.exe "},
        // Found in the launcher's current folder, where a folder has the reference's name.
        {"a value that is a reference to its own variable",
         {Text(kClass, "{class}"), Text(kOpen, "\"" + selfName + "\\viewer.exe\" \"%1\"")},
         selfName + "\\viewer.exe ",
         work},
    };
    for (const RegisteredCase& c : cases) {
        ExpectStarted(c);
    }
}

// The program search opens each candidate for reading and passes by what cannot be: a folder, or a
// file that another process holds open without read sharing. A shorter name that opens is then
// the program; the trailing period that ends it is dropped by the file system, as blanks are.
TEST_F(BadInputTest, ProgramThatIsAFolderOrCannotBeRead) {
    const std::string tools = root + "Tools\\";
    rig::MakeFolders(tools + "viewer.exe.exe");
    PlaceDocuments(
        {tools + "viewer.exe", tools + "second.exe", tools + "second.exe.exe", tools + "held.exe"});
    const HeldFile heldLonger(tools + "second.exe.exe");
    const HeldFile held(tools + "held.exe");
    ASSERT_NE(heldLonger.handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(held.handle, INVALID_HANDLE_VALUE);
    const RegisteredCase cases[] = {
        {"a folder by the program's name, a program by a shorter one",
         {Text(kClass, "{class}"), Text(kOpen, "\"{tools}viewer.exe.exe\" \"%1\"")},
         "{tools}viewer.exe."},
        {"a folder and nothing else",
         {Text(kClass, "{class}"), Text(kOpen, "\"{root}Tools\" \"%1\"")},
         ""},
        {"a program held without read sharing, a program by a shorter name",
         {Text(kClass, "{class}"), Text(kOpen, "\"{tools}second.exe.exe\" \"%1\"")},
         "{tools}second.exe."},
        {"a program held without read sharing and nothing else",
         {Text(kClass, "{class}"), Text(kOpen, "\"{tools}held.exe\" \"%1\"")},
         ""},
    };
    for (const RegisteredCase& c : cases) {
        ExpectStarted(c);
    }
}

// In code page 932 a tail or a command may end in a lead byte with no trail byte after it. A
// command line reaches a program through Unicode, which has no such character: Wine drops the
// byte, Windows may put another character in its place, and what the launcher then gets decides
// the first row. A REG_BINARY command reaches the launcher byte for byte.
TEST_F(BadInputTest, LoneLeadByteAtTheEndOfTailOrCommand) {
    if (GetACP() != 932) {
        GTEST_SKIP() << "needs code page 932 (run with LANG=ja_JP.UTF-8)";
    }
    DeleteFileA(recordPath.c_str());
    const std::string sent = Quoted(viewer) + " /path x";
    ASSERT_TRUE(rig::RunAndWait(sent + "\x82", 30000).ended);
    const std::string received = Record()["commandLine"];
    const bool droppedOrKept = received == sent || received == sent + "\x82";
    RecordProperty("loneLeadByteArrives", received == sent ? "dropped"
                                          : droppedOrKept  ? "as it is"
                                                           : "replaced");

    ExpectOutcomes({
        // The launcher drops a final lone lead byte itself.
        {"after the document", "/path " + viewer + "\x82",
         droppedOrKept ? Outcome(0, Quoted(viewer)) : Outcome(kMinusOne, "")},
        // Whatever the verb becomes, a program's class names no other program for it.
        {"after the verb", "/path " + viewer + " /verb open\x82", Outcome(0, Quoted(viewer))},
    });
    const RegisteredCase cases[] = {
        {"a command ending in a lone lead byte",
         {Text(kClass, "{class}"), Raw(kOpen, kAppsViewer + "\x82", REG_BINARY)},
         "{apps}viewer.exe "},
        {"a program's name ending in a lone lead byte",
         {Text(kClass, "{class}"), Raw(kOpen, "{apps}viewer.exe\x82", REG_BINARY)},
         "{apps}viewer.exe"},
    };
    for (const RegisteredCase& c : cases) {
        ExpectStarted(c);
    }
}

} // namespace
