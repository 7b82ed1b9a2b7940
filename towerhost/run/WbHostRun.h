// The host's clock loop: each game minute delivers arrivals, runs every theater's idle passes and
// tells the listeners what changed.
#pragma once

#include "WbHostTower.h"
#include "WbRunListener.h"
#include "WbTenant.h"
#include "WbTowerDoc.h"

#include <cstdint>
#include <memory>
#include <vector>

class WbHostRun final {
public:
    WbHostRun(std::unique_ptr<WbHostTower> tower, int passesPerMinute);
    WbHostRun(const WbHostRun&) = delete;
    WbHostRun& operator=(const WbHostRun&) = delete;
    ~WbHostRun();

    WbHostTower& GetTower() const { return *mTower; }
    int GetPassesPerMinute() const { return mPassesPerMinute; }
    int32_t GetDay() const;
    uint32_t GetMinute() const;

    // Listeners are borrowed and hear of everything from the next minute on.
    void AddListener(WbRunListener* listener);
    // Sees every host operation the module calls. Installing none keeps the passes free of reporting.
    void SetObserver(WbTowerObserver* observer);

    // Runs whole game minutes.
    void RunMinutes(int64_t minutes);
    // Tells the listeners that the run stops.
    void Finish();
    // Puts another tower in place of the running one, which is ended.
    void ReplaceTower(std::unique_ptr<WbHostTower> tower);

    // The theater whose module call is running (an idle pass or an arrival), or -1.
    int GetCallingTheater() const { return mCallingTheater; }
    bool IsIdlePassRunning() const { return mInIdlePass; }

    // Runs a call into the module for one theater and reports the status change and the money it made.
    // Without a listener who hears of changes the theater is not compared.
    template <typename Call> void CallTheater(int index, Call&& call)
    {
        WbTenant& tenant = mTower->GetTheater(index);
        const int outerTheater = mCallingTheater;
        mCallingTheater = index;
        if (mChangeListeners.empty()) {
            call(tenant);
            mCallingTheater = outerTheater;
            NoteDrawing(index, tenant);
            return;
        }
        const Watched before = Watch(tenant);
        call(tenant);
        mCallingTheater = outerTheater;
        NoteDrawing(index, tenant);
        ReportChanges(index, before);
    }

private:
    struct Watched {
        int32_t status;
        int32_t pattern;
        int32_t customers;
        int32_t funds;
    };
    // Forwards the module's host calls to the observer and, as each arrival begins, reports what the
    // previous one changed, so that a status change follows the entry that caused it.
    class ArrivalWatch;

    Watched Watch(const WbTenant& tenant) const;
    // Remembers a theater the call left something to draw for, so that the frame's end clears just those.
    void NoteDrawing(int index, const WbTenant& tenant)
    {
        if (tenant.GetDrawMode() != 0)
            mDrawing.push_back(index);
    }
    void ReportChanges(int index, const Watched& before);
    void ReportStatus(int index, const Watched& before);
    void OpenFinishedTheaters();
    void DeliverArrivals();
    void RunIdlePasses();
    void EndFrame();
    void InstallObserver();
    // Notes the status of each theater that has customers due, when a listener is there to hear of changes.
    void WatchArrivalTheaters();
    // Compares one theater that had customers due with its status before the arrivals and reports a change.
    void CheckArrivalTheater(int index);

    std::unique_ptr<WbHostTower> mTower;
    int mPassesPerMinute;
    std::vector<WbRunListener*> mListeners;
    std::vector<WbRunListener*> mChangeListeners; // those of mListeners who hear of changes
    WbTowerObserver* mObserver = nullptr;
    std::unique_ptr<ArrivalWatch> mArrivalWatch;
    // The theaters that have customers due this minute, in scenario order, and their status before.
    std::vector<int> mArrivalTheaters;
    std::vector<bool> mIsArrivalTheater;
    std::vector<Watched> mBeforeArrivals;
    std::vector<WbTenant*> mTenantsDue;
    int mCallingTheater = -1;
    bool mInIdlePass = false;
    // The theaters that may have something to draw: those a call left a drawing mode to (a theater may be
    // named more than once), or every one, after a tower was placed or loaded or a minute ran without
    // idle passes (an arrival sets a drawing mode outside any call, and only the theater's idle pass
    // afterwards sees it).
    std::vector<int> mDrawing;
    bool mMayAllBeDrawing = true;
};
