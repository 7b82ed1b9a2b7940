// The groups of checks the validator runs, each in a child process of its own, and from which strictness;
// the results of their checks and the words they are told by.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Skip: the check did not run because an earlier one of its group failed or the child died before it.
enum class WbCheckStatus { Pass, Fail, Warn, Crash, Hang, Memory, Skip };

// The word a result line starts with: "PASS", "FAIL", "WARN", "CRASH", "HANG", "MEMORY", "SKIP".
const char* WbStatusWord(WbCheckStatus status);
std::optional<WbCheckStatus> WbStatusFromWord(const std::string& word);
// A failure of the module: anything but a pass, a warning or a skipped check.
bool WbIsFailure(WbCheckStatus status);

struct WbCheckResult {
    std::string check;
    WbCheckStatus status = WbCheckStatus::Pass;
    std::string message;
    int64_t milliseconds = 0;
};

// One group's child from start to end: its results in the group's order and what the module printed.
struct WbGroupRun {
    std::string group;
    uint64_t seed = 0;
    std::vector<WbCheckResult> results;
    std::string output;
    int64_t milliseconds = 0;

    bool Failed() const;
};

class WbCheckContext;

struct WbCheckGroup {
    const char* name;
    int fromStrictness;
    std::vector<const char*> checks; // in the order the group runs them
    // Runs the group's checks in the child, reporting each through the context.
    void (*run)(WbCheckContext& context);
};

// Every group, in the order the validator runs them.
const std::vector<WbCheckGroup>& WbCheckGroups();
// The group of that name, or null.
const WbCheckGroup* WbFindCheckGroup(const std::string& name);
// The groups' names, separated by ", ", for messages.
std::string WbCheckGroupNames();

// Whether the file is a Windows module, of which only the file group can run here.
bool WbIsWindowsModule(const std::string& path);

// The groups' bodies.
void WbRunFileGroup(WbCheckContext& context);
void WbRunEntryGroup(WbCheckContext& context);
void WbRunResourcesGroup(WbCheckContext& context);
void WbRunDayGroup(WbCheckContext& context);
void WbRunStateGroup(WbCheckContext& context);
void WbRunDialogsGroup(WbCheckContext& context);
void WbRunDeterminismGroup(WbCheckContext& context);
void WbRunAllocationGroup(WbCheckContext& context);
void WbRunStressGroup(WbCheckContext& context);
