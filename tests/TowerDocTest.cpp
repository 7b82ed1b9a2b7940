// The stand-in tower: arrivals, people, money, the day's income and estimate, construction's end,
// films and pictures, as a theater meets them.
#include "TheaterTower.h"

#include "WbImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

namespace {

// Minutes (of day 1) at which the arrivals of one call of count customers at minute 100 come in.
std::vector<uint32_t> ArrivalMinutes(WbArrivalMode mode, uint32_t seed, int32_t count)
{
    TheaterTower tower(mode);
    tower.SetTime(1, 100);
    tower.Place(tower.AddFilm(FilmInfo(1)), 32, 1000);
    tower.doc.SetArrivals(mode, seed);
    tower.theater->CollectCustomer(&tower.doc, count);
    std::vector<uint32_t> minutes;
    for (uint32_t m = 100; m <= 120; ++m) {
        tower.SetTime(1, m);
        const int32_t before = tower.theater->GetCustomerCount();
        tower.doc.DeliverArrivals();
        for (int32_t i = before; i < tower.theater->GetCustomerCount(); ++i)
            minutes.push_back(m);
    }
    EXPECT_EQ(tower.theater->GetReserveCount(), count - int32_t(minutes.size()));
    return minutes;
}

} // namespace

TEST(TowerArrivals, ModesDecideWhenCalledCustomersCome)
{
    EXPECT_EQ(ArrivalMinutes(WbArrivalMode::Immediate, 1, 3), (std::vector<uint32_t>{101, 101, 101}));
    EXPECT_TRUE(ArrivalMinutes(WbArrivalMode::None, 1, 3).empty());

    const std::vector<uint32_t> spread = ArrivalMinutes(WbArrivalMode::Spread, 7, 40);
    ASSERT_EQ(spread.size(), 40u);
    EXPECT_GE(spread.front(), 101u);
    EXPECT_LE(spread.back(), 108u);
    EXPECT_GT(std::set<uint32_t>(spread.begin(), spread.end()).size(), 1u);
    EXPECT_EQ(ArrivalMinutes(WbArrivalMode::Spread, 7, 40), spread) << "the same seed, the same arrivals";
}

TEST(TowerArrivals, ClearingTheReserveCallsOffPendingArrivals)
{
    TheaterTower tower;
    tower.Place(tower.AddFilm(FilmInfo(1)), 32, 10);
    WbTenant other(&tower.doc, &tower.def, RECT{0, 3, 31, 6}, 2);
    other.SetStatus(32);
    other.SetMoviePlugin(tower.films[0].get());
    tower.theater->CollectCustomer(&tower.doc, 4);
    other.CollectCustomer(&tower.doc, 2);
    tower.theater->ClearReserveCount();
    EXPECT_EQ(tower.doc.GetPendingArrivals(), 2);

    tower.Step();
    EXPECT_EQ(tower.theater->GetCustomerCount(), 0);
    EXPECT_EQ(other.GetCustomerCount(), 2);
    EXPECT_EQ(other.GetReserveCount(), 0);
}

TEST(TowerMoney, TheDaysIncomeIsBookedOnce)
{
    TheaterTower tower;
    tower.SetTime(1, 700);
    tower.Place(tower.AddFilm(FilmInfo(1)), 32);
    tower.doc.SetFunds(1000);
    for (int i = 0; i < 3; ++i)
        tower.theater->EnterCustomer(tower.doc.MakePerson(), 850);
    EXPECT_EQ(tower.theater->CalcInMoney(), 30);
    EXPECT_EQ(tower.theater->CalcInMoney(), 0);
    tower.theater->EnterCustomer(tower.doc.MakePerson(), 850);
    EXPECT_EQ(tower.theater->CalcInMoney(), 10);

    // A new day starts a new day's income.
    tower.SetTime(2, 700);
    EXPECT_EQ(tower.theater->CalcInMoney(), 0);
    tower.theater->EnterCustomer(tower.doc.MakePerson(), 850);
    EXPECT_EQ(tower.theater->CalcInMoney(), 10);

    // A payment lowers the funds, an income (negative) raises them.
    tower.doc.PayMoney(15, 0, nullptr);
    tower.doc.PayMoney(-40, 3, nullptr);
    EXPECT_EQ(tower.doc.GetCurrentFunds(), 1025);
    EXPECT_EQ(tower.log.Events().back().category, 3);
}

TEST(TowerTenant, EstimateFollowsTheDaysCustomersAgainstTheSeats)
{
    TheaterTower tower;
    tower.Place(tower.AddFilm(FilmInfo(1)), 32, 10);
    struct Case {
        uint32_t minute;
        int32_t total;
        int expectedColour;
        int expectedChange;
    };
    // In the first hour of business the colour stays; after it, fewer than 5 is few and 20 a hit.
    for (const Case& c : {Case{610, 0, 10, 0}, Case{660, 4, 9, 1}, Case{720, 5, 10, 1}, Case{780, 19, 10, 0},
                          Case{840, 20, 12, 1}, Case{1380, 20, 12, 0}}) {
        tower.SetTime(1, c.minute);
        tower.theater->SetCounts(0, c.total);
        EXPECT_EQ(tower.theater->UpdateCommercialEstimate(), c.expectedChange) << "at " << c.minute;
        EXPECT_EQ(tower.theater->CalcEstimateColor(), c.expectedColour) << "at " << c.minute;
    }
}

TEST(TowerFilms, LifePhaseCountsDaysFromTheDayBase)
{
    WbFilmInfo info = FilmInfo(1);
    info.releaseDay = 2;
    info.runDays = 3;
    WbMoviePlugin film(info);
    const int32_t dayBase = 10;
    auto phaseOn = [&](int32_t day) {
        const WbDateTime now(day, 0);
        return film.GetMovieLifePhase(&now, dayBase);
    };
    EXPECT_EQ(phaseOn(11), 0);
    EXPECT_EQ(phaseOn(12), 1);
    EXPECT_EQ(phaseOn(14), 1);
    EXPECT_EQ(phaseOn(15), 2);
    film.GetInfo().runDays = 0;
    EXPECT_EQ(phaseOn(10000), 1);
}

TEST(TowerFilms, ReleasedAgainThirtyDaysAfterItsRun)
{
    TheaterTower tower;
    WbFilmInfo info = FilmInfo(1);
    info.runDays = 10;
    info.personsRecord = 55;
    WbMoviePlugin* film = tower.AddFilm(info);
    film->ChkReMake(39);
    EXPECT_EQ(film->GetInfo().releaseDay, 0);
    film->ChkReMake(40);
    EXPECT_EQ(film->GetInfo().releaseDay, 40);
    EXPECT_EQ(film->GetNOPersonsR(), 55);
    ASSERT_EQ(tower.log.Count(WbEventKind::Remake), 2);
    EXPECT_EQ(tower.log.Events()[0].category, 0);
    EXPECT_EQ(tower.log.Events()[1].category, 1);

    // A film that never ends is never released again.
    film->GetInfo().runDays = 0;
    film->ChkReMake(1000);
    EXPECT_EQ(film->GetInfo().releaseDay, 40);
}

TEST(TowerFilms, TitlesAndScreenPictures)
{
    WbFilmInfo info = FilmInfo(3);
    info.titles[2] = "Film 3 (dubbed)";
    WbMoviePlugin film(info);
    CString title;
    film.GetTitle(title, 2);
    EXPECT_EQ(title, "Film 3 (dubbed)");
    film.GetTitle(title, 5);
    EXPECT_EQ(title, "Film 3");

    const WbImageObj& images = *film.GetImageObj();
    const int screen = images.FindObject(WbFourCC("SCRE"), -1, 0, 0, 255);
    ASSERT_GE(screen, 0);
    EXPECT_EQ(images.GetObjectImage(screen), (RECT{0, 0, 200, 60}));
    WbMoviePlugin same(info);
    WbMoviePlugin other(FilmInfo(4));
    EXPECT_EQ(images.GetPart(screen).image->GetPixels(), same.GetImageObj()->GetPart(0).image->GetPixels());
    EXPECT_NE(images.GetPart(screen).image->GetPixels(), other.GetImageObj()->GetPart(0).image->GetPixels());
}

TEST(TowerImages, FindAndDrawParts)
{
    const WbPalette& standard = WbBitImage::StandardPalette();
    EXPECT_EQ(standard[0], (WbRGB{255, 255, 255}));
    EXPECT_EQ(standard[255], (WbRGB{0, 0, 0}));

    // A 2 x 2 picture with its own palette: index 1 is pure red, 2 pure blue.
    WbBitImage source(2, 2);
    WbPalette palette = standard;
    palette[1] = {255, 0, 0};
    palette[2] = {0, 0, 255};
    source.SetPalette(palette);
    source.SetPixel(0, 0, 1);
    source.SetPixel(1, 0, 2);
    source.SetPixel(0, 1, 2);
    WbImageObj images;
    images.AddObject("a", 5, &source, RECT{0, 0, 2, 2}, 7, 0);
    const int part = images.AddObject("b", 5, &source, RECT{0, 0, 2, 2}, 8, 0);
    EXPECT_EQ(images.FindObject(5, 8, 0, 0, 255), part);
    EXPECT_EQ(images.FindObject(5, -1, 0, 0, 255), 0);
    EXPECT_EQ(images.FindObject(6, -1, 0, 0, 255), -1);
    EXPECT_EQ(images.GetObjectImage(-1), RECT{});
    EXPECT_EQ(images.GetObjectImage(2), RECT{});

    // Doubled, partly off the target's left edge, red and blue found by colour in the standard palette.
    WbBitImage target(3, 4);
    images.DrawObject(&target, part, RECT{-1, 0, 3, 4}, 0, -1);
    const uint8_t red = 11 + 5 * 36;
    const uint8_t blue = 11 + 5;
    EXPECT_EQ(target.GetPixel(0, 0), red);
    EXPECT_EQ(target.GetPixel(1, 0), blue);
    EXPECT_EQ(target.GetPixel(2, 1), blue);
    EXPECT_EQ(target.GetPixel(0, 2), blue);
    EXPECT_EQ(target.GetPixel(1, 3), 0);

    // A transparent index leaves the target's pixel alone; a bad index draws nothing.
    WbBitImage overlay(2, 2);
    overlay.Fill(255);
    images.DrawObject(&overlay, part, RECT{0, 0, 2, 2}, 0, 2);
    EXPECT_EQ(overlay.GetPixel(1, 0), 255);
    EXPECT_EQ(overlay.GetPixel(0, 0), red);
    images.DrawObject(&overlay, 9, RECT{0, 0, 2, 2}, 0, -1);
    EXPECT_EQ(overlay.GetPixel(1, 0), 255);
}

TEST(TowerImages, UnitsToPixelsHalvePerZoomLevel)
{
    RECT area{2, 1, 33, 4};
    UWbCoordinate::UnitToQD(area, 0, 0);
    EXPECT_EQ(area, (RECT{16, 32, 264, 128}));
    area = {2, 1, 33, 4};
    UWbCoordinate::UnitToQD(area, 2, 0);
    EXPECT_EQ(area, (RECT{4, 8, 66, 32}));
}

TEST(TowerDefinition, TheaterFramesAndHostDrawing)
{
    TheaterTower tower;
    const WbTenantDefData& data = tower.def.GetDefData();
    EXPECT_EQ(data.itemType, 1720);
    EXPECT_EQ(tower.def.CalcEquipRect(), (RECT{0, 0, 31, 3}));
    EXPECT_EQ(data.openMinute, 600u);
    EXPECT_EQ(data.closeMinute, 1320u);
    EXPECT_EQ(data.subPluginType, WbFourCC("MoPI"));
    const WbImageObj& images = *tower.def.GetImageObj();
    for (int32_t pattern = 300; pattern <= 303; ++pattern) {
        const int index = images.FindObject(100, pattern, 0, 0, 255);
        ASSERT_GE(index, 0) << pattern;
        const RECT rect = images.GetObjectImage(index);
        EXPECT_EQ(rect.right - rect.left, 248);
        EXPECT_EQ(rect.bottom - rect.top, 96);
    }

    // The host draws the frame of the tenant's pattern at its area.
    tower.Place(nullptr, 30);
    tower.theater->SetPatIndex(1);
    tower.doc.SetDrawImage(std::make_unique<WbBitImage>(248, 96));
    RECT area = tower.theater->GetEquipArea();
    tower.def.WbEquipDef::DrawProc(tower.theater.get(), area, &tower.doc);
    // The frame's colours, mapped into the tower's palette.
    const int entry = images.FindObject(100, 301, 0, 0, 255);
    const WbBitImage& frames = *images.GetPart(entry).image;
    const RECT frame = images.GetObjectImage(entry);
    int differing = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 248; ++x) {
            const WbRGB drawn = tower.doc.GetDrawImage()->GetPalette()[tower.doc.GetDrawImage()->GetPixel(x, y)];
            const WbRGB source = frames.GetPalette()[frames.GetPixel(x, frame.top + y)];
            // The tower's colour cube has steps of 51, so no channel is off by more than half a step.
            differing += std::abs(drawn.red - source.red) > 26 || std::abs(drawn.green - source.green) > 26 ||
                         std::abs(drawn.blue - source.blue) > 26;
        }
    EXPECT_EQ(differing, 0);
}
