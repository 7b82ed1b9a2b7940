// The page's view of the tower. Everything is read from the host's side: the tenants, the films, the
// theaters' save records and the dialog framework's items, never the module's own objects.
#include "WbServeState.h"

#include "WbDialog.h"
#include "WbDialogSvg.h"
#include "WbFilmShelf.h"
#include "WbFourCC.h"
#include "WbHostRun.h"
#include "WbMoviePlugin.h"
#include "WbServeLedger.h"
#include "WbTenant.h"
#include "WbTheaterFigures.h"
#include "WbTowerDoc.h"
#include "WbTowerInfo.h"

#include <optional>

namespace {

using json = nlohmann::ordered_json;

// Each show of a theater begins with these minutes in which its customers come in.
constexpr uint32_t kEntryMinutes = 30;

// The day's customer target, where the module has set one: a new schedule's target is not known yet.
std::optional<int32_t> ReadTarget(const std::vector<uint8_t>& extraData)
{
    const std::optional<int32_t> target = WbSavedTarget(extraData);
    return target && *target >= 0 ? target : std::nullopt;
}

// The next show's start as the host sees the theater: shows follow each other from opening time, each an
// entry period and the film, as long as a whole one fits before closing. Tomorrow's first show once
// today's are over.
json NextShow(const WbTenant& tenant, uint32_t now)
{
    const WbMoviePlugin* film = tenant.GetSubPlugin();
    const uint32_t open = tenant.GetOpenTime();
    const uint32_t close = tenant.GetCloseTime();
    if (!film || film->GetRunningTime() < 0 || close < open || tenant.GetStatus() >= 10000)
        return nullptr;
    const uint32_t period = uint32_t(film->GetRunningTime()) + kEntryMinutes;
    const uint32_t shows = (close - open) / period;
    if (shows == 0)
        return nullptr;
    for (uint32_t show = 0; show < shows; ++show) {
        const uint32_t start = open + kEntryMinutes + show * period;
        if (start > now)
            return {{"minute", start}, {"text", WbClockText(start)}, {"tomorrow", false}};
    }
    return {{"minute", open + kEntryMinutes}, {"text", WbClockText(open + kEntryMinutes)}, {"tomorrow", true}};
}

// The name the player gave the theater in its info dialog, which the dialog stores in the tower's name list
// under kind 0; the scenario's name until then.
std::string TheaterName(const WbHostTower& tower, int index)
{
    constexpr uint32_t kTenantNameKind = 0;
    const WbName* name = tower.GetDoc().GetNameList()->Search(&tower.GetTheater(index), kTenantNameKind);
    if (!name)
        return tower.GetTheaterName(index);
    CString text;
    uint32_t kind = 0;
    name->GetName(text, kind);
    return text.Str();
}

json Film(const WbMoviePlugin* film)
{
    if (!film)
        return nullptr;
    CString title;
    film->GetTitle(title, 1);
    return {{"id", WbFourCCText(film->GetID())}, {"title", title.Str()}, {"running_time", film->GetRunningTime()}};
}

json Shows(const std::vector<WbServeLedger::Show>& shows)
{
    json list = json::array();
    for (const WbServeLedger::Show& show : shows)
        list.push_back({{"start", WbClockText(show.startMinute)},
                        {"audience", show.audience >= 0 ? json(show.audience) : json(nullptr)}});
    return list;
}

json Day(const WbServeLedger::Day& day)
{
    json theaters = json::array();
    for (const WbServeLedger::TheaterDay& theater : day.theaters)
        theaters.push_back({{"name", theater.name},
                            {"film", theater.film},
                            {"booked", theater.booked},
                            {"shows", Shows(theater.shows)}});
    return {{"day", day.day},
            {"whole", day.whole},
            {"funds_start", day.fundsStart},
            {"funds_end", day.fundsEnd},
            {"theaters", std::move(theaters)}};
}

json Theater(const WbHostRun& run, const WbServeLedger& ledger, int index)
{
    const WbHostTower& tower = run.GetTower();
    const WbTenant& tenant = tower.GetTheater(index);
    const auto& today = ledger.GetToday().theaters;
    const WbServeLedger::TheaterDay* day = size_t(index) < today.size() ? &today[size_t(index)] : nullptr;
    const std::optional<int32_t> target = ReadTarget(tower.SaveExtraData(index));
    return {{"index", index + 1},
            {"name", TheaterName(tower, index)},
            {"status", tenant.GetStatus()},
            {"status_text", WbServeState::StatusText(tenant.GetStatus())},
            {"film", Film(tenant.GetSubPlugin())},
            {"next_show", NextShow(tenant, run.GetMinute())},
            {"customers", tenant.GetCustomerCount()},
            {"target", target ? json(*target) : json(nullptr)},
            {"takings", day ? day->booked : 0},
            {"shows", day ? Shows(day->shows) : json::array()}};
}

json Item(const WbDlgItem& item)
{
    const RECT& r = item.GetRect();
    json entry = {{"id", item.GetID()},
                  {"kind", item.GetKind()},
                  {"rect", {r.left, r.top, r.right, r.bottom}},
                  {"text", item.GetDisplayText().Str()},
                  {"enabled", item.IsInputEnabled() != 0},
                  {"visible", item.IsWindowVisible() != 0}};
    if (const auto* edit = dynamic_cast<const WbDlgItemEdit*>(&item))
        entry["max_length"] = edit->GetMaxLength();
    if (const auto* table = dynamic_cast<const WbMovieTable*>(&item)) {
        json rows = json::array();
        for (int row = 1; row <= table->GetRowCount(); ++row) {
            CString title;
            table->GetFilm(row)->GetTitle(title, table->GetMovieType());
            rows.push_back({{"row", row},
                            {"film", WbFourCCText(table->GetFilm(row)->GetID())},
                            {"title", title.Str()},
                            {"selected", row == table->GetSelectedRow()}});
        }
        entry["rows"] = std::move(rows);
        entry["row_height"] = WbDialogSvg::kTableRow;
    }
    return entry;
}

} // namespace

namespace WbServeState {

std::string StatusText(int32_t status)
{
    if (status >= 10000)
        return "On fire";
    switch (status) {
    case 9:
        return "Built, opening";
    case 10:
        return "Closed";
    case 30:
        return "Letting customers in";
    case 31:
        return "Letting customers in, half full";
    case 32:
        return "Film running";
    default:
        return status < 9 ? "Under construction" : "Status " + std::to_string(status);
    }
}

json Dialogs(const std::vector<WbDialog*>& dialogs, const WbFilmShelf& shelf)
{
    json list = json::array();
    for (size_t i = 0; i < dialogs.size(); ++i) {
        const WbDialog& dialog = *dialogs[i];
        RECT client;
        dialog.GetClientRect(&client);
        json items = json::array();
        for (const auto& item : dialog.GetItems())
            items.push_back(Item(*item));
        list.push_back({{"template", dialog.GetTemplateID()},
                        {"title", dialog.GetTitle().Str()},
                        {"enabled", dialog.IsWindowEnabled() != 0},
                        {"top", i + 1 == dialogs.size()},
                        {"width", client.right},
                        {"height", client.bottom},
                        {"origin", {WbDialogSvg::kMargin, WbDialogSvg::kMargin + WbDialogSvg::kTitleBar}},
                        {"svg", WbDialogSvg::Render({dialogs[i]}, shelf)},
                        {"items", std::move(items)}});
    }
    return list;
}

json Make(const WbHostRun& run, const WbServeLedger& ledger, const Clock& clock)
{
    const WbHostTower& tower = run.GetTower();
    json theaters = json::array();
    for (int i = 0; i < tower.GetTheaterCount(); ++i)
        theaters.push_back(Theater(run, ledger, i));
    json days = json::array();
    for (const WbServeLedger::Day& day : ledger.GetDays())
        days.push_back(Day(day));
    return {{"day", run.GetDay()},
            {"minute", run.GetMinute()},
            {"clock", "Day " + std::to_string(run.GetDay()) + " " + WbClockText(run.GetMinute())},
            {"funds", tower.GetDoc().GetCurrentFunds()},
            {"speed", clock.speed},
            {"message", clock.message},
            {"theaters", std::move(theaters)},
            {"today", Day(ledger.GetToday())},
            {"days", std::move(days)},
            {"dialogs", Dialogs(WbDialog::GetOpenDialogs(), tower.GetShelf())}};
}

} // namespace WbServeState
