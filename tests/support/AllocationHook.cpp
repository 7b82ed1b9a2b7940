// Every plain and nothrow allocation form replaced, so that each allocation is counted and can be made to fail.
#include "AllocationHook.h"

#include <cstdlib>
#include <new>

namespace {

bool gCounting = false;
int gCount = 0;
int gFailAt = 0;

void* Allocate(std::size_t size) noexcept
{
    if (gCounting && ++gCount == gFailAt)
        return nullptr;
    return std::malloc(size ? size : 1);
}

void* AllocateOrThrow(std::size_t size)
{
    if (void* block = Allocate(size))
        return block;
    throw std::bad_alloc();
}

} // namespace

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

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }
