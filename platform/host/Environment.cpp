// Simulated machine: the process's environment block. Each GetEnvironmentStrings call hands out a
// fresh copy from malloc, sized exactly, so the sanitizers see a walk past its end or a use after
// FreeEnvironmentStringsA.
#include "platform/host/Machine.h"

#include <cstdlib>
#include <cstring>
#include <set>
#include <vector>

namespace {

std::vector<std::string> entries;
bool present = true;
std::set<char*> liveBlocks;
int badFrees = 0;

} // namespace

namespace sim {

void SetEnvironment(const std::vector<std::string>& list) {
    entries = list;
    present = true;
}

void SetNoEnvironment() {
    present = false;
}

int OpenEnvironmentBlocks() {
    return static_cast<int>(liveBlocks.size());
}
int BadEnvironmentFrees() {
    return badFrees;
}

namespace detail {

void ResetEnvironment() {
    // Blocks still held belong to code of an earlier test; freeing them keeps the leak checker
    // quiet, and a later free of one of them counts as a bad free.
    for (char* block : liveBlocks) {
        std::free(block);
    }
    liveBlocks.clear();
    badFrees = 0;
    entries.clear();
    present = true;
}

} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;

LPCH WINAPI GetEnvironmentStrings() {
    if (EnterCall(Op::GetEnvironmentStrings) || !present) {
        sim::detail::SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    std::size_t size = 1; // the empty entry that ends the block
    for (const std::string& entry : entries) {
        size += entry.size() + 1;
    }
    char* block = static_cast<char*>(std::malloc(size));
    char* at = block;
    for (const std::string& entry : entries) {
        std::memcpy(at, entry.c_str(), entry.size() + 1);
        at += entry.size() + 1;
    }
    *at = '\0';
    liveBlocks.insert(block);
    return block;
}

BOOL WINAPI FreeEnvironmentStringsA(LPCH block) {
    if (EnterCall(Op::FreeEnvironmentStringsA)) {
        sim::detail::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE; // the block stays held
    }
    if (liveBlocks.erase(block) == 0) {
        ++badFrees;
        sim::detail::SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::free(block);
    return TRUE;
}

int WINAPI lstrlenA(LPCSTR text) {
    if (EnterCall(Op::lstrlenA) || text == nullptr) {
        return 0;
    }
    return static_cast<int>(std::strlen(text));
}
