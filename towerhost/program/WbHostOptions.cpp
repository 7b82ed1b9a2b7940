// The command line, read with CLI11; help and usage errors are returned for the caller to print.
#include "WbHostOptions.h"

#include "WbScenario.h"

#include <CLI/CLI.hpp>

#include <charconv>

namespace {

const char* const kDescription =
    "Runs a tower of movie theaters on the Theater module, headless: loads the module, places the\n"
    "scenario's theaters and films (or a built-in demo tower), and runs it minute by minute, printing a\n"
    "summary of every day.";

const char* const kFooter =
    "Exit codes: 0 success, 1 module, run or file error, 2 usage or scenario error.\n"
    "\n"
    "Examples (from the source tree, whose tests/scenarios hold example towers):\n"
    "  towerhost                                 run the demo tower for its two days\n"
    "  towerhost tests/scenarios/hundred-theaters.json --days 30 --quiet --report out.json\n"
    "  towerhost tests/scenarios/save-and-continue.json --days 2 --save day2.tower\n"
    "  towerhost tests/scenarios/save-and-continue.json --load day2.tower --days 3 --trace trace.jsonl\n"
    "  towerhost serve tests/scenarios/change-film.json   play it in a web browser (towerhost serve --help)\n"
    "  towerhost validate Theater.wbp --strictness 10      check a tenant module (towerhost validate --help)\n";

// The days are read here rather than by CLI11, so that a bad value gets the same kind of message as a bad
// scenario value.
WbOptionsResult ReadDays(const std::string& text, WbHostOptions& options)
{
    int64_t days = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), days);
    if (error != std::errc() || end != text.data() + text.size())
        return {WbOptionsResult::Outcome::Exit, 2, "--days: \"" + text + "\" is not a whole number"};
    if (days < 0 || days > WbScenarioLimits::kMaxDays)
        return {WbOptionsResult::Outcome::Exit, 2,
                "--days: " + text + " is not in 0 to " + std::to_string(WbScenarioLimits::kMaxDays)};
    options.days = int32_t(days);
    return {};
}

} // namespace

std::string WbEmptyValueError(const CLI::App& app)
{
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_type_size() == 0)
            continue;
        for (const std::string& value : option->results())
            if (value.empty())
                return option->get_name() + ": the value is empty";
    }
    return {};
}

WbOptionsResult WbReadHostOptions(int argc, const char* const* argv, WbHostOptions& options,
                                  const std::vector<std::unique_ptr<WbHostAddOn>>& addOns)
{
    CLI::App app(kDescription, "towerhost");
    app.footer(kFooter);
    // Options are written the same on every platform: on Windows a path such as /data/tower.json stays a path.
    app.allow_windows_style_options(false);
    app.get_formatter()->column_width(28);
    app.add_option("scenario", options.scenarioPath,
                   "Scenario JSON file: clock, money, arrivals, films and theaters (default: the demo tower)")
        ->type_name("SCENARIO.json");
    app.add_option("--module", options.modulePath, "The plug-in module to load (default: Theater.wbp beside towerhost)")
        ->type_name("PATH");
    std::string days;
    app.add_option("--days", days, "Days to run (0 to 100000), in place of the scenario's \"days\"")->type_name("N");
    app.add_option("--trace", options.tracePath,
                   "Write a JSON line per host operation the module calls and per status change")
        ->type_name("FILE");
    app.add_option("--report", options.reportPath, "Write the tower's state at the end as JSON")->type_name("FILE");
    app.add_option("--save", options.savePath, "Save the tower at the end of the run")->type_name("FILE");
    app.add_option("--load", options.loadPath, "Continue a saved tower (films come from the scenario)")
        ->type_name("FILE");
    app.add_flag("-q,--quiet", options.quiet, "No module line, no day summaries and no progress line");
    for (const auto& addOn : addOns)
        addOn->AddOptions(app);

    WbOptionsResult result;
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        result = {WbOptionsResult::Outcome::Exit, 0, app.help()};
    } catch (const CLI::ParseError& error) {
        result = {WbOptionsResult::Outcome::Exit, 2, std::string(error.what()) + " (see towerhost --help)"};
    }
    if (result.outcome == WbOptionsResult::Outcome::Run)
        if (const std::string empty = WbEmptyValueError(app); !empty.empty())
            result = {WbOptionsResult::Outcome::Exit, 2, empty + " (see towerhost --help)"};
    if (result.outcome == WbOptionsResult::Outcome::Run && !days.empty())
        result = ReadDays(days, options);
    return result;
}
