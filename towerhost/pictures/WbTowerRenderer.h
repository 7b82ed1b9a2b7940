// Pictures of the running tower (--render DIR): each theater as the host draws it and a strip of the whole
// tower, at the minutes the scenario names in "render_minutes" or, by default, at the first minute of each
// state the theaters reach on the run's first day.
#pragma once

#include "WbHostAddOn.h"
#include "WbImage.h"
#include "WbRunListener.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <memory>
#include <set>
#include <string>
#include <vector>

class WbHostTower;

// A game minute to draw: a day of the run and a minute of that day.
struct WbRenderMinute {
    int32_t day = 1;
    uint32_t minute = 0;
    friend bool operator==(const WbRenderMinute&, const WbRenderMinute&) = default;
};

// The tower as drawn at one minute: the strip and one picture per theater, in scenario order.
struct WbTowerPictures {
    std::unique_ptr<WbBitImage> strip;
    std::vector<std::unique_ptr<WbBitImage>> theaters;
};

class WbTowerRenderer final : public WbHostAddOn, public WbRunListener {
public:
    // Reads "render_minutes": a list of minutes of the run's first day (whole numbers) or of
    // {"day": N, "minute": M} objects; throws WbScenarioError naming the entry.
    static std::vector<WbRenderMinute> ReadMinutes(const nlohmann::json& value, const std::string& path);
    // Draws every theater through its definition's DrawProc into the document's draw image (a running
    // film is composed by the module, anything else is the host's drawing of the frame), then cuts out each
    // theater and lays the tower onto a strip with its sky, walls and ground.
    static WbTowerPictures Draw(const WbHostTower& tower);

    void AddOptions(CLI::App& app) override;
    void AddScenarioSections(WbScenarioReader& reader) override;
    // Makes the folder and checks that every named minute lies within the run.
    void CheckBeforeRun(const WbHostRun& run, int64_t minutes) override;
    void Attach(WbHostRun& run) override;
    // Throws std::runtime_error when a named minute never came or a picture could not be written.
    void Finish(WbHostRun& run) override;

    void OnMinuteEnd(WbHostRun& run) override;
    bool HearsChanges() const override { return false; }

    // The files written so far, in order.
    const std::vector<std::string>& GetWritten() const { return mWritten; }

private:
    void Write(WbHostRun& run);

    std::string mDirectory;
    std::vector<WbRenderMinute> mMinutes; // empty: the first minute of each state on the first day
    std::vector<bool> mDone;
    int32_t mFirstDay = 1;
    WbRenderMinute mLastMinute; // the last minute that ran, in days of the run
    std::set<int32_t> mStatesDrawn;
    std::vector<std::string> mWritten;
    std::string mError;
};
