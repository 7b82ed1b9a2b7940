// Each module built with one fault is caught by the check meant for it, at the lowest strictness whose
// groups include that check: exit code 1, the result line on standard output, the log and the JUnit report
// naming the check, also when the fault killed the validator's child, and no process left behind.
#include "ValidateProcess.h"

namespace {

struct Fault {
    const char* module;
    const char* group;
    const char* check;
    int strictness;
    // The word the result line starts with, and what else the line must say.
    const char* result;
    std::vector<std::string> saying;
    // Long enough for any check that does not hang; shorter where a hang is the fault, or where a check
    // after the faulty one would take long.
    int timeoutMs = 20000;
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.module; }

const Fault kFaults[] = {
    {"CrashingEntry", "entry", "program-plugin", 1, "CRASH", {"signal 11 (SIGSEGV)", "ConstructProgramPlugin"}},
    {"HangingIdle", "day", "whole-day", 3, "HANG", {"killed after 3000 ms", "TenantIdleProc"}, 3000},
    {"MissingExport", "file", "exports", 1, "FAIL", {"\"MissingExport.wbp\"", "DestructProgramPlugin"}},
    {"ExtraExport", "file", "exports", 5, "FAIL", {"\"ExtraExport.wbp\"", "_Z18TheaterBuildNumberv"}},
    {"AllocatingIdle", "allocation", "idle-pass", 6, "FAIL", {}, 5000},
    {"UnreadableRecord", "state", "record-round-trip", 4, "FAIL", {}},
    {"DisabledInfo", "dialogs", "none-left-disabled", 5, "FAIL", {"\"Info of Tenants\"", "disabled"}},
    {"Truncated", "file", "format", 1, "FAIL", {"\"Truncated.wbp\""}},
    {"MemoryHog", "entry", "attributes", 1, "MEMORY", {"GetAttr"}},
};

class ValidateFaultCaught : public ValidateReaper, public ::testing::WithParamInterface<Fault> {};

TEST_P(ValidateFaultCaught, AtItsLowestStrictness)
{
    const Fault& fault = GetParam();
    const Outcome outcome =
        Validate(FaultModule(fault.module),
                 {"--only", fault.group, "--strictness", std::to_string(fault.strictness), "--seed", "1",
                  "--timeout-ms", std::to_string(fault.timeoutMs), "--log", "validate.log", "--junit", "validate.xml"});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
    EXPECT_EQ(ReapLeftovers(), 0);
    EXPECT_TRUE(Childless());

    const std::string start = std::string(fault.result) + " " + fault.group + "/" + fault.check + ": ";
    const std::string line = ResultLine(outcome.out, start);
    EXPECT_FALSE(line.empty()) << outcome.out;
    for (const std::string& words : fault.saying)
        EXPECT_NE(line.find(words), std::string::npos) << line;

    const std::string log = Slurp(File("validate.log"));
    EXPECT_TRUE(log.substr(0, log.find('\n')).ends_with("seed 1")) << log;
    EXPECT_NE(log.find(FaultModule(fault.module)), std::string::npos) << log;
    EXPECT_NE(log.find(start), std::string::npos) << log;
    const std::string junit = Slurp(File("validate.xml"));
    EXPECT_TRUE(JUnitFails(junit, fault.group, fault.check)) << junit;
}

INSTANTIATE_TEST_SUITE_P(EachFault, ValidateFaultCaught, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.module); });

using ValidateFaultRun = ValidateProcess;

// Below the default strictness an export of the module's own is worth a warning only: the module loads
// and runs, it merely shows more than it must.
TEST_F(ValidateFaultRun, ExtraExportIsAWarningAtStrictnessFour)
{
    const Outcome outcome =
        Validate(FaultModule("ExtraExport"), {"--only", "file", "--strictness", "4", "--seed", "1"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_NE(ResultLine(outcome.out, "WARN file/exports: ").find("_Z18TheaterBuildNumberv"), std::string::npos)
        << outcome.out;
    EXPECT_EQ(ResultLine(outcome.out, "FAIL "), "");
}

// The summary line ends with the time taken, which no seed repeats.
std::vector<std::string> WithoutTime(const std::string& out)
{
    std::vector<std::string> lines;
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);)
        lines.push_back(line.starts_with("validate: ") ? line.substr(0, line.rfind(" (")) : line);
    return lines;
}

TEST_F(ValidateFaultRun, ARunRepeatedWithItsSeedRepeatsItsResults)
{
    const std::vector<std::string> options = {"--only", "dialogs", "--seed", "4242"};
    const Outcome first = Validate(FaultModule("DisabledInfo"), options);
    const Outcome second = Validate(FaultModule("DisabledInfo"), options);
    EXPECT_EQ(first.exitCode, 1);
    EXPECT_EQ(second.exitCode, first.exitCode);
    EXPECT_EQ(first.out.substr(0, first.out.find('\n')), "validate: seed 4242");
    EXPECT_FALSE(ResultLines(first.out).empty());
    EXPECT_EQ(WithoutTime(second.out), WithoutTime(first.out));
}

} // namespace
