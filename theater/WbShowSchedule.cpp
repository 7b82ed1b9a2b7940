// Show schedule of one theater tenant: the day's shows, its customer target and its save record.
#include "WbShowSchedule.h"

#include "WbArchive.h"
#include "WbMoviePlugin.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"

#include <algorithm>
#include <limits>
#include <utility>

namespace {

using namespace WbTheaterStatus;

// Rounds a product to double precision. A 32-bit x87 build keeps intermediates in 80 bits, which would
// turn 100 x (29 x 0.01) into 29 instead of 28; the store through a volatile double forces the rounding
// that every step of the carry-over rule is defined with.
double AsDouble(double value)
{
    volatile double stored = value;
    return stored;
}

// The next day's target: the percentage is scaled first, then applied to the best attendance, and the
// result rounded down, so 29 % of 100 customers carries over as 28. A film whose percentage would carry over
// more customers than a count holds asks for as many as it can hold.
int32_t CarryOver(int32_t percentage, int32_t bestAttendance)
{
    constexpr double kLeast = std::numeric_limits<int32_t>::min();
    constexpr double kMost = std::numeric_limits<int32_t>::max();
    const double factor = AsDouble(double(percentage) * 0.01);
    return int32_t(std::clamp(AsDouble(factor * double(bestAttendance)), kLeast, kMost));
}

} // namespace

WbShowSchedule* WbShowSchedule::Of(const WbHaveOutViewObject* tenant)
{
    return tenant ? static_cast<WbShowSchedule*>(tenant->GetRefCon()) : nullptr;
}

WbShowSchedule::WbShowSchedule(CProgramPlugin* plugin, WbTowerDoc* doc, WbTenant* tenant)
    : mPlugin(plugin), mTowerDoc(doc), mTenant(tenant)
{
}

WbShowSchedule::~WbShowSchedule() = default;

int WbShowSchedule::CheckMovieRun() { return 1; }

int WbShowSchedule::IsRunEnded() const { return 0; }

void WbShowSchedule::SetRunEnded(int) {}

// The title is made before anything changes, so a title that cannot be made leaves the schedule showing
// what it showed.
void WbShowSchedule::SetMovie(WbMoviePlugin* film)
{
    if (film) {
        CString title;
        film->GetTitle(title, mMovieType);
        mTitle = std::move(title);
    }
    mMovie = film;
}

void WbShowSchedule::ProcessStatus(int32_t oldStatus, int32_t newStatus)
{
    if (!mMovie || !mTenant || !mTowerDoc)
        return;
    if (oldStatus == newStatus) {
        if (oldStatus == kRunning)
            CollectCustomers();
        return;
    }

    if (oldStatus == kClosed) {
        // The day's first show cycle: the day's target, from what the film did before.
        mTenant->ClearReserveCount();
        if (mTargetCount >= 0)
            mTargetCount = CarryOver(mMovie->GetCarryOver(), mBestAttendance);
        else if (GetNOPersonsR() > 0)
            mTargetCount = GetNOPersonsR();
        else if (mMovie->GetFirstDayAudience() > 0)
            mTargetCount = mMovie->GetFirstDayAudience();
        else
            mTargetCount = mTenant->GetCapacity();
        // Counted as the 32-bit figure it is saved as: a count restored at its largest wraps round.
        mShowDays = int32_t(uint32_t(mShowDays) + 1u);
        mBestAttendance = 0;
    } else if (oldStatus == kRunning) {
        // A show has ended: count its audience before it leaves.
        const int32_t present = mTenant->GetCustomerCount();
        mTenant->PushOutAllCustomer(mTowerDoc);
        if (mBestAttendance < present)
            mBestAttendance = present;
    }

    if (newStatus == kClosed) {
        if (GetNOPersonsR() < mBestAttendance)
            SetNOPersonsR(mBestAttendance);
        mTenant->PushOutAll(mTowerDoc);
    } else if (newStatus == kEntry) {
        CollectCustomers();
    }
}

void WbShowSchedule::CollectCustomers()
{
    if (!mTowerDoc || !mTenant)
        return;
    // Counted in the 32-bit arithmetic the target is saved in: a target restored at the bottom of its range
    // wraps round as it did when the figure was written, instead of being undefined.
    const int32_t wanted =
        int32_t(uint32_t(mTargetCount) - uint32_t(mTenant->GetReserveCount()) - uint32_t(mTenant->GetCustomerCount()));
    if (wanted > 0)
        mTenant->CollectCustomer(mTowerDoc, wanted);
}

void WbShowSchedule::CheckReMake()
{
    if (!mTenant || !mTowerDoc)
        return;
    WbEquipDef* def = mTenant->GetEquipDef();
    const CFilePluginList* films = def ? def->GetSubPluginList() : nullptr;
    if (!films)
        return;
    // The days since the base are counted as the 32-bit figures both are: a clock that has run past the
    // last day it can count still gives each film a day, as the subtraction wraps.
    const int32_t days =
        int32_t(uint32_t(mTowerDoc->GetCurrentDateTime()->CalcTotalDays()) - uint32_t(mTowerDoc->GetDayBase()));
    for (CFilePlugin* plugin : *films)
        if (auto* film = dynamic_cast<WbMoviePlugin*>(plugin))
            film->ChkReMake(days);
}

void WbShowSchedule::Write(WbArchive& archive) const
{
    archive << kRecordBytes << (mMovie ? mMovie->GetID() : uint32_t(0)) << mTargetCount << mBestAttendance << mShowDays
            << mSpare;
}

// A record cut short by the end of the archive leaves the schedule as it was: the archive's error
// state says the load failed, and nothing half-read is taken up.
void WbShowSchedule::Read(WbArchive& archive)
{
    uint32_t filmID = 0;
    int32_t target = 0;
    int32_t best = 0;
    int32_t showDays = 0;
    int32_t spare = 0;
    archive >> filmID >> target >> best >> showDays >> spare;
    if (archive.IsFailed())
        return;

    // The film is taken up first: a title that cannot be made leaves the counters as they were too.
    WbEquipDef* def = mTenant ? mTenant->GetEquipDef() : nullptr;
    const CFilePluginList* films = def ? def->GetSubPluginList() : nullptr;
    auto* film = films ? dynamic_cast<WbMoviePlugin*>(films->GetItem(filmID)) : nullptr;
    if (films)
        SetMovie(film);
    mTargetCount = target;
    mBestAttendance = best;
    mShowDays = showDays;
    mSpare = spare;
    if (films)
        mTenant->SetMoviePlugin(film);
}
