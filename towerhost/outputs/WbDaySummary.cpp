// The day's account is gathered from status changes and money moved during idle passes; the target is
// read from the theater's save record, the only view the module gives of its schedule.
#include "WbDaySummary.h"

#include "WbHostRun.h"
#include "WbMoviePlugin.h"
#include "WbQuoted.h"
#include "WbTheaterFigures.h"

#include <string>

WbDaySummary::WbDaySummary(std::FILE* out) : mOut(out) {}

void WbDaySummary::OnMinuteStart(WbHostRun& run)
{
    if (!mDayOpen)
        BeginDay(run);
}

void WbDaySummary::OnDayEnd(WbHostRun& run) { PrintDay(run, true); }

void WbDaySummary::OnRunEnd(WbHostRun& run)
{
    if (mDayOpen)
        PrintDay(run, false);
    std::fflush(mOut);
}

void WbDaySummary::OnStatusChange(WbHostRun& run, const WbStatusChange& change)
{
    if (!mDayOpen)
        return;
    std::vector<Show>& shows = mTheaters[size_t(change.theater)].shows;
    if (change.fromStatus == 32 && change.toStatus != 32) {
        if (shows.empty() || shows.back().audience >= 0)
            shows.push_back({});
        shows.back().audience = change.customersBefore;
    }
    if (change.toStatus == 32 && change.fromStatus != 32)
        shows.push_back({int32_t(run.GetMinute()), -1});
}

// Only the idle passes book the day's takings; money moved by the player's doing (a film's cost paid from
// a dialog) is not the theater's income.
void WbDaySummary::OnFundsChange(WbHostRun& run, int theater, int64_t amount)
{
    if (mDayOpen && run.IsIdlePassRunning())
        mTheaters[size_t(theater)].booked += amount;
}

// A loaded tower has other theaters; its day is accounted from the load on.
void WbDaySummary::OnTowerReplaced(WbHostRun& run) { BeginDay(run); }

// A save keeps the module's record of each schedule but not its run-ended flag: a film the module had
// stopped is looked at again, and shows again if it is showable by then, which a run that never stopped
// would not have done.
void WbDaySummary::PrintLoad(WbHostRun& run, const std::string& path)
{
    std::fprintf(mOut,
                 "Loaded %s: day %d %s. Kept: clock, funds, theaters with their customers and arrivals, films' "
                 "records, each theater's film, target, best attendance and show days. Examined afresh: whether "
                 "each theater's film may be shown, so a film stopped before the save shows again if it is "
                 "showable now.\n",
                 path.c_str(), run.GetDay(), WbClockText(int32_t(run.GetMinute())).c_str());
}

void WbDaySummary::BeginDay(WbHostRun& run)
{
    mTheaters.assign(size_t(run.GetTower().GetTheaterCount()), TheaterDay{});
    mFundsAtStart = run.GetTower().GetDoc().GetCurrentFunds();
    mDayOpen = true;
}

void WbDaySummary::PrintDay(WbHostRun& run, bool wholeDay)
{
    const int32_t funds = run.GetTower().GetDoc().GetCurrentFunds();
    std::fprintf(mOut, "Day %d%s: funds %d -> %d\n", run.GetDay(),
                 wholeDay ? "" : (" (until " + WbClockText(int32_t(run.GetMinute())) + ")").c_str(), mFundsAtStart,
                 funds);
    for (int i = 0; i < run.GetTower().GetTheaterCount(); ++i)
        PrintTheater(run, i);
    mDayOpen = false;
}

void WbDaySummary::PrintTheater(WbHostRun& run, int index)
{
    const WbHostTower& tower = run.GetTower();
    const WbTenant& tenant = tower.GetTheater(index);
    const TheaterDay& day = mTheaters[size_t(index)];
    // Names and titles come from the scenario or the save file, so their bytes are escaped.
    std::fprintf(mOut, "  %d %s: ", index + 1, WbPrintable(tower.GetTheaterName(index)).c_str());
    const WbMoviePlugin* film = tenant.GetSubPlugin();
    if (!film) {
        std::fprintf(mOut, "no film, status %d\n", tenant.GetStatus());
        return;
    }
    CString title;
    film->GetTitle(title, 1);
    std::fprintf(mOut, "%s (%s)", WbQuoted(title.GetString()).c_str(), WbFourCCText(film->GetID()).c_str());
    if (const std::optional<int32_t> target = WbSavedTarget(tower.SaveExtraData(index)))
        std::fprintf(mOut, ", target %d", *target);
    std::fprintf(mOut, ", booked %lld, persons record %d\n", static_cast<long long>(day.booked), film->GetNOPersonsR());
    std::fputs("     shows", mOut);
    if (day.shows.empty())
        std::fputs(" none", mOut);
    for (const Show& show : day.shows) {
        std::fprintf(mOut, " %s ", WbClockText(show.startMinute).c_str());
        if (show.audience >= 0)
            std::fprintf(mOut, "(%d)", show.audience);
        else
            std::fputs("(running)", mOut);
    }
    std::fputc('\n', mOut);
}
