// Equipment in the tower and its kinds: objects with an outside view, and tenants with customers.
#pragma once

#include "CString.h"
#include "WbDll.h"
#include "WbPeopleList.h"
#include "WbWin32.h"

#include <cstdint>
#include <vector>

class WbEquipDef;
class WbFloorInfo;
class WbMoviePlugin;
class WbTenantDef;
enum class WbEventKind;
class WbPeople;
class WbTowerDoc;

// Anything placed in the tower: its definition, area, status, picture pattern and money figures.
class WBDLL_API WbEquip {
public:
    WbEquip(WbTowerDoc* doc, WbEquipDef* def, const RECT& areaUnits, uint32_t equipID);
    WbEquip(const WbEquip&) = delete;
    WbEquip& operator=(const WbEquip&) = delete;
    virtual ~WbEquip();

    uint32_t GetEquipID() const { return mEquipID; }
    WbEquipDef* GetEquipDef() const { return mDef; }
    int32_t GetStatus() const { return mStatus; }
    void SetStatus(int32_t status) { mStatus = status; }
    int32_t GetPatIndex() const { return mPatIndex; }
    void SetPatIndex(int32_t index) { mPatIndex = index; }
    // 0 nothing to redraw, 1 redraw the tenant, 2 redraw it and its surroundings.
    int32_t GetDrawMode() const { return mDrawMode; }
    void SetDrawMode(int32_t mode) { mDrawMode = mode; }
    // The area in tower units.
    const RECT& GetEquipArea() const { return mArea; }
    int GetAreaWidth() const { return mArea.right - mArea.left; }
    int GetAreaHeight() const { return mArea.bottom - mArea.top; }
    // The kind's name (the definition's name text), or the host's name of the equipment.
    void GetTypicalName(CString& name) const;
    // Money a customer brings, in the tower's money unit; 0 for equipment without customers.
    int GetInMoney() const;
    // Daily running cost, in the tower's money unit.
    int GetOutMoney() const;
    WbTowerDoc* GetTowerDoc() const { return mTowerDoc; }
    // Nonzero when every one of the attribute bits is set.
    int IsSetAttribute(uint32_t bits) const { return (mAttributes & bits) == bits ? 1 : 0; }

    // Host side.
    void SetTypicalName(const CString& name) { mTypicalName = name; }
    void SetAttributes(uint32_t bits) { mAttributes = bits; }

protected:
    WbTowerDoc* mTowerDoc;
    WbEquipDef* mDef;
    RECT mArea;
    uint32_t mEquipID;
    int32_t mStatus = 0;
    int32_t mPatIndex = 0;
    int32_t mDrawMode = 0;
    CString mTypicalName;
    uint32_t mAttributes = 0;
};

// Equipment with an outside view and a sub-plug-in: it carries one pointer for its definition's code.
class WBDLL_API WbHaveOutViewObject : public WbEquip {
public:
    using WbEquip::WbEquip;
    ~WbHaveOutViewObject() override;

    // The definition's per-object pointer, null until set.
    void* GetRefCon() const { return mRefCon; }
    void SetRefCon(void* refCon) { mRefCon = refCon; }
    // The object's sub-plug-in (for a theater: its film), or null.
    WbMoviePlugin* GetSubPlugin() const { return mSubPlugin; }
    // Which of the definition's picture variations the object uses.
    int32_t GetValiation() const { return mVariation; }

protected:
    void* mRefCon = nullptr;
    WbMoviePlugin* mSubPlugin = nullptr;
    int32_t mVariation = 0;
};

// A tenant: business hours from its definition, customers called, waiting (reserved) and inside.
class WBDLL_API WbTenant : public WbHaveOutViewObject {
public:
    WbTenant(WbTowerDoc* doc, WbEquipDef* def, const RECT& areaUnits, uint32_t equipID);
    ~WbTenant() override;

    int32_t GetCapacity() const { return mCapacity; }
    // Customers inside.
    int32_t GetCustomerCount() const { return int32_t(mCustomers.size()); }
    // Customers called who have not arrived yet.
    int32_t GetReserveCount() const { return mReserveCount; }
    // Customers admitted since the count was last cleared (the day's customers).
    int32_t GetTotalCustomer() const { return mTotalCustomer; }
    // Opening and closing minute of the day from the definition; 0 without a definition.
    uint32_t GetOpenTime() const { return mOpenMinute; }
    uint32_t GetCloseTime() const { return mCloseMinute; }
    int IsFire() const { return mStatus >= 10000 ? 1 : 0; }
    // Staff who belong to the tenant and come to work when called.
    int32_t GetBelongCapacity() const { return mBelongCapacity; }

    // Admits a person as a customer who leaves at leaveMinute (not wrapped at midnight).
    void EnterCustomer(WbPeople* person, uint32_t leaveMinute);
    // Sends one arriving person away.
    void PushOutPeople(WbTowerDoc* doc, WbPeople* person);
    // Sends everybody out: customers and the staff who belong to the tenant.
    void PushOutAll(WbTowerDoc* doc);
    // Sends the customers out.
    void PushOutAllCustomer(WbTowerDoc* doc);
    // Calls count more customers; they arrive later, as the document's arrival mode says.
    void CollectCustomer(WbTowerDoc* doc, int32_t count);
    // Calls the staff who belong to the tenant to work.
    void CallBelongPeople(uint32_t minute);
    void ClearReserveCount();
    void ClearTotalCustomer();
    // The day's income not booked yet, which counts as booked from now on: a second call on the same
    // day gives 0, so booking on every pass of a window books the day once.
    int32_t CalcInMoney();
    // Updates the estimate of the business; nonzero when its colour changed.
    int UpdateCommercialEstimate();
    // Colour of the business estimate: 12 a hit, 9 few customers, 10 otherwise.
    int CalcEstimateColor() const { return mEstimateColor; }
    // Binds a film to the tenant as its sub-plug-in.
    void SetMoviePlugin(WbMoviePlugin* movie);
    // Where people come in: the floor (its ID is its level) and the point, in units.
    uint32_t GetEntranceFloorID() const { return mEntranceFloorID; }
    POINT GetEntrancePt() const;
    // The room number: the entrance floor's level times 1000 plus the left edge in units.
    int32_t GetRoomNumber(WbFloorInfo* floorInfo) const;
    // The people who belong to the tenant (its staff), or null while it has none.
    WbPeoplePtrList* GetBelongList();
    // The first of the people linked to the tenant (its customers, then its staff), chained through
    // their next links; null when there are none.
    WbPeople* GetFirstPeople();

    // Host side.
    // The definition as a tenant definition, or null when the tenant's definition is not one.
    WbTenantDef* GetTenantDef() const { return mTenantDef; }
    void SetCapacity(int32_t capacity) { mCapacity = capacity; }
    void SetBelongCapacity(int32_t staff) { mBelongCapacity = staff; }
    // The entrance: floor 1 (the lobby) at the middle of the tenant's bottom edge until set.
    void SetEntrance(uint32_t floorID, POINT point)
    {
        mEntranceFloorID = floorID;
        mEntrancePt = point;
        mEntranceSet = true;
    }
    const std::vector<WbPeople*>& GetStaff() const { return mStaff; }
    void SetHours(uint32_t openMinute, uint32_t closeMinute)
    {
        mOpenMinute = openMinute;
        mCloseMinute = closeMinute;
    }
    const std::vector<WbPeople*>& GetCustomers() const { return mCustomers; }
    // A called customer arrived (or gave up): one fewer reserved.
    void TakeReserved();
    // A crowd of count customers is about to arrive: their places in the list are fetched ahead.
    void PrefetchCustomers(uint32_t count) const;
    int32_t GetDayIncome() const { return mDayIncome; }
    void SetCounts(int32_t reserve, int32_t totalCustomer)
    {
        mReserveCount = reserve;
        mTotalCustomer = totalCustomer;
    }
    // Host side: the day's books, for saving a tower and continuing it exactly after loading.
    int32_t GetIncomeDay() const { return mIncomeDay; }
    int32_t GetBookedIncome() const { return mBookedIncome; }
    void SetIncome(int32_t incomeDay, int32_t dayIncome, int32_t bookedIncome)
    {
        mIncomeDay = incomeDay;
        mDayIncome = dayIncome;
        mBookedIncome = bookedIncome;
    }
    void SetEstimateColor(int32_t colour) { mEstimateColor = colour; }

private:
    void Report(WbEventKind kind, int64_t value, const WbMoviePlugin* film = nullptr) const;
    // Starts a new day's income when the calendar day has changed since the last admission or booking.
    void RollIncomeDay();
    void ReleaseAll(std::vector<WbPeople*>& people);

    WbTenantDef* mTenantDef = nullptr;
    int32_t mCapacity = 0;
    int32_t mBelongCapacity = 0;
    uint32_t mOpenMinute = 0;
    uint32_t mCloseMinute = 0;
    int32_t mReserveCount = 0;
    int32_t mTotalCustomer = 0;
    int32_t mDayIncome = 0;
    int32_t mBookedIncome = 0;
    int32_t mIncomeDay = 0; // the calendar day mDayIncome belongs to
    int32_t mEstimateColor = 10;
    std::vector<WbPeople*> mCustomers;
    std::vector<WbPeople*> mStaff;
    uint32_t mEntranceFloorID = 1;
    POINT mEntrancePt;
    bool mEntranceSet = false;
    WbPeoplePtrList mBelongList;
};
