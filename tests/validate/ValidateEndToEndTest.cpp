// The validator as a person runs it on the built module and on a damaged copy: output, exit code, log, leftovers.
#include "ValidateProcess.h"

#include <regex>

namespace {

const std::string kModule = THEATER_BIN_DIR "/Theater.wbp";

using ValidateEndToEnd = ValidateReaper;

} // namespace

TEST_F(ValidateEndToEnd, TheBuiltModulePassesItsFirstGroupsWithTheSeedFirst)
{
    const Outcome outcome = Run(
        {"validate", kModule, "--strictness", "2", "--seed", "4242", "--log", File("v.log"), "--junit", File("v.xml")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_TRUE(std::regex_match(outcome.out, std::regex("validate: seed 4242\n"
                                                         "validate: 13 checks, 13 passed, 0 failed, 0 warnings "
                                                         "\\([0-9]+\\.[0-9] s\\)\n")))
        << outcome.out;
    // Standard error is no terminal here: no progress.
    EXPECT_EQ(outcome.err, "");
    // The groups of strictness 2, and no more.
    const std::string log = Slurp(File("v.log"));
    for (const char* group : {"[file]", "[entry]", "[resources]"})
        EXPECT_NE(log.find(group), std::string::npos) << group;
    EXPECT_EQ(log.find("[day]"), std::string::npos);
    EXPECT_NE(Slurp(File("v.xml")).find("<testsuite name=\"entry\" tests=\"6\" failures=\"0\""), std::string::npos);
}

TEST_F(ValidateEndToEnd, ADamagedModuleStopsAfterItsFirstFailedGroupUnlessToldToGoOn)
{
    const std::string whole = Slurp(kModule);
    const std::string truncated = WriteFile("Truncated.wbp", whole.substr(0, whole.size() / 2));
    const Outcome stopped = Run({"validate", truncated, "--seed", "1"});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(stopped.out.find("FAIL file/format: \"Truncated.wbp\": cut short"), std::string::npos) << stopped.out;
    EXPECT_EQ(stopped.out.find("entry/"), std::string::npos) << stopped.out;

    const Outcome goingOn = Run({"validate", truncated, "--seed", "1", "--only", "entry", "--keep-going"});
    EXPECT_EQ(goingOn.exitCode, 1);
    EXPECT_NE(goingOn.out.find("FAIL entry/attributes: the module does not load"), std::string::npos) << goingOn.out;
    EXPECT_EQ(ReapLeftovers(), 0);
}

// Repeated groups are told apart by their seed in the log and in the JUnit report.
TEST_F(ValidateEndToEnd, RepeatedRunsTakeTheNextSeeds)
{
    const Outcome outcome = Run({"validate", kModule, "--only", "file", "--repeat", "2", "--seed", "10", "--log",
                                 File("r.log"), "--junit", File("r.xml")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out;
    const std::string log = Slurp(File("r.log")), junit = Slurp(File("r.xml"));
    for (const char* seed : {"10", "11"}) {
        EXPECT_NE(log.find("[file] seed " + std::string(seed) + ","), std::string::npos) << log;
        EXPECT_NE(junit.find("<testsuite name=\"file (seed " + std::string(seed) + ")\""), std::string::npos) << junit;
    }
    EXPECT_NE(outcome.out.find("validate: 8 checks, 8 passed"), std::string::npos) << outcome.out;
}
