// Simulated machine: call counting and fault injection, shared by every simulated operation.
#include "platform/host/Internal.h"

#include <array>
#include <vector>

namespace sim {
namespace {

constexpr int kOps = static_cast<int>(Op::Count);
std::array<int, kOps> calls{};
std::array<std::vector<int>, kOps> failAt{}; // call numbers (counted from 1) that fail

} // namespace

int Calls(Op op) {
    return calls[static_cast<int>(op)];
}

void FailNthCall(Op op, int n) {
    const int index = static_cast<int>(op);
    failAt[index].push_back(calls[index] + n);
}

void Reset() {
    detail::ResetCalls();
    detail::ResetCodePage();
    detail::ResetHeap();
    detail::ResetMachine();
}

namespace detail {

bool EnterCall(Op op) {
    const int index = static_cast<int>(op);
    const int number = ++calls[index];
    for (int at : failAt[index]) {
        if (at == number) {
            return true;
        }
    }
    return false;
}

void ResetCalls() {
    calls.fill(0);
    for (auto& list : failAt) {
        list.clear();
    }
}

} // namespace detail
} // namespace sim
