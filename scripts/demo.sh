#!/usr/bin/env bash
# Converts the bundled sample files with the bundled demo grid, shows input and
# output side by side, and converts the ETRS89 result back to check the round trip.
# The demo grid carries its mark, so each run warns about it and ends with
# status 1; any other status stops the demo.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-build}
kovra="$root/$build/kovra/kovra"
out="$root/demo-out"

rm -rf "$out" && mkdir -p "$out"
cp "$root/examples/mirtaxo.gsb" "$root/examples/ed50_sample.txt" "$root/examples/etrs89_sample.txt" "$out/"
cd "$out"

echo "The grid in $out is the synthetic demo grid of this project: its shifts are invented,"
echo "and each run of kovra below warns about it, as it should."
echo

# kovra INPUT OUTPUT, whose one warning is the demo grid's.
run_kovra() {
  local status=0
  "$kovra" "$1" "$2" || status=$?
  [ "$status" -eq 1 ] || { echo "kovra $1 $2 ended with status $status" >&2; exit 1; }
}

side_by_side() {  # INPUT OUTPUT
  printf '%-52s | %s\n' "$1" "$2"
  paste -d '\t' <(tr -d '\r' <"$1") <(tr -d '\r' <"$2") | awk -F'\t' '{ printf "%-52s | %s\n", $1, $2 }'
  echo
}

run_kovra ed50_sample.txt ed50_to_etrs89.txt
side_by_side ed50_sample.txt ed50_to_etrs89.txt

run_kovra etrs89_sample.txt etrs89_to_ed50.txt
side_by_side etrs89_sample.txt etrs89_to_ed50.txt

run_kovra ed50_to_etrs89.txt back_to_ed50.txt
echo "Round trip ED50 -> ETRS89 -> ED50:"
paste -d ' ' <(tr -d '\r' <ed50_sample.txt | tail -n +2) <(tr -d '\r' <back_to_ed50.txt | tail -n +2) |
  awk '{ n = NF / 2; dx = $(n + 2) - $2; dy = $(n + 3) - $3
         d = (dx < 0 ? -dx : dx) > (dy < 0 ? -dy : dy) ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy)
         if (d > worst) worst = d; printf "  %-6s easting %+.3f m  northing %+.3f m\n", $1, dx, dy }
       END { printf "largest difference in a coordinate: %.3f m (%s)\n", worst,
                    worst <= 0.0020001 ? "within 2 mm: each direction cuts its result to the mm" : "MORE THAN 2 mm" }'
echo
echo "Files are in $out. The grid is the synthetic demo grid: do not copy it into a working"
echo "folder. Real conversions need the official NTv2 grid of your mapping agency, saved as"
echo "mirtaxo.gsb in the working directory."
