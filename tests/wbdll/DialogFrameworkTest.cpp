// The host's dialog framework: templates as the module carries them, realising, items, handlers and closing.
#include "DialogTower.h"

#include "CTokenizer.h"
#include "CWnd.h"
#include "WbHallInfoDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <sstream>
#include <string_view>
#include <tuple>

namespace {

// The items of a realised dialog, one a line: kind, ID, caption (a text's led by its alignment), rectangle.
std::vector<std::string> ItemLines(const WbDialog& dialog)
{
    std::vector<std::string> lines;
    for (const auto& item : dialog.GetItems()) {
        std::ostringstream line;
        CString caption;
        item->GetDescriptor(caption);
        const bool text = std::string_view(item->GetKind()) == "TEXT";
        const char* align = !text ? "" : item->GetAlignment() == WbAlign::Right ? "r" : "l";
        const RECT rect = item->GetRect();
        line << item->GetKind() << ' ' << item->GetID() << " \"" << align << caption.Str() << "\" " << rect.left << ' '
             << rect.top << ' ' << rect.right << ' ' << rect.bottom;
        lines.push_back(line.str());
    }
    return lines;
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

} // namespace

// The template bytes themselves are compared by the resource tests; here a few lines of each kind show that
// the parser reads every field: an aligned text, a captioned button, an item of the host's own size, the last.
TEST(DialogTemplates, ItemLinesReadBackToTheTabledValues)
{
    const struct {
        UINT id;
        const char* title;
        RECT window; // centred on 400, 300
        size_t count;
        std::map<size_t, std::string> lines;
    } templates[] = {
        {1000,
         "Info of Tenants",
         {130, 133, 670, 468},
         41,
         {{0, "TEXT 7001 \"r\" 136 10 197 25"},
          {3, "TEXT 0 \"lFeature Title:\" 12 39 73 55"},
          {37, "BUTTON 7099 \"Change Film\" 66 303 169 329"},
          {40, "OK 1 \"OK\" 468 303 532 327"}}},
        {2000,
         "Change Film",
         {191, 130, 609, 470},
         24,
         {{0, "MOVTBL 7112 \"\" 8 8 172 248"}, {23, "BUTTON 7092 \"Show\" 107 263 165 283"}}},
    };
    for (const auto& expected : templates) {
        SCOPED_TRACE(expected.id);
        WbDialog dialog;
        ASSERT_TRUE(dialog.RealizeText(TemplateFile(expected.id), nullptr, {400, 300, nullptr, expected.id}, nullptr))
            << dialog.GetRealizeError();
        EXPECT_EQ(std::tuple(dialog.GetTitle(), dialog.IsModal()), std::tuple(expected.title, 1));
        RECT window;
        dialog.GetWindowRect(&window);
        EXPECT_EQ(window, expected.window);
        const std::vector<std::string> lines = ItemLines(dialog);
        ASSERT_EQ(lines.size(), expected.count);
        for (const auto& [index, line] : expected.lines)
            EXPECT_EQ(lines[index], line) << index;
        EXPECT_TRUE(std::ranges::all_of(dialog.GetItems(), [](const auto& item) { return item->GetFontSize() == 12; }));
    }
}

// One good template; each bad one changes one thing, and none may open a half-built dialog.
TEST(DialogTemplates, MalformedTemplatesAreRefusedNamingLineAndField)
{
    const std::string good = "WIDTH\t300\r\nHEIGHT\t200\r\nTITLE\tT\r\nBOX\t\t7\t1\t2\t3\t4\r\n";
    const struct {
        std::string text, error;
    } cases[] = {
        {good + "BOX\t8\t1\t2\t3\r\n", "WBDLG 77 line 5 (BOX): 4 fields, expected 5"},
        {good + "SLIDER\t8\t1\t2\t3\t4\r\n", "WBDLG 77 line 5 (SLIDER): unknown keyword"},
        {good + "TEXT\t8\tcX\t1\t2\t3\t4\r\n", "WBDLG 77 line 5 (TEXT): alignment 'c' is neither l nor r"},
        {good + "BOX\t8\t1\t2\t70000\t4\r\n", "WBDLG 77 line 5 (BOX): right 70000 exceeds 32767"},
        {good + "BOX\t8\t10\t2\t3\t4\r\n", "WBDLG 77 line 5 (BOX): rectangle 10, 2, 3, 4 is inverted"},
        {good + "BOX\t8\t1\t20\t3\t4\r\n", "WBDLG 77 line 5 (BOX): rectangle 1, 20, 3, 4 is inverted"},
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

// The table highlights silently and reports the player's row.
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

// The comment texts of host and module are the info dialogs' tests; an ID neither has gives none.
TEST(DialogFramework, RealizeReadsTheModuleAndUnknownCommentsAreEmpty)
{
    DialogTower tower;
    const WBDLGTEMPLATE missing{0, 0, tower.library.GetModule(), 4242};
    WbInfoDialog dialog;
    EXPECT_EQ(dialog.Realize(nullptr, missing, &tower.doc, nullptr, nullptr, 1, nullptr, 0, 1), 0);
    EXPECT_EQ(dialog.GetRealizeError().rfind("WBDLG 4242: not in module ", 0), 0u) << dialog.GetRealizeError();
    const WBDLGTEMPLATE info{0, 0, tower.library.GetModule(), 1000};
    ASSERT_EQ(dialog.Realize(nullptr, info, &tower.doc, nullptr, nullptr, 1, nullptr, 0, 1), 1);
    CString text;
    for (UINT id : {3u, 0x10000004u}) {
        EXPECT_EQ(dialog.GetCommentString(id, text), 0) << id;
        EXPECT_TRUE(text.IsEmpty()) << id;
    }
}

TEST(CTokenizer, RunsOfTabsSeparateFieldsThatKeepTheirBlanks)
{
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"BOX\t\t7501\t134\t8\t198\t26", {"BOX", "7501", "134", "8", "198", "26"}},
        {"TEXT\t0\t\tlPop.\t\t399\t38\t431\t53", {"TEXT", "0", "lPop.", "399", "38", "431", "53"}},
        {"\t\tMODAL\t", {"MODAL"}},
        {" FONT ", {" FONT "}},
        {"OK\t\t468\t303\r\n", {"OK", "468", "303"}}, // the line end adds no trailing field
        {"\r\n", {}},
    };
    for (const auto& [line, expected] : cases) {
        CTokenizer tokens(line);
        EXPECT_EQ(tokens.CountRemaining(), int(expected.size())) << line;
        std::vector<std::string> fields;
        for (CString field; tokens.NextToken(field);)
            fields.push_back(field.Str());
        EXPECT_EQ(fields, expected);
    }
}

TEST(CTokenizer, NextIntegerReadsLeadingDigits)
{
    CTokenizer tokens("7001\tr\t12abc\t99999999999\t4294967295");
    for (uint32_t expected : {7001u, 0u, 12u, 0xFFFFFFFFu, 0xFFFFFFFFu})
        EXPECT_EQ(tokens.NextInteger(), expected);
    EXPECT_TRUE(tokens.AtEnd());
    EXPECT_EQ(tokens.NextInteger(), 0u);
    CString untouched = "kept";
    EXPECT_FALSE(tokens.NextToken(untouched));
    EXPECT_EQ(untouched, "kept");
}
