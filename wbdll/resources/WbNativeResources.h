// The platform's own resource lookup, for modules whose resources live in their executable file.
#pragma once

#include <cstdint>
#include <span>

// Windows: the bytes of the resource of the type (typeName, or typeNumber when typeName is null) and ID in
// the loaded library, through FindResource, LoadResource and LockResource. Elsewhere, and when there is
// no such resource: an empty span.
std::span<const uint8_t> WbFindNativeResource(void* library, const char* typeName, uint16_t typeNumber, uint32_t id);
