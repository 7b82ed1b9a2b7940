// A group's child as the validator sees it: its reports, its end, its leftovers and its allocations as results.
#include "WbValidateChild.h"

#include "ChildProcess.h"
#include "WbAllocationWatch.h"
#include "WbHostCallRing.h"
#include "WbModuleLibrary.h"
#include "WbPluginEntry.h"
#include "WbTowerDoc.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <new>
#include <sstream>
#include <thread>
#include <tuple>

namespace {

const WbCheckGroup kGroup{"fake", 1, {"first", "second", "third"}, nullptr};

using Kind = WbChildEnd::Kind;

// Each check's result as "WORD message": the message given is the beginning of the one expected.
void ExpectResults(const std::vector<WbCheckResult>& results, const std::vector<std::string>& expected)
{
    ASSERT_EQ(results.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(results[i].check, kGroup.checks[i]);
        EXPECT_EQ((WbStatusWord(results[i].status) + (" " + results[i].message)).rfind(expected[i], 0), 0u)
            << results[i].check << ": " << WbStatusWord(results[i].status) << " " << results[i].message;
    }
}

// Runs as the group's child a shell script standing in for the validator, writing to result descriptor 3.
WbGroupRun RunStandIn(const std::string& script, int64_t timeoutMs, std::vector<int>* progress = nullptr)
{
    const TempFolder folder("validate-child");
    const std::string path = folder.WriteFile("child.sh", "#!/bin/sh\n" + script + "\n");
    ::chmod(path.c_str(), 0700);
    WbValidateOptions options;
    options.modulePath = "M.wbp";
    options.timeoutMs = timeoutMs;
    return WbRunGroupChild(path, options, kGroup, 99, [progress](int done) {
        if (progress)
            progress->push_back(done);
    });
}

// A process that is gone, or a zombie waiting for its parent, runs no more.
bool IsRunning(pid_t pid)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        const std::string stat = Slurp("/proc/" + std::to_string(pid) + "/stat");
        if (stat.empty() || stat.substr(stat.rfind(')') + 1, 3) == " Z ")
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

TEST(ValidateChild, HowTheChildEndedNamesTheCheckItWasIn)
{
    const std::vector<std::string> firstPassedSecondBegun = {"B first", "R PASS first 3", "B second"};
    const struct {
        std::string label;
        std::vector<std::string> lines;
        WbChildEnd end;
        std::vector<std::string> expected;
    } cases[] = {
        {"all reported",
         {"B first", "R PASS first 3", "B second", "R FAIL second 4 the record is short", "P", "B third",
          "R WARN third 0 one more export"},
         {Kind::Exited, 0},
         {"PASS ", "FAIL the record is short", "WARN one more export"}},
        {"killed by a signal without a word",
         firstPassedSecondBegun,
         {Kind::Signalled, 9},
         {"PASS ", "CRASH signal 9 (SIGKILL), the host's last call not known", "SKIP not run"}},
        {"hang that said nothing",
         firstPassedSecondBegun,
         {Kind::TimedOut, 0},
         {"PASS ", "HANG killed after 500 ms without saying where", "SKIP not run"}},
        {"crash before any host call",
         {"B first", "X CRASH 6 -"},
         {Kind::Signalled, 6},
         {"CRASH signal 6 (SIGABRT) before any host call into the module", "SKIP not run", "SKIP not run"}},
        {"died between checks",
         {"B first", "R PASS first 3"},
         {Kind::Exited, 1},
         {"PASS ", "CRASH the child ended with exit status 1", "SKIP not run: the group's child died in second"}},
        {"group stopped after a failure",
         {"B first", "R FAIL first 2 no record"},
         {Kind::Exited, 0},
         {"FAIL no record", "SKIP not run after an earlier check of the group failed",
          "SKIP not run after an earlier check of the group failed"}},
    };
    for (const auto& [label, lines, end, expected] : cases) {
        SCOPED_TRACE(label);
        ExpectResults(WbInterpretChild(kGroup, lines, end, 500), expected);
    }
}

TEST(ValidateChild, ReportsArriveWithProgressAndTheModulesOutput)
{
    std::vector<int> progress;
    const WbGroupRun run = RunStandIn(R"(echo "B first" >&3; echo "R PASS first 3" >&3
echo "the module speaks"; echo "and complains" >&2
echo "B second" >&3; echo "R FAIL second 4 broken" >&3; echo "B third" >&3; echo "R PASS third 1" >&3)",
                                      10000, &progress);
    ExpectResults(run.results, {"PASS ", "FAIL broken", "PASS "});
    EXPECT_EQ(std::tuple(run.group, run.seed, progress, run.output, run.Failed()),
              std::tuple("fake", 99u, std::vector<int>{1, 2, 3}, "the module speaks\nand complains\n", true));
}

// A child that ignores the question where it hangs, and whose own child keeps the pipes open: both go.
TEST(ValidateChild, AHangingChildIsKilledWithWhatItStarted)
{
    const auto start = std::chrono::steady_clock::now();
    const WbGroupRun killed = RunStandIn(R"(trap '' USR1; sleep 60 & echo $!; echo "B first" >&3; wait)", 300);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ExpectResults(killed.results, {"HANG killed after 300 ms without saying where", "SKIP not run", "SKIP not run"});
    const pid_t leftOver = pid_t(std::stol(killed.output));
    EXPECT_FALSE(IsRunning(leftOver)) << "the child's own child " << leftOver << " was left running";
}

// The compiler may drop a new whose result is unused; these keep every allocation.
void* volatile gKept = nullptr;

void AllocateOne()
{
    gKept = new int(7);
    delete static_cast<int*>(gKept);
}

} // namespace

TEST(ValidateAllocationWatch, CountsAndFailsTheArmedAllocationOnly)
{
    WbAllocationWatch::Arm(0);
    AllocateOne();
    AllocateOne();
    EXPECT_EQ(std::tuple(WbAllocationWatch::Disarm(), WbAllocationWatch::Count()), std::tuple(false, 2));

    WbAllocationWatch::Arm(2);
    AllocateOne();
    EXPECT_THROW(AllocateOne(), std::bad_alloc);
    EXPECT_TRUE(WbAllocationWatch::Disarm());

    WbAllocationWatch::Arm(1);
    gKept = new (std::nothrow) int(1);
    EXPECT_TRUE(WbAllocationWatch::Disarm());
    EXPECT_EQ(gKept, nullptr);

    // Disarmed, nothing fails and nothing is counted.
    AllocateOne();
    EXPECT_EQ(WbAllocationWatch::Count(), 1);
}

TEST(ValidateAllocationWatch, TellsTheModulesAllocationsFromTheHosts)
{
    std::string reason;
    WbModuleLibrary module = WbModuleLibrary::Open(THEATER_BIN_DIR "/Theater.wbp", reason);
    ASSERT_TRUE(module.IsOpen()) << reason;
    const GetAttrFn getAttr = module.Symbol<GetAttrFn>(kGetAttrName);
    ASSERT_NE(getAttr, nullptr);
    WbAllocationWatch::CountOnlyModule(reinterpret_cast<const void*>(getAttr),
                                       reinterpret_cast<const void*>(&WbHostCallRing::Enter));

    // The module makes its record itself.
    WbAllocationWatch::Arm(0);
    std::unique_ptr<WbPluginSpecifier> attr(getAttr());
    WbAllocationWatch::Disarm();
    EXPECT_GE(WbAllocationWatch::Count(), 1);

    // A document is the host's own making, whoever asks for it; counting everything counts it too.
    const auto countDocument = [] {
        WbAllocationWatch::Arm(0);
        std::make_unique<WbTowerDoc>().reset();
        WbAllocationWatch::Disarm();
        return WbAllocationWatch::Count();
    };
    EXPECT_EQ(countDocument(), 0);
    WbAllocationWatch::CountOnlyModule(nullptr, nullptr);
    EXPECT_GT(countDocument(), 0);
}

TEST(ValidateAllocationWatch, AChildPastItsLimitEndsNamingTheLastCall)
{
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        WbAllocationWatch::LimitMemory(size_t(1) << 20, channel[1]);
        WbHostCallRing::Enter("GetAttr");
        gKept = new char[size_t(2) << 20];
        ::_exit(0);
    }
    ::close(channel[1]);
    std::string said;
    char buffer[256];
    for (ssize_t count; (count = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, size_t(count));
    ::close(channel[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_EQ(std::tuple(status, said), std::tuple(3 << 8, "X MEMORY 1 GetAttr\n")) << "exit code 3";
}
