// Reading the validator's command line: every value is checked against its range here, so that a run
// never starts with an option it cannot honour.
#include "WbValidateMain.h"

#include "WbValidateGroups.h"

#include <charconv>
#include <functional>
#include <map>

namespace {

// A whole number within [low, high] from the option's text, or an error naming the option.
bool ReadNumber(const std::string& option, const std::string& text, int64_t low, uint64_t high, uint64_t& value,
                std::string& error)
{
    const char* end = text.data() + text.size();
    const bool negative = !text.empty() && text[0] == '-';
    uint64_t magnitude = 0;
    const auto [stop, code] = std::from_chars(text.data() + (negative ? 1 : 0), end, magnitude);
    if (text.empty() || code != std::errc() || stop != end || (negative && magnitude != 0)) {
        error = option + ": \"" + text + "\" is not a whole number";
        return false;
    }
    if (int64_t(magnitude) < low || magnitude > high || (low >= 0 && magnitude > uint64_t(INT64_MAX))) {
        error = option + ": " + text + " is not within " + std::to_string(low) + "-" + std::to_string(high);
        return false;
    }
    value = magnitude;
    return true;
}

WbValidateParse UsageError(const std::string& message) { return {false, 2, message}; }

} // namespace

const char* WbValidateUsage()
{
    return "usage: towerhost validate MODULE [--strictness 1-10] [--seed N] [--timeout-ms N] [--repeat N]\n"
           "                          [--log FILE] [--junit FILE] [--only GROUP] [--keep-going]\n"
           "Takes a tenant module through every call the host makes, one group of checks per child process.\n"
           "  --strictness N   1-10, default 5: which groups run (docs/validate.md)\n"
           "  --seed N         the seed of every random choice; default: from the clock, printed first\n"
           "  --timeout-ms N   how long a group may go without finishing a check, default 60000\n"
           "  --repeat N       runs every group N times, with seeds N, N+1, ...\n"
           "  --log FILE       the whole report, with the module's own output\n"
           "  --junit FILE     the results as JUnit XML\n"
           "  --only GROUP     runs that group alone\n"
           "  --keep-going     runs the groups after one that failed\n";
}

WbValidateParse WbReadValidateOptions(int argc, const char* const* argv, WbValidateOptions& options)
{
    std::string error;
    uint64_t number = 0;
    auto numeric = [&](int64_t low, uint64_t high, auto& target) {
        return [&, low, high](const std::string& option, const std::string& text) {
            if (!ReadNumber(option, text, low, high, number, error))
                return false;
            target = static_cast<std::remove_reference_t<decltype(target)>>(number);
            return true;
        };
    };
    auto text = [](std::string& target) {
        return [&target](const std::string&, const std::string& value) {
            target = value;
            return true;
        };
    };
    const std::map<std::string, std::function<bool(const std::string&, const std::string&)>> valued = {
        {"--strictness", numeric(1, 10, options.strictness)},
        {"--seed", numeric(0, UINT64_MAX / 2, options.seed)},
        {"--timeout-ms", numeric(1, 24 * 3600 * 1000, options.timeoutMs)},
        {"--repeat", numeric(1, 1000, options.repeat)},
        {"--log", text(options.logPath)},
        {"--junit", text(options.junitPath)},
        {"--only", text(options.only)},
        {"--child", text(options.childGroup)},
        {"--result-fd", numeric(3, 1023, options.resultDescriptor)},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h")
            return {false, 0, WbValidateUsage()};
        if (argument == "--keep-going") {
            options.keepGoing = true;
            continue;
        }
        std::string name = argument;
        std::string value;
        bool inlineValue = false;
        if (const size_t equals = argument.find('='); argument.rfind("--", 0) == 0 && equals != std::string::npos) {
            name = argument.substr(0, equals);
            value = argument.substr(equals + 1);
            inlineValue = true;
        }
        if (const auto found = valued.find(name); found != valued.end()) {
            if (!inlineValue) {
                if (i + 1 >= argc)
                    return UsageError(name + ": needs a value");
                value = argv[++i];
            }
            if (!found->second(name, value))
                return UsageError(error);
            if (name == "--seed")
                options.seedGiven = true;
            continue;
        }
        if (argument.rfind("-", 0) == 0 && argument != "-")
            return UsageError(argument + ": no such option");
        if (!options.modulePath.empty())
            return UsageError(argument + ": only one MODULE is taken; " + options.modulePath + " came first");
        options.modulePath = argument;
    }
    if (options.modulePath.empty())
        return UsageError(std::string("MODULE: the module file to validate is missing\n") + WbValidateUsage());
    if (!options.only.empty() && !WbFindCheckGroup(options.only))
        return UsageError("--only: no group named \"" + options.only + "\" (" + WbCheckGroupNames() + ")");
    if (!options.childGroup.empty() && (!WbFindCheckGroup(options.childGroup) || options.resultDescriptor < 0))
        return UsageError("--child: needs a known group and --result-fd");
    return {};
}
