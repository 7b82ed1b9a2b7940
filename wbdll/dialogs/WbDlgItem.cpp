// What each kind of dialog item keeps and shows, and how the user's clicks reach the dialog.
#include "WbDlgItem.h"

#include "WbDialog.h"
#include "WbFourCC.h"
#include "WbMoviePlugin.h"
#include "WbTenant.h"

#include <algorithm>

WbDlgItem::WbDlgItem(WbDialog* dialog, int id, const RECT& rect) : mDialog(dialog) { CreateWnd(dialog, rect, id); }

WbDlgItem::~WbDlgItem() = default;

void WbDlgItem::GetDescriptor(CString& text) const { text = mText; }

void WbDlgItem::SetDescriptor(const CString& text) { mText = text; }

void WbDlgItem::SetValue(int value) { mValue = value; }

CString WbDlgItem::GetDisplayText() const { return mText; }

void WbDlgItem::Tick(int) {}

WbDlgItemText::~WbDlgItemText() = default;

void WbDlgItemText::InfoDialogMessage(const CString& message, int durationMs)
{
    mMessage = message;
    mMessageMs = std::max(durationMs, 0);
    ++mMessageCount;
}

CString WbDlgItemText::GetDisplayText() const { return IsShowingMessage() ? mMessage : mText; }

void WbDlgItemText::Tick(int elapsedMs)
{
    if (mMessageMs > 0)
        mMessageMs = std::max(mMessageMs - std::max(elapsedMs, 0), 0);
}

WbDlgItemBox::~WbDlgItemBox() = default;

WbDlgItemEdit::WbDlgItemEdit(WbDialog* dialog, int id, const RECT& rect, int maxLength)
    : WbDlgItem(dialog, id, rect), mMaxLength(maxLength)
{
}

WbDlgItemEdit::~WbDlgItemEdit() = default;

void WbDlgItemEdit::TypeText(const CString& text)
{
    std::string typed = text.Str();
    if (mMaxLength > 0 && int(typed.size()) > mMaxLength)
        typed.resize(size_t(mMaxLength));
    SetDescriptor(CString(typed));
}

WbDlgItemButton::~WbDlgItemButton() = default;

// The command goes first, so that the dialog has acted on the click before any listener hears of it.
int WbDlgItemButton::Click()
{
    if (!IsInputEnabled() || !IsWindowVisible())
        return 0;
    const int id = GetID();
    GetDialog()->OnWbDialogCommand(UINT(uint16_t(id)), 0);
    BroadcastMessage(UINT(id), this);
    return 1;
}

WbDlgItemStdButton::WbDlgItemStdButton(WbDialog* dialog, int id, POINT topLeft)
    : WbDlgItemButton(dialog, id, RECT{topLeft.x, topLeft.y, topLeft.x + kWidth, topLeft.y + kHeight})
{
    mText = id == IDOK ? "OK" : "Cancel";
}

WbDlgItemStdButton::~WbDlgItemStdButton() = default;

int WbDlgItemStdButton::Click()
{
    if (!IsInputEnabled() || !IsWindowVisible())
        return 0;
    WbDialog* dialog = GetDialog();
    if (GetID() == IDOK) {
        dialog->OnWbOK();
        dialog->DoClose(1);
    } else {
        dialog->OnWbCancel();
        dialog->DoClose(0);
    }
    return 1;
}

WbDlgItemMovie::~WbDlgItemMovie() = default;

void WbDlgItemMovie::SetQTMovieName(const CString& name)
{
    mShowing = Showing::Movie;
    mMovieName = name;
}

void WbDlgItemMovie::SetStillScreenID(const CString& source, int id)
{
    mShowing = Showing::Still;
    mStillSource = source;
    mStillID = id;
}

CString WbDlgItemMovie::GetDisplayText() const
{
    CString text;
    switch (mShowing) {
    case Showing::Nothing:
        break;
    case Showing::Movie:
        text = "movie " + mMovieName;
        break;
    case Showing::Still: {
        // An ID that spells four characters (the still's object code) is shown as them.
        const std::string code = WbFourCCText(uint32_t(mStillID));
        const bool spelled = std::all_of(code.begin(), code.end(), [](char c) { return c >= ' ' && c <= '~'; });
        if (spelled)
            text.Format("still %s '%s'", mStillSource.GetString(), code.c_str());
        else
            text.Format("still %s %d", mStillSource.GetString(), mStillID);
        break;
    }
    }
    return text;
}

WbMovieTable::~WbMovieTable() = default;

void WbMovieTable::Add(WbMoviePlugin* film)
{
    if (film)
        mFilms.push_back(film);
}

void WbMovieTable::SelectCell(int row, int) { mSelectedRow = row >= 1 && row <= GetRowCount() ? row : 0; }

WbMoviePlugin* WbMovieTable::GetFilm(int row) const
{
    return row >= 1 && row <= GetRowCount() ? mFilms[size_t(row - 1)] : nullptr;
}

int WbMovieTable::FindRow(const WbMoviePlugin* film) const
{
    const auto it = std::find(mFilms.begin(), mFilms.end(), film);
    return it == mFilms.end() ? 0 : int(it - mFilms.begin()) + 1;
}

// One title per row, the highlighted one marked, so that a snapshot shows what the player sees.
CString WbMovieTable::GetDisplayText() const
{
    CString text;
    for (int row = 1; row <= GetRowCount(); ++row) {
        CString title;
        mFilms[size_t(row - 1)]->GetTitle(title, mMovieType);
        text += row == mSelectedRow ? "> " : "  ";
        text += title;
        text += '\n';
    }
    return text;
}

int WbMovieTable::ClickRow(int row)
{
    WbMoviePlugin* film = GetFilm(row);
    if (!film || !IsInputEnabled() || !IsWindowVisible())
        return 0;
    mSelectedRow = row;
    BroadcastMessage(UINT(-GetID()), film);
    return 1;
}

WbDlgItemPeopleView::~WbDlgItemPeopleView() = default;

void WbDlgItemPeopleView::StartAdd() { mPending.clear(); }

void WbDlgItemPeopleView::AddOne(WbPeople* person)
{
    if (person)
        mPending.push_back(person);
}

void WbDlgItemPeopleView::FinishAdd()
{
    mPeople = std::move(mPending);
    mPending.clear();
}

CString WbDlgItemPeopleView::GetDisplayText() const
{
    CString text;
    text.Format("%d people", int(mPeople.size()));
    return text;
}

WbDlgItemCustomerGage::~WbDlgItemCustomerGage() = default;

CString WbDlgItemCustomerGage::GetDisplayText() const
{
    CString text;
    if (mTenant)
        text.Format("%d / %d", mTenant->GetTotalCustomer(), mTenant->GetCapacity());
    return text;
}

WbDlgItemProfitsGage::~WbDlgItemProfitsGage() = default;

CString WbDlgItemProfitsGage::GetDisplayText() const
{
    CString text;
    if (mTenant)
        text.Format("%d / %d", mTenant->GetInMoney(), mTenant->GetOutMoney());
    return text;
}

WbDlgItemPicture::~WbDlgItemPicture() = default;

CString WbDlgItemPicture::GetDisplayText() const
{
    if (!mText.IsEmpty())
        return mText;
    CString text;
    text.Format("picture %d", mValue);
    return text;
}
