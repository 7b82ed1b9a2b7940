// A tower with one movie theater of the module's own resources, its films, and a log of what the host was asked.
#pragma once

#include "Afx.h"
#include "CResFile.h"
#include "TheaterResources.h"
#include "WbMoviePlugin.h"
#include "WbMovieSchedule.h"
#include "WbTenant.h"
#include "WbTheaterDef.h"
#include "WbTheaterPlugin.h"
#include "WbTowerDoc.h"

#include <algorithm>
#include <memory>
#include <ranges>
#include <vector>

class EventLog final : public WbTowerObserver {
public:
    void OnTowerEvent(const WbTowerEvent& event) override { mEvents.push_back(event); }

    const std::vector<WbTowerEvent>& Events() const { return mEvents; }
    void Clear() { mEvents.clear(); }
    int Count(WbEventKind kind) const { return int(std::ranges::count(mEvents, kind, &WbTowerEvent::kind)); }
    // The kinds in the order they were reported, without the redraw requests.
    std::vector<WbEventKind> Kinds() const
    {
        auto kinds = mEvents | std::views::transform(&WbTowerEvent::kind) |
                     std::views::filter([](WbEventKind kind) { return kind != WbEventKind::Redraw; });
        return {kinds.begin(), kinds.end()};
    }

private:
    std::vector<WbTowerEvent> mEvents;
};

// A plain roadshow film, 120 minutes long unless said otherwise, that runs for ever.
inline WbFilmInfo FilmInfo(uint32_t id, int32_t runningTime = 120, int32_t cost = 15)
{
    WbFilmInfo info;
    info.id = id;
    info.titles[1] = "Film " + std::to_string(id);
    info.runningTime = runningTime;
    info.cost = cost;
    info.carryOver = 100;
    return info;
}

class TheaterTower {
public:
    explicit TheaterTower(WbArrivalMode arrivals = WbArrivalMode::Immediate)
    {
        specifier.mName = "Theater";
        doc.SetObserver(&log);
        doc.SetArrivals(arrivals, 12345);
        doc.SetCurrentDateTime(WbDateTime(1, 0));
    }
    ~TheaterTower()
    {
        if (theater)
            def.DestructFinish(&doc, theater.get());
    }

    WbMoviePlugin* AddFilm(const WbFilmInfo& info)
    {
        WbMoviePlugin* film = films.emplace_back(std::make_unique<WbMoviePlugin>(info)).get();
        film->SetTowerDoc(&doc);
        def.GetSubPluginList()->Append(film);
        doc.GetMovieList()->Append(film);
        return film;
    }

    // Places the theater with a film (or none) as the host does: bound, prepared, at the given status.
    WbTenant* Place(WbMoviePlugin* film, int32_t status = 10, int32_t capacity = 200)
    {
        theater = std::make_unique<WbTenant>(&doc, &def, RECT{0, 0, 31, 3}, 1);
        theater->SetCapacity(capacity);
        theater->SetStatus(status);
        if (film)
            theater->SetMoviePlugin(film);
        def.PrepareTenantProc(&doc, theater.get());
        log.Clear();
        return theater.get();
    }

    WbMovieSchedule* Schedule() const { return static_cast<WbMovieSchedule*>(WbShowSchedule::Of(theater.get())); }

    // Admits count people into the theater, as if they had arrived.
    void Admit(int count)
    {
        for (int i = 0; i < count; ++i)
            theater->EnterCustomer(doc.MakePerson(), 0);
    }
    void Arrive() { def.EnterTenantProc(&doc, theater.get(), doc.MakePerson()); }
    void SetTime(int32_t day, uint32_t minute) { doc.SetCurrentDateTime(WbDateTime(day, minute)); }
    uint32_t Minute() const { return doc.GetCurrentDateTime()->GetRawMinutes(); }

    // Advances the clock one minute and runs it as the host does: arrivals first, then the theater's idle
    // pass; the host then draws, which clears the draw mode.
    void Step()
    {
        doc.GetCurrentDateTime()->AdvanceMinute();
        doc.DeliverArrivals();
        doc.FinishConstruction(theater.get());
        def.TenantIdleProc(&doc, theater.get(), 0);
        theater->SetDrawMode(0);
    }
    // Runs minutes until the clock shows the given minute of the day (that minute included).
    void RunTo(uint32_t minute)
    {
        do
            Step();
        while (Minute() != minute);
    }

    // The module's resources in the chain, as the module's start-up puts them there.
    CDynLinkLibrary library{&kLibraryMarker, TheaterResourceBytes()};
    CResFile resources{library.GetModule()};
    WbTowerDoc doc;
    EventLog log;
    WbPluginSpecifier specifier;
    WbTheaterPlugin plugin{WbFourCC("TnPl"), specifier};
    WbTheaterDef def{WbFourCC("TnDf"), specifier, &resources, nullptr, &plugin};
    std::vector<std::unique_ptr<WbMoviePlugin>> films;
    std::unique_ptr<WbTenant> theater;

private:
    static constexpr int kLibraryMarker = 0;
};
