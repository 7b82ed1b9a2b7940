// The movie theater's film policy: roadshow films in their run, the film's own attendance record, and
// a stop when the run is over.
#include "WbMovieSchedule.h"

#include "WbMoviePlugin.h"
#include "WbTowerDoc.h"

WbMovieSchedule::WbMovieSchedule(CProgramPlugin* plugin, WbTowerDoc* doc, WbTenant* tenant)
    : WbShowSchedule(plugin, doc, tenant)
{
    mMovieType = 1;
}

WbMovieSchedule::~WbMovieSchedule() = default;

// The life phase is asked only of a roadshow film.
int WbMovieSchedule::IsMovieShowable(WbMoviePlugin* film, const WbDateTime* now, int32_t dayBase) const
{
    return film && film->IsRoadshowFilm() && film->GetMovieLifePhase(now, dayBase) == 1 ? 1 : 0;
}

int WbMovieSchedule::GetNOPersonsR() const { return mMovie ? mMovie->GetNOPersonsR() : -1; }

void WbMovieSchedule::SetNOPersonsR(int32_t persons)
{
    if (mMovie)
        mMovie->SetNOPersonsR(persons);
}

// Once a film is found past its run the theater stops showing it, even if the film would come back
// later; only taking up a film again clears the flag.
int WbMovieSchedule::CheckMovieRun()
{
    if (!mMovie || IsRunEnded() || !mTowerDoc)
        return 0;
    const int showable = IsMovieShowable(mMovie, mTowerDoc->GetCurrentDateTime(), mTowerDoc->GetDayBase());
    if (!showable)
        SetRunEnded(1);
    return showable;
}

int WbMovieSchedule::IsRunEnded() const { return mRunEnded; }

void WbMovieSchedule::SetRunEnded(int flag) { mRunEnded = flag; }
