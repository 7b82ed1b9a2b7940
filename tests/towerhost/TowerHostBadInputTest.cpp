// The built towerhost program on inputs a careless user or an attacker gives it, grouped by input: saves,
// scenarios and options. Each is refused with its exit code and a message that names the file or
// option and what is wrong, and nothing is written or lost.
#include "HostProcess.h"

#include <algorithm>
#include <filesystem>

namespace {

class TowerHostBadInput : public HostProcess {
protected:
    // The outputs every refused run asks for (but the one given already): none of them may appear.
    static std::vector<std::string> WithOutputs(std::vector<std::string> arguments)
    {
        using Output = std::pair<std::string, std::string>;
        for (const auto& [option, file] :
             {Output{"--trace", "out.jsonl"}, Output{"--report", "out.json"}, Output{"--save", "out.tower"}})
            if (std::find(arguments.begin(), arguments.end(), option) == arguments.end())
                arguments.insert(arguments.end(), {option, file});
        return arguments;
    }
    void ExpectNothingWritten() const
    {
        for (const char* output : {"out.jsonl", "out.json", "out.tower"})
            EXPECT_FALSE(std::filesystem::exists(File(output))) << output;
    }
    // Status changes into a running film on the given day.
    int ShowsOnDay(const std::string& trace, int day) const
    {
        int shows = 0;
        for (const nlohmann::json& event : Events(trace, {"status"}))
            shows += event["day"] == day && event["to"] == 32 ? 1 : 0;
        return shows;
    }
};

TEST_F(TowerHostBadInput, ASaveOfAnotherTowerIsRefusedAtItsFirstDifference)
{
    const std::string scenario = kScenarios + "one-film-immediate.json";
    ASSERT_EQ(Run({scenario, "--save", "good.tower", "--quiet"}).exitCode, 0);
    const std::string saved = Slurp(File("good.tower"));
    const std::string rain = R"({"id": "RAIN", "running_time": 120})";
    const std::string snow = R"({"id": "SNOW"})";
    const struct {
        std::string scenario;
        std::string difference;
    } cases[] = {
        {R"({"films": [)" + rain + R"(], "theaters": [{"name": "Roxy", "film": "RAIN"}]})",
         "theater count 2 there, 1 in the scenario"},
        {R"({"films": [)" + rain + R"(], "theaters": [{"name": "Odeon\u001b[2J"}, {"name": "Dark Hall"}]})",
         R"(theater 1 is "Roxy" there, "Odeon\x1B[2J" in the scenario)"},
        {R"({"films": [)" + rain + "," + snow + R"(], "theaters": [{"name": "Roxy"}, {"name": "Dark Hall"}]})",
         "film count 1 there, 2 in the scenario"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.difference);
        WriteFile("other.json", c.scenario);
        const Outcome outcome = Run(WithOutputs({"other.json", "--load", "good.tower"}));
        EXPECT_EQ(outcome.exitCode, 1);
        EXPECT_EQ(outcome.err, "towerhost: good.tower: saved from another tower: " + c.difference + "\n");
        ExpectNothingWritten();
        EXPECT_EQ(Slurp(File("good.tower")), saved);
    }
}

// The module's record of a theater keeps its film, target, best attendance and show days, but not whether
// it found the film's run over: a loaded tower has the film examined afresh. A film stopped before the save
// and brought back by a re-make since therefore shows again after a load, and never in the straight run.
TEST_F(TowerHostBadInput, ALoadedTowerHasItsFilmExaminedAfreshAndSaysSo)
{
    WriteFile("remake.json", R"({"arrivals": "immediate",
        "films": [{"id": "SNOW", "running_time": 95, "first_day_audience": 30, "run_days": 2}],
        "theaters": [{"name": "Bijou", "film": "SNOW", "capacity": 50}]})");
    // The run ends on day 3 and the film is re-made on day 33, showable on days 33 and 34.
    ASSERT_EQ(Run({"remake.json", "--days", "35", "--trace", "straight.jsonl", "--quiet"}).exitCode, 0);
    ASSERT_EQ(Run({"remake.json", "--days", "33", "--save", "day34.tower", "--quiet"}).exitCode, 0);
    const Outcome resumed = Run({"remake.json", "--load", "day34.tower", "--days", "2", "--trace", "resumed.jsonl"});
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err;

    // A 95-minute film has five shows a day in the theater's hours, 10:00 to 22:00.
    EXPECT_EQ(ShowsOnDay("straight.jsonl", 2), 5);
    EXPECT_EQ(ShowsOnDay("straight.jsonl", 34), 0);
    EXPECT_EQ(ShowsOnDay("resumed.jsonl", 34), 5);
    EXPECT_EQ(ShowsOnDay("resumed.jsonl", 35), 0);
    EXPECT_NE(resumed.out.find("\nLoaded day34.tower: day 34 00:00. Kept: "), std::string::npos) << resumed.out;
    EXPECT_NE(resumed.out.find("Examined afresh: whether each theater's film may be shown"), std::string::npos);
}

// Keys, values and names are the file's bytes: in a message a control byte, a byte of broken UTF-8 or a quote
// never reaches the terminal as it is, and text beyond ASCII is cut whole.
TEST_F(TowerHostBadInput, AScenariosBytesReachItsMessagesEscaped)
{
    const struct {
        std::string scenario;
        int exitCode;
        std::string message;
    } cases[] = {
        {R"({"the\u001bme\"": 1})", 2, R"(bytes.json: "the\x1Bme\"": unknown key (known keys: )"},
        {"{\"name\": \"Roxy\xFF\"}", 2,
         R"(bytes.json: parse error at line 1, column 15: syntax error while parsing value - invalid string: ill-formed UTF-8 byte; last read: '"Roxy\xFF')"},
        {R"({"films": [{"id": "A\"BC"}, {"id": "A\"BC"}]})", 2,
         R"(bytes.json: films[1].id: "A\"BC" is also the id of films[0])"},
        {R"({"arrivals": "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"})", 2,
         R"(bytes.json: arrivals: "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9... is not one of )"},
        {R"({"render_minutes": [{"d\u00e4y": 1}]})", 2,
         R"(bytes.json: render_minutes[0]."d\xC3\xA4y": not a key of a render minute (day, minute))"},
        {R"({"theaters": [{"name": "Roxy"}], "actions": [{"do": "open_info", "theater": "Ro\u001bxy"}]})", 1,
         R"(actions[0] (open_info Ro\x1Bxy): the tower has no theater named "Ro\x1Bxy")"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        WriteFile("bytes.json", c.scenario);
        const Outcome outcome = Run(WithOutputs({"bytes.json", "--quiet"}));
        EXPECT_EQ(outcome.exitCode, c.exitCode);
        EXPECT_EQ(outcome.err.rfind("towerhost: " + c.message, 0), 0u) << outcome.err;
        EXPECT_TRUE(std::all_of(outcome.err.begin(), outcome.err.end(), [](char b) {
            return b == '\n' || (b >= 0x20 && b <= 0x7E);
        })) << outcome.err;
    }

    // The day's summary shows a theater's name and its film's title the same way.
    WriteFile("names.json", R"({"films": [{"id": "RAIN", "title": "Rain \"Over\"\u001b[2J"}],
        "theaters": [{"name": "Odeon\u00e9", "film": "RAIN"}]})");
    const Outcome outcome = Run({"names.json", "--days", "1"});
    EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_NE(outcome.out.find(R"(  1 Odeon\xC3\xA9: "Rain \"Over\"\x1B[2J" (RAIN))"), std::string::npos)
        << outcome.out;
}

TEST_F(TowerHostBadInput, AFilmNotShowableOnTheFirstDayIsWarnedAbout)
{
    WriteFile("early.json", R"({"start_day": 5, "films": [{"id": "LATE", "release_day": 12},
        {"id": "OVER", "run_days": 3, "release_day": -10}, {"id": "NOWS"}],
        "theaters": [{"name": "Roxy", "film": "LATE"}, {"name": "Bijou", "film": "OVER"}, {"name": "Odeon", "film": "NOWS"}]})");
    const Outcome outcome = Run({"early.json", "--days", "0", "--quiet"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err,
              "towerhost: warning: theater 1 \"Roxy\": film \"LATE\" cannot be shown on day 5, the run's first: it is "
              "released on day 17; the theater stays closed until another film is chosen\n"
              "towerhost: warning: theater 2 \"Bijou\": film \"OVER\" cannot be shown on day 5, the run's first: its "
              "run ended after day -3; the theater stays closed until another film is chosen\n");
}

TEST_F(TowerHostBadInput, AnEmptyOptionValueIsAUsageErrorNamingTheOption)
{
    const std::string scenario = kScenarios + "one-film-immediate.json";
    for (const char* option : {"--days", "--trace", "--report", "--save", "--load", "--module", "--render"}) {
        SCOPED_TRACE(option);
        const Outcome outcome = Run(WithOutputs({scenario, option, ""}));
        EXPECT_EQ(outcome.exitCode, 2);
        EXPECT_EQ(outcome.err, std::string("towerhost: ") + option + ": the value is empty (see towerhost --help)\n");
        EXPECT_EQ(outcome.out, "");
        ExpectNothingWritten();
    }
}

} // namespace
