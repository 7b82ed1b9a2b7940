// Names, floors, movers, routes and room numbers of the stand-in tower, and what a tenant tells of them.
#include "WbTowerInfo.h"

#include "WbTowerDoc.h"

#include <algorithm>
#include <cstdlib>

WbName::WbName(const CString& text, WbEquip* equip, uint32_t kind) : mText(text), mEquip(equip), mKind(kind) {}

WbName::~WbName() = default;

void WbName::GetName(CString& text, uint32_t& kind) const
{
    text = mText;
    kind = mKind;
}

void WbName::SetName(const CString& text)
{
    mText = text;
    if (mList)
        mList->Stored(*this);
}

WbNameList::~WbNameList() = default;

WbName* WbNameList::Search(const WbEquip* equip, uint32_t kind) const
{
    for (const auto& name : mNames)
        if (name->mEquip == equip && name->mKind == kind)
            return name.get();
    return nullptr;
}

void WbNameList::Add(WbName* name)
{
    if (!name)
        return;
    std::unique_ptr<WbName> owned(name);
    std::erase_if(mNames, [&](const std::unique_ptr<WbName>& other) {
        return other->mEquip == name->mEquip && other->mKind == name->mKind;
    });
    owned->mList = this;
    mNames.push_back(std::move(owned));
    Stored(*name);
}

void WbNameList::Remove(const WbEquip* equip)
{
    std::erase_if(mNames, [equip](const std::unique_ptr<WbName>& name) { return name->mEquip == equip; });
}

void WbNameList::Stored(const WbName& name) const
{
    if (mTowerDoc)
        mTowerDoc->Report({.kind = WbEventKind::Name, .equip = name.mEquip, .text = name.mText});
}

WbFloor::WbFloor(WbTowerDoc* doc, uint32_t floorID) : WbEquip(doc, nullptr, RECT{}, floorID) {}

WbFloor::~WbFloor() = default;

WbMover::WbMover(WbTowerDoc* doc, uint32_t moverID, const RECT& areaUnits, bool stair)
    : WbEquip(doc, nullptr, areaUnits, moverID), mStair(stair)
{
    SetTypicalName(stair ? "Stairs" : "Elevator");
}

WbMover::~WbMover() = default;

WbFloorInfo::~WbFloorInfo() = default;

WbFloor* WbFloorInfo::GetTenant(uint32_t floorID)
{
    std::unique_ptr<WbFloor>& floor = mFloors[floorID];
    if (!floor)
        floor = std::make_unique<WbFloor>(mTowerDoc, floorID);
    return floor.get();
}

WbMover* WbFloorInfo::GetMover(uint32_t moverID) const
{
    const auto it = mMovers.find(moverID);
    return it == mMovers.end() ? nullptr : it->second.get();
}

WbMover* WbFloorInfo::AddMover(uint32_t moverID, const RECT& areaUnits, bool stair,
                               const std::vector<uint32_t>& floorIDs, uint32_t attributes)
{
    auto mover = std::make_unique<WbMover>(mTowerDoc, moverID, areaUnits, stair);
    mover->SetAttributes(attributes);
    WbMover* added = mover.get();
    mMovers[moverID] = std::move(mover);
    for (uint32_t floorID : floorIDs)
        GetTenant(floorID)->GetCEArray()->AddItem(moverID);
    return added;
}

int WbRouteNavigator::IsConnectRouteFromLobby(POINT point) const
{
    return mCutOff.contains({point.x, point.y}) ? 0 : 1;
}

void WbRouteNavigator::SetConnected(POINT point, bool connected)
{
    if (connected)
        mCutOff.erase({point.x, point.y});
    else
        mCutOff.insert({point.x, point.y});
}

void WbRouteNavigator::SetConnected(const WbTenant* tenant, bool connected)
{
    if (tenant)
        SetConnected(tenant->GetEntrancePt(), connected);
}

void UWbUtils::GetRoomNumberString(int32_t roomNumber, CString& text)
{
    const int32_t level = roomNumber >= 0 ? roomNumber / 1000 : -((-roomNumber + 999) / 1000);
    const int32_t position = roomNumber - level * 1000;
    if (level >= 1)
        text.Format("%dF-%03d", level, position);
    else
        text.Format("B%d-%03d", 1 - level, position);
}

POINT WbTenant::GetEntrancePt() const
{
    if (mEntranceSet)
        return mEntrancePt;
    return POINT{(mArea.left + mArea.right) / 2, mArea.bottom};
}

int32_t WbTenant::GetRoomNumber(WbFloorInfo* floorInfo) const
{
    const int32_t level = floorInfo ? floorInfo->GetTenant(mEntranceFloorID)->GetLevel() : 1;
    return level * 1000 + std::clamp<int32_t>(mArea.left, 0, 999);
}

WbPeoplePtrList* WbTenant::GetBelongList()
{
    if (mStaff.empty())
        return nullptr;
    mBelongList.Assign(mStaff);
    return &mBelongList;
}

// The chain is threaded afresh on every call, so that it follows the customers and staff as they are
// now; a person is in one tenant at a time, so one link per person suffices.
WbPeople* WbTenant::GetFirstPeople()
{
    WbPeople* first = nullptr;
    WbPeople* last = nullptr;
    for (const std::vector<WbPeople*>* group : {&mCustomers, &mStaff})
        for (WbPeople* person : *group) {
            if (last)
                last->SetNextLink(person);
            else
                first = person;
            last = person;
        }
    if (last)
        last->SetNextLink(nullptr);
    return first;
}
