// Progress of a run in days; a terminal line is rewritten in place and ended when the run ends.
#include "WbProgressLine.h"

#include "WbHostRun.h"

WbProgressLine::WbProgressLine(std::FILE* out, bool terminal, int64_t totalDays)
    : mOut(out), mTerminal(terminal), mTotalDays(totalDays > 0 ? totalDays : 1)
{
}

void WbProgressLine::OnDayEnd(WbHostRun& run)
{
    ++mDaysDone;
    if (mTerminal) {
        std::fprintf(mOut, "\rtowerhost: day %d, %lld of %lld days run", run.GetDay(),
                     static_cast<long long>(mDaysDone), static_cast<long long>(mTotalDays));
        std::fflush(mOut);
        mLineOpen = true;
        return;
    }
    const int64_t step = mTotalDays / 10 > 0 ? mTotalDays / 10 : 1;
    if (mDaysDone % step == 0)
        std::fprintf(mOut, "towerhost: day %d, %lld of %lld days run\n", run.GetDay(),
                     static_cast<long long>(mDaysDone), static_cast<long long>(mTotalDays));
}

void WbProgressLine::OnRunEnd(WbHostRun&)
{
    if (mLineOpen)
        std::fputc('\n', mOut);
    mLineOpen = false;
}
