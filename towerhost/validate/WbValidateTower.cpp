// The towers the validator runs are placed and run by the host's own pieces (WbHostTower, WbHostRun,
// WbTowerStore, WbTraceWriter), so that what the validator checks is what the host does.
#include "WbValidateTower.h"

#include "WbCheckContext.h"
#include "WbDemoScenario.h"
#include "WbScenarioReader.h"
#include "WbTenant.h"
#include "WbTraceWriter.h"

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <sstream>

namespace {

// The host's ranges: a tenant's status below 10000 is not on fire, and its pattern index picks one of the
// hundred pictures of its height in the object map.
constexpr int32_t kFireStatus = 10000;
constexpr int32_t kPatternsPerHeight = 100;

int64_t Saturated(int64_t value)
{
    return std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max());
}

} // namespace

WbValidateModule::WbValidateModule(const std::string& path)
    : mDemo(WbScenarioReader().ReadText(WbDemoScenarioText())), mShelf(mDemo.films)
{
    mLoaded = WbLoadPluginModule(path, &mWorldDef);
    if (!mLoaded.module)
        throw WbCheckFailure("the host's loader refuses the module: " + mLoaded.error);
    if (!GetDef())
        throw WbCheckFailure("the module made no tenant definition");
    mShelf.OfferTo(GetDef());
    mFreshFilms = mShelf.Capture();
}

std::unique_ptr<WbHostRun> WbValidateModule::Start(const WbScenario& scenario)
{
    mShelf.Restore(mFreshFilms);
    return std::make_unique<WbHostRun>(WbHostTower::FromScenario(scenario, GetDef(), mShelf), scenario.passesPerMinute);
}

WbScenario WbOneTheaterScenario(const WbScenario& demo, uint32_t seed)
{
    WbScenario scenario = demo;
    scenario.days = 1;
    scenario.seed = seed;
    scenario.theaters = {WbScenarioTheater{.name = "Validation Hall", .film = demo.films.front().id}};
    return scenario;
}

WbScenario WbRandomScenario(const WbScenario& demo, std::mt19937_64& random, int maxTheaters)
{
    auto pick = [&random](int64_t low, int64_t high) {
        return std::uniform_int_distribution<int64_t>(low, high)(random);
    };
    WbScenario scenario = demo;
    scenario.seed = uint32_t(pick(1, 0x7FFFFFFF));
    scenario.startMinute = uint32_t(pick(0, 1439));
    scenario.passesPerMinute = int32_t(pick(1, 3));
    scenario.funds = int32_t(pick(-1000, 1000000));
    scenario.arrivals =
        std::array{WbArrivalMode::Spread, WbArrivalMode::Immediate, WbArrivalMode::None}[size_t(pick(0, 2))];
    scenario.theaters.clear();
    const int64_t count = pick(1, maxTheaters);
    for (int64_t i = 0; i < count; ++i) {
        WbScenarioTheater theater{.name = "Hall " + std::to_string(i + 1)};
        if (const int64_t film = pick(0, int64_t(demo.films.size())); film < int64_t(demo.films.size()))
            theater.film = demo.films[size_t(film)].id;
        if (pick(0, 1))
            theater.capacity = int32_t(pick(0, 400));
        theater.status = pick(0, 3) == 0 ? 9 : 10;
        scenario.theaters.push_back(theater);
    }
    return scenario;
}

WbTowerInvariants::WbTowerInvariants(WbHostRun& run, WbTowerObserver* next)
    : mRun(run), mNext(next), mExpectedFunds(run.GetTower().GetDoc().GetCurrentFunds())
{
    run.AddListener(this);
    run.SetObserver(this);
}

WbTowerInvariants::~WbTowerInvariants() { mRun.SetObserver(nullptr); }

std::string WbTowerInvariants::AnyBreach() const
{
    std::string all;
    for (const std::string* breach : {&mTheaterBreach, &mFundsBreach, &mArgumentBreach})
        if (!breach->empty())
            all += (all.empty() ? "" : "; ") + *breach;
    return all;
}

std::string WbTowerInvariants::When() const
{
    const uint32_t minute = mRun.GetMinute();
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02u:%02u", minute / 60 % 24, minute % 60);
    return "day " + std::to_string(mRun.GetDay()) + " " + clock;
}

void WbTowerInvariants::Note(std::string& breach, const std::string& what) const
{
    if (breach.empty())
        breach = When() + ": " + what;
}

void WbTowerInvariants::OnMinuteEnd(WbHostRun& run)
{
    const WbHostTower& tower = run.GetTower();
    for (int i = 0; i < tower.GetTheaterCount(); ++i) {
        const WbTenant& theater = tower.GetTheater(i);
        const std::string name = "theater " + std::to_string(i + 1) + " ";
        if (theater.GetStatus() < 0 || theater.GetStatus() >= kFireStatus)
            Note(mTheaterBreach, name + "has status " + std::to_string(theater.GetStatus()));
        if (theater.GetPatIndex() < 0 || theater.GetPatIndex() >= kPatternsPerHeight)
            Note(mTheaterBreach, name + "has pattern index " + std::to_string(theater.GetPatIndex()));
        if (theater.GetCustomerCount() > std::max(theater.GetCapacity(), 0))
            Note(mTheaterBreach, name + "holds " + std::to_string(theater.GetCustomerCount()) + " customers in " +
                                     std::to_string(theater.GetCapacity()) + " seats");
    }
    const int32_t funds = tower.GetDoc().GetCurrentFunds();
    if (funds != mExpectedFunds) {
        Note(mFundsBreach, "the funds are " + std::to_string(funds) + ", the payments asked for leave " +
                               std::to_string(mExpectedFunds));
        mExpectedFunds = funds;
    }
}

void WbTowerInvariants::OnTowerReplaced(WbHostRun& run)
{
    mExpectedFunds = run.GetTower().GetDoc().GetCurrentFunds();
    run.SetObserver(this);
}

void WbTowerInvariants::OnTowerEvent(const WbTowerEvent& event)
{
    const int index = mRun.GetTower().FindTheater(event.equip);
    const std::string who = index >= 0 ? "theater " + std::to_string(index + 1) : "the module";
    auto within = [&](const char* call, int64_t low, int64_t high) {
        if (event.value < low || event.value > high)
            Note(mArgumentBreach, who + " called " + call + " with " + std::to_string(event.value) + ", outside " +
                                      std::to_string(low) + "-" + std::to_string(high));
    };
    switch (event.kind) {
    case WbEventKind::PayMoney:
        mExpectedFunds = Saturated(mExpectedFunds - event.value);
        break;
    // The host seats no more than there is room for, so a call for more is allowed; a negative one is not.
    case WbEventKind::Collect:
        within("CollectCustomer", 0, std::numeric_limits<int32_t>::max());
        break;
    case WbEventKind::CallStaff:
        within("CallBelongPeople", 0, 1439);
        break;
    case WbEventKind::Record:
        within("the persons record", 0, std::numeric_limits<int32_t>::max());
        break;
    default:
        break;
    }
    if (mNext)
        mNext->OnTowerEvent(event);
}

WbScratchFile::WbScratchFile(const std::string& name)
    : mPath((std::filesystem::temp_directory_path() / ("towerhost-validate-" + std::to_string(::getpid()) + "-" + name))
                .string())
{
}

WbScratchFile::~WbScratchFile()
{
    std::error_code ignored;
    std::filesystem::remove(mPath, ignored);
}

std::string WbTracedMinutes(WbHostRun& run, int64_t minutes)
{
    static int traces = 0;
    const WbScratchFile file("trace-" + std::to_string(++traces) + ".jsonl");
    {
        WbTraceWriter trace(file.GetPath(), run);
        run.AddListener(&trace);
        run.SetObserver(&trace);
        run.RunMinutes(minutes);
        run.Finish();
        run.SetObserver(nullptr);
        trace.Close();
    }
    std::ifstream text(file.GetPath(), std::ios::binary);
    std::ostringstream contents;
    contents << text.rdbuf();
    return contents.str();
}

std::vector<std::vector<uint8_t>> WbModuleRecords(const WbHostTower& tower)
{
    std::vector<std::vector<uint8_t>> records;
    for (int i = 0; i < tower.GetTheaterCount(); ++i)
        records.push_back(tower.SaveExtraData(i));
    return records;
}
