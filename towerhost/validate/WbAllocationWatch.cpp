// The program's allocation functions, under every form of operator new and delete (WbOperatorNew.cpp);
// outside a validator's child they only pass on to malloc and free, at the cost of two tests of a flag.
#include "WbAllocationWatch.h"

#include "WbHostCallRing.h"
#include "WbOperatorNew.h"

#include <dlfcn.h>
#include <execinfo.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

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

} // namespace

void* WbProgramAllocate(std::size_t size, std::align_val_t alignment) noexcept
{
    if (gCounting && MadeByModule() && ++gCount == gFailAt) {
        gFailed = true;
        return nullptr;
    }
    if (gLimitBytes && gHeldBytes + int64_t(size) > int64_t(gLimitBytes))
        EndOutOfMemory();
    void* block = WbSystemAllocate(size, alignment);
    if (gLimitBytes) {
        if (!block)
            EndOutOfMemory();
        gHeldBytes += int64_t(::malloc_usable_size(block));
    }
    return block;
}

void WbProgramRelease(void* block) noexcept
{
    if (gLimitBytes && block)
        gHeldBytes -= int64_t(::malloc_usable_size(block));
    std::free(block);
}

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
