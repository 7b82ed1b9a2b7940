// The validator's course: options, the seed, the groups the strictness asks for, one child per group and
// repeat, the lines on stdout as the results come, then the log and the JUnit file.
#include "WbValidateMain.h"

#include "WbCheckContext.h"
#include "WbValidateChild.h"
#include "WbValidateGroups.h"
#include "WbValidateReport.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <fstream>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// A validator stopped by Ctrl-C or SIGTERM takes its running child with it, then ends as the signal says.
void OnStopSignal(int signal)
{
    WbKillRunningChild();
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

std::string SelfPath()
{
    char path[PATH_MAX];
    const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0)
        throw std::runtime_error("cannot find the validator's own program to start its children");
    return std::string(path, size_t(length));
}

uint64_t SeedFromClock()
{
    const auto now = std::chrono::system_clock::now().time_since_epoch();
    return uint64_t(std::chrono::duration_cast<std::chrono::microseconds>(now).count()) % 1000000000;
}

void WriteFile(const std::string& path, const std::string& text)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << text;
    if (!file.flush())
        throw std::runtime_error(path + ": cannot be written");
}

// The line a terminal shows while a group runs, rewritten in place.
class WbGroupProgress final {
public:
    WbGroupProgress(std::FILE* err, const std::string& group, size_t checks)
        : mErr(::isatty(::fileno(err)) ? err : nullptr), mGroup(group), mChecks(checks), mStart(Clock::now())
    {
        Show(0);
    }
    WbGroupProgress(const WbGroupProgress&) = delete;
    WbGroupProgress& operator=(const WbGroupProgress&) = delete;
    ~WbGroupProgress()
    {
        if (mErr)
            std::fputs("\r\033[K", mErr);
    }
    void Show(int done) const
    {
        if (!mErr)
            return;
        const double seconds =
            double(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - mStart).count()) / 1000.0;
        std::fprintf(mErr, "\r\033[K%s: %d of %zu checks (%.1f s)", mGroup.c_str(), done, mChecks, seconds);
        std::fflush(mErr);
    }

private:
    std::FILE* mErr;
    std::string mGroup;
    size_t mChecks;
    Clock::time_point mStart;
};

// The groups this run takes: those the strictness reaches, or the one --only names.
// A Windows module gets the file group alone: nothing here can load it.
std::vector<const WbCheckGroup*> ChosenGroups(const WbValidateOptions& options)
{
    const bool windows = WbIsWindowsModule(options.modulePath);
    std::vector<const WbCheckGroup*> chosen;
    for (const WbCheckGroup& group : WbCheckGroups())
        if (options.only.empty() ? group.fromStrictness <= options.strictness : options.only == group.name)
            if (!windows || std::string(group.name) == "file")
                chosen.push_back(&group);
    return chosen;
}

int Validate(const WbValidateOptions& options, std::FILE* out, std::FILE* err)
{
    const auto start = Clock::now();
    WbValidateRecord record;
    record.seed = options.seed;
    record.strictness = options.strictness;
    record.module = WbReadModuleFacts(options.modulePath);
    const std::string self = SelfPath();
    ::signal(SIGINT, OnStopSignal);
    ::signal(SIGTERM, OnStopSignal);
    bool stopped = false;
    for (int round = 0; round < options.repeat && !stopped; ++round)
        for (const WbCheckGroup* group : ChosenGroups(options)) {
            WbGroupProgress progress(err, group->name, group->checks.size());
            WbGroupRun run = WbRunGroupChild(self, options, *group, options.seed + uint64_t(round),
                                             [&progress](int done) { progress.Show(done); });
            for (const WbCheckResult& result : run.results)
                if (result.status != WbCheckStatus::Pass && result.status != WbCheckStatus::Skip)
                    std::fprintf(out, "%s\n", WbResultLine(run.group, result).c_str());
            std::fflush(out);
            record.runs.push_back(std::move(run));
            if (record.runs.back().Failed() && !options.keepGoing) {
                stopped = true;
                break;
            }
        }
    record.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
    std::fprintf(out, "%s\n", WbSummaryLine(record.runs, record.milliseconds).c_str());
    if (!options.logPath.empty())
        WriteFile(options.logPath, WbTextLog(record));
    if (!options.junitPath.empty())
        WriteFile(options.junitPath, WbJUnitXml(record));
    for (const WbGroupRun& run : record.runs)
        if (run.Failed())
            return 1;
    return 0;
}

} // namespace

int WbValidateMain(int argc, const char* const* argv, std::FILE* out, std::FILE* err)
{
    WbValidateOptions options;
    const WbValidateParse parsed = WbReadValidateOptions(argc, argv, options);
    if (!parsed.run) {
        std::fprintf(parsed.exitCode == 0 ? out : err, parsed.exitCode == 0 ? "%s" : "towerhost validate: %s\n",
                     parsed.message.c_str());
        return parsed.exitCode;
    }
    if (!options.childGroup.empty())
        return WbRunChildGroup(options);
    if (::access(options.modulePath.c_str(), R_OK) != 0) {
        std::fprintf(err, "towerhost validate: MODULE: %s cannot be read\n", options.modulePath.c_str());
        return 2;
    }
    if (!options.seedGiven)
        options.seed = SeedFromClock();
    std::fprintf(out, "validate: seed %llu\n", static_cast<unsigned long long>(options.seed));
    std::fflush(out);
    try {
        return Validate(options, out, err);
    } catch (const std::exception& error) {
        std::fprintf(err, "towerhost validate: %s\n", error.what());
        return 1;
    }
}
