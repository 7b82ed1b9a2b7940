// The host's dialog framework: the two templates as the module carries them, realising, items, closing.
#include "DialogTower.h"

#include "CWnd.h"
#include "WbHallInfoDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string_view>

namespace {

// Template 1000 as tabled, one item a line: kind, ID, caption (a text's led by its alignment), rectangle.
// OK and Cancel have the host's size, 64 x 24.
const char* const kInfoItems = R"items(TEXT 7001 "r" 136 10 197 25
BOX 7501 "" 134 8 198 26
EDIT 7003 "" 234 8 407 26
TEXT 0 "lFeature Title:" 12 39 73 55
TEXT 7124 "l" 70 41 242 57
BOX 7624 "" 69 40 243 58
TEXT 7125 "l" 13 65 294 81
BOX 7625 "" 12 64 243 82
MOVIE 7123 "" 14 92 232 209
TEXT 7126 "l" 14 142 232 158
BOX 7623 "" 12 90 234 211
TEXT 0 "lCredit:" 12 213 87 229
TEXT 7130 "l" 15 232 241 287
BOX 7630 "" 13 230 243 289
TEXT 0 "lCustomers:" 258 37 344 53
TEXT 7030 "r" 343 38 392 53
BOX 7530 "" 341 36 396 54
TEXT 0 "lPop." 399 38 431 53
TEXT 0 "lDaily Revenue:" 264 65 344 79
TEXT 0 "lDaily Cost:" 264 80 350 94
TEXT 0 "lDaily Profit:" 264 95 346 109
TEXT 7107 "r" 358 65 392 79
TEXT 7108 "r" 358 80 392 94
TEXT 7109 "r" 358 95 392 109
BOX 0 "" 255 62 396 112
TEXT 0 "l($)" 399 97 431 114
TEXT 0 "lDuration:" 255 122 316 139
TEXT 7110 "r" 315 122 392 137
BOX 7610 "" 313 120 396 138
TEXT 0 "lmonths" 399 122 431 139
TEXT 0 "lSchedule:" 255 146 316 164
TEXT 7111 "l" 316 148 526 163
BOX 7611 "" 314 146 529 164
PPVIEW 7061 "" 256 173 528 218
BOX 7561 "" 255 172 529 219
TEXT 7080 "l" 257 228 527 286
BOX 7580 "" 255 226 528 289
BUTTON 7099 "Change Film" 66 303 169 329
BUTTON 7090 "Favorite" 257 303 340 325
CANCEL 2 "Cancel" 394 303 458 327
OK 1 "OK" 468 303 532 327
)items";

const char* const kSelectItems = R"items(MOVTBL 7112 "" 8 8 172 248
TEXT 0 "lTitle" 186 14 232 30
TEXT 7124 "l" 236 16 404 36
BOX 0 "" 234 14 406 38
TEXT 7125 "l" 186 44 404 64
BOX 0 "" 184 42 406 66
MOVIE 7123 "" 186 74 404 191
BOX 0 "" 184 72 406 193
TEXT 7130 "l" 186 202 404 268
BOX 0 "" 184 200 406 270
TEXT 0 "lCost:" 186 278 272 294
TEXT 7131 "l" 284 278 354 298
BOX 0 "" 282 276 356 300
TEXT 0 "l($)" 362 278 394 294
TEXT 0 "lPlay Time:" 186 306 272 322
TEXT 7132 "l" 284 306 312 326
BOX 0 "" 282 304 314 328
TEXT 0 "lhr" 318 306 350 322
TEXT 7133 "l" 357 306 385 326
BOX 0 "" 355 304 387 328
TEXT 0 "lmin" 392 306 408 322
BOX 0 "" 180 8 410 332
CANCEL 2 "Cancel" 13 263 77 287
BUTTON 7092 "Show" 107 263 165 283
)items";

// The items of a realised dialog in the form of the tables above.
std::string ItemLines(const WbDialog& dialog)
{
    std::ostringstream lines;
    for (const auto& item : dialog.GetItems()) {
        CString caption;
        item->GetDescriptor(caption);
        const bool text = std::string_view(item->GetKind()) == "TEXT";
        const char* align = !text ? "" : item->GetAlignment() == WbAlign::Right ? "r" : "l";
        const RECT rect = item->GetRect();
        lines << item->GetKind() << ' ' << item->GetID() << " \"" << align << caption.Str() << "\" " << rect.left << ' '
              << rect.top << ' ' << rect.right << ' ' << rect.bottom << '\n';
    }
    return lines.str();
}

// Records what the host calls, so that the order of handlers and closing can be checked.
class RecordingDialog final : public WbDialog {
public:
    explicit RecordingDialog(std::vector<std::string>& calls) : mCalls(calls) {}
    ~RecordingDialog() override { mCalls.push_back("deleted"); }
    int OnWbDialogCommand(UINT wParam, LONG) override
    {
        mCalls.push_back("command " + std::to_string(LOWORD(wParam)) + "/" + std::to_string(HIWORD(wParam)));
        return 1;
    }
    void OnWbCreate() override { mCalls.push_back("create " + std::to_string(GetItems().size())); }
    void OnWbDestroy() override { mCalls.push_back("destroy"); }
    void OnWbOK() override { mCalls.push_back("ok"); }
    void OnWbCancel() override { mCalls.push_back("cancel"); }
    void ListenToMessage(UINT message, void*) override { mCalls.push_back("message " + std::to_string(int(message))); }

private:
    std::vector<std::string>& mCalls;
};

// The slot of a virtual member function in its class's table (Itanium C++ ABI: the pointer holds 1 + the
// slot's byte offset; the destructor takes slots 0 and 1).
template <typename Method> std::ptrdiff_t Slot(Method method)
{
    std::ptrdiff_t words[2];
    static_assert(sizeof(Method) == sizeof words);
    std::memcpy(words, &method, sizeof words);
    return (words[0] & 1) ? (words[0] - 1) / std::ptrdiff_t(sizeof(void*)) : -1;
}

} // namespace

// The module's dialogs and the host library must agree on every slot of the dialog tables.
TEST(DialogSlots, HandlersAndCommentOperationsFollowTheHostsOrder)
{
    const std::vector<std::ptrdiff_t> info = {
        Slot(&WbHallInfoDialog::OnWbDialogCommand), Slot(&WbHallInfoDialog::OnWbCreate),
        Slot(&WbHallInfoDialog::OnWbDestroy),       Slot(&WbHallInfoDialog::OnWbOK),
        Slot(&WbHallInfoDialog::OnWbCancel),        Slot(&WbHallInfoDialog::GetCommentString),
        Slot(&WbHallInfoDialog::AppendComment),     Slot(&WbHallInfoDialog::AddComment),
        Slot(&WbHallInfoDialog::MakeComments),      Slot(&WbHallInfoDialog::GetStatusString),
        Slot(&WbHallInfoDialog::SetTenantPicture)};
    EXPECT_EQ(info, (std::vector<std::ptrdiff_t>{2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    EXPECT_EQ(Slot(&WbTheaterInfoDialog::MakeComments), 10);
    EXPECT_EQ(Slot(&WbMovieSelectDialog::OnWbCancel), 6);
    // The listener part has a table of its own: destructor, then ListenToMessage.
    EXPECT_EQ(Slot(&LListener::ListenToMessage), 2);
}

TEST(DialogTemplates, ItemLinesReadBackToTheTabledValues)
{
    const struct {
        int id;
        const char* title;
        LONG width;
        LONG height;
        const char* items;
    } templates[] = {{1000, "Info of Tenants", 540, 335, kInfoItems}, {2000, "Change Film", 418, 340, kSelectItems}};
    for (const auto& expected : templates) {
        SCOPED_TRACE(expected.id);
        WbDialog dialog;
        ASSERT_TRUE(
            dialog.RealizeText(TemplateFile(expected.id), nullptr, {400, 300, nullptr, UINT(expected.id)}, nullptr))
            << dialog.GetRealizeError();
        EXPECT_EQ(dialog.GetTitle(), expected.title);
        EXPECT_EQ(dialog.IsModal(), 1);
        RECT window;
        dialog.GetWindowRect(&window);
        const LONG left = 400 - expected.width / 2;
        const LONG top = 300 - expected.height / 2;
        EXPECT_EQ(window, (RECT{left, top, left + expected.width, top + expected.height}));
        EXPECT_EQ(ItemLines(dialog), expected.items);
        EXPECT_TRUE(std::ranges::all_of(dialog.GetItems(), [](const auto& item) { return item->GetFontSize() == 12; }));
    }
}

// One good template; each bad one changes one thing, and none may open a half-built dialog.
TEST(DialogTemplates, MalformedTemplatesAreRefusedNamingLineAndField)
{
    const std::string good = "WIDTH\t300\r\nHEIGHT\t200\r\nTITLE\tT\r\nBOX\t\t7\t1\t2\t3\t4\r\n";
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {good + "BOX\t8\t1\t2\t3\r\n", "WBDLG 77 line 5 (BOX): 4 fields, expected 5"},
        {good + "SLIDER\t8\t1\t2\t3\t4\r\n", "WBDLG 77 line 5 (SLIDER): unknown keyword"},
        {good + "TEXT\t8\tcX\t1\t2\t3\t4\r\n", "WBDLG 77 line 5 (TEXT): alignment 'c' is neither l nor r"},
        {good + "BOX\t8\t1\t2\t70000\t4\r\n", "WBDLG 77 line 5 (BOX): right 70000 exceeds 32767"},
        {good + "BOX\t8\t10\t2\t3\t4\r\n", "WBDLG 77 line 5 (BOX): rectangle 10, 2, 3, 4 is inverted"},
        {good + "BOX\t7\t1\t2\t3\t4\r\n", "WBDLG 77 line 5 (BOX): item ID 7 is used twice"},
        {good + "TITLE\tLate\r\n", "WBDLG 77 line 5 (TITLE): header line after the items"},
        {"HEIGHT\t200\r\nBOX\t7\t1\t2\t3\t4\r\n", "WBDLG 77 has no WIDTH"},
    };
    for (const auto& bad : cases) {
        WbDialog dialog;
        EXPECT_EQ(dialog.RealizeText(Bytes(bad.text), nullptr, {0, 0, nullptr, 77}, nullptr), 0);
        EXPECT_EQ(dialog.GetRealizeError(), bad.error);
        EXPECT_FALSE(dialog.IsOpen());
        EXPECT_TRUE(dialog.GetItems().empty());
    }
    WbDialog dialog;
    EXPECT_EQ(dialog.RealizeText(Bytes(good), nullptr, {0, 0, nullptr, 77}, nullptr), 1);
}

// The handlers run in the host's order; a closed dialog lives on until the host deletes closed dialogs.
TEST(DialogFramework, HandlersRunInTheHostsOrderAndClosedDialogsWaitForDeletion)
{
    std::vector<std::string> calls;
    auto* dialog = new RecordingDialog(calls);
    ASSERT_EQ(dialog->RealizeText(TemplateFile(1000), nullptr, {400, 300, nullptr, 1000}, nullptr), 1);
    EXPECT_EQ(WbDialog::GetOpenDialogs(), std::vector<WbDialog*>{dialog});
    EXPECT_EQ(dialog->GetUserCon(), 0) << "an info dialog shows the film as it was bound";
    // A click on a button: the command, then the broadcast to its listeners.
    dialog->GetWbDlgItem(7099)->AddListener(dialog);
    DialogTower::Press(dialog, 7099);
    dialog->EnableWindow(FALSE);
    EXPECT_EQ(DialogTower::Press(dialog, 7090), 0) << "a disabled dialog takes no clicks";
    dialog->EnableWindow(TRUE);
    dynamic_cast<WbDlgItemButton&>(*dialog->GetWbDlgItem(IDOK)).Click();
    EXPECT_TRUE(WbDialog::GetOpenDialogs().empty());
    EXPECT_EQ(dialog->GetCloseResult(), 1);
    EXPECT_FALSE(dialog->IsWindowVisible());
    dialog->DoClose(0);
    WbDialog::DeleteClosedDialogs();
    EXPECT_EQ(calls,
              (std::vector<std::string>{"create 41", "command 7099/0", "message 7099", "ok", "destroy", "deleted"}));

    // Cancel closes only its own dialog; closing all ends the rest.
    calls.clear();
    auto* info = new RecordingDialog(calls);
    auto* select = new RecordingDialog(calls);
    info->RealizeText(TemplateFile(1000), nullptr, {}, nullptr);
    select->RealizeText(TemplateFile(2000), nullptr, {}, nullptr);
    DialogTower::Press(select, IDCANCEL);
    WbDialog::CloseAllDialogs();
    EXPECT_EQ(calls, (std::vector<std::string>{"create 41", "create 24", "cancel", "destroy", "deleted", "destroy",
                                               "deleted"}));
}

// The table highlights silently and reports the player's row; listeners and broadcasters forget each other.
TEST(DialogFramework, TableReportsClickedRowsToListenersThatForgetTheirBroadcasters)
{
    WbDialog dialog;
    dialog.RealizeText(TemplateFile(2000), nullptr, {}, nullptr);
    auto* table = dynamic_cast<WbMovieTable*>(dialog.GetWbDlgItem(7112));
    ASSERT_NE(table, nullptr);
    WbMoviePlugin first(FilmInfo(1));
    WbMoviePlugin second(FilmInfo(2));
    table->Add(&first);
    table->Add(&second);
    {
        std::vector<std::string> calls;
        RecordingDialog listener(calls);
        table->AddListener(&listener);
        table->AddListener(&listener);
        table->SelectCell(2, 1);
        EXPECT_EQ(table->GetSelectedRow(), 2);
        EXPECT_EQ(table->ClickRow(1), 1);
        EXPECT_EQ(table->ClickRow(3), 0);
        EXPECT_EQ(calls, std::vector<std::string>{"message -7112"});
        EXPECT_TRUE(listener.IsListeningTo(table));
    }
    EXPECT_EQ(table->GetListenerCount(), 0);
    EXPECT_EQ(table->ClickRow(2), 1);
    EXPECT_EQ(DialogTower::Text(&dialog, 7112), "  Film 1\n> Film 2\n");
}

// Items map between their dialog's and the screen's coordinates; an edit keeps the template's length.
TEST(DialogFramework, ItemsMapBetweenCoordinatesAndEditsKeepTheirLength)
{
    WbDialog dialog;
    dialog.RealizeText(TemplateFile(1000), nullptr, {370, 267, nullptr, 1000}, nullptr);
    WbDlgItem* room = dialog.GetWbDlgItem(7001);
    RECT screen;
    ::GetWindowRect(room, &screen);
    EXPECT_EQ(screen, (RECT{100 + 136, 100 + 10, 100 + 197, 100 + 25}));
    POINT corner{61, 15};
    ::MapWindowPoints(room, ::GetParent(room), &corner, 1);
    EXPECT_EQ(corner, (POINT{197, 25}));
    room->MoveWindow(1, 2, 3, 4, FALSE);
    room->MoveWindow(5, 6, 7, 8);
    EXPECT_EQ(room->GetRect(), (RECT{5, 6, 12, 14}));
    EXPECT_EQ(room->GetRepaintCount(), 1);
    dialog.ShowWindow(SW_HIDE);
    EXPECT_FALSE(room->IsWindowVisible()) << "a hidden parent hides its items";
    dynamic_cast<WbDlgItemEdit*>(dialog.GetWbDlgItem(7003))->TypeText("A name longer than sixteen");
    EXPECT_EQ(DialogTower::Text(&dialog, 7003), "A name longer th");
}

// Realised from the module's resources, an info dialog finds the module's comment texts there.
TEST(DialogFramework, RealizeReadsTheModuleAndCommentTextsComeFromHostAndModule)
{
    DialogTower tower;
    const WBDLGTEMPLATE missing{0, 0, tower.library.GetModule(), 4242};
    WbInfoDialog dialog;
    EXPECT_EQ(dialog.Realize(nullptr, missing, &tower.doc, nullptr, nullptr, 1, nullptr, 0, 1), 0);
    EXPECT_EQ(dialog.GetRealizeError().rfind("WBDLG 4242: not in module ", 0), 0u) << dialog.GetRealizeError();
    const WBDLGTEMPLATE info{0, 0, tower.library.GetModule(), 1000};
    ASSERT_EQ(dialog.Realize(nullptr, info, &tower.doc, nullptr, nullptr, 1, nullptr, 0, 1), 1);
    CString text;
    for (UINT id : {2u, 4u, 5u, 6u, 0x10000001u, 0x10000003u}) {
        EXPECT_EQ(dialog.GetCommentString(id, text), 1) << id;
        EXPECT_FALSE(text.IsEmpty()) << id;
    }
    for (UINT id : {3u, 0x10000004u}) {
        EXPECT_EQ(dialog.GetCommentString(id, text), 0) << id;
        EXPECT_TRUE(text.IsEmpty()) << id;
    }
}
