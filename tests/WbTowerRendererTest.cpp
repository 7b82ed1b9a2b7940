// Pictures of the running tower: the theaters drawn as the host's screen draws them, at the minutes the
// scenario names.
#include "WbTowerRenderer.h"

#include "HostRunFixture.h"
#include "WbMoviePlugin.h"
#include "WbTenant.h"
#include "WbTenantDef.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

namespace {

class TowerRenderer : public HostRunFixture {
protected:
    // The frame of a pattern as the host draws it into an image of the tower's palette.
    WbBitImage Frame(int32_t pattern) const
    {
        const WbImageObj& images = *mLoaded.module->GetDefinition()->GetImageObj();
        WbBitImage frame(248, 96);
        images.DrawObject(&frame, images.FindObject(100, pattern, 0, 0, 255), RECT{0, 0, 248, 96}, 0, -1);
        return frame;
    }
};

TEST_F(TowerRenderer, DrawsTheRunningFilmIntoItsTheaterAndTheHostsFrameElsewhere)
{
    mRun->RunMinutes(640); // the first show's film runs from 10:30
    WbHostTower& tower = mRun->GetTower();
    ASSERT_EQ(tower.GetTheater(0).GetStatus(), 32);
    ASSERT_EQ(tower.GetTheater(1).GetStatus(), 10);

    const WbTowerPictures pictures = WbTowerRenderer::Draw(tower);
    ASSERT_EQ(pictures.theaters.size(), 2u);
    const WbBitImage& roxy = *pictures.theaters[0];
    const WbBitImage& darkHall = *pictures.theaters[1];
    ASSERT_EQ(roxy.GetWidth(), 248);
    ASSERT_EQ(roxy.GetHeight(), 96);

    // The film's screen sits 14 from the left and 22 up from the bottom; around it, the running frame.
    const WbImageObj& film = *tower.GetTheater(0).GetSubPlugin()->GetImageObj();
    const WbBitImage& screen = *film.GetPart(film.FindObject(WbFourCC("SCRE"), -1, 0, 0, 255)).image;
    const WbBitImage running = Frame(303);
    int screenMisses = 0;
    int frameMisses = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 248; ++x) {
            const bool inScreen = x >= 14 && x < 214 && y >= 14 && y < 74;
            if (inScreen)
                screenMisses += roxy.GetPixel(x, y) != screen.GetPixel(x - 14, y - 14);
            else
                frameMisses += roxy.GetPixel(x, y) != running.GetPixel(x, y);
        }
    EXPECT_EQ(screenMisses, 0);
    EXPECT_EQ(frameMisses, 0);
    EXPECT_EQ(darkHall.GetPixels(), Frame(300).GetPixels()) << "a closed theater is the host's closed frame";

    // The strip holds both theaters side by side with the sky above and the ground below.
    ASSERT_NE(pictures.strip, nullptr);
    EXPECT_GT(pictures.strip->GetWidth(), 2 * 248);
    EXPECT_GT(pictures.strip->GetHeight(), 96);
}

TEST_F(TowerRenderer, WritesTheFirstMinuteOfEachStateByDefault)
{
    const std::string directory = TempPath("render-default");
    WbTowerRenderer renderer;
    CLI::App app;
    renderer.AddOptions(app);
    const std::vector<std::string> arguments{"--render", directory};
    app.parse(std::vector<std::string>(arguments.rbegin(), arguments.rend()));
    renderer.Attach(*mRun);
    mRun->RunMinutes(1440);
    mRun->Finish();
    renderer.Finish(*mRun);

    // Closed from midnight, the first entry period at 10:00, the film at 10:30 (the entries of the first
    // period do not reach half of 100 seats).
    std::vector<std::string> expected;
    for (const char* stem : {"day1-0000", "day1-1000", "day1-1030"})
        for (const char* what : {"-tower.png", "-theater1.png", "-theater2.png"})
            expected.push_back(directory + "/" + stem + what);
    EXPECT_EQ(renderer.GetWritten(), expected);
    for (const std::string& path : expected)
        EXPECT_GT(std::filesystem::file_size(path), 100u) << path;
    std::filesystem::remove_all(directory);
}

TEST_F(TowerRenderer, NamedMinutesMustComeDuringTheRun)
{
    const std::string directory = TempPath("render-named");
    WbTowerRenderer renderer;
    WbScenarioReader reader;
    renderer.AddScenarioSections(reader);
    reader.ReadText(R"({"render_minutes": [615, {"day": 3, "minute": 0}]})");
    CLI::App app;
    renderer.AddOptions(app);
    app.parse(std::vector<std::string>{directory, "--render"});
    renderer.Attach(*mRun);
    mRun->RunMinutes(1440);
    mRun->Finish();
    try {
        renderer.Finish(*mRun);
        ADD_FAILURE() << "a minute that never came was not reported";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(),
                     "render_minutes[1]: day 3 minute 0 never came; the run's last minute was day 1 minute 1439");
    }
    EXPECT_EQ(renderer.GetWritten().size(), 3u) << "615 was drawn";
    std::filesystem::remove_all(directory);
}

TEST(TowerRendererMinutes, AreMinutesOfTheDayOrDayAndMinute)
{
    const auto minutes =
        WbTowerRenderer::ReadMinutes(nlohmann::json::parse(R"([610, {"day": 2, "minute": 0}])"), "render_minutes");
    EXPECT_EQ(minutes, (std::vector<WbRenderMinute>{{1, 610}, {2, 0}}));

    struct Case {
        const char* json;
        const char* error;
    };
    const Case cases[] = {
        {"600", "render_minutes: 600 is not a list of minutes"},
        {"[1440]", "render_minutes[0]: 1440 is not a minute of the day, 0 to 1439"},
        {"[-1]", "render_minutes[0]: -1 is not a minute of the day, 0 to 1439"},
        {R"([{"day": 0, "minute": 5}])", "render_minutes[0].day: 0 is not a day of the run, 1 or more"},
        {R"([{"day": 2}])", "render_minutes[0]: names no minute"},
        {R"([{"hour": 2, "minute": 5}])", "render_minutes[0].hour: not a key of a render minute (day, minute)"},
        {R"([600, "noon"])", "render_minutes[1]: \"noon\" is not a minute of the day, 0 to 1439"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        try {
            WbTowerRenderer::ReadMinutes(nlohmann::json::parse(c.json), "render_minutes");
            ADD_FAILURE() << "accepted";
        } catch (const WbScenarioError& error) {
            EXPECT_STREQ(error.what(), c.error);
        }
    }
}

} // namespace
