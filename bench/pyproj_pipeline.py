#!/usr/bin/env python3
"""The plain NumPy + pyproj way to convert a kovra point file, file to file.

    pyproj_pipeline.py PIPELINE INPUT OUTPUT

Reads every point line (name easting northing height code) with numpy.loadtxt, sends
the eastings and northings through the PROJ pipeline as arrays and writes the lines back
with numpy.savetxt: the target datum's header, then name, easting, northing (rounded to
the millimetre), height and code, CR LF line ends.
"""
import sys

import numpy as np
from pyproj import Transformer


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    pipeline, src, dst = sys.argv[1:]
    with open(src) as f:
        words = f.readline().split()
    zone = words[-1]
    target = "ETRS89" if "ED50" in words else "ED50"

    cols = np.loadtxt(src, dtype=str, skiprows=1, comments=None, ndmin=2)
    east, north = cols[:, 1].astype(float), cols[:, 2].astype(float)
    x, y = Transformer.from_pipeline(pipeline).transform(east, north)

    out = np.empty((len(x), 5), dtype=object)
    out[:, 0], out[:, 1], out[:, 2], out[:, 3], out[:, 4] = cols[:, 0], x, y, cols[:, 3], cols[:, 4]
    np.savetxt(dst, out, fmt="%s %.3f %.3f %s %s", header=f"UTM {target} {zone}",
               comments="", newline="\r\n")


if __name__ == "__main__":
    main()
