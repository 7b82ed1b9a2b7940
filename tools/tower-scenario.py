#!/usr/bin/env python3
# Writes the scaling benchmark's tower as a scenario file, so that the host program can run the same tower
# under /usr/bin/time or callgrind: N theaters of 300 seats showing four films, customers spread over the
# minutes after each call.
import argparse
import json
import sys

FILMS = [
    {"id": "SCA1", "title": "Harbour Lights", "running_time": 90, "first_day_audience": 150},
    {"id": "SCA2", "title": "The Long Stair", "running_time": 100, "first_day_audience": 200},
    {"id": "SCA3", "title": "Night Ferry", "running_time": 110, "first_day_audience": 250},
    {"id": "SCA4", "title": "Copper Skyline", "running_time": 120, "first_day_audience": 300},
]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("theaters", type=int, help="theaters in the tower")
    parser.add_argument("--days", type=int, default=1, help="days the scenario runs (default 1)")
    parser.add_argument("--capacity", type=int, default=300, help="seats of each theater (default 300)")
    parser.add_argument("--arrivals", default="spread", choices=["spread", "immediate", "none"])
    arguments = parser.parse_args()
    scenario = {
        "name": f"{arguments.theaters} theaters for measuring how a tower's cost grows with its size",
        "days": arguments.days,
        "arrivals": arguments.arrivals,
        "seed": 1,
        "films": [dict(film, carry_over=80) for film in FILMS],
        "theaters": [
            {"film": FILMS[i % len(FILMS)]["id"], "capacity": arguments.capacity}
            for i in range(arguments.theaters)
        ],
    }
    json.dump(scenario, sys.stdout, indent=None, separators=(",", ":"))
    sys.stdout.write("\n")


if __name__ == "__main__":
    main()
