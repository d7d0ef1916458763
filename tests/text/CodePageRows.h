// Table rows tied to code pages, and the loop that runs them.
//
// On the host every row runs in every simulated code page it is meant for; under Windows the rows
// run in the system's own code page, so the same rows check the simulation against the real
// tables (the code page follows the locale the test program is started in).
#pragma once

#include "platform/Platform.h"
#include "tests/ShownBytes.h"
#include "text/CharacterRules.h"
#include "text/String.h"

#ifndef _WIN32
#include "platform/host/Simulation.h"
#endif

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdio>
#include <string>

namespace text_test {

// What a row's code page field may hold besides a code page number.
constexpr UINT kAnyCodePage = 0;
constexpr UINT kDoubleBytePages = 1; // 932, 936, 949, 950 and 1361
constexpr UINT kSingleBytePages = 2; // every other code page

inline bool IsDoubleBytePage(UINT codePage) {
    return codePage == 932 || codePage == 936 || codePage == 949 || codePage == 950 ||
           codePage == 1361;
}

inline bool RowApplies(UINT rowCodePage, UINT codePage) {
    switch (rowCodePage) {
    case kAnyCodePage:
        return true;
    case kDoubleBytePages:
        return IsDoubleBytePage(codePage);
    case kSingleBytePages:
        return !IsDoubleBytePage(codePage);
    default:
        return rowCodePage == codePage;
    }
}

inline std::string Shown(const char* bytes) {
    return ShownBytes(bytes);
}

inline std::string Shown(const String& text) {
    return Shown(text.Text());
}

#ifndef _WIN32
inline constexpr UINT kSimulatedCodePages[] = {1252, 1251, 437, 932, 936, 949, 950, 1361};

// A fresh machine in the given code page, with the character rules read from it.
inline void UseCodePage(UINT codePage) {
    sim::Reset();
    sim::SetCodePage(codePage);
    text::SetUpCharacterRules();
}
#endif

// Calls check(codePage) with the character rules of each code page under test.
template <typename Check> void InEachCodePage(Check check) {
#ifndef _WIN32
    for (UINT codePage : kSimulatedCodePages) {
        UseCodePage(codePage);
        SCOPED_TRACE(testing::Message() << "code page " << codePage);
        check(codePage);
    }
#else
    static const bool rulesSetUp = (text::SetUpCharacterRules(), true);
    (void)rulesSetUp;
    const UINT codePage = GetACP();
    SCOPED_TRACE(testing::Message() << "code page " << codePage);
    check(codePage);
#endif
}

// Calls check(row) for every row meant for the code page under test.
template <typename Row, std::size_t N, typename Check>
void ForEachRow(const Row (&rows)[N], Check check) {
    InEachCodePage([&](UINT codePage) {
        for (std::size_t index = 0; index < N; ++index) {
            if (RowApplies(rows[index].codePage, codePage)) {
                SCOPED_TRACE(testing::Message() << "row " << index);
                check(rows[index]);
            }
        }
    });
}

} // namespace text_test
