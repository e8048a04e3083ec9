#!/usr/bin/env bash
# Times kovra on a large generated point file in both directions with the demo
# grid: scripts/bench.sh [POINTS] [BUILD_DIR]. Not part of the tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
points=${1:-1000000}
kovra="$root/${2:-build}/kovra/kovra"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/examples/mirtaxo.gsb" "$work/"
cd "$work"
for datum in ED50 ETRS89; do
  awk -v n="$points" -v d="$datum" 'BEGIN { srand(1); printf "UTM %s H30\r\n", d
    for (i = 0; i < n; i++)
      printf "P%d %.3f %.3f %.2f CODE\r\n", i, 300000 + 400000 * rand(), 4000000 + 800000 * rand(), 2000 * rand() }' >"$datum.txt"
  start=$(date +%s.%N)
  "$kovra" "$datum.txt" "$datum.out"
  end=$(date +%s.%N)
  awk -v n="$points" -v d="$datum" -v s="$start" -v e="$end" \
    'BEGIN { printf "%-6s %d points: %.2f s (%.2f us a point)\n", d, n, e - s, (e - s) * 1e6 / n }'
done
