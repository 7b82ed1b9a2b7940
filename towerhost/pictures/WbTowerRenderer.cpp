// Draws the running tower to PNG files, through the same drawing calls the host makes for its screen.
#include "WbTowerRenderer.h"

#include "WbHostRun.h"
#include "WbHostTower.h"
#include "WbPngWriter.h"
#include "WbQuoted.h"
#include "WbScenarioReader.h"
#include "WbTenant.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <unistd.h>

namespace {

using json = nlohmann::json;

// The states a theater shows in its pictures: closed, entry, entry half full, film running.
constexpr int32_t kPictureStates[] = {10, 30, 31, 32};

// Around the tower on the strip: sky above, ground below, a little air at the sides (in pixels).
constexpr int kSkyRows = 40;
constexpr int kGroundRows = 24;
constexpr int kSideColumns = 24;
constexpr int kWallColumns = 6;

constexpr RECT kNoArea{};

// The palette's index nearest to a colour, for the strip's backdrop in whatever palette the screen has.
uint8_t Nearest(const WbPalette& palette, WbRGB colour)
{
    int best = 0;
    int bestDistance = INT32_MAX;
    for (int i = 0; i < 256; ++i) {
        const int dr = int(palette[size_t(i)].red) - colour.red;
        const int dg = int(palette[size_t(i)].green) - colour.green;
        const int db = int(palette[size_t(i)].blue) - colour.blue;
        const int distance = dr * dr + dg * dg + db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return uint8_t(best);
}

RECT PixelArea(const WbTenant& tenant, int zoom)
{
    RECT area = tenant.GetEquipArea();
    UWbCoordinate::UnitToQD(area, zoom, 0);
    return area;
}

// A copy of a rectangle of the image, with its palette.
std::unique_ptr<WbBitImage> Cut(const WbBitImage& image, const RECT& rect)
{
    auto cut = std::make_unique<WbBitImage>(rect.right - rect.left, rect.bottom - rect.top);
    cut->SetPalette(image.GetPalette());
    for (int y = 0; y < cut->GetHeight(); ++y)
        for (int x = 0; x < cut->GetWidth(); ++x) {
            const int sx = rect.left + x;
            const int sy = rect.top + y;
            if (sx >= 0 && sy >= 0 && sx < image.GetWidth() && sy < image.GetHeight())
                cut->SetPixel(x, y, image.GetPixel(sx, sy));
        }
    return cut;
}

std::string TwoDigits(uint32_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02u", value % 100);
    return text;
}

} // namespace

std::vector<WbRenderMinute> WbTowerRenderer::ReadMinutes(const json& value, const std::string& path)
{
    if (!value.is_array())
        throw WbScenarioError(path + ": " + value.dump(-1, ' ', true) + " is not a list of minutes");
    std::vector<WbRenderMinute> minutes;
    for (size_t i = 0; i < value.size(); ++i) {
        const std::string where = path + "[" + std::to_string(i) + "]";
        const json& entry = value[i];
        WbRenderMinute minute;
        const json* day = nullptr;
        const json* raw = &entry;
        if (entry.is_object()) {
            for (const auto& [key, field] : entry.items())
                if (key != "day" && key != "minute")
                    throw WbScenarioError(where + "." + WbKeyText(key) +
                                          ": not a key of a render minute (day, minute)");
            if (!entry.contains("minute"))
                throw WbScenarioError(where + ": names no minute");
            raw = &entry["minute"];
            day = entry.contains("day") ? &entry["day"] : nullptr;
        }
        const std::string minutePath = entry.is_object() ? where + ".minute" : where;
        if (!raw->is_number_integer() || raw->get<int64_t>() < 0 || raw->get<int64_t>() > 1439)
            throw WbScenarioError(minutePath + ": " + raw->dump(-1, ' ', true) +
                                  " is not a minute of the day, 0 to 1439");
        minute.minute = uint32_t(raw->get<int64_t>());
        if (day) {
            if (!day->is_number_integer() || day->get<int64_t>() < 1 || day->get<int64_t>() > INT32_MAX)
                throw WbScenarioError(where + ".day: " + day->dump(-1, ' ', true) +
                                      " is not a day of the run, 1 or more");
            minute.day = int32_t(day->get<int64_t>());
        }
        minutes.push_back(minute);
    }
    return minutes;
}

WbTowerPictures WbTowerRenderer::Draw(const WbHostTower& tower)
{
    WbTowerDoc& doc = tower.GetDoc();
    const int zoom = doc.GetZoomLevel();
    RECT bounds = kNoArea;
    for (int i = 0; i < tower.GetTheaterCount(); ++i) {
        const RECT area = PixelArea(tower.GetTheater(i), zoom);
        bounds.right = std::max(bounds.right, area.right);
        bounds.bottom = std::max(bounds.bottom, area.bottom);
    }
    WbTowerPictures pictures;
    if (bounds.right <= 0 || bounds.bottom <= 0)
        return pictures;

    // The document's draw image is the tower's screen: the theaters draw themselves there.
    doc.SetDrawImage(std::make_unique<WbBitImage>(bounds.right, bounds.bottom));
    WbBitImage& screen = *doc.GetDrawImage();
    const WbPalette& palette = screen.GetPalette();
    screen.Fill(Nearest(palette, {96, 92, 88}));
    for (int i = 0; i < tower.GetTheaterCount(); ++i) {
        WbTenant& theater = tower.GetTheater(i);
        RECT area = theater.GetEquipArea();
        tower.GetDef()->DrawProc(&theater, area, &doc);
        pictures.theaters.push_back(Cut(screen, PixelArea(theater, zoom)));
    }

    // The strip: the tower standing on the ground under the sky, its outer walls drawn around the floors.
    const int width = bounds.right + 2 * (kSideColumns + kWallColumns);
    const int height = kSkyRows + bounds.bottom + kGroundRows;
    auto strip = std::make_unique<WbBitImage>(width, height);
    // Sky in two colours of the palette, mixed in a checkerboard where they meet, so that it shows no band.
    const int skyRows = kSkyRows + bounds.bottom;
    const uint8_t highSky = Nearest(palette, {102, 204, 255});
    const uint8_t lowSky = Nearest(palette, {153, 204, 255});
    for (int y = 0; y < skyRows; ++y)
        for (int x = 0; x < width; ++x) {
            const bool low = y * 5 >= skyRows * 3 + (((x + y) & 1) ? skyRows / 4 : 0);
            strip->SetPixel(x, y, low ? lowSky : highSky);
        }
    const int towerLeft = kSideColumns;
    const int towerRight = width - kSideColumns;
    strip->FillRect(RECT{towerLeft, kSkyRows - 6, towerRight, kSkyRows + bounds.bottom},
                    Nearest(palette, {70, 66, 62}));
    strip->FillRect(RECT{towerLeft - 2, kSkyRows - 8, towerRight + 2, kSkyRows - 5}, Nearest(palette, {150, 146, 140}));
    strip->FillRect(RECT{0, kSkyRows + bounds.bottom, width, height}, Nearest(palette, {51, 102, 51}));
    strip->FillRect(RECT{0, kSkyRows + bounds.bottom, width, kSkyRows + bounds.bottom + 3},
                    Nearest(palette, {160, 160, 150}));
    for (int y = 0; y < screen.GetHeight(); ++y)
        for (int x = 0; x < screen.GetWidth(); ++x)
            strip->SetPixel(towerLeft + kWallColumns + x, kSkyRows + y, screen.GetPixel(x, y));
    pictures.strip = std::move(strip);
    return pictures;
}

void WbTowerRenderer::AddOptions(CLI::App& app)
{
    app.add_option("--render", mDirectory,
                   "Write PNG pictures of the theaters and the tower at the scenario's \"render_minutes\" (default: "
                   "the first minute of each state on the first day)")
        ->type_name("DIR");
}

void WbTowerRenderer::AddScenarioSections(WbScenarioReader& reader)
{
    reader.AddSection("render_minutes",
                      [this](const json& value, const std::string& path) { mMinutes = ReadMinutes(value, path); });
}

void WbTowerRenderer::CheckBeforeRun(const WbHostRun& run, int64_t minutes)
{
    if (mDirectory.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(mDirectory, error);
    if (error)
        throw std::runtime_error("--render " + mDirectory + ": cannot make the folder (" + error.message() + ")");
    if (::access(mDirectory.c_str(), W_OK) != 0)
        throw std::runtime_error("--render " + mDirectory + ": cannot be written: " + std::strerror(errno));
    // Minutes counted from midnight of the run's first day: the run covers first to last.
    const int64_t first = run.GetMinute();
    const int64_t last = first + minutes - 1;
    for (size_t i = 0; i < mMinutes.size(); ++i) {
        const int64_t at = int64_t(mMinutes[i].day - 1) * WbDateTime::kMinutesPerDay + mMinutes[i].minute;
        if (at >= first && at <= last)
            continue;
        const std::string covered = minutes <= 0 ? "runs no minute"
                                                 : "runs from day 1 minute " + std::to_string(first) + " to day " +
                                                       std::to_string(last / WbDateTime::kMinutesPerDay + 1) +
                                                       " minute " + std::to_string(last % WbDateTime::kMinutesPerDay);
        throw std::runtime_error("render_minutes[" + std::to_string(i) + "]: day " + std::to_string(mMinutes[i].day) +
                                 " minute " + std::to_string(mMinutes[i].minute) +
                                 " is not a minute of the run, which " + covered);
    }
}

void WbTowerRenderer::Attach(WbHostRun& run)
{
    if (mDirectory.empty())
        return;
    std::error_code error;
    std::filesystem::create_directories(mDirectory, error);
    if (error)
        mError = "--render " + mDirectory + ": cannot make the folder (" + error.message() + ")";
    mFirstDay = run.GetDay();
    // Minutes of the first day given as plain numbers count from the run's first day.
    mDone.assign(mMinutes.size(), false);
    run.AddListener(this);
}

void WbTowerRenderer::OnMinuteEnd(WbHostRun& run)
{
    if (mDirectory.empty() || !mError.empty())
        return;
    const int32_t runDay = run.GetDay() - mFirstDay + 1;
    mLastMinute = {runDay, run.GetMinute()};
    bool wanted = false;
    if (mMinutes.empty()) {
        if (runDay != 1)
            return;
        const WbHostTower& tower = run.GetTower();
        for (int i = 0; i < tower.GetTheaterCount(); ++i) {
            const int32_t status = tower.GetTheater(i).GetStatus();
            if (std::find(std::begin(kPictureStates), std::end(kPictureStates), status) != std::end(kPictureStates) &&
                mStatesDrawn.insert(status).second)
                wanted = true;
        }
    } else {
        for (size_t i = 0; i < mMinutes.size(); ++i)
            if (!mDone[i] && mMinutes[i] == WbRenderMinute{runDay, run.GetMinute()}) {
                mDone[i] = true;
                wanted = true;
            }
    }
    if (wanted)
        Write(run);
}

void WbTowerRenderer::Write(WbHostRun& run)
{
    const WbTowerPictures pictures = Draw(run.GetTower());
    if (!pictures.strip)
        return;
    const uint32_t minute = run.GetMinute();
    const std::string stem =
        mDirectory + "/day" + std::to_string(run.GetDay()) + "-" + TwoDigits(minute / 60) + TwoDigits(minute % 60);
    auto write = [this](const std::string& path, const WbBitImage& image) {
        if (!mError.empty())
            return;
        mError = WbWritePng(path, image);
        if (mError.empty())
            mWritten.push_back(path);
    };
    write(stem + "-tower.png", *pictures.strip);
    for (size_t i = 0; i < pictures.theaters.size(); ++i)
        write(stem + "-theater" + std::to_string(i + 1) + ".png", *pictures.theaters[i]);
}

void WbTowerRenderer::Finish(WbHostRun&)
{
    if (mDirectory.empty())
        return;
    if (!mError.empty())
        throw std::runtime_error(mError);
    for (size_t i = 0; i < mMinutes.size(); ++i)
        if (!mDone[i])
            throw std::runtime_error("render_minutes[" + std::to_string(i) + "]: day " +
                                     std::to_string(mMinutes[i].day) + " minute " + std::to_string(mMinutes[i].minute) +
                                     " never came; the run's last minute was day " + std::to_string(mLastMinute.day) +
                                     " minute " + std::to_string(mLastMinute.minute));
}
