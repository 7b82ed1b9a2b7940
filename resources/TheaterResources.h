// The module's compiled resources, carried inside the module so that the host reads them from its record.
#pragma once

#include <cstdint>
#include <span>

// The bytes of the module's .res file. They are constant data of the module, usable from its static
// initialisation on, and stay valid until the module is unloaded.
std::span<const uint8_t> TheaterResourceBytes();
