// Scripted dialog actions run by the built towerhost: what the trace, the report and the pictures show.
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
const char* const kOpenMessage =
    "You cannot change the movie when the theater is open. After it is closed, please select a new movie.";

std::string Slurp(const std::filesystem::path& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

// One run of the program in a directory of the test's own, where relative output paths land.
class TowerHostActions : public ::testing::Test {
protected:
    TowerHostActions()
        : mDirectory(std::filesystem::temp_directory_path() /
                     ("towerhost-actions-" + std::to_string(::getpid()) + "-" +
                      ::testing::UnitTest::GetInstance()->current_test_info()->name()))
    {
        std::filesystem::create_directories(mDirectory);
    }
    ~TowerHostActions() override { std::filesystem::remove_all(mDirectory); }

    std::filesystem::path File(const std::string& name) const { return mDirectory / name; }

    // Runs towerhost with the arguments; the exit code, and standard error in err.
    int Run(std::vector<std::string> arguments, std::string& err) const
    {
        arguments.insert(arguments.begin(), kProgram);
        std::vector<char*> argv;
        for (std::string& argument : arguments)
            argv.push_back(argument.data());
        argv.push_back(nullptr);
        const std::string errPath = File("stderr.txt").string();
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, mDirectory.c_str());
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        pid_t child = 0;
        int exitCode = -1;
        if (posix_spawn(&child, kProgram.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            ::waitpid(child, &status, 0);
            exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        posix_spawn_file_actions_destroy(&actions);
        err = Slurp(errPath);
        return exitCode;
    }

    // The trace's lines of the given events, parsed.
    std::vector<nlohmann::json> Events(const std::string& name, const std::set<std::string>& kinds) const
    {
        std::vector<nlohmann::json> events;
        std::istringstream lines(Slurp(File(name)));
        for (std::string line; std::getline(lines, line);) {
            nlohmann::json event = nlohmann::json::parse(line);
            if (kinds.contains(event["event"].get<std::string>()))
                events.push_back(std::move(event));
        }
        return events;
    }

    // A scenario with one theater showing RAIN (cost 15) beside STAR (cost 40), and the given actions.
    std::string Scenario(const std::string& actions) const
    {
        const std::string text = R"({"days": 1, "arrivals": "immediate", "funds": 5000,
            "films": [{"id": "RAIN", "title": "Rain", "cost": 15}, {"id": "STAR", "title": "Star", "cost": 40}],
            "theaters": [{"name": "Roxy", "film": "RAIN"}], "actions": )" +
                                 actions + "}";
        std::ofstream(File("scenario.json"), std::ios::binary) << text;
        return "scenario.json"; // the program runs in the test's directory
    }

    std::filesystem::path mDirectory;
};

} // namespace

TEST_F(TowerHostActions, ScriptedFilmChangeIsTracedPaidOnceAndReported)
{
    std::string err;
    ASSERT_EQ(
        Run({kScenarios + "change-film.json", "--trace", "trace.jsonl", "--report", "report.json", "--quiet"}, err), 0)
        << err;

    const std::vector<nlohmann::json> player = Events("trace.jsonl", {"pay", "name", "beep", "set_film"});
    ASSERT_EQ(player.size(), 4u);
    EXPECT_EQ(player[0],
              (nlohmann::json{{"day", 1}, {"minute", 480}, {"theater", 1}, {"event", "set_film"}, {"film", "STAR"}}));
    EXPECT_EQ(player[1],
              (nlohmann::json{
                  {"day", 1}, {"minute", 480}, {"theater", 1}, {"event", "pay"}, {"amount", 40}, {"category", 0}}));
    EXPECT_EQ(player[2]["text"], "Roxy Palace");
    EXPECT_EQ(player[3],
              (nlohmann::json{
                  {"day", 1}, {"minute", 640}, {"theater", 1}, {"event", "beep"}, {"frequency", 1}, {"duration", 1}}));

    // Snapshots: both dialogs (the selection last), the info dialog alone, both again for the refusal.
    const std::vector<nlohmann::json> dialogs = Events("trace.jsonl", {"dialog"});
    std::vector<int> templates;
    for (const nlohmann::json& dialog : dialogs)
        templates.push_back(dialog["template"]);
    EXPECT_EQ(templates, (std::vector<int>{1000, 2000, 1000, 1000, 2000}));
    EXPECT_EQ(dialogs[0]["enabled"], false) << "the info dialog waits for the selection";
    EXPECT_EQ(dialogs[1]["title"], "Change Film");
    EXPECT_EQ(dialogs[1]["items"]["7131"]["text"], "4000");
    EXPECT_EQ(dialogs[2]["items"]["7111"]["text"], "10:30 12:30 14:30 16:30 18:30 20:30 ");
    EXPECT_EQ(dialogs[2]["items"]["7003"]["text"], "Roxy Palace");
    EXPECT_EQ(dialogs[3]["items"]["7090"]["enabled"], false) << "the name is stored now";
    EXPECT_EQ(dialogs[4]["items"]["7130"]["text"], kOpenMessage);

    const nlohmann::json report = nlohmann::json::parse(Slurp(File("report.json")));
    EXPECT_EQ(report["theaters"][0]["film"], "STAR");

    for (const char* picture : {"change-film.svg", "refused.svg"}) {
        const std::string svg = Slurp(File(picture));
        EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << picture;
        EXPECT_NE(svg.find("data:image/png;base64,iVBORw0KGgo"), std::string::npos) << "the film's still as a PNG";
        EXPECT_NE(svg.find(">Change Film  (WBDLG 2000)<"), std::string::npos) << picture;
    }
    EXPECT_NE(Slurp(File("refused.svg")).find(">You cannot change the movie when<"), std::string::npos)
        << "the message is wrapped in its item";
}

TEST_F(TowerHostActions, ABurningTheaterOffersNoChangeAndItsButtonTakesNoClick)
{
    std::string err;
    const std::string scenario = Scenario(R"([
        {"day": 1, "minute": 60, "do": "set_status", "theater": 1, "status": 10000},
        {"do": "open_info", "theater": "Roxy"}, {"do": "press", "item": 7099}, {"do": "snapshot"}])");
    ASSERT_EQ(Run({scenario, "--trace", "trace.jsonl", "--quiet"}, err), 0) << err;
    const std::vector<nlohmann::json> events = Events("trace.jsonl", {"status", "dialog"});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["to"], 10000);
    EXPECT_EQ(events[1]["template"], 1000) << "one dialog: the selection never opened";
    EXPECT_EQ(events[1]["items"]["7099"]["enabled"], false);
    EXPECT_EQ(events[1]["items"]["7124"]["text"], "");
}

TEST_F(TowerHostActions, AStepThatCannotRunEndsTheRunNamingIt)
{
    const struct {
        std::string actions;
        int exitCode;
        std::string message;
    } cases[] = {
        {R"([{"day": 1, "minute": 5, "do": "press", "item": 7099}])", 1,
         "towerhost: actions[0] (press 7099): no dialog is open\n"},
        {R"([{"do": "open_info", "theater": 1}, {"do": "press", "item": 7777}])", 1,
         "towerhost: actions[1] (press 7777): no open dialog has item 7777\n"},
        {R"([{"do": "open_info", "theater": 1}, {"do": "press", "item": 7124}])", 1,
         "towerhost: actions[1] (press 7124): item 7124 of \"Info of Tenants\" is not a button\n"},
        {R"([{"do": "open_info", "theater": 1}, {"do": "press", "item": 7099}, {"do": "select_film", "film": "MOON"}])",
         1, "towerhost: actions[2] (select_film MOON): film \"MOON\" is not in the film table\n"},
        {R"([{"do": "open_info", "theater": "Odeon"}])", 1,
         "towerhost: actions[0] (open_info Odeon): the tower has no theater named \"Odeon\"\n"},
        {R"([{"day": 3, "minute": 0, "do": "snapshot"}])", 1,
         "towerhost: actions[0] (snapshot): the run ended at day 2 minute 0, before the step's day 3 minute 0\n"},
        {R"([{"do": "wave"}])", 2,
         "towerhost: scenario.json: actions[0].do: \"wave\" is none of open_info, press, select_film, type, snapshot, "
         "set_status, render\n"},
        {R"([{"do": "press"}])", 2, "towerhost: scenario.json: actions[0]: press needs \"item\"\n"},
        {R"([{"day": 1, "minute": 9, "do": "snapshot"}, {"day": 1, "minute": 8, "do": "snapshot"}])", 2,
         "towerhost: scenario.json: actions[1]: day 1 minute 8 comes before the day 1 minute 9 of an earlier step\n"},
    };
    for (const auto& c : cases) {
        std::string err;
        EXPECT_EQ(Run({Scenario(c.actions), "--quiet"}, err), c.exitCode) << c.actions;
        EXPECT_EQ(err, c.message);
    }
}
