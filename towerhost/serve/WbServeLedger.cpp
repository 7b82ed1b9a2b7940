// The ledger listens to the run as the day summary does: shows begin and end with the film-running
// status, and only money moved by idle passes is a theater's takings.
#include "WbServeLedger.h"

#include "WbFourCC.h"
#include "WbHostRun.h"
#include "WbMoviePlugin.h"

void WbServeLedger::Begin(WbHostRun& run)
{
    const WbHostTower& tower = run.GetTower();
    mToday = Day{run.GetDay(), tower.GetDoc().GetCurrentFunds(), tower.GetDoc().GetCurrentFunds(), false, {}};
    for (int i = 0; i < tower.GetTheaterCount(); ++i) {
        const WbMoviePlugin* film = tower.GetTheater(i).GetSubPlugin();
        mToday.theaters.push_back({tower.GetTheaterName(i), film ? WbFourCCText(film->GetID()) : "", {}, 0});
    }
    mDayOpen = true;
}

namespace {

// The status a theater has while its film runs: a show begins and ends with it.
constexpr int32_t kFilmRunning = 32;

} // namespace

void WbServeLedger::OnMinuteStart(WbHostRun& run)
{
    if (!mDayOpen)
        Begin(run);
}

void WbServeLedger::OnMinuteEnd(WbHostRun& run) { mToday.fundsEnd = run.GetTower().GetDoc().GetCurrentFunds(); }

void WbServeLedger::OnDayEnd(WbHostRun&) { Close(true); }

void WbServeLedger::OnStatusChange(WbHostRun& run, const WbStatusChange& change)
{
    ++mStatusChanges;
    if (!mDayOpen || size_t(change.theater) >= mToday.theaters.size())
        return;
    std::vector<Show>& shows = mToday.theaters[size_t(change.theater)].shows;
    const bool wasRunning = change.fromStatus == kFilmRunning;
    const bool isRunning = change.toStatus == kFilmRunning;
    if (wasRunning && !isRunning) {
        if (shows.empty() || shows.back().audience >= 0)
            shows.push_back({});
        shows.back().audience = change.customersBefore;
    }
    if (isRunning && !wasRunning)
        shows.push_back({int32_t(run.GetMinute()), -1});
}

void WbServeLedger::OnFundsChange(WbHostRun& run, int theater, int64_t amount)
{
    if (mDayOpen && run.IsIdlePassRunning() && size_t(theater) < mToday.theaters.size())
        mToday.theaters[size_t(theater)].booked += amount;
}

// A loaded tower has other theaters: the day so far is kept as it was, and a new account begins.
void WbServeLedger::OnTowerReplaced(WbHostRun& run)
{
    if (mDayOpen)
        Close(false);
    Begin(run);
}

void WbServeLedger::Close(bool whole)
{
    mToday.whole = whole;
    mDays.push_back(std::move(mToday));
    if (mDays.size() > kDaysKept)
        mDays.pop_front();
    mToday = Day{};
    mDayOpen = false;
}
