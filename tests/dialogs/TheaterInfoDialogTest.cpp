// The theater's info dialog on template 1000: the film part, the figures, the show times and the film's comments.
#include "DialogTower.h"

#include <gtest/gtest.h>

namespace {

WbDlgItemMovie* Movie(WbDialog* dialog) { return dynamic_cast<WbDlgItemMovie*>(dialog->GetWbDlgItem(7123)); }

// A film with a movie and a still, "filmN.mov" and still N of "STIL".
WbFilmInfo Shown(uint32_t id)
{
    WbFilmInfo info = FilmInfo(id);
    std::tie(info.movieName, info.stillSource, info.stillID) =
        std::tuple(CString("film" + std::to_string(id) + ".mov"), CString("STIL"), int32_t(id));
    return info;
}

// Each item of a dialog as the player sees it: ID, text, shown, usable, place.
using ItemState = std::tuple<int, std::string, bool, bool, RECT>;
std::vector<ItemState> ItemStates(const WbDialog& dialog)
{
    std::vector<ItemState> states;
    for (const auto& item : dialog.GetItems())
        states.emplace_back(item->GetID(), item->GetDisplayText().Str(), item->IsWindowVisible(),
                            item->IsWindowEnabled(), item->GetRect());
    return states;
}

// A tower with "Film 1" and "Film 2" installed.
class TheaterInfoDialog : public ::testing::Test {
protected:
    DialogTower tower;
    WbMoviePlugin* film = tower.AddFilm(Shown(1));
    WbMoviePlugin* next = tower.AddFilm(Shown(2));
};

} // namespace

// Before the opening the film part shows the film and its still, and the money items the day's figures
// times a hundred; the schedule knows the dialog until its window goes.
TEST_F(TheaterInfoDialog, FilmPartAndFiguresBeforeTheOpening)
{
    WbFilmInfo& credits = film->GetInfo();
    std::tie(credits.secondLine, credits.producer, credits.director, credits.performers) =
        std::tuple("A story of the tower", "P. Roducer", "D. Irector", "The Cast");
    tower.Place(film)->SetCounts(0, 7); // income 30 per customer, running cost 5
    WbDialog* info = tower.OpenInfo();
    EXPECT_EQ(tower.Schedule()->GetInfoDialog(), info);
    // The revenue is 30 x 7 / 100 = 2, shown times a hundred; no release-day comment before the film's first
    // show day.
    EXPECT_EQ(DialogTower::Texts(info, {7124, 7125, 7123, 7110, 7107, 7108, 7109, 7080}),
              (Strings{"Film 1", "A story of the tower", "still STIL 1", "0", "200", "500", "-300", ""}));
    EXPECT_EQ(DialogTower::Text(info, 7130),
              "Produced by : P. Roducer / Directed by : D. Irector\t/ Performed by : The Cast");
    EXPECT_TRUE(Movie(info)->IsWindowVisible());
    EXPECT_FALSE(info->GetWbDlgItem(7126)->IsWindowVisible());
    DialogTower::Press(info, IDCANCEL);
    EXPECT_EQ(tower.Schedule()->GetInfoDialog(), nullptr);

    // From the opening to the end of the last show (20:00 for a 120-minute film) the film plays.
    for (uint32_t minute : {600u, 1199u, 1200u}) {
        tower.doc.SetCurrentDateTime(WbDateTime(1, minute));
        EXPECT_EQ(DialogTower::Text(tower.OpenInfo(), 7123), minute < 1200 ? "movie film1.mov" : "still STIL 1")
            << minute;
    }
}

// A theater without a film, or with one past its run, says so over the hidden picture. The ended run alone
// makes a film expired, though the film itself could be shown; applying another film ends it, and the next
// day's shows begin.
TEST_F(TheaterInfoDialog, MissingOrExpiredFilmIsAnnouncedOverTheHiddenPicture)
{
    tower.Place(nullptr);
    WbDialog* none = tower.OpenInfo();
    EXPECT_EQ(std::tuple(Movie(none)->IsWindowVisible(), none->GetWbDlgItem(7126)->IsWindowVisible(),
                         DialogTower::Text(none, 7126), DialogTower::Text(none, 7124), DialogTower::Text(none, 7111)),
              std::tuple(false, true, "Feature title has not been selected.", "", ""));

    tower.Place(film);
    tower.Schedule()->SetRunEnded(1);
    WbDialog* ended = tower.OpenInfo();
    EXPECT_EQ(
        std::tuple(DialogTower::Text(ended, 7126), Movie(ended)->IsWindowVisible(), DialogTower::Text(ended, 7110)),
        std::tuple("The duration has passed.", false, ""))
        << "the days are not shown once the run has ended";
    DialogTower::Press(ended, IDCANCEL);
    DialogTower::Press(tower.AcceptFilm(next), IDOK);
    EXPECT_EQ(tower.Schedule()->IsRunEnded(), 0);
    tower.RunTo(631);
    EXPECT_EQ(tower.theater->GetStatus(), 32);

    next->GetInfo().runDays = 1;
    tower.Place(next);
    tower.doc.SetCurrentDateTime(WbDateTime(3, 480));
    EXPECT_EQ(tower.Schedule()->CheckMovieRun(), 0);
    WbDialog* expired = tower.OpenInfo();
    EXPECT_EQ(std::tuple(DialogTower::Text(expired, 7126), Movie(expired)->IsWindowVisible(),
                         DialogTower::Text(expired, 7124), DialogTower::Text(expired, 7111)),
              std::tuple("The duration has passed.", false, "Film 2", "10:30 13:00 15:30 18:00 "));
}

TEST_F(TheaterInfoDialog, FilmCommentsFollowTheBaseCommentsAndReadTheSchedulesFilm)
{
    WbTenant* tenant = tower.Place(film);
    tower.Schedule()->ProcessStatus(10, 30); // the film's first show day
    tower.doc.GetRouteNavigator()->SetConnected(tenant, false);
    WbDialog* released = tower.OpenInfo();
    EXPECT_EQ(DialogTower::Text(released, 7080),
              "There is no way in from the lobby. Connect the entrance with stairs or an elevator.\r"
              "Today is the release of a new film.\r");

    tower.doc.GetRouteNavigator()->SetConnected(tenant, true);
    tower.doc.SetCurrentDateTime(WbDateTime(1, 720));
    const struct {
        int32_t customers;
        const char* comments;
    } cases[] = {{400, "Business is a big hit.\rToday is the release of a new film.\r"},
                 {99, "There are not many customers.\rToday is the release of a new film.\r"},
                 {200, "Today is the release of a new film.\r"}};
    for (const auto& c : cases) {
        tenant->SetCounts(0, c.customers);
        tenant->UpdateCommercialEstimate();
        EXPECT_EQ(DialogTower::Text(tower.OpenInfo(), 7080), c.comments) << c.customers;
    }

    // They read the schedule's film as it stands before the dialog takes up the tenant's film again.
    tower.Schedule()->SetMovie(nullptr);
    WbDialog* info = tower.OpenInfo();
    EXPECT_EQ(std::tuple(DialogTower::Text(info, 7080), DialogTower::Text(info, 7124), Movie(info)->IsWindowVisible()),
              std::tuple("", "Film 1", true));
}

// A film too long for the opening hours has no show: no show times, and its still rather than its movie, at
// noon as before the opening; hours that close before they open have no show either. A film accepted at noon
// by a theater without one shows its still too.
TEST_F(TheaterInfoDialog, FilmWithoutShowsAndFilmAcceptedWhileClosedShowTheirStill)
{
    film->GetInfo().runningTime = 720;
    tower.Place(film);
    tower.doc.SetCurrentDateTime(WbDateTime(1, 720));
    WbDialog* info = tower.OpenInfo();
    EXPECT_EQ(std::tuple(DialogTower::Text(info, 7111), DialogTower::Text(info, 7123)), std::tuple("", "still STIL 1"));
    film->GetInfo().runningTime = 120;
    tower.theater->SetHours(1320, 600);
    EXPECT_EQ(DialogTower::Text(tower.OpenInfo(), 7111), "") << "hours closing before they open";

    tower.Place(nullptr);
    info = tower.AcceptFilm(next);
    EXPECT_EQ(std::tuple(DialogTower::Text(info, 7123), Movie(info)->IsWindowVisible()),
              std::tuple("still STIL 2", true));
}

// A burning theater's dialog leaves the film part alone and offers no film change; a film accepted before
// the fire is still applied and paid for by its OK.
TEST_F(TheaterInfoDialog, BurningTheaterOffersNoFilmChangeButAppliesAnEarlierAcceptance)
{
    tower.Place(film);
    DialogTower::Press(tower.AcceptFilm(next), IDCANCEL);
    tower.theater->SetStatus(10000);
    const int32_t funds = tower.doc.GetCurrentFunds();
    WbDialog* info = tower.OpenInfo();
    EXPECT_FALSE(info->GetWbDlgItem(7099)->IsWindowEnabled());
    EXPECT_EQ(std::tuple(DialogTower::Text(info, 7124), DialogTower::Text(info, 7111)), std::tuple("", ""));
    EXPECT_EQ(DialogTower::Press(info, 7099), 0);
    EXPECT_EQ(tower.Select(), nullptr);
    DialogTower::Press(info, IDOK);
    EXPECT_EQ(tower.theater->GetSubPlugin(), next);
    EXPECT_EQ(tower.doc.GetCurrentFunds(), funds - next->GetCost());
}

// Without a document, or without a world definition, both dialogs leave every item as the template has it:
// "Change Film" opens nothing, and a selection dialog lists no film and previews none.
TEST_F(TheaterInfoDialog, NoDocumentOrNoWorldLeavesTheTemplatesAsTheyAre)
{
    tower.doc.SetWorldDef(nullptr);
    for (bool document : {false, true}) {
        SCOPED_TRACE(document ? "no world" : "no document");
        tower.Place(film);
        WbTowerDoc* doc = document ? &tower.doc : nullptr;
        for (int id : {1000, 2000}) {
            WbDialog plain;
            ASSERT_EQ(plain.RealizeText(TemplateFile(id), nullptr, {400, 300, nullptr, UINT(id)}, nullptr), 1);
            WbDialog* dialog = id == 1000 ? static_cast<WbDialog*>(new WbTheaterInfoDialog(tower.theater.get()))
                                          : new WbMovieSelectDialog(tower.theater.get());
            ASSERT_EQ(dialog->RealizeText(TemplateFile(id), tower.theater.get(), {400, 300, nullptr, UINT(id)}, doc),
                      1);
            EXPECT_EQ(ItemStates(*dialog), ItemStates(plain)) << id;
        }
        WbDialog* info = WbDialog::GetOpenDialogs().front();
        DialogTower::Press(info, 7099);
        EXPECT_EQ(WbDialog::GetOpenDialogs().size(), 2u) << "no second selection";
        EXPECT_TRUE(info->IsWindowEnabled());
    }
}
