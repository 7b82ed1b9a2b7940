// Allocations counted and the n-th made to fail, so that a test runs out of memory wherever a call allocates.
#pragma once

#include <gtest/gtest.h>

namespace AllocationHook {

// Counts allocations from 0 on; the n-th one from now fails (a plain new throws, a nothrow new gives null).
// 0 fails none.
void Arm(int failAt);
// Stops counting; true when the armed failure was met.
bool Disarm();
// Allocations since the last Arm.
int Count();

} // namespace AllocationHook

// Runs call with the n-th allocation failing; true when that failure was met. Nothing may leave the call.
template <typename Call> bool RunWithAllocationFailing(int n, Call&& call)
{
    bool threw = false;
    AllocationHook::Arm(n);
    try {
        call();
    } catch (...) {
        threw = true;
    }
    const bool failed = AllocationHook::Disarm();
    EXPECT_FALSE(threw) << "an exception crossed the module's boundary with allocation " << n << " failing";
    return failed;
}

// Runs attempt(n) for n = 1, 2, ... until an attempt meets no failing allocation; each attempt sets up its own
// scene and arms the failure with RunWithAllocationFailing. Returns the number of attempts that met a failure.
template <typename Attempt> int ForEachFailingAllocation(Attempt&& attempt)
{
    int n = 1;
    while (attempt(n))
        ++n;
    return n - 1;
}
