// Scripted dialog actions: read from the scenario, run at their minutes, traced as the player's doing.
#include "WbActions.h"

#include "WbDialog.h"
#include "WbDialogSvg.h"
#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbMoviePlugin.h"
#include "WbQuoted.h"
#include "WbScenarioReader.h"
#include "WbTenant.h"
#include "WbTowerDoc.h"

#include <nlohmann/json.hpp>

#include <climits>
#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>

namespace {

using json = nlohmann::json;

// A step's kind and the keys it needs besides "do" (and the optional "day" and "minute").
struct KindInfo {
    WbActionStep::Kind kind;
    std::vector<std::string> required;
};

const std::map<std::string, KindInfo>& Kinds()
{
    static const std::map<std::string, KindInfo> kinds = {
        {"open_info", {WbActionStep::Kind::OpenInfo, {"theater"}}},
        {"press", {WbActionStep::Kind::Press, {"item"}}},
        {"select_film", {WbActionStep::Kind::SelectFilm, {"film"}}},
        {"type", {WbActionStep::Kind::Type, {"item", "text"}}},
        {"snapshot", {WbActionStep::Kind::Snapshot, {}}},
        {"set_status", {WbActionStep::Kind::SetStatus, {"theater", "status"}}},
        {"render", {WbActionStep::Kind::Render, {"file"}}},
    };
    return kinds;
}

// A value of the file in a message: JSON, its text beyond ASCII escaped.
std::string Shown(const json& value) { return value.dump(-1, ' ', true); }

int64_t ReadNumber(const json& value, const std::string& path, int64_t low, int64_t high)
{
    if (!value.is_number_integer())
        throw WbScenarioError(path + ": " + Shown(value) + " is not a whole number");
    const int64_t number =
        value.is_number_unsigned() && value.get<uint64_t>() > uint64_t(INT64_MAX) ? INT64_MAX : value.get<int64_t>();
    if (number < low || number > high)
        throw WbScenarioError(path + ": " + Shown(value) + " is outside " + std::to_string(low) + " to " +
                              std::to_string(high));
    return number;
}

std::string ReadText(const json& value, const std::string& path)
{
    if (!value.is_string())
        throw WbScenarioError(path + ": " + Shown(value) + " is not a text");
    return value.get<std::string>();
}

std::string TimeText(int32_t day, uint32_t minute)
{
    return "day " + std::to_string(day) + " minute " + std::to_string(minute);
}

std::string StepName(size_t index, const WbActionStep& step)
{
    return "actions[" + std::to_string(index) + "] (" + step.label + ")";
}

// The dialog's state as the trace shows it: its template, title and whether it takes input, then every
// item the code can look up (ID 0 marks labels and frames nobody looks up).
nlohmann::ordered_json DialogState(const WbDialog& dialog)
{
    nlohmann::ordered_json state;
    state["template"] = dialog.GetTemplateID();
    state["title"] = dialog.GetTitle().Str();
    state["enabled"] = dialog.IsWindowEnabled() != 0;
    nlohmann::ordered_json items = nlohmann::ordered_json::object();
    for (const auto& item : dialog.GetItems()) {
        if (item->GetID() == 0)
            continue;
        items[std::to_string(item->GetID())] = {{"text", item->GetDisplayText().Str()},
                                                {"enabled", item->IsWindowEnabled() != 0},
                                                {"visible", item->IsWindowVisible() != 0}};
    }
    state["items"] = std::move(items);
    return state;
}

} // namespace

std::vector<WbActionStep> WbActions::ReadSteps(const json& value, const std::string& path)
{
    if (!value.is_array())
        throw WbScenarioError(path + ": " + Shown(value) + " is not a list");
    std::vector<WbActionStep> steps;
    std::optional<std::pair<int32_t, uint32_t>> lastTime;
    for (size_t i = 0; i < value.size(); ++i) {
        const std::string at = path + "[" + std::to_string(i) + "]";
        const json& entry = value[i];
        if (!entry.is_object())
            throw WbScenarioError(at + ": " + Shown(entry) + " is not an object");
        if (!entry.contains("do"))
            throw WbScenarioError(at + ": no \"do\"");
        const std::string kindName = ReadText(entry["do"], at + ".do");
        const auto kind = Kinds().find(kindName);
        if (kind == Kinds().end())
            throw WbScenarioError(at + ".do: " + WbQuoted(kindName) +
                                  " is none of open_info, press, select_film, type, snapshot, set_status, render");
        std::set<std::string> allowed = {"do", "day", "minute"};
        allowed.insert(kind->second.required.begin(), kind->second.required.end());
        for (const auto& [key, field] : entry.items())
            if (!allowed.contains(key))
                throw WbScenarioError(at + "." + WbKeyText(key) + ": not a key of " + kindName);
        for (const std::string& key : kind->second.required)
            if (!entry.contains(key))
                throw WbScenarioError(at + ": " + kindName + " needs \"" + key + "\"");

        WbActionStep step;
        step.kind = kind->second.kind;
        step.label = kindName;
        if (entry.contains("day") != entry.contains("minute"))
            throw WbScenarioError(at + ": \"day\" and \"minute\" go together");
        if (entry.contains("day")) {
            step.day = int32_t(ReadNumber(entry["day"], at + ".day", 1, INT32_MAX));
            step.minute = uint32_t(ReadNumber(entry["minute"], at + ".minute", 0, WbScenarioLimits::kLastMinute));
            const std::pair<int32_t, uint32_t> time{*step.day, *step.minute};
            if (lastTime && time < *lastTime)
                throw WbScenarioError(at + ": " + TimeText(time.first, time.second) + " comes before the " +
                                      TimeText(lastTime->first, lastTime->second) + " of an earlier step");
            lastTime = time;
        }
        if (entry.contains("theater")) {
            const json& theater = entry["theater"];
            if (theater.is_string())
                step.theater = theater.get<std::string>();
            else
                step.theater = int(ReadNumber(theater, at + ".theater", 1, WbScenarioLimits::kMaxTheaters));
            step.label.append(" ").append(theater.is_string() ? WbPrintable(theater.get<std::string>())
                                                              : theater.dump());
        }
        if (entry.contains("item")) {
            step.item = int(ReadNumber(entry["item"], at + ".item", 0, 0xFFFF));
            step.label.append(" ").append(std::to_string(step.item));
        }
        if (entry.contains("film")) {
            step.film = ReadText(entry["film"], at + ".film");
            step.label.append(" ").append(WbPrintable(step.film));
        }
        if (entry.contains("text")) {
            // A typed name may become the theater's name, which a save file must be able to hold.
            step.text = ReadText(entry["text"], at + ".text");
            if (step.text.size() > WbScenarioLimits::kMaxNameBytes)
                throw WbScenarioError(at + ".text: longer than " + std::to_string(WbScenarioLimits::kMaxNameBytes) +
                                      " bytes");
        }
        if (entry.contains("status"))
            step.status = int32_t(ReadNumber(entry["status"], at + ".status", INT32_MIN, INT32_MAX));
        if (entry.contains("file")) {
            step.file = ReadText(entry["file"], at + ".file");
            if (step.file.empty())
                throw WbScenarioError(at + ".file: empty");
            step.label.append(" ").append(WbPrintable(step.file));
        }
        steps.push_back(std::move(step));
    }
    return steps;
}

void WbActions::AddScenarioSections(WbScenarioReader& reader)
{
    reader.AddSection("actions",
                      [this](const json& value, const std::string& path) { mSteps = ReadSteps(value, path); });
}

void WbActions::Attach(WbHostRun& run)
{
    run.AddListener(this);
    mBeepsSeen = WbGetBeepCount();
}

void WbActions::OnMinuteStart(WbHostRun& run)
{
    const std::pair<int32_t, uint32_t> now{run.GetDay(), run.GetMinute()};
    while (mNext < mSteps.size()) {
        const WbActionStep& step = mSteps[mNext];
        if (step.day) {
            const std::pair<int32_t, uint32_t> due{*step.day, *step.minute};
            if (due > now)
                return;
            if (due < now) {
                WbDialog::CloseAllDialogs();
                throw std::runtime_error(StepName(mNext, step) + ": the run starts at " +
                                         TimeText(now.first, now.second) + ", after the step's " +
                                         TimeText(due.first, due.second));
            }
        }
        try {
            RunStep(run, step);
        } catch (const std::runtime_error& error) {
            // The module's dialogs must go while the module is still loaded.
            WbDialog::CloseAllDialogs();
            throw std::runtime_error(StepName(mNext, step) + ": " + error.what());
        }
        WbDialog::DeleteClosedDialogs();
        ++mNext;
    }
}

void WbActions::OnMinuteEnd(WbHostRun&) { WbDialog::TickDialogs(kDialogMsPerMinute); }

void WbActions::OnRunEnd(WbHostRun&) { WbDialog::CloseAllDialogs(); }

void WbActions::OnTowerReplaced(WbHostRun&) { WbDialog::CloseAllDialogs(); }

void WbActions::Finish(WbHostRun& run)
{
    if (mNext == mSteps.size())
        return;
    const WbActionStep& step = mSteps[mNext];
    throw std::runtime_error(StepName(mNext, step) + ": the run ended at " + TimeText(run.GetDay(), run.GetMinute()) +
                             ", before the step's " + TimeText(*step.day, *step.minute));
}

void WbActions::Perform(WbHostRun& run, const WbActionStep& step)
{
    RunStep(run, step);
    WbDialog::DeleteClosedDialogs();
}

int WbActions::FindTheater(WbHostRun& run, const WbActionStep& step) const
{
    const WbHostTower& tower = run.GetTower();
    if (const int* place = std::get_if<int>(&step.theater)) {
        if (*place < 1 || *place > tower.GetTheaterCount())
            throw std::runtime_error("the tower has no theater " + std::to_string(*place));
        return *place - 1;
    }
    const std::string& name = std::get<std::string>(step.theater);
    for (int i = 0; i < tower.GetTheaterCount(); ++i)
        if (tower.GetTheaterName(i) == name)
            return i;
    throw std::runtime_error("the tower has no theater named " + WbQuoted(name));
}

WbDialog* WbActions::FindDialogWithItem(int item) const
{
    const std::vector<WbDialog*> open = WbDialog::GetOpenDialogs();
    if (open.empty())
        throw std::runtime_error("no dialog is open");
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        if ((*it)->GetWbDlgItem(item))
            return *it;
    throw std::runtime_error("no open dialog has item " + std::to_string(item));
}

template <typename Change> void WbActions::ForTheaterOf(WbHostRun& run, const WbDialog* dialog, Change&& change)
{
    const int theater = run.GetTower().FindTheater(dialog->GetOwner());
    if (theater >= 0)
        run.CallTheater(theater, [&](WbTenant&) { change(); });
    else
        change();
    ReportBeeps(run, dialog);
}

// Beeps are counted by the host library; each one asked for since the last look becomes an event of the
// theater whose dialog made it.
void WbActions::ReportBeeps(WbHostRun& run, const WbDialog* dialog)
{
    const int beeps = WbGetBeepCount();
    DWORD frequency = 0;
    DWORD duration = 0;
    WbGetLastBeep(&frequency, &duration);
    for (; mBeepsSeen < beeps; ++mBeepsSeen)
        run.GetTower().GetDoc().Report({.kind = WbEventKind::Beep,
                                        .equip = dialog ? dialog->GetOwner() : nullptr,
                                        .value = int64_t(frequency),
                                        .category = int32_t(duration)});
}

void WbActions::RunStep(WbHostRun& run, const WbActionStep& step)
{
    WbHostTower& tower = run.GetTower();
    switch (step.kind) {
    case WbActionStep::Kind::OpenInfo: {
        const int index = FindTheater(run, step);
        std::string error;
        WbDialog* opened = nullptr;
        run.CallTheater(index, [&](WbTenant& tenant) { opened = WbOpenInfoDialog(&tower.GetDoc(), &tenant, error); });
        if (!opened)
            throw std::runtime_error("the info dialog cannot be opened: " + error);
        ReportBeeps(run, opened);
        break;
    }
    case WbActionStep::Kind::Press: {
        WbDialog* dialog = FindDialogWithItem(step.item);
        auto* button = dynamic_cast<WbDlgItemButton*>(dialog->GetWbDlgItem(step.item));
        if (!button)
            throw std::runtime_error("item " + std::to_string(step.item) + " of " + WbQuoted(dialog->GetTitle().Str()) +
                                     " is not a button");
        // A click on a disabled button, or into a disabled dialog, reaches nobody, as on the screen.
        ForTheaterOf(run, dialog, [button] { button->Click(); });
        break;
    }
    case WbActionStep::Kind::SelectFilm: {
        WbDialog* dialog = nullptr;
        WbMovieTable* table = nullptr;
        const std::vector<WbDialog*> open = WbDialog::GetOpenDialogs();
        if (open.empty())
            throw std::runtime_error("no dialog is open");
        for (auto it = open.rbegin(); it != open.rend() && !table; ++it)
            for (const auto& item : (*it)->GetItems())
                if ((table = dynamic_cast<WbMovieTable*>(item.get()))) {
                    dialog = *it;
                    break;
                }
        if (!table)
            throw std::runtime_error("no open dialog has a film table");
        const WbMoviePlugin* film = tower.GetShelf().Find(step.film);
        const int row = film ? table->FindRow(film) : 0;
        if (row == 0)
            throw std::runtime_error("film " + WbQuoted(step.film) + " is not in the film table");
        ForTheaterOf(run, dialog, [table, row] { table->ClickRow(row); });
        break;
    }
    case WbActionStep::Kind::Type: {
        WbDialog* dialog = FindDialogWithItem(step.item);
        auto* edit = dynamic_cast<WbDlgItemEdit*>(dialog->GetWbDlgItem(step.item));
        if (!edit)
            throw std::runtime_error("item " + std::to_string(step.item) + " of " + WbQuoted(dialog->GetTitle().Str()) +
                                     " is not an edit field");
        if (edit->IsInputEnabled() && edit->IsWindowVisible())
            edit->TypeText(CString(step.text));
        break;
    }
    case WbActionStep::Kind::Snapshot:
        Snapshot(run);
        break;
    case WbActionStep::Kind::SetStatus: {
        const int index = FindTheater(run, step);
        run.CallTheater(index, [&step](WbTenant& tenant) { tenant.SetStatus(step.status); });
        break;
    }
    case WbActionStep::Kind::Render:
        WbDialogSvg::Write(step.file, WbDialog::GetOpenDialogs(), tower.GetShelf());
        break;
    }
}

void WbActions::Snapshot(WbHostRun& run) const
{
    for (const WbDialog* dialog : WbDialog::GetOpenDialogs()) {
        std::string members = DialogState(*dialog).dump();
        members = members.substr(1, members.size() - 2);
        run.GetTower().GetDoc().Report(
            {.kind = WbEventKind::Dialog, .equip = dialog->GetOwner(), .text = CString(members)});
    }
}
