// The program's allocations, whatever form of operator new made them, counted, and the n-th made to fail.
#include "AllocationHook.h"

#include "WbOperatorNew.h"

#include <cstdlib>

namespace {

bool gCounting = false;
int gCount = 0;
int gFailAt = 0;

} // namespace

void* WbProgramAllocate(std::size_t size, std::align_val_t alignment) noexcept
{
    if (gCounting && ++gCount == gFailAt)
        return nullptr;
    return WbSystemAllocate(size, alignment);
}

void WbProgramRelease(void* block) noexcept { std::free(block); }

void AllocationHook::Arm(int failAt)
{
    gCount = 0;
    gFailAt = failAt;
    gCounting = true;
}

bool AllocationHook::Disarm()
{
    gCounting = false;
    return gFailAt > 0 && gCount >= gFailAt;
}

int AllocationHook::Count() { return gCount; }
