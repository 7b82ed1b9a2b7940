// The readable account of each day on standard output: per theater its film, shows, audiences, target,
// income booked and the film's persons record.
#pragma once

#include "WbRunListener.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class WbDaySummary final : public WbRunListener {
public:
    explicit WbDaySummary(std::FILE* out);

    void OnMinuteStart(WbHostRun& run) override;
    void OnDayEnd(WbHostRun& run) override;
    void OnRunEnd(WbHostRun& run) override;
    void OnStatusChange(WbHostRun& run, const WbStatusChange& change) override;
    void OnFundsChange(WbHostRun& run, int theater, int64_t amount) override;
    void OnTowerReplaced(WbHostRun& run) override;

    // Says which saved tower the run continues, what the save kept and what the module examines afresh.
    void PrintLoad(WbHostRun& run, const std::string& path);

private:
    struct Show {
        int32_t startMinute = -1; // -1: the film was already running when the day's account began
        int32_t audience = -1;    // -1: still running
    };
    struct TheaterDay {
        std::vector<Show> shows;
        int64_t booked = 0;
    };

    void BeginDay(WbHostRun& run);
    void PrintDay(WbHostRun& run, bool wholeDay);
    void PrintTheater(WbHostRun& run, int index);

    std::FILE* mOut;
    std::vector<TheaterDay> mTheaters;
    bool mDayOpen = false;
    int32_t mFundsAtStart = 0;
};
