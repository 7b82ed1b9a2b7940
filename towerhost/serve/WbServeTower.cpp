// The tower's thread: commands first, then the minutes the clock's speed asks for, then a snapshot for
// the page. Snapshots are immutable once published, so readers share them without a lock of their own.
#include "WbServeTower.h"

#include "WbServeRun.h"

#include <nlohmann/json.hpp>

#include <exception>

namespace {

using Clock = std::chrono::steady_clock;

// At the higher speeds the page gets a picture this often rather than one per minute.
constexpr auto kPublishInterval = std::chrono::milliseconds(100);
// The fastest clock runs minutes for this long between two looks at the commands.
constexpr auto kFastestSlice = std::chrono::milliseconds(50);
// A command that waits longer than this gets 503: the tower is stuck or stopping.
constexpr auto kCommandTimeout = std::chrono::seconds(30);

} // namespace

WbServeTower::WbServeTower(Setup setup) : mSetup(std::move(setup)) {}

WbServeTower::~WbServeTower()
{
    Stop();
    if (mThread.joinable())
        mThread.join();
}

std::string WbServeTower::Start()
{
    std::promise<std::string> started;
    std::future<std::string> result = started.get_future();
    mThread = std::thread([this, &started] { Loop(started); });
    std::string error = result.get();
    if (!error.empty())
        mThread.join();
    return error;
}

void WbServeTower::Stop()
{
    {
        std::lock_guard lock(mMutex);
        mStopping = true;
    }
    mWake.notify_all();
    mNewSnapshot.notify_all();
}

bool WbServeTower::IsStopping() const
{
    std::lock_guard lock(mMutex);
    return mStopping;
}

std::shared_ptr<const WbServeTower::Snapshot> WbServeTower::GetSnapshot() const
{
    std::lock_guard lock(mMutex);
    return mSnapshot;
}

std::shared_ptr<const WbServeTower::Snapshot> WbServeTower::WaitNewer(uint64_t version,
                                                                      std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(mMutex);
    mNewSnapshot.wait_for(lock, timeout, [&] { return mStopping || (mSnapshot && mSnapshot->version > version); });
    return mSnapshot;
}

WbServeTower::Answer WbServeTower::Run(Command command)
{
    std::future<Answer> answer;
    {
        std::lock_guard lock(mMutex);
        if (mStopping)
            return {503, R"({"error":"the tower is stopping"})"};
        mCommands.push_back({std::move(command), {}});
        answer = mCommands.back().answer.get_future();
    }
    mWake.notify_all();
    if (answer.wait_for(kCommandTimeout) != std::future_status::ready)
        return {503, R"({"error":"the tower did not answer in time"})"};
    try {
        return answer.get();
    } catch (const std::future_error&) {
        return {503, R"({"error":"the tower stopped before the command ran"})"};
    }
}

std::deque<WbServeTower::Pending> WbServeTower::TakeCommands(int minutesPerSecond, Clock::time_point nextMinute)
{
    std::unique_lock lock(mMutex);
    const auto ready = [this] { return mStopping || !mCommands.empty(); };
    if (minutesPerSecond == 0)
        mWake.wait(lock, ready);
    else if (minutesPerSecond > 0)
        mWake.wait_until(lock, nextMinute, ready);
    std::deque<Pending> commands;
    commands.swap(mCommands);
    return commands;
}

WbServeTower::Answer WbServeTower::RunCommand(WbServeRun& run, const Command& command)
{
    try {
        return command(run);
    } catch (const std::exception& error) {
        return {
            500,
            nlohmann::json({{"error", error.what()}}).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)};
    }
}

void WbServeTower::Publish(WbServeRun& run)
{
    auto snapshot = std::make_shared<Snapshot>();
    snapshot->state = run.StateJson();
    snapshot->towerPng = run.TowerPng();
    {
        std::lock_guard lock(mMutex);
        snapshot->version = mSnapshot ? mSnapshot->version + 1 : 1;
        // The version leads the state, so that the page can ask for the picture of the same moment.
        snapshot->state.insert(1, "\"version\":" + std::to_string(snapshot->version) + ",");
        mSnapshot = std::move(snapshot);
    }
    mNewSnapshot.notify_all();
}

void WbServeTower::Loop(std::promise<std::string>& started)
{
    std::unique_ptr<WbServeRun> run;
    try {
        run = std::make_unique<WbServeRun>(mSetup);
        Publish(*run);
    } catch (const std::exception& error) {
        run.reset();
        started.set_value(error.what());
        return;
    }
    started.set_value("");
    auto lastPublish = Clock::now();
    auto nextMinute = Clock::now();
    bool changed = false;
    while (!IsStopping()) {
        auto commands = TakeCommands(run->GetMinutesPerSecond(), nextMinute);
        std::vector<Answer> answers;
        for (Pending& pending : commands)
            answers.push_back(RunCommand(*run, pending.command));
        changed = changed || !commands.empty();
        const int speed = run->GetMinutesPerSecond();
        const auto now = Clock::now();
        if (speed == WbServeRun::kFastest) {
            while (run->GetMinutesPerSecond() == WbServeRun::kFastest && Clock::now() - now < kFastestSlice)
                run->RunMinutes(1);
            changed = true;
        } else if (speed > 0 && now >= nextMinute) {
            run->RunMinutes(1);
            // A clock that fell behind (a slow command) goes on from now rather than catching up.
            const auto period = std::chrono::milliseconds(1000 / speed);
            nextMinute = nextMinute + period < now ? now + period : nextMinute + period;
            changed = true;
        }
        if (changed && (!commands.empty() || speed == 1 || Clock::now() - lastPublish >= kPublishInterval)) {
            Publish(*run);
            lastPublish = Clock::now();
            changed = false;
        }
        // Answered once the snapshot shows what the command did, so that the page reads its own doing.
        for (size_t i = 0; i < commands.size(); ++i)
            commands[i].answer.set_value(std::move(answers[i]));
    }
    // Commands that came too late are dropped; their callers hear that the tower stopped.
    std::deque<Pending> late;
    {
        std::lock_guard lock(mMutex);
        late.swap(mCommands);
    }
    late.clear();
    run.reset();
}
