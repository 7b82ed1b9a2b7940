// Each module built with one fault is caught by the check meant for it, at the lowest strictness whose
// groups include that check, with exit code 1 and the result line a user reads on standard output.
#include "ValidateProcess.h"

namespace {

struct Fault {
    const char* module;
    const char* group;
    int strictness;
    // The start of the line that reports the fault, and what else the line must say.
    const char* line;
    std::vector<std::string> saying;
};

void PrintTo(const Fault& fault, std::ostream* out) { *out << fault.module; }

const Fault kFaults[] = {
    {"CrashingEntry", "entry", 1, "CRASH entry/program-plugin: ", {"signal 11 (SIGSEGV)", "ConstructProgramPlugin"}},
    {"HangingIdle", "day", 3, "HANG day/whole-day: ", {"killed after 1500 ms", "TenantIdleProc"}},
    {"MissingExport", "file", 1, "FAIL file/exports: ", {"\"MissingExport.wbp\"", "DestructProgramPlugin"}},
    {"ExtraExport", "file", 5, "FAIL file/exports: ", {"\"ExtraExport.wbp\"", "_Z18TheaterBuildNumberv"}},
    {"AllocatingIdle", "allocation", 6, "FAIL allocation/idle-pass: ", {}},
    {"UnreadableRecord", "state", 4, "FAIL state/record-round-trip: ", {}},
    {"DisabledInfo", "dialogs", 5, "FAIL dialogs/none-left-disabled: ", {}},
    {"Truncated", "file", 1, "FAIL file/format: ", {"\"Truncated.wbp\""}},
    {"MemoryHog", "entry", 1, "MEMORY entry/attributes: ", {}},
};

class ValidateFaultCaught : public ValidateProcess, public ::testing::WithParamInterface<Fault> {};

TEST_P(ValidateFaultCaught, AtItsLowestStrictness)
{
    const Fault& fault = GetParam();
    const Outcome outcome =
        Validate(FaultModule(fault.module), {"--only", fault.group, "--strictness", std::to_string(fault.strictness),
                                             "--seed", "1", "--timeout-ms", "1500"});
    EXPECT_EQ(outcome.exitCode, 1) << outcome.err;
    const std::string line = ResultLine(outcome.out, fault.line);
    ASSERT_FALSE(line.empty()) << outcome.out;
    for (const std::string& words : fault.saying)
        EXPECT_NE(line.find(words), std::string::npos) << line;
}

INSTANTIATE_TEST_SUITE_P(EachFault, ValidateFaultCaught, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.module); });

using ValidateFaultBelow = ValidateProcess;

// Below the default strictness an export of the module's own is worth a warning only: the module loads
// and runs, it merely shows more than it must.
TEST_F(ValidateFaultBelow, ExtraExportIsAWarningAtStrictnessFour)
{
    const Outcome outcome =
        Validate(FaultModule("ExtraExport"), {"--only", "file", "--strictness", "4", "--seed", "1"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_NE(ResultLine(outcome.out, "WARN file/exports: ").find("_Z18TheaterBuildNumberv"), std::string::npos)
        << outcome.out;
    EXPECT_EQ(ResultLine(outcome.out, "FAIL "), "");
}

} // namespace
