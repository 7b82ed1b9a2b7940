// The demo tower: invented films with invented credits, one theater per film and one still choosing.
#include "WbDemoScenario.h"

const std::string& WbDemoScenarioText()
{
    static const std::string kText = R"({
  "name": "Demo: two screens on Harbour Street",
  "days": 2,
  "funds": 100000,
  "arrivals": "spread",
  "seed": 7,
  "films": [
    {
      "id": "GLHB", "title": "The Glass Harbour", "second_line": "A story of the tides",
      "producer": "Northlight Pictures", "director": "Mara Ellison",
      "performers": "Tom Avery, June Okafor", "movie": "glass_harbour",
      "running_time": 120, "cost": 300, "carry_over": 85, "first_day_audience": 60
    },
    {
      "id": "SKRL", "title": "Skyline Rally", "second_line": "Nine cities, one finish line",
      "producer": "Copperfield Studios", "director": "Ivo Marchetti",
      "performers": "Lena Brandt, Kofi Mensah", "movie": "skyline_rally",
      "running_time": 90, "cost": 250, "carry_over": 70, "first_day_audience": 80
    },
    {
      "id": "LMPO", "title": "Lamps of Oldtown", "second_line": "When the lights go out, the town wakes up",
      "producer": "Wren & Hollis", "director": "Saskia Dahl",
      "performers": "Anton Reyes, Mei Tanaka", "movie": "lamps_of_oldtown",
      "running_time": 105, "cost": 200, "carry_over": 60, "release_day": 3, "run_days": 20
    }
  ],
  "theaters": [
    { "name": "Grand Screen", "film": "GLHB" },
    { "name": "Studio Two", "film": "SKRL", "capacity": 120 }
  ]
})";
    return kText;
}
