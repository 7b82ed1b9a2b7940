// Parts of the host that join a run from outside the minute loop, such as scenario actions or pictures
// of the tower: each adds its options and scenario keys and follows the run as a listener.
#pragma once

#include <cstdint>

#include <memory>
#include <vector>

namespace CLI {
class App;
}
class WbHostRun;
class WbScenarioReader;

class WbHostAddOn {
public:
    virtual ~WbHostAddOn() = default;
    // Adds its command-line options; none by default.
    virtual void AddOptions(CLI::App&) {}
    // Lets the scenario carry its keys (WbScenarioReader::AddSection); none by default.
    virtual void AddScenarioSections(WbScenarioReader&) {}
    // Finds before the first minute what would make the add-on fail after a run of that many minutes, and
    // throws std::runtime_error saying what; nothing by default.
    virtual void CheckBeforeRun(const WbHostRun&, int64_t /*minutes*/) {}
    // Joins the run before its first minute, for instance with AddListener; nothing by default.
    virtual void Attach(WbHostRun&) {}
    // The run's minutes are over; writes what the add-on makes, and throws std::runtime_error when it
    // cannot. Nothing by default.
    virtual void Finish(WbHostRun&) {}
};

// Every add-on the host program carries, in the order they join a run.
std::vector<std::unique_ptr<WbHostAddOn>> WbMakeHostAddOns();
