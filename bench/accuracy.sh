#!/usr/bin/env bash
# Measures kovra's accuracy against PROJ and its round trip, in bands of 50 km from the
# central meridian (bench/accuracy.py says what and how):
#   bench/accuracy.sh [POINTS]       (make accuracy [N=POINTS]; default 200000 points a set)
# KOVRA=path picks the binary (default build/kovra/kovra), PYTHON an interpreter with
# Debian's pyproj and numpy (default /usr/bin/python3). Not part of the tests.
#
# The grid is PROJ's NTv2 grid ntf_r93.gsb (Debian's proj-data), copied as mirtaxo.gsb
# into a temporary folder that kovra runs in; the points lie in UTM zone 31. GRID= and
# ZONE= take another grid and zone: GRID=examples/mirtaxo.gsb ZONE=30 measures in
# peninsular Spain with the demo grid (the projections do not depend on the shifts).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
points=${1:-200000}
kovra=${KOVRA:-$root/build/kovra/kovra}
python=${PYTHON:-/usr/bin/python3}
grid=${GRID:-/usr/share/proj/ntf_r93.gsb}
zone=${ZONE:-31}

[[ $points =~ ^[1-9][0-9]*$ ]] || { echo "accuracy: not a positive count: $points" >&2; exit 2; }
[[ $zone =~ ^[1-9][0-9]?$ ]] && ((zone <= 60)) || { echo "accuracy: not a UTM zone: $zone" >&2; exit 2; }

"$root/scripts/install-deps.sh" bench

kovra=$(realpath "$kovra" 2>/dev/null || echo "$kovra")
[ -x "$kovra" ] || { echo "accuracy: no kovra binary at $kovra (make build, or KOVRA=path)" >&2; exit 2; }
[ -r "$grid" ] || { echo "accuracy: $grid missing (ntf_r93.gsb: Debian package proj-data)" >&2; exit 2; }
grid=$(realpath "$grid")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$grid" "$work/mirtaxo.gsb"

echo "kovra: $kovra"
echo "grid: $grid, copied as mirtaxo.gsb"
echo "PROJ $(cct --version 2>&1 | head -n 1 | grep -o '[0-9][0-9.]*' | head -n 1), pyproj $("$python" -c 'import pyproj; print(pyproj.__version__)')"
"$python" "$root/bench/accuracy.py" "$kovra" "$work/mirtaxo.gsb" "$zone" "$points" "$work"
