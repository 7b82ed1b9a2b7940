// The show schedule: the day's target, status processing, the film's run and the save record.
#include "TheaterTower.h"

#include "WbArchive.h"

#include <gtest/gtest.h>

#include <tuple>

namespace {

// The day's first entry period on the schedule itself, with present customers come in.
void OpenWith(TheaterTower& tower, int present)
{
    tower.Schedule()->ProcessStatus(10, 30);
    tower.theater->ClearReserveCount();
    tower.Admit(present);
}

// One day of statuses, with present customers in the hall at the show's end.
void RunDay(TheaterTower& tower, int present)
{
    OpenWith(tower, present);
    tower.Schedule()->ProcessStatus(30, 32);
    tower.Schedule()->ProcessStatus(32, 10);
}

} // namespace

TEST(ShowSchedule, DayTargetFromTheFilmThenFromTheDaysBest)
{
    struct Case {
        int32_t record, firstDayAudience, percentage, best, firstTarget, nextTarget;
    };
    // First day: the film's record, else its first-day audience, else the capacity (7). Later days: the
    // percentage scaled first, then applied, rounded down; 29 x 0.01 x 100 is 28.999999999999996. A target
    // beyond a 32-bit count is the largest count.
    for (const Case& c : {Case{40, 25, 100, 0, 40, 0}, Case{0, 25, 29, 100, 25, 28}, Case{0, 0, 50, 100, 7, 50},
                          Case{0, 25, INT32_MAX, 1000, 25, INT32_MAX}}) {
        TheaterTower tower(WbArrivalMode::None);
        WbFilmInfo info = FilmInfo(1);
        std::tie(info.personsRecord, info.firstDayAudience, info.carryOver) =
            std::tuple(c.record, c.firstDayAudience, c.percentage);
        tower.Place(tower.AddFilm(info), 10, 7);
        WbShowSchedule& schedule = *tower.Schedule();
        RunDay(tower, c.best);
        EXPECT_EQ(tower.log.Events()[1].value, c.firstTarget) << "the whole target is called at once";
        EXPECT_EQ(schedule.GetTargetCount(), c.firstTarget) << "record " << c.record;
        EXPECT_EQ(tower.films[0]->GetNOPersonsR(), std::max(c.record, c.best)) << "only ever raised";

        tower.log.Clear();
        schedule.ProcessStatus(10, 30);
        EXPECT_EQ(schedule.GetTargetCount(), c.nextTarget) << c.percentage << " % of " << c.best;
        EXPECT_EQ(schedule.GetShowDays(), 2);
        // Nobody came on the second day: the target stays 0 and calls nobody, even during the show.
        schedule.ProcessStatus(30, 10);
        schedule.ProcessStatus(10, 30);
        schedule.ProcessStatus(32, 32);
        EXPECT_EQ(schedule.GetTargetCount(), 0);
        EXPECT_EQ(tower.log.Count(WbEventKind::Collect), c.nextTarget ? 1 : 0);
    }
}

TEST(ShowSchedule, EachPassActsOnTheStatusLeftThenOnTheStatusEntered)
{
    using K = WbEventKind;
    struct Case {
        int32_t from, to;
        std::vector<WbEventKind> kinds;
        std::vector<int64_t> values;
    };
    // The target is 10 and 6 customers are inside.
    for (const Case& c : {Case{32, 32, {K::Collect}, {4}}, Case{32, 30, {K::PushOutCustomers, K::Collect}, {6, 10}},
                          Case{32, 10, {K::PushOutCustomers, K::Record, K::PushOutAll}, {6, 6, 0}},
                          Case{30, 10, {K::PushOutAll}, {6}}, Case{10, 32, {K::ClearReserve}, {0}},
                          Case{30, 32, {}, {}}, Case{30, 31, {}, {}}, Case{31, 31, {}, {}}, Case{10, 10, {}, {}}}) {
        TheaterTower tower(WbArrivalMode::None);
        tower.Place(tower.AddFilm(FilmInfo(1)), 10, 10);
        OpenWith(tower, 6);
        tower.log.Clear();
        tower.Schedule()->ProcessStatus(c.from, c.to);
        EXPECT_EQ(tower.log.Kinds(), c.kinds) << c.from << " to " << c.to;
        std::vector<int64_t> values;
        std::ranges::transform(tower.log.Events(), std::back_inserter(values), &WbTowerEvent::value);
        EXPECT_EQ(values, c.values) << c.from << " to " << c.to;
    }
}

// Taking the film away keeps the title the dialogs show, and leaves only the re-release check to act; taking a
// film up refills the title from the film as it is now.
TEST(ShowSchedule, WithoutAFilmOnlyTheReMakeCheckActsAndTheTitleStays)
{
    TheaterTower tower;
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1));
    tower.AddFilm(FilmInfo(2));
    tower.Place(film);
    WbShowSchedule& schedule = *tower.Schedule();
    schedule.SetMovie(nullptr);
    EXPECT_EQ(schedule.GetTitle(), "Film 1");
    // There is no show, and the outputs stay as they were.
    unsigned int entry = 1, start = 2, end = 3;
    EXPECT_EQ(schedule.GetShowTime(1, entry, start, end), 0);
    EXPECT_EQ(std::tuple(entry, start, end), std::tuple(1u, 2u, 3u));
    schedule.ProcessStatus(10, 30);
    schedule.ProcessStatus(32, 10);
    EXPECT_TRUE(tower.log.Events().empty());
    EXPECT_EQ(schedule.GetNOPersonsR(), -1);
    EXPECT_EQ(schedule.CheckMovieRun(), 0);

    // The re-release check asks every film of the definition, with the days since the day base (1).
    tower.SetTime(5, 3);
    schedule.CheckReMake();
    ASSERT_EQ(tower.log.Count(WbEventKind::Remake), 2);
    EXPECT_EQ(tower.log.Events()[0].film, film);
    EXPECT_EQ(tower.log.Events()[1].value, 4);

    film->GetInfo().titles[1] = "Film 1, Restored";
    schedule.SetMovie(film);
    EXPECT_EQ(schedule.GetTitle(), "Film 1, Restored");
}

TEST(ShowSchedule, SaveRecordRoundTrip)
{
    TheaterTower tower(WbArrivalMode::None);
    tower.Place(tower.AddFilm(FilmInfo(0x43494E45)));
    RunDay(tower, 9);
    tower.Schedule()->ProcessStatus(10, 30);
    std::vector<uint8_t> bytes;
    WbArchive out(bytes);
    tower.Schedule()->Write(out);
    // Length 20, then the film ID little-endian, target 9, best attendance 0 of the new day, 2 days.
    EXPECT_EQ(bytes, (std::vector<uint8_t>{20, 0, 0, 0, 0x45, 0x4E, 0x49, 0x43, 9, 0, 0, 0,
                                           0,  0, 0, 0, 2,    0,    0,    0,    0, 0, 0, 0}));

    TheaterTower loaded;
    loaded.AddFilm(FilmInfo(7));
    WbMoviePlugin* sameFilm = loaded.AddFilm(FilmInfo(0x43494E45));
    loaded.Place(nullptr);
    WbShowSchedule& schedule = *loaded.Schedule();
    auto read = [&bytes, &schedule] {
        WbArchive in(std::span<const uint8_t>(bytes).subspan(4));
        schedule.Read(in);
        return in.GetRemaining();
    };
    EXPECT_EQ(read(), 0u);
    EXPECT_EQ(std::tuple(schedule.GetMovie(), loaded.theater->GetSubPlugin(), schedule.GetTitle(),
                         schedule.GetTargetCount(), schedule.GetShowDays()),
              std::tuple(sameFilm, sameFilm, "Film 1128877637", 9, 2));

    // A record whose show days stand at the largest count: the next day wraps round as the saved figure does.
    bytes[16] = bytes[17] = bytes[18] = 0xFF, bytes[19] = 0x7F;
    read();
    schedule.ProcessStatus(10, 30);
    EXPECT_EQ(schedule.GetShowDays(), INT32_MIN);

    // An ID that no installed film has: the counters load, the theater has no film.
    bytes[4] = 99;
    read();
    EXPECT_EQ(std::tuple(schedule.GetMovie(), loaded.theater->GetSubPlugin(), schedule.GetTargetCount()),
              std::tuple(nullptr, nullptr, 9));
}

// A definition without a film list: the start-of-day check asks no film, and a loaded record restores the
// counters while the tenant keeps its film.
TEST(ShowSchedule, DefinitionWithoutAFilmList)
{
    TheaterTower tower;
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1));
    WbTheaterDef bare{WbFourCC("TnDf"), tower.specifier, nullptr, nullptr, &tower.plugin};
    WbTenant tenant(&tower.doc, &bare, RECT{0, 0, 31, 3}, 2);
    tenant.SetMoviePlugin(film);
    bare.PrepareTenantProc(&tower.doc, &tenant);
    WbShowSchedule* schedule = WbShowSchedule::Of(&tenant);
    tower.log.Clear();
    schedule->CheckReMake();
    EXPECT_EQ(tower.log.Count(WbEventKind::Remake), 0);

    std::vector<uint8_t> bytes;
    WbArchive store(bytes);
    store << uint32_t(99) << int32_t(5) << int32_t(6) << int32_t(7) << int32_t(0);
    WbArchive load{std::span<const uint8_t>(bytes)};
    schedule->Read(load);
    EXPECT_EQ(std::tuple(schedule->GetMovie(), tenant.GetSubPlugin(), schedule->GetTargetCount(),
                         schedule->GetBestAttendance(), schedule->GetShowDays()),
              std::tuple(film, film, 5, 6, 7));
    bare.DestructFinish(&tower.doc, &tenant);
}
