// A film: a sub-plug-in of type 'MoPI' with its texts, pictures, running time, cost and record.
#pragma once

#include "CPlugin.h"
#include "CString.h"
#include "WbDll.h"

#include <cstdint>
#include <map>
#include <memory>

class WbDateTime;
class WbImageObj;
class WbTowerDoc;

// Everything the host knows of a film.
struct WbFilmInfo {
    uint32_t id = 0;
    std::map<int, CString> titles; // by movie type; type 1 is the plain title
    CString secondLine;
    CString producer;
    CString director;
    CString performers;
    CString movieName;
    CString stillSource;
    int32_t stillID = 0;
    int32_t runningTime = 0;
    int32_t cost = 0;
    int32_t carryOver = 0;
    int32_t firstDayAudience = 0;
    int32_t personsRecord = 0;
    bool roadshow = true;
    int32_t releaseDay = 0;
    int32_t runDays = 0; // 0: the run never ends
};

class WBDLL_API WbMoviePlugin : public CFilePlugin {
public:
    explicit WbMoviePlugin(const WbFilmInfo& info);
    ~WbMoviePlugin() override;

    // The title for a movie type; the plain title (type 1) for a type without a title of its own.
    void GetTitle(CString& title, int movieType) const;
    // 0 before the film's release day, 1 while it runs, 2 after its run; counted in days since the
    // tower's day base.
    int GetMovieLifePhase(const WbDateTime* now, int32_t dayBase) const;
    int IsRoadshowFilm() const { return mInfo.roadshow ? 1 : 0; }
    // Best attendance of one show any theater had with the film.
    int32_t GetNOPersonsR() const { return mInfo.personsRecord; }
    void SetNOPersonsR(int32_t persons);
    // The daily re-release check, given the days since the day base.
    void ChkReMake(int32_t days);
    // Pictures of the film: its screen picture is object 'SCRE'.
    WbImageObj* GetImageObj() const { return mImageObj.get(); }

    int32_t GetRunningTime() const { return mInfo.runningTime; }
    int32_t GetCost() const { return mInfo.cost; }
    int32_t GetCarryOver() const { return mInfo.carryOver; }
    int32_t GetFirstDayAudience() const { return mInfo.firstDayAudience; }
    const CString& GetSecondLine() const { return mInfo.secondLine; }
    const CString& GetProducer() const { return mInfo.producer; }
    const CString& GetDirector() const { return mInfo.director; }
    const CString& GetPerformers() const { return mInfo.performers; }
    const CString& GetQTMovieName() const { return mInfo.movieName; }
    const CString& GetStillScreenSource() const { return mInfo.stillSource; }
    int32_t GetStillScreenID() const { return mInfo.stillID; }

    // Host side.
    const WbFilmInfo& GetInfo() const { return mInfo; }
    WbFilmInfo& GetInfo() { return mInfo; }
    void SetTowerDoc(WbTowerDoc* doc) { mTowerDoc = doc; }

private:
    WbFilmInfo mInfo;
    std::unique_ptr<WbImageObj> mImageObj;
    WbTowerDoc* mTowerDoc = nullptr;
};
