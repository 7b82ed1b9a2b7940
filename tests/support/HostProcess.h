// The built towerhost program run in a directory of the test's own, where relative output paths land.
#pragma once

#include "ChildProcess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>

inline const std::string kTowerHost = THEATER_BIN_DIR "/towerhost";
inline const std::string kScenarios = THEATER_SOURCE_DIR "/tests/scenarios/";

class HostProcess : public ::testing::Test, public TempFolder {
protected:
    HostProcess() : TempFolder("towerhost") {}

    Outcome Run(std::vector<std::string> arguments) const
    {
        arguments.insert(arguments.begin(), kTowerHost);
        return RunInFolder(std::move(arguments), mPath);
    }

    // The trace's lines of the given kinds ("*" for all), as the program wrote them, and parsed.
    std::vector<std::string> TraceLines(const std::string& name, const std::set<std::string>& kinds) const
    {
        std::vector<std::string> lines;
        std::istringstream text(Slurp(File(name)));
        for (std::string line; std::getline(text, line);)
            if (kinds.contains("*") || kinds.contains(nlohmann::json::parse(line)["event"].get<std::string>()))
                lines.push_back(line);
        return lines;
    }
    std::vector<nlohmann::json> Events(const std::string& name, const std::set<std::string>& kinds) const
    {
        std::vector<nlohmann::json> events;
        for (const std::string& line : TraceLines(name, kinds))
            events.push_back(nlohmann::json::parse(line));
        return events;
    }
};
