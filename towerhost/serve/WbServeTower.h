// The tower the page plays. One thread owns the module, the run and its dialogs, as the host's UI thread
// does; the web server's threads hand it commands and read the snapshots it publishes.
#pragma once

#include "WbHostAddOn.h"
#include "WbScenario.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <thread>
#include <vector>

class WbServeRun;

class WbServeTower final {
public:
    struct Setup {
        WbScenario scenario;
        std::string modulePath;
        std::string loadPath;  // empty: the scenario's tower
        std::string tracePath; // empty: no trace
        // The host's add-ons, which read their parts of the scenario (the scripted actions play too).
        std::vector<std::unique_ptr<WbHostAddOn>> addOns;
    };
    // What the page sees: the state as JSON text and the tower's picture as PNG, both of one moment.
    struct Snapshot {
        uint64_t version = 0;
        std::string state;
        std::vector<uint8_t> towerPng;
    };
    // A command's answer for the web server: an HTTP status and its body.
    struct Answer {
        int status = 200;
        std::string body;
        std::string contentType = "application/json";
    };
    // A command runs on the tower's thread between two minutes.
    using Command = std::function<Answer(WbServeRun&)>;

    explicit WbServeTower(Setup setup);
    WbServeTower(const WbServeTower&) = delete;
    WbServeTower& operator=(const WbServeTower&) = delete;
    // Stops the thread; the module's dialogs close and the module is unloaded on it.
    ~WbServeTower();

    // Starts the thread, which loads the module and builds the tower; returns an empty text once the tower
    // runs (paused), or why it could not be made.
    std::string Start();
    // Ends the thread after the command it runs; waiting callers are let go.
    void Stop();
    bool IsStopping() const;

    // The newest snapshot; never null after Start succeeded.
    std::shared_ptr<const Snapshot> GetSnapshot() const;
    // A snapshot newer than the version, or the current one after the timeout or when stopping.
    std::shared_ptr<const Snapshot> WaitNewer(uint64_t version, std::chrono::milliseconds timeout) const;
    // Runs the command on the tower's thread and returns its answer; 503 when the tower stops first.
    Answer Run(Command command);

private:
    void Loop(std::promise<std::string>& started);
    // Takes the queued commands; waits for one, or for the next minute when the clock runs.
    // A command and the promise of its answer, kept until the snapshot that shows its effect is out.
    struct Pending {
        Command command;
        std::promise<Answer> answer;
    };
    std::deque<Pending> TakeCommands(int minutesPerSecond, std::chrono::steady_clock::time_point nextMinute);
    // A command that throws answers 500 with what it threw.
    static Answer RunCommand(WbServeRun& run, const Command& command);
    void Publish(WbServeRun& run);

    Setup mSetup;
    std::thread mThread;
    mutable std::mutex mMutex;
    mutable std::condition_variable mNewSnapshot;
    std::condition_variable mWake;
    std::deque<Pending> mCommands;
    std::shared_ptr<const Snapshot> mSnapshot;
    bool mStopping = false;
};
