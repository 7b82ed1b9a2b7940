// The movie theater's film policy: roadshow films in their run, the film's own attendance record, and
// a stop when the run is over.
#pragma once

#include "WbShowSchedule.h"

class WbMovieSchedule final : public WbShowSchedule {
public:
    WbMovieSchedule(CProgramPlugin* plugin, WbTowerDoc* doc, WbTenant* tenant);
    ~WbMovieSchedule();

    int IsMovieShowable(WbMoviePlugin* film, const WbDateTime* now, int32_t dayBase) const override;
    int GetNOPersonsR() const override;
    void SetNOPersonsR(int32_t persons) override;
    int CheckMovieRun() override;
    int IsRunEnded() const override;
    void SetRunEnded(int flag) override;

private:
    int mRunEnded = 0;
};
