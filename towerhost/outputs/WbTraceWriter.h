// The trace file: one JSON line per host operation the module calls and per status change of a theater.
#pragma once

#include "WbRunListener.h"
#include "WbTowerDoc.h"

#include <cstdio>
#include <string>

class WbTraceWriter final : public WbTowerObserver, public WbRunListener {
public:
    // Opens the file for writing; throws std::runtime_error naming it when it cannot.
    WbTraceWriter(const std::string& path, WbHostRun& run);
    WbTraceWriter(const WbTraceWriter&) = delete;
    WbTraceWriter& operator=(const WbTraceWriter&) = delete;
    ~WbTraceWriter() override;

    void OnTowerEvent(const WbTowerEvent& event) override;
    void OnStatusChange(WbHostRun& run, const WbStatusChange& change) override;
    // Writes out what is buffered; throws std::runtime_error naming the file when it cannot.
    void Close();

private:
    // Starts a line with the clock, the theater (1-based) and the event's name; the caller adds its
    // fields and EndLine closes it.
    void BeginLine(int theater, const char* event);
    void EndLine();
    void FilmField(const char* key, const WbMoviePlugin* film);

    std::string mPath;
    WbHostRun& mRun;
    std::FILE* mFile;
};
