// A module that kills the process it runs in (a crash, a hang, memory without end) ends only the validator's
// child: the validator still writes its log and JUnit report naming the check that died, and leaves no
// process behind.
#include "ValidateProcess.h"

namespace {

struct DyingModule {
    const char* module;
    const char* group;
    const char* check;
    // The result word the log gives the check.
    const char* result;
};

void PrintTo(const DyingModule& dying, std::ostream* out) { *out << dying.module; }

const DyingModule kDying[] = {
    {"CrashingEntry", "entry", "program-plugin", "CRASH"},
    {"HangingIdle", "day", "whole-day", "HANG"},
    {"MemoryHog", "entry", "attributes", "MEMORY"},
};

class ValidateFaultChildren : public ValidateReaper, public ::testing::WithParamInterface<DyingModule> {};

TEST_P(ValidateFaultChildren, LeaveTheReportsAndNoProcess)
{
    const DyingModule& dying = GetParam();
    const Outcome outcome =
        Validate(FaultModule(dying.module), {"--only", dying.group, "--seed", "1", "--timeout-ms", "1500", "--log",
                                             "validate.log", "--junit", "validate.xml"});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
    EXPECT_EQ(ReapLeftovers(), 0);
    EXPECT_TRUE(Childless());

    const std::string check = std::string(dying.group) + "/" + dying.check;
    const std::string log = Slurp(File("validate.log"));
    EXPECT_TRUE(log.substr(0, log.find('\n')).ends_with("seed 1")) << log;
    EXPECT_NE(log.find(FaultModule(dying.module)), std::string::npos) << log;
    EXPECT_NE(log.find(std::string(dying.result) + " " + check + ": "), std::string::npos) << log;
    EXPECT_TRUE(JUnitFails(Slurp(File("validate.xml")), dying.group, dying.check)) << Slurp(File("validate.xml"));
}

INSTANTIATE_TEST_SUITE_P(EachDeath, ValidateFaultChildren, ::testing::ValuesIn(kDying),
                         [](const auto& info) { return std::string(info.param.module); });

} // namespace
