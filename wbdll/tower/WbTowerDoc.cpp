// The stand-in tower document: money, redraw requests, construction's end, and the people who are
// called to tenants, arrive and leave again.
#include "WbTowerDoc.h"

#include "WbImage.h"
#include "WbPeople.h"
#include "WbSaturated.h"
#include "WbTenant.h"
#include "WbTenantDef.h"

#include <algorithm>
#include <array>
#include <functional>
#include <limits>

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

// The chains threaded through the document's people go with them. A link's person is only compared, never
// read: a chain may have been threaded through people who are gone.
WbTowerDoc::~WbTowerDoc()
{
    WbPeople::ForgetLinks([this](const WbPeople* person) {
        return std::ranges::any_of(mPeople, [person](const PeopleBlock& block) {
            return std::less_equal<>{}(block.data(), person) && std::less<>{}(person, block.data() + block.size());
        });
    });
}

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
    std::array<std::vector<ArrivalRun>*, kSpreadMinutes> dueLists{};
    const int64_t now = AbsoluteMinute();
    for (int32_t i = 0; i < count; ++i) {
        const uint32_t delay = mArrivalMode == WbArrivalMode::Immediate ? 1 : 1 + NextRandom() % kSpreadMinutes;
        std::vector<ArrivalRun>*& due = dueLists[delay - 1];
        if (!due)
            due = &ArrivalsDueAt(now + delay);
        AppendArrival(*due, called);
    }
    called.pending += count;
    mPendingArrivals += count;
}

void WbTowerDoc::AppendArrival(std::vector<ArrivalRun>& due, TenantArrivals& called)
{
    if (!due.empty()) {
        ArrivalRun& last = due.back();
        if (last.called == &called && last.cancellationsWhenCalled == called.cancellations &&
            last.count < std::numeric_limits<uint32_t>::max()) {
            ++last.count;
            return;
        }
    }
    due.push_back({&called, called.cancellations, 1});
}

// A minute without arrivals yet takes a spare list, so that its node and capacity are used again.
std::vector<WbTowerDoc::ArrivalRun>& WbTowerDoc::ArrivalsDueAt(int64_t dueMinute)
{
    const auto found = mArrivalsDue.lower_bound(dueMinute);
    if (found != mArrivalsDue.end() && found->first == dueMinute)
        return found->second;
    if (mSpareMinutes.empty())
        return mArrivalsDue.emplace_hint(found, dueMinute, std::vector<ArrivalRun>{})->second;
    ArrivalsByMinute::node_type spare = std::move(mSpareMinutes.back());
    mSpareMinutes.pop_back();
    spare.key() = dueMinute;
    return mArrivalsDue.insert(found, std::move(spare))->second;
}

// Arrivals called while the minute's list is delivered are due later, so the list does not change under
// the loop. Each arrival is looked at as its turn comes: a tenant that calls off its customers while the
// first of a run enter passes over the rest.
void WbTowerDoc::DeliverArrivals()
{
    const int64_t now = AbsoluteMinute();
    while (!mArrivalsDue.empty() && mArrivalsDue.begin()->first <= now) {
        ArrivalsByMinute::node_type due = mArrivalsDue.extract(mArrivalsDue.begin());
        PrefetchPeople();
        for (const ArrivalRun& run : due.mapped()) {
            if (!run.IsCalledOff())
                run.called->tenant->PrefetchCustomers(run.count);
            for (uint32_t i = 0; i < run.count && !run.IsCalledOff(); ++i) {
                --run.called->pending;
                --mPendingArrivals;
                Admit(run.called->tenant);
            }
        }
        due.mapped().clear();
        mSpareMinutes.push_back(std::move(due));
    }
}

void WbTowerDoc::Admit(WbTenant* tenant)
{
    tenant->TakeReserved();
    WbPeople* person = MakePerson();
    if (WbTenantDef* def = tenant->GetTenantDef())
        def->EnterTenantProc(this, tenant, person);
    else
        ReleasePerson(person);
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

void WbTowerDoc::GetTenantsDue(std::vector<WbTenant*>& tenants) const
{
    tenants.clear();
    const int64_t now = AbsoluteMinute();
    for (auto due = mArrivalsDue.begin(); due != mArrivalsDue.end() && due->first <= now; ++due)
        for (const ArrivalRun& run : due->second)
            if (!run.IsCalledOff())
                tenants.push_back(run.called->tenant);
}

std::vector<WbTowerDoc::PendingArrival> WbTowerDoc::GetPendingArrivalList() const
{
    std::vector<PendingArrival> list;
    list.reserve(size_t(mPendingArrivals));
    for (const auto& [dueMinute, runs] : mArrivalsDue)
        for (const ArrivalRun& run : runs)
            if (!run.IsCalledOff())
                list.insert(list.end(), run.count, PendingArrival{dueMinute, run.called->tenant});
    return list;
}

// People are pooled: a person released goes back to the pool and is handed out again, so a running
// tower stops allocating once it has met its busiest minute. They are made in blocks, which neither
// move them nor spend an allocation on each. A person is not looked at when he is released, only when he
// is handed out again, when he is cleared: a show's audience leaving goes back to the pool without a trip
// to each one's memory, and an arrival's trip is asked for a few arrivals ahead. The list of free people
// grows by a quarter at a time: it is as long as the busiest minute's crowd, and doubling would leave up
// to that much again unused.
WbPeople* WbTowerDoc::MakePerson()
{
    if (!mFreePeople.empty()) {
        WbPeople* person = mFreePeople.back();
        mFreePeople.pop_back();
        if (mFreePeople.size() >= kPeopleAhead)
            __builtin_prefetch(mFreePeople[mFreePeople.size() - kPeopleAhead], 1);
        person->SetCurTenantID(0);
        person->SetWorkTenant(0);
        person->SetLeaveMinute(0);
        return person;
    }
    // The room is made before the person, so that a tower out of memory keeps its pool as it was.
    const size_t made = size_t(mNextPeopleID);
    if (mFreePeople.capacity() < made)
        mFreePeople.reserve(made + made / 4);
    if (mPeople.empty() || mPeople.back().size() == kPeoplePerBlock) {
        PeopleBlock block;
        block.reserve(kPeoplePerBlock);
        mPeople.push_back(std::move(block));
    }
    return &mPeople.back().emplace_back(mNextPeopleID++);
}

// The document numbers people from 1 in the order it makes them, so a person's number gives his place.
bool WbTowerDoc::IsOwnPerson(const WbPeople* person) const
{
    if (!person)
        return false;
    const size_t place = size_t(person->GetPeopleID()) - 1;
    return place / kPeoplePerBlock < mPeople.size() &&
           place % kPeoplePerBlock < mPeople[place / kPeoplePerBlock].size() &&
           &mPeople[place / kPeoplePerBlock][place % kPeoplePerBlock] == person;
}

void WbTowerDoc::ReleasePerson(WbPeople* person)
{
    if (IsOwnPerson(person))
        mFreePeople.push_back(person);
}

void WbTowerDoc::ReleasePeople(std::span<WbPeople* const> people)
{
    mFreePeople.insert(mFreePeople.end(), people.begin(), people.end());
}

// The next people to be handed out are the last ones released, whose memory has not been looked at since
// they entered: the first few are asked for when a minute's arrivals begin, and each one handed out asks for
// the one that many places further down.
void WbTowerDoc::PrefetchPeople() const
{
    const size_t free = mFreePeople.size();
    for (size_t i = 1; i <= std::min(kPeopleAhead, free); ++i)
        __builtin_prefetch(mFreePeople[free - i], 1);
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
