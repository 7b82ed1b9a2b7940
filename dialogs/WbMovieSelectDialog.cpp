// The film selection dialog: hands its table, its preview and "Show" to the tenant's schedule.
#include "WbMovieSelectDialog.h"

#include "WbDialogItems.h"
#include "WbShowSchedule.h"
#include "WbTenant.h"
#include "WbTheaterInfoDialog.h"
#include "WbTowerDoc.h"

using namespace WbDialogItems;

WbMovieSelectDialog::WbMovieSelectDialog(WbTenant* tenant) : WbTenantInfoDialog(tenant) {}

WbMovieSelectDialog::~WbMovieSelectDialog() = default;

void WbMovieSelectDialog::OnWbCreate()
{
    WbTowerDoc* doc = GetDocument();
    WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant());
    if (doc && doc->GetWorldDef() && schedule)
        schedule->SetupSelectDialog(this);
}

void WbMovieSelectDialog::ListenToMessage(UINT message, void* param)
{
    if (WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant()))
        schedule->MovieTableMessage(message, param);
}

// A refused film leaves the dialog open with the reason shown; an accepted one closes it.
int WbMovieSelectDialog::OnWbDialogCommand(UINT wParam, LONG)
{
    WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant());
    if (HIWORD(wParam) != 0 || LOWORD(wParam) != kShowButton || !schedule)
        return 1;
    if (schedule->AcceptSelectedMovie() == 1) {
        if (schedule->GetInfoDialog())
            schedule->GetInfoDialog()->EnableWindow(TRUE);
        DoClose(1);
    }
    return 1;
}

void WbMovieSelectDialog::OnWbCancel()
{
    WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant());
    if (schedule && schedule->GetInfoDialog())
        schedule->GetInfoDialog()->EnableWindow(TRUE);
}

void WbMovieSelectDialog::OnWbDestroy()
{
    if (WbShowSchedule* schedule = WbShowSchedule::Of(GetTenant()))
        schedule->SetSelectDialog(nullptr);
}
