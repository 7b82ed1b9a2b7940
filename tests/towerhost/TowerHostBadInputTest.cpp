// Saves, scenarios and modules a careless user or an attacker gives the program: refused by name, nothing lost.
#include "HostProcess.h"
#include "TheaterResourceFixtures.h"

#include <algorithm>
#include <filesystem>

namespace {

class TowerHostBadInput : public HostProcess {
protected:
    // The outputs every refused run asks for (but the one given already): none of them may appear.
    static std::vector<std::string> WithOutputs(std::vector<std::string> arguments)
    {
        for (const auto& [option, file] :
             {std::pair{"--trace", "out.jsonl"}, {"--report", "out.json"}, {"--save", "out.tower"}})
            if (std::find(arguments.begin(), arguments.end(), option) == arguments.end())
                arguments.insert(arguments.end(), {option, file});
        return arguments;
    }
    void ExpectNothingWritten() const
    {
        for (const char* output : {"out.jsonl", "out.json", "out.tower"})
            EXPECT_FALSE(std::filesystem::exists(File(output))) << output;
    }
    // A copy of the module with bytes changed in its embedded copy of a record, which it holds exactly once.
    std::string DamagedModule(const std::string& name, const std::vector<uint8_t>& record, long offset,
                              std::initializer_list<uint8_t> with) const
    {
        std::string module = Slurp(THEATER_BIN_DIR "/Theater.wbp");
        const std::string text(record.begin(), record.end());
        const size_t found = module.find(text);
        EXPECT_TRUE(found != std::string::npos && module.find(text, found + 1) == std::string::npos)
            << "the module does not embed the record once";
        if (found != std::string::npos)
            std::copy(with.begin(), with.end(), module.begin() + long(found) + offset);
        return WriteFile(name, module);
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
        std::string scenario, difference;
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
        {R"({"arrivals": "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9"})", 2,
         R"(bytes.json: arrivals: "\u00e9\u00e9\u00e9\u00e9\u00e9\u00e9... is not one of )"},
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

// A module file cut short or whose resources were damaged: the message says which part, where and why.
TEST_F(TowerHostBadInput, ADamagedModuleIsRefusedNamingTheDamage)
{
    const std::string module = Slurp(THEATER_BIN_DIR "/Theater.wbp");
    const struct {
        const char* what;
        std::string module;
        std::string message; // the beginning of the one line after the file's name
    } cases[] = {
        {"cut in half", WriteFile("Half.wbp", module.substr(0, module.size() / 2)), "cut short: "},
        {"definition record end", DamagedModule("BadEnd.wbp", TheaterRecord("TNDF", 1), 336, {1}),
         "TNDF 1: end bytes 1, 0 at offset 336, expected 0, 0\n"},
        {"attribute record version", DamagedModule("BadAttr.wbp", TheaterRecord("ATTR", 128), 0, {2}),
         "ATTR 128: version 2 at offset 0, expected 1\n"},
        // The definition record is the .res's third entry, at 168; its 40-byte header begins with the data size.
        {".res entry size", DamagedModule("BadRes.wbp", TheaterRecord("TNDF", 1), -40, {0xFF, 0xFF, 0xFF, 0x7F}),
         ".res: entry 3 at offset 168: data size 2147483647 runs past the end (" +
             std::to_string(TheaterResourceBytes().size() - 168 - 40) + " bytes left)\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome outcome = Run(WithOutputs({"--quiet", "--days", "1", "--module", c.module}));
        EXPECT_EQ(outcome.err.rfind("towerhost: " + c.module + ": " + c.message, 0), 0u) << outcome.err;
        EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1) << outcome.err;
        EXPECT_EQ(std::tuple(outcome.exitCode, outcome.out), std::tuple(1, ""));
        ExpectNothingWritten();
    }
}

} // namespace
