// The theater's info dialog on template 1000: the film part, the figures, the show times and the film's comments.
#include "DialogTower.h"

#include <gtest/gtest.h>

namespace {

const char* const kNoFilm = "Feature title has not been selected.";
const char* const kExpired = "The duration has passed.";

WbFilmInfo Film(uint32_t id, int32_t runningTime = 120)
{
    WbFilmInfo info = FilmInfo(id, runningTime);
    info.secondLine = "A story of the tower";
    info.producer = "P. Roducer";
    info.director = "D. Irector";
    info.performers = "The Cast";
    info.movieName = "film.mov";
    info.stillSource = "STIL";
    info.stillID = 5;
    return info;
}

WbDlgItemMovie* Movie(WbDialog* dialog) { return dynamic_cast<WbDlgItemMovie*>(dialog->GetWbDlgItem(7123)); }

} // namespace

TEST(TheaterInfoDialog, ShowTimesFollowTheFilmsRunningTime)
{
    const struct {
        int32_t runningTime;
        const char* times;
    } cases[] = {{120, "10:30 13:00 15:30 18:00 "},
                 {90, "10:30 12:30 14:30 16:30 18:30 20:30 "},
                 {691, ""}}; // 691 + 30 minutes do not fit into the 720 opening minutes
    for (const auto& c : cases) {
        DialogTower tower;
        tower.Place(tower.AddFilm(Film(1, c.runningTime)));
        WbDialog* info = tower.OpenInfo();
        EXPECT_EQ(DialogTower::Text(info, 7111), c.times) << c.runningTime;
    }
}

// The definition makes the dialog; the schedule knows it until its window goes.
TEST(TheaterInfoDialog, MoneyItemsShowTheDaysFiguresTimesHundred)
{
    DialogTower tower;
    tower.Place(tower.AddFilm(Film(1)))->SetCounts(0, 7); // income 30 per customer, running cost 5
    WbDialog* info = tower.OpenInfo();
    ASSERT_NE(dynamic_cast<WbTheaterInfoDialog*>(info), nullptr);
    EXPECT_EQ(tower.Info(), info);
    EXPECT_EQ(DialogTower::Text(info, 7107), "200"); // 30 x 7 / 100 = 2
    EXPECT_EQ(DialogTower::Text(info, 7108), "500");
    EXPECT_EQ(DialogTower::Text(info, 7109), "-300");
    EXPECT_EQ(DialogTower::Text(info, 7080), "") << "no release-day comment before the film's first show day";
    DialogTower::Press(info, IDCANCEL);
    EXPECT_EQ(tower.Info(), nullptr);
}

TEST(TheaterInfoDialog, FilmPartShowsTheFilmItsStillOrItsMovingPicture)
{
    DialogTower tower;
    WbMoviePlugin* film = tower.AddFilm(Film(1));
    tower.Place(film);
    WbDialog* before = tower.OpenInfo(); // 8:00, before opening: the still
    EXPECT_EQ(DialogTower::Text(before, 7124), "Film 1");
    EXPECT_EQ(DialogTower::Text(before, 7125), "A story of the tower");
    EXPECT_EQ(DialogTower::Text(before, 7130),
              "Produced by : P. Roducer / Directed by : D. Irector\t/ Performed by : The Cast");
    EXPECT_EQ(Movie(before)->GetShowing(), WbDlgItemMovie::Showing::Still);
    EXPECT_EQ(Movie(before)->GetStillID(), 5);
    EXPECT_TRUE(Movie(before)->IsWindowVisible());
    EXPECT_FALSE(before->GetWbDlgItem(7126)->IsWindowVisible());
    EXPECT_EQ(DialogTower::Text(before, 7110), "0");
    DialogTower::Press(before, IDCANCEL);

    // From the opening to the end of the last show (20:00 for a 120-minute film) the film plays.
    for (uint32_t minute : {600u, 1199u, 1200u}) {
        tower.doc.SetCurrentDateTime(WbDateTime(1, minute));
        WbDialog* info = tower.OpenInfo();
        const bool plays = Movie(info)->GetShowing() == WbDlgItemMovie::Showing::Movie;
        EXPECT_EQ(plays, minute < 1200) << minute;
        DialogTower::Press(info, IDCANCEL);
    }
}

TEST(TheaterInfoDialog, MissingOrExpiredFilmIsAnnouncedOverTheHiddenPicture)
{
    DialogTower tower;
    tower.Place(nullptr);
    WbDialog* none = tower.OpenInfo();
    EXPECT_FALSE(Movie(none)->IsWindowVisible());
    EXPECT_TRUE(none->GetWbDlgItem(7126)->IsWindowVisible());
    EXPECT_EQ(DialogTower::Text(none, 7126), kNoFilm);
    EXPECT_EQ(DialogTower::Text(none, 7124), "");
    EXPECT_EQ(DialogTower::Text(none, 7111), "");
    DialogTower::Press(none, IDCANCEL);

    WbFilmInfo shortRun = Film(2);
    shortRun.runDays = 1;
    tower.Place(tower.AddFilm(shortRun));
    tower.doc.SetCurrentDateTime(WbDateTime(3, 480));
    EXPECT_EQ(tower.Schedule()->CheckMovieRun(), 0);
    WbDialog* expired = tower.OpenInfo();
    EXPECT_EQ(DialogTower::Text(expired, 7126), kExpired);
    EXPECT_FALSE(Movie(expired)->IsWindowVisible());
    EXPECT_EQ(DialogTower::Text(expired, 7124), "Film 2");
    EXPECT_EQ(DialogTower::Text(expired, 7110), "") << "the days are not shown once the run has ended";
    EXPECT_EQ(DialogTower::Text(expired, 7111), "10:30 13:00 15:30 18:00 ");
}

TEST(TheaterInfoDialog, FilmCommentsFollowTheBaseComments)
{
    DialogTower tower;
    WbTenant* tenant = tower.Place(tower.AddFilm(Film(1)));
    tower.Schedule()->ProcessStatus(10, 30); // the film's first show day
    tower.doc.GetRouteNavigator()->SetConnected(tenant, false);
    WbDialog* released = tower.OpenInfo();
    CString noRoute;
    dynamic_cast<WbInfoDialog*>(released)->GetCommentString(2, noRoute);
    EXPECT_EQ(DialogTower::Text(released, 7080), noRoute.Str() + "\rToday is the release of a new film.\r");
    DialogTower::Press(released, IDCANCEL);

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
        WbDialog* info = tower.OpenInfo();
        EXPECT_EQ(DialogTower::Text(info, 7080), c.comments) << c.customers;
        DialogTower::Press(info, IDCANCEL);
    }
}

TEST(TheaterInfoDialog, BurningTheaterOffersNoFilmChange)
{
    DialogTower tower;
    tower.Place(tower.AddFilm(Film(1)), 10000);
    WbDialog* info = tower.OpenInfo();
    EXPECT_FALSE(info->GetWbDlgItem(7099)->IsWindowEnabled());
    EXPECT_EQ(DialogTower::Text(info, 7124), "");
    EXPECT_EQ(DialogTower::Text(info, 7111), "");
    EXPECT_EQ(tower.Schedule()->GetInfoDialog(), nullptr);
    EXPECT_EQ(DialogTower::Press(info, 7099), 0);
    EXPECT_EQ(WbDialog::GetOpenDialogs().size(), 1u);
}
