// Every plain, nothrow and aligned form of operator new and delete is replaced for the whole program; outside a
// validator's child they only pass on to malloc and free, at the cost of two tests of a flag.
#include "WbAllocationWatch.h"

#include "WbHostCallRing.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <malloc.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

bool gCounting = false;
int64_t gCount = 0;
int64_t gFailAt = 0;
bool gFailed = false;
const void* gModuleBase = nullptr;
const void* gHostBase = nullptr;

size_t gLimitBytes = 0;
int64_t gHeldBytes = 0;
int gResultDescriptor = -1;

// Writes without allocating: the child may be out of memory already.
void WriteText(const char* text)
{
    [[maybe_unused]] const ssize_t written = ::write(gResultDescriptor, text, std::strlen(text));
}

[[noreturn]] void EndOutOfMemory()
{
    char megabytes[24];
    size_t value = gLimitBytes >> 20;
    char* end = megabytes + sizeof megabytes - 1;
    *end = '\0';
    do {
        *--end = char('0' + value % 10);
        value /= 10;
    } while (value);
    const char* call = WbHostCallRing::Recent(0);
    WriteText("X MEMORY ");
    WriteText(end);
    WriteText(" ");
    WriteText(call ? call : "-");
    WriteText("\n");
    ::_exit(3);
}

const void* BaseOf(const void* address)
{
    Dl_info info{};
    return ::dladdr(address, &info) ? info.dli_fbase : nullptr;
}

// Walks the stack from the allocation outwards to the first frame in the module or in the host library.
bool MadeByModule()
{
    if (!gModuleBase)
        return true;
    void* frames[32];
    const int count = ::backtrace(frames, 32);
    for (int i = 0; i < count; ++i) {
        const void* base = BaseOf(frames[i]);
        if (base == gModuleBase)
            return true;
        if (base == gHostBase)
            return false;
    }
    return false;
}

// An alignment above malloc's asks for a size that is a multiple of it.
void* Allocate(std::size_t size, std::align_val_t alignment = std::align_val_t(alignof(std::max_align_t))) noexcept
{
    if (gCounting && MadeByModule() && ++gCount == gFailAt) {
        gFailed = true;
        return nullptr;
    }
    if (gLimitBytes && gHeldBytes + int64_t(size) > int64_t(gLimitBytes))
        EndOutOfMemory();
    const std::size_t align = std::size_t(alignment);
    void* block = align <= alignof(std::max_align_t) ? std::malloc(size ? size : 1)
                                                     : std::aligned_alloc(align, (size + align - 1) / align * align);
    if (gLimitBytes) {
        if (!block)
            EndOutOfMemory();
        gHeldBytes += int64_t(::malloc_usable_size(block));
    }
    return block;
}

void* AllocateOrThrow(std::size_t size, std::align_val_t alignment = std::align_val_t(alignof(std::max_align_t)))
{
    if (void* block = Allocate(size, alignment))
        return block;
    throw std::bad_alloc();
}

void Free(void* block) noexcept
{
    if (gLimitBytes && block)
        gHeldBytes -= int64_t(::malloc_usable_size(block));
    std::free(block);
}

} // namespace

void WbAllocationWatch::Arm(int64_t failAt)
{
    gCount = 0;
    gFailAt = failAt;
    gFailed = false;
    gCounting = true;
}

bool WbAllocationWatch::Disarm()
{
    gCounting = false;
    gFailAt = 0;
    return gFailed;
}

int64_t WbAllocationWatch::Count() { return gCount; }

void WbAllocationWatch::CountOnlyModule(const void* moduleCode, const void* hostCode)
{
    // The unwinder loads itself on its first use; that must not happen while counting.
    void* warm[1];
    ::backtrace(warm, 1);
    gModuleBase = BaseOf(moduleCode);
    gHostBase = BaseOf(hostCode);
}

void WbAllocationWatch::LimitMemory(size_t bytes, int resultDescriptor)
{
    gResultDescriptor = resultDescriptor;
    gHeldBytes = 0;
    gLimitBytes = bytes;
}

void* operator new(std::size_t size) { return AllocateOrThrow(size); }
void* operator new[](std::size_t size) { return AllocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Free(block); }
void operator delete[](void* block) noexcept { Free(block); }
void operator delete(void* block, std::size_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t) noexcept { Free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Free(block); }
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
void operator delete(void* block, std::align_val_t) noexcept { Free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { Free(block); }
void operator delete(void* block, std::size_t, std::align_val_t) noexcept { Free(block); }
void operator delete[](void* block, std::size_t, std::align_val_t) noexcept { Free(block); }
void operator delete(void* block, std::align_val_t, const std::nothrow_t&) noexcept { Free(block); }
void operator delete[](void* block, std::align_val_t, const std::nothrow_t&) noexcept { Free(block); }
