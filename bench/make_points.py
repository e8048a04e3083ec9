#!/usr/bin/env python3
"""Writes the benchmark's point files, the same every time (fixed seed).

    make_points.py GRID ZONE N OUTDIR

Reads the bounds of the NTv2 grid GRID, keeps the part of them that lies in UTM zone
ZONE, leaves a margin all round and draws N random points in it, twice: once as ED50
(International 1924) and once as ETRS89 (GRS80) coordinates. In OUTDIR it writes

    ED50.txt, ETRS89.txt     kovra inputs: header `UTM <datum> H<zone>`, then
                             `P<i> <easting> <northing> <height> <code>`, CR LF
    ED50.cct, ETRS89.cct     the same eastings and northings, two columns, for cct

Prints the box the points were drawn in.
"""
import struct
import sys

import numpy as np
from pyproj import Transformer

SEED = 20240531
MARGIN_LAT = 1.0  # degrees kept clear of the grid's edges
MARGIN_LON = 0.5
CODES = np.array(["VG", "BM", "CP", "ST", "RP"])


def grid_bounds(path):
    """Union of the top-level sub-grids: (south, north, west, east) in degrees, east positive."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"NUM_OREC":
        raise SystemExit(f"{path}: not an NTv2 file")
    count = struct.unpack_from("<i", data, 40)[0]
    boxes = []
    offset = 176
    for _ in range(count):
        head = data[offset:offset + 176]
        s, n, e, w = (struct.unpack_from("<d", head, o)[0] / 3600.0 for o in (72, 88, 104, 120))
        nodes = struct.unpack_from("<i", head, 168)[0]
        if head[24:32].strip().upper() in (b"NONE", b""):
            boxes.append((s, n, -w, -e))  # the file counts longitude positive west
        offset += 176 + 16 * nodes
    if not boxes:
        raise SystemExit(f"{path}: no sub-grid found")
    return (min(b[0] for b in boxes), max(b[1] for b in boxes),
            min(b[2] for b in boxes), max(b[3] for b in boxes))


def write_files(outdir, datum, zone, ellps, lat, lon, height, code):
    utm = Transformer.from_pipeline(f"+proj=utm +zone={zone} +ellps={ellps}")
    east, north = utm.transform(lon, lat)  # degrees in, metres out
    east, north = east.tolist(), north.tolist()
    with open(f"{outdir}/{datum}.txt", "w", newline="") as f:
        f.write(f"UTM {datum} H{zone}\r\n")
        f.write("".join([f"P{i} {e:.3f} {n:.3f} {h:.2f} {k}\r\n" for i, e, n, h, k in
                         zip(range(len(east)), east, north, height.tolist(), code.tolist())]))
    with open(f"{outdir}/{datum}.cct", "w", newline="") as f:
        f.write("".join([f"{e:.3f} {n:.3f}\n" for e, n in zip(east, north)]))


def bench_box(grid, zone):
    """The box the benchmark draws its points in: the part of the grid's bounds in UTM
    zone ZONE, less the margins. (south, north, west, east) in degrees, and the bounds."""
    south, north, west, east = grid_bounds(grid)
    zone_west = -180.0 + 6.0 * (zone - 1)
    box = (south + MARGIN_LAT, north - MARGIN_LAT,
           max(west, zone_west) + MARGIN_LON, min(east, zone_west + 6.0) - MARGIN_LON)
    if box[0] >= box[1] or box[2] >= box[3]:
        raise SystemExit(f"{grid}: the grid does not reach well into UTM zone {zone}")
    return box, (south, north, west, east)


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    grid, zone, n, outdir = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), sys.argv[4]
    box, (south, north, west, east) = bench_box(grid, zone)
    rng = np.random.default_rng(SEED)
    for datum, ellps in (("ED50", "intl"), ("ETRS89", "GRS80")):
        lat = rng.uniform(box[0], box[1], n)
        lon = rng.uniform(box[2], box[3], n)
        height = rng.uniform(0.0, 2000.0, n)
        code = CODES[rng.integers(0, len(CODES), n)]
        write_files(outdir, datum, zone, ellps, lat, lon, height, code)
    print(f"lat {box[0]:g}..{box[1]:g} N, lon {box[2]:g}..{box[3]:g} E "
          f"(grid {south:g}..{north:g} N, {west:g}..{east:g} E)")


if __name__ == "__main__":
    main()
