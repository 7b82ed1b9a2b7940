// The built module loaded as the host program loads it and a small tower run on it, for in-process tests.
#pragma once

#include "ChildProcess.h"
#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbModuleLoader.h"
#include "WbScenarioReader.h"

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>

class HostRunFixture : public ::testing::Test, public TempFolder {
protected:
    // "Roxy" shows RAIN (120 minutes, 40 on day 1) to 100 seats, called customers come at once; "Dark Hall" has none.
    HostRunFixture()
        : TempFolder("host-run"),
          mScenario(WbScenarioReader().ReadFile(THEATER_SOURCE_DIR "/tests/scenarios/one-film-immediate.json")),
          mShelf(mScenario.films)
    {
        mLoaded = WbLoadPluginModule(THEATER_BIN_DIR "/Theater.wbp", &mWorldDef);
        if (!mLoaded.module)
            throw std::runtime_error(mLoaded.error);
        mShelf.OfferTo(mLoaded.module->GetDefinition());
        mRun = std::make_unique<WbHostRun>(
            WbHostTower::FromScenario(mScenario, mLoaded.module->GetDefinition(), mShelf), 1);
    }

    WbScenario mScenario;
    WbFilmShelf mShelf;
    WbWorldDef mWorldDef;
    WbLoadResult mLoaded;
    std::unique_ptr<WbHostRun> mRun;
};
