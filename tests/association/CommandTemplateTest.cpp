// The registry search for a document type's command: which keys are read, in which order, and
// which command wins.
#include "association/CommandTemplate.h"

#include "tests/MachineTest.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace {

const HKEY kClasses = HKEY_CLASSES_ROOT;
const HKEY kUser = HKEY_CURRENT_USER;
const std::string kFileExts = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\";

// The reads made, one line each: the root, the key as opened, and the value asked for when the key
// could be opened ("" for the default value). A key that is missing shows no value.
std::vector<std::string> Reads() {
    std::vector<std::string> reads;
    for (const sim::RegistryCall& call : sim::RegistryCalls()) {
        if (call.kind == sim::RegistryCall::Open) {
            const char* root = call.root == kClasses ? "HKCR\\"
                               : call.root == kUser  ? "HKCU\\"
                                                     : "?\\";
            reads.push_back(root + call.path);
        } else if (!reads.empty()) {
            reads.back() += " [" + call.valueName + "]";
        }
    }
    return reads;
}

struct LookupCase {
    const char* what;
    std::function<void()> registry;
    std::string extension;
    std::string verb;
    std::string command;            // the template found
    std::vector<std::string> reads; // what was read, in order
    std::string prefix = ".";
};

void PrintTo(const LookupCase& c, std::ostream* out) {
    *out << c.what;
}

void Text(HKEY root, const std::string& key, const std::string& text) {
    sim::SetRegistryText(root, key, "", text);
}

class CommandTemplateTest : public MachineTest, public ::testing::WithParamInterface<LookupCase> {};

TEST_P(CommandTemplateTest, FindsCommandReadingOnlyWhatItMust) {
    const LookupCase& c = GetParam();
    c.registry();
    const String command =
        LookupCommandTemplate(c.extension.c_str(), c.verb.c_str(), false, c.prefix.c_str());
    EXPECT_EQ(command.Text(), c.command);
    EXPECT_EQ(Reads(), c.reads);
    for (const sim::RegistryCall& call : sim::RegistryCalls()) {
        if (call.kind == sim::RegistryCall::Open) {
            EXPECT_EQ(call.root, kClasses);
            EXPECT_EQ(call.access, KEY_READ);
        }
    }
}

const std::string k4095(4095, 'x');
const std::string k4096(4096, 'x');

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandTemplateTest,
    ::testing::Values(
        LookupCase{"no key for the extension",
                   [] {},
                   "xyz",
                   "open",
                   "",
                   {"HKCR\\.xyz", "HKCR\\.xyz\\shell\\open\\command"}},
        LookupCase{"class with a command for the verb",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\open\\command", "v.exe %1");
                       Text(kClasses, "XyzFile\\shell\\edit\\command", "e.exe %1");
                   },
                   "xyz",
                   "open",
                   "v.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command []"}},
        LookupCase{"verb taken as given, case and blanks included",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\Print To\\command", "p.exe %1");
                   },
                   "xyz",
                   "Print To",
                   "p.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\Print To\\command []"}},
        LookupCase{"edit command when the verb has none",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\edit\\command", "e.exe %1");
                       Text(kClasses, "XyzFile\\shell\\view\\command", "w.exe %1");
                   },
                   "xyz",
                   "open",
                   "e.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command",
                    "HKCR\\XyzFile\\shell\\edit\\command []"}},
        LookupCase{"view command when neither the verb nor edit has one",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\open\\command", "");
                       Text(kClasses, "XyzFile\\shell\\view\\command", "w.exe %1");
                   },
                   "xyz",
                   "open",
                   "w.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command []",
                    "HKCR\\XyzFile\\shell\\edit\\command",
                    "HKCR\\XyzFile\\shell\\view\\command []"}},
        LookupCase{"fall-backs also for the verb edit itself",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\view\\command", "w.exe %1");
                   },
                   "xyz",
                   "edit",
                   "w.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\edit\\command",
                    "HKCR\\XyzFile\\shell\\edit\\command",
                    "HKCR\\XyzFile\\shell\\view\\command []"}},
        LookupCase{"command under the extension's own key",
                   [] { Text(kClasses, ".xyz\\shell\\open\\command", "own.exe %1"); },
                   "xyz",
                   "open",
                   "own.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\.xyz\\shell\\open\\command []"}},
        LookupCase{"no fall-back under the extension's own key",
                   [] {
                       sim::AddRegistryKey(kClasses, ".xyz");
                       Text(kClasses, ".xyz\\shell\\edit\\command", "own.exe %1");
                   },
                   "xyz",
                   "open",
                   "",
                   {"HKCR\\.xyz []", "HKCR\\.xyz\\shell\\open\\command"}},
        LookupCase{"class without a shell key: the extension's own command is not read",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       sim::AddRegistryKey(kClasses, "XyzFile");
                       Text(kClasses, ".xyz\\shell\\open\\command", "own.exe %1");
                   },
                   "xyz",
                   "open",
                   "",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command",
                    "HKCR\\XyzFile\\shell\\edit\\command", "HKCR\\XyzFile\\shell\\view\\command"}},
        LookupCase{"document name without a dot: the key \".\"",
                   [] { Text(kClasses, ".\\shell\\open\\command", "dot.exe %1"); },
                   "",
                   "open",
                   "dot.exe %1",
                   {"HKCR\\. []", "HKCR\\.\\shell\\open\\command []"}},
        LookupCase{
            "empty prefix: the extension is the class, whatever extension keys say",
            [] {
                Text(kClasses, "..XyzFile", "Other");
                Text(kClasses, "XyzFile\\shell\\edit\\command", "e.exe %1");
            },
            "XyzFile",
            "open",
            "e.exe %1",
            {"HKCR\\XyzFile\\shell\\open\\command", "HKCR\\XyzFile\\shell\\edit\\command []"},
            ""},
        LookupCase{"4095 bytes are read whole",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\open\\command", k4095);
                   },
                   "xyz",
                   "open",
                   k4095,
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command []"}},
        LookupCase{"4096 bytes count as absent, so the next fall-back is tried",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\open\\command", k4096);
                       Text(kClasses, "XyzFile\\shell\\edit\\command", "e.exe %1");
                   },
                   "xyz",
                   "open",
                   "e.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command []",
                    "HKCR\\XyzFile\\shell\\edit\\command []"}},
        LookupCase{"expandable command returned unexpanded",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       sim::SetRegistryValue(kClasses, "XyzFile\\shell\\open\\command", "",
                                             REG_EXPAND_SZ,
                                             std::string("%ProgramFiles%\\v.exe \"%1\"\0", 26));
                   },
                   "xyz",
                   "open",
                   "%ProgramFiles%\\v.exe \"%1\"",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command []"}},
        LookupCase{"class named by a multi-string: its first string",
                   [] {
                       sim::SetRegistryValue(kClasses, ".xyz", "", REG_MULTI_SZ,
                                             std::string("XyzFile\0Other\0\0", 15));
                       Text(kClasses, "XyzFile\\shell\\open\\command", "v.exe %1");
                   },
                   "xyz",
                   "open",
                   "v.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command []"}},
        LookupCase{"class named without a terminating NUL",
                   [] {
                       sim::SetRegistryValue(kClasses, ".xyz", "", REG_SZ, "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\open\\command", "v.exe %1");
                   },
                   "xyz",
                   "open",
                   "v.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command []"}},
        LookupCase{"unreadable class key: as if the class had no command",
                   [] {
                       Text(kClasses, ".xyz", "XyzFile");
                       Text(kClasses, "XyzFile\\shell\\open\\command", "v.exe %1");
                       sim::DenyRegistryKey(kClasses, "XyzFile\\shell\\open\\command");
                       Text(kClasses, "XyzFile\\shell\\edit\\command", "e.exe %1");
                   },
                   "xyz",
                   "open",
                   "e.exe %1",
                   {"HKCR\\.xyz []", "HKCR\\XyzFile\\shell\\open\\command",
                    "HKCR\\XyzFile\\shell\\edit\\command []"}}));

// The per-user branch: the application a user chose, then the open-with list in its order.
class UserChoiceTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        Text(kClasses, ".xyz", "XyzFile");
        Text(kClasses, "XyzFile\\shell\\open\\command", "class.exe %1");
        Text(kClasses, "Applications\\a.exe\\shell\\open\\command", "a.exe %1");
        Text(kClasses, "Applications\\b.exe\\shell\\open\\command", "b.exe %1");
        sim::AddRegistryKey(kClasses, "Applications\\nocommand.exe");
    }

    static void UserText(const std::string& key, const std::string& name, const std::string& text) {
        sim::SetRegistryText(kUser, kFileExts + key, name, text);
    }

    static std::string Lookup(const char* verb) {
        return LookupCommandTemplate("xyz", verb, true, ".").Text();
    }
};

TEST_F(UserChoiceTest, ChosenApplicationWinsOverClass) {
    UserText(".xyz", "Application", "b.exe");
    EXPECT_EQ(Lookup("open"), "b.exe %1");
    EXPECT_EQ(Reads(),
              (std::vector<std::string>{"HKCU\\" + kFileExts + ".xyz [Application]",
                                        "HKCR\\Applications\\b.exe\\shell\\open\\command []"}));
}

TEST_F(UserChoiceTest, OpenWithListIsWalkedInItsOrderSkippingWhatGivesNoCommand) {
    UserText(".xyz", "Application", "nocommand.exe");
    // "x" names no value, "c" an application without a command; "b" comes before "a".
    UserText(".xyz\\OpenWithList", "MRUList", "xcba");
    UserText(".xyz\\OpenWithList", "c", "nocommand.exe");
    UserText(".xyz\\OpenWithList", "a", "a.exe");
    UserText(".xyz\\OpenWithList", "b", "b.exe");
    EXPECT_EQ(Lookup("open"), "b.exe %1");
    const std::string list = "HKCU\\" + kFileExts + ".xyz\\OpenWithList";
    EXPECT_EQ(Reads(), (std::vector<std::string>{
                           "HKCU\\" + kFileExts + ".xyz [Application]",
                           "HKCR\\Applications\\nocommand.exe\\shell\\open\\command",
                           list + " [MRUList]",
                           list + " [x]",
                           list + " [c]",
                           "HKCR\\Applications\\nocommand.exe\\shell\\open\\command",
                           list + " [b]",
                           "HKCR\\Applications\\b.exe\\shell\\open\\command []",
                       }));
}

TEST_F(UserChoiceTest, BranchWithoutResultFallsBackToClass) {
    UserText(".xyz\\OpenWithList", "MRUList", "q");
    EXPECT_EQ(Lookup("open"), "class.exe %1");
    const std::vector<std::string> reads = Reads();
    ASSERT_EQ(reads.size(), 5u);
    EXPECT_EQ(reads[3], "HKCR\\.xyz []");
    EXPECT_EQ(reads[4], "HKCR\\XyzFile\\shell\\open\\command []");
}

// Key names ignore case, so a taken branch would find b.exe's open command for "Open" too.
TEST_F(UserChoiceTest, OnlyTheVerbOpenExactlyTakesTheBranch) {
    UserText(".xyz", "Application", "b.exe");
    Text(kClasses, "XyzFile\\shell\\Open\\command", "class-open.exe %1");
    Text(kClasses, "XyzFile\\shell\\edit\\command", "class-edit.exe %1");
    EXPECT_EQ(Lookup("Open"), "class-open.exe %1");
    EXPECT_EQ(Lookup("edit"), "class-edit.exe %1");
    for (const sim::RegistryCall& call : sim::RegistryCalls()) {
        EXPECT_TRUE(call.kind != sim::RegistryCall::Open || call.root == kClasses);
    }
}

// In a double-byte code page a lead byte of the list makes no value name of its own; the key's
// default value is not taken for an entry.
TEST_F(UserChoiceTest, LeadByteInListIsNoEntry) {
    sim::SetCodePage(932);
    text::SetUpCharacterRules();
    UserText(".xyz\\OpenWithList", "MRUList", "\x83\x61");
    UserText(".xyz\\OpenWithList", "", "b.exe");
    UserText(".xyz\\OpenWithList", "a", "a.exe");
    EXPECT_EQ(Lookup("open"), "a.exe %1");
}

// A failed read is an absent value: the search goes on as its order says, and no key stays open.
// The reads here: the extension (opened, queried), the class's open command (no such key), its
// edit command (opened, queried).
TEST(CommandTemplateFaults, FailedRegistryCallIsAnAbsentValue) {
    struct Case {
        sim::Op op;
        int n;
        const char* command;
    } cases[] = {
        {sim::Op::RegOpenKeyExA, 1, ""}, // no class: the extension's own command, which is absent
        {sim::Op::RegOpenKeyExA, 2, "e.exe %1"},
        {sim::Op::RegOpenKeyExA, 3, ""}, // edit fails, view is absent
        {sim::Op::RegQueryValueExA, 1, ""},
        {sim::Op::RegQueryValueExA, 2, ""},
        {sim::Op::RegQueryValueExA, 3, "e.exe %1"},
    };
    for (const Case& c : cases) {
        sim::Reset();
        text::SetUpCharacterRules();
        Text(kClasses, ".xyz", "XyzFile");
        Text(kClasses, "XyzFile\\shell\\edit\\command", "e.exe %1");
        sim::FailNthCall(c.op, c.n);
        EXPECT_STREQ(LookupCommandTemplate("xyz", "open", false, ".").Text(), c.command)
            << static_cast<int>(c.op) << " call " << c.n;
        EXPECT_EQ(sim::OpenKeys(), 0) << static_cast<int>(c.op) << " call " << c.n;
    }
}

} // namespace
