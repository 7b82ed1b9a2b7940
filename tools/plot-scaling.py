#!/usr/bin/python3
# Draws the scaling benchmark's curve from its JSON output: time per theater-minute and peak heap per theater
# against the tower's size, the medians of the repetitions. Debian's own python3, which has its matplotlib.
#   build/release/bin/TowerScalingBench --benchmark_out=scaling.json --benchmark_out_format=json
#   tools/plot-scaling.py scaling.json docs/performance-scaling.png
import argparse
import json

import matplotlib

matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402  (the back end is chosen first)


def medians(path):
    with open(path, encoding="utf-8") as file:
        results = json.load(file)["benchmarks"]
    results = [row for row in results if row.get("run_name", row["name"]).startswith("TowerDay/")]
    rows = [row for row in results if row.get("aggregate_name") == "median"]
    if not rows:
        rows = [row for row in results if row.get("run_type", "iteration") == "iteration"]
    rows.sort(key=lambda row: row["theaters"])
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("json", help="the benchmark's --benchmark_out file")
    parser.add_argument("png", help="the picture to write")
    arguments = parser.parse_args()
    rows = medians(arguments.json)
    theaters = [row["theaters"] for row in rows]
    figure, time_axis = plt.subplots(figsize=(8, 4.5), dpi=100)
    time_axis.set_xscale("log")
    time_axis.set_xlabel("theaters in the tower")
    time_axis.set_ylabel("ns per theater-minute", color="tab:blue")
    time_axis.plot(theaters, [row["ns_per_theater_minute"] for row in rows], "o-", color="tab:blue")
    time_axis.set_ylim(bottom=0)
    memory_axis = time_axis.twinx()
    memory_axis.set_ylabel("peak heap bytes per theater", color="tab:red")
    memory_axis.plot(theaters, [row["peak_bytes_per_theater"] for row in rows], "s--", color="tab:red")
    memory_axis.set_ylim(bottom=0)
    time_axis.set_title("A day of the tower: cost per theater (median of the repetitions)")
    time_axis.grid(True, which="both", alpha=0.3)
    figure.tight_layout()
    figure.savefig(arguments.png, metadata={"Software": None})


if __name__ == "__main__":
    main()
