#!/usr/bin/env bash
# Benchmarks kovra against PROJ on the same points and the same grid, both directions:
#   scripts/bench.sh [POINTS]        (make bench [N=POINTS]; default 1000000 points)
# KOVRA=path picks the binary (default build/kovra/kovra), RUNS=n the runs of each tool
# (default 3, the median is reported), PYTHON=an interpreter with Debian's pyproj and
# numpy (default /usr/bin/python3). Not part of the tests.
#
# The grid is PROJ's NTv2 grid ntf_r93.gsb, copied as mirtaxo.gsb into a temporary
# folder that every tool runs in. bench/make_points.py draws the points (fixed seed) in
# UTM zone 31 well inside the grid. Each run times, per direction and in this order,
# kovra, PROJ's cct and a plain numpy+pyproj script, each as a whole process; then
# bench/transform_only.py times PROJ's transformation alone on arrays in memory and
# bench/report.py prints the table and compares kovra's coordinates with cct's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
points=${1:-1000000}
runs=${RUNS:-3}
kovra=${KOVRA:-$root/build/kovra/kovra}
python=${PYTHON:-/usr/bin/python3}
grid=/usr/share/proj/ntf_r93.gsb
zone=31

for n in "$points" "$runs"; do
  [[ $n =~ ^[1-9][0-9]*$ ]] || { echo "bench: not a positive count: $n" >&2; exit 2; }
done

"$root/scripts/install-deps.sh" bench

kovra=$(realpath "$kovra" 2>/dev/null || echo "$kovra")
[ -x "$kovra" ] || { echo "bench: no kovra binary at $kovra (make build, or KOVRA=path)" >&2; exit 2; }
[ -r "$grid" ] || { echo "bench: $grid missing (Debian package proj-data)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$grid" "$work/mirtaxo.gsb"
cd "$work"

echo "kovra: $kovra"
echo "PROJ $(cct --version 2>&1 | head -n 1 | grep -o '[0-9][0-9.]*' | head -n 1), pyproj $("$python" -c 'import pyproj; print(pyproj.__version__)'), $(nproc) cores"
echo -n "Writing $points points a direction: "
"$python" "$root/bench/make_points.py" mirtaxo.gsb "$zone" "$points" .

# The PROJ pipelines, one a direction, named by the source datum.
declare -A pipeline
for source in ED50 ETRS89; do
  pipeline[$source]=$("$python" "$root/bench/pipelines.py" "$source" "$zone" "$work/mirtaxo.gsb")
done

# timed TOOL SOURCE STDOUT COMMAND...: runs COMMAND once, appends its wall time (ns) and
# peak memory (KiB) to times.tsv; stops the benchmark when the command fails.
timed() {
  local tool=$1 source=$2 out=$3 start end
  shift 3
  start=$(date +%s%N)
  if ! /usr/bin/time -f %M -o rss.txt "$@" >"$out" 2>err.txt; then
    echo "bench: $tool ($source) failed:" >&2
    head -n 5 err.txt rss.txt >&2
    exit 1
  fi
  end=$(date +%s%N)
  printf '%s\t%s\t%s\t%s\n' "$tool" "$source" $((end - start)) "$(tail -n 1 rss.txt)" >>times.tsv
}

: >times.tsv
for ((run = 1; run <= runs; run++)); do
  echo "Run $run of $runs"
  for source in ED50 ETRS89; do
    read -ra cct_args <<<"${pipeline[$source]}"
    timed kovra "$source" /dev/null "$kovra" "$source.txt" "kovra-$source.out"
    timed cct "$source" "cct-$source.out" cct -d 4 -z 0 -t 0 "${cct_args[@]}" "$source.cct"
    timed python "$source" /dev/null "$python" "$root/bench/pyproj_pipeline.py" \
      "${pipeline[$source]}" "$source.txt" "python-$source.out"
  done
done
echo "PROJ transform alone"
for source in ED50 ETRS89; do
  "$python" "$root/bench/transform_only.py" "${pipeline[$source]}" "$source.cct" "$runs" "$source" >>times.tsv
done

"$python" "$root/bench/report.py" . "$points" "$runs" "$(basename "$grid")"
