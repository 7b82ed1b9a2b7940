// The built towerhost program run on small scenarios: its trace, report, save files and messages.
#include "HostProcess.h"

namespace {

using TowerHostRun = HostProcess;

nlohmann::json Parsed(const std::string& text) { return nlohmann::json::parse(text); }

} // namespace

TEST_F(TowerHostRun, TheFirstDayOfAFilmRunsItsFourShowsAndLeavesATheaterWithoutAFilmAlone)
{
    const Outcome outcome = Run({kScenarios + "one-film-immediate.json", "--trace", "trace.jsonl", "--report",
                                 "report.json", "--module", THEATER_BIN_DIR "/Theater.wbp"});
    ASSERT_EQ(outcome.exitCode, 0) << outcome.err;
    EXPECT_EQ(outcome.out,
              "Module \"Theater\" (type TnPl) from " THEATER_BIN_DIR "/Theater.wbp: tenant definition TnDf\n"
              "Day 1: funds 100000 -> 101600\n"
              "  1 Roxy: \"Rain Over Harbour\" (RAIN), target 40, booked 1600, persons record 40\n"
              "     shows 10:30 (40) 13:00 (40) 15:30 (40) 18:00 (40)\n"
              "  2 Dark Hall: no film, status 10\n");

    // Bookings of nothing aside, every call is the theater with the film's: the one without calls nobody.
    std::string calls;
    for (const std::string& line : TraceLines("trace.jsonl", {"status", "clear_reserve", "collect",
                                                              "push_out_customers", "push_out_all", "record", "book"}))
        if (Parsed(line).value("amount", 1) != 0)
            calls += line + "\n";
    // Customers called at a minute arrive at the next, so each of the four shows, called every 150 minutes from
    // 10:00, is full to its target of 40, the film's first-day audience.
    const auto at = [](int minute, const std::string& event) {
        return R"({"day":1,"minute":)" + std::to_string(minute) + R"(,"theater":1,"event":)" + event + "}\n";
    };
    std::string expected = at(600, R"("clear_reserve")");
    for (int call = 600; call <= 1050; call += 150)
        expected +=
            (call == 600 ? "" : at(call, R"("push_out_customers","count":40)")) + at(call, R"("collect","count":40)") +
            at(call, R"("status","from":)" + std::string(call == 600 ? "10" : "32") + R"(,"to":30,"pattern":1)") +
            at(call + 30, R"("status","from":30,"to":32,"pattern":3)");
    expected += at(1200, R"("push_out_customers","count":40)") + at(1200, R"("record","film":"RAIN","value":40)") +
                at(1200, R"("push_out_all")") + at(1200, R"("status","from":32,"to":10,"pattern":0)") +
                at(1320, R"("book","amount":-1600,"category":3)");
    EXPECT_EQ(calls, expected);
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

TEST_F(TowerHostRun, SavingAfterNDaysAndLoadingForMMoreEqualsNPlusMDaysStraight)
{
    const std::string scenario = kScenarios + "save-and-continue.json";
    ASSERT_EQ(
        Run({scenario, "--days", "5", "--report", "straight.json", "--trace", "straight.jsonl", "--quiet"}).exitCode,
        0);
    const Outcome saved = Run({scenario, "--days", "2", "--save", "day2.tower", "--quiet"});
    ASSERT_EQ(std::tuple(saved.exitCode, saved.out), std::tuple(0, "")) << "--quiet";
    const Outcome resumed =
        Run({scenario, "--load", "day2.tower", "--days", "3", "--report", "resumed.json", "--trace", "resumed.jsonl"});
    ASSERT_EQ(resumed.exitCode, 0) << resumed.err;
    // The module's record does not keep whether it found the film's run over: the load says what it kept.
    EXPECT_NE(resumed.out.find("\nLoaded day2.tower: day 6 10:02. Kept: "), std::string::npos) << resumed.out;
    EXPECT_NE(resumed.out.find("Examined afresh: whether each theater's film may be shown"), std::string::npos);
    EXPECT_EQ(Parsed(Slurp(File("resumed.json"))), Parsed(Slurp(File("straight.json"))));

    // Every call of the last three days (the scenario starts on day 4 at 10:02) is the same, in the same
    // order, also for the customers who were on their way when the tower was saved.
    std::vector<std::string> lastDays;
    for (const std::string& line : TraceLines("straight.jsonl", {"*"}))
        if (int(Parsed(line)["day"]) * 1440 + int(Parsed(line)["minute"]) >= 6 * 1440 + 602)
            lastDays.push_back(line);
    ASSERT_GT(lastDays.size(), 1000u);
    EXPECT_EQ(TraceLines("resumed.jsonl", {"*"}), lastDays);
}

TEST_F(TowerHostRun, MistakesExitWithTheirCodeAndSayWhatIsWrongBeforeTheRun)
{
    const std::string scenario = kScenarios + "one-film-immediate.json";
    WriteFile("hours.json", R"({"theaters": [{"close": 500}]})");

    const struct {
        std::vector<std::string> arguments;
        int exitCode;
        std::string message;
    } kCases[] = {
        {{"hours.json"}, 2, "theaters[0].close: 500 leaves the theater open from 600 to 500"},
        {{"--days", "-1"}, 2, "--days: -1 is not in 0 to 100000"},
        {{scenario, "--save", ""}, 2, "--save: the value is empty (see towerhost --help)"},
        {{scenario, "--load", "."}, 1, ".: is not a file"},
        // Outputs that cannot be written are found before a long run, not after it.
        {{scenario, "--days", "100000", "--report", "none/report.json"},
         1,
         "none/report.json: cannot be written: No such file or directory"},
        {{scenario, "--days", "100000", "--save", "."}, 1, ".: is a directory"},
        {{scenario, "--module", "nowhere.wbp"}, 1, "nowhere.wbp: no such file"},
    };
    for (const auto& badCase : kCases) {
        const Outcome outcome = Run(badCase.arguments);
        EXPECT_EQ(outcome.exitCode, badCase.exitCode) << badCase.message;
        EXPECT_EQ(outcome.err, "towerhost: " + badCase.message + "\n");
    }
}
