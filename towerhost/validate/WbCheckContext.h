// What a group's checks have in the child process: the module, the strictness, the seed, and the channel
// their results go back to the validator by.
#pragma once

#include "WbValidateGroups.h"
#include "WbValidateMain.h"

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

// Thrown by a check to fail with a message; any other exception out of a check fails it too.
class WbCheckFailure final : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// What a check that returned found: a pass, or a warning with its message.
struct WbCheckVerdict {
    WbCheckStatus status = WbCheckStatus::Pass;
    std::string message;
};

class WbCheckContext final {
public:
    WbCheckContext(std::string modulePath, int strictness, uint64_t seed, int resultDescriptor);

    const std::string& GetModulePath() const { return mModulePath; }
    int GetStrictness() const { return mStrictness; }
    uint64_t GetSeed() const { return mSeed; }

    // Runs one check: tells the validator it begins, then its verdict and time. Returns true when it passed
    // or only warned.
    bool Check(const char* name, const std::function<WbCheckVerdict()>& check);
    // Tells the validator that a long check is still making progress, which restarts its timeout.
    void Progress();

    // The lines of the channel: "B check", "P", "R WORD check milliseconds message", and, written from a
    // signal handler, "X WORD detail call".
    static std::string ResultLine(WbCheckStatus status, const std::string& check, int64_t milliseconds,
                                  const std::string& message);

private:
    void Send(const std::string& line) const;

    std::string mModulePath;
    int mStrictness;
    uint64_t mSeed;
    int mResultDescriptor;
};

// The child's side of a group run: installs the handlers that report a crash, a hang and the memory limit,
// runs the group the options name and returns the child's exit code.
int WbRunChildGroup(const WbValidateOptions& options);
