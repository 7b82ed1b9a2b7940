// The theater's info dialog: the base tenant dialog with the film, its preview, show times and "Change Film".
#pragma once

#include "WbHallInfoDialog.h"

class WbShowSchedule;

class WbTheaterInfoDialog final : public WbHallInfoDialog {
public:
    explicit WbTheaterInfoDialog(WbTenant* tenant);
    ~WbTheaterInfoDialog() override;

    // The base's items, then the film part unless the theater is on fire.
    void OnWbCreate() override;
    // Tells the schedule that the info dialog is gone.
    void OnWbDestroy() override;
    // Applies (and pays for) an accepted film, then stores the name.
    void OnWbOK() override;
    // The base's comments, then the film's: a hit, few customers, the release day.
    void MakeComments() override;
    // "Change Film" (7099) opens the film selection dialog, unless one is open already.
    void ListenToMessage(UINT message, void* param) override;

private:
    // Makes and realises the selection dialog; a dialog that cannot be made whole is not kept.
    void OpenSelectDialog(WbShowSchedule& schedule, const WBDLGTEMPLATE& dlgTemplate);
};
