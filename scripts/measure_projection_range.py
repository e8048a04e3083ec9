#!/usr/bin/env python3
"""How far from the central meridian kovra's projection series hold to 1 mm.

    measure_projection_range.py [PROBE]

PROBE is the build's projection_probe (default build/tools/projection_probe; `cmake
--build --preset default --target projection_probe` makes it), which runs kovra's own
inverse (utm2ll) and forward (ll2utm) series. Each series is held, on each ellipsoid,
against PROJ's exact transverse Mercator (tmerc, Poder/Engsager; through Debian's
python3-pyproj) with the same a, e2, scale 0.9996, false easting 500000 m and the very
central meridian kovra computes with its own pi, so that only the series differ:

  forward  kovra's easting/northing of (lat, lon0 + dlon) against PROJ's; the error is
           the distance between the two, in metres on the grid;
  inverse  kovra's latitude/longitude of PROJ's easting/northing of (lat, lon0 + dlon)
           against (lat, lon0 + dlon); the error is that difference in metres on the
           ground (meridian and prime-vertical radii of curvature).

Prints, for each longitude difference dlon, the worst error over latitude 0..84 N and
over 35..44 N (peninsular Spain) on both sides of the central meridian, then THE LIMIT:
the largest dlon within which both series on both ellipsoids stay within 1 mm at every
latitude, and two zone-30 ED50 points at 40 N just inside and just outside it.
Needs numpy and pyproj (scripts/install-deps.sh bench); a script, not a test.
"""
import math
import os
import subprocess
import sys

import numpy as np
from pyproj import Transformer

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
KOVRA_PI = 3.14159265358979  # the program's own pi
ZONE = 30
ELLIPSOIDS = {"ED50": (6378388.0, 0.006722670022), "ETRS89": (6378137.0, 0.0066943800229)}
SERIES = [(series, datum) for series in ("inverse", "forward") for datum in ELLIPSOIDS]
BANDS = [("0..84 N", 0.0, 84.0), ("35..44 N", 35.0, 44.0)]
LAT_STEP = 0.1  # degrees
TOLERANCE = 0.001  # metres
TEST_LATITUDE = 40.0
TEST_MARGIN = 0.05  # degrees either side of the limit for the two test points


def central_meridian(series, zone=ZONE):
    """The central meridian in radians exactly as kovra forms it in each series."""
    degrees = 6 * zone - 183
    if series == "inverse":
        return degrees / (180 / KOVRA_PI)
    return (degrees * KOVRA_PI) / 180


def run_probe(probe, series, datum, first, second):
    """kovra's series on the pairs (first[i], second[i]); two arrays back."""
    text = "".join(f"{x!r} {y!r}\n" for x, y in zip(first.tolist(), second.tolist()))
    done = subprocess.run([probe, series, datum, str(ZONE)], input=text, capture_output=True,
                          text=True, check=False)
    if done.returncode != 0:
        bad = next((l for l in done.stdout.splitlines() if l.startswith("error")), done.stderr)
        raise SystemExit(f"{probe} {series} {datum}: {bad.strip()}")
    out = np.loadtxt(done.stdout.splitlines(), ndmin=2)
    return out[:, 0], out[:, 1]


def exact_tm(datum, series):
    a, e2 = ELLIPSOIDS[datum]
    lon0 = math.degrees(central_meridian(series))
    return Transformer.from_pipeline(
        f"+proj=tmerc +algo=poder_engsager +lat_0=0 +lon_0={lon0!r} +k=0.9996 "
        f"+x_0=500000 +y_0=0 +a={a!r} +es={e2!r}")


def ground_metres(datum, lat, dlat, dlon):
    """A small difference of latitude and longitude (radians) as metres north and east."""
    a, e2 = ELLIPSOIDS[datum]
    w = 1 - e2 * np.sin(lat) ** 2
    return a * (1 - e2) / w ** 1.5 * dlat, a / np.sqrt(w) * np.cos(lat) * dlon


def km_along_parallel(dlon_deg, lat_deg):
    """Kilometres along the parallel at lat_deg (GRS80) spanned by dlon_deg."""
    _, east = ground_metres("ETRS89", math.radians(lat_deg), 0.0, math.radians(dlon_deg))
    return float(east) / 1000


def errors(probe, series, datum, lat, dlon):
    """Error in metres of kovra's series at each (lat, dlon), both in radians."""
    lon = central_meridian(series) + dlon
    east, north = exact_tm(datum, series).transform(lon, lat, radians=True)
    if series == "forward":
        k_east, k_north = run_probe(probe, series, datum, lon, lat)
        return np.hypot(k_east - east, k_north - north)
    k_lon, k_lat = run_probe(probe, series, datum, east, north)
    return np.hypot(*ground_metres(datum, lat, k_lat - lat, k_lon - lon))


def check_central_meridians(probe):
    """kovra's central meridian is the one given to PROJ: the inverse of easting 500000
    is exactly lon0, and the forward of lon0 is exactly easting 500000."""
    for datum in ELLIPSOIDS:
        lon, _ = run_probe(probe, "inverse", datum, np.array([500000.0]), np.array([4.4e6]))
        east, _ = run_probe(probe, "forward", datum, np.array([central_meridian("forward")]),
                            np.array([0.7]))
        if lon[0] != central_meridian("inverse") or east[0] != 500000.0:
            raise SystemExit("kovra's central meridian is not the one this script assumes")


def worst_over_latitude(probe, dlons_deg, south, north):
    """{(series, datum): worst error for each dlon}, and the latitude where it occurs,
    over the latitudes south..north and both signs of dlon."""
    lats = np.radians(np.linspace(south, north, int(round((north - south) / LAT_STEP)) + 1))
    lat, dlon = np.meshgrid(lats, np.radians(np.concatenate([dlons_deg, -dlons_deg])))
    worst = {}
    for series, datum in SERIES:
        err = errors(probe, series, datum, lat.ravel(), dlon.ravel()).reshape(lat.shape)
        err = np.maximum(err[:len(dlons_deg)], err[len(dlons_deg):])
        worst[series, datum] = (err.max(axis=1), np.degrees(lats[err.argmax(axis=1)]))
    return worst


def print_table(probe, title, south, north):
    dlons = np.arange(0.5, 9.01, 0.5)
    worst = worst_over_latitude(probe, dlons, south, north)
    print(f"\nError of kovra's series against PROJ's exact transverse Mercator, mm, worst over "
          f"latitude {title} (every {LAT_STEP} deg), both sides")
    head = f"{'dlon deg':>8} {'km at eq':>8} {'km at 40N':>9}" + "".join(
        f" {s + ' ' + d:>15} {'at':>4}" for s, d in SERIES)
    print(head)
    print("-" * len(head))
    for i, d in enumerate(dlons):
        row = f"{d:8.2f} {km_along_parallel(d, 0):8.1f} {km_along_parallel(d, 40):9.1f}"
        for key in SERIES:
            err, at = worst[key]
            row += f" {err[i] * 1000:15.4f} {at[i]:4.0f}"
        print(row)


def series_limit(probe, south, north, step=0.001):
    """Largest dlon (degrees, on a grid of step) within which all four series stay
    within TOLERANCE at every latitude south..north, and the series that breaks first."""
    coarse = np.arange(0.05, 9.0, 0.05)
    worst = worst_over_latitude(probe, coarse, south, north)
    over = np.column_stack([worst[k][0] > TOLERANCE for k in SERIES]).any(axis=1)
    if not over.any() or over[0]:
        raise SystemExit("the 1 mm crossing lies outside 0.05..9 degrees")
    first = int(np.argmax(over))
    fine = np.arange(coarse[first - 1], coarse[first] + step / 2, step)
    worst = worst_over_latitude(probe, fine, south, north)
    errs = np.column_stack([worst[k][0] for k in SERIES])
    ok = (errs <= TOLERANCE).all(axis=1)
    if not ok[0] or ok[-1] or not ok[:np.argmin(ok)].all():
        raise SystemExit("the 1 mm crossing is not where the coarse scan put it")
    last = int(np.argmin(ok)) - 1
    breaker = SERIES[int(np.argmax(errs[last + 1]))]
    return float(fine[last]), breaker


def test_points(probe, limit):
    """Zone-30 ED50 points at TEST_LATITUDE, west of the central meridian, just inside
    and just outside the limit: (label, easting, northing, dlon kovra finds, the worst
    error of the four series at that latitude and dlon)."""
    points = []
    tm = exact_tm("ED50", "inverse")
    lat = np.array([math.radians(TEST_LATITUDE)])
    for label, dlon in (("inside", limit - TEST_MARGIN), ("outside", limit + TEST_MARGIN)):
        lon = central_meridian("inverse") - math.radians(dlon)
        east, north = tm.transform(lon, lat[0], radians=True)
        east, north = round(east, 3), round(north, 3)
        k_lon, _ = run_probe(probe, "inverse", "ED50", np.array([east]), np.array([north]))
        worst = max(float(errors(probe, s, d, lat, np.array([-math.radians(dlon)]))[0])
                    for s, d in SERIES)
        points.append((label, east, north, math.degrees(k_lon[0] - central_meridian("inverse")),
                       worst))
    return points


def main():
    if len(sys.argv) > 2:
        raise SystemExit(__doc__)
    probe = sys.argv[1] if len(sys.argv) == 2 else os.path.join(ROOT, "build/tools/projection_probe")
    if not os.access(probe, os.X_OK):
        raise SystemExit(f"no probe at {probe}: cmake --build --preset default --target "
                         f"projection_probe")
    check_central_meridians(probe)
    print(f"kovra's series vs PROJ tmerc (Poder/Engsager), zone {ZONE}, central meridian as "
          f"kovra forms it with pi = {KOVRA_PI!r}")
    for title, south, north in BANDS:
        print_table(probe, title, south, north)
    print()
    limits = [series_limit(probe, south, north) for _, south, north in BANDS]
    for (title, _, _), (limit, breaker) in zip(BANDS, limits):
        print(f"THE LIMIT ({title}): {limit:.3f} deg from the central meridian, "
              f"{km_along_parallel(limit, 0):.1f} km at the equator, "
              f"{km_along_parallel(limit, 40):.1f} km at 40 N; the first to pass 1 mm beyond it: "
              f"{' '.join(breaker)}")
    limit = limits[0][0]
    print(f"\nTest points, zone {ZONE}, ED50, {TEST_LATITUDE:g} N, west of the central meridian "
          f"(limit {limit:.3f} deg -/+ {TEST_MARGIN} deg):")
    for label, east, north, dlon, worst in test_points(probe, limit):
        print(f"  {label:<8} {east:.3f} {north:.3f}   kovra's longitude: {dlon:+.4f} deg "
              f"from the central meridian; worst series error there {worst * 1000:.3f} mm")


if __name__ == "__main__":
    main()
