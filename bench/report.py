#!/usr/bin/env python3
"""Prints the benchmark's table from its working folder.

    report.py WORKDIR POINTS RUNS GRIDNAME

Reads WORKDIR/times.tsv (tool, source datum, nanoseconds, max RSS in KiB or `-`, one
line a run), checks that cct converted every point (none fell outside the grid) and
compares kovra's output with cct's, point by point, and counts the points that lie
beyond what kovra's cut and cct's rounding alone give. Exits 1 when a check fails.
"""
import math
import os
import statistics
import sys

import numpy as np

TOOLS = [
    ("kovra", "kovra"),
    ("cct", "PROJ cct"),
    ("python", "numpy+pyproj script"),
    ("proj-transform", "PROJ transform alone"),
]
DIRECTIONS = [("ED50", "ED50->ETRS89"), ("ETRS89", "ETRS89->ED50")]
# kovra - cct when kovra's own coordinate equals PROJ's: kovra's cut to the millimetre
# takes 0..1 mm off, cct's rounding to 0.1 mm moves by up to 0.05 mm either way.
CUT_WINDOW_MM = (-1.05, 0.05)
WINDOW_SLACK_MM = 1e-6  # the decimal coordinates' binary rounding


def read_times(path):
    times = {}
    with open(path) as f:
        for line in f:
            tool, source, ns, rss = line.split()
            entry = times.setdefault((tool, source), ([], []))
            entry[0].append(int(ns) / 1e9)
            if rss != "-":
                entry[1].append(int(rss))
    return times


def check_cct(path, points):
    """The cct output as an array; cct writes a `#` line for each point it cannot convert."""
    with open(path) as f:
        failed = sum(1 for line in f if line.startswith("#"))
    if failed:
        raise SystemExit(f"{path}: cct could not convert {failed} points (outside the grid?)")
    xy = np.loadtxt(path, usecols=(0, 1), ndmin=2)
    if len(xy) != points or not np.isfinite(xy).all():
        raise SystemExit(f"{path}: cct gave {len(xy)} coordinates for {points} points")
    return xy


def beyond_cut_window(diff_mm):
    """How many points (rows of easting, northing differences kovra - cct in mm) have a
    coordinate outside what kovra's cut and cct's rounding alone give."""
    low, high = CUT_WINDOW_MM
    outside = (diff_mm <= low - WINDOW_SLACK_MM) | (diff_mm > high + WINDOW_SLACK_MM)
    return int(outside.any(axis=1).sum())


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    work, points, runs, grid = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    times = read_times(os.path.join(work, "times.tsv"))

    print()
    print(f"{points} points, UTM zone 31, grid {grid} (as mirtaxo.gsb); "
          f"median of {runs} runs, runs alternate between the tools")
    head = (f"{'direction':<13} {'tool':<21} {'median s':>9} {'best s':>8} "
            f"{'points/s':>11} {'vs kovra':>9} {'max RSS':>9}")
    print(head)
    print("-" * len(head))
    for source, label in DIRECTIONS:
        base = statistics.median(times[("kovra", source)][0])
        for tool, name in TOOLS:
            secs, rss = times[(tool, source)]
            median = statistics.median(secs)
            ratio = "" if tool == "kovra" else f"{median / base:.2f}x"
            memory = f"{max(rss) / 1024:.0f} MiB" if rss else "-"
            print(f"{label:<13} {name:<21} {median:9.3f} {min(secs):8.3f} "
                  f"{points / median:11,.0f} {ratio:>9} {memory:>9}")
    print("-" * len(head))
    print("vs kovra: the tool's median time / kovra's (above 1: kovra is faster).")
    print("Timed: kovra, cct and the numpy+pyproj script as whole processes, file to file")
    print("  (the script including Python's start and its imports); cct reads a two-column")
    print("  easting/northing file written beforehand, outside the timing, and writes x y z t")
    print("  at 0.1 mm; PROJ transform alone: Transformer.transform on in-memory arrays,")
    print("  transformer made and grid loaded beforehand. max RSS: peak over the runs.")
    blas = [f"{k}={os.environ[k]}" for k in ("OPENBLAS_CORETYPE", "OPENBLAS_L2_SIZE")
            if k in os.environ]
    if blas:
        print(f"  Environment left as found for Python: {' '.join(blas)}.")

    print()
    for source, label in DIRECTIONS:
        cct = check_cct(os.path.join(work, f"cct-{source}.out"), points)
        kovra = np.loadtxt(os.path.join(work, f"kovra-{source}.out"), skiprows=1,
                           usecols=(1, 2), ndmin=2)
        if len(kovra) != points:
            raise SystemExit(f"kovra wrote {len(kovra)} points for {points}")
        diff = (kovra - cct) * 1000.0
        worst = np.hypot(diff[:, 0], diff[:, 1]).max()
        beyond = beyond_cut_window(diff)
        print(f"{label}: cct shifted all {points} points (none outside the grid); "
              f"kovra - cct: easting {diff[:, 0].min():+.2f}..{diff[:, 0].max():+.2f} mm, "
              f"northing {diff[:, 1].min():+.2f}..{diff[:, 1].max():+.2f} mm, "
              f"largest distance {worst:.2f} mm; {beyond} points beyond the window below")
    low, high = CUT_WINDOW_MM
    print(f"(kovra cuts to the millimetre, cct rounds to 0.1 mm: the two alone give "
          f"{low:+.2f}..{high:+.2f} mm a coordinate and a distance below "
          f"{math.hypot(low, low):.3f} mm; beyond that, kovra's coordinates before the cut "
          f"differ from PROJ's)")


if __name__ == "__main__":
    main()
