// The running tower: theaters placed from a scenario, and the module's per-theater data asked for.
#include "WbHostTower.h"

#include "WbArchive.h"
#include "WbFilmShelf.h"
#include "WbHostCallRing.h"
#include "WbMoviePlugin.h"
#include "WbPrefetch.h"
#include "WbScenarioReader.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"

namespace {

// Theaters stand side by side, this many on a floor, so that a picture of the tower stays readable.
constexpr int kTheatersPerFloor = 4;

// The pattern index that goes with a status, as the module sets it whenever it changes the status.
int32_t PatternOf(int32_t status) { return status >= 30 ? status - 29 : 0; }

} // namespace

WbHostTower::WbHostTower(WbTenantDef* def, WbFilmShelf& shelf)
    : mDoc(std::make_unique<WbTowerDoc>()), mDef(def), mShelf(shelf)
{
    mShelf.ListIn(mDoc.get());
}

WbHostTower::~WbHostTower()
{
    for (Theater& theater : mTheaters)
        mDef->DestructFinish(mDoc.get(), theater.tenant.get());
    mTheaters.clear();
    mShelf.Forget(mDoc.get());
}

std::unique_ptr<WbHostTower> WbHostTower::FromScenario(const WbScenario& scenario, WbTenantDef* def, WbFilmShelf& shelf)
{
    auto tower = std::make_unique<WbHostTower>(def, shelf);
    WbTowerDoc& doc = *tower->mDoc;
    doc.SetCurrentDateTime(WbDateTime(scenario.startDay, scenario.startMinute));
    doc.SetFunds(scenario.funds);
    doc.SetArrivals(scenario.arrivals, scenario.seed);
    tower->mSeed = scenario.seed;

    const WbTenantDefData& data = def->GetDefData();
    for (size_t i = 0; i < scenario.theaters.size(); ++i) {
        const WbScenarioTheater& placed = scenario.theaters[i];
        const std::string key = "theaters[" + std::to_string(i) + "]";
        const uint32_t open = placed.openMinute.value_or(data.openMinute);
        const uint32_t close = placed.closeMinute.value_or(data.closeMinute);
        if (close < open)
            throw WbScenarioError(key + (placed.openMinute ? ".open: " : ".close: ") +
                                  std::to_string(placed.openMinute ? open : close) + " leaves the theater open from " +
                                  std::to_string(open) + " to " + std::to_string(close));
        WbTenant& tenant = tower->AddTheater(placed.name);
        tenant.SetCapacity(placed.capacity.value_or(data.capacity));
        tenant.SetHours(open, close);
        tenant.SetMoviePlugin(placed.film ? shelf.Find(*placed.film) : nullptr);
        tenant.SetStatus(placed.status);
        tenant.SetPatIndex(PatternOf(placed.status));
        WbHostCallRing::Enter("WbTenantDef::PrepareTenantProc");
        def->PrepareTenantProc(&doc, &tenant);
    }
    return tower;
}

WbTenant& WbHostTower::AddTheater(const std::string& name)
{
    const RECT size = mDef->CalcEquipRect();
    const int index = GetTheaterCount();
    const int width = size.right - size.left;
    const int height = size.bottom - size.top;
    const RECT area{width * (index % kTheatersPerFloor), height * (index / kTheatersPerFloor),
                    width * (index % kTheatersPerFloor + 1), height * (index / kTheatersPerFloor + 1)};
    mTheaters.push_back({std::make_unique<WbTenant>(mDoc.get(), mDef, area, uint32_t(index + 1)), name});
    return *mTheaters.back().tenant;
}

int WbHostTower::FindTheater(const WbEquip* equip) const
{
    if (!equip)
        return -1;
    const uint32_t id = equip->GetEquipID();
    if (id == 0 || id > mTheaters.size() || mTheaters[id - 1].tenant.get() != equip)
        return -1;
    return int(id - 1);
}

// An idle pass reads the tenant's state, hours and customers, not its staff and entrance at the end.
void WbHostTower::PrefetchTenant(int index) const
{
    constexpr size_t kTenantBytesRead = 192;
    if (index >= GetTheaterCount())
        return;
    WbPrefetchBytes(mTheaters[size_t(index)].tenant.get(), kTenantBytesRead);
}

// A theater's own data in the theater module is a schedule of about 140 bytes, read on every pass.
void WbHostTower::PrefetchModuleData(int index) const
{
    constexpr size_t kModuleDataBytes = 144;
    if (index >= GetTheaterCount())
        return;
    if (const void* data = mTheaters[size_t(index)].tenant->GetRefCon())
        WbPrefetchBytes(data, kModuleDataBytes);
}

std::vector<uint8_t> WbHostTower::SaveExtraData(int index) const
{
    std::vector<uint8_t> bytes;
    WbArchive archive(bytes);
    WbHostCallRing::Enter("WbTenantDef::SaveExtraData");
    mDef->SaveExtraData(archive, &GetTheater(index));
    return bytes;
}
