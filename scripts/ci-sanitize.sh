#!/usr/bin/env bash
# Builds and tests under the sanitizers (make sanitize; part of .ci/run):
#   asan  AddressSanitizer + UndefinedBehaviorSanitizer, every test (build-asan/)
#   tsan  ThreadSanitizer, kovra only, the tests that run records on worker
#         threads (build-tsan/)
# scripts/ci-sanitize.sh [PRESET...] runs the named presets only (default: both).
# The sanitizers reserve far more address space than the address-space limit of
# DataSafety.LongLinesCostNoMemory allows: the test presets set RUK_NO_ADDRESS_LIMIT,
# which skips that one test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# Tests that a sanitizer fails because of a bug that is not fixed yet: left out
# of that preset's run until the fix is in (a ctest -E pattern per preset).
declare -A open_findings=()

presets=("$@")
[ ${#presets[@]} -eq 0 ] && presets=(asan tsan)
for preset in "${presets[@]}"; do
  echo "== sanitizer build: $preset"
  cmake --preset "$preset" >/dev/null
  env -u MAKEFLAGS -u MAKELEVEL cmake --build --preset "$preset" -j 2
  # ThreadSanitizer cannot map its shadow memory with the address layout that
  # large randomisation gives on newer kernels; without randomisation it can.
  run=()
  [ "$preset" = tsan ] && setarch "$(uname -m)" -R true 2>/dev/null && run=(setarch "$(uname -m)" -R)
  exclude=()
  if [ -n "${open_findings[$preset]:-}" ]; then
    echo "== left out until fixed: ${open_findings[$preset]}"
    exclude=(-E "${open_findings[$preset]}")
  fi
  "${run[@]}" ctest --preset "$preset" -j 2 "${exclude[@]}"
done
