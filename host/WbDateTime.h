// The tower's clock: a day count and the raw minute of that day.
#pragma once

#include "WbDll.h"

#include <cstdint>

class WBDLL_API WbDateTime {
public:
    WbDateTime() = default;
    WbDateTime(int32_t totalDays, uint32_t rawMinutes) : mTotalDays(totalDays), mRawMinutes(rawMinutes) {}

    // Minute of the day, 0 to 1439.
    uint32_t GetRawMinutes() const { return mRawMinutes; }
    // Days since the tower's calendar began; the first day is 1.
    int32_t CalcTotalDays() const { return mTotalDays; }
    // Nonzero when the minute of the day lies in [from, to): the start counts, the end does not.
    // Bounds are signed, so a window that begins before midnight simply starts below 0.
    int WithinMinutes(int32_t from, int32_t to) const
    {
        const int64_t minute = mRawMinutes;
        return minute >= from && minute < to ? 1 : 0;
    }

    // Host side: the clock moves one minute at a time and rolls over at midnight. The day count is the
    // 32-bit figure a save holds, so the day after the last one it can count is the first negative one.
    void AdvanceMinute()
    {
        if (++mRawMinutes == kMinutesPerDay) {
            mRawMinutes = 0;
            mTotalDays = int32_t(uint32_t(mTotalDays) + 1u);
        }
    }
    static constexpr uint32_t kMinutesPerDay = 1440;

private:
    int32_t mTotalDays = 1;
    uint32_t mRawMinutes = 0;
};
