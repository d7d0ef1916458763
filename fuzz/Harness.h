// What every fuzz target shares: choices read from the input, a fresh simulated machine for each
// run, faults the input asks for, and the check that a run gave back everything it took.
//
// Inputs are read front to back: single bytes for choices and numbers, NUL-ended texts for
// everything the launcher reads as text. An input that ends early reads as zeros and empty texts,
// so every input is a complete one.
#pragma once

#include "platform/host/Simulation.h"
#include "text/CharacterRules.h"

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace fuzz {

// Ends the run as a failure; libFuzzer keeps the input that caused it.
[[noreturn]] inline void Fail(const char* what) {
    std::fprintf(stderr, "fuzz check failed: %s\n", what);
    std::abort();
}

inline void Require(bool condition, const char* what) {
    if (!condition) {
        Fail(what);
    }
}

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : at_(data), end_(data + size) {}

    bool AtEnd() const { return at_ == end_; }

    std::uint8_t Byte() { return AtEnd() ? 0 : *at_++; }

    std::size_t Pick(std::size_t count) { return Byte() % count; }

    bool Flag() { return (Byte() & 1) != 0; }

    // The bytes up to the next NUL or the end; the NUL itself is consumed.
    std::string Text() {
        std::string text;
        while (!AtEnd() && *at_ != 0) {
            text += static_cast<char>(*at_++);
        }
        if (!AtEnd()) {
            ++at_;
        }
        return text;
    }

    // Every byte left, up to the first NUL among them.
    std::string RestAsText() {
        std::string rest;
        while (!AtEnd()) {
            rest += static_cast<char>(*at_++);
        }
        return rest.substr(0, rest.find('\0'));
    }

    // A count or an index: mostly small (-8 to 231), sometimes at the edges of int, where the
    // clamping of counts and indices has to hold.
    int Number() {
        static constexpr int kEdges[] = {
            INT_MIN,    INT_MIN + 1, INT_MIN / 2, -65536,     -257,    -256, -255,  -9,
            0x40000000, 0x7FFFFFF0,  0x7FFFFFFD,  0x7FFFFFFE, INT_MAX, 256,  65536, 1000000,
        };
        const std::uint8_t byte = Byte();
        return byte >= 0xF0 ? kEdges[byte - 0xF0] : byte - 8;
    }

  private:
    const std::uint8_t* at_;
    const std::uint8_t* end_;
};

// A copy of the text in a block of exactly its size, as a process's command line lies in its
// parameters, so that a read past its end shows.
inline std::unique_ptr<char[]> ExactBlock(const std::string& text) {
    std::unique_ptr<char[]> block(new char[text.size() + 1]);
    std::memcpy(block.get(), text.c_str(), text.size() + 1);
    return block;
}

// The code pages the targets run in: 1252 for single-byte text, 932 and 936 for double-byte text
// (in 932 a trail byte may be a backslash, in 936 almost any byte above 0x80 is a lead byte).
inline UINT CodePage(Input& input) {
    constexpr UINT kCodePages[] = {1252, 932, 936};
    return kCodePages[input.Pick(3)];
}

// A fresh machine in the code page, with the launcher's character rules read from it, as the
// process entry point does.
inline void FreshMachine(UINT codePage) {
    sim::Reset();
    sim::SetCodePage(codePage);
    text::SetUpCharacterRules();
}

// Empties the machine at the end of a run, so that what it allocated for the run is freed within
// the run: whenever a run allocates more than it frees, libFuzzer runs the input again to look for
// a leak, which halves the rate.
inline void EndRun() {
    sim::Reset();
}

// Up to two faults, each on the nth call (1-16) of one of the operations given; returns how many.
// Only operations whose failure leaves nothing held belong in the list: a failed close or free
// keeps its handle, and that would be the machine's doing, not the launcher's.
inline std::size_t InjectFaults(Input& input, std::initializer_list<sim::Op> operations) {
    const std::vector<sim::Op> ops(operations);
    const std::size_t faults = input.Pick(3);
    for (std::size_t fault = 0; fault < faults; ++fault) {
        const sim::Op op = ops[input.Pick(ops.size())];
        sim::FailNthCall(op, 1 + static_cast<int>(input.Pick(16)));
    }
    return faults;
}

// What the machine had handed out before a run. Check fails the run unless every handle, registry
// key, environment block and heap block taken during it was given back, each exactly once.
class Balance {
  public:
    Balance()
        : handles_(sim::OpenHandles()), keys_(sim::OpenKeys()),
          environmentBlocks_(sim::OpenEnvironmentBlocks()), heapBlocks_(sim::LiveHeapBlocks()) {}

    void Check() const {
        Require(sim::OpenHandles() == handles_, "a handle was left open");
        Require(sim::OpenKeys() == keys_, "a registry key was left open");
        Require(sim::OpenEnvironmentBlocks() == environmentBlocks_,
                "an environment block was not freed");
        Require(sim::LiveHeapBlocks() == heapBlocks_, "a heap block was not freed");
        Require(sim::BadCloses() == 0, "a handle was closed that was not open");
        Require(sim::BadKeyCloses() == 0, "a registry key was closed that was not open");
        Require(sim::BadEnvironmentFrees() == 0, "an environment block was freed twice");
        Require(sim::BadHeapFrees() == 0, "a heap block was freed that was not allocated");
    }

  private:
    int handles_;
    int keys_;
    int environmentBlocks_;
    int heapBlocks_;
};

// Every registry key the run opened was opened for reading only.
inline void CheckRegistryReadOnly() {
    for (const sim::RegistryCall& call : sim::RegistryCalls()) {
        Require(call.kind != sim::RegistryCall::Open || call.access == KEY_READ,
                "a registry key was opened for more than reading");
    }
}

} // namespace fuzz
