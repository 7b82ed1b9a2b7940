// Fuzzes the scenario reader as the host program sets it up, with its add-ons' keys: the input is the JSON
// text of a scenario file. A scenario it refuses comes with a message in printable ASCII, whatever bytes the file
// holds; one it accepts names only its own films and opens no theater after closing it.
#include "WbHostAddOn.h"
#include "WbScenarioReader.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto addOns = WbMakeHostAddOns();
    WbScenarioReader reader;
    for (const auto& addOn : addOns)
        addOn->AddScenarioSections(reader);
    try {
        const WbScenario scenario = reader.ReadText(std::string(reinterpret_cast<const char*>(data), size));
        for (const WbScenarioTheater& theater : scenario.theaters)
            if ((theater.film && !scenario.FindFilm(*theater.film)) ||
                (theater.openMinute && theater.closeMinute && *theater.closeMinute < *theater.openMinute))
                __builtin_trap();
    } catch (const WbScenarioError& error) {
        // The message reaches a terminal: whatever bytes the file holds, it is printable ASCII.
        const std::string_view message = error.what();
        if (message.empty() || !std::ranges::all_of(message, [](char c) { return c >= 0x20 && c <= 0x7E; }))
            __builtin_trap();
    }
    return 0;
}
