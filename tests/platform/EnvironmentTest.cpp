// The environment block as a walk with lstrlenA sees it, and the balance of blocks obtained and
// freed.
#include "platform/host/Simulation.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Walks a block entry by entry up to the empty entry that ends it.
std::vector<std::string> Entries(const char* block) {
    std::vector<std::string> entries;
    for (const char* at = block; *at != '\0'; at += lstrlenA(at) + 1) {
        entries.emplace_back(at);
    }
    return entries;
}

class EnvironmentTest : public ::testing::Test {
  protected:
    void SetUp() override { sim::Reset(); }
};

TEST_F(EnvironmentTest, BlockHoldsTheEntriesInOrder) {
    const std::vector<std::string> entries = {"=C:=C:\\Work", "windir=C:\\WINDOWS", "TEMP=C:\\Tmp",
                                              "EMPTY="};
    sim::SetEnvironment(entries);
    LPCH block = GetEnvironmentStrings();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(Entries(block), entries);
    EXPECT_EQ(FreeEnvironmentStringsA(block), TRUE);
}

TEST_F(EnvironmentTest, FreshMachineHasAnEmptyBlock) {
    LPCH block = GetEnvironmentStrings();
    ASSERT_NE(block, nullptr);
    EXPECT_EQ(block[0], '\0');
    EXPECT_TRUE(Entries(block).empty());
    EXPECT_EQ(FreeEnvironmentStringsA(block), TRUE);
}

TEST_F(EnvironmentTest, NoEnvironmentGivesNull) {
    sim::SetNoEnvironment();
    EXPECT_EQ(GetEnvironmentStrings(), nullptr);
    EXPECT_EQ(sim::OpenEnvironmentBlocks(), 0);
    sim::SetEnvironment({"A=1"});
    LPCH block = GetEnvironmentStrings();
    ASSERT_NE(block, nullptr);
    FreeEnvironmentStringsA(block);
}

TEST_F(EnvironmentTest, EachCallGivesItsOwnBlockToBeFreedOnce) {
    sim::SetEnvironment({"A=1"});
    LPCH first = GetEnvironmentStrings();
    LPCH second = GetEnvironmentStrings();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    first[0] = 'B'; // a copy: changing one leaves the other and the machine's environment alone
    EXPECT_EQ(Entries(second), std::vector<std::string>{"A=1"});
    EXPECT_EQ(sim::OpenEnvironmentBlocks(), 2);

    EXPECT_EQ(FreeEnvironmentStringsA(first), TRUE);
    EXPECT_EQ(FreeEnvironmentStringsA(first), FALSE);
    EXPECT_EQ(FreeEnvironmentStringsA(nullptr), FALSE);
    EXPECT_EQ(sim::BadEnvironmentFrees(), 2);
    EXPECT_EQ(sim::OpenEnvironmentBlocks(), 1);
    EXPECT_EQ(FreeEnvironmentStringsA(second), TRUE);
    EXPECT_EQ(sim::OpenEnvironmentBlocks(), 0);

    LPCH third = GetEnvironmentStrings();
    EXPECT_EQ(Entries(third), std::vector<std::string>{"A=1"});
    FreeEnvironmentStringsA(third);
}

TEST_F(EnvironmentTest, LengthOfText) {
    EXPECT_EQ(lstrlenA("abc"), 3);
    EXPECT_EQ(lstrlenA(""), 0);
    EXPECT_EQ(lstrlenA(nullptr), 0);
}

} // namespace
