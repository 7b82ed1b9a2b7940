// A save file is read completely into a new tower before anything of the running one changes.
#include "WbTowerStore.h"

#include "WbFilmShelf.h"
#include "WbHostRun.h"
#include "WbTowerFile.h"

namespace WbTowerStore {

void Save(const WbHostRun& run, const std::string& path) { WbTowerFile::Save(path, run.GetTower().Capture()); }

void Load(WbHostRun& run, const std::string& path)
{
    WbFilmShelf& shelf = run.GetTower().GetShelf();
    const WbTowerImage image =
        WbTowerFile::Load(path, [&shelf](uint32_t filmID) { return shelf.Find(filmID) != nullptr; });
    std::unique_ptr<WbHostTower> tower;
    try {
        tower = WbHostTower::FromImage(image, run.GetTower().GetDef(), shelf);
    } catch (const WbTowerFileError& error) {
        throw WbTowerFileError(path + ": " + error.what());
    }
    shelf.Restore(image.films);
    run.ReplaceTower(std::move(tower));
}

} // namespace WbTowerStore
