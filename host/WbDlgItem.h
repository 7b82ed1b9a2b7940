// The items a dialog template creates: texts, frames, edit fields, buttons, films, the film table, people and gauges.
#pragma once

#include "CString.h"
#include "CWnd.h"
#include "LBroadcaster.h"
#include "WbDll.h"
#include "WbWin32.h"

#include <cstdint>
#include <vector>

class WbDialog;
class WbMoviePlugin;
class WbPeople;
class WbTenant;

// The control IDs of the standard buttons.
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

enum class WbAlign { Left, Right };

// One item of a dialog: a child window with an ID, a text (its descriptor) and a number (its value).
// Every item can broadcast to listeners; buttons and the film table do.
class WBDLL_API WbDlgItem : public CWnd, public LBroadcaster {
public:
    WbDlgItem(WbDialog* dialog, int id, const RECT& rect);
    ~WbDlgItem() override;

    // The item's text; the text given by the template or the last SetDescriptor here.
    virtual void GetDescriptor(CString& text) const;
    // Replaces the item's text.
    virtual void SetDescriptor(const CString& text);
    // Sets the item's number; items that show a number (the picture) draw it, the others keep it.
    virtual void SetValue(int value);

    int GetID() const { return GetDlgCtrlID(); }
    WbDialog* GetDialog() const { return mDialog; }
    int GetValue() const { return mValue; }

    // Host side.
    // The template keyword of the item's kind ("TEXT", "BOX", ...).
    virtual const char* GetKind() const = 0;
    // What the item shows now; its descriptor unless the kind shows something else.
    virtual CString GetDisplayText() const;
    WbAlign GetAlignment() const { return mAlign; }
    void SetAlignment(WbAlign align) { mAlign = align; }
    int GetFontSize() const { return mFontSize; }
    void SetFontSize(int size) { mFontSize = size; }
    // Lets the item's time run: messages shown for a while expire. Nothing here.
    virtual void Tick(int elapsedMs);

protected:
    CString mText;
    int mValue = 0;

private:
    WbDialog* mDialog;
    WbAlign mAlign = WbAlign::Left;
    int mFontSize = 12;
};

// A line or block of text, with a colour and room for a passing message.
class WBDLL_API WbDlgItemText : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemText() override;
    // A COLORREF-style value: 0x00BBGGRR, with 0x02 in the top byte for a palette-relative colour.
    void SetTextColor(uint32_t color) { mColor = color; }
    // Shows the message in place of the text for durationMs milliseconds of the host's dialog time;
    // the text itself is kept and comes back afterwards.
    void InfoDialogMessage(const CString& message, int durationMs);

    // Host side.
    const char* GetKind() const override { return "TEXT"; }
    CString GetDisplayText() const override;
    void Tick(int elapsedMs) override;
    uint32_t GetTextColor() const { return mColor; }
    bool IsShowingMessage() const { return mMessageMs > 0; }
    const CString& GetMessage() const { return mMessage; }
    // Messages shown since the item was made.
    int GetMessageCount() const { return mMessageCount; }

private:
    uint32_t mColor = 0; // black
    CString mMessage;
    int mMessageMs = 0;
    int mMessageCount = 0;
};

// A frame around other items.
class WBDLL_API WbDlgItemBox final : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemBox() override;
    const char* GetKind() const override { return "BOX"; }
};

// A field the user types into, of a limited number of characters.
class WBDLL_API WbDlgItemEdit final : public WbDlgItem {
public:
    WbDlgItemEdit(WbDialog* dialog, int id, const RECT& rect, int maxLength);
    ~WbDlgItemEdit() override;

    // Host side.
    const char* GetKind() const override { return "EDIT"; }
    int GetMaxLength() const { return mMaxLength; }
    // The user replaces the field's text; characters past the limit are not taken.
    void TypeText(const CString& text);

private:
    int mMaxLength;
};

// A push button. A click sends the dialog the command whose low word is the button's ID, then
// broadcasts the ID to the button's listeners with the button as parameter.
class WBDLL_API WbDlgItemButton : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemButton() override;

    // Host side.
    const char* GetKind() const override { return "BUTTON"; }
    // The user clicks the button; nothing happens (and 0 is returned) when it cannot be reached.
    virtual int Click();
};

// The standard OK or Cancel button: a click calls the dialog's OnWbOK or OnWbCancel, then closes the
// dialog (with 1 for OK, 0 for Cancel). Both have the host's size.
class WBDLL_API WbDlgItemStdButton final : public WbDlgItemButton {
public:
    static constexpr int kWidth = 64;
    static constexpr int kHeight = 24;
    WbDlgItemStdButton(WbDialog* dialog, int id, POINT topLeft);
    ~WbDlgItemStdButton() override;

    const char* GetKind() const override { return GetID() == IDOK ? "OK" : "CANCEL"; }
    int Click() override;
};

// Shows a film: its moving picture by the movie's name, or a still picture by source and ID.
class WBDLL_API WbDlgItemMovie final : public WbDlgItem {
public:
    enum class Showing { Nothing, Movie, Still };
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemMovie() override;
    void SetQTMovieName(const CString& name);
    void SetStillScreenID(const CString& source, int id);

    // Host side.
    const char* GetKind() const override { return "MOVIE"; }
    CString GetDisplayText() const override;
    Showing GetShowing() const { return mShowing; }
    const CString& GetMovieName() const { return mMovieName; }
    const CString& GetStillSource() const { return mStillSource; }
    int GetStillID() const { return mStillID; }

private:
    Showing mShowing = Showing::Nothing;
    CString mMovieName;
    CString mStillSource;
    int mStillID = 0;
};

// A one-column table of films, one row per film from row 1. Selecting a row (by the user, not by
// SelectCell) broadcasts the negated table ID with that row's film as parameter.
class WBDLL_API WbMovieTable final : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbMovieTable() override;
    // Adds a row for the film at the end.
    void Add(WbMoviePlugin* film);
    // The movie type the rows' titles are taken for.
    void SetMovieType(int movieType) { mMovieType = movieType; }
    // Highlights a cell without telling anyone; row 0 (or a row past the end) highlights nothing.
    void SelectCell(int row, int column);

    // Host side.
    const char* GetKind() const override { return "MOVTBL"; }
    CString GetDisplayText() const override;
    int GetRowCount() const { return int(mFilms.size()); }
    // The film of a row from 1, or null.
    WbMoviePlugin* GetFilm(int row) const;
    // The row of a film, or 0 when it has none.
    int FindRow(const WbMoviePlugin* film) const;
    int GetSelectedRow() const { return mSelectedRow; }
    int GetMovieType() const { return mMovieType; }
    // The user selects a row; 0 (and no message) when the row does not exist or the table cannot be
    // reached.
    int ClickRow(int row);

private:
    std::vector<WbMoviePlugin*> mFilms;
    int mMovieType = 1;
    int mSelectedRow = 0;
};

// The people the dialog lists, collected between StartAdd and FinishAdd.
class WBDLL_API WbDlgItemPeopleView final : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemPeopleView() override;
    void StartAdd();
    void AddOne(WbPeople* person);
    void FinishAdd();

    // Host side.
    const char* GetKind() const override { return "PPVIEW"; }
    CString GetDisplayText() const override;
    // The people shown: those of the last finished collection.
    const std::vector<WbPeople*>& GetPeople() const { return mPeople; }

private:
    std::vector<WbPeople*> mPending;
    std::vector<WbPeople*> mPeople;
};

// The gauge of a tenant's day's customers against its capacity.
class WBDLL_API WbDlgItemCustomerGage final : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemCustomerGage() override;
    void SetTenant(WbTenant* tenant) { mTenant = tenant; }

    const char* GetKind() const override { return "CUSTGAGE"; }
    CString GetDisplayText() const override;
    WbTenant* GetTenant() const { return mTenant; }

private:
    WbTenant* mTenant = nullptr;
};

// The gauge of a tenant's income per customer against its running cost.
class WBDLL_API WbDlgItemProfitsGage final : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemProfitsGage() override;
    void SetTenant(WbTenant* tenant) { mTenant = tenant; }

    const char* GetKind() const override { return "PROFGAGE"; }
    CString GetDisplayText() const override;
    WbTenant* GetTenant() const { return mTenant; }

private:
    WbTenant* mTenant = nullptr;
};

// A picture of a tenant; its value names the picture (1000 x variation + 100 x height + pattern).
class WBDLL_API WbDlgItemPicture final : public WbDlgItem {
public:
    using WbDlgItem::WbDlgItem;
    ~WbDlgItemPicture() override;
    const char* GetKind() const override { return "PICTURE"; }
    CString GetDisplayText() const override;
};
