// The theater's info dialog: hands the film part to the tenant's schedule and opens the film selection.
#include "WbTheaterInfoDialog.h"

#include "WbDialogItems.h"
#include "WbMovieSelectDialog.h"
#include "WbShowSchedule.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"

using namespace WbDialogItems;

namespace {

constexpr UINT kSelectTemplateID = 2000;

constexpr int kHitEstimate = 12;
constexpr int kFewCustomersEstimate = 9;
constexpr UINT kCommentHit = 0x10000001;
constexpr UINT kCommentFewCustomers = 0x10000002;
constexpr UINT kCommentReleaseDay = 0x10000003;

} // namespace

WbTheaterInfoDialog::WbTheaterInfoDialog(WbTenant* tenant) : WbHallInfoDialog(tenant) {}

WbTheaterInfoDialog::~WbTheaterInfoDialog() = default;

// A burning theater keeps its film part as the template made it, and "Change Film" cannot be used.
void WbTheaterInfoDialog::OnWbCreate()
{
    WbHallInfoDialog::OnWbCreate();
    if (GetTenant() && GetTenant()->IsFire()) {
        if (WbDlgItem* button = GetWbDlgItem(kChangeFilmButton))
            button->EnableWindow(FALSE);
        return;
    }
    WbTowerDoc* doc = GetDocument();
    WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant());
    if (doc && doc->GetWorldDef() && schedule)
        schedule->SetupInfoDialog(this);
}

// The film's comments read the schedule as it stands before SetupInfoDialog reloads its film: this runs
// from the base's OnWbCreate.
void WbTheaterInfoDialog::MakeComments()
{
    WbHallInfoDialog::MakeComments();
    WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant());
    if (!schedule || !schedule->GetMovie())
        return;
    const int estimate = GetTenant()->CalcEstimateColor();
    if (estimate == kHitEstimate)
        AddComment(kCommentHit, nullptr);
    if (estimate == kFewCustomersEstimate)
        AddComment(kCommentFewCustomers, nullptr);
    if (schedule->GetShowDays() == 1)
        AddComment(kCommentReleaseDay, nullptr);
}

void WbTheaterInfoDialog::OnWbOK()
{
    if (WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant()))
        schedule->ApplyNewMovie();
    WbHallInfoDialog::OnWbOK();
}

void WbTheaterInfoDialog::OnWbDestroy()
{
    if (WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant()))
        schedule->SetInfoDialog(nullptr);
}

// The selection dialog is placed on the centre of the main window and stays open after Realize
// returns; the info dialog takes no input until the selection dialog gives it back. A selection
// dialog that cannot be realised is not kept, and the info dialog stays usable.
void WbTheaterInfoDialog::ListenToMessage(UINT message, void*)
{
    WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant());
    WbTenantDef* def = GetTenantDef();
    if (message != UINT(kChangeFilmButton) || !schedule || schedule->GetSelectDialog() || !def)
        return;
    RECT screen;
    AfxGetThread()->GetMainWnd()->GetWindowRect(&screen);
    const WBDLGTEMPLATE dlgTemplate{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2,
                                    def->GetModuleHandle(), kSelectTemplateID};
    auto* dialog = new WbMovieSelectDialog(GetTenant());
    schedule->SetSelectDialog(dialog);
    if (!dialog->Realize(GetTenant(), dlgTemplate, GetDocument(), nullptr, nullptr, 1, nullptr, 0, 1)) {
        schedule->SetSelectDialog(nullptr);
        delete dialog;
        return;
    }
    if (schedule->GetInfoDialog())
        schedule->GetInfoDialog()->EnableWindow(FALSE);
}
