// The simulated registry as a reader with a 4096-byte buffer sees it: sizes, raw data, missing
// keys and values, and the balance of opened and closed keys.
#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr DWORD kBufferSize = 4096;
constexpr BYTE kUntouched = 0xEE;

struct Read {
    LONG status = -1;
    DWORD size = 0;
    DWORD type = 0;
    std::vector<BYTE> buffer = std::vector<BYTE>(kBufferSize + 1, kUntouched);
};

// Opens the key for reading, queries the value into a 4096-byte buffer, closes the key.
Read ReadValue(HKEY root, const char* subKey, const char* name) {
    Read read;
    HKEY key = nullptr;
    read.status = RegOpenKeyExA(root, subKey, 0, KEY_READ, &key);
    if (read.status != ERROR_SUCCESS) {
        EXPECT_EQ(key, nullptr);
        return read;
    }
    read.size = kBufferSize;
    read.status = RegQueryValueExA(key, name, nullptr, &read.type, read.buffer.data(), &read.size);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    return read;
}

class RegistryTest : public ::testing::Test {
  protected:
    void SetUp() override { sim::Reset(); }
    void TearDown() override {
        EXPECT_EQ(sim::OpenKeys(), 0);
        EXPECT_EQ(sim::BadKeyCloses(), 0);
    }
};

TEST_F(RegistryTest, TextOf4095BytesAndItsTerminatorFits) {
    const std::string text(4095, 'a');
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".txt", "", text);
    const Read read = ReadValue(HKEY_CLASSES_ROOT, ".txt", nullptr);
    ASSERT_EQ(read.status, ERROR_SUCCESS);
    EXPECT_EQ(read.size, 4096u);
    EXPECT_EQ(read.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(read.buffer.data())), text);
    EXPECT_EQ(read.buffer[kBufferSize], kUntouched);
}

TEST_F(RegistryTest, TextOf4096BytesAndItsTerminatorDoesNotFit) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".txt", "", std::string(4096, 'a'));
    const Read read = ReadValue(HKEY_CLASSES_ROOT, ".txt", nullptr);
    EXPECT_EQ(read.status, ERROR_MORE_DATA);
    EXPECT_EQ(read.size, 4097u);
    EXPECT_EQ(read.buffer[0], kUntouched);
}

TEST_F(RegistryTest, BinaryDataComesBackRawWithoutTerminator) {
    sim::SetRegistryValue(HKEY_CLASSES_ROOT, "k", "bin", REG_BINARY, std::string("ab\0c", 4));
    const Read read = ReadValue(HKEY_CLASSES_ROOT, "k", "bin");
    ASSERT_EQ(read.status, ERROR_SUCCESS);
    EXPECT_EQ(read.size, 4u);
    EXPECT_EQ(read.type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(std::memcmp(read.buffer.data(), "ab\0c", 4), 0);
    EXPECT_EQ(read.buffer[4], kUntouched);
}

TEST_F(RegistryTest, TextStoredWithoutTerminatorComesBackWithout) {
    sim::SetRegistryValue(HKEY_CLASSES_ROOT, "k", "", REG_SZ, "xyz");
    const Read read = ReadValue(HKEY_CLASSES_ROOT, "k", nullptr);
    ASSERT_EQ(read.status, ERROR_SUCCESS);
    EXPECT_EQ(read.size, 3u);
    EXPECT_EQ(read.buffer[3], kUntouched);
}

TEST_F(RegistryTest, DefaultValueByNullOrEmptyName) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".txt", "", "txtfile");
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".txt", "Content Type", "text/plain");
    for (const char* name : {static_cast<const char*>(nullptr), ""}) {
        const Read read = ReadValue(HKEY_CLASSES_ROOT, ".txt", name);
        ASSERT_EQ(read.status, ERROR_SUCCESS);
        EXPECT_STREQ(reinterpret_cast<const char*>(read.buffer.data()), "txtfile");
    }
}

TEST_F(RegistryTest, NamesIgnoreCase) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, "txtfile\\shell\\Open\\Command", "Name", "x");
    const Read read = ReadValue(HKEY_CLASSES_ROOT, "TXTFILE\\SHELL\\open\\command", "NAME");
    ASSERT_EQ(read.status, ERROR_SUCCESS);
    EXPECT_STREQ(reinterpret_cast<const char*>(read.buffer.data()), "x");
}

TEST_F(RegistryTest, MissingValueAndMissingKey) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, ".txt", "Other", "x");
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".txt", nullptr).status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".txt", "other2").status, ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, ".doc", nullptr).status, ERROR_FILE_NOT_FOUND);
    // The same path below another root is another key.
    EXPECT_EQ(ReadValue(HKEY_CURRENT_USER, ".txt", "Other").status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, SettingAValueCreatesTheKeysAbove) {
    sim::SetRegistryText(HKEY_CURRENT_USER, "A\\B\\C", "v", "x");
    sim::AddRegistryKey(HKEY_LOCAL_MACHINE, "Empty\\Key");
    for (const auto& [root, path] :
         std::vector<std::pair<HKEY, const char*>>{{HKEY_CURRENT_USER, "A"},
                                                   {HKEY_CURRENT_USER, "a\\b"},
                                                   {HKEY_CURRENT_USER, "A\\B\\C\\"},
                                                   {HKEY_LOCAL_MACHINE, "Empty"},
                                                   {HKEY_LOCAL_MACHINE, "Empty\\Key"}}) {
        HKEY key = nullptr;
        EXPECT_EQ(RegOpenKeyExA(root, path, 0, KEY_READ, &key), ERROR_SUCCESS) << path;
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS) << path;
    }
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "A\\B\\C\\D", 0, KEY_READ, &key),
              ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "\\A", 0, KEY_READ, &key), 161); // bad path name
}

TEST_F(RegistryTest, DeniedKeyDoesNotOpenButItsParentDoes) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, "Secret\\Inner", "", "x");
    sim::DenyRegistryKey(HKEY_CLASSES_ROOT, "Secret\\Inner");
    EXPECT_EQ(ReadValue(HKEY_CLASSES_ROOT, "secret\\inner", nullptr).status, ERROR_ACCESS_DENIED);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "Secret", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, RootWithoutSubkeyIsTheRootItself) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, "", "", "root default");
    for (const char* subKey : {static_cast<const char*>(nullptr), ""}) {
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, subKey, 0, KEY_READ, &key), ERROR_SUCCESS);
        EXPECT_EQ(key, HKEY_CLASSES_ROOT);
        EXPECT_EQ(sim::OpenKeys(), 0);
        char data[32] = {};
        DWORD size = sizeof data;
        EXPECT_EQ(
            RegQueryValueExA(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(data), &size),
            ERROR_SUCCESS);
        EXPECT_STREQ(data, "root default");
        EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS); // harmless, not a bad close
    }
}

TEST_F(RegistryTest, OpenKeyWithoutSubkeyGivesASecondHandle) {
    sim::AddRegistryKey(HKEY_CLASSES_ROOT, ".txt");
    HKEY first = nullptr;
    HKEY second = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &first), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExA(first, nullptr, 0, KEY_READ, &second), ERROR_SUCCESS);
    EXPECT_NE(first, second);
    EXPECT_EQ(sim::OpenKeys(), 2);
    EXPECT_EQ(RegCloseKey(first), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(second), ERROR_SUCCESS);
}

TEST_F(RegistryTest, SizeAloneIsReportedWithoutBuffer) {
    sim::SetRegistryText(HKEY_CLASSES_ROOT, "k", "v", "hello");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "k", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, "v", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 6u);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
}

TEST_F(RegistryTest, ClosingAKeyTwiceOrAnUnknownKeyIsABadClose) {
    sim::AddRegistryKey(HKEY_CLASSES_ROOT, "k");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "k", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(sim::OpenKeys(), 1);
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
    EXPECT_EQ(RegCloseKey(nullptr), ERROR_INVALID_HANDLE);
    EXPECT_EQ(sim::BadKeyCloses(), 2);
    // A closed key can no longer be read.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExA(key, nullptr, nullptr, nullptr, nullptr, &size),
              ERROR_INVALID_HANDLE);
    sim::Reset(); // for the balance checked at the end
}

} // namespace
