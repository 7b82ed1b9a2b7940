// The validator's side of a group's child: started by fork and exec of the validator's own program in a
// process group of its own, watched through two pipes (results, and the module's output), killed when it
// stops making progress, and always reaped, so that no child outlives its group.
#include "WbValidateChild.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <map>
#include <sstream>

namespace {

// The output a group may leave in the report; a module that prints without end is cut here.
constexpr size_t kMaxOutputBytes = size_t(4) << 20;
// How long a child told that it is hung has to say where before it is killed.
constexpr int kHangReportMs = 1000;

std::atomic<pid_t> gRunningChild{0};

using Clock = std::chrono::steady_clock;

int64_t MillisecondsSince(Clock::time_point start)
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

std::string SignalText(int signal)
{
    const char* name = ::sigabbrev_np(signal);
    return "signal " + std::to_string(signal) + (name ? std::string(" (SIG") + name + ")" : std::string());
}

std::string CallText(const std::string& call)
{
    return call.empty() || call == "-" ? "before any host call into the module" : "in " + call;
}

// The first word and the rest of a line.
std::pair<std::string, std::string> SplitWord(const std::string& text)
{
    const size_t space = text.find(' ');
    if (space == std::string::npos)
        return {text, {}};
    return {text.substr(0, space), text.substr(space + 1)};
}

// How the child died, from its last words on the channel and its end; empty message when it did not.
WbCheckResult DeathOf(const std::string& lastWords, const WbChildEnd& end, int64_t timeoutMs)
{
    const auto [word, rest] = SplitWord(lastWords);
    const auto [detail, call] = SplitWord(rest);
    if (end.kind == WbChildEnd::Kind::TimedOut)
        return {{},
                WbCheckStatus::Hang,
                "killed after " + std::to_string(timeoutMs) + " ms " +
                    (word == "HANG" ? CallText(call) : std::string("without saying where")),
                0};
    if (word == "MEMORY")
        return {{}, WbCheckStatus::Memory, "the memory limit of " + detail + " MiB ran out " + CallText(call), 0};
    if (word == "CRASH")
        return {{}, WbCheckStatus::Crash, SignalText(std::atoi(detail.c_str())) + " " + CallText(call), 0};
    if (end.kind == WbChildEnd::Kind::Signalled)
        return {{}, WbCheckStatus::Crash, SignalText(end.code) + ", the host's last call not known", 0};
    if (end.code != 0)
        return {{},
                WbCheckStatus::Crash,
                "the child ended with exit status " + std::to_string(end.code) + " (its output is in the log)",
                0};
    return {{}, WbCheckStatus::Pass, {}, 0};
}

} // namespace

std::vector<WbCheckResult> WbInterpretChild(const WbCheckGroup& group, const std::vector<std::string>& lines,
                                            const WbChildEnd& end, int64_t timeoutMs)
{
    std::map<std::string, WbCheckResult> reported;
    std::string running;
    std::string lastWords;
    for (const std::string& line : lines) {
        const auto [kind, rest] = SplitWord(line);
        if (kind == "B") {
            running = rest;
        } else if (kind == "R") {
            std::istringstream fields(rest);
            std::string word, check;
            int64_t milliseconds = 0;
            fields >> word >> check >> milliseconds;
            const std::optional<WbCheckStatus> status = WbStatusFromWord(word);
            std::string message;
            std::getline(fields >> std::ws, message);
            if (status && !fields.bad())
                reported[check] = {check, *status, message, milliseconds};
            if (check == running)
                running.clear();
        } else if (kind == "X") {
            lastWords = rest;
        }
    }
    WbCheckResult death = DeathOf(lastWords, end, timeoutMs);
    const bool died = death.status != WbCheckStatus::Pass;
    std::string deadCheck;
    std::vector<WbCheckResult> results;
    for (const char* check : group.checks) {
        if (const auto found = reported.find(check); found != reported.end()) {
            results.push_back(found->second);
            continue;
        }
        if (died && deadCheck.empty() && (running.empty() || running == check)) {
            deadCheck = check;
            death.check = check;
            results.push_back(death);
            continue;
        }
        results.push_back({check, WbCheckStatus::Skip,
                           deadCheck.empty() ? "not run after an earlier check of the group failed"
                                             : "not run: the group's child died in " + deadCheck,
                           0});
    }
    return results;
}

void WbKillRunningChild()
{
    if (const pid_t child = gRunningChild.load(); child > 0)
        ::kill(-child, SIGKILL);
}

namespace {

// One child from fork to its reaping.
class WbGroupProcess final {
public:
    WbGroupProcess(const std::string& selfPath, const std::vector<std::string>& arguments)
    {
        int results[2];
        int output[2];
        if (::pipe2(results, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
        if (::pipe2(output, O_CLOEXEC) != 0) {
            ::close(results[0]);
            ::close(results[1]);
            throw std::runtime_error(std::string("cannot make a pipe: ") + std::strerror(errno));
        }
        std::vector<char*> argv;
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        mPid = ::fork();
        if (mPid == 0) {
            ::setpgid(0, 0);
            const int nothing = ::open("/dev/null", O_RDONLY);
            ::dup2(nothing, 0);
            ::dup2(output[1], 1);
            ::dup2(output[1], 2);
            ::dup2(results[1], 3);
            ::execv(selfPath.c_str(), argv.data());
            ::_exit(127);
        }
        ::close(results[1]);
        ::close(output[1]);
        mResults = results[0];
        mOutput = output[0];
        if (mPid < 0) {
            Close();
            throw std::runtime_error(std::string("cannot start a child: ") + std::strerror(errno));
        }
        // Set from both sides, so that a kill of the group never misses the child, whichever runs first.
        ::setpgid(mPid, mPid);
        gRunningChild = mPid;
    }
    WbGroupProcess(const WbGroupProcess&) = delete;
    WbGroupProcess& operator=(const WbGroupProcess&) = delete;
    ~WbGroupProcess()
    {
        if (mPid > 0)
            Reap(true);
        Close();
    }

    // Reads until both pipes end or the time runs out; lines and output go to the callbacks. False on timeout.
    template <typename OnLine> bool Read(Clock::time_point& deadline, std::string& output, OnLine&& onLine)
    {
        while (mResults >= 0 || mOutput >= 0) {
            const int64_t left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0)
                return false;
            pollfd watched[2] = {{mResults, POLLIN, 0}, {mOutput, POLLIN, 0}};
            const int ready = ::poll(watched, 2, int(std::min<int64_t>(left, 1000)));
            if (ready < 0 && errno != EINTR)
                throw std::runtime_error(std::string("cannot watch a child: ") + std::strerror(errno));
            if (ready <= 0)
                continue;
            if (watched[0].revents)
                ReadLines(onLine);
            if (watched[1].revents)
                ReadOutput(output);
        }
        return true;
    }

    // Kills the whole process group (whatever the module started goes too) and waits for the child.
    WbChildEnd Reap(bool timedOut)
    {
        ::kill(-mPid, SIGKILL);
        int status = 0;
        while (::waitpid(mPid, &status, 0) < 0 && errno == EINTR) {
        }
        gRunningChild = 0;
        mPid = -1;
        if (timedOut)
            return {WbChildEnd::Kind::TimedOut, 0};
        if (WIFSIGNALED(status))
            return {WbChildEnd::Kind::Signalled, WTERMSIG(status)};
        return {WbChildEnd::Kind::Exited, WEXITSTATUS(status)};
    }

    // Asks a child that is out of time to say where it is.
    void AskWhere() const { ::kill(mPid, SIGUSR1); }

private:
    template <typename OnLine> void ReadLines(OnLine&& onLine)
    {
        char buffer[4096];
        const ssize_t count = ::read(mResults, buffer, sizeof buffer);
        if (count <= 0) {
            if (count == 0 || errno != EINTR)
                CloseOne(mResults);
            return;
        }
        mPending.append(buffer, size_t(count));
        for (size_t end; (end = mPending.find('\n')) != std::string::npos;) {
            onLine(mPending.substr(0, end));
            mPending.erase(0, end + 1);
        }
    }
    void ReadOutput(std::string& output)
    {
        char buffer[4096];
        const ssize_t count = ::read(mOutput, buffer, sizeof buffer);
        if (count <= 0) {
            if (count == 0 || errno != EINTR)
                CloseOne(mOutput);
            return;
        }
        if (output.size() < kMaxOutputBytes)
            output.append(buffer, std::min(size_t(count), kMaxOutputBytes - output.size()));
    }
    static void CloseOne(int& descriptor)
    {
        if (descriptor >= 0)
            ::close(descriptor);
        descriptor = -1;
    }
    void Close()
    {
        CloseOne(mResults);
        CloseOne(mOutput);
    }

    pid_t mPid = -1;
    int mResults = -1;
    int mOutput = -1;
    std::string mPending;
};

} // namespace

WbGroupRun WbRunGroupChild(const std::string& selfPath, const WbValidateOptions& options, const WbCheckGroup& group,
                           uint64_t seed, const std::function<void(int checksDone)>& progress)
{
    const std::vector<std::string> arguments = {selfPath,          "validate",
                                                "--child",         group.name,
                                                "--result-fd",     "3",
                                                "--strictness",    std::to_string(options.strictness),
                                                "--seed",          std::to_string(seed),
                                                options.modulePath};
    WbGroupRun run{group.name, seed, {}, {}, 0};
    const auto start = Clock::now();
    std::vector<std::string> lines;
    int checksDone = 0;
    int64_t lastBeginMs = 0;
    auto deadline = start + std::chrono::milliseconds(options.timeoutMs);
    WbChildEnd end;
    {
        WbGroupProcess child(selfPath, arguments);
        auto onLine = [&](const std::string& line) {
            lines.push_back(line);
            if (line.rfind("X ", 0) == 0)
                return;
            deadline = Clock::now() + std::chrono::milliseconds(options.timeoutMs);
            if (line.rfind("B ", 0) == 0)
                lastBeginMs = MillisecondsSince(start);
            if (line.rfind("R ", 0) == 0)
                ++checksDone;
            if (line == "P" || line.rfind("R ", 0) == 0)
                progress(checksDone);
        };
        if (child.Read(deadline, run.output, onLine)) {
            end = child.Reap(false);
        } else {
            child.AskWhere();
            auto grace = Clock::now() + std::chrono::milliseconds(kHangReportMs);
            child.Read(grace, run.output, [&lines](const std::string& line) { lines.push_back(line); });
            end = child.Reap(true);
        }
    }
    run.milliseconds = MillisecondsSince(start);
    run.results = WbInterpretChild(group, lines, end, options.timeoutMs);
    for (WbCheckResult& result : run.results)
        if (result.status == WbCheckStatus::Crash || result.status == WbCheckStatus::Hang ||
            result.status == WbCheckStatus::Memory)
            result.milliseconds = run.milliseconds - lastBeginMs;
    return run;
}
