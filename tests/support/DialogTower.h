// A theater tower with the player's side of the dialogs: opening, pressing, choosing a film, reading items.
#pragma once

#include "TheaterTower.h"
#include "WbDialog.h"
#include "WbMovieSelectDialog.h"
#include "WbShowSchedule.h"
#include "WbTheaterInfoDialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <ranges>
#include <string>
#include <vector>

// The bytes of a template file as it stands in the source tree.
inline std::vector<uint8_t> TemplateFile(int id)
{
    std::ifstream file(std::string(THEATER_SOURCE_DIR) + "/resources/templates/" + std::to_string(id) + ".wbdlg",
                       std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

inline std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

using Strings = std::vector<std::string>;

// At 8:00 on day 1, before the theater opens, with money to spare and no people arriving on their own.
class DialogTower : public TheaterTower {
public:
    DialogTower() : TheaterTower(WbArrivalMode::None)
    {
        doc.SetWorldDef(std::make_unique<WbWorldDef>());
        doc.SetCurrentDateTime(WbDateTime(1, 480));
        doc.SetDayBase(1);
        doc.SetFunds(100000);
        // Figures the tests rely on, whatever the module's own record says.
        WbTenantDefData data = def.GetDefData();
        std::tie(data.openMinute, data.closeMinute) = std::tuple(600u, 1320u);
        std::tie(data.capacity, data.belongCapacity, data.incomePerCustomer, data.monthlyCostHundreds) =
            std::tuple(200, 2, 30, 5);
        def.SetDefData(data);
    }
    ~DialogTower() { WbDialog::CloseAllDialogs(); }

    // Places a theater in place of the last one; the host closes a tenant's dialogs and frees its schedule
    // before the tenant goes.
    WbTenant* Place(WbMoviePlugin* film, int32_t status = 10)
    {
        WbDialog::CloseAllDialogs();
        if (theater)
            def.DestructFinish(&doc, theater.get());
        return TheaterTower::Place(film, status);
    }

    WbDialog* OpenInfo()
    {
        std::string error;
        WbDialog* dialog = WbOpenInfoDialog(&doc, theater.get(), error);
        EXPECT_NE(dialog, nullptr) << error;
        return dialog;
    }
    WbDialog* Select() const { return Schedule()->GetSelectDialog(); }

    // The player clicks a button of the dialog; closed dialogs are then deleted, as the host does.
    static int Press(WbDialog* dialog, int id)
    {
        auto* button = dynamic_cast<WbDlgItemButton*>(dialog->GetWbDlgItem(id));
        EXPECT_NE(button, nullptr) << "no button " << id;
        const int clicked = button ? button->Click() : 0;
        WbDialog::DeleteClosedDialogs();
        return clicked;
    }
    // The player picks a film's row in the open selection dialog.
    int Choose(const WbMoviePlugin* film) const
    {
        auto* table = dynamic_cast<WbMovieTable*>(Select()->GetWbDlgItem(7112));
        return table ? table->ClickRow(table->FindRow(film)) : 0;
    }
    // Opens the info dialog and, with "Change Film", the selection; returns the info dialog.
    WbDialog* OpenSelection()
    {
        WbDialog* info = OpenInfo();
        Press(info, 7099);
        return info;
    }
    // Opens both dialogs, picks the film and shows it.
    WbDialog* AcceptFilm(const WbMoviePlugin* film)
    {
        WbDialog* info = OpenSelection();
        Choose(film);
        Press(Select(), 7092);
        return info;
    }

    static std::string Text(const WbDialog* dialog, int id)
    {
        const WbDlgItem* item = dialog->GetWbDlgItem(id);
        return item ? item->GetDisplayText().Str() : "<no item " + std::to_string(id) + ">";
    }
    static Strings Texts(const WbDialog* dialog, std::initializer_list<int> ids)
    {
        const auto texts = ids | std::views::transform([dialog](int id) { return Text(dialog, id); });
        return {texts.begin(), texts.end()};
    }
};
