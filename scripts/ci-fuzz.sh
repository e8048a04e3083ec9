#!/usr/bin/env bash
# Runs each libFuzzer target of fuzz/ for a while (make fuzz [FUZZ_SECONDS=60]):
#   scripts/ci-fuzz.sh [SECONDS] [TARGET...]     targets: grid run numtext
# Builds them with clang in build-fuzz/ (installs clang and its fuzzing runtime
# when missing). Each target starts from the committed corpus fuzz/corpus/TARGET
# and adds what it finds to build-fuzz/corpus/TARGET; a crash is saved in
# build-fuzz/crashes/TARGET/. To keep a crash fixed, copy it to
# fuzz/crashes/TARGET/: CTest then runs it on every build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(grid run numtext)
[[ $seconds =~ ^[1-9][0-9]*$ ]] || { echo "fuzz: not a number of seconds: $seconds" >&2; exit 2; }

scripts/install-deps.sh fuzz
cmake --preset fuzz >/dev/null
env -u MAKEFLAGS -u MAKELEVEL cmake --build --preset fuzz -j 2

failed=()
for target in "${targets[@]}"; do
  corpus=$root/build-fuzz/corpus/$target
  crashes=$root/build-fuzz/crashes/$target
  mkdir -p "$corpus" "$crashes"
  options=(-max_total_time="$seconds" -timeout=30 -print_final_stats=1 -artifact_prefix="$crashes/")
  case $target in
    grid) options+=(-dict="$root/fuzz/grid.dict" -max_len=4096) ;;
    run) options+=(-max_len=8192) ;;
    numtext) options+=(-max_len=512) ;;
  esac
  echo "== fuzz_$target for $seconds s"
  "$root/build-fuzz/fuzz/fuzz_$target" "${options[@]}" "$corpus" "$root/fuzz/corpus/$target" || failed+=("$target")
done
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz: a property broke in: ${failed[*]} (inputs in build-fuzz/crashes/)" >&2
  exit 1
fi
