// The theater's info dialog on template 1000: the film part, the figures, the show times and the film's comments.
#include "DialogTower.h"

#include <gtest/gtest.h>

namespace {

WbDlgItemMovie* Movie(WbDialog* dialog) { return dynamic_cast<WbDlgItemMovie*>(dialog->GetWbDlgItem(7123)); }

} // namespace

// Before the opening the film part shows the film and its still, and the money items the day's figures
// times a hundred; the schedule knows the dialog until its window goes.
TEST(TheaterInfoDialog, FilmPartAndFiguresBeforeTheOpening)
{
    WbFilmInfo film = FilmInfo(1);
    film.secondLine = "A story of the tower";
    film.producer = "P. Roducer";
    film.director = "D. Irector";
    film.performers = "The Cast";
    film.movieName = "film.mov";
    film.stillSource = "STIL";
    film.stillID = 5;
    DialogTower tower;
    tower.Place(tower.AddFilm(film))->SetCounts(0, 7); // income 30 per customer, running cost 5
    WbDialog* info = tower.OpenInfo();
    ASSERT_NE(dynamic_cast<WbTheaterInfoDialog*>(info), nullptr);
    EXPECT_EQ(tower.Schedule()->GetInfoDialog(), info);
    EXPECT_EQ(DialogTower::Text(info, 7124), "Film 1");
    EXPECT_EQ(DialogTower::Text(info, 7125), "A story of the tower");
    EXPECT_EQ(DialogTower::Text(info, 7130),
              "Produced by : P. Roducer / Directed by : D. Irector\t/ Performed by : The Cast");
    EXPECT_EQ(DialogTower::Text(info, 7123), "still STIL 5");
    EXPECT_TRUE(Movie(info)->IsWindowVisible());
    EXPECT_FALSE(info->GetWbDlgItem(7126)->IsWindowVisible());
    EXPECT_EQ(DialogTower::Text(info, 7110), "0");
    EXPECT_EQ(DialogTower::Text(info, 7107), "200"); // 30 x 7 / 100 = 2
    EXPECT_EQ(DialogTower::Text(info, 7108), "500");
    EXPECT_EQ(DialogTower::Text(info, 7109), "-300");
    EXPECT_EQ(DialogTower::Text(info, 7080), "") << "no release-day comment before the film's first show day";
    DialogTower::Press(info, IDCANCEL);
    EXPECT_EQ(tower.Schedule()->GetInfoDialog(), nullptr);

    // From the opening to the end of the last show (20:00 for a 120-minute film) the film plays.
    for (uint32_t minute : {600u, 1199u, 1200u}) {
        tower.doc.SetCurrentDateTime(WbDateTime(1, minute));
        EXPECT_EQ(DialogTower::Text(tower.OpenInfo(), 7123), minute < 1200 ? "movie film.mov" : "still STIL 5")
            << minute;
    }
}

TEST(TheaterInfoDialog, MissingOrExpiredFilmIsAnnouncedOverTheHiddenPicture)
{
    DialogTower tower;
    tower.Place(nullptr);
    WbDialog* none = tower.OpenInfo();
    EXPECT_FALSE(Movie(none)->IsWindowVisible());
    EXPECT_TRUE(none->GetWbDlgItem(7126)->IsWindowVisible());
    EXPECT_EQ(DialogTower::Text(none, 7126), "Feature title has not been selected.");
    EXPECT_EQ(DialogTower::Text(none, 7124), "");
    EXPECT_EQ(DialogTower::Text(none, 7111), "");

    WbFilmInfo shortRun = FilmInfo(2);
    shortRun.runDays = 1;
    tower.Place(tower.AddFilm(shortRun));
    tower.doc.SetCurrentDateTime(WbDateTime(3, 480));
    EXPECT_EQ(tower.Schedule()->CheckMovieRun(), 0);
    WbDialog* expired = tower.OpenInfo();
    EXPECT_EQ(DialogTower::Text(expired, 7126), "The duration has passed.");
    EXPECT_FALSE(Movie(expired)->IsWindowVisible());
    EXPECT_EQ(DialogTower::Text(expired, 7124), "Film 2");
    EXPECT_EQ(DialogTower::Text(expired, 7110), "") << "the days are not shown once the run has ended";
    EXPECT_EQ(DialogTower::Text(expired, 7111), "10:30 13:00 15:30 18:00 ");
}
TEST(TheaterInfoDialog, FilmCommentsFollowTheBaseComments)
{
    DialogTower tower;
    WbTenant* tenant = tower.Place(tower.AddFilm(FilmInfo(1)));
    tower.Schedule()->ProcessStatus(10, 30); // the film's first show day
    tower.doc.GetRouteNavigator()->SetConnected(tenant, false);
    WbDialog* released = tower.OpenInfo();
    CString noRoute;
    dynamic_cast<WbInfoDialog*>(released)->GetCommentString(2, noRoute);
    EXPECT_EQ(DialogTower::Text(released, 7080), noRoute.Str() + "\rToday is the release of a new film.\r");

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
}

TEST(TheaterInfoDialog, BurningTheaterOffersNoFilmChange)
{
    DialogTower tower;
    tower.Place(tower.AddFilm(FilmInfo(1)), 10000);
    WbDialog* info = tower.OpenInfo();
    EXPECT_FALSE(info->GetWbDlgItem(7099)->IsWindowEnabled());
    EXPECT_EQ(DialogTower::Text(info, 7124), "");
    EXPECT_EQ(DialogTower::Text(info, 7111), "");
    EXPECT_EQ(tower.Schedule()->GetInfoDialog(), nullptr);
    EXPECT_EQ(DialogTower::Press(info, 7099), 0);
    EXPECT_EQ(WbDialog::GetOpenDialogs().size(), 1u);
}
