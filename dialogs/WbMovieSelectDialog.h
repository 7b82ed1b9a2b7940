// The film selection dialog: the showable films, a preview of the highlighted one, and "Show" to accept it.
#pragma once

#include "WbDialog.h"

class WbMovieSelectDialog final : public WbTenantInfoDialog {
public:
    explicit WbMovieSelectDialog(WbTenant* tenant);
    ~WbMovieSelectDialog() override;

    // "Show" (7092) accepts the highlighted film and closes the dialog; 1 for every command.
    int OnWbDialogCommand(UINT wParam, LONG lParam) override;
    // Fills the film table and the preview.
    void OnWbCreate() override;
    // Tells the schedule that the selection dialog is gone.
    void OnWbDestroy() override;
    // Gives the info dialog back its input.
    void OnWbCancel() override;
    // The film table's selection moves the preview.
    void ListenToMessage(UINT message, void* param) override;
};
