// A save file is read completely into a new tower before anything of the running one changes.
#include "WbTowerStore.h"

#include "WbFilmShelf.h"
#include "WbFourCC.h"
#include "WbHostRun.h"
#include "WbQuoted.h"
#include "WbTowerFile.h"

#include <string>

namespace {

std::string Difference(const std::string& what) { return "saved from another tower: " + what; }

// A save continues the tower the scenario places: its theaters, in order and by name, and its films. A save
// of another tower would silently put other theaters in place of the scenario's, so the first difference is
// named instead.
void CheckSameTower(const WbHostTower& tower, const WbTowerImage& image)
{
    const size_t theaters = size_t(tower.GetTheaterCount());
    if (image.theaters.size() != theaters)
        throw WbTowerFileError(Difference("theater count " + std::to_string(image.theaters.size()) + " there, " +
                                          std::to_string(theaters) + " in the scenario"));
    for (size_t i = 0; i < theaters; ++i)
        if (image.theaters[i].name != tower.GetTheaterName(int(i)))
            throw WbTowerFileError(Difference("theater " + std::to_string(i + 1) + " is " +
                                              WbQuoted(image.theaters[i].name) + " there, " +
                                              WbQuoted(tower.GetTheaterName(int(i))) + " in the scenario"));
    const std::vector<WbSavedFilm> films = tower.GetShelf().Capture();
    if (image.films.size() != films.size())
        throw WbTowerFileError(Difference("film count " + std::to_string(image.films.size()) + " there, " +
                                          std::to_string(films.size()) + " in the scenario"));
    for (size_t i = 0; i < films.size(); ++i)
        if (image.films[i].id != films[i].id)
            throw WbTowerFileError(Difference("film " + std::to_string(i + 1) + " is " +
                                              WbQuoted(WbFourCCText(image.films[i].id)) + " there, " +
                                              WbQuoted(WbFourCCText(films[i].id)) + " in the scenario"));
}


WbTowerFile::FilmKnown KnownFilms(const WbFilmShelf& shelf)
{
    return [&shelf](uint32_t filmID) { return shelf.Find(filmID) != nullptr; };
}

void Replace(WbHostRun& run, const WbTowerImage& image, const std::string& name)
{
    WbFilmShelf& shelf = run.GetTower().GetShelf();
    std::unique_ptr<WbHostTower> tower;
    try {
        CheckSameTower(run.GetTower(), image);
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
