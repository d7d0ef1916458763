// Simulated machine: the process heap. Blocks come from malloc, so the sanitizers see every misuse;
// the machine tracks which blocks are live so tests can check that each one was freed once.
#include "platform/host/Internal.h"

#include <cstdlib>
#include <cstring>
#include <unordered_set>

namespace {

std::unordered_set<void*>& LiveBlocks() {
    static std::unordered_set<void*> blocks;
    return blocks;
}
int badFrees = 0;
char heapToken; // the process heap's handle is this object's address

} // namespace

namespace sim {

int LiveHeapBlocks() {
    return static_cast<int>(LiveBlocks().size());
}
int BadHeapFrees() {
    return badFrees;
}

namespace detail {
void ResetHeap() {
    badFrees = 0;
}
} // namespace detail
} // namespace sim

using sim::Op;
using sim::detail::EnterCall;

HANDLE WINAPI GetProcessHeap() {
    EnterCall(Op::GetProcessHeap);
    return &heapToken;
}

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
    if (EnterCall(Op::HeapAlloc) || heap != &heapToken) {
        return nullptr;
    }
    void* block = (flags & HEAP_ZERO_MEMORY) ? std::calloc(bytes ? bytes : 1, 1)
                                             : std::malloc(bytes ? bytes : 1);
    if (block != nullptr) {
        LiveBlocks().insert(block);
    }
    return block;
}

LPVOID WINAPI HeapReAlloc(HANDLE heap, DWORD, LPVOID block, SIZE_T bytes) {
    if (EnterCall(Op::HeapReAlloc) || heap != &heapToken || LiveBlocks().count(block) == 0) {
        return nullptr; // on failure the old block stays valid, as on Windows
    }
    void* grown = std::realloc(block, bytes ? bytes : 1);
    if (grown != nullptr) {
        LiveBlocks().erase(block);
        LiveBlocks().insert(grown);
    }
    return grown;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD, LPVOID block) {
    EnterCall(Op::HeapFree);
    if (block == nullptr) {
        return TRUE;
    }
    if (heap != &heapToken || LiveBlocks().erase(block) == 0) {
        ++badFrees;
        return FALSE;
    }
    std::free(block);
    return TRUE;
}
