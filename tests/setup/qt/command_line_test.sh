#!/usr/bin/env bash
# command_line_test.sh SETUP VERSION
#
# The Qt program's command line as a user meets it: without a display it says
# so in one line and ends with 1 (Qt's own abort ends with 134); an unknown
# option or a word after --help or --version is a usage error (2), worded as
# GNU programs word it, and never starts the forms; --help and --version need
# no display, and Qt's own options are no usage error.
set -uo pipefail
setup=$1 version=$2
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

# run ENV... -- ARGS...: the status, standard output and standard error of one run
# in $status, $tmp/out and $tmp/err. A run that starts the forms would not end: 20 s.
run() {
  local environment=()
  while [ "$1" != -- ]; do environment+=("$1"); shift; done
  shift
  env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "${environment[@]}" \
    timeout 20 "$setup" "$@" >"$tmp/out" 2>"$tmp/err" </dev/null
  status=$?
}

# expect WHAT STATUS STDERR [STDOUT]
expect() {
  [ "$status" -eq "$2" ] || fail "$1: status $status, not $2"
  [ "$(cat "$tmp/err")" = "$3" ] || fail "$1: standard error is '$(cat "$tmp/err")', not '$3'"
  [ "$(cat "$tmp/out")" = "${4:-}" ] || fail "$1: standard output is '$(cat "$tmp/out")', not '${4:-}'"
}

try="Try 'ruk3-setup --help' for more information."
run -- ; expect "no display" 1 \
  "ruk3-setup: cannot show its forms: no display (DISPLAY and WAYLAND_DISPLAY are not set); run it as 'xvfb-run -a ruk3-setup'"
run DISPLAY= WAYLAND_DISPLAY= -- ; [ "$status" -eq 1 ] || fail "empty DISPLAY and WAYLAND_DISPLAY: status $status, not 1"
run -- --bogus; expect "--bogus" 2 "ruk3-setup: unrecognized option '--bogus'"$'\n'"$try"
run QT_QPA_PLATFORM=offscreen -- --bogus; expect "--bogus with a display" 2 "ruk3-setup: unrecognized option '--bogus'"$'\n'"$try"
run QT_QPA_PLATFORM=offscreen -- --version extra; expect "--version extra" 2 "ruk3-setup: extra operand 'extra'"$'\n'"$try"
run QT_QPA_PLATFORM=offscreen -- --help --version; expect "--help --version" 2 "ruk3-setup: extra operand '--version'"$'\n'"$try"
run QT_QPA_PLATFORM=offscreen -- acad.exe; expect "an operand" 2 "ruk3-setup: extra operand 'acad.exe'"$'\n'"$try"
run -- --version; expect "--version" 0 "" "ruk3-setup $version"
run -- -platform offscreen -style fusion --version; expect "Qt's options, then --version" 0 "" "ruk3-setup $version"
run -- --help; [ "$status" -eq 0 ] && head -n 1 "$tmp/out" | grep -q '^usage: ruk3-setup' || fail "--help without a display"

# A display that does not answer: Qt cannot open its platform; one line of ours at the end, status 1.
run DISPLAY=:0.nosuchscreen XAUTHORITY=/nonexistent -- ; [ "$status" -eq 1 ] || fail "a display that does not answer: status $status, not 1"
[ "$(tail -n 1 "$tmp/err")" = "ruk3-setup: cannot show its forms: no display could be opened" ] ||
  fail "a display that does not answer: '$(tail -n 1 "$tmp/err")'"

[ "$failures" -eq 0 ] || exit 1
echo "ruk3-setup's command line: every case as expected"
