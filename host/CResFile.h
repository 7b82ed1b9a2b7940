// The host's reader of one module's resources, found by type name or number and ID.
#pragma once

#include "WbDll.h"
#include "WbWin32.h"

#include <cstdint>
#include <span>
#include <string>

class WBDLL_API CResFile {
public:
    explicit CResFile(HINSTANCE module);
    HINSTANCE GetModule() const { return mModule; }
    // The bytes of the resource of this type name ("TNDF") and ID, or an empty span.
    std::span<const uint8_t> Find(const char* typeName, uint32_t id) const;
    // The bytes of the resource of this standard type number (2 bitmap, 6 string block...) and ID.
    std::span<const uint8_t> Find(uint16_t typeNumber, uint32_t id) const;
    // Empty when the module's resources can be read; otherwise the module, where and why they cannot.
    std::string GetError() const;

private:
    HINSTANCE mModule;
};
