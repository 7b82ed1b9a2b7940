// The built module loaded as the host program loads it, and a run of a small tower placed from a scenario:
// the common ground of the host program's in-process tests.
#pragma once

#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbModuleLoader.h"
#include "WbScenarioReader.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

class HostRunFixture : public ::testing::Test {
protected:
    // "Roxy" shows RAIN (120 minutes, 40 on its first day) to 100 seats, to customers who arrive at the minute
    // after they are called; "Dark Hall" has no film.
    HostRunFixture()
        : mScenario(WbScenarioReader().ReadFile(THEATER_SOURCE_DIR "/tests/scenarios/one-film-immediate.json")),
          mShelf(mScenario.films)
    {
        mLoaded = WbLoadPluginModule(THEATER_BIN_DIR "/Theater.wbp", &mWorldDef);
        if (!mLoaded.module)
            throw std::runtime_error(mLoaded.error);
        mShelf.OfferTo(mLoaded.module->GetDefinition());
        mRun = std::make_unique<WbHostRun>(
            WbHostTower::FromScenario(mScenario, mLoaded.module->GetDefinition(), mShelf), 1);
    }

    // A path of the test's own in the temporary directory.
    static std::string TempPath(const std::string& name)
    {
        return testing::TempDir() + "host-run-" + std::to_string(::getpid()) + "-" + name;
    }

    WbScenario mScenario;
    WbFilmShelf mShelf;
    WbWorldDef mWorldDef;
    WbLoadResult mLoaded;
    std::unique_ptr<WbHostRun> mRun;
};
