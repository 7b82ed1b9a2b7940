// The module's string table (resource type 6): blocks of 16 strings, each a 16-bit length and UTF-16 text.
#pragma once

#include "CResFile.h"
#include "CString.h"
#include "WbDll.h"
#include "WbParsed.h"

#include <array>
#include <cstdint>
#include <span>

// The 16 strings of block `block`, which holds string IDs (block - 1) x 16 to (block - 1) x 16 + 15, in
// UTF-8. Refuses a block whose strings run past its end or that has bytes after the sixteenth string.
WBDLL_API WbParsed<std::array<CString, 16>> WbReadStringBlock(std::span<const uint8_t> bytes, uint32_t block);

// The block that holds a string ID.
constexpr uint32_t WbStringBlockOf(uint32_t stringID) { return stringID / 16 + 1; }

// The text of a string ID in the module's resources; empty when the module has no such string or its
// block cannot be read.
WBDLL_API CString WbLoadResString(const CResFile& resFile, uint32_t stringID);
