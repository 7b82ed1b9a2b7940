// Scripted dialog actions run by the built towerhost: what the trace and the dialog pictures show.
#include "HostProcess.h"

#include "WbDialogSvg.h"

#include <regex>

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

TEST_F(TowerHostActions, ABurningTheaterOffersNoChangeAndItsButtonTakesNoClick)
{
    const Outcome run = Run({Scenario(R"([
        {"day": 1, "minute": 60, "do": "set_status", "theater": 1, "status": 10000},
        {"do": "open_info", "theater": "Roxy"}, {"do": "press", "item": 7099}, {"do": "snapshot"}])"),
                             "--trace", "trace.jsonl", "--quiet"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<nlohmann::json> events = Events("trace.jsonl", {"status", "dialog"});
    ASSERT_EQ(events.size(), 2u) << "one dialog: the selection never opened";
    EXPECT_EQ(std::tuple(events[0]["to"], events[1]["template"]), std::tuple(10000, 1000));
}

TEST_F(TowerHostActions, AStepThatCannotRunEndsTheRunNamingIt)
{
    const struct {
        std::string actions;
        int exitCode;
        std::string message;
    } cases[] = {
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

struct DrawnLine {
    int boxWidth, boxHeight, x, baseline, pixels;
    std::string anchor, text;
};

std::string Unescaped(std::string text)
{
    for (const auto& [entity, character] : {std::pair{"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&amp;", "&"}})
        text = std::regex_replace(text, std::regex(entity), character);
    return text;
}

// Every line of text the picture draws, with the box that holds it.
std::vector<DrawnLine> DrawnLines(const std::string& svg)
{
    static const std::regex box(
        R"re(<svg x="-?\d+" y="-?\d+" width="(\d+)" height="(\d+)"( overflow="hidden")?>(.*?)</svg>)re");
    static const std::regex line(
        R"re(<text x="(-?\d+)" y="(-?\d+)" font-family="[^"]*" font-size="(\d+)" text-anchor="(\w+)"[^>]*>([^<]*)</text>)re");
    std::vector<DrawnLine> lines;
    for (auto b = std::sregex_iterator(svg.begin(), svg.end(), box); b != std::sregex_iterator(); ++b) {
        EXPECT_TRUE((*b)[3].matched) << "a text box that does not clip: " << (*b)[0];
        const std::string inner = (*b)[4];
        for (auto l = std::sregex_iterator(inner.begin(), inner.end(), line); l != std::sregex_iterator(); ++l)
            lines.push_back({std::stoi((*b)[1]), std::stoi((*b)[2]), std::stoi((*l)[1]), std::stoi((*l)[2]),
                             std::stoi((*l)[3]), (*l)[4], Unescaped((*l)[5])});
    }
    return lines;
}

// change-film.json run with its trace, and every line of text its dialog pictures draw.
class ChangeFilm : public HostProcess {
protected:
    void SetUp() override
    {
        ASSERT_EQ(Run({kScenarios + "change-film.json", "--trace", "trace.jsonl", "--quiet"}).exitCode, 0);
        for (const char* name : {"change-film.svg", "refused.svg"})
            for (const DrawnLine& drawn : DrawnLines(Slurp(File(name))))
                mLines.push_back(drawn);
        ASSERT_GT(mLines.size(), 40u);
    }
    std::vector<DrawnLine> mLines;
};

// The film change itself, paid once and reported, is served over HTTP the same way (ServeHttpTest); here the
// script's own outputs: the beep of the refusal, the snapshots in the trace and the pictures.
TEST_F(ChangeFilm, TheScriptIsTracedSnapshotAndDrawn)
{
    const nlohmann::json beep{{"day", 1},        {"minute", 640},  {"theater", 1},
                              {"event", "beep"}, {"frequency", 1}, {"duration", 1}};
    EXPECT_EQ(Events("trace.jsonl", {"beep"}), std::vector{beep});

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
        EXPECT_NE(svg.find("data:image/png;base64,iVBORw0KGgo"), std::string::npos) << "the film's still as a PNG";
        EXPECT_NE(svg.find(">Change Film  (WBDLG 2000)<"), std::string::npos) << picture;
    }
}

TEST_F(ChangeFilm, EveryLineFitsItsItemUnlessItIsOneWordTooLongForIt)
{
    for (const DrawnLine& drawn : mLines) {
        const double width = WbDialogSvg::TextWidth(drawn.text, drawn.pixels);
        const double left = drawn.anchor == "start" ? drawn.x
                            : drawn.anchor == "end" ? drawn.x - width
                                                    : drawn.x - width / 2;
        const bool oneWord = drawn.text.find(' ') == std::string::npos;
        EXPECT_TRUE((left >= 0 && left + width <= drawn.boxWidth) || oneWord)
            << "\"" << drawn.text << "\" is " << width << " pixels wide in an item of " << drawn.boxWidth;
        EXPECT_LE(drawn.baseline, drawn.boxHeight + drawn.pixels / 2)
            << "\"" << drawn.text << "\" lies below its item of height " << drawn.boxHeight;
    }
}

TEST_F(ChangeFilm, LabelsAreDrawnWholeInTheirItems)
{
    for (const std::string label : {"Feature Title:", "Customers:", "Daily Revenue:", "Schedule:", "months",
                                    "Cost:", "Play Time:", "hr", "min"}) {
        const auto found =
            std::find_if(mLines.begin(), mLines.end(), [&](const DrawnLine& drawn) { return drawn.text == label; });
        ASSERT_NE(found, mLines.end()) << label;
        EXPECT_LE(found->x + WbDialogSvg::TextWidth(label, found->pixels), found->boxWidth) << label;
    }
}

TEST_F(ChangeFilm, TheScheduleBreaksBetweenShowTimesAndShowsOnlyWholeOnes)
{
    const std::regex times(R"(^(\d{1,2}:\d\d ?)+$)");
    int scheduleLines = 0;
    for (const DrawnLine& drawn : mLines)
        if (std::regex_search(drawn.text, std::regex(R"(^\d{1,2}:\d\d )"))) {
            ++scheduleLines;
            EXPECT_TRUE(std::regex_match(drawn.text, times)) << drawn.text;
        }
    EXPECT_GT(scheduleLines, 0);
}

} // namespace
