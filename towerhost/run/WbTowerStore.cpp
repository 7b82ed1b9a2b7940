// A save file is read completely into a new tower before anything of the running one changes.
#include "WbTowerStore.h"

#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbTowerFile.h"

namespace {

WbTowerFile::FilmKnown KnownFilms(const WbFilmShelf& shelf)
{
    return [&shelf](uint32_t filmID) { return shelf.Find(filmID) != nullptr; };
}

void Replace(WbHostRun& run, const WbTowerImage& image, const std::string& name)
{
    WbFilmShelf& shelf = run.GetTower().GetShelf();
    std::unique_ptr<WbHostTower> tower;
    try {
        tower = WbHostTower::FromImage(image, run.GetTower().GetDef(), shelf);
    } catch (const WbTowerFileError& error) {
        throw WbTowerFileError(name + ": " + error.what());
    }
    shelf.Restore(image.films);
    run.ReplaceTower(std::move(tower));
}

} // namespace

namespace WbTowerStore {

void Save(const WbHostRun& run, const std::string& path) { WbTowerFile::Save(path, run.GetTower().Capture()); }

void Load(WbHostRun& run, const std::string& path)
{
    Replace(run, WbTowerFile::Load(path, KnownFilms(run.GetTower().GetShelf())), path);
}

void Load(WbHostRun& run, std::span<const uint8_t> bytes, const std::string& name)
{
    WbTowerImage image;
    try {
        image = WbTowerFile::Decode(bytes, KnownFilms(run.GetTower().GetShelf()));
    } catch (const WbTowerFileError& error) {
        throw WbTowerFileError(name + ": " + error.what());
    }
    Replace(run, image, name);
}

} // namespace WbTowerStore
