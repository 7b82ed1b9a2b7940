// The platform part of saving: a WbTemporaryFile, fsync and rename natively; CreateFile, FlushFileBuffers
// and MoveFileEx on Windows.
#include "WbReplaceFile.h"

#include <algorithm>
#include <utility>

#if defined(_WIN32)
#include "WbLastErrorText.h"
#else
#include "WbTemporaryFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <system_error>
#include <unistd.h>
#endif

namespace {

#if defined(_WIN32)

using Handle = HANDLE;
const Handle kNoHandle = INVALID_HANDLE_VALUE;

void CloseQuietly(Handle handle) { CloseHandle(handle); }

std::string SystemError(const std::string& what) { return what + ": " + WbLastErrorText(); }

#else

using Handle = int;
const Handle kNoHandle = -1;

void CloseQuietly(Handle handle) { ::close(handle); }

std::string SystemError(const std::string& what) { return what + ": " + std::strerror(errno); }

#endif

// Closes the file on every path out of WbReplaceFile.
class FileHandle final {
public:
    explicit FileHandle(Handle handle) : mHandle(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle()
    {
        if (mHandle != kNoHandle)
            CloseQuietly(mHandle);
    }
    Handle Get() const { return mHandle; }
    Handle Release() { return std::exchange(mHandle, kNoHandle); }

private:
    Handle mHandle;
};

// A step of the replacement that failed, with the system's reason.
struct StepFailed {
    std::string message;
};

#if defined(_WIN32)

// A new file beside the path, named after this process, so that two hosts saving side by side do not meet.
Handle CreateTemporary(const std::string& path, std::string& temporary)
{
    for (unsigned attempt = 0;; ++attempt) {
        temporary = path + "." + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(attempt);
        Handle handle =
            CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle != kNoHandle || GetLastError() != ERROR_FILE_EXISTS || attempt == 100)
            return handle;
    }
}

void WriteAll(Handle file, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size(), size_t(1) << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr) || written == 0)
            throw StepFailed{SystemError("cannot be written")};
        bytes = bytes.subspan(written);
    }
}

bool Flush(Handle file) { return FlushFileBuffers(file); }
bool Close(Handle file) { return CloseHandle(file); }
// Write-through returns once the replacement is on the disk.
bool Replace(const std::string& from, const std::string& to)
{
    return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}
void Remove(const std::string& path) { DeleteFileA(path.c_str()); }
void FlushFolderOf(const std::string&) {}

#else

void WriteAll(Handle descriptor, std::span<const uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(descriptor, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            throw StepFailed{SystemError("cannot be written")};
        bytes = bytes.subspan(size_t(written));
    }
}

bool Flush(Handle file) { return ::fsync(file) == 0; }

// The rename itself is durable only once the directory is flushed as well.
void FlushFolderOf(const std::string& path)
{
    const std::string folder = std::filesystem::path(path).parent_path().string();
    FileHandle directory(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY));
    if (directory.Get() >= 0)
        ::fsync(directory.Get());
}

#endif

} // namespace

#if defined(_WIN32)

std::string WbReplaceFile(const std::string& path, std::span<const uint8_t> bytes)
{
    std::string temporary;
    FileHandle file(CreateTemporary(path, temporary));
    if (file.Get() == kNoHandle)
        return SystemError("no temporary file beside it");
    try {
        WriteAll(file.Get(), bytes);
        if (!Flush(file.Get()))
            throw StepFailed{SystemError("cannot be flushed to the disk")};
        if (!Close(file.Release()))
            throw StepFailed{SystemError("cannot be closed")};
        if (!Replace(temporary, path))
            throw StepFailed{SystemError("cannot replace it")};
    } catch (const StepFailed& failed) {
        Remove(temporary);
        return failed.message;
    }
    FlushFolderOf(path);
    return {};
}

std::string WbReplacedFile(const std::string& path) { return path; }

#else

std::string WbReplaceFile(const std::string& path, std::span<const uint8_t> bytes)
{
    const std::string target = WbReplacedFile(path);
    std::optional<WbTemporaryFile> file;
    try {
        file.emplace(target);
    } catch (const std::system_error& error) {
        return "no temporary file beside it: " + std::string(std::strerror(error.code().value()));
    }
    // The temporary file removes itself on every way out but the last.
    try {
        WriteAll(file->GetDescriptor(), bytes);
        if (!Flush(file->GetDescriptor()))
            throw StepFailed{SystemError("cannot be flushed to the disk")};
        if (!file->Close())
            throw StepFailed{SystemError("cannot be closed")};
        if (!file->MoveTo(target))
            throw StepFailed{SystemError("cannot replace it")};
    } catch (const StepFailed& failed) {
        return failed.message;
    }
    FlushFolderOf(target);
    return {};
}

std::string WbReplacedFile(const std::string& path) { return WbTemporaryFile::FinalTarget(path); }

#endif
