// The theater definition against the stand-in tower: the day's statuses, the windows of the day,
// arrivals, construction, save and load framing, the schedule's lifetime and the composed picture.
#include "TheaterTower.h"

#include "WbArchive.h"
#include "WbImage.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <new>

namespace {

// Allocations are counted only while a test asks for it.
bool gCountAllocations = false;
int gAllocations = 0;

// Minute of the day -> the theater's status after that minute's pass, for one whole day.
std::map<uint32_t, int32_t> RunDay(TheaterTower& tower)
{
    std::map<uint32_t, int32_t> statuses;
    do {
        tower.Step();
        statuses[tower.Minute()] = tower.theater->GetStatus();
    } while (tower.Minute() != 1439);
    return statuses;
}

// Minutes of one whole day at which each kind of event was reported.
std::map<WbEventKind, std::vector<uint32_t>> EventMinutes(TheaterTower& tower)
{
    std::map<WbEventKind, std::vector<uint32_t>> minutes;
    do {
        tower.log.Clear();
        tower.Step();
        for (const WbTowerEvent& event : tower.log.Events())
            minutes[event.kind].push_back(tower.Minute());
    } while (tower.Minute() != 1439);
    return minutes;
}

std::vector<uint32_t> Window(uint32_t from, uint32_t count)
{
    std::vector<uint32_t> minutes;
    for (uint32_t m = from; m < from + count; ++m)
        minutes.push_back(m);
    return minutes;
}

const WbBitImage& PartImage(const WbImageObj& images, int index) { return *images.GetPart(index).image; }

} // namespace

// Every plain and nothrow form is replaced, so that each allocation is counted and freed alike.
namespace {

void* CountedAllocation(std::size_t size) noexcept
{
    if (gCountAllocations)
        ++gAllocations;
    return std::malloc(size ? size : 1);
}

void* CountedOrThrow(std::size_t size)
{
    if (void* block = CountedAllocation(size))
        return block;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t size) { return CountedOrThrow(size); }
void* operator new[](std::size_t size) { return CountedOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return CountedAllocation(size); }
void operator delete(void* block) noexcept { std::free(block); }
void operator delete[](void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { std::free(block); }
void operator delete[](void* block, std::size_t) noexcept { std::free(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { std::free(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { std::free(block); }

TEST(TheaterDay, StatusFollowsTheShowsAndTheAudience)
{
    TheaterTower tower;
    tower.SetTime(1, 1439);
    tower.Place(tower.AddFilm(FilmInfo(1, 120)), 10, 7);
    std::map<uint32_t, int32_t> status = RunDay(tower);

    // 7 customers are called at 600 and arrive at 601; the third turns the entry period half full.
    const std::map<uint32_t, int32_t> expected{{599, 10},  {600, 30},  {601, 31}, {629, 31}, {630, 32},
                                               {749, 32},  {750, 30},  {751, 31}, {780, 32}, {1199, 32},
                                               {1200, 10}, {1320, 10}, {1439, 10}};
    for (const auto& [minute, want] : expected)
        EXPECT_EQ(status[minute], want) << "at minute " << minute;
    EXPECT_EQ(tower.theater->GetPatIndex(), 0);
    EXPECT_EQ(tower.films[0]->GetNOPersonsR(), 7);
    // Four shows of 7, booked once at closing time.
    EXPECT_EQ(tower.doc.GetCurrentFunds(), 4 * 7 * 10);
}

TEST(TheaterDay, HalfCapacityMatchesOnlyOnTheExactCount)
{
    TheaterTower small;
    small.SetTime(1, 1439);
    small.Place(small.AddFilm(FilmInfo(1, 120)), 10, 1);
    for (const auto& [minute, status] : RunDay(small))
        ASSERT_NE(status, 31) << "capacity 1 at minute " << minute;

    // Three already inside when the entry period begins: the fourth does not make it half full.
    TheaterTower tower(WbArrivalMode::None);
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
    tower.Place(film, 30, 7);
    for (int i = 0; i < 3; ++i)
        tower.theater->EnterCustomer(tower.doc.MakePerson(), 0);
    tower.def.EnterTenantProc(&tower.doc, tower.theater.get(), tower.doc.MakePerson());
    EXPECT_EQ(tower.theater->GetStatus(), 30);
    EXPECT_EQ(tower.theater->GetPatIndex(), 0);
}

TEST(TheaterDay, WindowsOfTheDay)
{
    TheaterTower tower;
    tower.SetTime(1, 1439);
    tower.Place(tower.AddFilm(FilmInfo(1, 120)), 10, 7);
    const int32_t fundsBefore = tower.doc.GetCurrentFunds();
    std::map<WbEventKind, std::vector<uint32_t>> at = EventMinutes(tower);

    EXPECT_EQ(at[WbEventKind::Remake], Window(0, 8));
    EXPECT_EQ(at[WbEventKind::CallStaff], Window(540, 8));
    EXPECT_EQ(at[WbEventKind::ClearTotal], Window(600, 8));
    EXPECT_EQ(at[WbEventKind::PayMoney], Window(1320, 8));
    std::vector<uint32_t> hourly;
    for (uint32_t hour = 10; hour < 24; ++hour)
        for (uint32_t m : Window(hour * 60, 8))
            hourly.push_back(m);
    EXPECT_EQ(at[WbEventKind::Estimate], hourly);
    EXPECT_EQ(tower.theater->GetStaff().size(), 0u) << "the staff go home with the last show";
    EXPECT_EQ(tower.doc.GetCurrentFunds() - fundsBefore, 280);
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
        EXPECT_EQ(tower.theater->CalcEstimateColor(), 9);
        tower.SetTime(1, 661);
        EXPECT_EQ(tower.def.UpdateShowStatus(&tower.doc, tower.theater.get(), 32), 0);
    }
}

TEST(TheaterDay, FilmThatStopsRunningClosesTheTheater)
{
    TheaterTower tower;
    tower.SetTime(1, 1439);
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
    tower.Place(film, 10, 7);
    tower.RunTo(700);
    ASSERT_EQ(tower.theater->GetStatus(), 32);

    film->GetInfo().roadshow = false;
    tower.log.Clear();
    tower.Step();
    EXPECT_EQ(tower.theater->GetStatus(), 10);
    EXPECT_EQ(tower.log.Kinds(),
              (std::vector{WbEventKind::PushOutCustomers, WbEventKind::Record, WbEventKind::PushOutAll}));
    EXPECT_EQ(tower.Schedule()->IsRunEnded(), 1);

    // It stays closed for the rest of the day and the next, though the film would be showable again.
    film->GetInfo().roadshow = true;
    for (int day = 0; day < 2; ++day)
        for (const auto& [minute, status] : RunDay(tower))
            ASSERT_EQ(status, 10) << "at minute " << minute;
}

TEST(TheaterDay, EntryOnlyFilmNeverRuns)
{
    TheaterTower tower;
    tower.SetTime(1, 1439);
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 0));
    tower.Place(film, 10, 7);
    const std::map<uint32_t, int32_t> status = RunDay(tower);
    for (const auto& [minute, s] : status)
        ASSERT_NE(s, 32) << "at minute " << minute;
    // Entry periods follow each other without a film between them, so half full lasts the day.
    EXPECT_EQ(status.at(1319), 31);
    EXPECT_EQ(status.at(1320), 10);
    EXPECT_EQ(film->GetNOPersonsR(), 0);
    EXPECT_EQ(tower.log.Count(WbEventKind::Record), 0);
}

TEST(TheaterDay, SteadyStateIdlePassesDoNotAllocate)
{
    TheaterTower tower;
    tower.SetTime(1, 1439);
    tower.Place(tower.AddFilm(FilmInfo(1, 120)), 10, 50);
    tower.doc.SetObserver(nullptr);
    RunDay(tower);
    gAllocations = 0;
    gCountAllocations = true;
    do
        tower.Step();
    while (tower.Minute() != 1439);
    gCountAllocations = false;
    EXPECT_EQ(gAllocations, 0);
    EXPECT_EQ(tower.films[0]->GetNOPersonsR(), 50);
}

TEST(TheaterArrival, WhoIsAdmitted)
{
    TheaterTower tower(WbArrivalMode::None);
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
    tower.Place(film, 10, 7);
    auto arrive = [&tower] { tower.def.EnterTenantProc(&tower.doc, tower.theater.get(), tower.doc.MakePerson()); };

    arrive();
    EXPECT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::TurnAway}));

    // While the film runs, and even late in the day: the leave minute is not wrapped at midnight.
    tower.theater->SetStatus(32);
    tower.SetTime(1, 1300);
    tower.log.Clear();
    arrive();
    ASSERT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::Enter}));
    EXPECT_EQ(tower.log.Events()[0].value, 1450);

    // Any status but closed admits, construction included.
    tower.theater->SetStatus(9);
    arrive();
    EXPECT_EQ(tower.theater->GetCustomerCount(), 2);

    tower.theater->SetMoviePlugin(nullptr);
    tower.theater->SetStatus(30);
    tower.log.Clear();
    arrive();
    EXPECT_EQ(tower.log.Kinds(), (std::vector{WbEventKind::TurnAway}));
}

TEST(TheaterArrival, HalfFullWithoutATowerView)
{
    TheaterTower tower(WbArrivalMode::None);
    tower.Place(tower.AddFilm(FilmInfo(1, 120)), 30, 4);
    tower.doc.SetTowerView(nullptr);
    for (int i = 0; i < 2; ++i)
        tower.def.EnterTenantProc(&tower.doc, tower.theater.get(), tower.doc.MakePerson());
    EXPECT_EQ(tower.theater->GetStatus(), 31);
    EXPECT_EQ(tower.theater->GetPatIndex(), 2);
    EXPECT_EQ(tower.theater->GetDrawMode(), 1);
    EXPECT_EQ(tower.log.Count(WbEventKind::Redraw), 0);
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
        ASSERT_EQ(tower.theater->GetStatus(), step);
        ASSERT_EQ(tower.theater->GetDrawMode(), 1);
    }
    tower.log.Clear();
    tower.def.TenantIdleProc(&tower.doc, tower.theater.get(), 0);
    EXPECT_EQ(tower.theater->GetStatus(), 9);
    EXPECT_EQ(tower.theater->GetDrawMode(), 2);
    EXPECT_EQ(tower.log.Kinds(), std::vector<WbEventKind>{});
    EXPECT_EQ(tower.log.Count(WbEventKind::Redraw), 1);

    tower.RunTo(1439);
    EXPECT_EQ(tower.theater->GetStatus(), 9);
    tower.Step();
    EXPECT_EQ(tower.theater->GetStatus(), 10);
}

TEST(TheaterConstruction, FireStopsTheIdlePass)
{
    TheaterTower tower;
    tower.SetTime(1, 700);
    tower.Place(tower.AddFilm(FilmInfo(1, 120)), 10000, 7);
    tower.def.TenantIdleProc(&tower.doc, tower.theater.get(), 0);
    EXPECT_EQ(tower.theater->GetStatus(), 10000);
    EXPECT_TRUE(tower.log.Events().empty());
}

TEST(TheaterSchedule, MadeOnceAndFreedOnce)
{
    TheaterTower tower;
    tower.SetTime(3, 100);
    WbMoviePlugin* film = tower.AddFilm(FilmInfo(1, 120));
    tower.Place(film);
    void* schedule = tower.theater->GetRefCon();
    ASSERT_NE(schedule, nullptr);
    EXPECT_EQ(tower.Schedule()->GetMovie(), film);
    EXPECT_EQ(tower.doc.GetDayBase(), 3);
    EXPECT_EQ(tower.def.GetRefConObject(&tower.doc, tower.theater.get()), schedule);

    // A second theater keeps the day base the first one set.
    tower.SetTime(5, 100);
    WbTenant second(&tower.doc, &tower.def, RECT{0, 3, 31, 6}, 2);
    tower.def.PrepareTenantProc(&tower.doc, &second);
    EXPECT_EQ(tower.doc.GetDayBase(), 3);

    tower.def.DestructFinish(&tower.doc, &second);
    EXPECT_EQ(second.GetRefCon(), nullptr);
    tower.def.DestructFinish(&tower.doc, &second);
    EXPECT_EQ(second.GetRefCon(), nullptr);
}

TEST(TheaterSaveData, RoundTrip)
{
    TheaterTower saved(WbArrivalMode::None);
    WbFilmInfo info = FilmInfo(42, 120);
    saved.Place(saved.AddFilm(info), 10, 7);
    saved.Schedule()->ProcessStatus(10, 30);
    std::vector<uint8_t> bytes;
    WbArchive out(bytes);
    saved.def.SaveExtraData(out, saved.theater.get());
    ASSERT_EQ(bytes.size(), 24u);

    // A tenant that never had a schedule writes the length 0 alone.
    WbTenant bare(&saved.doc, &saved.def, RECT{}, 2);
    saved.def.SaveExtraData(out, &bare);
    ASSERT_EQ(bytes.size(), 28u);

    TheaterTower loaded;
    loaded.AddFilm(info);
    loaded.theater = std::make_unique<WbTenant>(&loaded.doc, &loaded.def, RECT{0, 0, 31, 3}, 1);
    WbArchive in{std::span<const uint8_t>(bytes)};
    loaded.def.LoadExtraData(in, &loaded.doc, loaded.theater.get());
    EXPECT_EQ(loaded.Schedule()->GetTargetCount(), 7);
    EXPECT_EQ(loaded.Schedule()->GetShowDays(), 1);
    EXPECT_EQ(loaded.theater->GetSubPlugin(), loaded.films[0].get());
    // Loading always gives the tenant a schedule, even from a length of 0.
    WbTenant other(&loaded.doc, &loaded.def, RECT{}, 2);
    loaded.def.LoadExtraData(in, &loaded.doc, &other);
    EXPECT_NE(other.GetRefCon(), nullptr);
    EXPECT_EQ(in.GetRemaining(), 0u);
    loaded.def.DestructFinish(&loaded.doc, &other);
}

TEST(TheaterSaveData, AnyLengthKeepsTheFileInStep)
{
    struct Case {
        int32_t length;
        int payloadBytes;
        int32_t expectedTarget;
    };
    const int32_t kSentinel = 0x5A5A5A5A;
    // A record of 20 bytes: film 0, target 9, best 0, show days 3, spare 0; longer payloads pad it.
    const std::vector<uint8_t> record{0, 0, 0, 0, 9, 0, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0};
    for (const Case& c : {Case{0, 0, -1}, Case{-5, 0, -1}, Case{20, 20, 9}, Case{28, 28, 9}, Case{8, 8, -1}}) {
        std::vector<uint8_t> bytes;
        WbArchive out(bytes);
        out << c.length;
        for (int i = 0; i < c.payloadBytes; ++i)
            out << (i < 20 ? record[size_t(i)] : uint8_t(0xEE));
        out << kSentinel;

        TheaterTower tower;
        tower.theater = std::make_unique<WbTenant>(&tower.doc, &tower.def, RECT{}, 1);
        WbArchive in{std::span<const uint8_t>(bytes)};
        tower.def.LoadExtraData(in, &tower.doc, tower.theater.get());
        int32_t next = 0;
        in >> next;
        EXPECT_EQ(next, kSentinel) << "length " << c.length;
        EXPECT_EQ(tower.Schedule()->GetTargetCount(), c.expectedTarget) << "length " << c.length;
    }
}

TEST(TheaterSaveData, TruncatedArchiveFailsWithoutReadingOn)
{
    for (const std::vector<uint8_t>& bytes :
         {std::vector<uint8_t>{20, 0, 0, 0, 1, 0, 0, 0, 9, 0}, std::vector<uint8_t>{0xFF, 0xFF, 0xFF, 0x7F, 1, 2, 3}}) {
        TheaterTower tower;
        tower.theater = std::make_unique<WbTenant>(&tower.doc, &tower.def, RECT{}, 1);
        WbArchive in(bytes);
        tower.def.LoadExtraData(in, &tower.doc, tower.theater.get());
        EXPECT_TRUE(in.IsFailed());
        EXPECT_EQ(tower.Schedule()->GetTargetCount(), -1);
    }
}

class TheaterDrawing : public testing::Test {
protected:
    void SetUp() override
    {
        film = tower.AddFilm(FilmInfo(77, 120));
        tower.Place(film, 32, 7);
        tower.theater->SetPatIndex(3);
        tower.doc.SetDrawImage(std::make_unique<WbBitImage>(300, 120));
    }
    void Draw()
    {
        RECT area = tower.theater->GetEquipArea();
        tower.def.DrawProc(tower.theater.get(), area, &tower.doc);
    }
    uint8_t Drawn(int x, int y) { return tower.doc.GetDrawImage()->GetPixel(x, y); }
    const WbBitImage& Screen() { return PartImage(*film->GetImageObj(), 0); }
    // A pixel of the theater's frame as the host draws it into an image of the tower's palette.
    uint8_t Frame(int32_t pattern, int x, int y)
    {
        const WbImageObj& images = *tower.def.GetImageObj();
        const int index = images.FindObject(100, pattern, 0, 0, 255);
        WbBitImage frame(248, 96);
        images.DrawObject(&frame, index, RECT{0, 0, 248, 96}, 0, -1);
        return frame.GetPixel(x, y);
    }
    // True when the 200 x 60 block at (left, top) of the tower shows the film's screen at scale 1/step.
    bool ShowsScreenAt(int left, int top, int step)
    {
        for (int y = 0; y < 60 / step; ++y)
            for (int x = 0; x < 200 / step; ++x)
                if (Drawn(left + x, top + y) != Screen().GetPixel(x * step, y * step))
                    return false;
        return true;
    }

    TheaterTower tower;
    WbMoviePlugin* film = nullptr;
};

TEST_F(TheaterDrawing, RunningFilmShowsItsScreenInTheTheater)
{
    Draw();
    EXPECT_TRUE(ShowsScreenAt(14, 96 - 22 - 60, 1));
    EXPECT_EQ(Drawn(5, 5), Frame(303, 5, 5));
    EXPECT_EQ(Drawn(230, 80), Frame(303, 230, 80));
    EXPECT_EQ(Drawn(260, 50), 0) << "nothing outside the theater's area";

    tower.doc.SetZoomLevel(1);
    tower.doc.GetDrawImage()->Fill(0);
    Draw();
    EXPECT_TRUE(ShowsScreenAt(7, 7, 2));
    EXPECT_EQ(Drawn(130, 10), 0);
}

TEST_F(TheaterDrawing, HostDrawsTheTheaterOtherwise)
{
    // The entry period's frame; its curtains cover the screen.
    tower.theater->SetStatus(30);
    tower.theater->SetPatIndex(1);
    Draw();
    EXPECT_FALSE(ShowsScreenAt(14, 14, 1));
    EXPECT_EQ(Drawn(100, 40), Frame(301, 100, 40));

    // Plain drawing: the host's running frame, without the film.
    tower.theater->SetStatus(32);
    tower.theater->SetPatIndex(3);
    tower.doc.SetDrawingMode(1);
    Draw();
    EXPECT_FALSE(ShowsScreenAt(14, 14, 1));
    EXPECT_EQ(Drawn(100, 40), Frame(303, 100, 40));
}
