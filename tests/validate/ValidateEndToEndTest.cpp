// The validator as a person runs it: the built program on the built module and on a damaged copy of it, with
// what it prints, its exit code, its log and JUnit file, and no child of it left behind.
#include "HostProcess.h"

#include <dirent.h>

#include <regex>

namespace {

const std::string kModule = THEATER_BIN_DIR "/Theater.wbp";

class ValidateEndToEnd : public HostProcess {
protected:
    // A copy of the built module cut at half: its headers promise what the file no longer holds.
    std::string TruncatedModule() const
    {
        const std::string whole = Slurp(kModule);
        return WriteFile("Truncated.wbp", whole.substr(0, whole.size() / 2));
    }

    // Every process still running whose command line names the path.
    static std::vector<std::string> ProcessesNaming(const std::string& path)
    {
        std::vector<std::string> found;
        DIR* proc = ::opendir("/proc");
        while (dirent* entry = proc ? ::readdir(proc) : nullptr) {
            if (!std::isdigit(static_cast<unsigned char>(entry->d_name[0])))
                continue;
            std::string commandLine = Slurp(std::string("/proc/") + entry->d_name + "/cmdline");
            std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
            const std::string status = Slurp(std::string("/proc/") + entry->d_name + "/stat");
            const size_t close = status.rfind(')');
            const bool zombie = close != std::string::npos && close + 2 < status.size() && status[close + 2] == 'Z';
            if (!zombie && commandLine.find(path) != std::string::npos)
                found.push_back(std::string(entry->d_name) + ": " + commandLine);
        }
        if (proc)
            ::closedir(proc);
        return found;
    }
};

} // namespace

TEST_F(ValidateEndToEnd, TheBuiltModulePassesItsFirstGroupsWithTheSeedFirst)
{
    const Outcome outcome = Run(
        {"validate", kModule, "--strictness", "2", "--seed", "4242", "--log", File("v.log"), "--junit", File("v.xml")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out << outcome.err;
    EXPECT_TRUE(std::regex_match(outcome.out, std::regex("validate: seed 4242\n"
                                                         "validate: 13 checks, 13 passed, 0 failed, 0 warnings "
                                                         "\\([0-9]+\\.[0-9] s\\)\n")))
        << outcome.out;
    // Standard error is no terminal here: no progress.
    EXPECT_EQ(outcome.err, "");
    const std::string log = Slurp(File("v.log"));
    EXPECT_EQ(log.rfind("validate: seed 4242\nmodule: " + kModule + "\n", 0), 0u) << log;
    EXPECT_TRUE(std::regex_search(log, std::regex("\nsha256: [0-9a-f]{64}\nstrictness: 2\n"))) << log;
    for (const char* group : {"[file]", "[entry]", "[resources]"})
        EXPECT_NE(log.find(group), std::string::npos) << group;
    EXPECT_EQ(log.find("[day]"), std::string::npos);
    const std::string xml = Slurp(File("v.xml"));
    EXPECT_NE(xml.find("<testsuite name=\"entry\" tests=\"6\" failures=\"0\""), std::string::npos) << xml;
}

TEST_F(ValidateEndToEnd, ADamagedModuleStopsAfterItsFirstFailedGroupUnlessToldToGoOn)
{
    const std::string truncated = TruncatedModule();
    const Outcome stopped = Run({"validate", truncated, "--seed", "1", "--log", File("stop.log")});
    EXPECT_EQ(stopped.exitCode, 1);
    EXPECT_NE(stopped.out.find("FAIL file/format: \"Truncated.wbp\": cut short"), std::string::npos) << stopped.out;
    EXPECT_EQ(stopped.out.find("entry/"), std::string::npos) << stopped.out;
    EXPECT_EQ(Slurp(File("stop.log")).find("[entry]"), std::string::npos);

    const Outcome goingOn = Run({"validate", truncated, "--seed", "1", "--only", "entry", "--keep-going"});
    EXPECT_EQ(goingOn.exitCode, 1);
    EXPECT_NE(goingOn.out.find("FAIL entry/attributes: the module does not load"), std::string::npos) << goingOn.out;
    EXPECT_TRUE(ProcessesNaming(truncated).empty());
}

TEST_F(ValidateEndToEnd, AGroupOutOfTimeIsAHangAndTheRunStillEndsWithItsReports)
{
    const Outcome outcome = Run({"validate", kModule, "--only", "stress", "--strictness", "10", "--timeout-ms", "300",
                                 "--seed", "5", "--log", File("hang.log"), "--junit", File("hang.xml")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_NE(outcome.out.find("HANG stress/random-towers: killed after 300 ms"), std::string::npos) << outcome.out;
    EXPECT_NE(Slurp(File("hang.log")).find("  HANG stress/random-towers: killed after 300 ms"), std::string::npos);
    EXPECT_NE(Slurp(File("hang.xml")).find("<failure type=\"HANG\""), std::string::npos);
    EXPECT_TRUE(ProcessesNaming("--child stress").empty());
}

TEST_F(ValidateEndToEnd, RepeatedRunsTakeTheNextSeeds)
{
    const Outcome outcome =
        Run({"validate", kModule, "--only", "file", "--repeat", "2", "--seed", "10", "--log", File("r.log")});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.out;
    const std::string log = Slurp(File("r.log"));
    EXPECT_NE(log.find("[file] seed 10,"), std::string::npos) << log;
    EXPECT_NE(log.find("[file] seed 11,"), std::string::npos) << log;
    EXPECT_NE(outcome.out.find("validate: 8 checks, 8 passed"), std::string::npos) << outcome.out;
}
