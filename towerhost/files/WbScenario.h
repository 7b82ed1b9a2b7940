// A tower to simulate: the clock and money it starts with, how customers arrive, its films and theaters.
#pragma once

#include "WbTowerDoc.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One film the host installs for the run. Money is in the tower's stored unit (shown times 100).
struct WbScenarioFilm {
    std::string id{}; // four ASCII characters, the film's plug-in ID as a four-character code
    std::string title{};
    std::string secondLine{};
    std::string producer{};
    std::string director{};
    std::string performers{};
    std::string movie{};
    int32_t runningTime = 120;
    int32_t cost = 0;
    int32_t carryOver = 80;
    int32_t firstDayAudience = 0;
    int32_t personsRecord = 0;
    bool roadshow = true;
    int32_t releaseDay = 0;
    int32_t runDays = 0; // 0: the run never ends

    bool operator==(const WbScenarioFilm&) const = default;
};

// One theater tenant placed in the tower. Unset figures come from the module's definition.
struct WbScenarioTheater {
    std::string name{};
    std::optional<std::string> film{}; // a film id, or none
    std::optional<int32_t> capacity{};
    std::optional<uint32_t> openMinute{};
    std::optional<uint32_t> closeMinute{};
    int32_t status = 10;

    bool operator==(const WbScenarioTheater&) const = default;
};

struct WbScenario {
    std::string name;
    int32_t startDay = 1;
    uint32_t startMinute = 0;
    int32_t days = 1;
    int32_t funds = 100000;
    int32_t passesPerMinute = 1;
    uint32_t seed = 1;
    WbArrivalMode arrivals = WbArrivalMode::Spread;
    std::vector<WbScenarioFilm> films;
    std::vector<WbScenarioTheater> theaters;

    // The film with this id, or null.
    const WbScenarioFilm* FindFilm(const std::string& id) const;
};

// The limits a scenario's figures must keep; the reader names them in its messages.
namespace WbScenarioLimits {
constexpr int32_t kMaxDays = 100000;
// A run may start on this day and still count its last day in 32 bits.
constexpr int32_t kMaxStartDay = 0x7FFFFFFF - kMaxDays - 1;
// The last day a run can reach, from the last start day with the most days: a tower saved then still loads.
constexpr int32_t kLastDay = kMaxStartDay + kMaxDays;
// Theater names are kept whole in the save file, which reads no longer ones.
constexpr uint32_t kMaxNameBytes = 4096;
constexpr int32_t kMaxPassesPerMinute = 1000;
constexpr int32_t kMaxTheaters = 100000;
constexpr int32_t kMaxCapacity = 100000;
constexpr int32_t kMaxRunningTime = 1440;
constexpr uint32_t kLastMinute = 1439;
// No list of a scenario may hold more items than the longest one allowed, the theaters; a list is refused
// at the first item past it, while the file is still being read.
constexpr size_t kMaxListItems = size_t(kMaxTheaters);
// A scenario of the most theaters and films with long names fits well within this; a larger file (or a
// pipe that never ends) is refused as it is read.
constexpr size_t kMaxFileBytes = size_t(64) << 20;
} // namespace WbScenarioLimits
