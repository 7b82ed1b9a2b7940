// One theater on the stand-in host, held at a minute of its first show, for measuring idle passes.
#pragma once

#include "Afx.h"
#include "CResFile.h"
#include "TheaterResources.h"
#include "WbMoviePlugin.h"
#include "WbTenant.h"
#include "WbTheaterDef.h"
#include "WbTheaterPlugin.h"
#include "WbTowerDoc.h"

#include <memory>

// The theater is brought to its minute the way the host brings it, one minute and one pass at a time;
// passes at that fixed minute then repeat the same work, which is what the measurements count.
class IdleTheater final {
public:
    // Minute 610 is within the first show's entry period (status 30), minute 700 within its film (32).
    explicit IdleTheater(uint32_t minute)
    {
        WbFilmInfo info;
        info.id = WbFourCC("BNCH");
        info.titles[1] = "Bench Film";
        info.runningTime = 120;
        info.carryOver = 80;
        info.firstDayAudience = 150;
        mFilm = std::make_unique<WbMoviePlugin>(info);
        mFilm->SetTowerDoc(&mDoc);
        mDef.GetSubPluginList()->Append(mFilm.get());
        mDoc.GetMovieList()->Append(mFilm.get());
        mDoc.SetArrivals(WbArrivalMode::Immediate, 1);
        mDoc.SetCurrentDateTime(WbDateTime(1, 590));

        mTheater = std::make_unique<WbTenant>(&mDoc, &mDef, mDef.CalcEquipRect(), 1);
        // Half the seats stay empty, so that the entry period keeps status 30.
        mTheater->SetCapacity(400);
        mTheater->SetStatus(10);
        mTheater->SetMoviePlugin(mFilm.get());
        mDef.PrepareTenantProc(&mDoc, mTheater.get());
        while (mDoc.GetCurrentDateTime()->GetRawMinutes() < minute) {
            mDoc.GetCurrentDateTime()->AdvanceMinute();
            mDoc.DeliverArrivals();
            Pass();
        }
    }
    IdleTheater(const IdleTheater&) = delete;
    IdleTheater& operator=(const IdleTheater&) = delete;
    ~IdleTheater() { mDef.DestructFinish(&mDoc, mTheater.get()); }

    // One idle pass, then the host's frame clears the redraw request as drawing does.
    void Pass()
    {
        mDef.TenantIdleProc(&mDoc, mTheater.get(), 0);
        mTheater->SetDrawMode(0);
    }
    int32_t GetStatus() const { return mTheater->GetStatus(); }

private:
    static constexpr int kLibraryMarker = 0;
    CDynLinkLibrary mLibrary{&kLibraryMarker, TheaterResourceBytes()};
    CResFile mResources{mLibrary.GetModule()};
    WbTowerDoc mDoc;
    WbPluginSpecifier mSpecifier;
    WbTheaterPlugin mPlugin{WbFourCC("TnPl"), mSpecifier};
    WbTheaterDef mDef{WbFourCC("TnDf"), mSpecifier, &mResources, nullptr, &mPlugin};
    std::unique_ptr<WbMoviePlugin> mFilm;
    std::unique_ptr<WbTenant> mTheater;
};
