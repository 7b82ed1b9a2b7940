// The validator's towers keep the host's invariants and repeat, so that a difference found is the module's.
#include "WbTenant.h"
#include "WbValidateTower.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const std::string kModule = THEATER_BIN_DIR "/Theater.wbp";

// Keeps what the invariants passed on.
class EventLog final : public WbTowerObserver {
public:
    void OnTowerEvent(const WbTowerEvent& event) override { kinds.push_back(event.kind); }
    std::vector<WbEventKind> kinds;
};

class ValidateTower : public ::testing::Test {
protected:
    ValidateTower()
        : mModule(kModule), mRun(mModule.Start(WbOneTheaterScenario(mModule.GetDemo(), 3))),
          mInvariants(*mRun, &mEvents)
    {
    }
    ~ValidateTower() override { mRun->Finish(); }

    WbTenant& Theater() const { return mRun->GetTower().GetTheater(0); }

    WbValidateModule mModule;
    std::unique_ptr<WbHostRun> mRun;
    EventLog mEvents;
    WbTowerInvariants mInvariants;
};

} // namespace

TEST_F(ValidateTower, AWholeDayOfTheModuleKeepsEveryInvariantAndPassesEveryEventOn)
{
    mRun->RunMinutes(1440);
    EXPECT_EQ(mInvariants.AnyBreach(), "");
    EXPECT_FALSE(mEvents.kinds.empty());
}

TEST_F(ValidateTower, ATheaterOutsideTheHostsRangesIsCaughtWithItsTime)
{
    mRun->RunMinutes(60);
    Theater().SetPatIndex(100);
    mInvariants.OnMinuteEnd(*mRun);
    // Only the first breach is kept.
    Theater().SetStatus(-1);
    mInvariants.OnMinuteEnd(*mRun);
    EXPECT_EQ(std::tuple(mInvariants.GetTheaterBreach(), mInvariants.GetFundsBreach()),
              std::tuple("day 1 01:00: theater 1 has pattern index 100", ""));
}

TEST_F(ValidateTower, FundsMovedBesideThePaymentsAreCaught)
{
    mRun->RunMinutes(30);
    WbTowerDoc& doc = mRun->GetTower().GetDoc();
    doc.PayMoney(250, 0, nullptr);
    mInvariants.OnMinuteEnd(*mRun);
    EXPECT_EQ(mInvariants.GetFundsBreach(), "");
    const int32_t funds = doc.GetCurrentFunds();
    doc.SetFunds(funds + 1000);
    mInvariants.OnMinuteEnd(*mRun);
    EXPECT_EQ(mInvariants.GetFundsBreach(), "day 1 00:30: the funds are " + std::to_string(funds + 1000) +
                                                ", the payments asked for leave " + std::to_string(funds));
}

TEST(ValidateTowerArguments, HostCallsWithArgumentsOutOfRangeAreCaughtAndStillPassedOn)
{
    WbValidateModule module(kModule);
    const struct {
        WbEventKind kind;
        int64_t value;
        std::string breach;
    } cases[] = {
        {WbEventKind::Collect, 5, ""},
        {WbEventKind::CallStaff, 1439, ""},
        {WbEventKind::Collect, -1, "theater 1 called CollectCustomer with -1, outside 0-2147483647"},
        {WbEventKind::CallStaff, 1440, "theater 1 called CallBelongPeople with 1440, outside 0-1439"},
    };
    for (const auto& [kind, value, breach] : cases) {
        std::unique_ptr<WbHostRun> run = module.Start(WbOneTheaterScenario(module.GetDemo(), 3));
        EventLog events;
        WbTowerInvariants invariants(*run, &events);
        invariants.OnTowerEvent({.kind = kind, .equip = &run->GetTower().GetTheater(0), .value = value});
        EXPECT_EQ(invariants.GetArgumentBreach(), breach.empty() ? "" : "day 1 00:00: " + breach);
        EXPECT_EQ(events.kinds, std::vector<WbEventKind>{kind});
        run->Finish();
    }
}

TEST_F(ValidateTower, TwoRunsOfOneScenarioTraceAlikeAndAnotherSeedDoesNot)
{
    WbScenario scenario = mModule.GetDemo();
    scenario.days = 1;
    auto trace = [this](const WbScenario& tower) {
        std::unique_ptr<WbHostRun> run = mModule.Start(tower);
        return WbTracedMinutes(*run, 1440);
    };
    const std::string first = trace(scenario);
    EXPECT_EQ(trace(scenario), first);
    scenario.seed += 1;
    EXPECT_NE(trace(scenario), first);
}

TEST(ValidateRandomTowers, OneSeedGivesOneTowerWithinTheScenarioLimits)
{
    const WbValidateModule module(kModule);
    std::mt19937_64 first(77), second(77);
    for (int tower = 0; tower < 20; ++tower) {
        const WbScenario scenario = WbRandomScenario(module.GetDemo(), first, 40);
        EXPECT_EQ(WbRandomScenario(module.GetDemo(), second, 40).theaters, scenario.theaters);
        EXPECT_TRUE(scenario.theaters.size() >= 1 && scenario.theaters.size() <= 40) << scenario.theaters.size();
        EXPECT_LE(scenario.startMinute, 1439u);
        for (const WbScenarioTheater& theater : scenario.theaters)
            EXPECT_TRUE(!theater.film || module.GetDemo().FindFilm(*theater.film)) << *theater.film;
    }
}
