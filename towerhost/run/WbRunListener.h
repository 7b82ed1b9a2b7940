// What a run tells the parts of the host that follow it: minutes, days, status changes and money.
#pragma once

#include <cstdint>

class WbHostRun;

// A theater's status or pattern index as it changed during one call into the module (an idle pass or a
// person's arrival) or the host's opening of a finished theater.
struct WbStatusChange {
    int theater = 0; // index in scenario order
    int32_t fromStatus = 0;
    int32_t toStatus = 0;
    int32_t pattern = 0;
    int32_t customersBefore = 0; // customers inside when the call began
};

class WbRunListener {
public:
    virtual ~WbRunListener() = default;
    // A minute begins, before the arrivals and the idle passes; nothing by default.
    virtual void OnMinuteStart(WbHostRun&) {}
    // The minute's idle passes are done and the clock still shows it; nothing by default.
    virtual void OnMinuteEnd(WbHostRun&) {}
    // The last minute of a day has run and the clock still shows it; nothing by default.
    virtual void OnDayEnd(WbHostRun&) {}
    // The run stops, after its last minute; nothing by default.
    virtual void OnRunEnd(WbHostRun&) {}
    // A theater's status changed; nothing by default.
    virtual void OnStatusChange(WbHostRun&, const WbStatusChange&) {}
    // The funds moved during a theater's idle pass (positive: income); nothing by default.
    virtual void OnFundsChange(WbHostRun&, int /*theater*/, int64_t /*amount*/) {}
    // Whether the listener hears of status changes and money (the two calls above); the run compares each
    // theater before and after every call only while one does. Yes by default.
    virtual bool HearsChanges() const { return true; }
    // Another tower now runs (a save file was loaded); nothing by default.
    virtual void OnTowerReplaced(WbHostRun&) {}
};
