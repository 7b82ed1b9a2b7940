// The host's dialogs: built from a WBDLG template of a module, driven by handlers, listed while open.
#pragma once

#include "CString.h"
#include "CTokenizer.h"
#include "CWnd.h"
#include "LBroadcaster.h"
#include "WbDlgItem.h"
#include "WbDll.h"
#include "WbImage.h"
#include "WbWin32.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class WbEquip;
class WbTenant;
class WbTenantDef;
class WbTowerDoc;

// Where a dialog comes from and where it goes: the centre of the window on the screen, and the module
// and ID of its WBDLG template.
struct WBDLGTEMPLATE {
    LONG x = 0;
    LONG y = 0;
    HINSTANCE module = nullptr;
    UINT resourceID = 0;
};

// A dialog window and the listener of its items. Realize builds it from its template and calls
// OnWbCreate; it then stays open, in the host's list of open dialogs, until DoClose. Closing calls
// OnWbDestroy; the host deletes the object afterwards, at a point where no handler of it runs.
class WBDLL_API WbDialog : public CWnd, public LListener {
public:
    WbDialog();
    ~WbDialog() override;

    // Reads the template (the resource WBDLG with the template's ID in the template's module), makes
    // the window (WIDTH x HEIGHT, centred on the template's point), one item per item line, then
    // calls OnWbCreate. Returns nonzero once the dialog is open, without waiting for it to end; on a
    // missing or malformed template it returns 0, opens nothing, and the object stays the caller's.
    // modal and flags are kept for the host; show is not used, since the dialog is shown at once either way.
    int Realize(WbEquip* owner, const WBDLGTEMPLATE& dlgTemplate, WbTowerDoc* doc, WbImageObj* image,
                const WbPalette* palette, int modal, CWnd* parent, int flags, int show);
    // Closes the dialog with a result: hides it, takes it off the open list and calls OnWbDestroy. A
    // closed dialog ignores further calls.
    void DoClose(int result);
    // A value of the dialog's own, 0 until set.
    int GetUserCon() const { return mUserCon; }
    void SetUserCon(int value) { mUserCon = value; }
    // The item with this ID, or null.
    WbDlgItem* GetWbDlgItem(int id) const;
    // The tower document the dialog was realised for, or null.
    WbTowerDoc* GetDocument() const { return mTowerDoc; }

    // A command from an item (low word: the item's ID, high word: 0 for a click). Returns 1 here;
    // the host does not act on the result.
    virtual int OnWbDialogCommand(UINT wParam, LONG lParam);
    // The window and its items exist; nothing here.
    virtual void OnWbCreate();
    // The window is going; nothing here.
    virtual void OnWbDestroy();
    // The OK button was clicked; the dialog closes afterwards. Nothing here.
    virtual void OnWbOK();
    // The Cancel button was clicked; the dialog closes afterwards. Nothing here.
    virtual void OnWbCancel();

    // Host side.
    // Realize with the template text at hand instead of looking it up in a module.
    int RealizeText(std::span<const uint8_t> text, WbEquip* owner, const WBDLGTEMPLATE& dlgTemplate, WbTowerDoc* doc,
                    CWnd* parent = nullptr);
    // Why the last Realize failed, naming the template, the line and the field.
    const std::string& GetRealizeError() const { return mRealizeError; }
    bool IsOpen() const { return mOpen; }
    int GetCloseResult() const { return mCloseResult; }
    UINT GetTemplateID() const { return mTemplate.resourceID; }
    HINSTANCE GetTemplateModule() const { return mTemplate.module; }
    const CString& GetTitle() const { return mTitle; }
    int IsModal() const { return mModal; }
    WbEquip* GetOwner() const { return mOwner; }
    // The items in the order the template created them.
    const std::vector<std::unique_ptr<WbDlgItem>>& GetItems() const { return mItems; }

    // Host side: the list of open dialogs, oldest first.
    static std::vector<WbDialog*> GetOpenDialogs();
    // Deletes the dialogs closed since the last call. Call where no dialog handler is running.
    static void DeleteClosedDialogs();
    // Closes every open dialog, the newest first, and deletes them all.
    static void CloseAllDialogs();
    // Lets the dialogs' time run (messages shown for a while expire).
    static void TickDialogs(int elapsedMs);

protected:
    // Creates the item of one item line; the tokenizer stands at the line's first field (the keyword).
    // Returns null with the reason in error for an unknown keyword or missing fields.
    std::unique_ptr<WbDlgItem> CreateDlgItem(CTokenizer& tokens, int fontSize, std::string& error);

private:
    int Build(std::span<const uint8_t> text, std::string& error);

    WbEquip* mOwner = nullptr;
    WbTowerDoc* mTowerDoc = nullptr;
    WbImageObj* mImage = nullptr;
    const WbPalette* mPalette = nullptr;
    WBDLGTEMPLATE mTemplate;
    CString mTitle;
    int mModal = 0;
    int mFlags = 0;
    int mUserCon = 0;
    bool mOpen = false;
    int mCloseResult = 0;
    std::string mRealizeError;
    std::vector<std::unique_ptr<WbDlgItem>> mItems;
};

// A dialog that reports on something in the tower, with the host's comment texts.
class WBDLL_API WbInfoDialog : public WbDialog {
public:
    WbInfoDialog();
    ~WbInfoDialog() override;
    // The text of a comment ID into text; nonzero when the ID has one. IDs below 0x10000000 are the
    // host's own comments; 0x10000000 + n is string 1022 + n of the template's module.
    virtual int GetCommentString(UINT id, CString& text);
};

// The info dialog of one tenant.
class WBDLL_API WbTenantInfoDialog : public WbInfoDialog {
public:
    explicit WbTenantInfoDialog(WbTenant* tenant);
    ~WbTenantInfoDialog() override;
    WbTenant* GetTenant() const { return mTenant; }
    // The tenant's definition, or null.
    WbTenantDef* GetTenantDef() const;

private:
    WbTenant* mTenant;
};

// Host side: opens the info dialog of a tenant as the host does when the player inspects it: the
// definition's ConstructInfoDialog, realised from the definition's info template (GetInfoDialogID)
// in the definition's module, centred on the main window. A tenant has one info dialog at a time: its open
// dialogs are closed first, and the new one shows the tenant as it is now. Returns the open dialog, or null
// with the reason in error.
WBDLL_API WbDialog* WbOpenInfoDialog(WbTowerDoc* doc, WbTenant* tenant, std::string& error);
