// The module validator run as a child of the test, and what it printed, logged and reported.
#pragma once

#include "HostProcess.h"

#include <cerrno>
#include <csignal>
#include <sys/prctl.h>

inline std::string FaultModule(const std::string& name) { return THEATER_BIN_DIR "/faults/" + name + ".wbp"; }

// The first line of the validator's output that starts as given ("CRASH entry/program-plugin: "), or none.
inline std::string ResultLine(const std::string& out, const std::string& start)
{
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);)
        if (line.starts_with(start))
            return line;
    return {};
}

// Whether the JUnit report has a failure for the check of the group.
inline bool JUnitFails(const std::string& junit, const std::string& group, const std::string& check)
{
    const size_t at = junit.find("<testcase classname=\"" + group + "\" name=\"" + check + "\"");
    return at != std::string::npos &&
           junit.substr(at, junit.find("<test", at + 1) - at).find("<failure") != std::string::npos;
}

class ValidateProcess : public HostProcess {
protected:
    Outcome Validate(const std::string& module, std::vector<std::string> options) const
    {
        options.insert(options.begin(), {"validate", module});
        return Run(std::move(options));
    }
};

// A test that reaps its children's children: a process the validator leaves behind comes to the test.
class ValidateReaper : public ValidateProcess {
protected:
    ValidateReaper() { ::prctl(PR_SET_CHILD_SUBREAPER, 1); }

    // Kills and reaps every process left to the test; the number of them.
    int ReapLeftovers() const
    {
        int left = 0;
        for (pid_t child : Children()) {
            ::kill(child, SIGKILL);
            ::waitpid(child, nullptr, 0);
            ++left;
        }
        while (::waitpid(-1, nullptr, WNOHANG) > 0)
            ++left;
        return left;
    }

    // Whether the test has no child at all, exited or running.
    static bool Childless() { return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD; }

private:
    // The test's children, from the process's lists of each thread's children.
    static std::vector<pid_t> Children()
    {
        std::vector<pid_t> children;
        for (const auto& thread : std::filesystem::directory_iterator("/proc/self/task")) {
            std::istringstream ids(Slurp(thread.path() / "children"));
            for (pid_t child = 0; ids >> child;)
                children.push_back(child);
        }
        return children;
    }
};
