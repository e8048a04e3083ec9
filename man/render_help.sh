#!/usr/bin/env bash
# Renders the manual pages to the --help texts in man/help/, which the build
# compiles into the programs; they are kept in the sources, so that no build
# needs a formatter (the Windows cross build, `make demo` on a fresh machine):
#
#   man/render_help.sh           writes man/help/*.txt (after a page was edited)
#   man/render_help.sh --check   fails when a text is not its page's rendering
#
# A help text is the page as groff lays it out for a terminal, 79 columns wide,
# sections indented by two, with three changes that suit a --help text: no
# title and foot lines and no NAME section, the SYNOPSIS lines become the
# "usage:" lines at the top, and the DESCRIPTION paragraphs stand at the margin
# without their heading. A page that makes groff warn is not rendered.
# Exit 77 when groff is missing (Debian: groff-base).
set -euo pipefail
dir=$(cd "$(dirname "$0")" && pwd)

# help text, manual page, the name the page gives the program
texts=(
  "kovra kovra.1 kovra"
  "ruk3-setup ruk3-setup.1 ruk3-setup"
  "setup ruk3-setup.1 setup"  # setup.exe keeps the Windows name
)

command -v groff >/dev/null || { echo "SKIP: groff is not installed (Debian: groff-base)"; exit 77; }
check=false
case ${1:-} in
  --check) check=true ;;
  "") ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

render() {  # PAGE PROGRAM: the help text on standard output
  if ! LC_ALL=C groff -man -Tascii -P-cbou -rLL=79n -rIN=2n -ww -dprogram="$2" "$1" >"$tmp/page" 2>"$tmp/warnings" ||
     [ -s "$tmp/warnings" ]; then
    cat "$tmp/warnings" >&2
    echo "groff cannot render $1 without a warning" >&2
    return 1
  fi
  awk '{ line[NR] = $0 }
       END {
         first = 1; while (line[first] == "") first++  # the title line
         last = NR; while (line[last] == "") last--     # the foot line
         for (i = first + 1; i < last; i++) {
           text = line[i]
           if (text == "") { blank = 1; continue }
           if (text !~ /^ /) {
             section = text
             if (section == "NAME" || section == "SYNOPSIS" || section == "DESCRIPTION") continue
           } else if (section == "NAME") {
             continue
           } else if (section == "SYNOPSIS") {
             sub(/^ +/, "", text)
             text = (usage++ ? "       " : "usage: ") text
           } else if (section == "DESCRIPTION") {
             text = substr(text, 3)
           }
           if (blank && printed) print ""
           print text
           blank = 0; printed = 1
         }
       }' "$tmp/page"
}

stale=()
for entry in "${texts[@]}"; do
  read -r name page program <<<"$entry"
  text=$dir/help/$name.txt
  render "$dir/$page" "$program" >"$tmp/$name.txt"
  if ! $check; then
    cp "$tmp/$name.txt" "$text"
  elif ! diff -u "$text" "$tmp/$name.txt" >&2; then
    stale+=("man/help/$name.txt")
  fi
done
if [ ${#stale[@]} -ne 0 ]; then
  echo "not the rendering of their manual pages: ${stale[*]}; run man/render_help.sh" \
       "(cmake --build build --target help-texts)" >&2
  exit 1
fi
