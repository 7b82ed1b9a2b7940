// What the tower knows beyond its tenants: names given by the player, floors and movers, routes, room numbers.
#pragma once

#include "CString.h"
#include "LArray.h"
#include "WbDll.h"
#include "WbTenant.h"
#include "WbWin32.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

class WbNameList;
class WbTowerDoc;

// A name the player gave to a piece of equipment.
class WBDLL_API WbName {
public:
    WbName(const CString& text, WbEquip* equip, uint32_t kind);
    WbName(const WbName&) = delete;
    WbName& operator=(const WbName&) = delete;
    ~WbName();
    // The name, and the kind it was stored under.
    void GetName(CString& text, uint32_t& kind) const;
    void SetName(const CString& text);
    WbEquip* GetEquip() const { return mEquip; }
    uint32_t GetKind() const { return mKind; }

private:
    friend class WbNameList;
    CString mText;
    WbEquip* mEquip;
    uint32_t mKind;
    WbNameList* mList = nullptr;
};

// The tower's names, one per piece of equipment and kind. Each name stored is reported to the
// document's observer.
class WBDLL_API WbNameList {
public:
    explicit WbNameList(WbTowerDoc* doc) : mTowerDoc(doc) {}
    WbNameList(const WbNameList&) = delete;
    WbNameList& operator=(const WbNameList&) = delete;
    ~WbNameList();
    // The name of the equipment under the kind, or null.
    WbName* Search(const WbEquip* equip, uint32_t kind) const;
    // Takes the name over; a name already held for its equipment and kind is replaced.
    void Add(WbName* name);

    // Host side.
    int GetCount() const { return int(mNames.size()); }
    // Forgets the names of a piece of equipment that is gone.
    void Remove(const WbEquip* equip);

private:
    friend class WbName;
    void Stored(const WbName& name) const;

    WbTowerDoc* mTowerDoc;
    std::vector<std::unique_ptr<WbName>> mNames;
};

// Attribute bit of a mover that carries people to and from the floors it crosses.
constexpr uint32_t kWbMoverCarriesPeople = 0x01000000;

// One floor of the tower. Its ID is its level: 1 is the lobby, 0 and below the basements. It knows
// the movers that cross it (its crossing-equip array).
class WBDLL_API WbFloor final : public WbEquip {
public:
    WbFloor(WbTowerDoc* doc, uint32_t floorID);
    ~WbFloor() override;
    // The IDs of the movers that cross the floor, in the order they were added.
    LArray<uint32_t>* GetCEArray() { return &mCEArray; }
    int32_t GetLevel() const { return int32_t(GetEquipID()); }

private:
    LArray<uint32_t> mCEArray;
};

// Stairs, an escalator or an elevator: equipment that takes people between floors.
class WBDLL_API WbMover final : public WbEquip {
public:
    WbMover(WbTowerDoc* doc, uint32_t moverID, const RECT& areaUnits, bool stair);
    ~WbMover() override;
    int IsStair() const { return mStair ? 1 : 0; }

private:
    bool mStair;
};

// The tower's floors and movers. Every floor exists: one asked for the first time is made then.
class WBDLL_API WbFloorInfo {
public:
    explicit WbFloorInfo(WbTowerDoc* doc) : mTowerDoc(doc) {}
    WbFloorInfo(const WbFloorInfo&) = delete;
    WbFloorInfo& operator=(const WbFloorInfo&) = delete;
    ~WbFloorInfo();
    // The floor with this ID.
    WbFloor* GetTenant(uint32_t floorID);
    // The mover with this ID, or null.
    WbMover* GetMover(uint32_t moverID) const;

    // Host side: adds a mover across the floors (its ID goes into each floor's crossing-equip array)
    // with its attribute bits; its typical name is "Stairs" or "Elevator".
    WbMover* AddMover(uint32_t moverID, const RECT& areaUnits, bool stair, const std::vector<uint32_t>& floorIDs,
                      uint32_t attributes = kWbMoverCarriesPeople);

private:
    WbTowerDoc* mTowerDoc;
    std::map<uint32_t, std::unique_ptr<WbFloor>> mFloors;
    std::map<uint32_t, std::unique_ptr<WbMover>> mMovers;
};

// Finds the ways through the tower. A point is reachable from the lobby unless the host cut it off.
class WBDLL_API WbRouteNavigator {
public:
    // Nonzero when people can walk or ride from the lobby to the point.
    int IsConnectRouteFromLobby(POINT point) const;

    // Host side.
    void SetConnected(POINT point, bool connected);
    // The tenant's entrance point.
    void SetConnected(const WbTenant* tenant, bool connected);

private:
    std::set<std::pair<LONG, LONG>> mCutOff;
};

class WBDLL_API UWbUtils {
public:
    // The text of a room number: level and position, "3F-012" above ground, "B1-012" below.
    static void GetRoomNumberString(int32_t roomNumber, CString& text);
};
