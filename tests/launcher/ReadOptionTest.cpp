#include "launcher/ReadOption.h"

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct OptionCase {
    std::string tail;
    std::string name;
    std::string value;
};

void PrintTo(const OptionCase& c, std::ostream* out) {
    *out << c.name << " in " << c.tail;
}

class ReadOptionTest : public ::testing::TestWithParam<OptionCase> {
  protected:
    void SetUp() override {
        sim::Reset();
        text::SetUpCharacterRules();
    }
};

TEST_P(ReadOptionTest, ReadsValueUpToNextSlash) {
    const OptionCase& c = GetParam();
    EXPECT_EQ(std::string(ReadOption(c.tail.c_str(), c.name.c_str()).Text()), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadOptionTest,
    ::testing::Values(
        OptionCase{"/path a.txt /verb open", "/path", "a.txt"},
        OptionCase{"/path a.txt /verb open", "/verb", "open"},
        OptionCase{"/verb print /path C:\\a.txt", "/path", "C:\\a.txt"},
        OptionCase{"", "/path", ""}, OptionCase{"/verb open", "/path", ""},
        // Names are exact and case-sensitive; a longer word that begins with one matches.
        OptionCase{"/PATH a.txt", "/path", ""}, OptionCase{"/pathname x", "/path", "name x"},
        // Only the first occurrence counts.
        OptionCase{"/path a /path b", "/path", "a"}, OptionCase{"/path /verb edit", "/path", ""},
        OptionCase{"/path a /verb", "/verb", ""}, OptionCase{"/path a /verb \t ", "/verb", ""},
        OptionCase{"/verb  Open Me \t", "/verb", "Open Me"},
        // Spaces need no quoting; quotes are kept; any "/" ends the value.
        OptionCase{"/path C:\\My Docs\\a b.txt", "/path", "C:\\My Docs\\a b.txt"},
        OptionCase{"/path \"C:\\a.txt\"", "/path", "\"C:\\a.txt\""},
        OptionCase{"/path a/b.txt", "/path", "a"}, OptionCase{"junk /path a", "/path", "a"},
        OptionCase{"/patha", "/path", "a"}, OptionCase{"/path\r\n\va.txt\f", "/path", "a.txt"}));

} // namespace
