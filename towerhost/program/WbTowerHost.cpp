// The program's course: options, scenario, module, tower, the run and its outputs. Scenario errors end
// it with 2, everything that goes wrong afterwards with 1.
#include "WbTowerHost.h"

#include "Afx.h"
#include "WbDaySummary.h"
#include "WbDemoScenario.h"
#include "WbFilmShelf.h"
#include "WbFilmWarnings.h"
#include "WbHostAddOn.h"
#include "WbHostOptions.h"
#include "WbHostRun.h"
#include "WbModuleLoader.h"
#include "WbProgressLine.h"
#include "WbQuoted.h"
#include "WbReplaceFile.h"
#include "WbScenarioReader.h"
#include "WbTenantDef.h"
#include "WbTowerFile.h"
#include "WbTowerReport.h"
#include "WbTowerStore.h"
#include "WbTraceWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// An error after the scenario was accepted: the module, the run or one of the files.
class RunError final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The module that ships with the program lies beside it.
std::string DefaultModulePath()
{
    const std::string program = AfxGetModulePath(reinterpret_cast<const void*>(&DefaultModulePath));
    if (program.empty())
        return "Theater.wbp";
    return (std::filesystem::path(program).parent_path() / "Theater.wbp").string();
}

#if defined(_WIN32)
bool IsTerminal(std::FILE* file) { return ::_isatty(::_fileno(file)) != 0; }
bool CanWrite(const std::string& path) { return ::_access(path.c_str(), 2) == 0; }
#else
bool IsTerminal(std::FILE* file) { return ::isatty(::fileno(file)) != 0; }
bool CanWrite(const std::string& path) { return ::access(path.c_str(), W_OK) == 0; }
#endif

// A long run must not end in an output that cannot be written, so where they go is checked first.
void CheckWritable(const std::string& path)
{
    if (path.empty())
        return;
    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw RunError(path + ": is a directory");
    // An output named through a symbolic link is written where the link leads.
    const std::string target = WbReplacedFile(path);
    if (std::filesystem::exists(target, error) && !CanWrite(target))
        throw RunError(path + ": cannot be written: " + std::strerror(errno));
    const std::string directory = std::filesystem::path(target).parent_path().string();
    if (!CanWrite(directory.empty() ? "." : directory))
        throw RunError(path + ": cannot be written: " + std::strerror(errno));
}

// A loaded tower runs on from its saved day, and the day count must still hold the run's last day.
void CheckDaysLeft(const std::string& loadPath, int32_t savedDay, int32_t days)
{
    if (int64_t(savedDay) + days > WbScenarioLimits::kLastDay)
        throw RunError(loadPath + ": saved on day " + std::to_string(savedDay) + ", which leaves " +
                       std::to_string(WbScenarioLimits::kLastDay - savedDay) + " more days to run, not " +
                       std::to_string(days));
}

WbScenario ReadScenario(const WbHostOptions& options, const std::vector<std::unique_ptr<WbHostAddOn>>& addOns)
{
    WbScenarioReader reader;
    for (const auto& addOn : addOns)
        addOn->AddScenarioSections(reader);
    WbScenario scenario =
        options.scenarioPath.empty() ? reader.ReadText(WbDemoScenarioText()) : reader.ReadFile(options.scenarioPath);
    if (options.days)
        scenario.days = *options.days;
    return scenario;
}

// The outputs that follow a run, joined before its first minute and closed after its last.
class RunOutputs final {
public:
    RunOutputs(WbHostRun& run, const WbHostOptions& options, int64_t days, std::FILE* out, std::FILE* err) : mRun(run)
    {
        if (!options.tracePath.empty()) {
            mTrace = std::make_unique<WbTraceWriter>(options.tracePath, run);
            run.AddListener(mTrace.get());
            run.SetObserver(mTrace.get());
        }
        if (options.quiet)
            return;
        mSummary = std::make_unique<WbDaySummary>(out);
        run.AddListener(mSummary.get());
        if (!options.loadPath.empty())
            mSummary->PrintLoad(run, options.loadPath);
        const bool terminal = IsTerminal(err);
        if (terminal || WbProgressLine::IsLongRun(days)) {
            mProgress = std::make_unique<WbProgressLine>(err, terminal, days);
            run.AddListener(mProgress.get());
        }
    }
    RunOutputs(const RunOutputs&) = delete;
    RunOutputs& operator=(const RunOutputs&) = delete;
    ~RunOutputs() { mRun.SetObserver(nullptr); }

    void Close()
    {
        mRun.SetObserver(nullptr);
        if (mTrace)
            mTrace->Close();
    }

private:
    WbHostRun& mRun;
    std::unique_ptr<WbTraceWriter> mTrace;
    std::unique_ptr<WbDaySummary> mSummary;
    std::unique_ptr<WbProgressLine> mProgress;
};

void RunTower(const WbHostOptions& options, const WbScenario& scenario,
              const std::vector<std::unique_ptr<WbHostAddOn>>& addOns, std::FILE* out, std::FILE* err)
{
    for (const std::string* path : {&options.tracePath, &options.reportPath, &options.savePath})
        CheckWritable(*path);
    WbFilmShelf shelf(scenario.films);
    WbWorldDef worldDef;
    const std::string modulePath = options.modulePath.empty() ? DefaultModulePath() : options.modulePath;
    WbLoadResult loaded = WbLoadPluginModule(modulePath, &worldDef);
    if (!loaded.module)
        throw RunError(loaded.error);
    WbTenantDef* def = loaded.module->GetDefinition();
    if (!def)
        throw RunError(modulePath + ": the module made no tenant definition");
    if (!options.quiet)
        std::fprintf(out, "Module %s (type %s) from %s: tenant definition %s\n",
                     WbQuoted(loaded.module->GetAttr().mName.GetString()).c_str(),
                     WbFourCCText(loaded.module->GetAttr().mType).c_str(), modulePath.c_str(),
                     WbPrintable(WbFourCCText(def->GetType())).c_str());
    shelf.OfferTo(def);

    WbHostRun run(WbHostTower::FromScenario(scenario, def, shelf), scenario.passesPerMinute);
    if (!options.loadPath.empty()) {
        WbTowerStore::Load(run, options.loadPath);
        CheckDaysLeft(options.loadPath, run.GetDay(), scenario.days);
    }
    const int64_t minutes = int64_t(scenario.days) * WbDateTime::kMinutesPerDay;
    for (const auto& addOn : addOns)
        addOn->CheckBeforeRun(run, minutes);
    for (const std::string& warning : WbFilmWarnings(run.GetTower()))
        std::fprintf(err, "towerhost: warning: %s\n", warning.c_str());
    RunOutputs outputs(run, options, scenario.days, out, err);
    for (const auto& addOn : addOns)
        addOn->Attach(run);
    run.RunMinutes(minutes);
    run.Finish();
    outputs.Close();
    for (const auto& addOn : addOns)
        addOn->Finish(run);
    if (!options.reportPath.empty())
        WbTowerReport::Write(options.reportPath, WbTowerReport::Make(run.GetTower()));
    if (!options.savePath.empty())
        WbTowerStore::Save(run, options.savePath);
}

} // namespace

int WbTowerHost::Run(int argc, const char* const* argv)
{
    const auto addOns = WbMakeHostAddOns();
    WbHostOptions options;
    const WbOptionsResult parsed = WbReadHostOptions(argc, argv, options, addOns);
    if (parsed.outcome == WbOptionsResult::Outcome::Exit) {
        if (parsed.exitCode == kSuccess)
            std::fputs(parsed.message.c_str(), mOut);
        else
            std::fprintf(mErr, "towerhost: %s\n", parsed.message.c_str());
        return parsed.exitCode;
    }
    try {
        const WbScenario scenario = ReadScenario(options, addOns);
        RunTower(options, scenario, addOns, mOut, mErr);
    } catch (const WbScenarioError& error) {
        std::fprintf(mErr, "towerhost: %s\n", error.what());
        return kUsageError;
    } catch (const std::exception& error) {
        std::fprintf(mErr, "towerhost: %s\n", error.what());
        return kRunError;
    }
    return kSuccess;
}
