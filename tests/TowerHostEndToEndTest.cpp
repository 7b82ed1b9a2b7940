// The built towerhost program run on small scenarios: its trace, report, save files and messages.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

const std::string kProgram = THEATER_BIN_DIR "/towerhost";
const std::string kScenarios = THEATER_SOURCE_DIR "/tests/scenarios/";

struct Outcome {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// A directory of its own for each test, removed afterwards.
class TowerHostRun : public ::testing::Test {
protected:
    TowerHostRun()
        : mDirectory(std::filesystem::temp_directory_path() /
                     ("towerhost-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        std::filesystem::create_directories(mDirectory);
    }
    ~TowerHostRun() override { std::filesystem::remove_all(mDirectory); }

    std::string File(const std::string& name) const { return (mDirectory / name).string(); }

    std::string WriteFile(const std::string& name, const std::string& text) const
    {
        std::ofstream(File(name), std::ios::binary) << text;
        return File(name);
    }

    Outcome Run(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), kProgram);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const std::string outPath = File("stdout.txt");
        const std::string errPath = File("stderr.txt");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t child = 0;
        Outcome outcome;
        if (posix_spawn(&child, kProgram.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            ::waitpid(child, &status, 0);
            outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        outcome.out = Slurp(outPath);
        outcome.err = Slurp(errPath);
        return outcome;
    }

    nlohmann::json Report(const std::string& name) const { return nlohmann::json::parse(Slurp(File(name))); }

    // The trace's lines of the given kinds ("*" for all), as the program wrote them.
    std::vector<std::string> Trace(const std::string& name, const std::vector<std::string>& kinds) const
    {
        std::vector<std::string> lines;
        std::istringstream text(Slurp(File(name)));
        for (std::string line; std::getline(text, line);) {
            const nlohmann::json event = nlohmann::json::parse(line);
            for (const std::string& kind : kinds)
                if (kind == "*" || event["event"] == kind)
                    lines.push_back(line);
        }
        return lines;
    }

private:
    std::filesystem::path mDirectory;
};

nlohmann::json Parsed(const std::string& line) { return nlohmann::json::parse(line); }

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST_F(TowerHostRun, TheFirstDayOfAFilmRunsItsFourShowsAndBooksTheIncomeOnce)
{
    const Outcome outcome = Run({kScenarios + "one-film-immediate.json", "--trace", File("trace.jsonl"), "--report",
                                 File("report.json"), "--quiet"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "");

    std::vector<std::string> roxy;
    for (const std::string& line : Trace("trace.jsonl", {"status", "clear_reserve", "collect", "push_out_customers",
                                                         "push_out_all", "record", "book"})) {
        const nlohmann::json event = Parsed(line);
        if (event["theater"] == 1 && !(event["event"] == "book" && event["amount"] == 0))
            roxy.push_back(line);
    }
    // Customers called at a minute arrive at the next, so every show is full to its target of 40, the
    // film's first-day audience.
    EXPECT_EQ(Joined(roxy), R"({"day":1,"minute":600,"theater":1,"event":"clear_reserve"}
{"day":1,"minute":600,"theater":1,"event":"collect","count":40}
{"day":1,"minute":600,"theater":1,"event":"status","from":10,"to":30,"pattern":1}
{"day":1,"minute":630,"theater":1,"event":"status","from":30,"to":32,"pattern":3}
{"day":1,"minute":750,"theater":1,"event":"push_out_customers","count":40}
{"day":1,"minute":750,"theater":1,"event":"collect","count":40}
{"day":1,"minute":750,"theater":1,"event":"status","from":32,"to":30,"pattern":1}
{"day":1,"minute":780,"theater":1,"event":"status","from":30,"to":32,"pattern":3}
{"day":1,"minute":900,"theater":1,"event":"push_out_customers","count":40}
{"day":1,"minute":900,"theater":1,"event":"collect","count":40}
{"day":1,"minute":900,"theater":1,"event":"status","from":32,"to":30,"pattern":1}
{"day":1,"minute":930,"theater":1,"event":"status","from":30,"to":32,"pattern":3}
{"day":1,"minute":1050,"theater":1,"event":"push_out_customers","count":40}
{"day":1,"minute":1050,"theater":1,"event":"collect","count":40}
{"day":1,"minute":1050,"theater":1,"event":"status","from":32,"to":30,"pattern":1}
{"day":1,"minute":1080,"theater":1,"event":"status","from":30,"to":32,"pattern":3}
{"day":1,"minute":1200,"theater":1,"event":"push_out_customers","count":40}
{"day":1,"minute":1200,"theater":1,"event":"record","film":"RAIN","value":40}
{"day":1,"minute":1200,"theater":1,"event":"push_out_all"}
{"day":1,"minute":1200,"theater":1,"event":"status","from":32,"to":10,"pattern":0}
{"day":1,"minute":1320,"theater":1,"event":"book","amount":-1600,"category":3}
)");
    // The booking window is eight minutes wide; only its first pass finds income left to book.
    EXPECT_EQ(Trace("trace.jsonl", {"book"}).size(), 16u);

    const nlohmann::json report = Report("report.json");
    EXPECT_EQ(report["day"], 2);
    EXPECT_EQ(report["minute"], 0);
    EXPECT_EQ(report["funds"], 100000 + 1600);
    EXPECT_EQ(report["day_base"], 1);
    const nlohmann::json& theater = report["theaters"][0];
    EXPECT_EQ(theater["status"], 10);
    EXPECT_EQ(theater["film"], "RAIN");
    // The save record: length 20, film "RAIN", target 40, best attendance 40, one show day, spare 0.
    EXPECT_EQ(theater["extra_data"], "14000000"
                                     "4e494152"
                                     "28000000"
                                     "28000000"
                                     "01000000"
                                     "00000000");
    EXPECT_EQ(report["films"][0], (nlohmann::json{{"id", "RAIN"}, {"persons_record", 40}}));
}

TEST_F(TowerHostRun, ATheaterWithoutAFilmStaysClosedAndCallsNobody)
{
    const Outcome outcome = Run({kScenarios + "one-film-immediate.json", "--trace", File("trace.jsonl"), "--report",
                                 File("report.json"), "--quiet"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    for (const std::string& line : Trace("trace.jsonl", {"status", "collect", "enter", "push_out_customers"}))
        EXPECT_NE(Parsed(line)["theater"], 2) << line;
    const nlohmann::json darkHall = Report("report.json")["theaters"][1];
    EXPECT_EQ(darkHall["status"], 10);
    EXPECT_EQ(darkHall["film"], nullptr);
    EXPECT_EQ(darkHall["total_customers"], 0);
    // It still has its schedule, made when it was placed: no film, no target.
    EXPECT_EQ(darkHall["extra_data"], "14000000"
                                      "00000000"
                                      "ffffffff"
                                      "00000000"
                                      "00000000"
                                      "00000000");
}

TEST_F(TowerHostRun, HalfTheSeatsTakenIsReportedAfterTheEntryThatTookThem)
{
    // A capacity of 80 is half taken at the 40th entry of the first entry period.
    const Outcome halfFull = Run({kScenarios + "half-full.json", "--trace", File("half.jsonl"), "--quiet"});
    ASSERT_EQ(halfFull.exitCode, 0) << halfFull.err;
    int entries = 0;
    for (const std::string& text : Trace("half.jsonl", {"enter", "status"})) {
        const nlohmann::json line = Parsed(text);
        if (line["event"] == "enter")
            ++entries;
        if (line["event"] == "status" && line["to"] == 31) {
            EXPECT_EQ(line["from"], 30);
            EXPECT_EQ(line["pattern"], 2);
            EXPECT_EQ(line["minute"], 601);
            EXPECT_EQ(entries, 40);
            return;
        }
    }
    ADD_FAILURE() << "no status 31";
}

TEST_F(TowerHostRun, SavingAfterNDaysAndLoadingForMMoreEqualsNPlusMDaysStraight)
{
    const std::string scenario = kScenarios + "save-and-continue.json";
    ASSERT_EQ(
        Run({scenario, "--days", "5", "--report", File("straight.json"), "--trace", File("straight.jsonl"), "--quiet"})
            .exitCode,
        0);
    ASSERT_EQ(Run({scenario, "--days", "2", "--save", File("day2.tower"), "--quiet"}).exitCode, 0);
    const Outcome resumed = Run({scenario, "--load", File("day2.tower"), "--days", "3", "--report",
                                 File("resumed.json"), "--trace", File("resumed.jsonl"), "--quiet"});
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
    EXPECT_EQ(Report("resumed.json"), Report("straight.json"));

    // Every call of the last three days (the scenario starts on day 4 at 10:02) is the same, in the same
    // order, also for the customers who were on their way when the tower was saved.
    std::vector<std::string> lastDays;
    std::istringstream straight(Slurp(File("straight.jsonl")));
    for (std::string line; std::getline(straight, line);)
        if (int(Parsed(line)["day"]) * 1440 + int(Parsed(line)["minute"]) >= 6 * 1440 + 602)
            lastDays.push_back(line);
    const std::vector<std::string> resumedLines = Trace("resumed.jsonl", {"*"});
    ASSERT_GT(lastDays.size(), 1000u);
    EXPECT_EQ(resumedLines.size(), lastDays.size());
    for (size_t i = 0; i < std::min(lastDays.size(), resumedLines.size()); ++i)
        if (resumedLines[i] != lastDays[i]) {
            ADD_FAILURE() << "line " << i << ": " << resumedLines[i] << " instead of " << lastDays[i];
            break;
        }
}

TEST_F(TowerHostRun, SummariesShowEachDaysShowsAndMoney)
{
    const Outcome outcome = Run({kScenarios + "one-film-immediate.json", "--module", THEATER_BIN_DIR "/Theater.wbp"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "Module \"Theater\" (type TnPl) from " THEATER_BIN_DIR "/Theater.wbp: tenant definition TnDf\n"
              "Day 1: funds 100000 -> 101600\n"
              "  1 Roxy: \"Rain Over Harbour\" (RAIN), target 40, booked 1600, persons record 40\n"
              "     shows 10:30 (40) 13:00 (40) 15:30 (40) 18:00 (40)\n"
              "  2 Dark Hall: no film, status 10\n");
}

TEST_F(TowerHostRun, ScenarioMistakesExitWithTwoAndSayWhatIsWrong)
{
    const std::string badCapacity = WriteFile("capacity.json", R"({"theaters": [{}, {"capacity": "ten"}]})");
    Outcome outcome = Run({badCapacity});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "towerhost: " + badCapacity +
                               R"(: theaters[1].capacity: "ten" is not a whole number)"
                               "\n");

    const std::string badHours = WriteFile("hours.json", R"({"theaters": [{"close": 500}]})");
    outcome = Run({badHours});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "towerhost: theaters[0].close: 500 leaves the theater open from 600 to 500\n");

    outcome = Run({File("missing.json")});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "towerhost: " + File("missing.json") + ": cannot be opened\n");

    outcome = Run({"--days", "many"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "towerhost: --days: \"many\" is not a whole number\n");

    outcome = Run({"--days", "-1"});
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.err, "towerhost: --days: -1 is not in 0 to 100000\n");
}

TEST_F(TowerHostRun, ABadSaveFileOrModuleExitsWithOneNamingTheFile)
{
    const std::string scenario = kScenarios + "one-film-immediate.json";
    ASSERT_EQ(Run({scenario, "--days", "0", "--save", File("good.tower"), "--quiet"}).exitCode, 0);
    std::string bytes = Slurp(File("good.tower"));
    WriteFile("cut.tower", bytes.substr(0, 30));
    bytes[bytes.find("Roxy")] = 'P';
    WriteFile("changed.tower", bytes);

    Outcome outcome = Run({scenario, "--load", File("cut.tower")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err,
              "towerhost: " + File("cut.tower") + ": seed at offset 29: the file ends (4 bytes needed, 1 left)\n");

    outcome = Run({scenario, "--load", File("changed.tower"), "--quiet"});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "towerhost: " + File("changed.tower") + ": checksum at offset " +
                               std::to_string(bytes.size() - 4) +
                               ": the file's bytes have changed since it was written\n");

    // The films come from the scenario: a tower that shows a film the scenario lacks cannot continue.
    const std::string otherFilms = WriteFile("other.json", R"({"films": [{"id": "SNOW"}]})");
    outcome = Run({otherFilms, "--load", File("good.tower")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err, "towerhost: " + File("good.tower") +
                               ": films[0].id at offset 41: \"RAIN\" is not a film of the scenario\n");

    outcome = Run({scenario, "--module", File("nowhere.wbp")});
    EXPECT_EQ(outcome.exitCode, 1);
    EXPECT_EQ(outcome.err.rfind("towerhost: " + File("nowhere.wbp"), 0), 0u) << outcome.err;
}

TEST_F(TowerHostRun, HelpListsTheOptions)
{
    const Outcome outcome = Run({"--help"});
    EXPECT_EQ(outcome.exitCode, 0);
    for (const char* option : {"--module", "--days", "--trace", "--report", "--save", "--load", "--quiet"})
        EXPECT_NE(outcome.out.find(option), std::string::npos) << option;
}
