#!/usr/bin/env python3
"""The PROJ pipeline that does what kovra does, for one source datum:

    pipelines.py SOURCE ZONE GRID      prints it (SOURCE: ED50 or ETRS89)

the inverse UTM projection on the source ellipsoid, the NTv2 shift through GRID (forward
from ED50, inverted from ETRS89) and the UTM projection on the target ellipsoid.
"""
import sys

ELLIPSOIDS = {"ED50": "intl", "ETRS89": "GRS80"}


def pipeline(source, zone, grid):
    target = "ETRS89" if source == "ED50" else "ED50"
    shift = "+step" if source == "ED50" else "+step +inv"
    return (f"+proj=pipeline +step +inv +proj=utm +zone={zone} +ellps={ELLIPSOIDS[source]} "
            f"{shift} +proj=hgridshift +grids={grid} "
            f"+step +proj=utm +zone={zone} +ellps={ELLIPSOIDS[target]}")


if __name__ == "__main__":
    if len(sys.argv) != 4 or sys.argv[1] not in ELLIPSOIDS:
        raise SystemExit(__doc__)
    print(pipeline(sys.argv[1], int(sys.argv[2]), sys.argv[3]))
