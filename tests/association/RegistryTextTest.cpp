// One registry value read as text: what is taken from data of each shape, how the size limit
// falls, and that every key opened is closed again, whatever fails.
#include "association/RegistryText.h"

#include "tests/MachineTest.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

constexpr const char* kKey = "Viewer.Document\\shell\\open\\command";

class RegistryTextTest : public MachineTest {
  protected:
    static std::string Read(const char* key, const char* name) {
        return ReadRegistryText(HKEY_CLASSES_ROOT, key, name).Text();
    }
};

struct DataCase {
    const char* what;
    DWORD type;
    std::string data; // raw bytes as stored
    std::string text; // what is read
};

void PrintTo(const DataCase& c, std::ostream* out) {
    *out << c.what;
}

class RegistryDataTest : public RegistryTextTest, public ::testing::WithParamInterface<DataCase> {};

TEST_P(RegistryDataTest, TakesTextUpToFirstNulOrEndOfData) {
    const DataCase& c = GetParam();
    sim::SetRegistryValue(HKEY_CLASSES_ROOT, kKey, "", c.type, c.data);
    EXPECT_EQ(Read(kKey, ""), c.text);
}

const std::string k4095(4095, 'x');
const std::string k4096(4096, 'x');

INSTANTIATE_TEST_SUITE_P(
    Shapes, RegistryDataTest,
    ::testing::Values(DataCase{"text", REG_SZ, std::string("C:\\v.exe %1\0", 12), "C:\\v.exe %1"},
                      // Stored as written: references are for the clean-up to expand.
                      DataCase{"expandable text", REG_EXPAND_SZ,
                               std::string("%windir%\\v.exe\0", 15), "%windir%\\v.exe"},
                      DataCase{"multi-string", REG_MULTI_SZ, std::string("first\0second\0\0", 14),
                               "first"},
                      DataCase{"text without its NUL", REG_SZ, "C:\\v.exe", "C:\\v.exe"},
                      DataCase{"binary without a NUL", REG_BINARY, "abc", "abc"},
                      DataCase{"number", REG_DWORD, std::string("DCBA", 4), "DCBA"},
                      DataCase{"small number", REG_DWORD, std::string("\x05\0\0\0", 4), "\x05"},
                      DataCase{"empty text", REG_SZ, std::string("\0", 1), ""},
                      DataCase{"no data at all", REG_NONE, "", ""},
                      DataCase{"4095 bytes and the NUL", REG_SZ, k4095 + '\0', k4095},
                      DataCase{"4096 bytes without a NUL", REG_BINARY, k4096, k4096},
                      // Past the limit the value counts as absent, not as cut short.
                      DataCase{"4096 bytes and the NUL", REG_SZ, k4096 + '\0', ""},
                      DataCase{"4097 bytes without a NUL", REG_BINARY, k4096 + 'x', ""}));

TEST_F(RegistryTextTest, EmptyNameReadsDefaultValueAndOtherNamesTheirOwn) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".xyz", "", "default");
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".xyz", "Content Type", "named");
    EXPECT_EQ(Read(".xyz", ""), "default");
    EXPECT_EQ(Read(".xyz", "Content Type"), "named");
    EXPECT_EQ(Read(".xyz", "Missing"), "");

    const std::vector<sim::RegistryCall>& calls = sim::RegistryCalls();
    ASSERT_EQ(calls.size(), 6u);
    EXPECT_TRUE(calls[1].nullName); // the default value is asked for by a null name
    EXPECT_FALSE(calls[3].nullName);
    EXPECT_EQ(calls[3].valueName, "Content Type");
    for (const sim::RegistryCall& call : calls) {
        if (call.kind == sim::RegistryCall::Open) {
            EXPECT_EQ(call.root, HKEY_CLASSES_ROOT);
            EXPECT_EQ(call.access, KEY_READ);
        }
    }
}

TEST_F(RegistryTextTest, KeyThatCannotBeOpenedGivesEmptyWithoutClose) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".held", "", "held");
    sim::DenyRegistryKey(HKEY_CLASSES_ROOT, ".held");
    EXPECT_EQ(Read(".held", ""), "");
    EXPECT_EQ(Read(".missing", ""), "");
    EXPECT_EQ(sim::Calls(sim::Op::RegQueryValueExA), 0);
    EXPECT_EQ(sim::Calls(sim::Op::RegCloseKey), 0);
}

TEST_F(RegistryTextTest, KeyIsClosedWhateverTheQueryGave) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".xyz", "", std::string(5000, 'y'));
    EXPECT_EQ(Read(".xyz", ""), "");
    EXPECT_EQ(Read(".xyz", "Missing"), "");
    EXPECT_EQ(sim::Calls(sim::Op::RegCloseKey), 2);
}

TEST_F(RegistryTextTest, FailedOpenOrQueryGivesEmptyAndLeavesNoKeyOpen) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".xyz", "", "class");
    for (sim::Op op : {sim::Op::RegOpenKeyExA, sim::Op::RegQueryValueExA}) {
        sim::FailNthCall(op, 1);
        EXPECT_EQ(Read(".xyz", ""), "") << static_cast<int>(op);
        EXPECT_EQ(sim::OpenKeys(), 0) << static_cast<int>(op);
    }
    EXPECT_EQ(Read(".xyz", ""), "class");
}

// The buffer beyond the returned data is never read: a value shorter than an earlier, longer one
// of the same read must not pick up the earlier one's bytes.
TEST_F(RegistryTextTest, ShortDataWithoutNulDoesNotPickUpStaleBytes) {
    sim::SetRegistryValue(HKEY_CLASSES_ROOT, ".a", "", REG_BINARY, std::string(300, 'a'));
    sim::SetRegistryValue(HKEY_CLASSES_ROOT, ".b", "", REG_BINARY, "bb");
    EXPECT_EQ(Read(".a", "").size(), 300u);
    EXPECT_EQ(Read(".b", ""), "bb");
}

} // namespace
