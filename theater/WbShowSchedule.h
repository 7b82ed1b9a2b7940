// Show schedule of one theater tenant: the day's shows, its customer target and its save record.
#pragma once

#include "CString.h"
#include "WbMoviePlugin.h"
#include "WbTenant.h"

#include <cstdint>

class CProgramPlugin;
class WbArchive;
class WbDateTime;
class WbDialog;
class WbMovieSelectDialog;
class WbTheaterInfoDialog;
class WbTowerDoc;

// A theater tenant's status, as its idle pass and its arrivals move it.
namespace WbTheaterStatus {
constexpr int32_t kFinished = 9; // built; the host opens it
constexpr int32_t kClosed = 10;
constexpr int32_t kEntry = 30;    // customers come in for the next show
constexpr int32_t kHalfFull = 31; // the same, with half the seats taken
constexpr int32_t kRunning = 32;  // the film runs
constexpr int32_t kFire = 10000;  // and above: burning
} // namespace WbTheaterStatus

// The film a theater shows and what it remembers of the film's days. The film policy (which films may
// run, where the attendance record lives) is left to the derived schedule.
class WbShowSchedule {
public:
    WbShowSchedule(CProgramPlugin* plugin, WbTowerDoc* doc, WbTenant* tenant);
    WbShowSchedule(const WbShowSchedule&) = delete;
    WbShowSchedule& operator=(const WbShowSchedule&) = delete;

    // 1 when the film may be shown at now, its age counted from the day base; else 0.
    virtual int IsMovieShowable(WbMoviePlugin* film, const WbDateTime* now, int32_t dayBase) const = 0;
    // The attendance record the day's target starts from on a film's first day; -1 without a film.
    virtual int GetNOPersonsR() const = 0;
    virtual void SetNOPersonsR(int32_t persons) = 0;
    // Nonzero while the current film may be shown; always 1 here.
    virtual int CheckMovieRun();
    // Nonzero once the current film was found no longer showable; always 0 here.
    virtual int IsRunEnded() const;
    // Remembers whether the current film's run has ended; nothing here.
    virtual void SetRunEnded(int flag);

    // The schedule a theater tenant holds in its RefCon; null without a tenant or a schedule.
    static WbShowSchedule* Of(const WbHaveOutViewObject* tenant);

    // Takes up a film (or none); the title is refilled only for a film.
    void SetMovie(WbMoviePlugin* film);
    // Start minute of show index (from 1) of the film in this theater, or -1 when there is no such show.
    int CalcShowStart(WbMoviePlugin* film, unsigned int index) const;
    // 1 with the entry, start and end minutes of show index of the current film; 0 (outputs untouched)
    // without a film, after its run, or past the day's last show.
    int GetShowTime(int index, unsigned int& entry, unsigned int& start, unsigned int& end) const;
    // The show of the current film whose cycle (entry period and film) would contain the minute, counted
    // from 1; every show before it has ended by then. 1 without a film or before opening time.
    int GetShowAt(uint32_t minute) const;
    // Reacts to the tenant's status before and after an idle pass: calls customers, sends them away at
    // each show's end and keeps the attendance figures.
    void ProcessStatus(int32_t oldStatus, int32_t newStatus);
    // Calls customers up to the day's target, counting those called and those inside.
    void CollectCustomers();
    // The start-of-day re-release check over the films of the theater's definition.
    void CheckReMake();
    // The save record: the length 20, then film ID, target, best attendance, show days and spare.
    void Write(WbArchive& archive) const;
    // Reads the 20 bytes after the length word and takes up the saved film again.
    void Read(WbArchive& archive);

    // Dialog side: the theater info dialog and the film selection dialog work through these.
    // Fills the info dialog's film part and its figures, and lets it hear its "Change Film" button.
    void SetupInfoDialog(WbTheaterInfoDialog* dialog);
    // Shows a film, or the lack of one, in the preview items of either dialog; play shows the moving
    // picture instead of the still.
    void ShowMoviePreview(WbDialog* dialog, WbMoviePlugin* film, int play);
    // The film's show start times of a day, each as "%d:%02d "; 0 (text untouched) without a film.
    int GetShowTimesText(WbMoviePlugin* film, CString& text) const;
    // Binds the accepted film to the theater and pays for it, when it is not the one showing already.
    void ApplyNewMovie();
    // Fills the selection dialog's film table and preselects a film.
    void SetupSelectDialog(WbMovieSelectDialog* dialog);
    // A message of the selection dialog's film table; 1 when it was the table's selection.
    int MovieTableMessage(unsigned int message, void* param);
    // Accepts the highlighted film unless the theater is open or the funds are short; 1 when accepted.
    int AcceptSelectedMovie();

    WbMoviePlugin* GetNewMovie() const { return mNewMovie; }
    WbMoviePlugin* GetSelectedMovie() const { return mSelectedMovie; }
    int IsMovieAccepted() const { return mMovieAccepted; }
    WbTheaterInfoDialog* GetInfoDialog() const { return mInfoDialog; }
    WbMovieSelectDialog* GetSelectDialog() const { return mSelectDialog; }
    // The dialogs record here that they opened or went away.
    void SetInfoDialog(WbTheaterInfoDialog* dialog) { mInfoDialog = dialog; }
    void SetSelectDialog(WbMovieSelectDialog* dialog) { mSelectDialog = dialog; }

    WbMoviePlugin* GetMovie() const { return mMovie; }
    const CString& GetTitle() const { return mTitle; }
    int32_t GetTargetCount() const { return mTargetCount; }
    int32_t GetBestAttendance() const { return mBestAttendance; }
    int32_t GetShowDays() const { return mShowDays; }
    WbTenant* GetTenant() const { return mTenant; }

    // The record Write makes after its length word.
    static constexpr int32_t kRecordBytes = 20;
    // Each show begins with this many minutes in which customers come in.
    static constexpr unsigned int kEntryMinutes = 30;

protected:
    // Schedules are destroyed through their concrete type, by the definition that made them. The class
    // has no friends: a friend could reach this non-virtual destructor through a base pointer, so the
    // dialogs go through the accessors above.
    ~WbShowSchedule();

    CProgramPlugin* mPlugin;
    WbTowerDoc* mTowerDoc;
    WbTenant* mTenant;
    WbTheaterInfoDialog* mInfoDialog = nullptr;
    WbMoviePlugin* mMovie = nullptr;
    WbMoviePlugin* mNewMovie = nullptr;
    WbMoviePlugin* mSelectedMovie = nullptr;
    WbMovieSelectDialog* mSelectDialog = nullptr;
    int mMovieAccepted = 0;
    int32_t mTargetCount = -1; // -1: not known yet for this film
    int32_t mBestAttendance = 0;
    CString mTitle;
    int32_t mShowDays = 0;
    int32_t mMovieType = 1;
    int32_t mSpare = 0;
};

// The show lookup runs on every idle pass of every theater, so its parts are inline.

// Shows follow each other from opening time without a gap: each is an entry period and the film. The
// count divides unsigned; hours that close before they open, or a film with a negative running time
// (whose shows would overlap), give no shows rather than a count no caller could walk.
inline int WbShowSchedule::CalcShowStart(WbMoviePlugin* film, unsigned int index) const
{
    if (!film || !mTenant)
        return -1;
    const uint32_t open = mTenant->GetOpenTime();
    const uint32_t close = mTenant->GetCloseTime();
    const int32_t runningTime = film->GetRunningTime();
    if (close < open || runningTime < 0)
        return -1;
    const uint32_t period = uint32_t(runningTime) + kEntryMinutes;
    const uint32_t shows = (close - open) / period;
    if (index == 0 || index > shows)
        return -1;
    return int((index - 1) * period + open + kEntryMinutes);
}

inline int WbShowSchedule::GetShowTime(int index, unsigned int& entry, unsigned int& start, unsigned int& end) const
{
    if (!mMovie || IsRunEnded())
        return 0;
    const int showStart = CalcShowStart(mMovie, unsigned(index));
    if (showStart < 0)
        return 0;
    entry = unsigned(showStart) - kEntryMinutes;
    start = unsigned(showStart);
    end = unsigned(showStart) + unsigned(mMovie->GetRunningTime());
    return 1;
}

inline int WbShowSchedule::GetShowAt(uint32_t minute) const
{
    if (!mMovie || !mTenant)
        return 1;
    const uint32_t open = mTenant->GetOpenTime();
    const int32_t runningTime = mMovie->GetRunningTime();
    if (minute < open || runningTime < 0)
        return 1;
    return int((minute - open) / (uint32_t(runningTime) + kEntryMinutes)) + 1;
}
