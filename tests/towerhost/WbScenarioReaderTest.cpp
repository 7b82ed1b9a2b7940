// Scenario reading: what a scenario file sets, and the message a person gets for each kind of mistake.
#include "WbScenarioReader.h"

#include <gmock/gmock.h>

#include <tuple>

namespace {

// The message of the mistake the reader finds in the text, or "(accepted)".
std::string ErrorOf(const std::string& text)
{
    try {
        WbScenarioReader().ReadText(text);
    } catch (const WbScenarioError& error) {
        return error.what();
    }
    return "(accepted)";
}

std::string Repeated(const std::string& text, int count)
{
    std::string repeated;
    for (int i = 0; i < count; ++i)
        repeated += text;
    return repeated;
}

} // namespace

TEST(ScenarioReader, AnEmptyScenarioRunsOneDayFromMidnightOfDayOne)
{
    const WbScenario s = WbScenarioReader().ReadText("{}");
    EXPECT_EQ(std::tuple(s.startDay, s.startMinute, s.days, s.funds, s.passesPerMinute, s.seed, s.arrivals,
                         s.films.size(), s.theaters.size()),
              std::tuple(1, 0u, 1, 100000, 1, 1u, WbArrivalMode::Spread, 0u, 0u));
}

TEST(ScenarioReader, ReadsFilmsAndTheatersWithTheirOverrides)
{
    const WbScenario scenario = WbScenarioReader().ReadText(R"({
        "name": "two screens", "start_day": 3, "start_minute": 590, "days": 2, "funds": -50,
        "passes_per_minute": 2, "seed": 4294967295, "arrivals": "immediate",
        "films": [
            {"id": "RAIN", "title": "Rain Over Harbour", "running_time": 90, "carry_over": 29,
             "first_day_audience": 40, "persons_record": 12, "roadshow": false, "release_day": -2,
             "run_days": 10, "cost": 300},
            {"id": "A\"\\b"}
        ],
        "theaters": [
            {"name": "Roxy", "film": "RAIN", "capacity": 7, "open": 540, "close": 600, "status": 9},
            {"film": null}
        ]
    })");
    EXPECT_EQ(std::tuple(scenario.name, scenario.startDay, scenario.startMinute, scenario.days, scenario.funds,
                         scenario.passesPerMinute, scenario.seed, scenario.arrivals),
              std::tuple("two screens", 3, 590u, 2, -50, 2, 4294967295u, WbArrivalMode::Immediate));
    ASSERT_EQ(scenario.films.size(), 2u);
    const WbScenarioFilm& rain = scenario.films[0];
    EXPECT_EQ(std::tuple(rain.id, rain.title, rain.runningTime, rain.cost, rain.carryOver, rain.firstDayAudience,
                         rain.personsRecord, rain.roadshow, rain.releaseDay, rain.runDays),
              std::tuple("RAIN", "Rain Over Harbour", 90, 300, 29, 40, 12, false, -2, 10));
    // A film without a title is listed under its id, which may hold quotes and backslashes; the rest is default.
    EXPECT_EQ(scenario.films[1], (WbScenarioFilm{.id = "A\"\\b", .title = "A\"\\b"}));
    // Unset figures stay unset so that the module's definition supplies them.
    const std::vector<WbScenarioTheater> theaters{
        {.name = "Roxy", .film = "RAIN", .capacity = 7, .openMinute = 540, .closeMinute = 600, .status = 9},
        {.name = "Theater 2"},
    };
    EXPECT_EQ(scenario.theaters, theaters);
}

TEST(ScenarioReader, NamesTheKeyAndTheValueOfEveryMistake)
{
    const struct {
        std::string scenario, message;
    } kCases[] = {
        {R"({"theaters": [{"capacity": -1}]})", "theaters[0].capacity: -1 is less than 0"},
        {R"({"theaters": [{"open": 700, "close": 600}]})", "theaters[0].close: 600 is before open 700"},
        {R"({"theaters": [{"film": "ZZZZ"}]})", R"(theaters[0].film: "ZZZZ" is not the id of any film)"},
        {R"({"theaters": {"name": "Roxy"}})", R"(theaters: {"name":"Roxy"} is not a list)"},
        {R"({"theaters": [7]})", "theaters[0]: 7 is not an object"},
        // Values are cut short in messages.
        {R"({"theaters": [{"name": ")" + std::string(4097, 'x') + R"("}]})",
         R"(theaters[0].name: ")" + std::string(36, 'x') + "... is longer than 4096 bytes"},
        {R"({"films": [{"title": "No Id"}]})", R"(films[0]: a film needs an "id")"},
        {R"({"films": [{"id": "RAINY"}]})", R"(films[0].id: "RAINY" is not 4 printable ASCII characters)"},
        {R"({"films": [{"id": "RAIN"}, {"id": "RAIN"}]})", R"(films[1].id: "RAIN" is also the id of films[0])"},
        {R"({"films": [{"id": "RAIN", "roadshow": "yes"}]})", R"(films[0].roadshow: "yes" is not true or false)"},
        {R"({"days": 1, "days": 2})", "days: the key is given twice"},
        {R"({"start_day": 2147383647})", "start_day: 2147383647 is more than 2147383646"},
        {R"({"days": 1.5})", "days: 1.5 is not a whole number"},
        {R"({"arrivals": "soon"})", R"(arrivals: "soon" is not one of "spread", "immediate", "none")"},
        {R"({"name": ["a", "b"]})", R"(name: ["a","b"] is not a string)"},
        // The keys of other parts of the host are unknown until those parts join the reader.
        {R"({"actions": []})", "actions: unknown key (known keys: name, start_day, start_minute, days, funds, "
                               "passes_per_minute, seed, arrivals, films, theaters)"},
        // Syntax errors say where.
        {"{\n  \"days\": 2,\n}", "parse error at line 3, column 1: syntax error while parsing object key - "
                                 "unexpected '}'; expected string literal"},
        // A number no double holds, and nesting no scenario needs, are refused as the parser meets them.
        {R"({"theaters": [{"open": 1}, {"close": 1e400}]})", "theaters[1].close: number overflow parsing '1e400'"},
        {R"({"name": )" + Repeated("[", 1000), "name" + Repeated("[0]", 31) + ": nested deeper than 32 levels"},
        {R"({"theaters": [{})" + Repeated(",{}", 400000) + "]}", "theaters: more than 100000 items"},
    };
    for (const auto& badCase : kCases)
        EXPECT_EQ(ErrorOf(badCase.scenario), badCase.message) << badCase.scenario.substr(0, 80);
    EXPECT_THAT(
        [] { WbScenarioReader().ReadFile("/dev/zero"); },
        testing::ThrowsMessage<WbScenarioError>("/dev/zero: larger than 67108864 bytes, the most a scenario may hold"));
}
