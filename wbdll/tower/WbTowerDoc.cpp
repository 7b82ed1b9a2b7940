// The stand-in tower document: money, redraw requests, construction's end, and the people who are
// called to tenants, arrive and leave again.
#include "WbTowerDoc.h"

#include "WbImage.h"
#include "WbPeople.h"
#include "WbSaturated.h"
#include "WbTenant.h"
#include "WbTenantDef.h"

#include <algorithm>

namespace {

// A called customer in the spread mode arrives 1 to this many minutes after the call.
constexpr uint32_t kSpreadMinutes = 8;

} // namespace

void WbTowerView::RequestUnitRedraw(const RECT&, int)
{
    ++mRedrawRequests;
    if (mTowerDoc)
        mTowerDoc->Report({.kind = WbEventKind::Redraw});
}

WbTowerDoc::WbTowerDoc() : mTowerView(std::make_unique<WbTowerView>(this)), mWorldDef(std::make_unique<WbWorldDef>()) {}

WbTowerDoc::~WbTowerDoc() = default;

// Funds stop at the ends of their 32-bit range instead of wrapping: a tower that makes more money than
// the counter holds stays rich, and one that overspends stays in debt.
void WbTowerDoc::PayMoney(int32_t amount, int32_t category, WbToolDef*)
{
    mFunds = WbSaturated(int64_t(mFunds) - amount);
    Report({.kind = WbEventKind::PayMoney, .value = amount, .category = category});
}

void WbTowerDoc::SetDrawImage(std::unique_ptr<WbBitImage> image) { mDrawImage = std::move(image); }

int WbTowerDoc::FinishConstruction(WbTenant* tenant)
{
    if (!tenant || tenant->GetStatus() != 9 || mNow.GetRawMinutes() != 0)
        return 0;
    tenant->SetStatus(10);
    tenant->SetPatIndex(0);
    tenant->SetDrawMode(1);
    return 1;
}

void WbTowerDoc::SetArrivals(WbArrivalMode mode, uint32_t seed)
{
    mArrivalMode = mode;
    mRandomState = seed ? seed : 1;
}

namespace {

// Orders the arrival heap so that its front is the earliest due, and among equals the earliest called.
struct LaterArrival {
    template <typename Arrival> bool operator()(const Arrival& a, const Arrival& b) const
    {
        return a.dueMinute != b.dueMinute ? a.dueMinute > b.dueMinute : a.order > b.order;
    }
};

} // namespace

void WbTowerDoc::ScheduleArrivals(WbTenant* tenant, int32_t count)
{
    if (!tenant || mArrivalMode == WbArrivalMode::None)
        return;
    const int64_t now = AbsoluteMinute();
    for (int32_t i = 0; i < count; ++i) {
        const int64_t delay = mArrivalMode == WbArrivalMode::Immediate ? 1 : 1 + NextRandom() % kSpreadMinutes;
        mArrivals.push_back({now + delay, mArrivalOrder++, tenant});
        std::push_heap(mArrivals.begin(), mArrivals.end(), LaterArrival{});
    }
}

void WbTowerDoc::DeliverArrivals()
{
    const int64_t now = AbsoluteMinute();
    while (!mArrivals.empty() && mArrivals.front().dueMinute <= now) {
        std::pop_heap(mArrivals.begin(), mArrivals.end(), LaterArrival{});
        WbTenant* tenant = mArrivals.back().tenant;
        mArrivals.pop_back();
        tenant->TakeReserved();
        WbPeople* person = MakePerson();
        if (WbTenantDef* def = tenant->GetTenantDef())
            def->EnterTenantProc(this, tenant, person);
        else
            ReleasePerson(person);
    }
}

void WbTowerDoc::CancelArrivals(WbTenant* tenant)
{
    const auto removed =
        std::erase_if(mArrivals, [tenant](const Arrival& arrival) { return arrival.tenant == tenant; });
    if (removed)
        std::make_heap(mArrivals.begin(), mArrivals.end(), LaterArrival{});
}

// People are pooled: a person released goes back to the pool and is handed out again, so a running
// tower stops allocating once it has met its busiest minute.
WbPeople* WbTowerDoc::MakePerson()
{
    if (!mFreePeople.empty()) {
        WbPeople* person = mFreePeople.back();
        mFreePeople.pop_back();
        return person;
    }
    mPeople.push_back(std::make_unique<WbPeople>(mNextPeopleID++));
    mFreePeople.reserve(mPeople.capacity());
    return mPeople.back().get();
}

void WbTowerDoc::ReleasePerson(WbPeople* person)
{
    if (!person)
        return;
    person->SetCurTenantID(0);
    person->SetWorkTenant(0);
    person->SetLeaveMinute(0);
    mFreePeople.push_back(person);
}

int64_t WbTowerDoc::AbsoluteMinute() const
{
    return int64_t(mNow.CalcTotalDays()) * WbDateTime::kMinutesPerDay + mNow.GetRawMinutes();
}

// xorshift32: small, fast and the same on every platform for a given seed.
uint32_t WbTowerDoc::NextRandom()
{
    uint32_t x = mRandomState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    mRandomState = x;
    return x;
}
