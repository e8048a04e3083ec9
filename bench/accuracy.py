#!/usr/bin/env python3
"""kovra's accuracy against PROJ, and its round trip, by distance from the central meridian.

    accuracy.py KOVRA GRID ZONE POINTS WORKDIR

GRID is the NTv2 grid, already copied as mirtaxo.gsb into WORKDIR, where every kovra
run takes place. Draws point sets of POINTS points each (fixed seed), written as kovra
writes coordinates, to the millimetre:

  one set a band of 50 km of |easting - 500 km|, 0..600 km, anywhere the grid reaches
  (0.2 deg clear of its edges); the benchmark's box (bench/make_points.py); the whole
  zone, its six degrees of longitude over the grid's latitudes;
  each once as ED50 and once as ETRS89 coordinates.

For each set kovra converts the file, and its coordinates are compared with PROJ's
(bench/pipelines.py, the pipeline cct runs, evaluated unrounded through pyproj): the
difference kovra - PROJ per coordinate in mm, least, greatest and mean, and the
largest distance. kovra's ETRS89 output of each ED50 set is converted back to ED50
and compared with the points it started from: the round trip. A summary gives the
bands within which each stays inside a bound. Exits 1 when kovra leaves a point out.
"""
import os
import subprocess
import sys

import numpy as np
from pyproj import Transformer

from make_points import bench_box, write_files
from pipelines import ELLIPSOIDS, pipeline

SEED = 20261209
BAND_KM = 50
BANDS = 12
EDGE_MARGIN = 0.2  # degrees kept clear of the grid's edges
MAX_DRAWS = 100  # rounds of 4 POINTS candidates for one band
DATUMS = ("ED50", "ETRS89")
SUMMARY_BOUNDS_MM = (1.1, 2, 4, 10, 30, 100)


def draw_band(rng, band, datum, zone, n, bounds):
    """n points (lat, lon in degrees) with |easting - 500 km| in the band, inside bounds."""
    south, north, west, east = bounds
    utm = Transformer.from_pipeline(f"+proj=utm +zone={zone} +ellps={ELLIPSOIDS[datum]}")
    _, y_south = utm.transform(-183.0 + 6 * zone, south)
    _, y_north = utm.transform(-183.0 + 6 * zone, north)
    lats, lons, got = [], [], 0
    for _ in range(MAX_DRAWS):
        m = 4 * n
        offset = rng.uniform(band * BAND_KM, (band + 1) * BAND_KM, m) * 1000.0
        x = 500000.0 + np.where(rng.random(m) < 0.5, -offset, offset)
        lon, lat = utm.transform(x, rng.uniform(y_south, y_north, m), direction="INVERSE")
        inside = (lat > south) & (lat < north) & (lon > west) & (lon < east)
        lats.append(lat[inside])
        lons.append(lon[inside])
        got += int(inside.sum())
        if got >= n:
            return np.concatenate(lats)[:n], np.concatenate(lons)[:n]
    raise SystemExit(f"the grid holds too few points {band * BAND_KM}..{(band + 1) * BAND_KM} km "
                     f"from the central meridian")


def draw_box(rng, box, n):
    south, north, west, east = box
    return rng.uniform(south, north, n), rng.uniform(west, east, n)


def write_set(folder, datum, zone, lat, lon):
    """The set's kovra input (and its two-column copy, the exact input values)."""
    os.makedirs(folder, exist_ok=True)
    n = len(lat)
    write_files(folder, datum, zone, ELLIPSOIDS[datum], lat, lon, np.zeros(n),
                np.full(n, "X"))
    return os.path.join(folder, f"{datum}.txt")


def read_xy(path):
    return np.loadtxt(path, ndmin=2)


def run_kovra(kovra, workdir, source, output, n):
    """kovra's eastings and northings, in input order; every point must be there."""
    done = subprocess.run([kovra, source, output], cwd=workdir, capture_output=True, text=True,
                          check=False)
    with open(output) as f:
        lines = f.read().splitlines()[1:]
    names = [line.split(" ", 1)[0] for line in lines]
    if done.returncode not in (0, 1) or names != [f"P{i}" for i in range(n)]:
        print(done.stderr[:2000], file=sys.stderr)
        raise SystemExit(f"kovra {source}: exit status {done.returncode}, "
                         f"{len(lines)} of {n} points converted")
    return np.array([line.split(" ", 3)[1:3] for line in lines], dtype=float)


def stats(diff_m):
    """least, greatest and mean of each coordinate and the largest distance, in mm."""
    d = diff_m * 1000.0
    return {"min": d.min(axis=0), "max": d.max(axis=0), "mean": d.mean(axis=0),
            "absmax": np.abs(d).max(axis=0), "dist": np.hypot(d[:, 0], d[:, 1]).max()}


def measure_set(kovra, workdir, grid, zone, name, points):
    """{datum: kovra - PROJ} and the round trip for one set; points[datum] = (lat, lon)."""
    result = {}
    for datum in DATUMS:
        source = write_set(os.path.join(workdir, name), datum, zone, *points[datum])
        xy = read_xy(source[:-4] + ".cct")
        out = source[:-4] + ".out"
        got = run_kovra(kovra, workdir, source, out, len(xy))
        want = np.column_stack(Transformer.from_pipeline(pipeline(datum, zone, grid))
                               .transform(xy[:, 0], xy[:, 1]))
        result[datum] = stats(got - want)
        if datum == "ED50":
            back = run_kovra(kovra, workdir, out, source[:-4] + ".back", len(xy))
            result["round trip"] = stats(back - xy)
    result["lat"] = (points["ED50"][0].min(), points["ED50"][0].max())
    return result


def span(s, i):
    return f"{s['min'][i]:+6.2f}..{s['max'][i]:+5.2f} {s['mean'][i]:+5.2f}"


def print_tables(rows, n, zone):
    print(f"\n{n} points a set, UTM zone {zone}; km: |easting - 500 km| of the input")
    print("kovra - PROJ, mm: least..greatest mean, per coordinate; dist: largest distance")
    head = (f"{'set':<12} {'latitude':<10} {'ED50->ETRS89 easting':>21} {'northing':>19} "
            f"{'dist':>5}   {'ETRS89->ED50 easting':>21} {'northing':>19} {'dist':>5}")
    print(head)
    print("-" * len(head))
    for name, r in rows:
        lat = f"{r['lat'][0]:.1f}..{r['lat'][1]:.1f}"
        print(f"{name:<12} {lat:<10} {span(r['ED50'], 0):>21} {span(r['ED50'], 1):>19} "
              f"{r['ED50']['dist']:5.2f}   {span(r['ETRS89'], 0):>21} {span(r['ETRS89'], 1):>19} "
              f"{r['ETRS89']['dist']:5.2f}")
    print("\nRound trip ED50 -> ETRS89 -> ED50 by kovra, minus the start, mm: "
          "largest |difference| (mean)")
    head = f"{'set':<12} {'easting':>16} {'northing':>16} {'dist':>8}"
    print(head)
    print("-" * len(head))
    for name, r in rows:
        t = r["round trip"]
        print(f"{name:<12} {t['absmax'][0]:8.2f} ({t['mean'][0]:+5.2f}) "
              f"{t['absmax'][1]:8.2f} ({t['mean'][1]:+5.2f}) {t['dist']:8.2f}")


def reach(rows, key, bound_mm):
    """The outer edge (km) of the bands, from the central meridian out, within which
    every coordinate of `key` stays within bound_mm (by absolute value; a micrometre
    is allowed for the decimal coordinates' binary rounding)."""
    edge = 0
    for band in range(BANDS):
        name, r = rows[band]
        if max(r[key]["absmax"]) > bound_mm + 0.001:
            break
        edge = (band + 1) * BAND_KM
    return edge


def print_summary(rows):
    print("\nEvery coordinate within the bound (mm) from the central meridian out to (km):")
    for key, label in (("ED50", "ED50->ETRS89 vs PROJ"), ("ETRS89", "ETRS89->ED50 vs PROJ"),
                       ("round trip", "round trip")):
        edges = ", ".join(f"{b:g}: {reach(rows, key, b)}" for b in SUMMARY_BOUNDS_MM)
        print(f"  {label:<22} {edges}")


def main():
    if len(sys.argv) != 6:
        raise SystemExit(__doc__)
    kovra, grid, zone, n, workdir = (sys.argv[1], sys.argv[2], int(sys.argv[3]), int(sys.argv[4]),
                                     sys.argv[5])
    grid = os.path.abspath(grid)
    box, (south, north, west, east) = bench_box(grid, zone)
    inner = (south + EDGE_MARGIN, north - EDGE_MARGIN, west + EDGE_MARGIN, east - EDGE_MARGIN)
    rng = np.random.default_rng(SEED)
    rows = []
    for band in range(BANDS):
        name = f"{band * BAND_KM}-{(band + 1) * BAND_KM} km"
        print(f"{name} ...", flush=True)
        points = {d: draw_band(rng, band, d, zone, n, inner) for d in DATUMS}
        rows.append((name, measure_set(kovra, workdir, grid, zone, f"band{band}", points)))
    zone_west = -180.0 + 6 * (zone - 1)
    for name, area in (("bench box", box),
                       (f"zone {zone}", (inner[0], inner[1], zone_west, zone_west + 6.0))):
        points = {d: draw_box(rng, area, n) for d in DATUMS}
        rows.append((name, measure_set(kovra, workdir, grid, zone, name.replace(" ", ""),
                                       points)))
    print_tables(rows, n, zone)
    print_summary(rows)
    print(f"\nThe bench box: {box[0]:g}..{box[1]:g} N, {box[2]:g}..{box[3]:g} E "
          f"(bench/make_points.py); zone {zone}: {inner[0]:g}..{inner[1]:g} N, "
          f"{zone_west:g}..{zone_west + 6:g} E.")


if __name__ == "__main__":
    main()
