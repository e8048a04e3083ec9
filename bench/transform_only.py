#!/usr/bin/env python3
"""Times PROJ's transformation alone, on arrays already in memory (no file I/O).

    transform_only.py PIPELINE POINTS RUNS LABEL

POINTS is a two-column file (easting northing). The transformer is made and the grid
loaded (one small transformation) before the clock starts; then the whole arrays are
transformed RUNS times. Prints one line a run: `proj-transform LABEL NANOSECONDS -`,
tab-separated, the format of the benchmark's timing file.
"""
import sys
import time

import numpy as np
from pyproj import Transformer


def main():
    if len(sys.argv) != 5:
        raise SystemExit(__doc__)
    pipeline, points, runs, label = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
    east, north = np.loadtxt(points, unpack=True)
    transformer = Transformer.from_pipeline(pipeline)
    transformer.transform(east[:1000], north[:1000])
    for _ in range(runs):
        start = time.perf_counter_ns()
        x, y = transformer.transform(east, north)
        elapsed = time.perf_counter_ns() - start
        if not (np.isfinite(x).all() and np.isfinite(y).all()):
            raise SystemExit(f"{label}: PROJ left points unconverted")
        print(f"proj-transform\t{label}\t{elapsed}\t-")


if __name__ == "__main__":
    main()
