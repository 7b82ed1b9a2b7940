// The theater definition on the stand-in tower: its day, arrivals, construction, saves and its picture.
#include "AllocationHook.h"
#include "TheaterTower.h"

#include "WbArchive.h"
#include "WbImage.h"

#include <gtest/gtest.h>

#include <map>
#include <ranges>

namespace {

std::vector<uint32_t> Window(uint32_t from, uint32_t count)
{
    const auto minutes = std::views::iota(from, from + count);
    return {minutes.begin(), minutes.end()};
}

// A whole day, from midnight to 23:59: the minutes each kind of event came at, and each minute's status.
struct DayRecord {
    std::map<WbEventKind, std::vector<uint32_t>> at;
    std::vector<int32_t> status;
};

DayRecord RunDay(TheaterTower& tower)
{
    DayRecord day;
    tower.SetTime(1, 1439);
    do {
        tower.log.Clear();
        tower.Step();
        day.status.push_back(tower.theater->GetStatus());
        for (const WbTowerEvent& event : tower.log.Events()) {
            day.at[event.kind].push_back(tower.Minute());
            EXPECT_TRUE(event.kind != WbEventKind::PayMoney || event.category == 3) << "the day's income";
        }
    } while (tower.Minute() != 1439);
    return day;
}

} // namespace

// The customers called at an entry period's start arrive a minute later; half the capacity makes it 31.
// Capacity 1 has half capacity 0, which no entry reaches. A film of 0 minutes is entry periods only, so 31
// lasts until closing and nobody is counted at a show's end. The shows are looked up up to and including the
// closing minute: a film that ends exactly at closing runs to it, a minute more drops the day's last show. A
// negative running time, even one that leaves a cycle of some minutes, shows nothing.
TEST(TheaterDay, StatusesOfTheDay)
{
    struct Case {
        int32_t runningTime, capacity, record, customers;
        std::map<int32_t, int> minutesIn; // status -> minutes of the day spent in it
        std::map<uint32_t, int32_t> statusAt;
    };
    const Case cases[] = {
        {120, 7, 7, 28, {{30, 4}, {31, 116}, {32, 480}}, {{599, 10}, {600, 30}, {601, 31}, {630, 32}, {751, 31}}},
        {120, 1, 1, 4, {{30, 120}, {32, 480}}, {{629, 30}, {750, 30}, {1199, 32}, {1200, 10}}},
        {0, 7, 0, 7, {{30, 1}, {31, 719}}, {{1319, 31}, {1320, 10}}},
        {90, 7, 7, 42, {{30, 6}, {31, 174}, {32, 540}}, {{1229, 31}, {1230, 32}, {1319, 32}, {1320, 10}}},
        {91, 7, 7, 35, {{30, 5}, {31, 145}, {32, 455}}, {{1113, 31}, {1204, 32}, {1205, 10}, {1320, 10}}},
        {-30, 7, 0, 0, {}, {{600, 10}, {1320, 10}}},
        {-10, 7, 0, 0, {}, {{600, 10}, {1320, 10}}}};
    std::vector<uint32_t> hourly;
    for (uint32_t hour = 10; hour < 24; ++hour)
        std::ranges::copy(Window(hour * 60, 8), std::back_inserter(hourly));
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.runningTime << " minutes, capacity " << c.capacity);
        TheaterTower tower;
        tower.Place(tower.AddFilm(FilmInfo(1, c.runningTime)), 10, c.capacity);
        const DayRecord day = RunDay(tower);
        std::map<int32_t, int> minutesIn;
        for (int32_t status : day.status)
            if (status != 10)
                ++minutesIn[status];
        EXPECT_EQ(minutesIn, c.minutesIn);
        for (const auto& [minute, want] : c.statusAt)
            EXPECT_EQ(day.status[minute], want) << "at minute " << minute;
        EXPECT_EQ(std::tuple(tower.theater->GetPatIndex(), tower.films[0]->GetNOPersonsR()), std::tuple(0, c.record));
        EXPECT_EQ(tower.theater->GetStaff().empty(), !minutesIn.empty()) << "the staff go home with the last show";
        EXPECT_EQ(day.at.at(WbEventKind::Estimate), hourly);
        // Each customer pays 10; the day's income is booked once.
        EXPECT_EQ(tower.doc.GetCurrentFunds(), 10 * c.customers);
    }
}

TEST(TheaterDay, EstimateAsksForARedrawOnlyInTheEstimateView)
{
    for (int viewMode : {0, 2}) {
        TheaterTower tower(WbArrivalMode::None);
        tower.SetTime(1, 660);
        tower.Place(tower.AddFilm(FilmInfo(1, 120)), 32, 7);
        tower.doc.SetViewMode(viewMode);
        // Nobody came today: the estimate turns to few customers.
        EXPECT_EQ(tower.def.UpdateShowStatus(&tower.doc, tower.theater.get(), 32), viewMode == 2 ? 1 : 0);
        tower.SetTime(1, 661);
        EXPECT_EQ(tower.def.UpdateShowStatus(&tower.doc, tower.theater.get(), 32), 0);
    }
}

TEST(TheaterArrival, WhoIsAdmitted)
{
    TheaterTower tower(WbArrivalMode::None);
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
    tower.Place(film, 10, 7);

    tower.Arrive();
    EXPECT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::TurnAway}));

    // While the film runs, and even late in the day: the leave minute is not wrapped at midnight.
    tower.theater->SetStatus(32);
    tower.SetTime(1, 1300);
    tower.log.Clear();
    tower.Arrive();
    ASSERT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::Enter}));
    EXPECT_EQ(tower.log.Events()[0].value, 1450);

    // Any status but closed admits, construction included.
    tower.theater->SetStatus(9);
    tower.Arrive();
    EXPECT_EQ(tower.theater->GetCustomerCount(), 2);

    // Exactly half the seats taken (3 of 7) makes an entry period half full; without a view nothing redraws.
    tower.doc.SetTowerView(nullptr);
    tower.theater->SetStatus(30);
    tower.log.Clear();
    tower.Arrive();
    EXPECT_EQ(std::tuple(tower.theater->GetStatus(), tower.theater->GetPatIndex(), tower.theater->GetDrawMode()),
              std::tuple(31, 2, 1));
    EXPECT_EQ(tower.log.Count(WbEventKind::Redraw), 0);
    tower.theater->SetStatus(30);
    tower.Arrive();
    EXPECT_EQ(tower.theater->GetStatus(), 30);

    tower.theater->SetMoviePlugin(nullptr);
    tower.log.Clear();
    tower.Arrive();
    EXPECT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::TurnAway}));
}

TEST(TheaterConstruction, StepsThenWaitsForTheNextDay)
{
    TheaterTower tower;
    tower.SetTime(1, 1420);
    tower.Place(tower.AddFilm(FilmInfo(1, 120)), 0, 7);
    for (int32_t step = 1; step <= 9; ++step) {
        tower.doc.GetCurrentDateTime()->AdvanceMinute();
        tower.theater->SetDrawMode(0);
        tower.def.TenantIdleProc(&tower.doc, tower.theater.get(), 0);
        ASSERT_EQ(std::pair(tower.theater->GetStatus(), tower.theater->GetDrawMode()), std::pair(step, 1));
    }
    tower.log.Clear();
    tower.def.TenantIdleProc(&tower.doc, tower.theater.get(), 0);
    // The last step only asks for a redraw.
    EXPECT_EQ(std::tuple(tower.theater->GetStatus(), tower.theater->GetDrawMode(), tower.log.Events().size(),
                         tower.log.Count(WbEventKind::Redraw)),
              std::tuple(9, 2, 1u, 1));

    tower.RunTo(1439);
    EXPECT_EQ(tower.theater->GetStatus(), 9);
    tower.Step();
    EXPECT_EQ(tower.theater->GetStatus(), 10);

    // A fire stops the idle pass altogether.
    tower.theater->SetStatus(10000);
    tower.log.Clear();
    tower.RunTo(700);
    EXPECT_EQ(tower.theater->GetStatus(), 10000);
    EXPECT_TRUE(tower.log.Events().empty());
}

TEST(TheaterSchedule, MadeOnceSavedWithItsTenantAndFreedOnce)
{
    TheaterTower tower(WbArrivalMode::None);
    tower.SetTime(3, 100);
    tower.Place(tower.AddFilm(FilmInfo(42, 120)), 10, 7);
    EXPECT_EQ(tower.def.GetRefConObject(&tower.doc, tower.theater.get()), tower.Schedule());

    // A second theater keeps the day base the first one set.
    tower.SetTime(5, 100);
    WbTenant second(&tower.doc, &tower.def, RECT{0, 3, 31, 6}, 2);
    tower.def.PrepareTenantProc(&tower.doc, &second);
    EXPECT_EQ(tower.doc.GetDayBase(), 3);
    tower.def.DestructFinish(&tower.doc, &second);
    tower.def.DestructFinish(&tower.doc, &second);
    EXPECT_EQ(second.GetRefCon(), nullptr) << "a second destruction finds nothing to free";

    // A tenant without a schedule writes the length 0 alone.
    std::vector<uint8_t> bytes;
    WbArchive out(bytes);
    tower.def.SaveExtraData(out, &second);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0, 0, 0, 0}));
}

TEST(TheaterSaveData, AnyLengthKeepsTheFileInStep)
{
    struct Case {
        int32_t length, payloadBytes, expectedTarget;
    };
    const int32_t kSentinel = 0x5A5A5A5A;
    // A record of 20 bytes: film 0, target 9, best 0, show days 3, spare 0; longer payloads pad it. A
    // payload shorter than the length is a file cut short: the load fails and changes nothing.
    const std::vector<uint8_t> record{0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
    for (const Case& c : {Case{0, 0, -1}, Case{-5, 0, -1}, Case{20, 20, 9}, Case{28, 28, 9}, Case{8, 8, -1},
                          Case{20, 6, -1}, Case{0x7FFFFFFF, 3, -1}}) {
        std::vector<uint8_t> bytes;
        WbArchive out(bytes);
        out << c.length;
        for (int i = 0; i < c.payloadBytes; ++i)
            out << (i < 20 ? record[size_t(i)] : uint8_t(0xEE));
        const bool cut = c.payloadBytes < c.length;
        if (!cut)
            out << kSentinel;

        TheaterTower tower;
        tower.theater = std::make_unique<WbTenant>(&tower.doc, &tower.def, RECT{}, 1);
        WbArchive in{std::span<const uint8_t>(bytes)};
        tower.def.LoadExtraData(in, &tower.doc, tower.theater.get());
        int32_t next = 0;
        in >> next;
        EXPECT_EQ(std::tuple(tower.Schedule()->GetTargetCount(), in.IsFailed(), next),
                  std::tuple(c.expectedTarget, cut, cut ? 0 : kSentinel))
            << "length " << c.length;
    }
}

// The film's screen at scale 1/step in the 200 x 60 block at (left, top) of the tower's picture.
bool ShowsScreenAt(TheaterTower& tower, int left, int top, int step)
{
    const WbBitImage& screen = *tower.films[0]->GetImageObj()->GetPart(0).image;
    for (int y = 0; y < 60 / step; ++y)
        for (int x = 0; x < 200 / step; ++x)
            if (tower.doc.GetDrawImage()->GetPixel(left + x, top + y) != screen.GetPixel(x * step, y * step))
                return false;
    return true;
}

TEST(TheaterDrawing, RunningFilmShowsItsScreenInTheFrameAtTheTowersZoom)
{
    TheaterTower tower;
    tower.Place(tower.AddFilm(FilmInfo(77, 120)), 32, 7);
    tower.theater->SetPatIndex(3);
    tower.doc.SetDrawImage(std::make_unique<WbBitImage>(300, 120));
    auto draw = [&tower](int32_t zoom) {
        tower.doc.SetZoomLevel(zoom);
        tower.doc.GetDrawImage()->Fill(0);
        RECT area = tower.theater->GetEquipArea();
        tower.def.DrawProc(tower.theater.get(), area, &tower.doc);
    };
    auto drawn = [&tower](int x, int y) { return tower.doc.GetDrawImage()->GetPixel(x, y); };
    // The running theater's frame, as drawn into an image of the tower's palette.
    const WbImageObj& images = *tower.def.GetImageObj();
    WbBitImage frame(248, 96);
    images.DrawObject(&frame, images.FindObject(100, 303, 0, 0, 255), RECT{0, 0, 248, 96}, 0, -1);

    draw(0);
    EXPECT_TRUE(ShowsScreenAt(tower, 14, 96 - 22 - 60, 1));
    EXPECT_EQ(drawn(5, 5), frame.GetPixel(5, 5));
    EXPECT_EQ(drawn(230, 80), frame.GetPixel(230, 80));
    EXPECT_EQ(drawn(260, 50), 0) << "nothing outside the theater's area";
    draw(1);
    EXPECT_TRUE(ShowsScreenAt(tower, 7, 7, 2));
    EXPECT_EQ(drawn(130, 10), 0);
}

// A film whose run ends at closing time is found out on the closing pass, not on the minute after.
TEST(TheaterDay, ClosingPassStillChecksTheFilmsRun)
{
    for (uint32_t endsAt : {1320u, 1321u}) {
        TheaterTower tower;
        WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 90));
        tower.Place(film, 10, 7);
        tower.SetTime(1, 1300);
        tower.RunTo(endsAt - 1);
        film->GetInfo().roadshow = false;
        tower.RunTo(1322);
        EXPECT_EQ(tower.Schedule()->IsRunEnded(), endsAt == 1320 ? 1 : 0) << endsAt;
    }
}

// The 8-minute windows are not carried across midnight: a call that would begin before minute 0 is not
// made, a booking that would run past 23:59 stops there, and the next day's first minutes book nothing.
// Hours too short for one show (none, or closing before opening) keep the theater closed; the windows run.
TEST(TheaterDay, WindowsThatCrossTheDaysEndsAreCutThere)
{
    const struct {
        uint32_t open, close;
        std::vector<uint32_t> staffCalled, booked;
        uint32_t firstEstimate;
        int32_t statusAtOpening;
    } cases[] = {
        {30, 1435, {}, Window(1435, 5), 60, 30},
        {56, 1380, Window(0, 4), Window(1380, 8), 60, 30},
        {64, 1432, Window(4, 8), Window(1432, 8), 64, 30},
        {600, 749, Window(540, 8), Window(749, 8), 600, 10},
        {600, 600, Window(540, 8), Window(600, 8), 600, 10},
        {1320, 600, Window(1260, 8), {}, 1320, 10},
    };
    for (const auto& c : cases) {
        TheaterTower tower;
        tower.Place(tower.AddFilm(FilmInfo(1, 120)), 10, 7);
        tower.theater->SetHours(c.open, c.close);
        SCOPED_TRACE(testing::Message() << c.open << " to " << c.close);
        RunDay(tower);
        DayRecord day = RunDay(tower); // the second day, after a first day's booking window
        EXPECT_EQ(day.at[WbEventKind::CallStaff], c.staffCalled);
        EXPECT_EQ(day.at[WbEventKind::PayMoney], c.booked);
        EXPECT_EQ(day.at[WbEventKind::Remake], Window(0, 8));
        EXPECT_EQ(day.at[WbEventKind::ClearTotal], Window(c.open, 8));
        EXPECT_EQ(day.at[WbEventKind::Estimate].front(), c.firstEstimate);
        EXPECT_EQ(day.status[c.open], c.statusAtOpening);
        if (c.statusAtOpening == 10) {
            EXPECT_EQ(std::count(day.status.begin(), day.status.end(), 10), 1440);
            EXPECT_FALSE(day.at.contains(WbEventKind::Collect));
            EXPECT_EQ(tower.Schedule()->GetShowDays(), 0);
        }
    }
}

// A tower saved on the last day a 32-bit count holds runs on into the first negative day; its films age by one.
TEST(TheaterDay, ClockPastTheLastCountableDayWrapsAndFilmsAgeByOne)
{
    TheaterTower tower;
    tower.SetTime(INT32_MAX, 1439);
    tower.Place(tower.AddFilm(FilmInfo(1, 120)), 10, 7);
    tower.Step();
    EXPECT_EQ(tower.doc.GetCurrentDateTime()->CalcTotalDays(), INT32_MIN);
    const auto remake = std::ranges::find(tower.log.Events(), WbEventKind::Remake, &WbTowerEvent::kind);
    ASSERT_NE(remake, tower.log.Events().end());
    EXPECT_EQ(remake->value, 1) << "days since the base";
}

// A half-full entry period that loses its film closes at once: closed picture, a redraw, everybody sent out.
TEST(TheaterDay, HalfFullEntryPeriodThatLosesItsFilmCloses)
{
    for (bool runEnds : {true, false}) {
        TheaterTower tower;
        WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
        tower.Place(film, 10, 8);
        tower.SetTime(1, 599);
        tower.RunTo(605);
        ASSERT_EQ(std::pair(tower.theater->GetStatus(), tower.theater->GetPatIndex()), std::pair(31, 2));
        // Either the film's run ends, or the hours are cut short so that closing time has passed.
        if (runEnds)
            film->GetInfo().roadshow = false;
        else
            tower.theater->SetHours(600, 604);
        tower.log.Clear();
        EXPECT_EQ(tower.def.UpdateShowStatus(&tower.doc, tower.theater.get(), 31) & 1, 1) << "redraw";
        EXPECT_EQ(std::pair(tower.theater->GetStatus(), tower.theater->GetPatIndex()), std::pair(10, 0));
        EXPECT_EQ(tower.log.Count(WbEventKind::PushOutAll), 1);
        EXPECT_EQ(tower.log.Count(WbEventKind::PushOutCustomers), 0) << "no show ended";
        EXPECT_TRUE(tower.theater->GetCustomers().empty());
    }
}

// The host draws the theater whenever the theater does not compose its picture itself (the composition is
// the only drawing that allocates). A picture the definition lacks draws nothing: a running theater composes
// an empty picture. A pattern index restored at the top of its range names such a picture.
TEST(TheaterDrawing, HostDrawsInEveryCaseButARunningFilm)
{
    const struct {
        int32_t drawingMode, status, pattern;
        bool film, composed, drawn;
    } cases[] = {{0, 32, 3, true, true, true},          {1, 32, 3, true, false, true},
                 {0, 30, 1, true, false, true},         {0, 10, 0, true, false, true},
                 {0, 32, 3, false, false, true},        {0, 32, 9, true, true, false},
                 {0, 32, INT32_MAX, true, true, false}, {0, 10, INT32_MAX, true, false, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.drawingMode << " " << c.status << " " << c.film << " " << c.pattern);
        TheaterTower tower;
        tower.Place(c.film ? tower.AddFilm(FilmInfo(1, 120)) : nullptr, c.status, 7);
        tower.theater->SetPatIndex(c.pattern);
        tower.doc.SetDrawImage(std::make_unique<WbBitImage>(300, 120));
        tower.doc.SetDrawingMode(c.drawingMode);
        RECT area = tower.theater->GetEquipArea();
        AllocationHook::Arm(0);
        tower.def.DrawProc(tower.theater.get(), area, &tower.doc);
        AllocationHook::Disarm();
        EXPECT_EQ(AllocationHook::Count() > 0, c.composed);
        EXPECT_EQ(std::ranges::any_of(tower.doc.GetDrawImage()->GetPixels(), [](uint8_t p) { return p != 0; }),
                  c.drawn);
    }
}

namespace {

// The days of 40 on which a 3-day film (re-released 30 days on) shows at 11:40, loaded at 8:00 of one day.
std::vector<int32_t> DaysShowing(int32_t reloadOnDay)
{
    TheaterTower tower;
    WbFilmInfo info = FilmInfo(1, 120);
    info.runDays = 3;
    tower.Place(tower.AddFilm(info), 10, 7);
    std::vector<int32_t> days;
    for (int32_t day = 1; day <= 40; ++day) {
        tower.RunTo(480);
        if (day == reloadOnDay) {
            std::vector<uint8_t> bytes;
            WbArchive store(bytes);
            tower.def.SaveExtraData(store, tower.theater.get());
            tower.def.DestructFinish(&tower.doc, tower.theater.get());
            WbArchive load{std::span<const uint8_t>(bytes)};
            tower.def.LoadExtraData(load, &tower.doc, tower.theater.get());
        }
        tower.RunTo(700);
        if (tower.theater->GetStatus() == 32)
            days.push_back(day);
        tower.RunTo(0);
    }
    return days;
}

} // namespace

// Run straight through, a theater whose film's run ended stays dark, even after the film is released again.
// The ended run is not saved: loaded after the re-release, the theater looks at its film afresh and shows it
// until the new run ends.
TEST(TheaterSaveData, LoadedTheaterLooksAtItsFilmAfresh)
{
    EXPECT_EQ(DaysShowing(0), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(DaysShowing(20), (std::vector<int32_t>{1, 2, 3}));
    EXPECT_EQ(DaysShowing(35), (std::vector<int32_t>{1, 2, 3, 35, 36}));
}
