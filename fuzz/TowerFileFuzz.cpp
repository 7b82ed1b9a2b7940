// Fuzzes the loading of a save file: the reader, then the tower built from what it read, each theater's
// extra data going to the real module's LoadExtraData, then a whole day of that tower's run, so that every
// figure a file may hold is also one the module and the host compute on. The reader checks the checksum
// before any field, so a changed file only reaches the fields when it is made right again: every input is
// also loaded with its magic and version put back and its last four bytes made the checksum of the rest.
#include "Afx.h"
#include "CResFile.h"
#include "TheaterModule.h"
#include "TheaterResources.h"
#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbHostTower.h"
#include "WbScenario.h"
#include "WbTowerFile.h"

#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace {

// The module made as the loader makes it, with the films of the scenarios whose saves are the seeds.
class FuzzHost final {
public:
    FuzzHost()
    {
        const std::unique_ptr<WbPluginSpecifier> attr(GetAttr());
        mAttr = *attr;
        mDef = ConstructTemplatePlugin(mAttr, &mResources, &mWorld, ConstructProgramPlugin(mAttr));
        mShelf.OfferTo(mDef);
    }

    // Loads as WbTowerStore::Load does, then saves what it loaded; the films are put back as they were.
    void Load(std::span<const uint8_t> bytes)
    {
        const WbTowerFile::FilmKnown known = [this](uint32_t id) { return mShelf.Find(id) != nullptr; };
        WbTowerImage image;
        std::unique_ptr<WbHostTower> tower;
        try {
            image = WbTowerFile::Decode(bytes, known);
            // Whatever the reader takes, it writes back byte for byte.
            if (!std::ranges::equal(WbTowerFile::Encode(image), bytes))
                __builtin_trap();
            tower = WbHostTower::FromImage(image, mDef, mShelf);
        } catch (const WbTowerFileError& error) {
            if (*error.what() == '\0') // every refusal says why
                __builtin_trap();
            return;
        }
        mShelf.Restore(image.films);
        // A tower that loaded runs on for a day (the host runs no tower past its last day) and then saves
        // into a file that loads: a refusal here escapes and ends the run.
        {
            WbHostRun run(std::move(tower), 1);
            run.RunMinutes(
                std::min<int64_t>(WbDateTime::kMinutesPerDay,
                                  (int64_t(WbScenarioLimits::kLastDay) - image.day) * WbDateTime::kMinutesPerDay));
            run.Finish();
            WbTowerFile::Decode(WbTowerFile::Encode(run.GetTower().Capture()), known);
        }
        mShelf.Restore(mFreshFilms);
    }

private:
    CDynLinkLibrary mLibrary{this, TheaterResourceBytes()};
    CResFile mResources{mLibrary.GetModule()};
    WbWorldDef mWorld;
    WbPluginSpecifier mAttr;
    WbTenantDef* mDef = nullptr;
    WbFilmShelf mShelf{
        {{.id = "GLHB"}, {.id = "SKRL"}, {.id = "LMPO"}, {.id = "RAIN"}, {.id = "SNOW"}, {.id = "STAR"}}};
    const std::vector<WbSavedFilm> mFreshFilms = mShelf.Capture();
};

std::vector<uint8_t> Repaired(std::span<const uint8_t> bytes)
{
    constexpr size_t kFraming = WbTowerFile::kMagic.size() + 4;
    std::vector<uint8_t> file(bytes.begin(), bytes.end());
    if (file.size() < kFraming + 4)
        return file;
    std::ranges::copy(WbTowerFile::kMagic, file.begin());
    for (size_t i = 0; i < 4; ++i)
        file[WbTowerFile::kMagic.size() + i] = uint8_t(WbTowerFile::kVersion >> (8 * i));
    const size_t body = file.size() - 4;
    const uint32_t checksum = uint32_t(crc32(0, file.data(), uInt(body)));
    for (size_t i = 0; i < 4; ++i)
        file[body + i] = uint8_t(checksum >> (8 * i));
    return file;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static FuzzHost host;
    const std::span<const uint8_t> bytes(data, size);
    host.Load(bytes);
    if (const std::vector<uint8_t> repaired = Repaired(bytes); !std::ranges::equal(repaired, bytes))
        host.Load(repaired);
    return 0;
}
