// The served run is built as a batch run is (module, films, tower, save, trace, add-ons), then driven a
// few minutes or one player step at a time.
#include "WbServeRun.h"

#include "WbActions.h"
#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbModuleLoader.h"
#include "WbPngWriter.h"
#include "WbServeLedger.h"
#include "WbServeState.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"
#include "WbTowerFile.h"
#include "WbTowerRenderer.h"
#include "WbTowerReport.h"
#include "WbTowerStore.h"
#include "WbTraceWriter.h"

#include <map>
#include <stdexcept>

namespace {

const std::map<std::string, int>& Speeds()
{
    static const std::map<std::string, int> speeds = {
        {"pause", 0}, {"1", 1}, {"10", 10}, {"60", 60}, {"max", WbServeRun::kFastest}};
    return speeds;
}

} // namespace

WbServeRun::WbServeRun(WbServeTower::Setup& setup)
    : mShelf(std::make_unique<WbFilmShelf>(setup.scenario.films)), mWorldDef(std::make_unique<WbWorldDef>()),
      mAddOns(std::move(setup.addOns)), mLedger(std::make_unique<WbServeLedger>())
{
    WbLoadResult loaded = WbLoadPluginModule(setup.modulePath, mWorldDef.get());
    if (!loaded.module)
        throw std::runtime_error(loaded.error);
    mModule = std::move(loaded.module);
    WbTenantDef* def = mModule->GetDefinition();
    if (!def)
        throw std::runtime_error(setup.modulePath + ": the module made no tenant definition");
    mShelf->OfferTo(def);
    mRun = std::make_unique<WbHostRun>(WbHostTower::FromScenario(setup.scenario, def, *mShelf),
                                       setup.scenario.passesPerMinute);
    if (!setup.loadPath.empty())
        WbTowerStore::Load(*mRun, setup.loadPath);
    if (!setup.tracePath.empty()) {
        mTrace = std::make_unique<WbTraceWriter>(setup.tracePath, *mRun);
        mRun->AddListener(mTrace.get());
        mRun->SetObserver(mTrace.get());
    }
    mLedger->Begin(*mRun);
    mRun->AddListener(mLedger.get());
    for (const auto& addOn : mAddOns) {
        addOn->Attach(*mRun);
        if (auto* actions = dynamic_cast<WbActions*>(addOn.get()))
            mActions = actions;
    }
    if (!mActions) {
        mAddOns.push_back(std::make_unique<WbActions>());
        mActions = static_cast<WbActions*>(mAddOns.back().get());
        mActions->Attach(*mRun);
    }
}

WbServeRun::~WbServeRun()
{
    mRun->Finish();
    mRun->SetObserver(nullptr);
    if (mTrace)
        mTrace->Close();
}

bool WbServeRun::SetSpeed(const std::string& name)
{
    const auto speed = Speeds().find(name);
    if (speed == Speeds().end())
        return false;
    mSpeed = name;
    mMinutesPerSecond = speed->second;
    return true;
}

void WbServeRun::RunMinutes(int64_t minutes)
{
    try {
        mRun->RunMinutes(minutes);
    } catch (const std::exception& error) {
        SetSpeed("pause");
        mMessage = error.what();
    }
}

void WbServeRun::RunToStatusChange()
{
    SetSpeed("pause");
    const uint64_t seen = mLedger->GetStatusChanges();
    for (uint32_t minute = 0; minute < WbDateTime::kMinutesPerDay && mLedger->GetStatusChanges() == seen; ++minute)
        RunMinutes(1);
}

void WbServeRun::Perform(const WbActionStep& step) { mActions->Perform(*mRun, step); }

std::vector<uint8_t> WbServeRun::Save() const { return WbTowerFile::Encode(mRun->GetTower().Capture()); }

void WbServeRun::Load(std::span<const uint8_t> bytes, const std::string& name)
{
    WbTowerStore::Load(*mRun, bytes, name);
    mMessage.clear();
}

nlohmann::ordered_json WbServeRun::Report() const { return WbTowerReport::Make(mRun->GetTower()); }

int WbServeRun::GetTheaterCount() const { return mRun->GetTower().GetTheaterCount(); }

std::string WbServeRun::StateJson() const
{
    // Names read from a save file may be any bytes; they must not cost the page its state.
    return WbServeState::Make(*mRun, *mLedger, {mSpeed, mMessage})
        .dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::vector<uint8_t> WbServeRun::TowerPng() const
{
    const WbTowerPictures pictures = WbTowerRenderer::Draw(mRun->GetTower());
    std::vector<uint8_t> png;
    if (!pictures.strip || !WbEncodePng(*pictures.strip, png))
        png.clear();
    return png;
}
