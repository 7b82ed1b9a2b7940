// The stand-in tower document: money, redraw requests, construction's end, and the people who are
// called to tenants, arrive and leave again.
#include "WbTowerDoc.h"

#include "WbImage.h"
#include "WbPeople.h"
#include "WbSaturated.h"
#include "WbTenant.h"
#include "WbTenantDef.h"

#include <array>

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
void WbTowerDoc::PayMoney(int32_t amount, int32_t category, WbToolDef* def)
{
    mFunds = WbSaturated(int64_t(mFunds) - amount);
    Report({.kind = WbEventKind::PayMoney, .value = amount, .category = category, .def = def});
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

void WbTowerDoc::ScheduleArrivals(WbTenant* tenant, int32_t count)
{
    if (!tenant || mArrivalMode == WbArrivalMode::None || count <= 0)
        return;
    TenantArrivals& called = mTenantArrivals.try_emplace(tenant, TenantArrivals{tenant}).first->second;
    // A call's arrivals fall on at most kSpreadMinutes minutes; each minute's list is looked up once.
    std::array<std::vector<Arrival>*, kSpreadMinutes> dueLists{};
    const int64_t now = AbsoluteMinute();
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t delay = mArrivalMode == WbArrivalMode::Immediate ? 1 : 1 + NextRandom() % kSpreadMinutes;
        std::vector<Arrival>*& due = dueLists[delay - 1];
        if (!due)
            due = &ArrivalsDueAt(now + delay);
        due->push_back({&called, called.cancellations});
    }
    called.pending += count;
    mPendingArrivals += count;
}

// A minute without arrivals yet takes a spare list, so that its node and capacity are used again.
std::vector<WbTowerDoc::Arrival>& WbTowerDoc::ArrivalsDueAt(int64_t dueMinute)
{
    const auto found = mArrivalsDue.lower_bound(dueMinute);
    if (found != mArrivalsDue.end() && found->first == dueMinute)
        return found->second;
    if (mSpareMinutes.empty())
        return mArrivalsDue.emplace_hint(found, dueMinute, std::vector<Arrival>{})->second;
    ArrivalsByMinute::node_type spare = std::move(mSpareMinutes.back());
    mSpareMinutes.pop_back();
    spare.key() = dueMinute;
    return mArrivalsDue.insert(found, std::move(spare))->second;
}

// Arrivals called while the minute's list is delivered are due later, so the list does not change under
// the loop; one whose tenant called off its customers meanwhile is passed over.
void WbTowerDoc::DeliverArrivals()
{
    const int64_t now = AbsoluteMinute();
    while (!mArrivalsDue.empty() && mArrivalsDue.begin()->first <= now) {
        ArrivalsByMinute::node_type due = mArrivalsDue.extract(mArrivalsDue.begin());
        for (const Arrival& arrival : due.mapped()) {
            if (arrival.IsCalledOff())
                continue;
            --arrival.called->pending;
            --mPendingArrivals;
            WbTenant* tenant = arrival.called->tenant;
            tenant->TakeReserved();
            WbPeople* person = MakePerson();
            if (WbTenantDef* def = tenant->GetTenantDef())
                def->EnterTenantProc(this, tenant, person);
            else
                ReleasePerson(person);
        }
        due.mapped().clear();
        mSpareMinutes.push_back(std::move(due));
    }
}

void WbTowerDoc::CancelArrivals(WbTenant* tenant)
{
    const auto found = mTenantArrivals.find(tenant);
    if (found == mTenantArrivals.end() || found->second.pending == 0)
        return;
    TenantArrivals& called = found->second;
    mPendingArrivals -= called.pending;
    called.pending = 0;
    ++called.cancellations;
}

std::vector<WbTowerDoc::PendingArrival> WbTowerDoc::GetPendingArrivalList() const
{
    std::vector<PendingArrival> list;
    list.reserve(size_t(mPendingArrivals));
    for (const auto& [dueMinute, arrivals] : mArrivalsDue)
        for (const Arrival& arrival : arrivals)
            if (!arrival.IsCalledOff())
                list.push_back({dueMinute, arrival.called->tenant});
    return list;
}

// People are pooled: a person released goes back to the pool and is handed out again, so a running
// tower stops allocating once it has met its busiest minute. They are made in blocks, which neither
// move them nor spend an allocation on each. The pool's list grows by a quarter at a time: it is as long
// as the busiest minute's crowd, and doubling would leave up to that much again unused.
WbPeople* WbTowerDoc::MakePerson()
{
    if (!mFreePeople.empty()) {
        WbPeople* person = mFreePeople.back();
        mFreePeople.pop_back();
        return person;
    }
    WbPeople& person = mPeople.emplace_back(mNextPeopleID++);
    if (mFreePeople.capacity() < mPeople.size())
        mFreePeople.reserve(mPeople.size() + mPeople.size() / 4);
    return &person;
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
