// A group's child as the validator sees it: what it reported and how it ended, turned into one result per
// check; and real children (small shell programs standing in for the validator's own) that report, hang and
// leave a process behind. The validator's own children that crash, hang and run out of memory are the faulty
// modules' tests.
#include "WbValidateChild.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

const WbCheckGroup kGroup{"fake", 1, {"first", "second", "third"}, nullptr};

using Kind = WbChildEnd::Kind;

struct Expected {
    WbCheckStatus status;
    std::string message;
};

void ExpectResults(const std::vector<WbCheckResult>& results, const std::vector<Expected>& expected,
                   const std::string& label)
{
    ASSERT_EQ(results.size(), expected.size()) << label;
    for (size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(results[i].check, kGroup.checks[i]) << label;
        EXPECT_EQ(WbStatusWord(results[i].status), std::string(WbStatusWord(expected[i].status)))
            << label << ": " << results[i].check << ": " << results[i].message;
        EXPECT_EQ(results[i].message.rfind(expected[i].message, 0), 0u)
            << label << ": " << results[i].check << ": " << results[i].message;
    }
}

// A stand-in for the validator's program: a shell script that gets the child's arguments and writes to the
// result descriptor 3 what the test wants.
class StandInChild final {
public:
    explicit StandInChild(const std::string& script)
        : mPath(testing::TempDir() + "validate-child-" + std::to_string(::getpid()) + "-" + std::to_string(++sCount))
    {
        std::ofstream(mPath) << "#!/bin/sh\n" << script << "\n";
        ::chmod(mPath.c_str(), 0700);
    }
    ~StandInChild() { std::remove(mPath.c_str()); }

    WbGroupRun Run(int64_t timeoutMs, std::vector<int>* progress = nullptr) const
    {
        WbValidateOptions options;
        options.modulePath = "M.wbp";
        options.timeoutMs = timeoutMs;
        return WbRunGroupChild(mPath, options, kGroup, 99, [progress](int done) {
            if (progress)
                progress->push_back(done);
        });
    }

private:
    static inline int sCount = 0;
    std::string mPath;
};

// A process that is gone, or a zombie waiting for its parent, runs no more.
bool IsRunning(pid_t pid)
{
    for (int attempt = 0; attempt < 50; ++attempt) {
        std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
        std::string line;
        if (!std::getline(stat, line))
            return false;
        const size_t close = line.rfind(')');
        if (close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z')
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

} // namespace

TEST(ValidateChild, HowTheChildEndedNamesTheCheckItWasIn)
{
    const std::vector<std::string> firstPassedSecondBegun = {"B first", "R PASS first 3", "B second"};
    const struct {
        std::string label;
        std::vector<std::string> lines;
        WbChildEnd end;
        std::vector<Expected> expected;
    } cases[] = {
        {"all reported",
         {"B first", "R PASS first 3", "B second", "R FAIL second 4 the record is short", "P", "B third",
          "R WARN third 0 one more export"},
         {Kind::Exited, 0},
         {{WbCheckStatus::Pass, ""},
          {WbCheckStatus::Fail, "the record is short"},
          {WbCheckStatus::Warn, "one more export"}}},
        {"killed by a signal without a word",
         firstPassedSecondBegun,
         {Kind::Signalled, 9},
         {{WbCheckStatus::Pass, ""},
          {WbCheckStatus::Crash, "signal 9 (SIGKILL), the host's last call not known"},
          {WbCheckStatus::Skip, "not run"}}},
        {"hang that said nothing",
         firstPassedSecondBegun,
         {Kind::TimedOut, 0},
         {{WbCheckStatus::Pass, ""},
          {WbCheckStatus::Hang, "killed after 500 ms without saying where"},
          {WbCheckStatus::Skip, "not run"}}},
        {"crash before any host call",
         {"B first", "X CRASH 6 -"},
         {Kind::Signalled, 6},
         {{WbCheckStatus::Crash, "signal 6 (SIGABRT) before any host call into the module"},
          {WbCheckStatus::Skip, "not run"},
          {WbCheckStatus::Skip, "not run"}}},
        {"died between checks",
         {"B first", "R PASS first 3"},
         {Kind::Exited, 1},
         {{WbCheckStatus::Pass, ""},
          {WbCheckStatus::Crash, "the child ended with exit status 1"},
          {WbCheckStatus::Skip, "not run: the group's child died in second"}}},
        {"group stopped after a failure",
         {"B first", "R FAIL first 2 no record"},
         {Kind::Exited, 0},
         {{WbCheckStatus::Fail, "no record"},
          {WbCheckStatus::Skip, "not run after an earlier check of the group failed"},
          {WbCheckStatus::Skip, "not run after an earlier check of the group failed"}}},
    };
    for (const auto& [label, lines, end, expected] : cases)
        ExpectResults(WbInterpretChild(kGroup, lines, end, 500), expected, label);
}

TEST(ValidateChild, ReportsArriveWithProgressAndTheModulesOutput)
{
    const StandInChild child(R"(echo "B first" >&3; echo "R PASS first 3" >&3
echo "the module speaks"; echo "and complains" >&2
echo "B second" >&3; echo "R FAIL second 4 broken" >&3; echo "B third" >&3; echo "R PASS third 1" >&3)");
    std::vector<int> progress;
    const WbGroupRun run = child.Run(10000, &progress);
    ExpectResults(run.results, {{WbCheckStatus::Pass, ""}, {WbCheckStatus::Fail, "broken"}, {WbCheckStatus::Pass, ""}},
                  "reported");
    EXPECT_EQ(run.group, "fake");
    EXPECT_EQ(run.seed, 99u);
    EXPECT_EQ(progress, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(run.output, "the module speaks\nand complains\n");
    EXPECT_TRUE(run.Failed());
}

// A child that ignores the question where it hangs, and whose own child keeps the pipes open: both go with
// its group.
TEST(ValidateChild, AHangingChildIsKilledWithWhatItStarted)
{
    const StandInChild silent(R"(trap '' USR1; sleep 60 & echo $!; echo "B first" >&3; wait)");
    const auto start = std::chrono::steady_clock::now();
    const WbGroupRun killed = silent.Run(300);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ExpectResults(killed.results,
                  {{WbCheckStatus::Hang, "killed after 300 ms without saying where"},
                   {WbCheckStatus::Skip, "not run"},
                   {WbCheckStatus::Skip, "not run"}},
                  "silent hang");
    const pid_t leftOver = pid_t(std::stol(killed.output));
    EXPECT_FALSE(IsRunning(leftOver)) << "the child's own child " << leftOver << " was left running";
}
