// The tower the host runs when no scenario is given: two theaters and a few films, for a first look.
#pragma once

#include <string>

// The demo as scenario JSON, read like any scenario file.
const std::string& WbDemoScenarioText();
