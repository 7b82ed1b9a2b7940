// Films of a run: made from the scenario, listed in the running tower and offered to the theater kind.
#include "WbFilmShelf.h"

#include "CPlugin.h"
#include "WbFourCC.h"
#include "WbMoviePlugin.h"
#include "WbTenantDef.h"
#include "WbTowerDoc.h"

namespace {

WbFilmInfo FilmInfo(const WbScenarioFilm& film)
{
    WbFilmInfo info;
    info.id = WbFourCC(film.id);
    info.titles[1] = film.title;
    info.secondLine = film.secondLine;
    info.producer = film.producer;
    info.director = film.director;
    info.performers = film.performers;
    info.movieName = film.movie;
    // A film's still is its screen picture: the source names the film, the ID the picture's object.
    info.stillSource = film.id;
    info.stillID = int32_t(WbFourCC("SCRE"));
    info.runningTime = film.runningTime;
    info.cost = film.cost;
    info.carryOver = film.carryOver;
    info.firstDayAudience = film.firstDayAudience;
    info.personsRecord = film.personsRecord;
    info.roadshow = film.roadshow;
    info.releaseDay = film.releaseDay;
    info.runDays = film.runDays;
    return info;
}

} // namespace

WbFilmShelf::WbFilmShelf(const std::vector<WbScenarioFilm>& films)
{
    mFilms.reserve(films.size());
    for (const WbScenarioFilm& film : films)
        mFilms.push_back(std::make_unique<WbMoviePlugin>(FilmInfo(film)));
}

WbFilmShelf::~WbFilmShelf() = default;

WbMoviePlugin* WbFilmShelf::Find(uint32_t id) const
{
    for (const auto& film : mFilms)
        if (film->GetID() == id)
            return film.get();
    return nullptr;
}

WbMoviePlugin* WbFilmShelf::Find(const std::string& id) const { return Find(WbFourCC(id)); }

void WbFilmShelf::OfferTo(WbTenantDef* def) const
{
    CFilePluginList* list = def ? def->GetSubPluginList() : nullptr;
    if (!list)
        return;
    for (const auto& film : mFilms)
        if (!list->GetItem(film->GetID()))
            list->Append(film.get());
}

void WbFilmShelf::ListIn(WbTowerDoc* doc) const
{
    CFilePluginList* list = doc->GetMovieList();
    for (const auto& film : mFilms)
        if (!list->GetItem(film->GetID()))
            list->Append(film.get());
}

void WbFilmShelf::ReportThrough(WbTowerDoc* doc)
{
    for (const auto& film : mFilms)
        film->SetTowerDoc(doc);
    mReportingTo = doc;
}

void WbFilmShelf::Forget(const WbTowerDoc* doc)
{
    if (mReportingTo != doc)
        return;
    for (const auto& film : mFilms)
        film->SetTowerDoc(nullptr);
    mReportingTo = nullptr;
}

std::vector<WbSavedFilm> WbFilmShelf::Capture() const
{
    std::vector<WbSavedFilm> saved;
    for (const auto& film : mFilms)
        saved.push_back({film->GetID(), film->GetNOPersonsR(), film->GetInfo().releaseDay});
    return saved;
}

void WbFilmShelf::Restore(const std::vector<WbSavedFilm>& films) const
{
    for (const WbSavedFilm& saved : films)
        if (WbMoviePlugin* film = Find(saved.id)) {
            film->GetInfo().personsRecord = saved.personsRecord;
            film->GetInfo().releaseDay = saved.releaseDay;
        }
}
