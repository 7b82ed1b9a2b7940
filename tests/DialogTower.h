// A theater tower whose definition and dialog templates come from the module's own resources, with the
// player's side of the dialogs: opening, pressing, choosing a film, reading items.
#pragma once

#include "Afx.h"
#include "CResFile.h"
#include "TheaterResources.h"
#include "TheaterTower.h"
#include "WbDialog.h"
#include "WbMovieSelectDialog.h"
#include "WbShowSchedule.h"
#include "WbTheaterInfoDialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <memory>
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

class DialogTower {
public:
    DialogTower()
    {
        doc.SetObserver(&log);
        doc.SetArrivals(WbArrivalMode::None, 1);
        doc.SetWorldDef(std::make_unique<WbWorldDef>());
        doc.SetCurrentDateTime(WbDateTime(1, 480));
        doc.SetDayBase(1);
        doc.SetFunds(100000);
        // Figures the tests rely on, whatever the module's own record says.
        WbTenantDefData data = def.GetDefData();
        data.openMinute = 600;
        data.closeMinute = 1320;
        data.capacity = 200;
        data.belongCapacity = 2;
        data.incomePerCustomer = 30;
        data.monthlyCostHundreds = 5;
        def.SetDefData(data);
    }
    ~DialogTower()
    {
        WbDialog::CloseAllDialogs();
        if (theater)
            def.DestructFinish(&doc, theater.get());
    }

    WbMoviePlugin* AddFilm(const WbFilmInfo& info, bool listed = true)
    {
        films.push_back(std::make_unique<WbMoviePlugin>(info));
        WbMoviePlugin* film = films.back().get();
        film->SetTowerDoc(&doc);
        def.GetSubPluginList()->Append(film);
        if (listed)
            doc.GetMovieList()->Append(film);
        return film;
    }

    WbTenant* Place(WbMoviePlugin* film, int32_t status = 10, RECT area = RECT{0, 0, 31, 3})
    {
        // The host closes a tenant's dialogs before the tenant goes.
        WbDialog::CloseAllDialogs();
        if (theater)
            def.DestructFinish(&doc, theater.get());
        theater = std::make_unique<WbTenant>(&doc, &def, area, 1);
        theater->SetStatus(status);
        if (film)
            theater->SetMoviePlugin(film);
        def.PrepareTenantProc(&doc, theater.get());
        log.Clear();
        return theater.get();
    }

    WbShowSchedule* Schedule() const { return static_cast<WbShowSchedule*>(theater->GetRefCon()); }

    WbDialog* OpenInfo()
    {
        std::string error;
        WbDialog* dialog = WbOpenInfoDialog(&doc, theater.get(), error);
        EXPECT_NE(dialog, nullptr) << error;
        return dialog;
    }
    WbDialog* Info() const { return Schedule()->GetInfoDialog(); }
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
    // Opens the info dialog, opens the selection, picks the film and shows it.
    WbDialog* AcceptFilm(const WbMoviePlugin* film)
    {
        WbDialog* info = OpenInfo();
        Press(info, 7099);
        Choose(film);
        Press(Select(), 7092);
        return info;
    }

    static std::string Text(const WbDialog* dialog, int id)
    {
        const WbDlgItem* item = dialog->GetWbDlgItem(id);
        return item ? item->GetDisplayText().Str() : "<no item " + std::to_string(id) + ">";
    }

    // The module's resources in the chain, as the module's start-up puts them there.
    CDynLinkLibrary library{&kLibraryMarker, TheaterResourceBytes()};
    CResFile resources{library.GetModule()};
    WbTowerDoc doc;
    EventLog log;
    WbPluginSpecifier specifier;
    WbTheaterPlugin plugin{WbFourCC("TnPl"), specifier};
    WbTheaterDef def{WbFourCC("TnDf"), specifier, &resources, nullptr, &plugin};
    std::vector<std::unique_ptr<WbMoviePlugin>> films;
    std::unique_ptr<WbTenant> theater;

private:
    static constexpr int kLibraryMarker = 0;
};
