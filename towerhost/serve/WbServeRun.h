// The run the page plays, as the tower's thread holds it: the module, the films, the tower, its clock
// speed, the player's dialog steps, and its trace.
#pragma once

#include "WbServeTower.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class WbActions;
class WbFilmShelf;
class WbHostRun;
class WbPluginModule;
class WbServeLedger;
class WbTraceWriter;
struct WbActionStep;
class WbWorldDef;

class WbServeRun final {
public:
    // Game minutes per second for each speed the page offers; the fastest runs as many as it can.
    static constexpr int kFastest = -1;

    // Loads the module and builds the scenario's tower, or the saved one; throws std::runtime_error
    // (WbTowerFileError for the save) saying what went wrong. The clock stands still.
    explicit WbServeRun(WbServeTower::Setup& setup);
    WbServeRun(const WbServeRun&) = delete;
    WbServeRun& operator=(const WbServeRun&) = delete;
    // Ends the run: its dialogs close and the trace is written out before the module is unloaded.
    ~WbServeRun();

    // "pause", "1", "10", "60" or "max"; false for any other name.
    bool SetSpeed(const std::string& name);
    const std::string& GetSpeed() const { return mSpeed; }
    // Game minutes per second: 0 paused, kFastest as fast as possible.
    int GetMinutesPerSecond() const { return mMinutesPerSecond; }

    // Runs whole minutes. A failing scripted step stops the clock and becomes the page's message.
    void RunMinutes(int64_t minutes);
    // Runs until a theater's status changes, a day at most, then stops the clock.
    void RunToStatusChange();

    // The player's doing through the dialogs, as a scripted step; throws std::runtime_error saying why
    // it cannot be done.
    void Perform(const WbActionStep& step);
    // The save file of the tower as it stands.
    std::vector<uint8_t> Save() const;
    // Puts the uploaded save in place of the tower; throws WbTowerFileError naming the upload and the
    // field, leaving the tower as it was.
    void Load(std::span<const uint8_t> bytes, const std::string& name);
    // The report file's document for the tower as it stands.
    nlohmann::ordered_json Report() const;

    int GetTheaterCount() const;
    // The state as the page reads it, and the tower's picture.
    std::string StateJson() const;
    std::vector<uint8_t> TowerPng() const;

private:
    // In the order a batch run makes them, so that they go in the reverse: the tower before the module.
    std::unique_ptr<WbFilmShelf> mShelf;
    std::unique_ptr<WbWorldDef> mWorldDef;
    std::unique_ptr<WbPluginModule> mModule;
    std::unique_ptr<WbHostRun> mRun;
    std::vector<std::unique_ptr<WbHostAddOn>> mAddOns;
    WbActions* mActions = nullptr;
    std::unique_ptr<WbServeLedger> mLedger;
    std::unique_ptr<WbTraceWriter> mTrace;
    std::string mSpeed = "pause";
    int mMinutesPerSecond = 0;
    std::string mMessage;
};
