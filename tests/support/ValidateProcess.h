// The module validator run as a child of the test, on the real module or on one built with a fault, and
// what it printed, logged and reported.
#pragma once

#include "HostProcess.h"

#include <cerrno>
#include <csignal>
#include <string_view>
#include <sys/prctl.h>

inline std::string FaultModule(const std::string& name) { return THEATER_BIN_DIR "/faults/" + name + ".wbp"; }

// The lines of the validator's standard output that report a check ("FAIL group/check: message" and the
// like), in the order printed.
inline std::vector<std::string> ResultLines(const std::string& out)
{
    static constexpr std::string_view kWords[] = {"PASS ", "FAIL ", "WARN ", "CRASH ", "HANG ", "MEMORY "};
    std::vector<std::string> lines;
    std::istringstream text(out);
    for (std::string line; std::getline(text, line);)
        for (std::string_view word : kWords)
            if (line.starts_with(word))
                lines.push_back(line);
    return lines;
}

// The first line that starts with the result and check given ("CRASH entry/program-plugin: "); empty
// when there is none.
inline std::string ResultLine(const std::string& out, const std::string& start)
{
    for (const std::string& line : ResultLines(out))
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

// A test that is its children's children's reaper: a process the validator leaves behind comes to the test
// when the validator exits, and is found there.
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
    // The running processes whose parent is the test, from their /proc entries.
    static std::vector<pid_t> Children()
    {
        std::vector<pid_t> children;
        for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
            const std::string name = entry.path().filename();
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            // The fields after the command's closing parenthesis: the state, then the parent's id.
            const std::string stat = Slurp(entry.path() / "stat");
            if (stat.find(')') == std::string::npos)
                continue;
            std::istringstream fields(stat.substr(stat.rfind(')') + 1));
            std::string state;
            pid_t parent = 0;
            if (fields >> state >> parent && parent == ::getpid())
                children.push_back(std::stoi(name));
        }
        return children;
    }
};
