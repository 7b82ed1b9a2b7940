// The dialogs group: the player's side of the module. Every dialog it offers is opened, every control that
// can be reached is pressed once in a seeded order, dialogs are closed newest first and oldest first, and
// none may be left open or disabled where the player could no longer reach it.
#include "WbCheckContext.h"
#include "WbDialog.h"
#include "WbDlgItem.h"
#include "WbHostCallRing.h"
#include "WbValidateGroups.h"
#include "WbValidateTower.h"

#include <algorithm>
#include <set>

namespace {

// The minute the dialogs are opened at: the morning of the first day, before the first show.
constexpr int64_t kDialogMinute = 8 * 60;
// A dialog session ends after this many presses, whatever the module keeps opening.
constexpr int kMaxPresses = 200;

struct WbDialogFindings {
    std::string disabled;

    void Note(const std::string& what)
    {
        if (disabled.empty())
            disabled = what;
    }
};

std::string NameOf(const WbDialog* dialog)
{
    return "dialog " + std::to_string(dialog->GetTemplateID()) + " \"" + dialog->GetTitle().Str() + "\"";
}

// The dialog on top takes the player's input: it must be enabled, or the player is stuck.
void CheckTopEnabled(WbDialogFindings& findings, const std::string& after)
{
    const std::vector<WbDialog*> open = WbDialog::GetOpenDialogs();
    if (!open.empty() && !open.back()->IsWindowEnabled())
        findings.Note(NameOf(open.back()) + " is on top and disabled " + after);
}

// A session of the player with one theater's info dialog.
class WbDialogSession final {
public:
    WbDialogSession(WbHostRun& run, int theater, std::mt19937_64& random, WbDialogFindings& findings)
        : mRun(run), mTheater(theater), mRandom(random), mFindings(findings)
    {
    }
    ~WbDialogSession() { WbDialog::CloseAllDialogs(); }
    WbDialogSession(const WbDialogSession&) = delete;
    WbDialogSession& operator=(const WbDialogSession&) = delete;

    void OpenInfo()
    {
        std::string error;
        WbDialog* opened = nullptr;
        WbHostCallRing::Enter("WbTenantDef::ConstructInfoDialog");
        mRun.CallTheater(
            0, [&](WbTenant& tenant) { opened = WbOpenInfoDialog(&mRun.GetTower().GetDoc(), &tenant, error); });
        if (!opened)
            throw WbCheckFailure("the info dialog does not open: " + error);
        CheckTopEnabled(mFindings, "as it opens");
    }

    // Presses each reachable control of the open dialogs once, in a random order, the OK and Cancel buttons
    // last; dialogs the presses open are pressed through too. Returns the controls pressed.
    int PressEverything(bool closeToo, int maxPresses = kMaxPresses)
    {
        int presses = 0;
        while (presses < maxPresses) {
            std::vector<WbDlgItem*> reachable = Reachable(closeToo);
            if (reachable.empty())
                break;
            std::shuffle(reachable.begin(), reachable.end(), mRandom);
            std::stable_partition(reachable.begin(), reachable.end(), [](const WbDlgItem* item) {
                return dynamic_cast<const WbDlgItemStdButton*>(item) == nullptr;
            });
            Press(*reachable.front());
            ++presses;
        }
        return presses;
    }

    // Closes the open dialogs one by one, the newest or the oldest first, with their Cancel button where
    // they have one.
    void CloseAll(bool newestFirst)
    {
        for (std::vector<WbDialog*> open = WbDialog::GetOpenDialogs(); !open.empty();
             open = WbDialog::GetOpenDialogs()) {
            WbDialog* dialog = newestFirst ? open.back() : open.front();
            const std::string name = NameOf(dialog);
            WbHostCallRing::Enter("WbDialog::OnWbCancel");
            mRun.CallTheater(mTheater, [dialog](WbTenant&) {
                if (auto* cancel = dynamic_cast<WbDlgItemButton*>(dialog->GetWbDlgItem(IDCANCEL));
                    !cancel || !cancel->Click())
                    dialog->DoClose(IDCANCEL);
            });
            WbDialog::DeleteClosedDialogs();
            CheckTopEnabled(mFindings, "after " + name + " closed");
        }
    }

private:
    std::vector<WbDlgItem*> Reachable(bool closeToo)
    {
        std::vector<WbDlgItem*> reachable;
        const std::vector<WbDialog*> open = WbDialog::GetOpenDialogs();
        if (open.empty() || !open.back()->IsWindowEnabled())
            return reachable;
        for (const auto& item : open.back()->GetItems()) {
            const bool button = dynamic_cast<WbDlgItemButton*>(item.get()) != nullptr;
            const bool table = dynamic_cast<WbMovieTable*>(item.get()) != nullptr;
            const bool closes = dynamic_cast<WbDlgItemStdButton*>(item.get()) != nullptr;
            if ((!button && !table) || (closes && !closeToo) || !item->IsWindowEnabled() || !item->IsWindowVisible() ||
                mPressed.contains({open.back()->GetTemplateID(), item->GetID()}))
                continue;
            reachable.push_back(item.get());
        }
        return reachable;
    }

    void Press(WbDlgItem& item)
    {
        WbDialog* dialog = item.GetDialog();
        mPressed.insert({dialog->GetTemplateID(), item.GetID()});
        const std::string what = "item " + std::to_string(item.GetID()) + " of " + NameOf(dialog);
        WbHostCallRing::Enter("WbDialog::OnWbDialogCommand");
        mRun.CallTheater(mTheater, [&item, this](WbTenant&) {
            if (auto* table = dynamic_cast<WbMovieTable*>(&item)) {
                if (table->GetRowCount() > 0)
                    table->ClickRow(int(std::uniform_int_distribution<int>(1, table->GetRowCount())(mRandom)));
            } else {
                static_cast<WbDlgItemButton&>(item).Click();
            }
        });
        WbDialog::DeleteClosedDialogs();
        WbDialog::TickDialogs(1000);
        CheckTopEnabled(mFindings, "after " + what + " was pressed");
    }

    WbHostRun& mRun;
    int mTheater;
    std::mt19937_64& mRandom;
    WbDialogFindings& mFindings;
    std::set<std::pair<unsigned, int>> mPressed;
};

std::unique_ptr<WbHostRun> MorningRun(WbValidateModule& module, uint64_t seed)
{
    std::unique_ptr<WbHostRun> run = module.Start(WbOneTheaterScenario(module.GetDemo(), uint32_t(seed | 1)));
    run->RunMinutes(kDialogMinute);
    return run;
}

} // namespace

std::string WbRandomDialogSession(WbHostRun& run, int theater, std::mt19937_64& random)
{
    WbDialogFindings findings;
    WbDialogSession session(run, theater, random, findings);
    session.OpenInfo();
    session.PressEverything(std::bernoulli_distribution(0.5)(random),
                            std::uniform_int_distribution<int>(0, 12)(random));
    session.CloseAll(std::bernoulli_distribution(0.5)(random));
    if (!WbDialog::GetOpenDialogs().empty())
        findings.Note("a dialog stayed open after each was closed");
    return findings.disabled;
}

void WbRunDialogsGroup(WbCheckContext& context)
{
    std::unique_ptr<WbValidateModule> module;
    std::mt19937_64 random(context.GetSeed());
    WbDialogFindings findings;
    const bool opened = context.Check("press-every-control", [&] {
        module = std::make_unique<WbValidateModule>(context.GetModulePath());
        std::unique_ptr<WbHostRun> run = MorningRun(*module, context.GetSeed());
        WbDialogSession session(*run, 0, random, findings);
        session.OpenInfo();
        const int presses = session.PressEverything(true);
        if (!WbDialog::GetOpenDialogs().empty() && presses >= kMaxPresses)
            throw WbCheckFailure("the dialogs were still open after " + std::to_string(presses) + " presses");
        return WbCheckVerdict{WbCheckStatus::Pass, std::to_string(presses) + " controls pressed"};
    });
    if (!opened)
        return;
    context.Check("close-orders", [&] {
        for (const bool newestFirst : {true, false}) {
            std::unique_ptr<WbHostRun> run = MorningRun(*module, context.GetSeed());
            WbDialogSession session(*run, 0, random, findings);
            session.OpenInfo();
            session.PressEverything(false);
            session.CloseAll(newestFirst);
            if (!WbDialog::GetOpenDialogs().empty())
                throw WbCheckFailure(std::to_string(WbDialog::GetOpenDialogs().size()) +
                                     " dialogs stayed open after each was closed, " +
                                     (newestFirst ? "newest" : "oldest") + " first");
        }
        return WbCheckVerdict{};
    });
    context.Check("none-left-disabled", [&] {
        std::unique_ptr<WbHostRun> run = MorningRun(*module, context.GetSeed());
        WbDialogSession session(*run, 0, random, findings);
        session.OpenInfo();
        session.CloseAll(true);
        session.OpenInfo();
        session.CloseAll(true);
        if (!findings.disabled.empty())
            throw WbCheckFailure(findings.disabled);
        return WbCheckVerdict{};
    });
}
