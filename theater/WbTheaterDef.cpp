// The movie theater's tenant definition: the theater's day, its arrivals, its picture and its save data.
#include "WbTheaterDef.h"

#include "WbArchive.h"
#include "WbImage.h"
#include "WbMoviePlugin.h"
#include "WbMovieSchedule.h"
#include "WbNoThrow.h"
#include "WbTenant.h"
#include "WbTheaterInfoDialog.h"
#include "WbTowerDoc.h"

#include <new>

namespace {

using namespace WbTheaterStatus;

// Each action tied to a moment of the day runs on every pass in a window this many minutes wide.
constexpr uint32_t kWindowMinutes = 8;
constexpr int32_t kIncomeCategory = 3;
constexpr uint32_t kViewObject = 100;
// The film's screen sits this far right of the picture's lower-left corner and this far up from it.
constexpr int kScreenLeft = 14;
constexpr int kScreenRaise = 22;

int32_t PatternIndexOf(int32_t status) { return status >= kEntry ? status - 29 : 0; }

// The picture's pattern number, 100 x height + pattern index, in the 32-bit arithmetic of the figures it is
// made of: a pattern index restored at the top of its range wraps round instead of being undefined.
int32_t PictureNumber(int32_t heightUnits, int32_t patternIndex)
{
    return int32_t(100u * uint32_t(heightUnits) + uint32_t(patternIndex));
}

// Reads and drops count bytes, stopping at the end of the archive so a huge length cannot spin.
void SkipBytes(WbArchive& archive, int64_t count)
{
    for (int64_t i = 0; i < count && !archive.IsFailed(); ++i) {
        int8_t dropped = 0;
        archive >> dropped;
    }
}

// Finds the show that contains minute m: sets the new status for an entry period or a running film and
// returns 1, or returns 0 when the film may not run or the day's shows are over. Every show before the
// minute's own cycle has ended by m, so the search starts at that cycle: it finds what a search from
// the first show finds, without walking the day's shows on every pass.
int FindShow(WbShowSchedule& schedule, uint32_t m, int32_t status, int32_t& newStatus)
{
    if (!schedule.CheckMovieRun())
        return 0;
    for (int show = schedule.GetShowAt(m);; ++show) {
        unsigned int entry = 0;
        unsigned int start = 0;
        unsigned int end = 0;
        if (!schedule.GetShowTime(show, entry, start, end))
            return 0;
        if (entry <= m && m < start) {
            newStatus = status == kHalfFull ? kHalfFull : kEntry;
            return 1;
        }
        if (start <= m && m < end) {
            newStatus = kRunning;
            return 1;
        }
    }
}

} // namespace

WbTheaterDef::WbTheaterDef(uint32_t type, const WbPluginSpecifier& specifier, CResFile* resFile, WbWorldDef* worldDef,
                           WbTenantPlugin* owner)
    : WbTenantDef(type, specifier, resFile, worldDef, owner)
{
}

WbTheaterDef::~WbTheaterDef() = default;

void WbTheaterDef::DefIdleProc(WbTowerDoc*) {}

void WbTheaterDef::NotifyTenantProc(int32_t, int32_t, int32_t) {}

void* WbTheaterDef::GetRefConObject(WbTowerDoc* doc, WbTenant* tenant)
{
    if (void* existing = tenant->GetRefCon())
        return existing;
    WbShowSchedule* schedule = new (std::nothrow) WbMovieSchedule(GetPlugin(), doc, tenant);
    tenant->SetRefCon(schedule);
    return schedule;
}

// A schedule made here whose film cannot be taken up is not kept: the next pass makes it again, whole.
void WbTheaterDef::AttachFilm(WbTowerDoc* doc, WbTenant* tenant)
{
    const bool made = tenant->GetRefCon() == nullptr;
    auto* schedule = static_cast<WbShowSchedule*>(GetRefConObject(doc, tenant));
    if (!schedule)
        return;
    try {
        schedule->SetMovie(tenant->GetSubPlugin());
    } catch (const std::bad_alloc&) {
        if (made)
            DestructFinish(doc, tenant);
        throw;
    }
}

void WbTheaterDef::PrepareTenantProc(WbTowerDoc* doc, WbTenant* tenant)
{
    WbSkipOnFailure([&] { AttachFilm(doc, tenant); });
    if (doc->GetDayBase() == 0)
        doc->SetDayBase(doc->GetCurrentDateTime()->CalcTotalDays());
}

// Every schedule this definition makes is a movie schedule, so it is freed as one.
void WbTheaterDef::DestructFinish(WbTowerDoc*, WbHaveOutViewObject* equip)
{
    WbShowSchedule* schedule = WbShowSchedule::Of(equip);
    if (!schedule)
        return;
    delete static_cast<WbMovieSchedule*>(schedule);
    equip->SetRefCon(nullptr);
}

// The schedule allocates nothing here; only the archive's own store can run out of memory.
void WbTheaterDef::SaveExtraData(WbArchive& archive, WbHaveOutViewObject* equip)
{
    WbSkipOnFailure([&] {
        if (const WbShowSchedule* schedule = WbShowSchedule::Of(equip))
            schedule->Write(archive);
        else
            archive << int32_t(0);
    });
}

// The schedule reads exactly its 20-byte record. A longer record (a later format) has its tail
// skipped; a shorter one cannot hold the record and is skipped whole, leaving the new schedule as
// made. Either way the next tenant's data starts where the length word says.
void WbTheaterDef::LoadExtraData(WbArchive& archive, WbTowerDoc* doc, WbHaveOutViewObject* equip)
{
    auto* tenant = dynamic_cast<WbTenant*>(equip);
    auto* schedule = tenant ? static_cast<WbShowSchedule*>(GetRefConObject(doc, tenant)) : nullptr;
    int32_t length = 0;
    archive >> length;
    if (length <= 0)
        return;
    if (schedule && length >= WbShowSchedule::kRecordBytes) {
        // A film whose title cannot be made is not taken up; the record has been read all the same.
        WbSkipOnFailure([&] { schedule->Read(archive); });
        SkipBytes(archive, int64_t(length) - WbShowSchedule::kRecordBytes);
    } else {
        SkipBytes(archive, length);
    }
}

// A pass that runs out of memory inside the host's calls ends there; the next pass starts afresh.
int WbTheaterDef::TenantIdleProc(WbTowerDoc* doc, WbTenant* tenant, int32_t)
{
    return WbAnswerOnFailure(0, [&] { return IdlePass(doc, tenant); });
}

int WbTheaterDef::IdlePass(WbTowerDoc* doc, WbTenant* tenant)
{
    const int32_t status = tenant->GetStatus();
    if (status >= kFire)
        return 0;
    if (!tenant->GetRefCon())
        WbSkipOnFailure([&] { AttachFilm(doc, tenant); });

    if (status < kFinished) {
        tenant->SetStatus(status + 1);
        tenant->SetDrawMode(1);
    } else {
        if (UpdateShowStatus(doc, tenant, status))
            tenant->SetDrawMode(1);
        if (status == kFinished)
            tenant->SetDrawMode(2);
    }

    // A headless host may run without a tower view; there is then nothing to redraw.
    if (tenant->GetDrawMode())
        if (WbTowerView* view = doc->GetTowerView())
            view->RequestUnitRedraw(tenant->GetEquipArea(), 0);
    return 0;
}

int WbTheaterDef::UpdateShowStatus(WbTowerDoc* doc, WbTenant* tenant, int32_t status)
{
    if (status == kFinished)
        return 0;
    WbShowSchedule* schedule = WbShowSchedule::Of(tenant);
    if (!schedule)
        return 0;

    int result = 0;
    int32_t newStatus = status;
    int running = 0;
    const WbDateTime* now = doc->GetCurrentDateTime();
    const uint32_t m = now->GetRawMinutes();
    const uint32_t open = tenant->GetOpenTime();
    const uint32_t close = tenant->GetCloseTime();

    if (m < kWindowMinutes)
        schedule->CheckReMake();
    // The staff are called an hour before opening.
    if (now->WithinMinutes(int32_t(open) - 60, int32_t(open) - 52))
        tenant->CallBelongPeople(m);

    if (m >= open) {
        if (m < open + kWindowMinutes)
            tenant->ClearTotalCustomer();
        // At closing time itself the day's income is booked and the shows are still looked at.
        bool showsLeft = true;
        if (m >= close) {
            // Paying the negated income books it; the negation is the 32-bit one, so income restored at the
            // bottom of its range is paid as itself rather than being undefined.
            if (m < close + kWindowMinutes)
                doc->PayMoney(int32_t(0u - uint32_t(tenant->CalcInMoney())), kIncomeCategory, tenant->GetEquipDef());
            showsLeft = m == close;
        }
        if (showsLeft)
            running = FindShow(*schedule, m, status, newStatus);
        if (m % 60 < kWindowMinutes) {
            const int changed = tenant->UpdateCommercialEstimate();
            result = doc->GetViewMode() == 2 && changed ? 1 : 0;
        }
    }

    if (!running)
        newStatus = kClosed;
    schedule->ProcessStatus(status, newStatus);
    if (newStatus != status) {
        tenant->SetStatus(newStatus);
        tenant->SetPatIndex(PatternIndexOf(newStatus));
        result |= 1;
    }
    return result;
}

void WbTheaterDef::EnterTenantProc(WbTowerDoc* doc, WbTenant* tenant, WbPeople* person)
{
    WbSkipOnFailure([&] { Admit(doc, tenant, person); });
}

void WbTheaterDef::Admit(WbTowerDoc* doc, WbTenant* tenant, WbPeople* person)
{
    const WbDateTime* now = doc->GetCurrentDateTime();
    const int32_t status = tenant->GetStatus();
    const WbMoviePlugin* film = tenant->GetSubPlugin();
    if (status == kClosed || !film) {
        tenant->PushOutPeople(doc, person);
        return;
    }
    // The leave minute is not wrapped at midnight.
    tenant->EnterCustomer(person, now->GetRawMinutes() + uint32_t(film->GetRunningTime()) + 30);
    if (status == kEntry && tenant->GetCustomerCount() == tenant->GetCapacity() / 2) {
        tenant->SetStatus(kHalfFull);
        tenant->SetPatIndex(PatternIndexOf(kHalfFull));
        tenant->SetDrawMode(1);
        if (WbTowerView* view = doc->GetTowerView())
            view->RequestUnitRedraw(tenant->GetEquipArea(), 0);
    }
}

// While the film runs the picture is composed anew on every call: the theater's frame, the film's
// screen over it, and the result drawn into the tower. Nothing is cached.
// Without memory for the off-screen picture the theater is not drawn on this call.
void WbTheaterDef::DrawProc(WbHaveOutViewObject* equip, RECT& area, WbTowerDoc* doc) const
{
    WbSkipOnFailure([&] { Draw(equip, area, doc); });
}

void WbTheaterDef::Draw(WbHaveOutViewObject* equip, RECT& area, WbTowerDoc* doc) const
{
    WbMoviePlugin* film = equip->GetSubPlugin();
    if (doc->GetDrawingMode() == 1 || equip->GetStatus() != kRunning || !film || !mImageObj) {
        WbTenantDef::DrawProc(equip, area, doc);
        return;
    }

    const int32_t pattern = PictureNumber(CalcEquipRect().bottom, equip->GetPatIndex());
    const int theater = mImageObj->FindObject(kViewObject, pattern, 0, 0, 255);
    RECT frame = mImageObj->GetObjectImage(theater);
    OffsetRect(&frame, -frame.left, -frame.top);

    WbBitImage offScreen(frame);
    mImageObj->DrawObject(&offScreen, theater, frame, 0, -1);

    if (const WbImageObj* filmImages = film->GetImageObj()) {
        const int screen = filmImages->FindObject(WbFourCC("SCRE"), -1, 0, 0, 255);
        const RECT screenRect = filmImages->GetObjectImage(screen);
        const int width = screenRect.right - screenRect.left;
        const int height = screenRect.bottom - screenRect.top;
        RECT dest{frame.left, frame.bottom - height, frame.left + width, frame.bottom};
        OffsetRect(&dest, kScreenLeft, -kScreenRaise);
        filmImages->DrawObject(&offScreen, screen, dest, 0, -1);
    }

    RECT target = area;
    UWbCoordinate::UnitToQD(target, doc->GetZoomLevel(), 0);
    WbImageObj composed;
    composed.AddObject("temp", 0, &offScreen, frame, 0, 0);
    composed.DrawObject(doc->GetDrawImage(), 0, target, doc->GetZoomLevel(), -1);
}

WbTenantInfoDialog* WbTheaterDef::ConstructInfoDialog(WbTenant* tenant)
{
    return WbAnswerOnFailure<WbTenantInfoDialog*>(nullptr, [tenant] { return new WbTheaterInfoDialog(tenant); });
}
