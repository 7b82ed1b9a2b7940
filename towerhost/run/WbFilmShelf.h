// The films the host installs for a run: made once from the scenario and shared by every tower it runs.
#pragma once

#include "WbScenario.h"
#include "WbTowerImage.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class WbMoviePlugin;
class WbTenantDef;
class WbTowerDoc;

class WbFilmShelf final {
public:
    explicit WbFilmShelf(const std::vector<WbScenarioFilm>& films);
    WbFilmShelf(const WbFilmShelf&) = delete;
    WbFilmShelf& operator=(const WbFilmShelf&) = delete;
    ~WbFilmShelf();

    // The film with this plug-in ID, or null.
    WbMoviePlugin* Find(uint32_t id) const;
    // The film with this four-character id, or null.
    WbMoviePlugin* Find(const std::string& id) const;
    const std::vector<std::unique_ptr<WbMoviePlugin>>& GetFilms() const { return mFilms; }

    // Offers the films to the theater definition, as the host does for the sub-plug-ins of its kind.
    void OfferTo(WbTenantDef* def) const;
    // Lists the films among the document's installed films.
    void ListIn(WbTowerDoc* doc) const;
    // Lets the films report through the document of the tower that runs.
    void ReportThrough(WbTowerDoc* doc);
    // Lets the films report through no document when this one goes away.
    void Forget(const WbTowerDoc* doc);

    std::vector<WbSavedFilm> Capture() const;
    // Puts saved states back; films the list does not name keep theirs.
    void Restore(const std::vector<WbSavedFilm>& films) const;

private:
    std::vector<std::unique_ptr<WbMoviePlugin>> mFilms;
    const WbTowerDoc* mReportingTo = nullptr;
};
