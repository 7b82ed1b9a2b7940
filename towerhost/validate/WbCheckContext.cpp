// The child's side of a group run: the handlers that turn a crash, the validator's question after a timeout
// and an exhausted memory limit into a last line on the result descriptor, naming the host's last call into
// the module; and the result channel, whole lines written straight to the descriptor, so that nothing the
// module prints and nothing buffered is lost or mixed in when the child dies.
#include "WbCheckContext.h"

#include "WbAllocationWatch.h"
#include "WbHostCallRing.h"

#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>

WbCheckContext::WbCheckContext(std::string modulePath, int strictness, uint64_t seed, int resultDescriptor)
    : mModulePath(std::move(modulePath)), mStrictness(strictness), mSeed(seed), mResultDescriptor(resultDescriptor)
{
}

std::string WbCheckContext::ResultLine(WbCheckStatus status, const std::string& check, int64_t milliseconds,
                                       const std::string& message)
{
    std::string line = std::string("R ") + WbStatusWord(status) + " " + check + " " + std::to_string(milliseconds);
    if (!message.empty())
        line += " ";
    for (char c : message)
        line += (c == '\n' || c == '\r') ? ' ' : c;
    return line;
}

bool WbCheckContext::Check(const char* name, const std::function<WbCheckVerdict()>& check)
{
    Send(std::string("B ") + name);
    const auto start = std::chrono::steady_clock::now();
    WbCheckVerdict verdict;
    try {
        verdict = check();
    } catch (const WbCheckFailure& failure) {
        verdict = {WbCheckStatus::Fail, failure.what()};
    } catch (const std::exception& error) {
        verdict = {WbCheckStatus::Fail, std::string("an exception reached the host: ") + error.what()};
    } catch (...) {
        verdict = {WbCheckStatus::Fail, "an exception of no standard type reached the host"};
    }
    const auto elapsed = std::chrono::steady_clock::now() - start;
    Send(ResultLine(verdict.status, name, std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count(),
                    verdict.message));
    return !WbIsFailure(verdict.status);
}

void WbCheckContext::Progress() { Send("P"); }

void WbCheckContext::Send(const std::string& line) const
{
    const std::string whole = line + "\n";
    size_t written = 0;
    while (written < whole.size()) {
        const ssize_t count = ::write(mResultDescriptor, whole.data() + written, whole.size() - written);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return;
        written += size_t(count);
    }
}

#if defined(__SANITIZE_ADDRESS__)
#define WB_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define WB_ADDRESS_SANITIZER 1
#endif
#endif

namespace {

// The heap a child may hold through operator new before it counts as having exhausted its memory.
constexpr size_t kChildMemoryBytes = size_t(1) << 30;
constexpr int kHangExit = 4;

int gResultDescriptor = -1;
char gSignalStack[64 * 1024];

void WriteText(const char* text)
{
    [[maybe_unused]] const ssize_t written = ::write(gResultDescriptor, text, std::strlen(text));
}

void WriteNumber(int value)
{
    char digits[16];
    char* end = digits + sizeof digits - 1;
    *end = '\0';
    unsigned rest = unsigned(value);
    do {
        *--end = char('0' + rest % 10);
        rest /= 10;
    } while (rest);
    WriteText(end);
}

void WriteLastCall()
{
    const char* call = WbHostCallRing::Recent(0);
    WriteText(call ? call : "-");
    WriteText("\n");
}

// The handler is reset as it runs, so raising the signal again ends the child by it, as the validator
// expects to see.
void OnCrash(int signal)
{
    WriteText("X CRASH ");
    WriteNumber(signal);
    WriteText(" ");
    WriteLastCall();
    ::raise(signal);
}

void OnAskedWhere(int)
{
    WriteText("X HANG - ");
    WriteLastCall();
    ::_exit(kHangExit);
}

void InstallHandlers()
{
    // A module that overflows its stack still gets its line written, from a stack of the handler's own.
    stack_t alternate{};
    alternate.ss_sp = gSignalStack;
    alternate.ss_size = sizeof gSignalStack;
    ::sigaltstack(&alternate, nullptr);
    struct sigaction crash {};
    crash.sa_handler = OnCrash;
    crash.sa_flags = SA_RESETHAND | SA_NODEFER | SA_ONSTACK;
    for (int signal : {SIGSEGV, SIGBUS, SIGFPE, SIGILL, SIGABRT, SIGTRAP, SIGSYS})
        ::sigaction(signal, &crash, nullptr);
    struct sigaction where {};
    where.sa_handler = OnAskedWhere;
    where.sa_flags = SA_ONSTACK;
    ::sigaction(SIGUSR1, &where, nullptr);
}

// The heap limit holds in every build. An address-space limit holds only without AddressSanitizer, whose
// shadow memory reserves far more address space than any limit would leave.
void LimitMemory()
{
    WbAllocationWatch::LimitMemory(kChildMemoryBytes, gResultDescriptor);
#if !defined(WB_ADDRESS_SANITIZER)
    // The heap limit, the program, its libraries and room for the module's own malloc.
    constexpr rlim_t kChildAddressSpace = rlim_t(4) << 30;
    const rlimit limit{kChildAddressSpace, kChildAddressSpace};
    ::setrlimit(RLIMIT_AS, &limit);
#endif
}

} // namespace

int WbRunChildGroup(const WbValidateOptions& options)
{
    gResultDescriptor = options.resultDescriptor;
    // What the module prints reaches the log even when it dies the next moment.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    InstallHandlers();
    LimitMemory();
    const WbCheckGroup* group = WbFindCheckGroup(options.childGroup);
    WbCheckContext context(options.modulePath, options.strictness, options.seed, options.resultDescriptor);
    group->run(context);
    std::fflush(nullptr);
    return 0;
}
