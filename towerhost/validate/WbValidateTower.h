// What the tower groups share: the module loaded once in the child with the films offered to it, towers
// placed from scenarios, random scenarios from a seed, the host's invariants watched minute by minute, and
// a run's trace as text.
#pragma once

#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbModuleLoader.h"
#include "WbRunListener.h"
#include "WbScenario.h"
#include "WbTowerDoc.h"

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

class WbValidateModule final {
public:
    // Loads the module through the host's loader and offers it the films of the demo tower; throws
    // WbCheckFailure when the loader refuses it.
    explicit WbValidateModule(const std::string& path);

    WbTenantDef* GetDef() const { return mLoaded.module->GetDefinition(); }
    const WbPluginModule& GetModule() const { return *mLoaded.module; }
    WbFilmShelf& GetShelf() { return mShelf; }
    // The demo tower: its films are the shelf's.
    const WbScenario& GetDemo() const { return mDemo; }

    // A run of the scenario's tower; the films start as they were when the module was loaded, so that two
    // runs of one scenario start alike.
    std::unique_ptr<WbHostRun> Start(const WbScenario& scenario);

private:
    WbScenario mDemo;
    WbFilmShelf mShelf;
    WbWorldDef mWorldDef;
    WbLoadResult mLoaded;
    std::vector<WbSavedFilm> mFreshFilms;
};

// The demo tower with one theater, which shows the first film, for one day.
WbScenario WbOneTheaterScenario(const WbScenario& demo, uint32_t seed);
// A tower of 1 to maxTheaters theaters with random films (or none), seats, hours, start minute, arrival mode
// and passes per minute, over the demo's films.
WbScenario WbRandomScenario(const WbScenario& demo, std::mt19937_64& random, int maxTheaters);

// Watches a run for what the host holds true after every call into the module: each theater's status and
// pattern index within the host's ranges and its customers within its seats; the funds changed only by the
// payments the module asked for; every argument of a host call within its range. The first breach of each
// kind is kept, with the day and minute.
class WbTowerInvariants final : public WbRunListener, public WbTowerObserver {
public:
    // Attaches to the run as listener and observer; events are passed on to next (may be null).
    WbTowerInvariants(WbHostRun& run, WbTowerObserver* next);
    WbTowerInvariants(const WbTowerInvariants&) = delete;
    WbTowerInvariants& operator=(const WbTowerInvariants&) = delete;
    ~WbTowerInvariants() override;

    const std::string& GetTheaterBreach() const { return mTheaterBreach; }
    const std::string& GetFundsBreach() const { return mFundsBreach; }
    const std::string& GetArgumentBreach() const { return mArgumentBreach; }
    // All three, joined; empty when the run kept every invariant.
    std::string AnyBreach() const;

    void OnMinuteEnd(WbHostRun& run) override;
    void OnTowerReplaced(WbHostRun& run) override;
    void OnTowerEvent(const WbTowerEvent& event) override;

private:
    std::string When() const;
    void Note(std::string& breach, const std::string& what) const;

    WbHostRun& mRun;
    WbTowerObserver* mNext;
    int64_t mExpectedFunds = 0;
    std::string mTheaterBreach;
    std::string mFundsBreach;
    std::string mArgumentBreach;
};

// The player with one theater's info dialog: opens it, presses a random few of the controls the dialogs on
// top offer, and closes every dialog, newest or oldest first. Gives what a player would find stuck (a dialog
// on top left disabled, a dialog that does not close), or nothing.
std::string WbRandomDialogSession(WbHostRun& run, int theater, std::mt19937_64& random);

// Runs the minutes with the run's trace written to a temporary file, finishes the run and gives the trace's
// text. The run keeps the trace among its listeners, so it must run no more.
std::string WbTracedMinutes(WbHostRun& run, int64_t minutes);
// The module's saved record of every theater of the tower, one after another.
std::vector<std::vector<uint8_t>> WbModuleRecords(const WbHostTower& tower);
// A file name of this child's own in the temporary folder, removed when the object goes.
class WbScratchFile final {
public:
    explicit WbScratchFile(const std::string& name);
    WbScratchFile(const WbScratchFile&) = delete;
    WbScratchFile& operator=(const WbScratchFile&) = delete;
    ~WbScratchFile();
    const std::string& GetPath() const { return mPath; }

private:
    std::string mPath;
};
