// The state the page shows, as JSON: clock, money, the theaters' rows, the days, and the open dialogs
// with their pictures and the items a player can use.
#pragma once

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

class WbDialog;
class WbFilmShelf;
class WbHostRun;
class WbServeLedger;

namespace WbServeState {

// How fast the clock runs, as the page names it: "pause", "1", "10", "60" (game minutes per second) or
// "max".
struct Clock {
    std::string speed = "pause";
    std::string message; // the last thing that went wrong in the run, empty when nothing did
};

nlohmann::ordered_json Make(const WbHostRun& run, const WbServeLedger& ledger, const Clock& clock);
// Every open dialog, oldest first: its picture (the dialog SVG) and its items where the page lays its
// controls, in the picture's coordinates.
nlohmann::ordered_json Dialogs(const std::vector<WbDialog*>& dialogs, const WbFilmShelf& shelf);
// A theater's status in words, as a player reads it.
std::string StatusText(int32_t status);

} // namespace WbServeState
