// The host's run of a tower: who an arrival's events belong to, and a save loaded in place of the running tower.
#include "HostRunFixture.h"
#include "WbTowerFile.h"
#include "WbTowerReport.h"
#include "WbTowerStore.h"

#include <gmock/gmock.h>

namespace {

using HostRunTest = HostRunFixture;

std::string Entry(WbEventKind kind, int theater) { return std::to_string(int(kind)) + "@" + std::to_string(theater); }

// Records each status change and, when it watches the calls, each host call with the theater the run says is
// calling; without, it hears the changes as the day's summary does.
class CallRecorder final : public WbTowerObserver, public WbRunListener {
public:
    explicit CallRecorder(WbHostRun& run, bool watchCalls = true) : mRun(run)
    {
        if (watchCalls)
            run.SetObserver(this);
        run.AddListener(this);
    }
    void OnTowerEvent(const WbTowerEvent& event) override
    {
        mLines.push_back(Entry(event.kind, mRun.GetCallingTheater()));
    }
    void OnStatusChange(WbHostRun&, const WbStatusChange& change) override
    {
        mLines.push_back("status " + std::to_string(change.fromStatus) + ">" + std::to_string(change.toStatus) + "@" +
                         std::to_string(change.theater));
    }
    std::vector<std::string> mLines;

private:
    WbHostRun& mRun;
};

TEST_F(HostRunTest, PeopleWhoReachATheaterWithoutAFilmAreTurnedAwayThere)
{
    CallRecorder recorder(*mRun);
    WbHostTower& tower = mRun->GetTower();
    tower.GetDoc().SetCurrentDateTime(WbDateTime(1, 300));
    tower.GetDoc().ScheduleArrivals(&tower.GetTheater(1), 2);
    mRun->RunMinutes(2);
    EXPECT_EQ(recorder.mLines, std::vector(2, Entry(WbEventKind::TurnAway, 1)));
    EXPECT_EQ(tower.GetTheater(1).GetCustomerCount(), 0);
}

TEST_F(HostRunTest, AnEntryThatFillsHalfTheSeatsIsFollowedByItsStatusChange)
{
    WbHostTower& tower = mRun->GetTower();
    WbTenant& roxy = tower.GetTheater(0);
    tower.GetDoc().SetCurrentDateTime(WbDateTime(1, 600));
    mRun->RunMinutes(1); // the first entry period begins and 40 customers are called
    ASSERT_EQ(roxy.GetStatus(), 30);
    roxy.SetCapacity(6);
    CallRecorder recorder(*mRun);
    mRun->RunMinutes(1);
    // The third of 40 entries takes half of 6 seats; the change is told before the fourth entry.
    const std::string enter = Entry(WbEventKind::Enter, 0);
    ASSERT_GE(recorder.mLines.size(), 6u);
    EXPECT_EQ(std::vector(recorder.mLines.begin(), recorder.mLines.begin() + 6),
              (std::vector<std::string>{enter, enter, enter, Entry(WbEventKind::Redraw, 0), "status 30>31@0", enter}));
}

// Both theaters in an entry period of two seats: the customer who takes half the seats changes the status,
// told in the order of the theaters whoever was called first, and once.
TEST_F(HostRunTest, StatusChangesOfArrivalsAreToldInTheOrderOfTheTheaters)
{
    WbHostTower& tower = mRun->GetTower();
    for (WbTenant* theater : {&tower.GetTheater(0), &tower.GetTheater(1)}) {
        theater->SetMoviePlugin(tower.GetTheater(0).GetSubPlugin());
        theater->SetStatus(30);
        theater->SetPatIndex(1);
        theater->SetCapacity(2);
    }
    CallRecorder recorder(*mRun, false);
    tower.GetDoc().SetCurrentDateTime(WbDateTime(1, 699));
    tower.GetDoc().ScheduleArrivals(&tower.GetTheater(1), 1);
    tower.GetDoc().ScheduleArrivals(&tower.GetTheater(0), 1);
    tower.GetDoc().SetCurrentDateTime(WbDateTime(1, 700));
    mRun->RunMinutes(1);
    ASSERT_GE(recorder.mLines.size(), 2u);
    EXPECT_EQ(std::vector(recorder.mLines.begin(), recorder.mLines.begin() + 2),
              (std::vector<std::string>{"status 30>31@0", "status 30>31@1"}));
    EXPECT_EQ(std::count(recorder.mLines.begin(), recorder.mLines.end(), "status 30>31@1"), 1);
}

TEST_F(HostRunTest, AFailedLoadLeavesTheRunningTowerAndItsFilmsAsTheyWere)
{
    mRun->RunMinutes(WbDateTime::kMinutesPerDay);
    WbTowerImage image = mRun->GetTower().Capture();
    mRun->RunMinutes(700);
    const WbHostTower* running = &mRun->GetTower();
    const nlohmann::ordered_json before = WbTowerReport::Make(*running);
    ASSERT_EQ(before["films"][0]["persons_record"], 40);

    // A file that the tower cannot be rebuilt from: more staff at work than the theater has. It is found
    // only while the new tower is built, after the module has read its records.
    image.films[0].personsRecord = 999;
    const int32_t staff = running->GetTheater(0).GetBelongCapacity();
    image.theaters[0].staffPresent = staff + 1;
    const std::string path = File("too-many-staff.tower");
    WbTowerFile::Save(path, image);
    EXPECT_THAT([&] { WbTowerStore::Load(*mRun, path); },
                testing::ThrowsMessage<WbTowerFileError>(path + ": theaters[0].staff: " + std::to_string(staff + 1) +
                                                         " at work, but the theater's staff is " +
                                                         std::to_string(staff)));
    EXPECT_EQ(&mRun->GetTower(), running);
    EXPECT_EQ(WbTowerReport::Make(mRun->GetTower()), before);

    // The same file with the staff the theater has loads, and brings the saved film record with it.
    image.theaters[0].staffPresent = staff;
    WbTowerFile::Save(path, image);
    WbTowerStore::Load(*mRun, path);
    EXPECT_NE(&mRun->GetTower(), running);
    EXPECT_EQ(WbTowerReport::Make(mRun->GetTower())["films"][0]["persons_record"], 999);
}

} // namespace
