// Everything a saved tower holds, as plain values: what the save file stores and a tower is rebuilt from.
#pragma once

#include "WbTowerDoc.h"

#include <cstdint>
#include <string>
#include <vector>

// A film's state that changes while the tower runs; the rest of the film comes from the scenario.
struct WbSavedFilm {
    uint32_t id = 0;
    int32_t personsRecord = 0;
    int32_t releaseDay = 0;
};

struct WbSavedTheater {
    std::string name;
    int32_t status = 0;
    int32_t pattern = 0;
    int32_t capacity = 0;
    uint32_t openMinute = 0;
    uint32_t closeMinute = 0;
    uint32_t filmID = 0; // 0: no film
    int32_t reserve = 0;
    int32_t totalCustomers = 0;
    int32_t incomeDay = 0;
    int32_t dayIncome = 0;
    int32_t bookedIncome = 0;
    int32_t estimateColor = 0;
    int32_t staffPresent = 0;
    std::vector<uint32_t> customerLeaveMinutes; // one per customer inside
    std::vector<uint8_t> extraData;             // exactly the bytes the module's SaveExtraData wrote
};

// A customer called who has not reached the theater yet.
struct WbSavedArrival {
    int64_t dueMinute = 0; // minutes since day 0, minute 0
    uint32_t theater = 0;  // index into the theaters
};

struct WbTowerImage {
    int32_t day = 1;
    uint32_t minute = 0;
    int32_t funds = 0;
    int32_t dayBase = 0;
    WbArrivalMode arrivalMode = WbArrivalMode::Spread;
    uint32_t seed = 1;
    uint32_t randomState = 1;
    std::vector<WbSavedFilm> films;
    std::vector<WbSavedTheater> theaters;
    std::vector<WbSavedArrival> arrivals; // in the order they will enter
};
