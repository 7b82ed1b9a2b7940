// The tower document: clock, day base, money, films, the tower view and the people who come and go.
#pragma once

#include "CPlugin.h"
#include "CString.h"
#include "WbDateTime.h"
#include "WbDll.h"
#include "WbPeople.h"
#include "WbTowerInfo.h"
#include "WbWin32.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <span>
#include <unordered_map>
#include <vector>

class WbBitImage;
class WbEquip;
class WbFloorInfo;
class WbMoviePlugin;
class WbNameList;
class WbRouteNavigator;
class WbTenant;
class WbToolDef;

// The world's money rules.
class WBDLL_API WbWorldDef {
public:
    // Converts an amount as stored into the amount shown to the player (times 100 here).
    int ExchangeMoney(int amount) const { return amount * 100; }
    // The unit shown after an amount ("$" here).
    CString GetMoneyUnit() const { return "$"; }
};

// The window that shows the tower; it collects redraw requests.
class WBDLL_API WbTowerView {
public:
    explicit WbTowerView(WbTowerDoc* doc) : mTowerDoc(doc) {}
    // Asks for the area (in units) to be drawn again.
    void RequestUnitRedraw(const RECT& areaUnits, int flags);
    // Host side: requests since the view was made.
    int64_t GetRedrawRequests() const { return mRedrawRequests; }

private:
    WbTowerDoc* mTowerDoc;
    int64_t mRedrawRequests = 0;
};

// What the host reports to whoever watches a tower: one event per host operation a plug-in called.
enum class WbEventKind {
    Collect,          // value: customers called
    Enter,            // value: leave minute
    TurnAway,         //
    PushOutCustomers, // value: customers present before
    PushOutAll,       //
    ClearReserve,     //
    ClearTotal,       //
    CallStaff,        // value: minute
    PayMoney,         // value: amount, category; def: the definition the payment is for
    Estimate,         // value: the estimate's answer
    Record,           // film, value: the new persons record
    Remake,           // film, value: days since the day base
    Redraw,           //
    SetFilm,          // film (may be null)
    Name,             // equip, text: a name the player gave was stored
    Beep,             // equip: whose dialog beeped; value: frequency, category: duration (the host program's)
    Dialog,           // equip: the dialog's owner; text: the dialog's state as JSON members (the host program's)
};

struct WbTowerEvent {
    WbEventKind kind;
    const WbEquip* equip = nullptr;
    const WbMoviePlugin* film = nullptr;
    int64_t value = 0;
    int32_t category = 0;
    CString text{};
    const WbToolDef* def = nullptr;
};

class WbTowerObserver {
public:
    virtual ~WbTowerObserver() = default;
    virtual void OnTowerEvent(const WbTowerEvent& event) = 0;
};

// How called customers reach their tenant.
enum class WbArrivalMode {
    Spread,    // over the following minutes, at seeded random delays
    Immediate, // at the next minute, before that minute's idle passes
    None,      // never
};

class WBDLL_API WbTowerDoc {
public:
    WbTowerDoc();
    WbTowerDoc(const WbTowerDoc&) = delete;
    WbTowerDoc& operator=(const WbTowerDoc&) = delete;
    ~WbTowerDoc();

    WbDateTime* GetCurrentDateTime() { return &mNow; }
    const WbDateTime* GetCurrentDateTime() const { return &mNow; }
    // The day from which film ages are counted; 0 until a tenant sets it.
    int32_t GetDayBase() const { return mDayBase; }
    void SetDayBase(int32_t dayBase) { mDayBase = dayBase; }
    // 0 normal drawing, 1 plain (no tenant draws itself).
    int GetDrawingMode() const { return mDrawingMode; }
    // 0 normal view, 2 the business-estimate view.
    int GetViewMode() const { return mViewMode; }
    int GetZoomLevel() const { return mZoomLevel; }
    WbTowerView* GetTowerView() { return mTowerView.get(); }
    // The image the tower is drawn into, or null before the host made one.
    WbBitImage* GetDrawImage() { return mDrawImage.get(); }
    // Books an amount: a payment when positive, income when negative.
    void PayMoney(int32_t amount, int32_t category, WbToolDef* def);
    int32_t GetCurrentFunds() const { return mFunds; }
    // Every film installed in the host, in the order they were installed.
    CFilePluginList* GetMovieList() { return &mMovieList; }
    WbWorldDef* GetWorldDef() { return mWorldDef.get(); }
    // The floors and movers, the names the player gave, and the routes through the tower.
    WbFloorInfo* GetFloorInfo() { return &mFloorInfo; }
    WbNameList* GetNameList() { return &mNameList; }
    WbRouteNavigator* GetRouteNavigator() { return &mRouteNavigator; }

    // Host side: the clock, money and settings.
    void SetCurrentDateTime(const WbDateTime& now) { mNow = now; }
    void SetFunds(int32_t funds) { mFunds = funds; }
    void SetDrawingMode(int mode) { mDrawingMode = mode; }
    void SetViewMode(int mode) { mViewMode = mode; }
    void SetZoomLevel(int zoom) { mZoomLevel = zoom; }
    void SetDrawImage(std::unique_ptr<WbBitImage> image);
    void SetWorldDef(std::unique_ptr<WbWorldDef> worldDef) { mWorldDef = std::move(worldDef); }
    // A document starts with a tower view; a host without one passes null.
    void SetTowerView(std::unique_ptr<WbTowerView> view) { mTowerView = std::move(view); }

    // Host side: a tenant whose construction is finished (status 9) opens for business (status 10) when
    // a new day begins. Call once per minute per tenant, before the idle passes; nonzero when it opened.
    int FinishConstruction(WbTenant* tenant);

    // Host side: reporting.
    void SetObserver(WbTowerObserver* observer) { mObserver = observer; }
    void Report(const WbTowerEvent& event) const
    {
        if (mObserver)
            mObserver->OnTowerEvent(event);
    }

    // Host side: people. Customers called by a tenant arrive later and enter through the tenant's
    // definition; everyone who leaves a tenant goes back to the street.
    void SetArrivals(WbArrivalMode mode, uint32_t seed);
    WbArrivalMode GetArrivalMode() const { return mArrivalMode; }
    void ScheduleArrivals(WbTenant* tenant, int32_t count);
    // Lets every arrival due by the current minute enter its tenant, through its definition's
    // EnterTenantProc, in the order they are due (called first: first in).
    void DeliverArrivals();
    // The tenants with customers due by the current minute (a tenant may be named more than once): the only
    // ones DeliverArrivals calls into, so that a host can look at just those before and after it.
    void GetTenantsDue(std::vector<WbTenant*>& tenants) const;
    // Forgets every arrival still on its way to the tenant.
    void CancelArrivals(WbTenant* tenant);
    int64_t GetPendingArrivals() const { return mPendingArrivals; }
    WbPeople* MakePerson();
    // Whether the document made the person; only its own people go back to its pool.
    bool IsOwnPerson(const WbPeople* person) const;
    void ReleasePerson(WbPeople* person);
    // Gives back people the document made, as ReleasePerson one after the other, without looking at them.
    void ReleasePeople(std::span<WbPeople* const> people);

    // Host side: saving a tower and continuing it exactly after loading. The generator's state, and the
    // arrivals on their way in the order they will enter.
    uint32_t GetRandomState() const { return mRandomState; }
    void SetRandomState(uint32_t state) { mRandomState = state ? state : 1; }
    struct PendingArrival {
        int64_t dueMinute; // minutes since day 0, minute 0
        WbTenant* tenant;
    };
    std::vector<PendingArrival> GetPendingArrivalList() const;

private:
    // A tenant's customers on their way. Calling them off counts as a cancellation; an arrival called
    // before the tenant's latest cancellation is passed over when its minute comes. The count is compared
    // for equality only, and an arrival waits at most a few minutes, so it may wrap round.
    struct TenantArrivals {
        WbTenant* tenant;
        uint32_t cancellations = 0;
        int64_t pending = 0;
    };
    // Arrivals for one tenant that are due at the same minute and were called one right after the other
    // enter one after the other, so they are kept as one entry: a call's customers who drew the same delay
    // cost one entry between them, not one each.
    struct ArrivalRun {
        TenantArrivals* called;
        uint32_t cancellationsWhenCalled;
        uint32_t count;
        bool IsCalledOff() const { return cancellationsWhenCalled != called->cancellations; }
    };
    // The arrivals due at one minute, in the order they were called.
    using ArrivalsByMinute = std::map<int64_t, std::vector<ArrivalRun>>;
    std::vector<ArrivalRun>& ArrivalsDueAt(int64_t dueMinute);
    // Adds one arrival after those already due at the minute, joining the last run when it is the same call's.
    static void AppendArrival(std::vector<ArrivalRun>& due, TenantArrivals& called);
    void PrefetchPeople() const;
    // Lets the tenant's customer in through its definition, or sends the person back without one.
    void Admit(WbTenant* tenant);
    int64_t AbsoluteMinute() const;
    uint32_t NextRandom();

    WbDateTime mNow;
    int32_t mDayBase = 0;
    int32_t mFunds = 0;
    int mDrawingMode = 0;
    int mViewMode = 0;
    int mZoomLevel = 0;
    std::unique_ptr<WbTowerView> mTowerView;
    std::unique_ptr<WbBitImage> mDrawImage;
    std::unique_ptr<WbWorldDef> mWorldDef;
    CFilePluginList mMovieList;
    WbTowerObserver* mObserver = nullptr;
    WbFloorInfo mFloorInfo{this};
    WbNameList mNameList{this};
    WbRouteNavigator mRouteNavigator;

    WbArrivalMode mArrivalMode = WbArrivalMode::Spread;
    uint32_t mRandomState = 1;
    // One list per due minute, earliest first, so that a minute's arrivals are found without looking at
    // any other's and the order of entry is the order of the calls. A delivered minute's list goes to the
    // spares with its capacity, so a running tower does not allocate.
    ArrivalsByMinute mArrivalsDue;
    std::vector<ArrivalsByMinute::node_type> mSpareMinutes;
    std::unordered_map<const WbTenant*, TenantArrivals> mTenantArrivals;
    int64_t mPendingArrivals = 0;
    // Everyone the document made, in blocks that are filled one after the other and never grow, so that a
    // person stays where he was made.
    static constexpr size_t kPeoplePerBlock = 1024;
    // How many people ahead of the one handed out are asked for from memory.
    static constexpr size_t kPeopleAhead = 16;
    // A block starts at a cache line, so that no person straddles two: handing one out again is then one trip
    // to memory, not two.
    template <typename T> struct LineAlignedAllocator {
        using value_type = T;
        static constexpr std::align_val_t kLine{64};
        LineAlignedAllocator() = default;
        template <typename U> LineAlignedAllocator(const LineAlignedAllocator<U>&) {}
        T* allocate(size_t count) { return static_cast<T*>(::operator new(count * sizeof(T), kLine)); }
        void deallocate(T* block, size_t) { ::operator delete(block, kLine); }
        bool operator==(const LineAlignedAllocator&) const = default;
    };
    using PeopleBlock = std::vector<WbPeople, LineAlignedAllocator<WbPeople>>;
    std::vector<PeopleBlock> mPeople;
    // The people released and not handed out again; the last one released is handed out first.
    std::vector<WbPeople*> mFreePeople;
    uint32_t mNextPeopleID = 1;
};
