// Scripted dialog actions run by the built towerhost: what the trace, the report and the pictures show.
#include "HostProcess.h"

namespace {

const char* const kOpenMessage =
    "You cannot change the movie when the theater is open. After it is closed, please select a new movie.";

class TowerHostActions : public HostProcess {
protected:
    // A scenario with one theater showing RAIN (cost 15) beside STAR (cost 40), and the given actions.
    std::string Scenario(const std::string& actions) const
    {
        WriteFile("scenario.json", R"({"days": 1, "arrivals": "immediate", "funds": 5000,
            "films": [{"id": "RAIN", "title": "Rain", "cost": 15}, {"id": "STAR", "title": "Star", "cost": 40}],
            "theaters": [{"name": "Roxy", "film": "RAIN"}], "actions": )" +
                                       actions + "}");
        return "scenario.json"; // relative, as the messages name it
    }
};

} // namespace

// The film change itself, paid once and reported, is served over HTTP the same way (ServeHttpTest); here the
// script's own outputs: the beep of the refusal, the snapshots in the trace and the pictures.
TEST_F(TowerHostActions, ScriptedFilmChangeIsTracedSnapshotAndDrawn)
{
    const Outcome run = Run({kScenarios + "change-film.json", "--trace", "trace.jsonl", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<nlohmann::json> beeps = Events("trace.jsonl", {"beep"});
    ASSERT_EQ(beeps.size(), 1u);
    EXPECT_EQ(beeps[0],
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
    EXPECT_EQ(dialogs[2]["items"]["7003"]["text"], "Roxy Palace");
    EXPECT_EQ(dialogs[3]["items"]["7090"]["enabled"], false) << "the name is stored now";
    EXPECT_EQ(dialogs[4]["items"]["7130"]["text"], kOpenMessage);

    for (const char* picture : {"change-film.svg", "refused.svg"}) {
        const std::string svg = Slurp(File(picture));
        EXPECT_EQ(svg.rfind("<?xml", 0), 0u) << picture;
        EXPECT_NE(svg.find("data:image/png;base64,iVBORw0KGgo"), std::string::npos) << "the film's still as a PNG";
        EXPECT_NE(svg.find(">Change Film  (WBDLG 2000)<"), std::string::npos) << picture;
    }
}

TEST_F(TowerHostActions, ABurningTheaterOffersNoChangeAndItsButtonTakesNoClick)
{
    const Outcome run = Run({Scenario(R"([
        {"day": 1, "minute": 60, "do": "set_status", "theater": 1, "status": 10000},
        {"do": "open_info", "theater": "Roxy"}, {"do": "press", "item": 7099}, {"do": "snapshot"}])"),
                             "--trace", "trace.jsonl", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<nlohmann::json> events = Events("trace.jsonl", {"status", "dialog"});
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0]["to"], 10000);
    EXPECT_EQ(events[1]["template"], 1000) << "one dialog: the selection never opened";
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
        const Outcome run = Run({Scenario(c.actions), "--quiet"});
        EXPECT_EQ(run.exitCode, c.exitCode) << c.actions;
        EXPECT_EQ(run.err, c.message);
    }
}
