// The validator's command line: what it accepts, and the exit code and message of what it refuses.
#include "WbValidateMain.h"

#include "ChildProcess.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Parsed {
    WbValidateParse result;
    WbValidateOptions options;
};

Parsed Read(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "validate");
    Parsed parsed;
    parsed.result = WbReadValidateOptions(int(arguments.size()), arguments.data(), parsed.options);
    return parsed;
}

// Runs the whole subcommand and gives its exit code, with what it printed on each stream.
Outcome RunValidate(std::vector<const char*> arguments)
{
    arguments.insert(arguments.begin(), "validate");
    char *out = nullptr, *err = nullptr;
    size_t outSize = 0, errSize = 0;
    std::FILE* outFile = open_memstream(&out, &outSize);
    std::FILE* errFile = open_memstream(&err, &errSize);
    Outcome ran{WbValidateMain(int(arguments.size()), arguments.data(), outFile, errFile), "", ""};
    std::fclose(outFile);
    std::fclose(errFile);
    ran.out.assign(out, outSize);
    ran.err.assign(err, errSize);
    std::free(out);
    std::free(err);
    return ran;
}

} // namespace

TEST(ValidateOptions, DefaultsAreStrictnessFiveAMinuteAndOneRoundAndEveryOptionIsTakenInBothSpellings)
{
    Parsed parsed = Read({"Theater.wbp"});
    ASSERT_TRUE(parsed.result.run) << parsed.result.message;
    const WbValidateOptions& o = parsed.options;
    EXPECT_EQ(std::tuple(o.modulePath, o.strictness, o.timeoutMs, o.repeat, o.seedGiven, o.keepGoing, o.childGroup),
              std::tuple("Theater.wbp", 5, 60000, 1, false, false, ""));

    parsed = Read({"--strictness", "10", "--seed=12345", "--timeout-ms", "250", "--repeat=3", "--log", "v.log",
                   "--junit=v.xml", "--only", "day", "--keep-going", "M.wbp"});
    ASSERT_TRUE(parsed.result.run) << parsed.result.message;
    EXPECT_EQ(std::tuple(o.strictness, o.seed, o.seedGiven, o.timeoutMs, o.repeat, o.logPath, o.junitPath, o.only,
                         o.keepGoing, o.modulePath),
              std::tuple(10, 12345u, true, 250, 3, "v.log", "v.xml", "day", true, "M.wbp"));
}

TEST(ValidateOptions, UsageErrorsNameTheOptionAndEndWithTwo)
{
    const struct {
        std::vector<const char*> arguments;
        std::string named;
    } cases[] = {
        {{"M.wbp", "--strictness", "0"}, "--strictness: Value 0 not in range 1 to 10"},
        {{"M.wbp", "--strictness", "5x"}, "--strictness: \"5x\" is not a whole number"},
        {{"M.wbp", "--repeat", ""}, "--repeat: \"\" is not a whole number"},
        {{"M.wbp", "--log"}, "--log: 1 required FILE missing"},
        {{"M.wbp", "--log", ""}, "--log: the value is empty"},
        {{"M.wbp", "--only", "memory"}, "--only: no group named \"memory\" (file, entry, resources, day, state,"},
        {{"M.wbp", "--verbose"}, "The following argument was not expected: --verbose"},
        {{"--strictness", "3"}, "MODULE is required"},
        {{"M.wbp", "--child", "day"}, "--child: needs a known group and --result-fd"},
    };
    for (const auto& [arguments, named] : cases) {
        const Outcome ran = RunValidate(arguments);
        EXPECT_EQ(ran.exitCode, 2) << named;
        EXPECT_EQ(ran.out, "") << named;
        EXPECT_NE(ran.err.find("towerhost validate: " + named), std::string::npos) << ran.err;
    }
}

TEST(ValidateOptions, HelpGoesToStdoutWithZeroAndAModuleThatCannotBeReadIsAUsageError)
{
    const Outcome help = RunValidate({"--help"});
    EXPECT_EQ(std::tuple(help.exitCode, help.err), std::tuple(0, ""));
    EXPECT_NE(help.out.find("Usage: towerhost validate [OPTIONS] MODULE"), std::string::npos) << help.out;
    const Outcome ran = RunValidate({"no-such-module.wbp", "--seed", "7"});
    EXPECT_EQ(std::tuple(ran.exitCode, ran.err),
              std::tuple(2, "towerhost validate: MODULE: no-such-module.wbp cannot be read\n"));
}
