// The temporary file of a save: created with the mode the saved file is to have, and removed again on
// every way out, a SIGINT, SIGTERM or SIGHUP included.
#include "WbTemporaryFile.h"

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// The signals that end the program while it may be writing a save.
constexpr std::array<int, 3> kEndingSignals = {SIGINT, SIGTERM, SIGHUP};

// The temporary file the handler removes; a handler may only read plain memory, so the path is copied here.
char gPendingPath[4096];
std::array<struct sigaction, kEndingSignals.size()> gPreviousActions;

void RemovePendingFile(int signal)
{
    ::unlink(gPendingPath);
    // The action was reset to the default on entry: the signal now ends the program as it would have.
    ::raise(signal);
}

// The file is created with the ending signals held back and its name is known to the handler before they
// are let through again, so that no moment leaves it behind.
int CreateWatched(std::string& path)
{
    sigset_t ending;
    sigset_t previousMask;
    sigemptyset(&ending);
    for (int signal : kEndingSignals)
        sigaddset(&ending, signal);
    ::sigprocmask(SIG_BLOCK, &ending, &previousMask);
    const int descriptor = ::mkstemp(path.data());
    const int error = errno;
    if (descriptor >= 0) {
        std::strncpy(gPendingPath, path.c_str(), sizeof gPendingPath - 1);
        struct sigaction action {};
        action.sa_handler = RemovePendingFile;
        action.sa_flags = SA_RESETHAND;
        sigemptyset(&action.sa_mask);
        for (size_t i = 0; i < kEndingSignals.size(); ++i)
            ::sigaction(kEndingSignals[i], &action, &gPreviousActions[i]);
    }
    ::sigprocmask(SIG_SETMASK, &previousMask, nullptr);
    errno = error;
    return descriptor;
}

void StopWatchingSignals()
{
    for (size_t i = 0; i < kEndingSignals.size(); ++i)
        ::sigaction(kEndingSignals[i], &gPreviousActions[i], nullptr);
    gPendingPath[0] = '\0';
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// What an ordinary file created at target would get: the existing file's permissions, or 0666 less the umask.
mode_t ModeFor(const std::string& target)
{
    struct stat status;
    if (::stat(target.c_str(), &status) == 0)
        return status.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

WbTemporaryFile::WbTemporaryFile(const std::string& target) : mPath(target + ".XXXXXX")
{
    if (mPath.size() >= sizeof gPendingPath)
        throw std::system_error(ENAMETOOLONG, std::generic_category());
    mDescriptor = CreateWatched(mPath);
    if (mDescriptor < 0) {
        const int error = errno;
        mPath.clear();
        throw std::system_error(error, std::generic_category());
    }
    if (::fchmod(mDescriptor, ModeFor(target)) != 0) {
        const int error = errno;
        Close();
        ::unlink(mPath.c_str());
        StopWatchingSignals();
        throw std::system_error(error, std::generic_category());
    }
}

WbTemporaryFile::~WbTemporaryFile()
{
    Close();
    if (!mPath.empty())
        ::unlink(mPath.c_str());
    StopWatchingSignals();
}

bool WbTemporaryFile::Close()
{
    if (mDescriptor < 0)
        return true;
    const int descriptor = mDescriptor;
    mDescriptor = -1;
    return ::close(descriptor) == 0;
}

bool WbTemporaryFile::MoveTo(const std::string& target)
{
    if (::rename(mPath.c_str(), target.c_str()) != 0)
        return false;
    mPath.clear();
    return true;
}

std::string WbTemporaryFile::FinalTarget(const std::string& path)
{
    // As many links as the system itself follows before it gives up on a loop.
    constexpr int kMostLinks = 40;
    std::filesystem::path current = path;
    for (int links = 0; links < kMostLinks; ++links) {
        std::error_code error;
        if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error)))
            return current.string();
        const std::filesystem::path pointed = std::filesystem::read_symlink(current, error);
        if (error)
            return current.string();
        current = pointed.is_absolute() ? pointed : std::filesystem::path(DirectoryOf(current.string())) / pointed;
    }
    return current.string();
}
