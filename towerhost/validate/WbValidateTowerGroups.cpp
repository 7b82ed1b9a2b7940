// The groups that run towers of the module: its resources as the host reads them, a whole day under the
// host's invariants, saving and loading, the same seed giving the same trace, allocations in the idle pass
// and at the entry points, and random towers under stress.
#include "Afx.h"
#include "WbAllocationWatch.h"
#include "WbCheckContext.h"
#include "WbDialog.h"
#include "WbHostCallRing.h"
#include "WbResParser.h"
#include "WbResourceRecords.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTenantDefReader.h"
#include "WbTowerStore.h"
#include "WbValidateGroups.h"
#include "WbValidateTower.h"

namespace {

constexpr int64_t kMinutesPerDay = 1440;

// The module's resources as its file holds them: every entry must parse.
std::vector<WbResEntry> ResourceEntries(const WbPluginModule& module)
{
    const std::span<const uint8_t> bytes = module.GetModuleHandle()->resources;
    if (bytes.empty())
        throw WbCheckFailure("the module has no resources");
    WbParsed<std::vector<WbResEntry>> entries = WbParseResFile(bytes);
    if (!entries)
        throw WbCheckFailure(entries.GetError());
    return *entries;
}

// Each record the host reads by type and ID is there, with a size its reader takes.
WbCheckVerdict CheckListedPresent(const WbPluginModule& module)
{
    const std::vector<WbResEntry> entries = ResourceEntries(module);
    const WbResEntry* attr = WbFindResEntry(entries, "ATTR", 128);
    if (!attr)
        throw WbCheckFailure("the attribute record ATTR 128 is missing");
    if (WbParsed<WbFileAttr> read = WbReadAttrRecord(attr->data, 128); !read)
        throw WbCheckFailure(read.GetError());
    if (const WbResEntry* desc = WbFindResEntry(entries, "DESC", 128))
        if (WbParsed<WbDescRecord> read = WbReadDescRecord(desc->data, 128); !read)
            throw WbCheckFailure(read.GetError());
    for (const WbResEntry& entry : entries)
        if (entry.data.empty())
            throw WbCheckFailure("resource " + entry.type.Describe() + " " + entry.name.Describe() + " is empty");
    return {};
}

// The definition's record and everything it names (members, object maps, pictures, remarks).
WbCheckVerdict CheckTenantDefinition(const WbPluginModule& module)
{
    const CResFile resFile(module.GetModuleHandle());
    WbParsed<WbTenantResources> read = WbReadTenantResources(resFile);
    if (!read)
        throw WbCheckFailure(read.GetError());
    return {};
}

// Each dialog template builds a dialog, and the dialog closes again.
WbCheckVerdict CheckDialogTemplates(const WbPluginModule& module)
{
    int templates = 0;
    for (const WbResEntry& entry : ResourceEntries(module)) {
        if (!entry.type.Is("WBDLG"))
            continue;
        ++templates;
        auto dialog = std::make_unique<WbDialog>();
        const WBDLGTEMPLATE where{0, 0, module.GetModuleHandle(), entry.name.number};
        if (!dialog->RealizeText(entry.data, nullptr, where, nullptr))
            throw WbCheckFailure("dialog template " + entry.name.Describe() + ": " + dialog->GetRealizeError());
        dialog->DoClose(0);
        WbDialog::DeleteClosedDialogs();
        // A realised dialog belongs to the host's list once open; it is deleted with the closed ones.
        dialog.release();
    }
    if (templates == 0 && module.GetDefinition()->GetInfoDialogID() != 0)
        throw WbCheckFailure("the definition names info dialog " +
                             std::to_string(module.GetDefinition()->GetInfoDialogID()) +
                             " but the module has no dialog template");
    return {};
}

WbCheckVerdict Breach(const std::string& breach)
{
    if (!breach.empty())
        throw WbCheckFailure(breach);
    return {};
}

// Save at a random minute, load into a fresh run, and run both on for a day: the module must take up
// exactly where it was.
struct WbSavedPair {
    std::string continued;
    std::string loaded;
};

WbSavedPair ContinueBoth(WbValidateModule& module, const WbScenario& scenario, int64_t saveMinute)
{
    const WbScratchFile save("continue.tower");
    WbSavedPair traces;
    {
        std::unique_ptr<WbHostRun> run = module.Start(scenario);
        run->RunMinutes(saveMinute);
        WbTowerStore::Save(*run, save.GetPath());
        traces.continued = WbTracedMinutes(*run, kMinutesPerDay);
    }
    std::unique_ptr<WbHostRun> run = module.Start(scenario);
    WbTowerStore::Load(*run, save.GetPath());
    traces.loaded = WbTracedMinutes(*run, kMinutesPerDay);
    return traces;
}

// The first line where two traces part, for the message.
std::string FirstDifference(const std::string& first, const std::string& second)
{
    size_t line = 1, start = 0;
    for (size_t i = 0; i < std::min(first.size(), second.size()); ++i) {
        if (first[i] != second[i])
            return "line " + std::to_string(line) + ": " + first.substr(start, first.find('\n', start) - start) +
                   " / " + second.substr(start, second.find('\n', start) - start);
        if (first[i] == '\n') {
            ++line;
            start = i + 1;
        }
    }
    return "one trace ends at line " + std::to_string(line) + " (" + std::to_string(first.size()) + " and " +
           std::to_string(second.size()) + " bytes)";
}

void CompareTraces(const std::string& first, const std::string& second, const std::string& what)
{
    if (first != second)
        throw WbCheckFailure(what + " differ at " + FirstDifference(first, second));
    if (first.empty())
        throw WbCheckFailure(what + " are empty: the module called the host not once in a day");
}

// One random tower: runs a few days under the invariants, with a player's dialog session at random minutes,
// saved and loaded then; each theater's record read back must be what was written.
void StressOneTower(WbValidateModule& module, std::mt19937_64& random, int run)
{
    const WbScenario scenario = WbRandomScenario(module.GetDemo(), random, 40);
    std::unique_ptr<WbHostRun> host = module.Start(scenario);
    WbTowerInvariants invariants(*host, nullptr);
    const WbScratchFile save("stress.tower");
    const int64_t days = std::uniform_int_distribution<int64_t>(1, 3)(random);
    for (int64_t done = 0; done < days * kMinutesPerDay;) {
        const int64_t step = std::uniform_int_distribution<int64_t>(1, kMinutesPerDay)(random);
        host->RunMinutes(step);
        done += step;
        const int theater =
            int(std::uniform_int_distribution<int64_t>(0, host->GetTower().GetTheaterCount() - 1)(random));
        if (const std::string stuck = WbRandomDialogSession(*host, theater, random); !stuck.empty())
            throw WbCheckFailure("random tower " + std::to_string(run) + ", theater " + std::to_string(theater + 1) +
                                 ": " + stuck);
        const std::vector<std::vector<uint8_t>> records = WbModuleRecords(host->GetTower());
        WbTowerStore::Save(*host, save.GetPath());
        WbTowerStore::Load(*host, save.GetPath());
        if (WbModuleRecords(host->GetTower()) != records)
            throw WbCheckFailure("random tower " + std::to_string(run) + " (" +
                                 std::to_string(scenario.theaters.size()) +
                                 " theaters): a theater's record read back differs from the one saved");
        if (const std::string breach = invariants.AnyBreach(); !breach.empty())
            throw WbCheckFailure("random tower " + std::to_string(run) + " (" +
                                 std::to_string(scenario.theaters.size()) + " theaters, seed " +
                                 std::to_string(scenario.seed) + "): " + breach);
    }
    host->Finish();
}

// Strictness 7 runs a dozen towers; each level up runs four times as many, so that 10 runs for minutes.
int StressRuns(int strictness) { return strictness < 7 ? 0 : 12 << (2 * (strictness - 7)); }

} // namespace

void WbRunResourcesGroup(WbCheckContext& context)
{
    WbWorldDef worldDef;
    WbLoadResult loaded;
    const bool ready = context.Check("listed-present", [&] {
        loaded = WbLoadPluginModule(context.GetModulePath(), &worldDef);
        if (!loaded.module)
            throw WbCheckFailure("the host's loader refuses the module: " + loaded.error);
        return CheckListedPresent(*loaded.module);
    });
    if (!ready)
        return;
    context.Check("tenant-definition", [&] { return CheckTenantDefinition(*loaded.module); });
    context.Check("dialog-templates", [&] { return CheckDialogTemplates(*loaded.module); });
}

void WbRunDayGroup(WbCheckContext& context)
{
    std::unique_ptr<WbValidateModule> module;
    std::unique_ptr<WbHostRun> run;
    std::unique_ptr<WbTowerInvariants> invariants;
    context.Check("whole-day", [&] {
        module = std::make_unique<WbValidateModule>(context.GetModulePath());
        run = module->Start(WbOneTheaterScenario(module->GetDemo(), uint32_t(context.GetSeed() | 1)));
        invariants = std::make_unique<WbTowerInvariants>(*run, nullptr);
        run->RunMinutes(kMinutesPerDay);
        run->Finish();
        return Breach(invariants->GetTheaterBreach());
    });
    if (!invariants)
        return;
    context.Check("funds", [&] { return Breach(invariants->GetFundsBreach()); });
    context.Check("call-arguments", [&] { return Breach(invariants->GetArgumentBreach()); });
}

void WbRunStateGroup(WbCheckContext& context)
{
    std::unique_ptr<WbValidateModule> module;
    std::mt19937_64 random(context.GetSeed());
    const bool loaded = context.Check("record-round-trip", [&] {
        module = std::make_unique<WbValidateModule>(context.GetModulePath());
        WbScenario scenario = module->GetDemo();
        scenario.seed = uint32_t(context.GetSeed() | 1);
        std::unique_ptr<WbHostRun> run = module->Start(scenario);
        run->RunMinutes(std::uniform_int_distribution<int64_t>(1, 2 * kMinutesPerDay)(random));
        const std::vector<std::vector<uint8_t>> written = WbModuleRecords(run->GetTower());
        std::unique_ptr<WbHostTower> reread =
            WbHostTower::FromImage(run->GetTower().Capture(), module->GetDef(), module->GetShelf());
        const std::vector<std::vector<uint8_t>> again = WbModuleRecords(*reread);
        for (size_t i = 0; i < written.size(); ++i)
            if (again[i] != written[i])
                throw WbCheckFailure("theater " + std::to_string(i + 1) + ": the record read back and saved again (" +
                                     std::to_string(again[i].size()) + " bytes) differs from the one saved (" +
                                     std::to_string(written[i].size()) + " bytes)");
        run->Finish();
        return WbCheckVerdict{};
    });
    if (!loaded)
        return;
    context.Check("continue-after-load", [&] {
        WbScenario scenario = module->GetDemo();
        scenario.seed = uint32_t(context.GetSeed() | 1);
        const int64_t saveMinute = std::uniform_int_distribution<int64_t>(1, kMinutesPerDay * 2)(random);
        const WbSavedPair traces = ContinueBoth(*module, scenario, saveMinute);
        CompareTraces(traces.continued, traces.loaded,
                      "saved at minute " + std::to_string(saveMinute) +
                          ", the continued and the loaded tower's traces");
        return WbCheckVerdict{};
    });
}

void WbRunDeterminismGroup(WbCheckContext& context)
{
    context.Check("same-seed-same-trace", [&] {
        WbValidateModule module(context.GetModulePath());
        WbScenario scenario = module.GetDemo();
        scenario.seed = uint32_t(context.GetSeed() | 1);
        std::string traces[2];
        for (std::string& trace : traces) {
            std::unique_ptr<WbHostRun> run = module.Start(scenario);
            trace = WbTracedMinutes(*run, scenario.days * kMinutesPerDay);
        }
        CompareTraces(traces[0], traces[1], "two runs of seed " + std::to_string(scenario.seed) + " give traces that");
        return WbCheckVerdict{};
    });
}

void WbRunStressGroup(WbCheckContext& context)
{
    context.Check("random-towers", [&] {
        WbValidateModule module(context.GetModulePath());
        std::mt19937_64 random(context.GetSeed());
        const int runs = StressRuns(context.GetStrictness());
        for (int run = 1; run <= runs; ++run) {
            StressOneTower(module, random, run);
            context.Progress();
        }
        return WbCheckVerdict{WbCheckStatus::Pass, std::to_string(runs) + " random towers"};
    });
}

namespace {

// No entry point of a module should need more allocations than this before it has done its work.
constexpr int64_t kMaxFailurePoints = 10000;

// Runs a day; after each of the host's minutes every theater gets one more idle pass, counted alone.
WbCheckVerdict CheckIdlePass(WbValidateModule& module, uint64_t seed)
{
    WbScenario scenario = module.GetDemo();
    scenario.days = 1;
    scenario.seed = uint32_t(seed | 1);
    std::unique_ptr<WbHostRun> run = module.Start(scenario);
    WbTowerDoc& doc = run->GetTower().GetDoc();
    WbTenantDef* def = module.GetDef();
    WbAllocationWatch::CountOnlyModule(reinterpret_cast<const void*>(module.GetModule().GetAttrEntry()),
                                       reinterpret_cast<const void*>(&WbHostCallRing::Enter));
    for (int64_t minute = 0; minute < kMinutesPerDay; ++minute) {
        run->RunMinutes(1);
        for (int i = 0; i < run->GetTower().GetTheaterCount(); ++i) {
            WbHostCallRing::Enter("WbTenantDef::TenantIdleProc");
            int64_t allocations = 0;
            run->CallTheater(i, [&](WbTenant& tenant) {
                WbAllocationWatch::Arm(0);
                def->TenantIdleProc(&doc, &tenant, 0);
                WbAllocationWatch::Disarm();
                allocations = WbAllocationWatch::Count();
            });
            if (allocations != 0)
                throw WbCheckFailure("theater " + std::to_string(i + 1) + "'s idle pass at status " +
                                     std::to_string(run->GetTower().GetTheater(i).GetStatus()) + ", minute " +
                                     std::to_string(minute) + ", made " + std::to_string(allocations) + " allocations");
        }
    }
    run->Finish();
    return {};
}

// Calls the entry point with its 1st, 2nd, ... allocation failing until a call meets no failure; each
// answer must be an answer, not an exception. prepare runs before each call, with nothing failing. Returns
// the failures met.
template <typename Prepare, typename Call> int64_t FailEachAllocation(const char* name, Prepare&& prepare, Call&& call)
{
    int64_t failAt = 1;
    for (; failAt <= kMaxFailurePoints; ++failAt) {
        prepare();
        bool threw = false;
        WbHostCallRing::Enter(name);
        WbAllocationWatch::Arm(failAt);
        try {
            call();
        } catch (...) {
            threw = true;
        }
        const bool met = WbAllocationWatch::Disarm();
        if (threw)
            throw WbCheckFailure(std::string("an exception left ") + name + " with allocation " +
                                 std::to_string(failAt) + " failing");
        if (!met)
            break;
    }
    return failAt - 1;
}

// The module keeps one of each object: it is ended before each attempt, so that each attempt makes it anew.
// The info dialog opened at a theater with each of the module's own allocations failing in turn: the host
// gets a dialog or none, never an exception.
int64_t FailInfoDialog(WbValidateModule& module, uint64_t seed)
{
    std::unique_ptr<WbHostRun> run = module.Start(WbOneTheaterScenario(module.GetDemo(), uint32_t(seed | 1)));
    run->RunMinutes(8 * 60);
    WbAllocationWatch::CountOnlyModule(reinterpret_cast<const void*>(module.GetModule().GetAttrEntry()),
                                       reinterpret_cast<const void*>(&WbHostCallRing::Enter));
    WbTowerDoc& doc = run->GetTower().GetDoc();
    WbTenant& theater = run->GetTower().GetTheater(0);
    std::string error;
    const int64_t points = FailEachAllocation(
        "WbTenantDef::ConstructInfoDialog", [] { WbDialog::CloseAllDialogs(); },
        [&] { WbOpenInfoDialog(&doc, &theater, error); });
    WbDialog::CloseAllDialogs();
    run->Finish();
    return points;
}

WbCheckVerdict CheckAllocationFailure(WbValidateModule& module, uint64_t seed)
{
    int64_t points = FailInfoDialog(module, seed);
    // Here the host's allocations within the call fail too: the module must answer whatever fails.
    WbAllocationWatch::CountOnlyModule(nullptr, nullptr);
    const WbPluginModule& loaded = module.GetModule();
    WbPluginSpecifier attr = loaded.GetAttr();
    const auto destruct = loaded.DestructProgramPluginEntry();
    const auto constructPlugin = loaded.ConstructProgramPluginEntry();
    points += FailEachAllocation(
        kGetAttrName, [] {}, [&] { delete loaded.GetAttrEntry()(); });
    points += FailEachAllocation(kConstructProgramPluginName, destruct, [&] { constructPlugin(attr); });
    CResFile resFile(loaded.GetModuleHandle());
    WbWorldDef worldDef;
    WbTenantPlugin* plugin = nullptr;
    points += FailEachAllocation(
        kConstructTemplatePluginName,
        [&] {
            destruct();
            plugin = constructPlugin(attr);
        },
        [&] { loaded.ConstructTemplatePluginEntry()(attr, &resFile, &worldDef, plugin); });
    destruct();
    return {WbCheckStatus::Pass, std::to_string(points) + " failing allocations answered"};
}

} // namespace

void WbRunAllocationGroup(WbCheckContext& context)
{
    std::unique_ptr<WbValidateModule> module;
    const bool loaded = context.Check("idle-pass", [&] {
        module = std::make_unique<WbValidateModule>(context.GetModulePath());
        return CheckIdlePass(*module, context.GetSeed());
    });
    if (!loaded && !module)
        return;
    context.Check("allocation-failure", [&] { return CheckAllocationFailure(*module, context.GetSeed()); });
}
