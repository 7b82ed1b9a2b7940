// Kept apart from the host's own Win32 stand-ins (WbWin32.h), which would clash with <windows.h>.
#include "WbNativeResources.h"

#if defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

std::span<const uint8_t> WbFindNativeResource(void* library, const char* typeName, uint16_t typeNumber, uint32_t id)
{
    if (!library || id > 0xFFFF)
        return {};
    HMODULE module = static_cast<HMODULE>(library);
    LPCSTR type = typeName ? typeName : MAKEINTRESOURCEA(typeNumber);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    if (!found)
        return {};
    HGLOBAL loaded = LoadResource(module, found);
    const DWORD size = SizeofResource(module, found);
    const void* bytes = loaded ? LockResource(loaded) : nullptr;
    if (!bytes)
        return {};
    return {static_cast<const uint8_t*>(bytes), size_t(size)};
}

#else

std::span<const uint8_t> WbFindNativeResource(void*, const char*, uint16_t, uint32_t) { return {}; }

#endif
