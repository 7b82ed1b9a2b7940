// The validator's command line: a mistake in it is refused with exit code 2 and the option named, before any
// module is touched; a run repeated with its seed repeats its results.
#include "ValidateProcess.h"

namespace {

using ValidateFaultUsage = ValidateProcess;

TEST_F(ValidateFaultUsage, MistakesExitTwoNamingTheOption)
{
    struct Mistake {
        std::vector<std::string> options;
        std::string named;
    };
    const Mistake mistakes[] = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"--strictness", "0"}, "--strictness"},
        {{"--strictness", "11"}, "--strictness"},
        {{"--only", "nosuch"}, "--only"},
        {{"--seed", ""}, "--seed"},
        {{"--timeout-ms", ""}, "--timeout-ms"},
    };
    for (const Mistake& mistake : mistakes) {
        const Outcome outcome = Validate(FaultModule("CrashingEntry"), mistake.options);
        EXPECT_EQ(outcome.exitCode, 2) << mistake.named << ": " << outcome.err;
        EXPECT_NE(outcome.err.find(mistake.named), std::string::npos) << outcome.err;
        EXPECT_TRUE(ResultLines(outcome.out).empty()) << mistake.named << ": " << outcome.out;
    }
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

TEST_F(ValidateFaultUsage, SameSeedSameResults)
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
