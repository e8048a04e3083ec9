#!/usr/bin/env bash
# check_help.sh PROGRAM NAME PAGE VERSION
#
# The --help text of PROGRAM, installed as NAME, must say what its manual page
# PAGE says, as `man` renders it: the same words in the same order, with the
# three changes that man/render_help.sh makes (no NAME section, "usage:" before
# the SYNOPSIS lines, no DESCRIPTION heading). The page must render without
# groff warnings, the help must fit 79 columns, and both options must work
# without a display and name the program NAME.
# Exit 77 (skipped) when man or col is missing.
set -euo pipefail
program=$1 name=$2 page=$3 version=$4

for tool in man col; do
  command -v "$tool" >/dev/null || { echo "SKIP: '$tool' is not installed (Debian: man-db, bsdextrautils)"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Without a display: setup must answer before it opens its application.
headless=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
"${headless[@]}" "$program" --help >"$tmp/help" || fail "$name --help exited with $?"
[ "$("${headless[@]}" "$program" --version)" = "$name $version" ] || fail "$name --version does not print '$name $version'"

head -n 1 "$tmp/help" | grep -q "^usage: $name\b" || fail "the help does not start with 'usage: $name'"
if awk 'length > 79 { print FILENAME ":" NR ": " length " columns"; bad = 1 } END { exit !bad }' "$tmp/help"; then
  fail "help lines wider than 79 columns"
fi

# Wide lines, so that groff breaks no word (it would break after a hyphen).
LC_ALL=C MANWIDTH=1000 man --warnings -l "$page" 2>"$tmp/warnings" | col -bx >"$tmp/man"
[ -s "$tmp/warnings" ] && { cat "$tmp/warnings" >&2; fail "groff warns about $page"; }
[ -s "$tmp/man" ] || fail "man -l $page rendered nothing"

# The page without its title and foot lines, NAME section and the two headings
# the help leaves out; then both texts one word per line.
awk 'NF { lines[++n] = $0 }
     END {
       for (i = 2; i < n; i++) {
         if (lines[i] ~ /^[^ ]/) skip = (lines[i] == "NAME")
         if (skip || lines[i] == "SYNOPSIS" || lines[i] == "DESCRIPTION") continue
         print lines[i]
       }
     }' "$tmp/man" | tr -s ' \t' '\n\n' | sed '/^$/d' >"$tmp/man.words"
sed '1s/^usage: //' "$tmp/help" | tr -s ' \t' '\n\n' | sed '/^$/d' >"$tmp/help.words"

if ! diff -u "$tmp/man.words" "$tmp/help.words" >"$tmp/diff"; then
  cat "$tmp/diff" >&2
  fail "$name --help and the manual page $page differ (- page, + help)"
fi
echo "$name --help: $(wc -l <"$tmp/help.words") words, the same as in $(basename "$page")"
