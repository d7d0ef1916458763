// A fresh simulated machine for each host test, and the check afterwards that the code under test
// released all it obtained: handles, registry keys, environment blocks and heap blocks.
#pragma once

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <gtest/gtest.h>

class MachineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sim::Reset();
        text::SetUpCharacterRules();
        heapBlocks = sim::LiveHeapBlocks();
    }

    void TearDown() override { ExpectAllReleased(); }

    void ExpectAllReleased() const {
        EXPECT_EQ(sim::OpenHandles(), 0);
        EXPECT_EQ(sim::BadCloses(), 0);
        EXPECT_EQ(sim::OpenKeys(), 0);
        EXPECT_EQ(sim::BadKeyCloses(), 0);
        EXPECT_EQ(sim::OpenEnvironmentBlocks(), 0);
        EXPECT_EQ(sim::BadEnvironmentFrees(), 0);
        EXPECT_EQ(sim::LiveHeapBlocks(), heapBlocks);
        EXPECT_EQ(sim::BadHeapFrees(), 0);
    }

    int heapBlocks = 0; // live before the test: blocks of earlier tests' values may remain
};
