// The player's part of a scenario: the "actions" steps that open dialogs, press buttons, choose films,
// type names, and record or draw what the dialogs show.
#pragma once

#include "WbHostAddOn.h"
#include "WbRunListener.h"

#include <nlohmann/json_fwd.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class WbDialog;

// One step of the script. A step with a time waits for that minute (it runs before the minute's arrivals
// and idle passes); a step without one follows the previous step at once.
struct WbActionStep {
    enum class Kind { OpenInfo, Press, SelectFilm, Type, Snapshot, SetStatus, Render };
    Kind kind = Kind::Snapshot;
    std::optional<int32_t> day;
    std::optional<uint32_t> minute;
    std::variant<int, std::string> theater = 0; // 1-based place in the scenario, or the theater's name
    int item = 0;
    std::string film; // the film's four-character id
    std::string text;
    int32_t status = 0;
    std::string file;
    std::string label; // how messages name the step: "press 7099"
};

class WbActions final : public WbHostAddOn, public WbRunListener {
public:
    // Dialog time that passes with each game minute: a message shown for 2000 ms stays for two minutes.
    static constexpr int kDialogMsPerMinute = 1000;

    // Reads the steps of an "actions" list; throws WbScenarioError naming the step and the key.
    static std::vector<WbActionStep> ReadSteps(const nlohmann::json& value, const std::string& path);

    void AddScenarioSections(WbScenarioReader& reader) override;
    void Attach(WbHostRun& run) override;
    // Fails when a step's time never came.
    void Finish(WbHostRun& run) override;

    void OnMinuteStart(WbHostRun& run) override;
    void OnMinuteEnd(WbHostRun& run) override;
    // Dialogs end with the run, or with the tower they showed.
    void OnRunEnd(WbHostRun& run) override;
    void OnTowerReplaced(WbHostRun& run) override;
    bool HearsChanges() const override { return false; }

    // Runs one step at once, as the player's doing outside the script (a click in a browser); throws
    // std::runtime_error saying why it cannot run, with the dialogs left as they were.
    void Perform(WbHostRun& run, const WbActionStep& step);

private:
    void RunStep(WbHostRun& run, const WbActionStep& step);
    void Snapshot(WbHostRun& run) const;
    int FindTheater(WbHostRun& run, const WbActionStep& step) const;
    // The newest open dialog with the item, so that a dialog on top takes the player's input first.
    WbDialog* FindDialogWithItem(int item) const;
    // Runs a change of the dialogs as a call for the dialog's theater, so that the run reports what it
    // changed (money, status) for that theater.
    template <typename Change> void ForTheaterOf(WbHostRun& run, const WbDialog* dialog, Change&& change);
    void ReportBeeps(WbHostRun& run, const WbDialog* dialog);

    std::vector<WbActionStep> mSteps;
    size_t mNext = 0;
    int mBeepsSeen = 0;
};
