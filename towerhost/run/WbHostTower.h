// A tower of theaters that the host runs: its document and the theater tenants, in scenario order.
#pragma once

#include "WbScenario.h"
#include "WbTowerImage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class WbEquip;
class WbFilmShelf;
class WbTenant;
class WbTenantDef;
class WbTowerDoc;

class WbHostTower final {
public:
    // An empty tower whose theaters are of the definition's kind and show the shelf's films.
    WbHostTower(WbTenantDef* def, WbFilmShelf& shelf);
    WbHostTower(const WbHostTower&) = delete;
    WbHostTower& operator=(const WbHostTower&) = delete;
    // Each theater's schedule is ended through the definition before the tenants and the document go.
    ~WbHostTower();

    // The scenario's tower: clock, money and arrivals set, every theater placed and prepared by the module.
    // Throws WbScenarioError for a theater the definition's hours make impossible.
    static std::unique_ptr<WbHostTower> FromScenario(const WbScenario& scenario, WbTenantDef* def, WbFilmShelf& shelf);
    // A saved tower rebuilt, each theater's extra data handed to the module as it was written. Throws
    // WbTowerFileError when the module does not read back exactly what it wrote.
    static std::unique_ptr<WbHostTower> FromImage(const WbTowerImage& image, WbTenantDef* def, WbFilmShelf& shelf);
    // Everything a save file needs, the module's extra data included.
    WbTowerImage Capture() const;

    WbTowerDoc& GetDoc() const { return *mDoc; }
    WbTenantDef* GetDef() const { return mDef; }
    WbFilmShelf& GetShelf() const { return mShelf; }
    int GetTheaterCount() const { return int(mTheaters.size()); }
    WbTenant& GetTheater(int index) const { return *mTheaters[size_t(index)].tenant; }
    const std::string& GetTheaterName(int index) const { return mTheaters[size_t(index)].name; }
    void SetTheaterName(int index, const std::string& name) { mTheaters[size_t(index)].name = name; }
    // The theater whose tenant is this equipment, or -1.
    int FindTheater(const WbEquip* equip) const;
    // Asks the processor for the theater's memory ahead of an idle pass; a theater past the last is
    // ignored. The tenant, or the module's data for it, which can only be found once the tenant has come
    // (so it is asked for a few theaters later).
    void PrefetchTenant(int index) const;
    void PrefetchModuleData(int index) const;

    // The bytes the module's SaveExtraData writes for the theater now.
    std::vector<uint8_t> SaveExtraData(int index) const;

private:
    struct Theater {
        std::unique_ptr<WbTenant> tenant;
        std::string name;
    };
    // A new tenant beside the others, its area the definition's size, its equipment ID its place + 1.
    WbTenant& AddTheater(const std::string& name);
    // Puts the theater's saved people, counts and books back; the module's data comes after.
    void RestoreBusiness(int index, const WbSavedTheater& saved);
    void RestoreExtraData(int index, const WbSavedTheater& saved);
    void RestoreArrivals(const WbTowerImage& image);

    std::unique_ptr<WbTowerDoc> mDoc;
    WbTenantDef* mDef;
    WbFilmShelf& mShelf;
    std::vector<Theater> mTheaters;
    uint32_t mSeed = 1; // the arrivals' seed, kept for the save file
};
