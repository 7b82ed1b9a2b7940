// Folders of a test's own and programs started in them with their streams caught: native or under Wine.
#pragma once

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

inline std::string Slurp(const std::filesystem::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

// A folder of the test's own, removed with all in it (one test runs at a time in a test program).
class TempFolder {
public:
    explicit TempFolder(const std::string& name)
        : mPath(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(::getpid())))
    {
        std::filesystem::create_directories(mPath);
    }
    ~TempFolder() { std::filesystem::remove_all(mPath); }

    std::string File(const std::string& name) const { return (mPath / name).string(); }
    std::string WriteFile(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(File(name), std::ios::binary) << bytes;
        return File(name);
    }

    const std::filesystem::path mPath;
};

struct Outcome {
    int exitCode = -1;
    std::string out, err;
};

// Starts the program (looked up on PATH unless the first argument names a file) in the folder, so that its
// relative paths land there; its standard output goes to the descriptor given, or to stdout.txt there, and its
// errors to stderr.txt. Returns the child's process ID, 0 when it could not be started.
inline pid_t StartInFolder(std::vector<std::string> arguments, const std::filesystem::path& folder, int outFd = -1)
{
    std::vector<char*> argv;
    for (std::string& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    if (outFd >= 0)
        posix_spawn_file_actions_adddup2(&actions, outFd, 1);
    else
        posix_spawn_file_actions_addopen(&actions, 1, "stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t child = 0;
    if (posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        child = 0;
    posix_spawn_file_actions_destroy(&actions);
    return child;
}

inline int ExitCodeOf(int status) { return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status); }

inline Outcome RunInFolder(std::vector<std::string> arguments, const std::filesystem::path& folder)
{
    Outcome outcome;
    if (const pid_t child = StartInFolder(std::move(arguments), folder)) {
        int status = 0;
        ::waitpid(child, &status, 0);
        outcome.exitCode = ExitCodeOf(status);
    }
    outcome.out = Slurp(folder / "stdout.txt");
    outcome.err = Slurp(folder / "stderr.txt");
    return outcome;
}
