// Equipment in the tower and its kinds: objects with an outside view, and tenants with customers.
#pragma once

#include "CString.h"
#include "WbDll.h"
#include "WbWin32.h"

#include <cstdint>
#include <vector>

class WbEquipDef;
class WbMoviePlugin;
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

    // Host side.
    void SetTypicalName(const CString& name) { mTypicalName = name; }

protected:
    WbTowerDoc* mTowerDoc;
    WbEquipDef* mDef;
    RECT mArea;
    uint32_t mEquipID;
    int32_t mStatus = 0;
    int32_t mPatIndex = 0;
    int32_t mDrawMode = 0;
    CString mTypicalName;
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

    // Host side.
    void SetCapacity(int32_t capacity) { mCapacity = capacity; }
    void SetHours(uint32_t openMinute, uint32_t closeMinute)
    {
        mOpenMinute = openMinute;
        mCloseMinute = closeMinute;
    }
    const std::vector<WbPeople*>& GetCustomers() const { return mCustomers; }
    // A called customer arrived (or gave up): one fewer reserved.
    void TakeReserved();
    int32_t GetDayIncome() const { return mDayIncome; }
    void SetCounts(int32_t reserve, int32_t totalCustomer)
    {
        mReserveCount = reserve;
        mTotalCustomer = totalCustomer;
    }

private:
    void Report(int kind, int64_t value) const;

    int32_t mCapacity = 0;
    uint32_t mOpenMinute = 0;
    uint32_t mCloseMinute = 0;
    int32_t mReserveCount = 0;
    int32_t mTotalCustomer = 0;
    int32_t mDayIncome = 0;
    int32_t mBookedIncome = 0;
    int32_t mEstimateColor = 10;
    std::vector<WbPeople*> mCustomers;
};
