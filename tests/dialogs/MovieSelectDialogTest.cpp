// Changing the film: the selection's list and preview, its refusals, and paying when the info dialog is confirmed.
#include "DialogTower.h"

#include <gtest/gtest.h>

namespace {

const char* const kOpenMessage =
    "You cannot change the movie when the theater is open. After it is closed, please select a new movie.";
const char* const kMoneyMessage = "Not enough money. You cannot change the movie.";

// Amount, category and the definition each payment names.
using Payments = std::vector<std::tuple<int64_t, int32_t, const WbToolDef*>>;

Payments PaymentsIn(const EventLog& log)
{
    Payments payments;
    for (const WbTowerEvent& event : log.Events())
        if (event.kind == WbEventKind::PayMoney)
            payments.emplace_back(event.value, event.category, event.def);
    return payments;
}

// A film change as the player sees it: the selection open, the info dialog usable, the film accepted.
using Change = std::tuple<bool, bool, const WbMoviePlugin*>;

class MovieSelectDialog : public ::testing::Test {
protected:
    Change ChangeOn(const WbDialog* info) const
    {
        return {tower.Select() != nullptr, info->IsWindowEnabled(), tower.Schedule()->GetNewMovie()};
    }

    // The films the open selection lists, the row selected in it and the film the schedule has selected.
    std::tuple<std::vector<WbMoviePlugin*>, int, WbMoviePlugin*> Listed() const
    {
        auto* table = dynamic_cast<WbMovieTable*>(tower.Select()->GetWbDlgItem(7112));
        std::vector<WbMoviePlugin*> rows;
        for (int row = 1; row <= table->GetRowCount(); ++row)
            rows.push_back(table->GetFilm(row));
        return {rows, table->GetSelectedRow(), tower.Schedule()->GetSelectedMovie()};
    }

    DialogTower tower;
};

} // namespace

// Cancelling either dialog applies nothing; a film shown and confirmed with OK is bound and paid for once, even
// after a later visit to the selection was cancelled.
TEST_F(MovieSelectDialog, ChangingTheFilmPaysOnceWhenTheInfoDialogIsConfirmed)
{
    WbMoviePlugin* current = tower.AddFilm(FilmInfo(1));
    WbMoviePlugin* next = tower.AddFilm(FilmInfo(2, 90, 20));
    tower.Place(current);
    WbDialog* info = tower.OpenSelection();
    tower.Choose(next);
    DialogTower::Press(tower.Select(), IDCANCEL);
    EXPECT_EQ(ChangeOn(info), (Change{false, true, nullptr}));
    DialogTower::Press(info, IDOK);
    DialogTower::Press(tower.AcceptFilm(next), IDCANCEL);
    EXPECT_TRUE(PaymentsIn(tower.log).empty());
    EXPECT_EQ(tower.theater->GetSubPlugin(), current);

    info = tower.OpenSelection();
    ASSERT_EQ(ChangeOn(info), (Change{true, false, nullptr})) << "reopening starts with no accepted film";
    EXPECT_EQ(tower.Select()->GetOwner(), tower.theater.get());
    RECT window; // centred on the 800 x 600 main window
    tower.Select()->GetWindowRect(&window);
    EXPECT_EQ(window, (RECT{400 - 209, 300 - 170, 400 + 209, 300 + 170}));
    tower.Choose(next);
    EXPECT_EQ(DialogTower::Text(tower.Select(), 7124), "Film 2");
    DialogTower::Press(tower.Select(), 7092);
    EXPECT_EQ(ChangeOn(info), (Change{false, true, next}));
    EXPECT_EQ(DialogTower::Texts(info, {7124, 7111}), (Strings{"Film 2", "10:30 12:30 14:30 16:30 18:30 20:30 "}));
    EXPECT_TRUE(PaymentsIn(tower.log).empty()) << "nothing is paid before OK";

    // A second visit to the selection that ends in Cancel keeps the acceptance.
    DialogTower::Press(info, 7099);
    tower.Choose(current);
    DialogTower::Press(tower.Select(), IDCANCEL);
    DialogTower::Press(info, IDOK);
    EXPECT_EQ(PaymentsIn(tower.log), (Payments{{20, 0, &tower.def}}));
    EXPECT_EQ(
        std::tuple(tower.theater->GetSubPlugin(), tower.Schedule()->GetMovie(), tower.Schedule()->GetTargetCount()),
        std::tuple(next, next, -1));
}

TEST_F(MovieSelectDialog, ShowIsRefusedWhileOpenOrShortOfMoney)
{
    const struct {
        int32_t status, funds;
        const char* message; // null: accepted
    } cases[] = {{30, 100, kOpenMessage},
                 {32, 100, kOpenMessage},
                 {10, 19, kMoneyMessage},
                 {31, 19, kMoneyMessage},
                 {10, 20, nullptr}};
    WbMoviePlugin* current = tower.AddFilm(FilmInfo(1));
    WbMoviePlugin* next = tower.AddFilm(FilmInfo(2, 120, 20));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.status) + ", funds " + std::to_string(c.funds));
        tower.Place(current, c.status);
        tower.doc.SetFunds(c.funds);
        WbDialog* info = tower.OpenSelection();
        tower.Choose(next);
        const int beeps = WbGetBeepCount();
        DialogTower::Press(tower.Select(), 7092);
        EXPECT_EQ(WbGetBeepCount(), beeps + (c.message ? 1 : 0));
        if (c.message) {
            ASSERT_EQ(ChangeOn(info), (Change{true, false, nullptr})) << "a refusal leaves the selection open";
            WbDialog::TickDialogs(1999);
            EXPECT_EQ(DialogTower::Text(tower.Select(), 7130), c.message) << "shown for 2000 ms";
            WbDialog::TickDialogs(1);
            EXPECT_EQ(DialogTower::Text(tower.Select(), 7130).rfind("Produced by : ", 0), 0u);
        } else {
            EXPECT_EQ(ChangeOn(info), (Change{false, true, next}));
            EXPECT_EQ(tower.Schedule()->IsMovieAccepted(), 1);
        }
    }
}

TEST_F(MovieSelectDialog, SameFilmIsTakenUpAndPaidAgainOnlyUnderANewTitle)
{
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1));
    tower.Place(film);
    tower.Schedule()->ProcessStatus(10, 30);

    DialogTower::Press(tower.AcceptFilm(film), IDOK);
    EXPECT_TRUE(PaymentsIn(tower.log).empty());
    EXPECT_EQ(tower.Schedule()->GetShowDays(), 1);

    // The info dialog shows the title stored with the film until the renamed film is accepted.
    film->GetInfo().titles[1] = "Film 1: Director's Cut";
    WbDialog* info = tower.OpenInfo();
    EXPECT_EQ(DialogTower::Text(info, 7124), "Film 1");
    DialogTower::Press(info, IDCANCEL);
    info = tower.AcceptFilm(film);
    EXPECT_EQ(DialogTower::Text(info, 7124), "Film 1: Director's Cut");
    DialogTower::Press(info, IDOK);
    EXPECT_EQ(PaymentsIn(tower.log), (Payments{{15, 0, &tower.def}}));
    EXPECT_EQ(tower.Schedule()->GetTitle(), "Film 1: Director's Cut");
    EXPECT_EQ(tower.Schedule()->GetShowDays(), 0);
}

// The list holds the showable films in the document's order (an empty list none); the preselection is the
// accepted film, else the current one while showable, else the first listed.
TEST_F(MovieSelectDialog, ListOrderAndPreselection)
{
    WbFilmInfo notRoadshow = FilmInfo(2);
    notRoadshow.roadshow = false;
    WbMoviePlugin* first = tower.AddFilm(FilmInfo(1));
    WbMoviePlugin* hidden = tower.AddFilm(notRoadshow);
    WbMoviePlugin* third = tower.AddFilm(FilmInfo(3));
    WbMoviePlugin* unlisted = tower.AddFilm(FilmInfo(4));
    tower.doc.GetMovieList()->Clear(); // the fourth film is installed but missing from the list
    for (WbMoviePlugin* film : {first, hidden, third})
        tower.doc.GetMovieList()->Append(film);
    using Rows = std::vector<WbMoviePlugin*>;

    tower.Place(third);
    WbDialog* info = tower.OpenSelection();
    EXPECT_EQ(Listed(), std::tuple(Rows{first, third}, 2, third));
    tower.Choose(first);
    DialogTower::Press(tower.Select(), 7092);
    DialogTower::Press(info, 7099);
    EXPECT_EQ(Listed(), std::tuple(Rows{first, third}, 1, first)) << "the accepted film comes first";

    tower.Place(hidden);
    tower.OpenSelection();
    EXPECT_EQ(Listed(), std::tuple(Rows{first, third}, 1, first)) << "an unshowable current film gives way";

    tower.Place(unlisted);
    tower.OpenSelection();
    EXPECT_EQ(std::get<1>(Listed()), 0) << "a showable film missing from the list has no row";
    EXPECT_EQ(DialogTower::Text(tower.Select(), 7124), "Film 4");

    // With no film to offer, "Show" accepts nothing and says nothing; the selection stays open.
    tower.doc.GetMovieList()->Clear();
    tower.Place(hidden);
    info = tower.OpenSelection();
    EXPECT_EQ(DialogTower::Texts(info, {7124, 7126}), (Strings{"Film 2", "The duration has passed."}))
        << "the info dialog shows its film without a list";
    EXPECT_EQ(std::get<Rows>(Listed()), Rows{});
    const int beeps = WbGetBeepCount();
    DialogTower::Press(tower.Select(), 7092);
    EXPECT_EQ(WbGetBeepCount(), beeps);
    EXPECT_EQ(ChangeOn(info), (Change{true, false, nullptr}));
    EXPECT_EQ(tower.Schedule()->IsMovieAccepted(), 0);
}

// The selection always shows stills; a second "Change Film" opens nothing, and only a newly selected row
// moves the preview.
TEST_F(MovieSelectDialog, PreviewShowsPlayTimeCostAndAStillAndFollowsNewRows)
{
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 125));
    WbMoviePlugin* second = tower.AddFilm(FilmInfo(2));
    tower.Place(film);
    tower.doc.SetCurrentDateTime(WbDateTime(1, 700)); // the info dialog plays the film now
    WbDialog* info = tower.OpenSelection();
    EXPECT_EQ(dynamic_cast<WbDlgItemMovie*>(info->GetWbDlgItem(7123))->GetShowing(), WbDlgItemMovie::Showing::Movie);
    WbDialog* select = tower.Select();
    EXPECT_EQ(DialogTower::Texts(select, {7132, 7133, 7131}), (Strings{"2", "5", "1500"}));
    EXPECT_EQ(dynamic_cast<WbDlgItemMovie*>(select->GetWbDlgItem(7123))->GetShowing(), WbDlgItemMovie::Showing::Still);

    info->ListenToMessage(7099, nullptr);
    EXPECT_EQ(WbDialog::GetOpenDialogs(), (std::vector<WbDialog*>{info, select}));
    select->GetWbDlgItem(7124)->SetDescriptor("marked");
    tower.Choose(film);
    EXPECT_EQ(DialogTower::Text(select, 7124), "marked") << "the highlighted film is not shown again";
    tower.Choose(second);
    EXPECT_EQ(DialogTower::Texts(select, {7124, 7132, 7133}), (Strings{"Film 2", "2", "0"})) << "120 minutes";
    EXPECT_EQ(tower.Schedule()->GetSelectedMovie(), second);

    // The selection is modal; another table message, or a notification code in the high word, does nothing.
    EXPECT_EQ(select->IsModal(), 1);
    dynamic_cast<LListener*>(select)->ListenToMessage(1234, film);
    EXPECT_EQ(DialogTower::Text(select, 7124), "Film 2");
    EXPECT_EQ(select->OnWbDialogCommand(0x00010000u | 7092u, 0), 1);
    EXPECT_EQ(ChangeOn(info), (Change{true, false, nullptr}));
}

// An accepted film that can no longer be shown gives way to the first film listed, not to the current one.
TEST_F(MovieSelectDialog, UnshowableAcceptedFilmGivesWayToTheFirstListed)
{
    WbMoviePlugin* listedFirst = tower.AddFilm(FilmInfo(1));
    WbMoviePlugin* current = tower.AddFilm(FilmInfo(2));
    WbMoviePlugin* accepted = tower.AddFilm(FilmInfo(3));
    tower.Place(current);
    WbDialog* info = tower.AcceptFilm(accepted);
    accepted->GetInfo().roadshow = false;
    DialogTower::Press(info, 7099);
    EXPECT_EQ(Listed(), std::tuple(std::vector{listedFirst, current}, 1, listedFirst));
}

// Asking for a theater's info dialog while it is open closes the theater's dialogs and opens it afresh, so
// the film selection never gives its input back to another dialog than the one it was opened from.
TEST_F(MovieSelectDialog, ASecondInfoDialogOfOneTheaterReplacesTheFirstAndNeverStaysDisabled)
{
    tower.Place(tower.AddFilm(FilmInfo(1)));
    tower.OpenSelection();
    WbDialog* second = tower.OpenInfo();
    EXPECT_EQ(WbDialog::GetOpenDialogs(), std::vector<WbDialog*>{second});
    EXPECT_EQ(tower.Schedule()->GetInfoDialog(), second);
    EXPECT_EQ(ChangeOn(second), (Change{false, true, nullptr}));
    DialogTower::Press(second, 7099);
    DialogTower::Press(tower.Select(), IDCANCEL);
    EXPECT_TRUE(second->IsWindowEnabled());
}
