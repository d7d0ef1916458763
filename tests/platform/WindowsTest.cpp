// The top-level windows as a walk from the desktop sees them: Z order, the scripted lifetimes of a
// child's windows, owners, and how titles and class names are copied.
#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kProgram = "C:\\Tools\\app.exe";

// The titles of the top-level windows, topmost first.
std::vector<std::string> Titles() {
    std::vector<std::string> titles;
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        char title[512];
        title[GetWindowTextA(window, title, sizeof title)] = '\0';
        titles.emplace_back(title);
    }
    return titles;
}

HWND WindowTitled(const std::string& wanted) {
    for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window != nullptr;
         window = GetWindow(window, GW_HWNDNEXT)) {
        char title[512];
        title[GetWindowTextA(window, title, sizeof title)] = '\0';
        if (wanted == title) {
            return window;
        }
    }
    return nullptr;
}

sim::WindowScript Window(const std::string& title, DWORD appearsAt = 0,
                         DWORD goneAt = 0xFFFFFFFFu) {
    sim::WindowScript window;
    window.title = title;
    window.className = "AppClass";
    window.appearsAt = appearsAt;
    window.goneAt = goneAt;
    return window;
}

class WindowsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        sim::AddProgram(kProgram);
    }
    void TearDown() override {
        if (started_) {
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
        EXPECT_EQ(sim::OpenHandles(), 0);
    }

    void StartChild(const sim::ChildScript& script) {
        sim::ScriptNextChild(script);
        STARTUPINFOA info{};
        info.cb = 68;
        std::string commandLine = std::string("\"") + kProgram + "\"";
        ASSERT_EQ(CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 nullptr, &info, &process_),
                  TRUE);
        started_ = true;
    }

    // Moves the clock to the given value with waits on the child.
    void AdvanceTo(DWORD clock) {
        while (sim::Clock() < clock) {
            WaitForSingleObject(process_.hProcess, 1);
        }
    }

    PROCESS_INFORMATION process_{};
    bool started_ = false;
};

TEST_F(WindowsTest, EmptyDesktopHasNoTopLevelWindow) {
    ASSERT_NE(GetDesktopWindow(), nullptr);
    EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), nullptr);
    EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_HWNDNEXT), nullptr);
}

TEST_F(WindowsTest, LaterWindowLiesHigher) {
    const DWORD first = sim::AddForeignWindow("First", "C1");
    const DWORD second = sim::AddForeignWindow("Second", "C2");
    EXPECT_NE(first, second);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Second", "First"}));

    const HWND top = GetWindow(GetDesktopWindow(), GW_CHILD);
    DWORD owner = 0;
    EXPECT_NE(GetWindowThreadProcessId(top, &owner), 0u);
    EXPECT_EQ(owner, second);
    EXPECT_EQ(GetWindow(top, GW_CHILD), nullptr); // top-level windows have no children here
}

TEST_F(WindowsTest, ChildWindowsComeAndGoWithTheClock) {
    sim::AddForeignWindow("Foreign", "F");
    sim::ChildScript script;
    script.windows = {Window("Main"), Window("Splash", 2, 4), Window("Later", 2),
                      Window("Hidden", 3)};
    script.windows[3].hidden = true;
    StartChild(script);

    EXPECT_EQ(Titles(), (std::vector<std::string>{"Main", "Foreign"}));
    AdvanceTo(1);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Main", "Foreign"}));
    AdvanceTo(2);
    // Appearing at the same clock value, the later one of the script lies higher.
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Later", "Splash", "Main", "Foreign"}));
    AdvanceTo(3);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Hidden", "Later", "Splash", "Main", "Foreign"}));
    AdvanceTo(4);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Hidden", "Later", "Main", "Foreign"}));

    DWORD owner = 0;
    EXPECT_EQ(GetWindowThreadProcessId(WindowTitled("Later"), &owner), process_.dwThreadId);
    EXPECT_EQ(owner, process_.dwProcessId);
}

TEST_F(WindowsTest, ForeignWindowAddedLaterLiesAboveOlderChildWindows) {
    sim::ChildScript script;
    script.windows = {Window("Early"), Window("Late", 3)};
    StartChild(script);
    AdvanceTo(1);
    sim::AddForeignWindow("Foreign", "F");
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Foreign", "Early"}));
    AdvanceTo(3);
    EXPECT_EQ(Titles(), (std::vector<std::string>{"Late", "Foreign", "Early"}));
}

TEST_F(WindowsTest, GoneWindowIsNoLongerAWindow) {
    sim::ChildScript script;
    script.windows = {Window("Brief", 0, 1), Window("Stays")};
    StartChild(script);
    const HWND brief = WindowTitled("Brief");
    ASSERT_NE(brief, nullptr);
    AdvanceTo(1);

    char text[16];
    std::memset(text, '#', sizeof text);
    EXPECT_EQ(GetWindowTextA(brief, text, sizeof text), 0);
    EXPECT_EQ(GetClassNameA(brief, text, sizeof text), 0);
    EXPECT_EQ(text[0], '#');
    DWORD owner = 77;
    EXPECT_EQ(GetWindowThreadProcessId(brief, &owner), 0u);
    EXPECT_EQ(owner, 77u); // left as it was
    EXPECT_EQ(GetWindow(brief, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Stays"});
}

TEST_F(WindowsTest, WindowOwnedByTheNextChildBeforeItStarts) {
    const DWORD childId = sim::NextProcessId();
    sim::AddWindowOwnedBy(childId, "Early", "AppClass");
    StartChild(sim::ChildScript{});
    EXPECT_EQ(process_.dwProcessId, childId);
    DWORD owner = 0;
    EXPECT_NE(GetWindowThreadProcessId(WindowTitled("Early"), &owner), 0u);
    EXPECT_EQ(owner, childId);
}

TEST_F(WindowsTest, WindowsOfAnEndedChildFollowTheirScript) {
    sim::ChildScript script;
    script.windows = {Window("Main")};
    script.endsAt = 1;
    StartChild(script);
    AdvanceTo(2);
    EXPECT_EQ(WaitForSingleObject(process_.hProcess, 1), WAIT_OBJECT_0);
    EXPECT_EQ(Titles(), std::vector<std::string>{"Main"});
}

struct CopyCase {
    std::string text;
    int maxCount;
    int result;
    std::string copied; // up to the terminator; "#" when nothing may be written
};

void PrintTo(const CopyCase& c, std::ostream* out) {
    *out << c.text.size() << " bytes into " << c.maxCount;
}

class TextCopyTest : public ::testing::TestWithParam<CopyCase> {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_P(TextCopyTest, TitleAndClassCopyAtMostMaxCountLessOne) {
    const CopyCase& c = GetParam();
    sim::AddForeignWindow(c.text, c.text);
    const HWND window = GetWindow(GetDesktopWindow(), GW_CHILD);
    ASSERT_NE(window, nullptr);
    for (auto copy : {GetWindowTextA, GetClassNameA}) {
        std::vector<char> buffer(700, '#');
        buffer.back() = '\0';
        EXPECT_EQ(copy(window, buffer.data(), c.maxCount), c.result);
        EXPECT_EQ(std::string(buffer.data(), c.copied.size()), c.copied);
        if (c.maxCount > 0) {
            EXPECT_EQ(buffer[c.result], '\0');
            EXPECT_EQ(buffer[c.maxCount], '#'); // nothing past the count given
        }
    }
}

const std::string kLongText(600, 't');

INSTANTIATE_TEST_SUITE_P(Cases, TextCopyTest,
                         ::testing::Values(CopyCase{"Notes - a.txt", 512, 13, "Notes - a.txt"},
                                           CopyCase{"Notes - a.txt", 14, 13, "Notes - a.txt"},
                                           CopyCase{"Notes - a.txt", 13, 12, "Notes - a.tx"},
                                           CopyCase{"Notes", 1, 0, ""},
                                           CopyCase{"Notes", 0, 0, "#"}, CopyCase{"", 512, 0, ""},
                                           CopyCase{kLongText, 512, 511,
                                                    kLongText.substr(0, 511)}));

} // namespace
