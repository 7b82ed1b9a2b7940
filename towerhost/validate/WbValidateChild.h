// The validator's side of one group's child process: it starts the child, watches it and reads what it
// reported into one result per check.
#pragma once

#include "WbValidateGroups.h"
#include "WbValidateMain.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// How a child ended, as the validator saw it.
struct WbChildEnd {
    enum class Kind { Exited, Signalled, TimedOut };
    Kind kind = Kind::Exited;
    int code = 0; // the exit status or the signal
};

// Turns what a child said on its result channel and how it ended into one result per check of the group,
// in the group's order: a check that never reported is the one that crashed, hung or ran out of memory when
// it was running, and skipped when the child died before it.
std::vector<WbCheckResult> WbInterpretChild(const WbCheckGroup& group, const std::vector<std::string>& lines,
                                            const WbChildEnd& end, int64_t timeoutMs);

// Runs the group in a child process of the program at selfPath (as `validate --child GROUP`), in a process
// group of its own, killed when it goes timeoutMs without progress, and never left behind. progress hears
// the checks done as each check ends and as a long check makes progress.
WbGroupRun WbRunGroupChild(const std::string& selfPath, const WbValidateOptions& options, const WbCheckGroup& group,
                           uint64_t seed, const std::function<void(int checksDone)>& progress);

// Kills the running child's process group, if any; safe in a signal handler.
void WbKillRunningChild();
