// Each module built with one fault is caught by the check meant for it at the lowest strictness that runs it.
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

    EXPECT_NE(Slurp(File("validate.log")).find(start), std::string::npos);
    EXPECT_TRUE(JUnitFails(Slurp(File("validate.xml")), fault.group, fault.check));
}

INSTANTIATE_TEST_SUITE_P(EachFault, ValidateFaultCaught, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.module); });

using ValidateFaultRun = ValidateProcess;

// Below the default strictness an export of the module's own is worth a warning only: it merely shows more.
TEST_F(ValidateFaultRun, ExtraExportIsAWarningAtStrictnessFour)
{
    const Outcome outcome =
        Validate(FaultModule("ExtraExport"), {"--only", "file", "--strictness", "4", "--seed", "1"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_NE(ResultLine(outcome.out, "WARN file/exports: ").find("_Z18TheaterBuildNumberv"), std::string::npos)
        << outcome.out;
    EXPECT_EQ(ResultLine(outcome.out, "FAIL "), "");
}

} // namespace
