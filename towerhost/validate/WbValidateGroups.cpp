// The table of groups: their names and their checks' names are what `--only`, the reports and the people
// reading them go by; and the words of the results, shared by the child that reports them and the reports.
#include "WbValidateGroups.h"

#include <algorithm>
#include <array>
#include <utility>

const std::vector<WbCheckGroup>& WbCheckGroups()
{
    static const std::vector<WbCheckGroup> groups = {
        {"file", 1, {"format", "machine", "exports", "load-unload"}, WbRunFileGroup},
        {"entry",
         1,
         {"attributes", "program-plugin", "template-plugin", "null-and-repeat", "destruct-order", "reload"},
         WbRunEntryGroup},
        {"resources", 2, {"listed-present", "tenant-definition", "dialog-templates"}, WbRunResourcesGroup},
        {"day", 3, {"whole-day", "funds", "call-arguments"}, WbRunDayGroup},
        {"state", 4, {"record-round-trip", "continue-after-load"}, WbRunStateGroup},
        {"dialogs", 5, {"press-every-control", "close-orders", "none-left-disabled"}, WbRunDialogsGroup},
        {"determinism", 5, {"same-seed-same-trace"}, WbRunDeterminismGroup},
        {"allocation", 6, {"idle-pass", "allocation-failure"}, WbRunAllocationGroup},
        {"stress", 7, {"random-towers"}, WbRunStressGroup},
    };
    return groups;
}

const WbCheckGroup* WbFindCheckGroup(const std::string& name)
{
    for (const WbCheckGroup& group : WbCheckGroups())
        if (name == group.name)
            return &group;
    return nullptr;
}

std::string WbCheckGroupNames()
{
    std::string names;
    for (const WbCheckGroup& group : WbCheckGroups())
        names += (names.empty() ? "" : ", ") + std::string(group.name);
    return names;
}

namespace {

constexpr std::array<std::pair<WbCheckStatus, const char*>, 7> kWords = {{
    {WbCheckStatus::Pass, "PASS"},
    {WbCheckStatus::Fail, "FAIL"},
    {WbCheckStatus::Warn, "WARN"},
    {WbCheckStatus::Crash, "CRASH"},
    {WbCheckStatus::Hang, "HANG"},
    {WbCheckStatus::Memory, "MEMORY"},
    {WbCheckStatus::Skip, "SKIP"},
}};

} // namespace

const char* WbStatusWord(WbCheckStatus status)
{
    for (const auto& [known, word] : kWords)
        if (known == status)
            return word;
    return "FAIL";
}

std::optional<WbCheckStatus> WbStatusFromWord(const std::string& word)
{
    for (const auto& [status, known] : kWords)
        if (word == known)
            return status;
    return std::nullopt;
}

bool WbIsFailure(WbCheckStatus status)
{
    return status != WbCheckStatus::Pass && status != WbCheckStatus::Warn && status != WbCheckStatus::Skip;
}

bool WbGroupRun::Failed() const
{
    return std::any_of(results.begin(), results.end(),
                       [](const WbCheckResult& result) { return WbIsFailure(result.status); });
}
