// The temporary file of a save: it never outlives the write, not even when the program is interrupted.
#include "WbTemporaryFile.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class TemporaryFile : public ::testing::Test {
protected:
    TemporaryFile() { std::filesystem::create_directories(mDirectory); }
    ~TemporaryFile() override { std::filesystem::remove_all(mDirectory); }

    std::string File(const std::string& name) const { return (mDirectory / name).string(); }
    size_t FileCount() const { return size_t(std::distance(std::filesystem::directory_iterator(mDirectory), {})); }

private:
    const std::filesystem::path mDirectory =
        std::filesystem::temp_directory_path() / ("temporary-file-" + std::to_string(::getpid()));
};

TEST_F(TemporaryFile, IsRemovedWhenTheProgramIsInterruptedWhileWriting)
{
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        EXPECT_EXIT(
            {
                const WbTemporaryFile file(File("tower.save"));
                ::raise(signal);
            },
            ::testing::KilledBySignal(signal), "");
        EXPECT_EQ(FileCount(), 0u);
    }
}

// A new file gets an ordinary file's permissions; one that replaces a file keeps that file's.
TEST_F(TemporaryFile, HasTheModeOfANewFileOrOfTheFileItReplaces)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    const WbTemporaryFile fresh(File("new.save"));
    EXPECT_EQ(std::filesystem::status(fresh.GetPath()).permissions(), std::filesystem::perms(0666 & ~mask));
    std::ofstream(File("tower.save")) << "older";
    std::filesystem::permissions(File("tower.save"), std::filesystem::perms(0640));
    WbTemporaryFile file(File("tower.save"));
    EXPECT_EQ(std::filesystem::status(file.GetPath()).permissions(), std::filesystem::perms(0640));
}

TEST_F(TemporaryFile, FollowsAChainOfLinksToTheFileTheyName)
{
    std::filesystem::create_directory(File("saves"));
    std::filesystem::create_symlink("saves/tower.save", File("first"));
    std::filesystem::create_symlink(File("first"), File("second"));
    EXPECT_EQ(WbTemporaryFile::FinalTarget(File("second")), File("saves/tower.save"));
    std::filesystem::create_symlink("loop", File("loop"));
    EXPECT_EQ(WbTemporaryFile::FinalTarget(File("loop")), File("loop"));
}

} // namespace
