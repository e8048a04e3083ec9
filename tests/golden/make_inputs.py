#!/usr/bin/env python3
"""Writes the generated golden input files: a few thousand points per direction
inside the demo grid, with the awkward records that users' files really hold
sprinkled through them (typos, three-field lines, decimal commas, empty lines,
points outside the grid, every kind of line end). Run once; the files are
committed, and the expected outputs beside them pin every byte of a run."""
import random
import sys

AWKWARD = [
    "T{n} 44O720.512 4474256.331 1.0 letter O in the easting",
    "T{n} 440720.5x12 4474256.331 2.0 stray letter",
    "T{n} abc 4474256.331 3.0",
    "T{n} 440720.512 4474256.331",  # no blank after the northing
    "T{n} 440720,512 4474256,331 5.0 decimal commas",
    "",  # empty line
    "T{n}  440720.512 4474256.331 6.0 two blanks after the name",
    "T{n} 100000.000 9000000.000 7.0 far outside the grid",
    "T{n} 440720.512",
    "T{n}",
    "   T{n} 440720.512 4474256.331 8.0 leading blanks",
    "T{n} 440720.512 4474256.331  9.0 two blanks after the northing",
    "T{n} 5e5 4.4e6 10.0 exponents",
    "T{n} -0 4474256.331 11.0",
]


def write(path, datum, seed, count):
    rng = random.Random(seed)
    endings = ["\r\n"] * 8 + ["\n", "\r"]
    lines = [f"UTM {datum} H30"]
    for i in range(count):
        if i % 97 == 50:
            lines.append(AWKWARD[(i // 97) % len(AWKWARD)].format(n=i))
            continue
        easting = rng.uniform(230000, 800000)
        northing = rng.uniform(3950000, 4920000)
        height = rng.uniform(0, 2500)
        lines.append(f"P{i} {easting:.3f} {northing:.3f} {height:.2f} C{i % 7}")
    with open(path, "w", newline="") as f:
        for n, line in enumerate(lines):
            f.write(line + (endings[rng.randrange(len(endings))] if n else "\r\n"))


if __name__ == "__main__":
    out = sys.argv[1] if len(sys.argv) > 1 else "."
    write(f"{out}/ed50_generated.txt", "ED50", 50, 3000)
    write(f"{out}/etrs89_generated.txt", "ETRS89", 89, 3000)
