// The built towerhost program run in a directory of the test's own, where relative output paths land.
#pragma once

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <set>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

inline const std::string kTowerHost = THEATER_BIN_DIR "/towerhost";
inline const std::string kScenarios = THEATER_SOURCE_DIR "/tests/scenarios/";

inline std::string Slurp(const std::filesystem::path& path)
{
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

class HostProcess : public ::testing::Test {
protected:
    HostProcess() { std::filesystem::create_directories(mDirectory); }
    ~HostProcess() override { std::filesystem::remove_all(mDirectory); }

    std::string File(const std::string& name) const { return (mDirectory / name).string(); }

    std::string WriteFile(const std::string& name, const std::string& text) const
    {
        std::ofstream(File(name), std::ios::binary) << text;
        return File(name);
    }

    Outcome Run(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), kTowerHost);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        // The outputs are opened after the change of directory, so that they land in the test's own.
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, mDirectory.c_str());
        posix_spawn_file_actions_addopen(&actions, 1, "stdout.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, "stderr.txt", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t child = 0;
        Outcome outcome;
        if (posix_spawn(&child, kTowerHost.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            ::waitpid(child, &status, 0);
            outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        outcome.out = Slurp(File("stdout.txt"));
        outcome.err = Slurp(File("stderr.txt"));
        return outcome;
    }

    // The trace's lines of the given kinds ("*" for all), as the program wrote them, and parsed.
    std::vector<std::string> TraceLines(const std::string& name, const std::set<std::string>& kinds) const
    {
        std::vector<std::string> lines;
        std::istringstream text(Slurp(File(name)));
        for (std::string line; std::getline(text, line);)
            if (kinds.contains("*") || kinds.contains(nlohmann::json::parse(line)["event"].get<std::string>()))
                lines.push_back(line);
        return lines;
    }
    std::vector<nlohmann::json> Events(const std::string& name, const std::set<std::string>& kinds) const
    {
        std::vector<nlohmann::json> events;
        for (const std::string& line : TraceLines(name, kinds))
            events.push_back(nlohmann::json::parse(line));
        return events;
    }

private:
    // One test runs at a time in a test program, and each cleans up after itself.
    const std::filesystem::path mDirectory =
        std::filesystem::temp_directory_path() / ("towerhost-" + std::to_string(::getpid()));
};
