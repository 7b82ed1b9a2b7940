// The progress of a long run on standard error, so that a person waiting sees it move.
#pragma once

#include "WbRunListener.h"

#include <cstdint>
#include <cstdio>

class WbProgressLine final : public WbRunListener {
public:
    // On a terminal the line is redrawn every day; elsewhere a line is written every tenth of the run.
    WbProgressLine(std::FILE* out, bool terminal, int64_t totalDays);

    void OnDayEnd(WbHostRun& run) override;
    void OnRunEnd(WbHostRun& run) override;
    bool HearsChanges() const override { return false; }

    // Whether a run of this many days is long enough to report on when standard error is no terminal.
    static bool IsLongRun(int64_t days) { return days >= kLongRunDays; }

private:
    static constexpr int64_t kLongRunDays = 30;

    std::FILE* mOut;
    bool mTerminal;
    int64_t mTotalDays;
    int64_t mDaysDone = 0;
    bool mLineOpen = false;
};
