// The plug-in's general tenant info dialog: room, name, picture, status, figures, people and comments.
#pragma once

#include "CString.h"
#include "WbDialog.h"

#include <cstdint>

class WbEquip;

// Fills whichever of its known items the template has, lets the player rename the tenant or mark it
// as a favourite, and stores the name on OK. The theater's info dialog derives from it.
class WbHallInfoDialog : public WbTenantInfoDialog {
public:
    explicit WbHallInfoDialog(WbTenant* tenant);
    ~WbHallInfoDialog() override;

    // Handles the Favorite button; 0 for every command.
    int OnWbDialogCommand(UINT wParam, LONG lParam) override;
    // Fills the items from the tenant and the tower.
    void OnWbCreate() override;
    // Nothing.
    void OnWbDestroy() override;
    // Stores the name when it changed or Favorite was pressed.
    void OnWbOK() override;
    // Nothing: Cancel stores nothing.
    void OnWbCancel() override;

    // Appends one line to the comment area, up to four lines.
    virtual void AppendComment(const CString& line);
    // Appends the subject's typical name (when there is a subject) followed by the comment's text.
    virtual void AddComment(UINT id, WbEquip* subject);
    // Rebuilds the comment area: the lobby route, then the distance to the nearest mover.
    virtual void MakeComments();
    // Lets a derived dialog supply the status line; nonzero when it did. 0 here, touching nothing.
    virtual int GetStatusString(CString& text, int32_t& alert);
    // Gives the picture item its picture number and size, and puts its frame around it.
    virtual void SetTenantPicture(WbDlgItem* item);

    void SetStatusLine();
    void ClearComments();

protected:
    // The handlers' work; running out of memory ends it, and the handlers above answer for that.
    void FillItems();
    void PressFavorite();
    void StoreName();

    int32_t mCommentCount = 0;
    CString mTenantName;
    int32_t mFavoritePressed = 0;
};
