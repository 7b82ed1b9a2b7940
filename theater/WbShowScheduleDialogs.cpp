// The schedule's dialog side: the film part of the info dialog, the selection dialog's table, accepting
// a film and applying it.
#include "WbShowSchedule.h"

#include "WbDateTime.h"
#include "WbDialog.h"
#include "WbDialogItems.h"
#include "WbMoviePlugin.h"
#include "WbMovieSelectDialog.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTheaterInfoDialog.h"
#include "WbTowerDoc.h"

using namespace WbDialogItems;

namespace {

// The film table reports a selected row with its ID negated.
constexpr unsigned int kTableSelection = unsigned(-kFilmTable);
constexpr int kMessageMs = 2000;
// A day has no more show starts than minutes, whatever a film's running time says.
constexpr unsigned int kMaxShows = 1440;

// Money figures are 32-bit values; a product that does not fit wraps as the figures' type does.
int32_t Wrap(int64_t value) { return int32_t(uint32_t(uint64_t(value))); }

CString Number(int value)
{
    CString text;
    text.Format("%d", value);
    return text;
}

void SetText(WbDialog* dialog, int id, const CString& text)
{
    if (WbDlgItem* item = dialog->GetWbDlgItem(id))
        item->SetDescriptor(text);
}

} // namespace

void WbShowSchedule::SetupInfoDialog(WbTheaterInfoDialog* dialog)
{
    if (!dialog || !mTenant || !mTowerDoc)
        return;
    mInfoDialog = dialog;
    if (WbDlgItem* button = dialog->GetWbDlgItem(kChangeFilmButton))
        button->AddListener(dialog);
    mMovieAccepted = 0;
    mNewMovie = nullptr;
    mSelectDialog = nullptr;
    mMovie = mTenant->GetSubPlugin();

    // The moving picture plays from the opening until the end of the day's last show.
    int play = 0;
    if (const WbDateTime* now = mTowerDoc->GetCurrentDateTime()) {
        unsigned int entry = 0;
        unsigned int start = 0;
        unsigned int end = 0;
        for (int index = 1; play == 0 && GetShowTime(index, entry, start, end) == 1; ++index)
            play = now->WithinMinutes(int32_t(mTenant->GetOpenTime()), int32_t(end));
    }
    ShowMoviePreview(mInfoDialog, mMovie, play);

    const int32_t revenue = Wrap(int64_t(mTenant->GetInMoney()) * mTenant->GetTotalCustomer()) / 100;
    const int32_t cost = mTenant->GetOutMoney();
    SetText(dialog, kRevenueItem, Number(Wrap(int64_t(revenue) * 100)));
    SetText(dialog, kCostItem, Number(Wrap(int64_t(cost) * 100)));
    SetText(dialog, kProfitItem, Number(Wrap((int64_t(revenue) - cost) * 100)));

    if (mMovie && !IsRunEnded())
        SetText(dialog, kShowDaysItem, Number(mShowDays));
    CString times;
    if (dialog->GetWbDlgItem(kShowTimesItem) && GetShowTimesText(mMovie, times) == 1)
        SetText(dialog, kShowTimesItem, times);
}

// The info dialog (user value 0) shows the stored title and treats an ended run as expired until
// another film was accepted; the selection dialog always shows the film as it is now.
void WbShowSchedule::ShowMoviePreview(WbDialog* dialog, WbMoviePlugin* film, int play)
{
    if (!dialog)
        return;
    WbDlgItem* movie = dialog->GetWbDlgItem(kMovieItem);
    WbDlgItem* notice = dialog->GetWbDlgItem(kNoticeItem);
    if (!film) {
        if (movie)
            movie->ShowWindow(SW_HIDE);
        if (notice) {
            notice->ShowWindow(SW_SHOW);
            notice->SetDescriptor("Feature title has not been selected.");
        }
        return;
    }

    const bool infoAsIs = dialog->GetUserCon() == 0 && mNewMovie == nullptr;
    if (WbDlgItem* titleItem = dialog->GetWbDlgItem(kTitleItem)) {
        CString title;
        if (infoAsIs)
            title = mTitle;
        else
            film->GetTitle(title, mMovieType);
        titleItem->SetDescriptor(title);
    }

    const WbDateTime* now = mTowerDoc ? mTowerDoc->GetCurrentDateTime() : nullptr;
    const int32_t dayBase = mTowerDoc ? mTowerDoc->GetDayBase() : 0;
    const bool shown = IsMovieShowable(film, now, dayBase) != 0 && !(IsRunEnded() != 0 && infoAsIs);
    if (shown) {
        if (movie) {
            movie->ShowWindow(SW_SHOW);
            if (auto* picture = dynamic_cast<WbDlgItemMovie*>(movie)) {
                if (play)
                    picture->SetQTMovieName(film->GetQTMovieName());
                else
                    picture->SetStillScreenID(film->GetStillScreenSource(), film->GetStillScreenID());
            }
        }
        if (notice)
            notice->ShowWindow(SW_HIDE);
    } else {
        if (notice) {
            notice->ShowWindow(SW_SHOW);
            notice->SetDescriptor("The duration has passed.");
        }
        if (movie)
            movie->ShowWindow(SW_HIDE);
    }

    SetText(dialog, kCreditsItem,
            "Produced by : " + film->GetProducer() + " / Directed by : " + film->GetDirector() +
                "\t/ Performed by : " + film->GetPerformers());
    SetText(dialog, kSecondLineItem, film->GetSecondLine());

    if (mSelectDialog && dialog == mSelectDialog) {
        const int32_t runningTime = film->GetRunningTime();
        SetText(dialog, kPlayHoursItem, Number(runningTime / 60));
        SetText(dialog, kPlayMinutesItem, Number(runningTime % 60));
        SetText(dialog, kCostShownItem, Number(Wrap(int64_t(film->GetCost()) * 100)));
    }
}

int WbShowSchedule::GetShowTimesText(WbMoviePlugin* film, CString& text) const
{
    if (!film)
        return 0;
    text.Empty();
    for (unsigned int index = 1; index <= kMaxShows; ++index) {
        const int start = CalcShowStart(film, index);
        if (start < 0)
            break;
        CString entry;
        entry.Format("%d:%02d ", start / 60, start % 60);
        text += entry;
    }
    return 1;
}

// The same film counts as new when its title changed since it was bound, so that a renamed film is
// taken up (and paid for) afresh.
void WbShowSchedule::ApplyNewMovie()
{
    if (!mNewMovie || !mTenant || !mTowerDoc)
        return;
    bool changed = mNewMovie != mMovie;
    if (!changed) {
        CString title;
        mNewMovie->GetTitle(title, mMovieType);
        changed = !(title == mTitle);
    }
    if (!changed)
        return;
    SetMovie(mNewMovie);
    mTargetCount = -1;
    mTenant->SetMoviePlugin(mNewMovie);
    SetRunEnded(0);
    mTowerDoc->PayMoney(mNewMovie->GetCost(), 0, mTenant->GetEquipDef());
    mShowDays = 0;
}

// The preselected film is the accepted one, else the current one, while it may be shown; otherwise the
// first film listed. The dialog starts listening only after the preselection, so that it hears only
// the player's choices.
void WbShowSchedule::SetupSelectDialog(WbMovieSelectDialog* dialog)
{
    if (!dialog || !mTowerDoc)
        return;
    mSelectDialog = dialog;
    dialog->SetUserCon(1);
    const WbDateTime* now = mTowerDoc->GetCurrentDateTime();
    const int32_t dayBase = mTowerDoc->GetDayBase();

    WbMoviePlugin* preselected = mNewMovie ? mNewMovie : mMovie;
    if (preselected && IsMovieShowable(preselected, now, dayBase) == 0)
        preselected = nullptr;

    if (auto* table = dynamic_cast<WbMovieTable*>(dialog->GetWbDlgItem(kFilmTable))) {
        table->SetMovieType(mMovieType);
        if (CFilePluginList* films = mTowerDoc->GetMovieList()) {
            int row = 1;
            int selectedRow = 0;
            for (CFilePlugin* plugin : *films) {
                auto* film = dynamic_cast<WbMoviePlugin*>(plugin);
                if (!film || IsMovieShowable(film, now, dayBase) == 0)
                    continue;
                table->Add(film);
                if (!preselected)
                    preselected = film;
                if (preselected == film)
                    selectedRow = row;
                ++row;
            }
            table->SelectCell(selectedRow, 1);
        }
        table->AddListener(dialog);
    }

    mSelectedMovie = preselected;
    mMovieAccepted = 0;
    if (preselected)
        ShowMoviePreview(dialog, preselected, 0);
}

int WbShowSchedule::MovieTableMessage(unsigned int message, void* param)
{
    if (message != kTableSelection)
        return 0;
    auto* film = static_cast<WbMoviePlugin*>(param);
    if (film != mSelectedMovie) {
        mSelectedMovie = film;
        ShowMoviePreview(mSelectDialog, film, 0);
    }
    return 1;
}

// The film is only remembered here; it is bound and paid for when the info dialog is confirmed. Too
// little money outweighs an open theater: only its message is shown.
int WbShowSchedule::AcceptSelectedMovie()
{
    if (!mSelectedMovie || !mTenant || !mTowerDoc)
        return 0;
    CString message;
    if (mTenant->GetStatus() > WbTheaterStatus::kClosed)
        message = "You cannot change the movie when the theater is open. After it is closed, please select a new "
                  "movie.";
    if (mTowerDoc->GetCurrentFunds() < mSelectedMovie->GetCost())
        message = "Not enough money. You cannot change the movie.";
    if (!message.IsEmpty()) {
        Beep(1, 1);
        if (mSelectDialog)
            if (auto* credits = dynamic_cast<WbDlgItemText*>(mSelectDialog->GetWbDlgItem(kCreditsItem)))
                credits->InfoDialogMessage(message, kMessageMs);
        return 0;
    }

    mNewMovie = mSelectedMovie;
    ShowMoviePreview(mInfoDialog, mSelectedMovie, 0);
    CString times;
    if (mInfoDialog && mInfoDialog->GetWbDlgItem(kShowTimesItem) && GetShowTimesText(mNewMovie, times) == 1)
        SetText(mInfoDialog, kShowTimesItem, times);
    mMovieAccepted = 1;
    return 1;
}
