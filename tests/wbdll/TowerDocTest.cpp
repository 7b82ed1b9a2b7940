// The stand-in tower and the archive its records are saved to, as a theater meets them.
#include "AllocationHook.h"
#include "TheaterTower.h"

#include "WbArchive.h"
#include "WbImage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <set>
#include <tuple>

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

// Theater 1 calls three, theater 2 two, then theater 1 calls its three off and two more: those come after
// theater 2's, in the pending list as at the door.
TEST(TowerArrivals, CustomersCalledAgainAfterACallOffComeAfterThoseCalledMeanwhile)
{
    TheaterTower tower;
    tower.SetTime(1, 600);
    tower.Place(tower.AddFilm(FilmInfo(1)), 30, 100);
    WbTenant other(&tower.doc, &tower.def, RECT{0, 3, 31, 6}, 2);
    other.SetCapacity(100);
    other.SetStatus(30);
    other.SetMoviePlugin(tower.films[0].get());
    tower.def.PrepareTenantProc(&tower.doc, &other);
    tower.theater->CollectCustomer(&tower.doc, 3);
    other.CollectCustomer(&tower.doc, 2);
    tower.theater->ClearReserveCount();
    tower.theater->CollectCustomer(&tower.doc, 2);
    std::vector<uint32_t> listed;
    for (const WbTowerDoc::PendingArrival& arrival : tower.doc.GetPendingArrivalList())
        listed.push_back(arrival.tenant->GetEquipID());
    EXPECT_EQ(listed, (std::vector<uint32_t>{2, 2, 1, 1}));

    tower.log.Clear();
    tower.SetTime(1, 601);
    tower.doc.DeliverArrivals();
    std::vector<uint32_t> entered;
    for (const WbTowerEvent& event : tower.log.Events())
        if (event.kind == WbEventKind::Enter)
            entered.push_back(event.equip->GetEquipID());
    EXPECT_EQ(entered, listed);
    EXPECT_EQ(std::tuple(tower.doc.GetPendingArrivals(), tower.theater->GetReserveCount(), other.GetReserveCount()),
              std::tuple(0, 0, 0));
    tower.def.DestructFinish(&tower.doc, &other);
}

TEST(TowerArrivals, CallsBringNoMoreThanTheSeatsLeft)
{
    TheaterTower tower;
    tower.Place(tower.AddFilm(FilmInfo(1)), 32, 10);
    tower.Admit(3);
    // Three inside leave seven seats; those on their way take them too, and a call for a whole
    // 32-bit count of people brings no more.
    for (int32_t count : {100, 5, INT32_MAX}) {
        tower.theater->CollectCustomer(&tower.doc, count);
        EXPECT_EQ(std::tuple(tower.theater->GetReserveCount(), tower.doc.GetPendingArrivals()), std::tuple(7, 7))
            << count;
    }
}

// Calls the theater's customers off as soon as the given number of them has come in.
class CallOffAfter final : public WbTowerObserver {
public:
    CallOffAfter(WbTenant& theater, int entries) : mTheater(theater), mEntries(entries) {}
    void OnTowerEvent(const WbTowerEvent& event) override
    {
        if (event.kind == WbEventKind::Enter && --mEntries == 0)
            mTheater.ClearReserveCount();
    }

private:
    WbTenant& mTheater;
    int mEntries;
};

} // namespace

// Customers due at the same minute come one after the other; a call-off while they come in stops the rest.
TEST(TowerArrivals, ACallOffWhileCustomersComeInStopsTheRest)
{
    TheaterTower tower;
    tower.SetTime(1, 700);
    tower.Place(tower.AddFilm(FilmInfo(1)), 32, 100);
    CallOffAfter callOff(*tower.theater, 2);
    tower.doc.SetObserver(&callOff);
    tower.theater->CollectCustomer(&tower.doc, 5);
    tower.SetTime(1, 701);
    tower.doc.DeliverArrivals();
    EXPECT_EQ(
        std::tuple(tower.theater->GetCustomerCount(), tower.theater->GetReserveCount(), tower.doc.GetPendingArrivals()),
        std::tuple(2, 0, 0));
    tower.SetTime(1, 720);
    tower.doc.DeliverArrivals();
    EXPECT_EQ(tower.theater->GetCustomerCount(), 2) << "nobody called off comes later";
}

// The document hands out the people it got back before it makes new ones, the last one back first and as
// new; a person it did not make is not taken into its pool.
TEST(TowerPeople, ReleasedPeopleAreHandedOutAgain)
{
    WbTowerDoc doc;
    std::vector<WbPeople*> made;
    for (int i = 0; i < 1500; ++i)
        made.push_back(doc.MakePerson());
    EXPECT_EQ(std::set<WbPeople*>(made.begin(), made.end()).size(), made.size());
    WbPeople stranger(99999);
    made[3]->SetCurTenantID(7);
    made[3]->SetWorkTenant(7);
    made[3]->SetLeaveMinute(900);
    for (WbPeople* person : {made[3], made[1200], &stranger, made[0]})
        doc.ReleasePerson(person);
    EXPECT_EQ(std::vector({doc.MakePerson(), doc.MakePerson(), doc.MakePerson()}),
              std::vector({made[0], made[1200], made[3]}));
    EXPECT_EQ(std::tuple(made[3]->GetCurTenantID(), made[3]->GetWorkTenant(), made[3]->GetLeaveMinute()),
              std::tuple(0u, 0u, 0u))
        << "a person comes back as new";
}

// A pool that runs out of memory as it grows throws and stays as it was: the person made next has the next
// number and is found where that number says.
TEST(TowerPeople, APoolOutOfMemoryStaysAsItWas)
{
    WbTowerDoc doc;
    for (int i = 0; i < 1024; ++i)
        doc.MakePerson();
    int failures = 0;
    for (int n = 1;; ++n) {
        AllocationHook::Arm(n);
        WbPeople* person = nullptr;
        bool threw = false;
        try {
            person = doc.MakePerson();
        } catch (const std::bad_alloc&) {
            threw = true;
        }
        const bool failed = AllocationHook::Disarm();
        EXPECT_EQ(threw, failed);
        if (!failed) {
            ASSERT_NE(person, nullptr);
            EXPECT_EQ(person->GetPeopleID(), 1025u);
            EXPECT_TRUE(doc.IsOwnPerson(person));
            break;
        }
        ++failures;
    }
    EXPECT_GE(failures, 1) << "the 1025th person needs a new block";
}

// A chain's links are kept beside the people: a new person has none, the chain's end clears one, the people a
// host picks lose theirs, and a document that goes keeps its hands off the links of people it did not make.
TEST(TowerPeople, LinksAreKeptBesideThePeople)
{
    WbPeople first(90001), second(90002), third(90003);
    WbPeople* made = nullptr;
    {
        WbTowerDoc doc;
        made = doc.MakePerson();
        EXPECT_EQ(made->GetNextLink(), nullptr);
        made->SetNextLink(&first);
        first.SetNextLink(made);
        EXPECT_EQ(made->GetNextLink(), &first);
        made->SetNextLink(nullptr);
        EXPECT_EQ(made->GetNextLink(), nullptr);
        made->SetNextLink(&second);
    }
    EXPECT_EQ(first.GetNextLink(), made) << "only the document's own people's links go with it";
    second.SetNextLink(&third);
    WbPeople::ForgetLinks([&first](const WbPeople* person) { return person == &first; });
    EXPECT_EQ(first.GetNextLink(), nullptr);
    EXPECT_EQ(second.GetNextLink(), &third);
    second.SetNextLink(nullptr);
}

// A tenant lets in only people its document made, so that an audience can go back to the pool unread.
TEST(TowerPeople, AStrangerIsNotLetIn)
{
    TheaterTower tower;
    tower.SetTime(1, 700);
    tower.Place(tower.AddFilm(FilmInfo(1)), 32);
    WbPeople* customer = tower.doc.MakePerson();
    WbPeople stranger(customer->GetPeopleID());
    tower.theater->EnterCustomer(&stranger, 850);
    tower.theater->EnterCustomer(customer, 850);
    EXPECT_EQ(std::tuple(tower.theater->GetCustomerCount(), stranger.GetCurTenantID()), std::tuple(1, 0u));
    tower.theater->PushOutAllCustomer(&tower.doc);
    EXPECT_EQ(tower.doc.MakePerson(), customer);
    EXPECT_NE(tower.doc.MakePerson(), &stranger) << "the stranger never reaches the pool";
}

TEST(TowerMoney, TheDaysIncomeIsBookedOnce)
{
    TheaterTower tower;
    tower.SetTime(1, 700);
    tower.Place(tower.AddFilm(FilmInfo(1)), 32);
    tower.Admit(3);
    EXPECT_EQ(tower.theater->CalcInMoney(), 30);
    // Once: a later customer of the same day or of a new day is booked on his own.
    for (int32_t day : {1, 2}) {
        tower.SetTime(day, 700);
        EXPECT_EQ(tower.theater->CalcInMoney(), 0);
        tower.theater->EnterCustomer(tower.doc.MakePerson(), 850);
        EXPECT_EQ(tower.theater->CalcInMoney(), 10) << "day " << day;
    }
}

TEST(TowerMoney, FiguresStopAtTheEndsOfTheirRangeInsteadOfWrapping)
{
    WbTowerDoc doc;
    for (const auto& [funds, paid, left] :
         {std::tuple{INT32_MAX - 5, -100, INT32_MAX}, {INT32_MIN + 5, 100, INT32_MIN}}) {
        doc.SetFunds(funds);
        doc.PayMoney(paid, 3, nullptr);
        EXPECT_EQ(doc.GetCurrentFunds(), left);
    }

    // So do a tenant's day's income, customer count and income to book, as a restored tower may hold them.
    TheaterTower tower;
    tower.SetTime(1, 700);
    tower.Place(tower.AddFilm(FilmInfo(1)), 32);
    tower.theater->SetCounts(0, INT32_MAX);
    tower.theater->SetIncome(1, INT32_MAX, INT32_MIN);
    tower.theater->EnterCustomer(tower.doc.MakePerson(), 850);
    EXPECT_EQ(std::tuple(tower.theater->GetTotalCustomer(), tower.theater->GetDayIncome()),
              std::tuple(INT32_MAX, INT32_MAX));
    EXPECT_EQ(tower.theater->CalcInMoney(), INT32_MAX);
}

TEST(TowerTenant, EstimateFollowsTheDaysCustomersAgainstTheSeats)
{
    TheaterTower tower;
    tower.Place(tower.AddFilm(FilmInfo(1)), 32, 10);
    // By minute, the day's customers, the colour and whether it changed: in the first hour of business the
    // colour stays; after it, fewer than 5 is few and 20 a hit.
    for (const auto& [minute, total, colour, changed] : {std::tuple{610u, 0, 10, 0},
                                                         {660u, 4, 9, 1},
                                                         {720u, 5, 10, 1},
                                                         {780u, 19, 10, 0},
                                                         {840u, 20, 12, 1},
                                                         {1380u, 20, 12, 0}}) {
        tower.SetTime(1, minute);
        tower.theater->SetCounts(0, total);
        EXPECT_EQ(tower.theater->UpdateCommercialEstimate(), changed) << "at " << minute;
        EXPECT_EQ(tower.theater->CalcEstimateColor(), colour) << "at " << minute;
    }
}

TEST(TowerFilms, LifePhaseAndReRelease)
{
    TheaterTower tower;
    WbFilmInfo info = FilmInfo(1);
    info.releaseDay = 2;
    info.runDays = 3;
    info.personsRecord = 55;
    WbMoviePlugin* film = tower.AddFilm(info);
    auto phaseOn = [film](int32_t day) {
        const WbDateTime now(day, 0);
        return film->GetMovieLifePhase(&now, 10);
    };
    for (const auto& [day, phase] : {std::pair{11, 0}, std::pair{12, 1}, std::pair{14, 1}, std::pair{15, 2}})
        EXPECT_EQ(phaseOn(day), phase) << "day " << day;

    // Released again 30 days after its run, keeping its record; the event says whether it was.
    film->ChkReMake(34);
    EXPECT_EQ(film->GetInfo().releaseDay, 2);
    film->ChkReMake(35);
    EXPECT_EQ(std::tuple(film->GetInfo().releaseDay, film->GetNOPersonsR()), std::tuple(35, 55));
    ASSERT_EQ(tower.log.Count(WbEventKind::Remake), 2);
    EXPECT_EQ(std::tuple(tower.log.Events()[0].category, tower.log.Events()[1].category), std::tuple(0, 1));

    // A film whose run never ends runs for ever and is never released again.
    film->GetInfo().runDays = 0;
    EXPECT_EQ(phaseOn(10000), 1);
    film->ChkReMake(1000);
    EXPECT_EQ(film->GetInfo().releaseDay, 35);
}

TEST(TowerFilms, TitlesAndScreenPictures)
{
    WbFilmInfo info = FilmInfo(3);
    info.titles[2] = "Film 3 (dubbed)";
    WbMoviePlugin film(info);
    CString dubbed, plain;
    film.GetTitle(dubbed, 2);
    film.GetTitle(plain, 5);
    EXPECT_EQ(std::tuple(dubbed, plain), std::tuple("Film 3 (dubbed)", "Film 3"));

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
    // A 2 x 2 picture with its own palette: index 1 is pure red, 2 pure blue.
    WbBitImage source(2, 2);
    WbPalette palette = WbBitImage::StandardPalette();
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
    EXPECT_EQ(images.GetObjectImage(2), RECT{});

    // Doubled, partly off the target's left edge, red and blue found by colour in the standard palette.
    WbBitImage target(3, 4);
    images.DrawObject(&target, part, RECT{-1, 0, 3, 4}, 0, -1);
    const uint8_t red = 11 + 5 * 36;
    const uint8_t blue = 11 + 5;
    EXPECT_EQ(target.GetPixels(), (std::vector<uint8_t>{red, blue, blue, red, blue, blue, blue, 0, 0, blue, 0, 0}));

    // A transparent index leaves the target's pixel alone; a bad index draws nothing.
    WbBitImage overlay(2, 2);
    overlay.Fill(255);
    images.DrawObject(&overlay, part, RECT{0, 0, 2, 2}, 0, 2);
    const std::vector<uint8_t> drawn{red, 255, 255, 0};
    EXPECT_EQ(overlay.GetPixels(), drawn);
    images.DrawObject(&overlay, 9, RECT{0, 0, 2, 2}, 0, -1);
    EXPECT_EQ(overlay.GetPixels(), drawn);
}

TEST(TowerImages, UnitsToPixelsHalvePerZoomLevel)
{
    for (const auto& [zoom, pixels] : {std::pair{0, RECT{16, 32, 264, 128}}, std::pair{2, RECT{4, 8, 66, 32}}}) {
        RECT area{2, 1, 33, 4};
        UWbCoordinate::UnitToQD(area, zoom, 0);
        EXPECT_EQ(area, pixels) << "zoom " << zoom;
    }
}

TEST(WbArchive, StoresLittleEndianAndReadsBack)
{
    std::vector<uint8_t> bytes{0xAA}; // a store appends after what is there
    WbArchive out(bytes);
    out << int8_t(-2) << uint8_t(200) << int32_t(-123456) << uint32_t(0x43494E45);
    EXPECT_EQ(out.GetPosition(), 10u);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xAA, 0xFE, 200, 0xC0, 0x1D, 0xFE, 0xFF, 0x45, 0x4E, 0x49, 0x43}));

    WbArchive in(std::span<const uint8_t>(bytes).subspan(1));
    int8_t small = 0;
    uint8_t byte = 0;
    int32_t signedValue = 0;
    uint32_t code = 0;
    in >> small >> byte >> signedValue >> code;
    EXPECT_EQ(std::tuple(small, byte, signedValue, code, in.IsFailed(), in.GetRemaining()),
              std::tuple(int8_t(-2), uint8_t(200), -123456, 0x43494E45u, false, 0u));
}

TEST(WbArchive, ReadingPastTheEndYieldsZeroAndStaysFailed)
{
    const std::vector<uint8_t> bytes{1, 2, 3, 4, 5, 6};
    WbArchive in(bytes);
    int32_t first = 0;
    int32_t second = 77;
    in >> first >> second;
    EXPECT_EQ(std::tuple(first, second, in.IsFailed()), std::tuple(0x04030201, 0, true));
    // The short value consumed nothing; what remains still reads, but the failure is kept.
    uint8_t byte = 0;
    in >> byte;
    EXPECT_EQ(std::tuple(byte, in.IsFailed()), std::tuple(5, true));

    // A write to a loading archive and a read from a storing one fail alike.
    WbArchive loading(bytes);
    loading << int32_t(5);
    EXPECT_TRUE(loading.IsFailed());
    std::vector<uint8_t> stored;
    WbArchive storing(stored);
    uint32_t value = 9;
    storing >> value;
    EXPECT_EQ(std::tuple(value, storing.IsFailed()), std::tuple(0u, true));
}
