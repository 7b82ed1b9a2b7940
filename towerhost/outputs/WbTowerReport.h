// The report file: the tower's state at the end of a run as one JSON document.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

class WbHostTower;

namespace WbTowerReport {

nlohmann::ordered_json Make(const WbHostTower& tower);
// Writes the report; throws std::runtime_error naming the file when it cannot.
void Write(const std::string& path, const nlohmann::ordered_json& report);

} // namespace WbTowerReport
