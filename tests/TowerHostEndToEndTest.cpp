// The built towerhost program run on small scenarios: its trace, report, save files and messages.
#include "HostProcess.h"

namespace {

using TowerHostRun = HostProcess;

nlohmann::json Parsed(const std::string& text) { return nlohmann::json::parse(text); }

std::string Joined(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

} // namespace

TEST_F(TowerHostRun, TheFirstDayOfAFilmRunsItsFourShowsAndLeavesATheaterWithoutAFilmAlone)
{
    const Outcome outcome = Run({kScenarios + "one-film-immediate.json", "--trace", File("trace.jsonl"), "--report",
                                 File("report.json"), "--quiet"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out, "");

    std::vector<std::string> roxy;
    for (const std::string& line :
         TraceLines("trace.jsonl", {"status", "clear_reserve", "collect", "push_out_customers", "push_out_all",
                                    "record", "book", "enter"})) {
        const nlohmann::json event = Parsed(line);
        if (event["event"] == "book" && event["amount"] == 0)
            continue;
        EXPECT_EQ(event["theater"], 1) << "the theater without a film calls nobody: " << line;
        if (event["event"] != "enter")
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
    EXPECT_EQ(TraceLines("trace.jsonl", {"book"}).size(), 16u);

    // The save records: length 20, film, target, best attendance, show days, spare. The theater without a
    // film still has the schedule made when it was placed: no film, no target.
    EXPECT_EQ(Parsed(Slurp(File("report.json"))), nlohmann::json::parse(R"({
        "day": 2, "minute": 0, "funds": 101600, "day_base": 1,
        "theaters": [
            {"name": "Roxy", "status": 10, "pattern": 0, "film": "RAIN", "customers": 0, "reserve": 0,
             "total_customers": 120, "extra_data": "140000004e49415228000000280000000100000000000000"},
            {"name": "Dark Hall", "status": 10, "pattern": 0, "film": null, "customers": 0, "reserve": 0,
             "total_customers": 0, "extra_data": "1400000000000000ffffffff000000000000000000000000"}
        ],
        "films": [{"id": "RAIN", "persons_record": 40}]
    })"));
}

TEST_F(TowerHostRun, HalfTheSeatsTakenIsReportedAfterTheEntryThatTookThem)
{
    // A capacity of 80 is half taken at the 40th entry of the first entry period.
    const Outcome halfFull = Run({kScenarios + "half-full.json", "--trace", File("half.jsonl"), "--quiet"});
    ASSERT_EQ(halfFull.exitCode, 0) << halfFull.err;
    int entries = 0;
    for (const nlohmann::json& line : Events("half.jsonl", {"enter", "status"})) {
        entries += line["event"] == "enter";
        if (line["event"] == "status" && line["to"] == 31) {
            EXPECT_EQ(line, Parsed(R"({"day":1,"minute":601,"theater":1,"event":"status","from":30,"to":31,)"
                                   R"("pattern":2})"));
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
    EXPECT_EQ(Parsed(Slurp(File("resumed.json"))), Parsed(Slurp(File("straight.json"))));

    // Every call of the last three days (the scenario starts on day 4 at 10:02) is the same, in the same
    // order, also for the customers who were on their way when the tower was saved.
    std::vector<std::string> lastDays;
    for (const std::string& line : TraceLines("straight.jsonl", {"*"}))
        if (int(Parsed(line)["day"]) * 1440 + int(Parsed(line)["minute"]) >= 6 * 1440 + 602)
            lastDays.push_back(line);
    ASSERT_GT(lastDays.size(), 1000u);
    EXPECT_EQ(Joined(TraceLines("resumed.jsonl", {"*"})), Joined(lastDays));
}

TEST_F(TowerHostRun, SummariesShowEachDaysShowsAndMoneyAndHelpListsTheOptions)
{
    const Outcome outcome = Run({kScenarios + "one-film-immediate.json", "--module", THEATER_BIN_DIR "/Theater.wbp"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "Module \"Theater\" (type TnPl) from " THEATER_BIN_DIR "/Theater.wbp: tenant definition TnDf\n"
              "Day 1: funds 100000 -> 101600\n"
              "  1 Roxy: \"Rain Over Harbour\" (RAIN), target 40, booked 1600, persons record 40\n"
              "     shows 10:30 (40) 13:00 (40) 15:30 (40) 18:00 (40)\n"
              "  2 Dark Hall: no film, status 10\n");

    const Outcome help = Run({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option : {"--module", "--days", "--trace", "--report", "--save", "--load", "--quiet"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option;
}

TEST_F(TowerHostRun, MistakesExitWithTheirCodeAndSayWhatIsWrongBeforeTheRun)
{
    const std::string scenario = kScenarios + "one-film-immediate.json";
    ASSERT_EQ(Run({scenario, "--days", "0", "--save", File("good.tower"), "--quiet"}).exitCode, 0);
    std::string bytes = Slurp(File("good.tower"));
    WriteFile("cut.tower", bytes.substr(0, 30));
    bytes[bytes.find("Roxy")] = 'P';
    WriteFile("changed.tower", bytes);
    const std::string badCapacity = WriteFile("capacity.json", R"({"theaters": [{}, {"capacity": "ten"}]})");
    const std::string otherFilms = WriteFile("other.json", R"({"films": [{"id": "SNOW"}]})");

    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } kCases[] = {
        {{badCapacity}, 2, badCapacity + R"(: theaters[1].capacity: "ten" is not a whole number)"},
        {{WriteFile("hours.json", R"({"theaters": [{"close": 500}]})")},
         2,
         "theaters[0].close: 500 leaves the theater open from 600 to 500"},
        {{File("missing.json")}, 2, File("missing.json") + ": cannot be opened"},
        {{"--days", "many"}, 2, "--days: \"many\" is not a whole number"},
        {{"--days", "-1"}, 2, "--days: -1 is not in 0 to 100000"},
        {{scenario, "--load", File("cut.tower")},
         1,
         File("cut.tower") + ": seed at offset 29: the file ends (4 bytes needed, 1 left)"},
        {{scenario, "--load", File("changed.tower"), "--quiet"},
         1,
         File("changed.tower") + ": checksum at offset " + std::to_string(bytes.size() - 4) +
             ": the file's bytes have changed since it was written"},
        {{scenario, "--load", File("")}, 1, File("") + ": is not a file"},
        // The films come from the scenario: a tower that shows a film the scenario lacks cannot continue.
        {{otherFilms, "--load", File("good.tower")},
         1,
         File("good.tower") + ": films[0].id at offset 41: \"RAIN\" is not a film of the scenario"},
        // Outputs that cannot be written are found before a long run, not after it.
        {{scenario, "--days", "100000", "--report", File("none/report.json")},
         1,
         File("none/report.json") + ": cannot be written: No such file or directory"},
        {{scenario, "--days", "100000", "--save", File("")}, 1, File("") + ": is a directory"},
    };
    for (const auto& badCase : kCases) {
        const Outcome outcome = Run(badCase.arguments);
        EXPECT_EQ(outcome.exitCode, badCase.exitCode) << badCase.message;
        EXPECT_EQ(outcome.err, "towerhost: " + badCase.message + "\n");
    }
    const Outcome noModule = Run({scenario, "--module", File("nowhere.wbp")});
    EXPECT_EQ(noModule.exitCode, 1);
    EXPECT_EQ(noModule.err.rfind("towerhost: " + File("nowhere.wbp"), 0), 0u) << noModule.err;
}
