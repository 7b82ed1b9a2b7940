// The host's record of plug-in objects coming to their end, in order: lets the host and its tests see what a
// module destroyed, and in which order.
#pragma once

#include "WbDll.h"

#include <cstdint>
#include <vector>

// One plug-in object that ended: its address (for comparison only; the object is gone) and its type code.
struct WbDestruction {
    const void* object;
    uint32_t type;

    bool operator==(const WbDestruction&) const = default;
};

// Records every plug-in object that ends while the log exists. Logs may overlap; each records everything.
class WBDLL_API WbDestructionLog final {
public:
    WbDestructionLog();
    WbDestructionLog(const WbDestructionLog&) = delete;
    WbDestructionLog& operator=(const WbDestructionLog&) = delete;
    ~WbDestructionLog();

    const std::vector<WbDestruction>& GetDestructions() const { return mDestructions; }

    // Called by the plug-in base's destructor.
    static void Note(const void* object, uint32_t type);

private:
    std::vector<WbDestruction> mDestructions;
};
