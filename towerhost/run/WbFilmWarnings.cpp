// A theater bound to a film that is not yet released, or whose run is over, is found out before the first
// minute: the module would examine the film on its first pass, find it unshowable and keep the theater
// closed until another film is chosen, with no word to the player.
#include "WbFilmWarnings.h"

#include "WbFourCC.h"
#include "WbHostTower.h"
#include "WbMoviePlugin.h"
#include "WbQuoted.h"
#include "WbTowerDoc.h"

namespace {

// The film's life phases as GetMovieLifePhase gives them.
constexpr int kBeforeRelease = 0;
constexpr int kInRun = 1;

// Why the film cannot be shown today, and when it could have been; empty when it can.
std::string Unshowable(const WbMoviePlugin& film, const WbDateTime& now, int32_t dayBase)
{
    if (!film.IsRoadshowFilm())
        return "it is not a roadshow film, which the module never shows";
    const int phase = film.GetMovieLifePhase(&now, dayBase);
    if (phase == kInRun)
        return {};
    const WbFilmInfo& info = film.GetInfo();
    const int64_t release = int64_t(dayBase) + info.releaseDay;
    if (phase == kBeforeRelease)
        return "it is released on day " + std::to_string(release);
    return "its run ended after day " + std::to_string(release + info.runDays - 1);
}

} // namespace

std::vector<std::string> WbFilmWarnings(const WbHostTower& tower)
{
    const WbTowerDoc& doc = tower.GetDoc();
    const WbDateTime& now = *doc.GetCurrentDateTime();
    // A tower whose day base is not set yet gets today's when its first theater is prepared.
    const int32_t dayBase = doc.GetDayBase() == 0 ? now.CalcTotalDays() : doc.GetDayBase();
    std::vector<std::string> warnings;
    for (int i = 0; i < tower.GetTheaterCount(); ++i) {
        const WbMoviePlugin* film = tower.GetTheater(i).GetSubPlugin();
        if (!film)
            continue;
        const std::string why = Unshowable(*film, now, dayBase);
        if (why.empty())
            continue;
        warnings.push_back("theater " + std::to_string(i + 1) + " " + WbQuoted(tower.GetTheaterName(i)) + ": film " +
                           WbQuoted(WbFourCCText(film->GetID())) + " cannot be shown on day " +
                           std::to_string(now.CalcTotalDays()) + ", the run's first: " + why +
                           "; the theater stays closed until another film is chosen");
    }
    return warnings;
}
