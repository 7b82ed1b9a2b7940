// Every plain, nothrow and aligned allocation form replaced, so that each allocation is counted and can be made to
// fail.
#include "AllocationHook.h"

#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

bool gCounting = false;
int gCount = 0;
int gFailAt = 0;

// An alignment above malloc's asks for a size that is a multiple of it.
void* Allocate(std::size_t size, std::align_val_t alignment = std::align_val_t(alignof(std::max_align_t))) noexcept
{
    if (gCounting && ++gCount == gFailAt)
        return nullptr;
    const std::size_t align = std::size_t(alignment);
    if (align <= alignof(std::max_align_t))
        return std::malloc(size ? size : 1);
    return std::aligned_alloc(align, (size + align - 1) / align * align);
}

void* AllocateOrThrow(std::size_t size, std::align_val_t alignment = std::align_val_t(alignof(std::max_align_t)))
{
    if (void* block = Allocate(size, alignment))
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
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateOrThrow(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AllocateOrThrow(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return Allocate(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return Allocate(size, alignment);
}
void operator delete(void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { std::free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { std::free(block); }
