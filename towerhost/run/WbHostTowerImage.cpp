// A tower taken down to plain values for its save file, and built again from them.
#include "WbHostTower.h"

#include "WbArchive.h"
#include "WbFilmShelf.h"
#include "WbHostCallRing.h"
#include "WbMoviePlugin.h"
#include "WbPeople.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"
#include "WbTowerFile.h"

namespace {

std::string TheaterKey(int index) { return "theaters[" + std::to_string(index) + "]"; }

} // namespace

WbTowerImage WbHostTower::Capture() const
{
    WbTowerImage image;
    const WbDateTime& now = *mDoc->GetCurrentDateTime();
    image.day = now.CalcTotalDays();
    image.minute = now.GetRawMinutes();
    image.funds = mDoc->GetCurrentFunds();
    image.dayBase = mDoc->GetDayBase();
    image.arrivalMode = mDoc->GetArrivalMode();
    image.seed = mSeed;
    image.randomState = mDoc->GetRandomState();
    image.films = mShelf.Capture();
    for (int i = 0; i < GetTheaterCount(); ++i) {
        const WbTenant& tenant = GetTheater(i);
        WbSavedTheater& saved = image.theaters.emplace_back();
        saved.name = GetTheaterName(i);
        saved.status = tenant.GetStatus();
        saved.pattern = tenant.GetPatIndex();
        saved.capacity = tenant.GetCapacity();
        saved.openMinute = tenant.GetOpenTime();
        saved.closeMinute = tenant.GetCloseTime();
        saved.filmID = tenant.GetSubPlugin() ? tenant.GetSubPlugin()->GetID() : 0;
        saved.reserve = tenant.GetReserveCount();
        saved.totalCustomers = tenant.GetTotalCustomer();
        saved.incomeDay = tenant.GetIncomeDay();
        saved.dayIncome = tenant.GetDayIncome();
        saved.bookedIncome = tenant.GetBookedIncome();
        saved.estimateColor = tenant.CalcEstimateColor();
        saved.staffPresent = int32_t(tenant.GetStaff().size());
        for (const WbPeople* customer : tenant.GetCustomers())
            saved.customerLeaveMinutes.push_back(customer->GetLeaveMinute());
        saved.extraData = SaveExtraData(i);
    }
    for (const WbTowerDoc::PendingArrival& arrival : mDoc->GetPendingArrivalList())
        image.arrivals.push_back({arrival.dueMinute, uint32_t(FindTheater(arrival.tenant))});
    return image;
}

std::unique_ptr<WbHostTower> WbHostTower::FromImage(const WbTowerImage& image, WbTenantDef* def, WbFilmShelf& shelf)
{
    auto tower = std::make_unique<WbHostTower>(def, shelf);
    WbTowerDoc& doc = *tower->mDoc;
    doc.SetCurrentDateTime(WbDateTime(image.day, image.minute));
    doc.SetFunds(image.funds);
    doc.SetDayBase(image.dayBase);
    for (int i = 0; i < int(image.theaters.size()); ++i) {
        const WbSavedTheater& saved = image.theaters[size_t(i)];
        WbTenant& tenant = tower->AddTheater(saved.name);
        tenant.SetCapacity(saved.capacity);
        tenant.SetHours(saved.openMinute, saved.closeMinute);
        tenant.SetMoviePlugin(saved.filmID ? shelf.Find(saved.filmID) : nullptr);
        tenant.SetStatus(saved.status);
        tenant.SetPatIndex(saved.pattern);
        tower->RestoreBusiness(i, saved);
        tower->RestoreExtraData(i, saved);
    }
    tower->RestoreArrivals(image);
    tower->mSeed = image.seed;
    doc.SetArrivals(image.arrivalMode, image.seed);
    doc.SetRandomState(image.randomState);
    return tower;
}

// Customers and staff come back through the tenant's own operations, which count and book as for a new
// arrival; the saved counts and books then replace what they counted.
void WbHostTower::RestoreBusiness(int index, const WbSavedTheater& saved)
{
    WbTenant& tenant = GetTheater(index);
    for (uint32_t leaveMinute : saved.customerLeaveMinutes)
        tenant.EnterCustomer(mDoc->MakePerson(), leaveMinute);
    if (saved.staffPresent > 0)
        tenant.CallBelongPeople(mDoc->GetCurrentDateTime()->GetRawMinutes());
    if (int32_t(tenant.GetStaff().size()) != saved.staffPresent)
        throw WbTowerFileError(TheaterKey(index) + ".staff: " + std::to_string(saved.staffPresent) +
                               " at work, but the theater's staff is " + std::to_string(tenant.GetBelongCapacity()));
    tenant.SetCounts(saved.reserve, saved.totalCustomers);
    tenant.SetIncome(saved.incomeDay, saved.dayIncome, saved.bookedIncome);
    tenant.SetEstimateColor(saved.estimateColor);
}

void WbHostTower::RestoreExtraData(int index, const WbSavedTheater& saved)
{
    WbArchive archive{std::span<const uint8_t>(saved.extraData)};
    WbHostCallRing::Enter("WbTenantDef::LoadExtraData");
    mDef->LoadExtraData(archive, mDoc.get(), &GetTheater(index));
    if (archive.IsFailed() || archive.GetPosition() != saved.extraData.size())
        throw WbTowerFileError(TheaterKey(index) + ".extra_data: the module read " +
                               std::to_string(archive.GetPosition()) + " of its " +
                               std::to_string(saved.extraData.size()) + " bytes");
}

// The document takes new arrivals only as calls from now on. Each saved arrival is therefore called, in
// order, at the minute before it is due with arrivals set to come at the next minute; the clock and
// the arrival mode are set afterwards.
void WbHostTower::RestoreArrivals(const WbTowerImage& image)
{
    mDoc->SetArrivals(WbArrivalMode::Immediate, image.seed);
    for (const WbSavedArrival& arrival : image.arrivals) {
        const int64_t calledAt = arrival.dueMinute - 1;
        mDoc->SetCurrentDateTime(WbDateTime(int32_t(calledAt / WbDateTime::kMinutesPerDay),
                                            uint32_t(calledAt % WbDateTime::kMinutesPerDay)));
        mDoc->ScheduleArrivals(&GetTheater(int(arrival.theater)), 1);
    }
    mDoc->SetCurrentDateTime(WbDateTime(image.day, image.minute));
}
