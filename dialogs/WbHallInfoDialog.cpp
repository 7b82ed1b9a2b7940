// The general tenant info dialog: fills the known items, keeps the comment area and stores the name.
#include "WbHallInfoDialog.h"
#include "WbNoThrow.h"

#include "WbDialogItems.h"
#include "WbPeople.h"
#include "WbPeopleList.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"
#include "WbTowerInfo.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

using namespace WbDialogItems;

namespace {

constexpr UINT kCommentNoLobbyRoute = 2;
constexpr UINT kCommentMoverFar = 4;
constexpr UINT kCommentStairsFar = 5;
constexpr UINT kCommentStairsTooFar = 6;

constexpr int kMaxCommentLines = 4;
constexpr uint32_t kAlertRed = 0x020000FF; // red, palette-relative
constexpr uint32_t kMoverCarriesPeople = 0x01000000;
constexpr int kFarDistance = 96;
constexpr int kTooFarDistance = 160;

// The name records are looked up under kind 0, the kind of a tenant's own name.
constexpr uint32_t kTenantNameKind = 0;

CString Number(int value)
{
    CString text;
    text.Format("%d", value);
    return text;
}

} // namespace

WbHallInfoDialog::WbHallInfoDialog(WbTenant* tenant) : WbTenantInfoDialog(tenant) {}

WbHallInfoDialog::~WbHallInfoDialog() = default;

// A handler that runs out of memory leaves the items it had not reached as the template made them.
void WbHallInfoDialog::OnWbCreate()
{
    WbSkipOnFailure([this] { FillItems(); });
}

void WbHallInfoDialog::FillItems()
{
    WbTowerDoc* doc = GetDocument();
    WbTenant* tenant = GetTenant();
    if (!doc || !doc->GetWorldDef() || !tenant)
        return;
    WbWorldDef* world = doc->GetWorldDef();
    WbNameList* names = doc->GetNameList();

    if (WbDlgItem* item = GetWbDlgItem(kRoomNumberItem)) {
        CString text;
        UWbUtils::GetRoomNumberString(tenant->GetRoomNumber(doc->GetFloorInfo()), text);
        item->SetDescriptor(text);
    }
    if (WbDlgItem* item = GetWbDlgItem(kNameItem)) {
        if (WbName* name = names->Search(tenant, kTenantNameKind)) {
            uint32_t unused = 0;
            name->GetName(mTenantName, unused);
        } else {
            tenant->GetTypicalName(mTenantName);
        }
        item->SetDescriptor(mTenantName);
    }
    if (WbDlgItem* item = GetWbDlgItem(kPictureItem))
        SetTenantPicture(item);
    SetStatusLine();

    if (!tenant->IsFire()) {
        if (WbDlgItem* item = GetWbDlgItem(kOpenHoursItem)) {
            const int open = int(tenant->GetOpenTime());
            const int close = int(tenant->GetCloseTime());
            CString text;
            text.Format("%0d:%02d to %0d:%02d", open / 60, open % 60, close / 60, close % 60);
            item->SetDescriptor(text);
        }
        if (WbDlgItem* item = GetWbDlgItem(kShownIncomeItem))
            item->SetDescriptor(Number(world->ExchangeMoney(tenant->GetInMoney())));
        auto appendUnit = [&](int id) {
            if (WbDlgItem* item = GetWbDlgItem(id)) {
                CString text;
                item->GetDescriptor(text);
                item->SetDescriptor(text + world->GetMoneyUnit());
            }
        };
        appendUnit(kShownIncomeUnit);
        if (WbDlgItem* item = GetWbDlgItem(kTotalCustomersItem))
            item->SetDescriptor(Number(tenant->GetTotalCustomer()));
        if (WbDlgItem* item = GetWbDlgItem(kIncomeItem))
            item->SetDescriptor(Number(tenant->GetInMoney()));
        appendUnit(kIncomeUnit);
        if (auto* gauge = dynamic_cast<WbDlgItemProfitsGage*>(GetWbDlgItem(kProfitsGauge)))
            gauge->SetTenant(tenant);
        appendUnit(kProfitsUnit);

        const uint32_t tenantID = tenant->GetEquipID();
        auto* belongView = dynamic_cast<WbDlgItemPeopleView*>(GetWbDlgItem(kBelongPeopleView));
        if (WbPeoplePtrList* belong = tenant->GetBelongList(); belong && belongView) {
            belongView->StartAdd();
            LArrayIterator<WbPeople*> people(*belong);
            WbPeople* person = nullptr;
            while (people.Next(person))
                if (person && person->GetCurTenantID() == tenantID)
                    belongView->AddOne(person);
            belongView->FinishAdd();
        }
        auto* linkedView = dynamic_cast<WbDlgItemPeopleView*>(GetWbDlgItem(kLinkedPeopleView));
        if (WbPeople* first = tenant->GetFirstPeople(); first && linkedView) {
            linkedView->StartAdd();
            WbPeopleLinkIterator people(first);
            WbPeople* person = nullptr;
            while (people.Next(person))
                if (person && person->GetCurTenantID() == tenantID && person->GetWorkTenant() != tenantID)
                    linkedView->AddOne(person);
            linkedView->FinishAdd();
        }
        if (auto* gauge = dynamic_cast<WbDlgItemCustomerGage*>(GetWbDlgItem(kCustomerGauge)))
            gauge->SetTenant(tenant);
    }

    if (names->Search(tenant, kTenantNameKind))
        if (WbDlgItem* favorite = GetWbDlgItem(kFavoriteButton))
            favorite->EnableWindow(FALSE);
    ClearComments();
    if (!tenant->IsFire())
        MakeComments();
}

// The route is asked first, so that a tenant cut off from the lobby says so even while it burns.
void WbHallInfoDialog::SetStatusLine()
{
    WbDlgItem* item = GetWbDlgItem(kStatusItem);
    WbTowerDoc* doc = GetDocument();
    WbTenant* tenant = GetTenant();
    if (!item || !doc || !tenant)
        return;
    CString text;
    int32_t alert = 0;
    if (!doc->GetRouteNavigator()->IsConnectRouteFromLobby(tenant->GetEntrancePt())) {
        text = "Unreachable to Lobby";
        alert = 1;
    } else if (tenant->IsFire()) {
        text = "Destroyed";
        alert = 1;
    } else if (!GetStatusString(text, alert)) {
        text = "At work";
    }
    item->SetDescriptor(text);
    if (alert)
        if (auto* textItem = dynamic_cast<WbDlgItemText*>(item))
            textItem->SetTextColor(kAlertRed);
}

int WbHallInfoDialog::GetStatusString(CString&, int32_t&) { return 0; }

// A one-floor tenant is drawn at twice the size; the picture never grows wider than the dialog leaves
// room for beside its margins.
void WbHallInfoDialog::SetTenantPicture(WbDlgItem* item)
{
    WbTenant* tenant = GetTenant();
    WbEquipDef* def = tenant ? tenant->GetEquipDef() : nullptr;
    if (!item || !tenant || !def)
        return;
    if (tenant->IsFire()) {
        item->SetDescriptor("Rubble");
        item->SetValue(0);
    } else {
        // The picture number is a 32-bit figure: a variation or pattern index at the ends of its range
        // wraps round instead of being undefined.
        const uint32_t number = 1000u * uint32_t(tenant->GetValiation()) +
                                100u * uint32_t(def->CalcEquipRect().bottom) + uint32_t(tenant->GetPatIndex());
        item->SetValue(int32_t(number));
    }

    const int areaWidth = tenant->GetAreaWidth();
    const int areaHeight = tenant->GetAreaHeight();
    const int scale = areaHeight == 1 ? 2 : 1;
    RECT client;
    ::GetClientRect(GetSafeHwnd(), &client);
    const int width = std::min(8 * areaWidth * scale, int(client.right - client.left) - 26);
    const int height = (36 * areaHeight - 12) * scale;

    POINT corners[2] = {{0, 0}, {width, height}};
    ::MapWindowPoints(item->GetSafeHwnd(), ::GetParent(item->GetSafeHwnd()), corners, 2);
    RECT rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y};
    item->MoveWindow(&rect, TRUE);
    if (WbDlgItem* frame = GetWbDlgItem(kPictureFrame)) {
        ::InflateRect(&rect, 1, 1);
        frame->MoveWindow(&rect, TRUE);
    }
}

void WbHallInfoDialog::ClearComments()
{
    if (WbDlgItem* item = GetWbDlgItem(kCommentItem))
        item->SetDescriptor("");
    mCommentCount = 0;
}

// The count goes up even without a comment area, so that the four-line limit is the same for every
// template.
void WbHallInfoDialog::AppendComment(const CString& line)
{
    if (mCommentCount >= kMaxCommentLines)
        return;
    ++mCommentCount;
    if (WbDlgItem* item = GetWbDlgItem(kCommentItem)) {
        CString text;
        item->GetDescriptor(text);
        text += line;
        text += '\r';
        item->SetDescriptor(text);
    }
}

void WbHallInfoDialog::AddComment(UINT id, WbEquip* subject)
{
    CString line;
    if (subject)
        subject->GetTypicalName(line);
    CString text;
    GetCommentString(id, text);
    AppendComment(line + text);
}

void WbHallInfoDialog::MakeComments()
{
    ClearComments();
    WbTowerDoc* doc = GetDocument();
    WbTenant* tenant = GetTenant();
    if (!doc || !tenant)
        return;
    const POINT entrance = tenant->GetEntrancePt();
    if (!doc->GetRouteNavigator()->IsConnectRouteFromLobby(entrance)) {
        AddComment(kCommentNoLobbyRoute, nullptr);
        return;
    }
    if (tenant->GetInMoney() == 0 || tenant->GetBelongCapacity() == 0)
        return;

    // The nearest mover that carries people, by the horizontal distance of its centre from the
    // entrance; on a tie the one met first stays.
    WbFloorInfo* floors = doc->GetFloorInfo();
    WbFloor* floor = floors->GetTenant(tenant->GetEntranceFloorID());
    if (!floor)
        return;
    WbMover* nearest = nullptr;
    int nearestDistance = 0;
    LArrayIterator<uint32_t> crossing(*floor->GetCEArray());
    uint32_t moverID = 0;
    while (crossing.Next(moverID)) {
        WbMover* mover = floors->GetMover(moverID);
        if (!mover || !mover->IsSetAttribute(kMoverCarriesPeople))
            continue;
        const RECT& area = mover->GetEquipArea();
        const int distance = std::abs((area.left + area.right) / 2 - entrance.x);
        if (!nearest || distance < nearestDistance) {
            nearest = mover;
            nearestDistance = distance;
        }
    }
    if (!nearest || nearestDistance < kFarDistance)
        return;
    if (nearestDistance >= kTooFarDistance) {
        if (nearest->IsStair())
            AddComment(kCommentStairsTooFar, nearest);
        else
            AddComment(kCommentMoverFar, nullptr);
    } else {
        if (nearest->IsStair())
            AddComment(kCommentStairsFar, nearest);
        else
            AddComment(kCommentMoverFar, nullptr);
    }
}

int WbHallInfoDialog::OnWbDialogCommand(UINT wParam, LONG)
{
    if (HIWORD(wParam) == 0 && LOWORD(wParam) == kFavoriteButton)
        WbSkipOnFailure([this] { PressFavorite(); });
    return 0;
}

void WbHallInfoDialog::PressFavorite()
{
    if (WbDlgItem* favorite = GetWbDlgItem(kFavoriteButton))
        favorite->EnableWindow(FALSE);
    mFavoritePressed = 1;
    if (WbDlgItem* nameItem = GetWbDlgItem(kNameItem)) {
        CString text;
        nameItem->GetDescriptor(text);
        if (text.IsEmpty())
            nameItem->SetDescriptor(mTenantName);
    }
}

void WbHallInfoDialog::OnWbDestroy() {}

void WbHallInfoDialog::OnWbCancel() {}

void WbHallInfoDialog::OnWbOK()
{
    WbSkipOnFailure([this] { StoreName(); });
}

// An emptied field means the name as it was; it is stored again only when Favorite asked for it.
void WbHallInfoDialog::StoreName()
{
    WbDlgItem* nameItem = GetWbDlgItem(kNameItem);
    WbTowerDoc* doc = GetDocument();
    WbTenant* tenant = GetTenant();
    if (!nameItem || !doc || !tenant)
        return;
    CString text;
    nameItem->GetDescriptor(text);
    if (text.IsEmpty())
        text = mTenantName;
    if (text == mTenantName && mFavoritePressed != 1)
        return;
    WbNameList* names = doc->GetNameList();
    if (WbName* name = names->Search(tenant, kTenantNameKind))
        name->SetName(text);
    else
        names->Add(std::make_unique<WbName>(text, tenant, kTenantNameKind).release());
}
