// The general tenant info dialog on a template with every item it knows, in a dialog 300 pixels wide.
#include "DialogTower.h"

#include "WbHallInfoDialog.h"
#include "WbTowerInfo.h"

#include <gtest/gtest.h>

namespace {

const std::string kHallTemplate = "WIDTH\t300\r\nHEIGHT\t400\r\nTITLE\tHall\r\n"
                                  "TEXT\t7001\tr\t10\t10\t60\t25\r\n"
                                  "EDIT\t7003\t70\t10\t200\t26\t16\r\n"
                                  "PICTURE\t7004\t13\t40\t100\t80\r\n"
                                  "BOX\t7504\t12\t39\t101\t81\r\n"
                                  "TEXT\t7010\tl\t10\t100\t290\t115\r\n"
                                  "TEXT\t7021\tl\t10\t120\t100\t135\r\n"
                                  "TEXT\t7022\tr\t110\t120\t150\t135\r\n"
                                  "TEXT\t7023\tlIncome \t160\t120\t200\t135\r\n"
                                  "TEXT\t7030\tr\t10\t140\t50\t155\r\n"
                                  "TEXT\t7031\tr\t60\t140\t100\t155\r\n"
                                  "CUSTGAGE\t7041\t10\t160\t100\t170\r\n"
                                  "PROFGAGE\t7042\t110\t160\t200\t170\r\n"
                                  "PPVIEW\t7060\t10\t180\t290\t220\r\n"
                                  "PPVIEW\t7061\t10\t230\t290\t270\r\n"
                                  "TEXT\t7080\tl\t10\t280\t290\t340\r\n"
                                  "BUTTON\t7090\tFavorite\t10\t360\t90\t380\r\n"
                                  "CANCEL\t150\t360\r\nOK\t220\t360\r\n";

// The host's comment lines as the comment area shows them.
const std::string kNoWayIn = "There is no way in from the lobby. Connect the entrance with stairs or an elevator.\r";
const std::string kMoverFar = "The nearest elevator is a long walk from here. Customers do not like to come.\r";
const std::string kStairsFar = "Stairs are a little far from the entrance.\r";
const std::string kStairsTooFar = "Stairs are too far from the entrance. Customers will not climb to here.\r";

// A derived dialog with a status line of its own, taken when it answers 1, and five comments where the area
// holds four.
class DerivedDialog final : public WbHallInfoDialog {
public:
    DerivedDialog(WbTenant* tenant, int answer) : WbHallInfoDialog(tenant), mAnswer(answer) {}
    int GetStatusString(CString& text, int32_t& alert) override
    {
        text = "Showing tonight";
        alert = 1;
        return mAnswer;
    }
    void MakeComments() override
    {
        for (UINT id : {2u, 4u, 2u, 4u, 2u})
            AddComment(id, nullptr);
    }

private:
    int mAnswer;
};

// A tenant whose picture variation can be chosen.
class VariedTenant final : public WbTenant {
public:
    VariedTenant(WbTowerDoc* doc, WbTenantDef* def, RECT area, int32_t variation) : WbTenant(doc, def, area, 1)
    {
        mVariation = variation;
    }
};

class HallInfoDialogTest : public ::testing::Test {
protected:
    template <typename Dialog = WbHallInfoDialog, typename... Args> WbDialog* Open(Args... args)
    {
        auto* dialog = new Dialog(tower.theater.get(), args...);
        EXPECT_EQ(dialog->RealizeText(Bytes(kHallTemplate), tower.theater.get(), {150, 200, nullptr, 1}, &tower.doc), 1)
            << dialog->GetRealizeError();
        return dialog;
    }
    static void Type(WbDialog* dialog, const char* text)
    {
        dynamic_cast<WbDlgItemEdit*>(dialog->GetWbDlgItem(7003))->TypeText(text);
    }
    // A tenant of the given area, in place of the theater; its dialog needs no schedule.
    WbTenant* PlaceSized(RECT area, WbTenantDef* def, int32_t variation = 0, int32_t pattern = 0)
    {
        tower.def.DestructFinish(&tower.doc, tower.Place(nullptr));
        tower.theater = std::make_unique<VariedTenant>(&tower.doc, def, area, variation);
        tower.theater->SetPatIndex(pattern);
        return tower.theater.get();
    }

    DialogTower tower;
};

} // namespace

// The name record decides the name shown and whether Favorite can be pressed; OK stores only a changed name
// (a tenant's first in a new record of kind 0) or a favorite, and an emptied field means the name as it was.
TEST_F(HallInfoDialogTest, NameRecordDecidesTheNameAndOkStoresOnlyAChangeOrAFavorite)
{
    WbTenant* tenant = tower.Place(nullptr);
    WbNameList* names = tower.doc.GetNameList();
    WbDialog* emptied = Open();
    EXPECT_EQ(DialogTower::Text(emptied, 7003), "Movie Theater");
    Type(emptied, "");
    DialogTower::Press(emptied, IDOK);
    EXPECT_EQ(names->GetCount(), 0);

    WbDialog* renamed = Open();
    EXPECT_TRUE(renamed->GetWbDlgItem(7090)->IsWindowEnabled());
    Type(renamed, "Rex");
    DialogTower::Press(renamed, IDOK);
    EXPECT_NE(names->Search(tenant, 0), nullptr) << "a record of kind 0";
    WbDialog* cancelled = Open();
    EXPECT_EQ(DialogTower::Text(cancelled, 7003), "Rex");
    EXPECT_FALSE(cancelled->GetWbDlgItem(7090)->IsWindowEnabled()) << "a named tenant is a favorite already";
    Type(cancelled, "Nope");
    DialogTower::Press(cancelled, IDCANCEL);
    EXPECT_EQ(tower.log.Count(WbEventKind::Name), 1) << "only the new name was stored";

    tower.Place(nullptr);
    WbDialog* favorite = Open();
    Type(favorite, "");
    DialogTower::Press(favorite, 7090);
    EXPECT_EQ(DialogTower::Text(favorite, 7003), "Movie Theater") << "Favorite puts the name back";
    EXPECT_FALSE(favorite->GetWbDlgItem(7090)->IsWindowEnabled());
    Type(favorite, "");
    DialogTower::Press(favorite, IDOK);
    WbDialog* reopened = Open();
    EXPECT_EQ(std::tuple(DialogTower::Text(reopened, 7003), reopened->GetWbDlgItem(7090)->IsWindowEnabled()),
              std::tuple("Movie Theater", false));
    EXPECT_EQ(tower.log.Count(WbEventKind::Name), 1);
}

TEST_F(HallInfoDialogTest, StatusLineAndCommentsFollowRouteFireAndTheDerivedDialog)
{
    const struct {
        bool connected;
        int32_t status;
        const char* line;
        uint32_t colour;
        std::string comments;
    } cases[] = {{true, 10, "At work", 0, ""},
                 {false, 10, "Unreachable to Lobby", 0x020000FF, kNoWayIn},
                 {false, 10000, "Unreachable to Lobby", 0x020000FF, ""},
                 {true, 10000, "Destroyed", 0x020000FF, ""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line + std::to_string(c.status));
        WbTenant* tenant = tower.Place(nullptr, c.status);
        tower.doc.GetRouteNavigator()->SetConnected(tenant, c.connected);
        WbDialog* dialog = Open();
        EXPECT_EQ(DialogTower::Text(dialog, 7010), c.line);
        EXPECT_EQ(dynamic_cast<WbDlgItemText*>(dialog->GetWbDlgItem(7010))->GetTextColor(), c.colour);
        EXPECT_EQ(DialogTower::Text(dialog, 7080), c.comments);
    }

    // A derived dialog's own status line is taken when it answers 1; its alert colours the line either way. The
    // comment area keeps the first four lines.
    tower.Place(nullptr);
    for (const auto& [answer, line] : {std::pair{1, "Showing tonight"}, std::pair{0, "At work"}}) {
        WbDialog* dialog = Open<DerivedDialog>(answer);
        EXPECT_EQ(DialogTower::Text(dialog, 7010), line);
        EXPECT_EQ(dynamic_cast<WbDlgItemText*>(dialog->GetWbDlgItem(7010))->GetTextColor(), 0x020000FFu) << answer;
        EXPECT_EQ(DialogTower::Text(dialog, 7080), kNoWayIn + kMoverFar + kNoWayIn + kMoverFar);
    }
}

// The entrance is at unit 15, the middle of a 31-unit theater; each mover's centre lies the distance away.
TEST_F(HallInfoDialogTest, NearestMoverDecidesTheDistanceComment)
{
    const struct {
        int distance;
        bool stair;
        std::string comment;
    } cases[] = {{95, true, ""},          {96, true, kStairsFar},     {159, true, kStairsFar},
                 {96, false, kMoverFar},  {159, false, kMoverFar},    {160, true, kStairsTooFar},
                 {160, false, kMoverFar}, {-200, true, kStairsTooFar}};
    WbTenant* tenant = tower.Place(nullptr);
    ASSERT_EQ(tenant->GetEntrancePt().x, 15);
    WbFloorInfo* floors = tower.doc.GetFloorInfo();
    for (const auto& c : cases) {
        floors->AddMover(1, RECT{13 + c.distance, 0, 17 + c.distance, 10}, c.stair, {1, 2});
        EXPECT_EQ(DialogTower::Text(Open(), 7080), c.comment) << c.distance << (c.stair ? " stairs" : " elevator");
    }

    // The nearest carrying mover counts: one without the attribute is passed over, and on a tie the
    // one found first stays.
    floors->AddMover(1, RECT{13, 0, 17, 10}, false, {1}, 0);
    floors->AddMover(2, RECT{15 + 98, 0, 15 + 102, 10}, true, {1});
    floors->AddMover(3, RECT{15 - 102, 0, 15 - 98, 10}, false, {1});
    EXPECT_EQ(DialogTower::Text(Open(), 7080), kStairsFar);
    tenant->SetBelongCapacity(0);
    EXPECT_EQ(DialogTower::Text(Open(), 7080), "") << "no staff";
    tenant->SetBelongCapacity(2);
    WbTenantDefData data = tower.def.GetDefData();
    data.incomePerCustomer = 0;
    tower.def.SetDefData(data);
    EXPECT_EQ(DialogTower::Text(Open(), 7080), "") << "no income";
    data.incomePerCustomer = 30;
    tower.def.SetDefData(data);

    // The mover's centre is truncated toward zero: -82 to -79 has its centre at -80, 95 units away.
    floors->AddMover(9, RECT{-82, 0, -79, 10}, true, {1});
    EXPECT_EQ(DialogTower::Text(Open(), 7080), "");
}

TEST_F(HallInfoDialogTest, PictureIsSizedFromTheTenantsArea)
{
    PlaceSized(RECT{0, 0, 10, 1}, &tower.def, 2, 1);
    WbDialog* small = Open();
    EXPECT_EQ(small->GetWbDlgItem(7004)->GetRect(), (RECT{13, 40, 13 + 160, 40 + 48}));
    EXPECT_EQ(small->GetWbDlgItem(7504)->GetRect(), (RECT{12, 39, 13 + 161, 40 + 49}));
    EXPECT_EQ(small->GetWbDlgItem(7004)->GetValue(), 2301) << "variation 2, the definition's height 3, pattern 1";

    // Figures restored at the top of their range give the number a 32-bit sum wraps to.
    PlaceSized(RECT{0, 0, 10, 1}, &tower.def, INT32_MAX, INT32_MAX);
    EXPECT_EQ(Open()->GetWbDlgItem(7004)->GetValue(), INT32_MAX - 700);

    // A burning tenant shows rubble, still sized from its area.
    PlaceSized(RECT{0, 0, 40, 2}, &tower.def)->SetStatus(10000);
    WbDialog* wide = Open();
    EXPECT_EQ(std::tuple(wide->GetWbDlgItem(7004)->GetRect(), DialogTower::Text(wide, 7004),
                         wide->GetWbDlgItem(7004)->GetValue()),
              std::tuple(RECT{13, 40, 13 + 274, 40 + 60}, "Rubble", 0));

    // Without a definition the picture item is left as the template made it.
    PlaceSized(RECT{0, 0, 40, 2}, nullptr);
    WbDialog* bare = Open();
    EXPECT_EQ(bare->GetWbDlgItem(7004)->GetRect(), (RECT{13, 40, 100, 80}));
    EXPECT_EQ(bare->GetWbDlgItem(7004)->GetValue(), 0);
}

TEST_F(HallInfoDialogTest, HoursFiguresAndPeopleAreFilled)
{
    WbTenantDefData data = tower.def.GetDefData();
    std::tie(data.openMinute, data.closeMinute) = std::tuple(545u, 1380u);
    tower.def.SetDefData(data);
    WbTenant* tenant = tower.Place(nullptr);
    tenant->SetCounts(0, 7);
    tenant->CallBelongPeople(540);
    tenant->GetStaff()[0]->SetCurTenantID(0); // gone out for a moment
    tenant->EnterCustomer(tower.doc.MakePerson(), 700);
    tenant->EnterCustomer(tower.doc.MakePerson(), 700);
    tenant->GetCustomers()[1]->SetCurTenantID(0); // still linked, but at another tenant now

    WbDialog* dialog = Open();
    EXPECT_EQ(DialogTower::Texts(dialog, {7021, 7022, 7023, 7030, 7031, 7001}),
              (Strings{"9:05 to 23:00", "3000", "Income $", "9", "30", "1F-000"}));
    EXPECT_EQ(dynamic_cast<WbDlgItemCustomerGage*>(dialog->GetWbDlgItem(7041))->GetTenant(), tenant);
    EXPECT_EQ(dynamic_cast<WbDlgItemProfitsGage*>(dialog->GetWbDlgItem(7042))->GetTenant(), tenant);
    auto people = [&](int id) { return dynamic_cast<WbDlgItemPeopleView*>(dialog->GetWbDlgItem(id))->GetPeople(); };
    EXPECT_EQ(people(7060), std::vector<WbPeople*>{tenant->GetStaff()[1]}) << "staff in the tenant now";
    EXPECT_EQ(people(7061), std::vector<WbPeople*>{tenant->GetCustomers()[0]}) << "people inside who do not work there";
}
