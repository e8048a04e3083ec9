# The checks of the Wine test scripts, sourced by them: each check counts, each
# failure prints one FAIL line, and report ends the script with the tally.

failures=0
checks=0

skip() {
  echo "SKIPPED: $*"
  exit 77
}

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# check WHAT COMMAND...: one check, failed when the command fails.
check() {
  checks=$((checks + 1))
  local what=$1
  shift
  "$@" || fail "$what"
}

# expect_text WHAT ACTUAL EXPECTED (strings)
expect_text() {
  checks=$((checks + 1))
  [ "$2" == "$3" ] || fail "$1: got [$2], expected [$3]"
}

# report NAME: the tally; the status is that of the checks.
report() {
  echo "$1: $checks checks, $failures failed"
  [ "$failures" -eq 0 ]
}
