// The days as the page shows them: each theater's shows with their audiences and the takings its idle
// passes booked, for the day that runs and the days before it.
#pragma once

#include "WbRunListener.h"

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

class WbServeLedger final : public WbRunListener {
public:
    struct Show {
        int32_t startMinute = -1; // -1: the film was already running when the day's account began
        int32_t audience = -1;    // -1: still running
    };
    struct TheaterDay {
        std::string name;
        std::string film; // the film's four-character id, empty without a film
        std::vector<Show> shows;
        int64_t booked = 0;
    };
    struct Day {
        int32_t day = 0;
        int32_t fundsStart = 0;
        int32_t fundsEnd = 0;
        bool whole = false; // false: the day that runs, or one cut short by a loaded tower
        std::vector<TheaterDay> theaters;
    };
    // The page charts a month at most; older days are dropped.
    static constexpr size_t kDaysKept = 30;

    // Opens the account of the day the run stands at; the ledger follows the run from then on.
    void Begin(WbHostRun& run);

    void OnDayEnd(WbHostRun& run) override;
    void OnMinuteStart(WbHostRun& run) override;
    void OnMinuteEnd(WbHostRun& run) override;
    void OnStatusChange(WbHostRun& run, const WbStatusChange& change) override;
    void OnFundsChange(WbHostRun& run, int theater, int64_t amount) override;
    void OnTowerReplaced(WbHostRun& run) override;

    // The finished days, oldest first.
    const std::deque<Day>& GetDays() const { return mDays; }
    // The day that runs, its figures up to now.
    const Day& GetToday() const { return mToday; }
    // Status changes seen so far, so that a caller can run until the next one.
    uint64_t GetStatusChanges() const { return mStatusChanges; }

private:
    void Close(bool whole);

    std::deque<Day> mDays;
    Day mToday;
    bool mDayOpen = false;
    uint64_t mStatusChanges = 0;
};
