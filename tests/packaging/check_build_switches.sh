#!/usr/bin/env bash
# check_build_switches.sh SOURCE_DIR WITH_SETUP
#
# The build switches, each in a scratch configuration of the default preset
# (with setup when WITH_SETUP is ON):
# - BUILD_TESTING=OFF configures with GoogleTest, Qt Test and Google Benchmark
#   hidden from CMake, defines no test, and leaves out what only the tests use
#   (the unoptimised conversion, the test programs, the fuzz replays);
# - RUK_WARNINGS_AS_ERRORS=ON in the environment, as CI sets it, makes every
#   compiler warning an error, and a configuration without it does not.
set -euo pipefail
source=$1 with_setup=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

configure() {  # the default preset in a scratch folder, without the tests
  if ! cmake -S "$source" --preset default -B "$tmp/build" -DBUILD_TESTING=OFF -DRUK_BUILD_SETUP="$with_setup" \
      -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_Qt6Test=ON \
      -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON >"$tmp/configure.log" 2>&1; then
    cat "$tmp/configure.log" >&2
    fail "BUILD_TESTING=OFF does not configure without GoogleTest, Qt Test and Google Benchmark"
  fi
}
werror() {  # whether kovra's sources are compiled with -Werror
  grep -q -- '-Werror\( \|$\)' "$tmp/build/kovra/CMakeFiles/kovra_core.dir/flags.make"
}

RUK_WARNINGS_AS_ERRORS=ON configure
werror || fail "RUK_WARNINGS_AS_ERRORS=ON does not make warnings errors"
ctest --test-dir "$tmp/build" -N | grep -qx 'Total Tests: 0' || fail "BUILD_TESTING=OFF still defines tests"
targets=$(cmake --build "$tmp/build" --target help)
programs=(kovra)
[ "$with_setup" = ON ] && programs+=(setup)
for target in "${programs[@]}"; do
  grep -qx "\.\.\. $target" <<<"$targets" || fail "BUILD_TESTING=OFF does not build $target"
done
for target in kovra_core_O0 kovra_tests bits_probe_O0 fuzz_replay_run; do
  grep -qx "\.\.\. $target" <<<"$targets" && fail "BUILD_TESTING=OFF still builds $target"
done

(unset RUK_WARNINGS_AS_ERRORS; configure)
werror && fail "a build without RUK_WARNINGS_AS_ERRORS treats warnings as errors"
echo "BUILD_TESTING=OFF: the programs alone, no test; warnings are errors only with RUK_WARNINGS_AS_ERRORS=ON"
