// Equipment and tenants of the stand-in tower: customers called, arriving, admitted and sent away,
// staff, the day's income and the business estimate.
#include "WbTenant.h"

#include "WbPeople.h"
#include "WbPrefetch.h"
#include "WbSaturated.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"

#include <algorithm>

namespace {

// Estimate colours, as the info dialog reads them.
constexpr int32_t kEstimateHit = 12;
constexpr int32_t kEstimateFew = 9;
constexpr int32_t kEstimateNormal = 10;

// The list of customers grows by doubling up to the seats and no further, so a full hall of 300 holds room
// for 300 and not 512; a tenant that admits more than its seats grows on by doubling.
void MakeRoomForOneMore(std::vector<WbPeople*>& customers, int32_t capacity)
{
    const size_t size = customers.size();
    if (size < customers.capacity())
        return;
    constexpr size_t kFirstRoom = 8;
    const size_t seats = size_t(std::max(capacity, 0));
    const size_t doubled = std::max(kFirstRoom, 2 * size);
    customers.reserve(size < seats ? std::min(doubled, seats) : doubled);
}

} // namespace

WbEquip::WbEquip(WbTowerDoc* doc, WbEquipDef* def, const RECT& areaUnits, uint32_t equipID)
    : mTowerDoc(doc), mDef(def), mArea(areaUnits), mEquipID(equipID)
{
}

WbEquip::~WbEquip() = default;

void WbEquip::GetTypicalName(CString& name) const
{
    if (!mTypicalName.IsEmpty())
        name = mTypicalName;
    else if (mDef)
        name = mDef->GetDefData().nameText;
    else
        name.Empty();
}

int WbEquip::GetInMoney() const { return mDef ? mDef->GetDefData().incomePerCustomer : 0; }

int WbEquip::GetOutMoney() const { return mDef ? mDef->GetDefData().monthlyCostHundreds : 0; }

WbHaveOutViewObject::~WbHaveOutViewObject() = default;

WbTenant::WbTenant(WbTowerDoc* doc, WbEquipDef* def, const RECT& areaUnits, uint32_t equipID)
    : WbHaveOutViewObject(doc, def, areaUnits, equipID)
{
    if (!def)
        return;
    if (def->IsTenant())
        mTenantDef = static_cast<WbTenantDef*>(def);
    const WbTenantDefData& data = def->GetDefData();
    mCapacity = data.capacity;
    mBelongCapacity = data.belongCapacity;
    SetHours(data.openMinute, data.closeMinute);
}

// The people inside go back to the document and the arrivals still on their way are called off, so a
// tenant must be destroyed before its document.
WbTenant::~WbTenant()
{
    if (!mTowerDoc)
        return;
    mTowerDoc->CancelArrivals(this);
    ReleaseAll(mCustomers);
    ReleaseAll(mStaff);
}

void WbTenant::EnterCustomer(WbPeople* person, uint32_t leaveMinute)
{
    if (!person || (mTowerDoc && !mTowerDoc->IsOwnPerson(person)))
        return;
    RollIncomeDay();
    person->SetCurTenantID(mEquipID);
    person->SetLeaveMinute(leaveMinute);
    MakeRoomForOneMore(mCustomers, mCapacity);
    mCustomers.push_back(person);
    mTotalCustomer = WbSaturated(int64_t(mTotalCustomer) + 1);
    mDayIncome = WbSaturated(int64_t(mDayIncome) + GetInMoney());
    Report(WbEventKind::Enter, leaveMinute);
}

void WbTenant::PushOutPeople(WbTowerDoc* doc, WbPeople* person)
{
    Report(WbEventKind::TurnAway, 0);
    if (WbTowerDoc* target = doc ? doc : mTowerDoc; target && person)
        target->ReleasePerson(person);
}

void WbTenant::PushOutAll(WbTowerDoc*)
{
    Report(WbEventKind::PushOutAll, int64_t(mCustomers.size() + mStaff.size()));
    ReleaseAll(mCustomers);
    ReleaseAll(mStaff);
}

void WbTenant::PushOutAllCustomer(WbTowerDoc*)
{
    Report(WbEventKind::PushOutCustomers, int64_t(mCustomers.size()));
    ReleaseAll(mCustomers);
}

void WbTenant::CollectCustomer(WbTowerDoc* doc, int32_t count)
{
    Report(WbEventKind::Collect, count);
    // The tower sends no more people than the tenant has seats for: those inside and those on their way
    // take the seats, and a call beyond them brings nobody more.
    const int64_t seatsLeft = int64_t(mCapacity) - GetCustomerCount() - mReserveCount;
    const int32_t called = int32_t(std::clamp<int64_t>(count, 0, std::max<int64_t>(seatsLeft, 0)));
    if (called == 0)
        return;
    mReserveCount += called;
    if (WbTowerDoc* target = doc ? doc : mTowerDoc)
        target->ScheduleArrivals(this, called);
}

// Staff come once: calling them again while they are at work brings nobody new.
void WbTenant::CallBelongPeople(uint32_t minute)
{
    Report(WbEventKind::CallStaff, minute);
    if (!mTowerDoc)
        return;
    while (int32_t(mStaff.size()) < mBelongCapacity) {
        WbPeople* person = mTowerDoc->MakePerson();
        person->SetWorkTenant(mEquipID);
        person->SetCurTenantID(mEquipID);
        mStaff.push_back(person);
    }
}

// Customers on their way are called off with the count, so the reserve always equals the arrivals
// still pending for the tenant.
void WbTenant::ClearReserveCount()
{
    Report(WbEventKind::ClearReserve, mReserveCount);
    if (mTowerDoc)
        mTowerDoc->CancelArrivals(this);
    mReserveCount = 0;
}

void WbTenant::ClearTotalCustomer()
{
    Report(WbEventKind::ClearTotal, mTotalCustomer);
    mTotalCustomer = 0;
}

int32_t WbTenant::CalcInMoney()
{
    RollIncomeDay();
    const int32_t unbooked = WbSaturated(int64_t(mDayIncome) - mBookedIncome);
    mBookedIncome = mDayIncome;
    return unbooked;
}

// The colour follows the day's customers against the seats: twice the capacity or more is a hit, less
// than half of it few customers. In the first hour of business the day's count has only just been
// reset, so the colour stays as it was.
int WbTenant::UpdateCommercialEstimate()
{
    int32_t colour = mEstimateColor;
    const uint32_t minute = mTowerDoc ? mTowerDoc->GetCurrentDateTime()->GetRawMinutes() : 0;
    if (mCapacity > 0 && minute >= mOpenMinute + 60) {
        if (int64_t(mTotalCustomer) >= 2 * int64_t(mCapacity))
            colour = kEstimateHit;
        else if (int64_t(mTotalCustomer) * 2 < int64_t(mCapacity))
            colour = kEstimateFew;
        else
            colour = kEstimateNormal;
    }
    const int changed = colour != mEstimateColor ? 1 : 0;
    mEstimateColor = colour;
    Report(WbEventKind::Estimate, changed);
    return changed;
}

void WbTenant::SetMoviePlugin(WbMoviePlugin* movie)
{
    mSubPlugin = movie;
    Report(WbEventKind::SetFilm, 0, movie);
}

void WbTenant::TakeReserved()
{
    if (mReserveCount > 0)
        --mReserveCount;
}

void WbTenant::Report(WbEventKind kind, int64_t value, const WbMoviePlugin* film) const
{
    if (mTowerDoc)
        mTowerDoc->Report({.kind = kind, .equip = this, .film = film, .value = value});
}

void WbTenant::RollIncomeDay()
{
    if (!mTowerDoc)
        return;
    const int32_t today = mTowerDoc->GetCurrentDateTime()->CalcTotalDays();
    if (today != mIncomeDay) {
        mIncomeDay = today;
        mDayIncome = 0;
        mBookedIncome = 0;
    }
}

// A show's audience leaves at once, handed back to the document as a list, without a look at anyone.
void WbTenant::ReleaseAll(std::vector<WbPeople*>& people)
{
    if (mTowerDoc)
        mTowerDoc->ReleasePeople(people);
    people.clear();
}

// The crowd's places in the list are written one after the other; asking for them before the first
// enters saves each a wait.
void WbTenant::PrefetchCustomers(uint32_t count) const
{
    const size_t places = std::min<size_t>(count, mCustomers.capacity() - mCustomers.size());
    WbPrefetchBytes(mCustomers.data() + mCustomers.size(), places * sizeof(WbPeople*));
}
