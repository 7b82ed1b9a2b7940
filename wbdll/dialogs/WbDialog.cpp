// Realising dialogs from WBDLG templates, the host's list of open dialogs, and the info dialogs' comments.
#include "WbDialog.h"

#include "Afx.h"
#include "CResFile.h"
#include "WbStringTable.h"
#include "WbTenant.h"
#include "WbTenantDef.h"

#include <algorithm>
#include <map>
#include <string_view>

namespace {

// Coordinates beyond this cannot be a place in a dialog; a larger number is a broken template.
constexpr uint32_t kMaxCoordinate = 32767;
// The first string of the module's string table that comment IDs from 0x10000001 on name.
constexpr UINT kModuleCommentBase = 0x10000000;
constexpr UINT kModuleCommentFirstString = 1022;
constexpr int kDefaultFontSize = 12;

// Never destroyed: a module unloaded at exit must not find the list gone.
std::vector<WbDialog*>& OpenDialogs()
{
    static auto* dialogs = new std::vector<WbDialog*>;
    return *dialogs;
}

std::vector<WbDialog*>& ClosedDialogs()
{
    static auto* dialogs = new std::vector<WbDialog*>;
    return *dialogs;
}

std::vector<std::string_view> SplitLines(std::span<const uint8_t> text)
{
    std::vector<std::string_view> lines;
    const std::string_view all(reinterpret_cast<const char*>(text.data()), text.size());
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\n', start);
        if (end == std::string_view::npos)
            end = all.size();
        lines.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The fields each item keyword takes after the keyword itself.
int ItemFieldCount(const CString& keyword)
{
    static const std::map<std::string, int> counts = {
        {"TEXT", 6},   {"BOX", 5},    {"EDIT", 6}, {"MOVIE", 5},   {"MOVTBL", 5},   {"PPVIEW", 5},
        {"BUTTON", 6}, {"CANCEL", 2}, {"OK", 2},   {"PICTURE", 5}, {"CUSTGAGE", 5}, {"PROFGAGE", 5},
    };
    const auto it = counts.find(keyword.Str());
    return it == counts.end() ? -1 : it->second;
}

bool ReadCoordinate(CTokenizer& tokens, const char* field, LONG& value, std::string& error)
{
    const uint32_t number = tokens.NextInteger();
    if (number > kMaxCoordinate) {
        error = std::string(field) + " " + std::to_string(number) + " exceeds " + std::to_string(kMaxCoordinate);
        return false;
    }
    value = LONG(number);
    return true;
}

bool ReadRect(CTokenizer& tokens, RECT& rect, std::string& error)
{
    if (!ReadCoordinate(tokens, "left", rect.left, error) || !ReadCoordinate(tokens, "top", rect.top, error) ||
        !ReadCoordinate(tokens, "right", rect.right, error) || !ReadCoordinate(tokens, "bottom", rect.bottom, error))
        return false;
    if (rect.right < rect.left || rect.bottom < rect.top) {
        error = "rectangle " + std::to_string(rect.left) + ", " + std::to_string(rect.top) + ", " +
                std::to_string(rect.right) + ", " + std::to_string(rect.bottom) + " is inverted";
        return false;
    }
    return true;
}

} // namespace

WbDialog::WbDialog() = default;

// Items go before the window they belong to; a dialog deleted while still listed leaves the lists.
WbDialog::~WbDialog()
{
    std::erase(OpenDialogs(), this);
    std::erase(ClosedDialogs(), this);
    mItems.clear();
}

int WbDialog::Realize(WbEquip* owner, const WBDLGTEMPLATE& dlgTemplate, WbTowerDoc* doc, WbImageObj* image,
                      const WbPalette* palette, int modal, CWnd* parent, int flags, int)
{
    const std::string name = "WBDLG " + std::to_string(dlgTemplate.resourceID);
    if (!dlgTemplate.module) {
        mRealizeError = name + ": no module to read it from";
        return 0;
    }
    const CResFile resources(dlgTemplate.module);
    const std::span<const uint8_t> text = resources.Find("WBDLG", dlgTemplate.resourceID);
    if (text.empty()) {
        const std::string why = resources.GetError();
        mRealizeError = name + ": not in module " + dlgTemplate.module->path + (why.empty() ? "" : " (" + why + ")");
        return 0;
    }
    mImage = image;
    mPalette = palette;
    mModal = modal;
    mFlags = flags;
    return RealizeText(text, owner, dlgTemplate, doc, parent);
}

int WbDialog::RealizeText(std::span<const uint8_t> text, WbEquip* owner, const WBDLGTEMPLATE& dlgTemplate,
                          WbTowerDoc* doc, CWnd* parent)
{
    if (mOpen) {
        mRealizeError = "the dialog is already open";
        return 0;
    }
    mTemplate = dlgTemplate;
    std::string error;
    if (!Build(text, error)) {
        mRealizeError = "WBDLG " + std::to_string(dlgTemplate.resourceID) + " " + error;
        return 0;
    }
    mRealizeError.clear();
    mOwner = owner;
    mTowerDoc = doc;

    // The template's point is the centre of the dialog on the screen; a child dialog is placed in its
    // parent's client coordinates.
    RECT rect;
    GetClientRect(&rect);
    const LONG width = rect.right;
    const LONG height = rect.bottom;
    POINT topLeft{dlgTemplate.x - width / 2, dlgTemplate.y - height / 2};
    if (parent) {
        const POINT origin = parent->ClientOrigin();
        topLeft.x -= origin.x;
        topLeft.y -= origin.y;
    }
    CreateWnd(parent, RECT{topLeft.x, topLeft.y, topLeft.x + width, topLeft.y + height}, 0);
    ShowWindow(SW_SHOW);
    mOpen = true;
    // A closed dialog opened again is no longer the host's to delete.
    std::erase(ClosedDialogs(), this);
    OpenDialogs().push_back(this);
    OnWbCreate();
    return 1;
}

// Everything is read and checked into locals first; the dialog takes the result only when all of the
// template was good, so a rejected template leaves no half-built dialog.
int WbDialog::Build(std::span<const uint8_t> text, std::string& error)
{
    LONG width = 0;
    LONG height = 0;
    int modal = 0;
    CString title;
    int fontSize = kDefaultFontSize;
    bool inItems = false;
    std::vector<std::unique_ptr<WbDlgItem>> items;

    const std::vector<std::string_view> lines = SplitLines(text);
    for (size_t index = 0; index < lines.size(); ++index) {
        const std::string where = "line " + std::to_string(index + 1);
        CTokenizer tokens(lines[index]);
        CString keyword;
        if (!tokens.NextToken(keyword))
            continue;
        const int fields = tokens.CountRemaining();
        auto expect = [&](int count) {
            if (fields == count)
                return true;
            error = where + " (" + keyword.Str() + "): " + std::to_string(fields) + " fields, expected " +
                    std::to_string(count);
            return false;
        };
        auto headerOnly = [&]() {
            if (!inItems)
                return true;
            error = where + " (" + keyword.Str() + "): header line after the items";
            return false;
        };
        if (keyword == "FONT") {
            if (!expect(1))
                return 0;
            fontSize = int(tokens.NextInteger());
        } else if (keyword == "WIDTH" || keyword == "HEIGHT") {
            if (!headerOnly() || !expect(1))
                return 0;
            LONG value = 0;
            std::string why;
            if (!ReadCoordinate(tokens, keyword == "WIDTH" ? "width" : "height", value, why)) {
                error = where + " (" + keyword.Str() + "): " + why;
                return 0;
            }
            (keyword == "WIDTH" ? width : height) = value;
        } else if (keyword == "MODAL") {
            if (!headerOnly() || !expect(0))
                return 0;
            modal = 1;
        } else if (keyword == "TITLE") {
            if (!headerOnly() || !expect(1))
                return 0;
            tokens.NextToken(title);
        } else {
            inItems = true;
            CTokenizer itemTokens(lines[index]);
            std::string why;
            std::unique_ptr<WbDlgItem> item = CreateDlgItem(itemTokens, fontSize, why);
            if (!item) {
                error = where + " (" + keyword.Str() + "): " + why;
                return 0;
            }
            const int id = item->GetID();
            const bool taken = id != 0 && std::any_of(items.begin(), items.end(),
                                                      [id](const auto& other) { return other->GetID() == id; });
            if (taken) {
                error = where + " (" + keyword.Str() + "): item ID " + std::to_string(id) + " is used twice";
                return 0;
            }
            items.push_back(std::move(item));
        }
    }
    if (width <= 0 || height <= 0) {
        error = "has no " + std::string(width <= 0 ? "WIDTH" : "HEIGHT");
        return 0;
    }

    mItems = std::move(items);
    mTitle = title;
    mModal = std::max(mModal, modal);
    CreateWnd(nullptr, RECT{0, 0, width, height}, 0);
    return 1;
}

std::unique_ptr<WbDlgItem> WbDialog::CreateDlgItem(CTokenizer& tokens, int fontSize, std::string& error)
{
    CString keyword;
    tokens.NextToken(keyword);
    const int expected = ItemFieldCount(keyword);
    if (expected < 0) {
        error = "unknown keyword";
        return nullptr;
    }
    const int fields = tokens.CountRemaining();
    if (fields != expected) {
        error = std::to_string(fields) + " fields, expected " + std::to_string(expected);
        return nullptr;
    }

    std::unique_ptr<WbDlgItem> item;
    RECT rect;
    if (keyword == "OK" || keyword == "CANCEL") {
        POINT topLeft;
        if (!ReadCoordinate(tokens, "left", topLeft.x, error) || !ReadCoordinate(tokens, "top", topLeft.y, error))
            return nullptr;
        item = std::make_unique<WbDlgItemStdButton>(this, keyword == "OK" ? IDOK : IDCANCEL, topLeft);
    } else {
        const int id = int(std::min<uint32_t>(tokens.NextInteger(), 0xFFFF));
        if (keyword == "TEXT") {
            CString caption;
            tokens.NextToken(caption);
            const char align = caption.Str()[0];
            if (align != 'l' && align != 'r') {
                error = "alignment '" + std::string(1, align) + "' is neither l nor r";
                return nullptr;
            }
            if (!ReadRect(tokens, rect, error))
                return nullptr;
            item = std::make_unique<WbDlgItemText>(this, id, rect);
            item->SetAlignment(align == 'r' ? WbAlign::Right : WbAlign::Left);
            item->SetDescriptor(CString(caption.Str().substr(1)));
        } else if (keyword == "BUTTON") {
            CString caption;
            tokens.NextToken(caption);
            if (!ReadRect(tokens, rect, error))
                return nullptr;
            item = std::make_unique<WbDlgItemButton>(this, id, rect);
            item->SetDescriptor(caption);
        } else {
            if (!ReadRect(tokens, rect, error))
                return nullptr;
            if (keyword == "BOX")
                item = std::make_unique<WbDlgItemBox>(this, id, rect);
            else if (keyword == "EDIT")
                item = std::make_unique<WbDlgItemEdit>(this, id, rect, int(tokens.NextInteger()));
            else if (keyword == "MOVIE")
                item = std::make_unique<WbDlgItemMovie>(this, id, rect);
            else if (keyword == "MOVTBL")
                item = std::make_unique<WbMovieTable>(this, id, rect);
            else if (keyword == "PPVIEW")
                item = std::make_unique<WbDlgItemPeopleView>(this, id, rect);
            else if (keyword == "PICTURE")
                item = std::make_unique<WbDlgItemPicture>(this, id, rect);
            else if (keyword == "CUSTGAGE")
                item = std::make_unique<WbDlgItemCustomerGage>(this, id, rect);
            else
                item = std::make_unique<WbDlgItemProfitsGage>(this, id, rect);
        }
    }
    item->SetFontSize(fontSize);
    return item;
}

// The closed list takes the dialog before anything else changes: without memory for it the dialog stays
// open and listed, rather than being in neither list and never deleted.
void WbDialog::DoClose(int result)
{
    if (!mOpen)
        return;
    ClosedDialogs().push_back(this);
    mOpen = false;
    mCloseResult = result;
    ShowWindow(SW_HIDE);
    std::erase(OpenDialogs(), this);
    OnWbDestroy();
}

WbDlgItem* WbDialog::GetWbDlgItem(int id) const
{
    for (const auto& item : mItems)
        if (item->GetID() == id)
            return item.get();
    return nullptr;
}

int WbDialog::OnWbDialogCommand(UINT, LONG) { return 1; }
void WbDialog::OnWbCreate() {}
void WbDialog::OnWbDestroy() {}
void WbDialog::OnWbOK() {}
void WbDialog::OnWbCancel() {}

std::vector<WbDialog*> WbDialog::GetOpenDialogs() { return OpenDialogs(); }

void WbDialog::DeleteClosedDialogs()
{
    std::vector<WbDialog*> closed;
    closed.swap(ClosedDialogs());
    for (WbDialog* dialog : closed)
        delete dialog;
}

void WbDialog::CloseAllDialogs()
{
    while (!OpenDialogs().empty())
        OpenDialogs().back()->DoClose(0);
    DeleteClosedDialogs();
}

void WbDialog::TickDialogs(int elapsedMs)
{
    for (WbDialog* dialog : OpenDialogs())
        for (const auto& item : dialog->mItems)
            item->Tick(elapsedMs);
}

WbInfoDialog::WbInfoDialog() = default;

WbInfoDialog::~WbInfoDialog() = default;

int WbInfoDialog::GetCommentString(UINT id, CString& text)
{
    static const std::map<UINT, const char*> hostComments = {
        {2, "There is no way in from the lobby. Connect the entrance with stairs or an elevator."},
        {4, "The nearest elevator is a long walk from here. Customers do not like to come."},
        {5, " are a little far from the entrance."},
        {6, " are too far from the entrance. Customers will not climb to here."},
    };
    if (const auto it = hostComments.find(id); it != hostComments.end()) {
        text = it->second;
        return 1;
    }
    if (id > kModuleCommentBase && id <= kModuleCommentBase + 0xFFFF) {
        const HINSTANCE module = GetTemplateModule();
        text =
            module ? WbLoadResString(CResFile(module), id - kModuleCommentBase + kModuleCommentFirstString) : CString();
        return text.IsEmpty() ? 0 : 1;
    }
    text.Empty();
    return 0;
}

WbTenantInfoDialog::WbTenantInfoDialog(WbTenant* tenant) : mTenant(tenant) {}

WbTenantInfoDialog::~WbTenantInfoDialog() = default;

WbTenantDef* WbTenantInfoDialog::GetTenantDef() const { return mTenant ? mTenant->GetTenantDef() : nullptr; }

// A tenant has one info dialog at a time: asking for it again closes the tenant's open dialogs (the info
// dialog and a film selection opened from it), newest first, and opens it afresh with the tenant as it is
// now. Two info dialogs of one theater would share its schedule's one dialog slot, and the film selection
// opened from one would give input back to the other, leaving the first disabled for good.
WbDialog* WbOpenInfoDialog(WbTowerDoc* doc, WbTenant* tenant, std::string& error)
{
    const std::vector<WbDialog*> open = OpenDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if (tenant && (*it)->GetOwner() == tenant)
            (*it)->DoClose(0);
    WbTenantDef* def = tenant ? tenant->GetTenantDef() : nullptr;
    if (!def) {
        error = "the tenant has no tenant definition";
        return nullptr;
    }
    WbTenantInfoDialog* dialog = def->ConstructInfoDialog(tenant);
    if (!dialog) {
        error = "the definition made no info dialog";
        return nullptr;
    }
    RECT screen;
    AfxGetThread()->GetMainWnd()->GetWindowRect(&screen);
    const WBDLGTEMPLATE dlgTemplate{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2,
                                    def->GetModuleHandle(), UINT(def->GetInfoDialogID())};
    if (!dialog->Realize(tenant, dlgTemplate, doc, def->GetImageObj(), nullptr, 1, nullptr, 0, 1)) {
        error = dialog->GetRealizeError();
        delete dialog;
        return nullptr;
    }
    return dialog;
}
