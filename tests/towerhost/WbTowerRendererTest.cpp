// Pictures of the running tower as the host's screen draws them, and PNG bytes that do not depend on the build.
#include "WbTowerRenderer.h"

#include "HostRunFixture.h"
#include "WbMoviePlugin.h"
#include "WbPngWriter.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbZlibPng.h"

#include <CLI/CLI.hpp>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

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

    const std::string mDirectory = File("render");
};

TEST_F(TowerRenderer, DrawsTheRunningFilmIntoItsTheaterAndTheHostsFrameElsewhere)
{
    mRun->RunMinutes(640); // the first show's film runs from 10:30
    WbHostTower& tower = mRun->GetTower();
    ASSERT_EQ(std::pair(tower.GetTheater(0).GetStatus(), tower.GetTheater(1).GetStatus()), std::pair(32, 10));

    const WbTowerPictures pictures = WbTowerRenderer::Draw(tower);
    ASSERT_EQ(pictures.theaters.size(), 2u);
    const WbBitImage& roxy = *pictures.theaters[0];
    ASSERT_EQ(std::pair(roxy.GetWidth(), roxy.GetHeight()), std::pair(248, 96));

    // The film's screen sits 14 from the left and 22 up from the bottom; around it, the running frame.
    const WbImageObj& film = *tower.GetTheater(0).GetSubPlugin()->GetImageObj();
    const WbBitImage& screen = *film.GetPart(film.FindObject(WbFourCC("SCRE"), -1, 0, 0, 255)).image;
    const WbBitImage running = Frame(303);
    int misses = 0;
    for (int y = 0; y < 96; ++y)
        for (int x = 0; x < 248; ++x) {
            const bool inScreen = x >= 14 && x < 214 && y >= 14 && y < 74;
            misses += roxy.GetPixel(x, y) != (inScreen ? screen.GetPixel(x - 14, y - 14) : running.GetPixel(x, y));
        }
    EXPECT_EQ(misses, 0);
    EXPECT_EQ(pictures.theaters[1]->GetPixels(), Frame(300).GetPixels())
        << "a closed theater is the host's closed frame";

    // The strip holds both theaters side by side with the sky above and the ground below.
    ASSERT_NE(pictures.strip, nullptr);
    EXPECT_TRUE(pictures.strip->GetWidth() > 2 * 248 && pictures.strip->GetHeight() > 96);
}

TEST_F(TowerRenderer, DrawsTheFirstMinuteOfEachStateOrTheNamedMinutesWhichMustComeDuringTheRun)
{
    WbTowerRenderer byState, named;
    WbScenarioReader reader;
    named.AddScenarioSections(reader);
    reader.ReadText(R"({"render_minutes": [615, {"day": 3, "minute": 0}]})");
    for (WbTowerRenderer* renderer : {&byState, &named}) {
        CLI::App app;
        renderer->AddOptions(app);
        app.parse(std::vector<std::string>{mDirectory, "--render"});
        renderer->Attach(*mRun);
    }
    mRun->RunMinutes(1440);
    mRun->Finish();

    // Closed from midnight, entry at 10:00, the film at 10:30 (the first entries do not reach half of 100 seats).
    byState.Finish(*mRun);
    std::vector<std::string> expected;
    for (const char* stem : {"day1-0000", "day1-1000", "day1-1030"})
        for (const char* what : {"-tower.png", "-theater1.png", "-theater2.png"})
            expected.push_back(mDirectory + "/" + stem + what);
    EXPECT_EQ(byState.GetWritten(), expected);
    EXPECT_GT(std::filesystem::file_size(expected.back()), 100u);

    EXPECT_THAT([&] { named.Finish(*mRun); },
                testing::ThrowsMessage<std::runtime_error>(
                    "render_minutes[1]: day 3 minute 0 never came; the run's last minute was day 1 minute 1439"));
    EXPECT_EQ(named.GetWritten(),
              (std::vector<std::string>{mDirectory + "/day1-1015-tower.png", mDirectory + "/day1-1015-theater1.png",
                                        mDirectory + "/day1-1015-theater2.png"}));
}

TEST(TowerRendererMinutes, MistakesAreNamedWhileTheScenarioIsRead)
{
    WbTowerRenderer renderer;
    WbScenarioReader reader;
    renderer.AddScenarioSections(reader);
    const struct {
        const char* minutes;
        const char* error;
    } kCases[] = {
        {"600", "render_minutes: 600 is not a list of minutes"},
        {"[1440]", "render_minutes[0]: 1440 is not a minute of the day, 0 to 1439"},
        {R"([{"day": 0, "minute": 5}])", "render_minutes[0].day: 0 is not a day of the run, 1 or more"},
        {R"([{"day": 2}])", "render_minutes[0]: names no minute"},
        {R"([{"hour": 2, "minute": 5}])", "render_minutes[0].hour: not a key of a render minute (day, minute)"},
    };
    for (const auto& c : kCases)
        EXPECT_THAT([&] { reader.ReadText(std::string(R"({"render_minutes": )") + c.minutes + "}"); },
                    testing::ThrowsMessage<WbScenarioError>(std::string(c.error)))
            << c.minutes;
}

WbBitImage Picture(int width, int height, bool noisy)
{
    WbBitImage image(width, height);
    WbPalette palette;
    for (size_t i = 0; i < palette.size(); ++i)
        palette[i] = {uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)};
    image.SetPalette(palette);
    std::mt19937 random(uint32_t(width * 1000 + height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.SetPixel(x, y, noisy ? uint8_t(random()) : uint8_t((x / 8 + y / 5) % 12));
    return image;
}

TEST(WbZlibPng, WritesTheBytesLibpngWrites)
{
    // Sizes on both sides of libpng's narrowed windows (up to 16384 bytes of rows) and of its 8192-byte
    // chunks, flat pictures and noise that deflate cannot shrink.
    const struct {
        int width, height;
    } sizes[] = {{1, 1}, {7, 3}, {31, 8}, {64, 64}, {127, 128}, {128, 127}, {200, 81}, {320, 240}, {640, 480}};
    for (const auto& size : sizes)
        for (bool noisy : {false, true}) {
            SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height) + (noisy ? " noise" : ""));
            const WbBitImage image = Picture(size.width, size.height, noisy);
            std::vector<uint8_t> libpng, zlib;
            ASSERT_TRUE(WbEncodePng(image, libpng));
            ASSERT_TRUE(WbEncodeZlibPng(image, zlib));
            EXPECT_TRUE(zlib == libpng);
        }
}

} // namespace
