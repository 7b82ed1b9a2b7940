// Every replaceable form of operator new and delete, plain, array, nothrow, sized and aligned, so that a
// program's allocation functions see each allocation exactly once, whichever form made it.
#include "WbOperatorNew.h"

#include <cstdlib>

namespace {

constexpr std::align_val_t kMallocAlignment{alignof(std::max_align_t)};

void* AllocateOrThrow(std::size_t size, std::align_val_t alignment)
{
    if (void* block = WbProgramAllocate(size, alignment))
        return block;
    throw std::bad_alloc();
}

} // namespace

void* WbSystemAllocate(std::size_t size, std::align_val_t alignment) noexcept
{
    const std::size_t bytes = size ? size : 1;
    const std::size_t align = std::size_t(alignment);
    if (align <= alignof(std::max_align_t))
        return std::malloc(bytes);
    return std::aligned_alloc(align, (bytes + align - 1) / align * align);
}

void* operator new(std::size_t size) { return AllocateOrThrow(size, kMallocAlignment); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size, kMallocAlignment); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept
{
    return WbProgramAllocate(size, kMallocAlignment);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept
{
    return WbProgramAllocate(size, kMallocAlignment);
}
void* operator new(std::size_t size, std::align_val_t alignment) { return AllocateOrThrow(size, alignment); }
void* operator new[](std::size_t size, std::align_val_t alignment) { return AllocateOrThrow(size, alignment); }
void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return WbProgramAllocate(size, alignment);
}
void* operator new[](std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept
{
    return WbProgramAllocate(size, alignment);
}

void operator delete(void* block) noexcept { WbProgramRelease(block); }
void operator delete[](void* block) noexcept { WbProgramRelease(block); }
void operator delete(void* block, std::size_t) noexcept { WbProgramRelease(block); }
void operator delete[](void* block, std::size_t) noexcept { WbProgramRelease(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { WbProgramRelease(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { WbProgramRelease(block); }
void operator delete(void* block, std::align_val_t) noexcept { WbProgramRelease(block); }
void operator delete[](void* block, std::align_val_t) noexcept { WbProgramRelease(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { WbProgramRelease(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { WbProgramRelease(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { WbProgramRelease(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { WbProgramRelease(block); }
