// The show schedule against the stand-in tower: show times, the day's target, status processing,
// the film's run and the save record.
#include "TheaterTower.h"

#include "WbArchive.h"

#include <gtest/gtest.h>

namespace {

struct Show {
    unsigned int entry;
    unsigned int start;
    unsigned int end;
    friend bool operator==(const Show&, const Show&) = default;
};

std::vector<Show> ShowsOf(const WbShowSchedule& schedule)
{
    std::vector<Show> shows;
    Show show{};
    for (int i = 1; schedule.GetShowTime(i, show.entry, show.start, show.end); ++i)
        shows.push_back(show);
    return shows;
}

// Admits count people into the theater, as if they had arrived.
void Admit(TheaterTower& tower, int count)
{
    for (int i = 0; i < count; ++i)
        tower.theater->EnterCustomer(tower.doc.MakePerson(), 0);
}

// Runs one day of statuses on the schedule directly: the first show cycle begins, count customers are
// present at the show's end, and the day's shows end.
void RunDay(TheaterTower& tower, int present)
{
    WbShowSchedule* schedule = tower.Schedule();
    schedule->ProcessStatus(10, 30);
    tower.theater->ClearReserveCount();
    Admit(tower, present);
    schedule->ProcessStatus(30, 32);
    schedule->ProcessStatus(32, 10);
}

} // namespace

TEST(ShowSchedule, ShowTimesDivideTheOpeningHours)
{
    TheaterTower tower;
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
    tower.Place(film);
    WbShowSchedule& schedule = *tower.Schedule();

    EXPECT_EQ(ShowsOf(schedule),
              (std::vector<Show>{{600, 630, 750}, {750, 780, 900}, {900, 930, 1050}, {1050, 1080, 1200}}));
    EXPECT_EQ(schedule.CalcShowStart(film, 0), -1);
    EXPECT_EQ(schedule.CalcShowStart(film, 5), -1);

    film->GetInfo().runningTime = 90;
    const std::vector<Show> ninety = ShowsOf(schedule);
    ASSERT_EQ(ninety.size(), 6u);
    EXPECT_EQ(ninety.back(), (Show{1200, 1230, 1320}));

    // Entry periods only: the film starts and ends at the same minute.
    film->GetInfo().runningTime = 0;
    const std::vector<Show> zero = ShowsOf(schedule);
    ASSERT_EQ(zero.size(), 24u);
    EXPECT_EQ(zero.front().start, 630u);
    EXPECT_EQ(zero.back(), (Show{1290, 1320, 1320}));
}

TEST(ShowSchedule, NoShowsWithoutUsableHoursOrFilm)
{
    TheaterTower tower;
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
    tower.Place(nullptr);
    WbShowSchedule& schedule = *tower.Schedule();

    Show untouched{1, 2, 3};
    EXPECT_EQ(schedule.GetShowTime(1, untouched.entry, untouched.start, untouched.end), 0);
    EXPECT_EQ(untouched, (Show{1, 2, 3}));

    schedule.SetMovie(film);
    tower.theater->SetHours(700, 700);
    EXPECT_TRUE(ShowsOf(schedule).empty());
    // Shorter than one show.
    tower.theater->SetHours(600, 749);
    EXPECT_TRUE(ShowsOf(schedule).empty());
    // Closing before opening would make the unsigned count enormous.
    tower.theater->SetHours(1320, 600);
    EXPECT_TRUE(ShowsOf(schedule).empty());
    tower.theater->SetHours(600, 1320);
    // A negative running time would make shows overlap.
    for (int32_t runningTime : {-30, -10}) {
        film->GetInfo().runningTime = runningTime;
        EXPECT_TRUE(ShowsOf(schedule).empty()) << runningTime;
    }
}

TEST(ShowSchedule, SearchFromTheMinutesCycleFindsTheFirstShowContainingIt)
{
    TheaterTower tower;
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1));
    tower.Place(film);
    const WbShowSchedule& schedule = *tower.Schedule();
    // The first show whose entry period or film contains the minute, searching from a given show.
    auto showContaining = [&schedule](uint32_t m, int from) {
        Show show{};
        for (int i = from; schedule.GetShowTime(i, show.entry, show.start, show.end); ++i)
            if (show.entry <= m && m < show.end)
                return i;
        return 0;
    };
    for (int32_t runningTime : {0, 1, 45, 90, 120, 719}) {
        film->GetInfo().runningTime = runningTime;
        for (uint32_t m = 0; m < 1440; ++m)
            ASSERT_EQ(showContaining(m, schedule.GetShowAt(m)), showContaining(m, 1))
                << "minute " << m << ", running time " << runningTime;
    }
}

TEST(ShowSchedule, FirstDayTargetComesFromRecordThenAudienceThenCapacity)
{
    struct Case {
        int32_t record;
        int32_t firstDayAudience;
        int32_t expected;
    };
    for (const Case& c : {Case{40, 25, 40}, Case{0, 25, 25}, Case{0, 0, 7}}) {
        TheaterTower tower(WbArrivalMode::None);
        WbFilmInfo info = FilmInfo(1);
        info.personsRecord = c.record;
        info.firstDayAudience = c.firstDayAudience;
        tower.Place(tower.AddFilm(info), 10, 7);
        tower.Schedule()->ProcessStatus(10, 30);
        EXPECT_EQ(tower.Schedule()->GetTargetCount(), c.expected) << "record " << c.record;
        EXPECT_EQ(tower.Schedule()->GetShowDays(), 1);
        // The whole target is called at once.
        EXPECT_EQ(tower.theater->GetReserveCount(), c.expected);
    }
}

TEST(ShowSchedule, CarryOverRoundsTheProductDown)
{
    struct Case {
        int32_t percentage;
        int32_t best;
        int32_t expected;
    };
    // 29 x 0.01 x 100 is 28.999999999999996 in double precision.
    for (const Case& c : {Case{29, 100, 28}, Case{50, 100, 50}, Case{100, 0, 0}}) {
        TheaterTower tower(WbArrivalMode::None);
        WbFilmInfo info = FilmInfo(1);
        info.carryOver = c.percentage;
        WbMoviePlugin* film = tower.AddFilm(info);
        tower.Place(film);
        RunDay(tower, c.best);
        EXPECT_EQ(film->GetNOPersonsR(), c.best);
        tower.Schedule()->ProcessStatus(10, 30);
        EXPECT_EQ(tower.Schedule()->GetTargetCount(), c.expected) << c.percentage << " % of " << c.best;
    }
}

TEST(ShowSchedule, ATargetOfZeroCallsNobodyAgain)
{
    TheaterTower tower(WbArrivalMode::None);
    tower.Place(tower.AddFilm(FilmInfo(1)), 10, 7);
    RunDay(tower, 0);
    RunDay(tower, 0);
    EXPECT_EQ(tower.Schedule()->GetTargetCount(), 0);

    tower.log.Clear();
    RunDay(tower, 0);
    tower.Schedule()->ProcessStatus(32, 32);
    EXPECT_EQ(tower.log.Count(WbEventKind::Collect), 0);
}

TEST(ShowSchedule, ShowEndCountsTheAudienceBeforeSendingItAway)
{
    TheaterTower tower(WbArrivalMode::None);
    tower.Place(tower.AddFilm(FilmInfo(1)), 10, 10);
    WbShowSchedule& schedule = *tower.Schedule();
    schedule.ProcessStatus(10, 30);
    tower.theater->ClearReserveCount();
    Admit(tower, 6);
    tower.log.Clear();

    schedule.ProcessStatus(32, 30);
    ASSERT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::PushOutCustomers, WbEventKind::Collect}));
    EXPECT_EQ(tower.log.Events()[0].value, 6);
    EXPECT_EQ(tower.log.Events()[1].value, 10);
    EXPECT_EQ(schedule.GetBestAttendance(), 6);
    EXPECT_EQ(tower.theater->GetCustomerCount(), 0);

    // While the film runs only the missing customers are called.
    Admit(tower, 4);
    tower.log.Clear();
    schedule.ProcessStatus(32, 32);
    ASSERT_EQ(tower.log.Count(WbEventKind::Collect), 0);
    tower.theater->ClearReserveCount();
    schedule.ProcessStatus(32, 32);
    ASSERT_EQ(tower.log.Events().back().kind, WbEventKind::Collect);
    EXPECT_EQ(tower.log.Events().back().value, 6);
}

TEST(ShowSchedule, DayEndRaisesTheRecordAndEmptiesTheTheater)
{
    TheaterTower tower(WbArrivalMode::None);
    WbFilmInfo info = FilmInfo(1);
    info.personsRecord = 3;
    WbMoviePlugin* film = tower.AddFilm(info);
    tower.Place(film);
    tower.theater->CallBelongPeople(540);
    ASSERT_EQ(tower.theater->GetStaff().size(), 2u);

    WbShowSchedule& schedule = *tower.Schedule();
    schedule.ProcessStatus(10, 30);
    Admit(tower, 5);
    tower.log.Clear();
    schedule.ProcessStatus(32, 10);
    EXPECT_EQ(tower.log.Kinds(),
              (std::vector{WbEventKind::PushOutCustomers, WbEventKind::Record, WbEventKind::PushOutAll}));
    EXPECT_EQ(film->GetNOPersonsR(), 5);
    EXPECT_TRUE(tower.theater->GetStaff().empty());

    // An entry period that ends the day has no show end to count.
    schedule.ProcessStatus(10, 30);
    tower.log.Clear();
    schedule.ProcessStatus(30, 10);
    EXPECT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::PushOutAll}));
}

TEST(ShowSchedule, NothingHappensWithoutAFilm)
{
    TheaterTower tower;
    tower.Place(nullptr);
    WbShowSchedule& schedule = *tower.Schedule();
    schedule.ProcessStatus(10, 30);
    schedule.ProcessStatus(30, 32);
    schedule.ProcessStatus(32, 10);
    EXPECT_TRUE(tower.log.Events().empty());
    EXPECT_EQ(schedule.GetNOPersonsR(), -1);
    EXPECT_EQ(schedule.CheckMovieRun(), 0);
}

TEST(ShowSchedule, RunEndStopsTheShowsUntilAFilmIsTakenUp)
{
    TheaterTower tower;
    WbFilmInfo info = FilmInfo(1);
    info.runDays = 2;
    WbMoviePlugin* film = tower.AddFilm(info);
    tower.Place(film);
    WbMovieSchedule& schedule = *tower.Schedule();

    tower.SetTime(2, 700);
    EXPECT_EQ(schedule.CheckMovieRun(), 1);
    tower.SetTime(3, 700);
    EXPECT_EQ(schedule.CheckMovieRun(), 0);
    EXPECT_EQ(schedule.IsRunEnded(), 1);
    EXPECT_TRUE(ShowsOf(schedule).empty());

    // Even when the film would run again, the flag holds until a film is applied.
    film->GetInfo().runDays = 0;
    EXPECT_EQ(schedule.CheckMovieRun(), 0);
    schedule.SetRunEnded(0);
    EXPECT_EQ(schedule.CheckMovieRun(), 1);

    // Only roadshow films are shown.
    film->GetInfo().roadshow = false;
    EXPECT_EQ(schedule.IsMovieShowable(film, tower.doc.GetCurrentDateTime(), tower.doc.GetDayBase()), 0);
}

TEST(ShowSchedule, ReMakeCheckAsksEveryFilmOfTheDefinition)
{
    TheaterTower tower;
    tower.AddFilm(FilmInfo(1));
    tower.AddFilm(FilmInfo(2));
    tower.Place(nullptr);
    tower.SetTime(5, 3);
    tower.Schedule()->CheckReMake();
    ASSERT_EQ(tower.log.Count(WbEventKind::Remake), 2);
    EXPECT_EQ(tower.log.Events()[0].film, tower.films[0].get());
    EXPECT_EQ(tower.log.Events()[1].value, 4); // day base 1
}

TEST(ShowSchedule, SaveRecordRoundTrip)
{
    TheaterTower tower(WbArrivalMode::None);
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(0x43494E45));
    tower.Place(film);
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
    WbArchive in(std::span<const uint8_t>(bytes).subspan(4));
    loaded.Schedule()->Read(in);
    EXPECT_FALSE(in.IsFailed());
    EXPECT_EQ(in.GetRemaining(), 0u);
    EXPECT_EQ(loaded.Schedule()->GetMovie(), sameFilm);
    EXPECT_EQ(loaded.theater->GetSubPlugin(), sameFilm);
    EXPECT_EQ(loaded.Schedule()->GetTitle(), "Film 1128877637");
    EXPECT_EQ(loaded.Schedule()->GetTargetCount(), 9);
    EXPECT_EQ(loaded.Schedule()->GetShowDays(), 2);
}

TEST(ShowSchedule, LoadedRecordWithoutItsFilm)
{
    // Film ID 0, then an ID that no installed film has: the counters load, the theater has no film.
    for (uint8_t id : {0, 99}) {
        const std::vector<uint8_t> record{id, 0, 0, 0, 5, 0, 0, 0, 6, 0, 0, 0, 7, 0, 0, 0, 8, 0, 0, 0};
        TheaterTower tower;
        WbMoviePlugin* film = tower.AddFilm(FilmInfo(1));
        tower.Place(film);
        WbArchive in(record);
        tower.Schedule()->Read(in);
        EXPECT_EQ(tower.Schedule()->GetMovie(), nullptr);
        EXPECT_EQ(tower.theater->GetSubPlugin(), nullptr);
        EXPECT_EQ(tower.Schedule()->GetTargetCount(), 5);
        EXPECT_EQ(tower.Schedule()->GetShowDays(), 7);
    }
}
