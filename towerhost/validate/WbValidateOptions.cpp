// Reading the validator's command line with CLI11: every value is checked against its range here, so that
// a run never starts with an option it cannot honour.
#include "WbValidateMain.h"

#include "WbHostOptions.h"
#include "WbValidateGroups.h"

#include <CLI/CLI.hpp>

#include <charconv>

namespace {

const char* const kDescription =
    "Takes a tenant module through every call the host makes, one group of checks per child process, so that\n"
    "a crash or a hang in the module becomes a line in the report.";

const char* const kFooter = "Exit codes: 0 every check passed, 1 a check failed, 2 usage error.\n"
                            "The groups, the strictness table and the log: docs/validate.md.\n";

// CLI11's own number check speaks of floats; the validator's numbers are all whole.
const CLI::Validator kWholeNumber(
    [](std::string& text) {
        int64_t value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size())
            return "\"" + text + "\" is not a whole number";
        return std::string();
    },
    "", "WHOLE");

WbValidateParse UsageError(const std::string& message) { return {false, 2, message}; }

} // namespace

WbValidateParse WbReadValidateOptions(int argc, const char* const* argv, WbValidateOptions& options)
{
    CLI::App app(kDescription, "towerhost validate");
    app.footer(kFooter);
    app.allow_windows_style_options(false);
    app.get_formatter()->column_width(28);
    app.add_option("MODULE", options.modulePath, "The tenant module to validate")->required()->type_name("FILE");
    app.add_option("--strictness", options.strictness, "Which groups run (default 5)")
        ->check(kWholeNumber)
        ->check(CLI::Range(1, 10))
        ->type_name("N");
    app.add_option("--seed", options.seed, "The seed of every random choice (default: from the clock, printed first)")
        ->check(kWholeNumber)
        ->check(CLI::Range(uint64_t(0), UINT64_MAX / 2))
        ->type_name("N");
    app.add_option("--timeout-ms", options.timeoutMs,
                   "How long a group may go without finishing a check (default 60000)")
        ->check(kWholeNumber)
        ->check(CLI::Range(int64_t(1), int64_t(24) * 3600 * 1000))
        ->type_name("N");
    app.add_option("--repeat", options.repeat, "Runs every group N times, with seeds seed, seed+1, ...")
        ->check(kWholeNumber)
        ->check(CLI::Range(1, 1000))
        ->type_name("N");
    app.add_option("--log", options.logPath, "Write the whole report, with the module's own output")->type_name("FILE");
    app.add_option("--junit", options.junitPath, "Write the results as JUnit XML")->type_name("FILE");
    app.add_option("--only", options.only, "Run that group alone (" + WbCheckGroupNames() + ")")->type_name("GROUP");
    app.add_flag("--keep-going", options.keepGoing, "Run the groups after one that failed");
    // The validator starts itself with these for each group; they are not for people.
    app.add_option("--child", options.childGroup)->group("");
    app.add_option("--result-fd", options.resultDescriptor)->check(CLI::Range(3, 1023))->group("");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {false, 0, app.help()};
    } catch (const CLI::ParseError& error) {
        return UsageError(std::string(error.what()) + " (see towerhost validate --help)");
    }
    if (const std::string empty = WbEmptyValueError(app); !empty.empty())
        return UsageError(empty + " (see towerhost validate --help)");
    options.seedGiven = app.count("--seed") > 0;
    if (!options.only.empty() && !WbFindCheckGroup(options.only))
        return UsageError("--only: no group named \"" + options.only + "\" (" + WbCheckGroupNames() + ")");
    if (!options.childGroup.empty() && (!WbFindCheckGroup(options.childGroup) || options.resultDescriptor < 0))
        return UsageError("--child: needs a known group and --result-fd");
    return {};
}
