#!/usr/bin/env bash
# kovra.exe under Wine, against the bytes the Linux build gives (the golden
# files and the messages of the Linux tests). Exit 77 (skipped) with the reason
# when Wine or a program is missing.
#
#   wine_test.sh setup   STATE KOVRA_EXE  a throw-away Wine prefix in a temp dir, in which KOVRA_EXE runs
#   wine_test.sh cleanup STATE            its wineserver stopped, the prefix removed
#   wine_test.sh golden  STATE KOVRA_EXE SOURCE_DIR
#   wine_test.sh cli     STATE KOVRA_EXE SOURCE_DIR VERSION
#   wine_test.sh stages  STATE PROBE_EXE SOURCE_DIR   (stage_compare.exe beside it)
#   wine_test.sh gtest   STATE EXE                    a GoogleTest program: it ran and passed
#   wine_test.sh boxes   STATE KOVRA_EXE SOURCE_DIR COUNTER_EXE   messages as boxes, on a headless X server
#   wine_test.sh package STATE ZIP SOURCE_DIR         the Windows package unpacked, its kovra.exe on its demo
#   wine_test.sh then    STATE COMMAND...             COMMAND, where the programs run under Wine
#   wine_test.sh outputs STATE KOVRA_EXE SOURCE_DIR HOLD_EXE      devices, long names, an output held open
#
# STATE is a file that holds the prefix's path from setup to cleanup. Where
# setup skips (no Wine, or a Wine that cannot run the programs: a 32-bit build
# needs Debian's wine32, of the i386 architecture), it writes why to
# STATE.skipped, and every test that needs the prefix skips with that reason.
# Wine's own status cannot tell: it is 0 when Wine could not start a program.
set -uo pipefail

mode=$1
state=$2

# shellcheck source=checks.sh
. "$(dirname "$0")/checks.sh"

# boxes_test KOVRA_EXE COUNTER_EXE: a file with 500 warnings and 2 errors, its
# messages as boxes (as when the CAD program starts kovra.exe): a box for each
# error while the run goes on, and one at its end headed by the run's summary,
# with all the warnings (the demo grid's among them) under it.
boxes_test() {
  command -v Xvfb >/dev/null || skip "Xvfb is not installed (scripts/install-deps.sh windows installs it)"
  [ -f "$2" ] || skip "$2 was not built (cmake --build --preset windows)"
  # Xvfb writes its display's number once it is ready: read through a FIFO,
  # that is the wait, however long it takes (an empty read: Xvfb ended).
  local display_fifo=$work/display
  mkfifo "$display_fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_fifo" >/dev/null 2>&1 &
  local xvfb=$!
  local display=
  read -r display <"$display_fifo"
  [ -n "$display" ] || { fail "boxes: Xvfb did not start"; return; }
  DISPLAY=:$display
  export DISPLAY
  # A wineserver started without a display would keep its desktop headless.
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  cp "$source/examples/mirtaxo.gsb" "$work/mirtaxo.gsb"
  {
    printf 'UTM ED50 H30\r\n'
    for i in $(seq 250); do printf 'W%d 440000x 4470000 a\r\n' "$i"; done
    printf 'E1 440000 0 outside\r\n'
    for i in $(seq 251 500); do printf 'W%d 440000x 4470000 a\r\n' "$i"; done
    printf 'E2 440000 0 outside\r\n'
  } >"$work/in.txt"
  local seen
  # kovra.exe by its Windows path: started by its Linux one, Wine runs it
  # without a desktop to show boxes on.
  seen=$(cd "$work" && timeout 300 wine "$2" "$(winepath -w "$1")" in.txt out.txt | tr -d '\r')
  kill "$xvfb" 2>/dev/null
  expect_text "boxes: how many" "$(grep '^boxes' <<<"$seen")" "boxes 3"
  expect_text "boxes: the errors, then the summary over the warnings" "$(grep -P '^box\t' <<<"$seen" | cut -f2)" \
    "in.txt:252: Error ed2et: outside the grid (point E1)"$'\n'"in.txt:503: Error ed2et: outside the grid (point E2)"$'\n'"in.txt: 500 of 502 points converted, 2 not converted, 501 warnings | 501 warnings: the points they name were converted; check them in the output."
  expect_text "boxes: the run's status" "$(grep '^status' <<<"$seen")" "status 1"
  check "boxes: every point converted" test "$(grep -c ' a' "$work/out.txt")" -eq 500
}

# package_test ZIP: what the package holds, its texts in Windows line ends,
# and its own kovra.exe on its own demo, run in the demo folder as the texts say.
package_test() {
  (cd "$work" && cmake -E tar xf "$1") || fail "the package does not unpack"
  local folder=$work/$(basename "$1" .zip)
  expect_text "package: its files" "$(cd "$folder" && find . -type f | sort | tr '\n' ' ')" \
    "./LEEME.txt ./README.txt ./demo/ed50_sample.txt ./demo/etrs89_sample.txt ./demo/mirtaxo.gsb ./kovra.exe ./setup.exe "
  local text
  for text in LEEME.txt README.txt; do
    check "package: $text ends every line in CR LF" test "$(grep -c $'\r$' "$folder/$text")" -eq "$(wc -l <"$folder/$text")"
    check "package: $text names mirtaxo.gsb" grep -q 'mirtaxo.gsb' "$folder/$text"
  done
  local name
  for name in ed50_sample etrs89_sample; do
    (cd "$folder/demo" && wine "$folder/kovra.exe" "$name.txt" out.txt 2>"$work.err")
    # 1: the packaged grid is the demo grid, and each run says so.
    expect_text "package: $name: status" "$?" 1
    expect_same "package: $name: output" "$folder/demo/out.txt" "$golden/$name.expected"
    expect_same "package: $name: messages" "$work.err" "$golden/$name.messages"
  done
}

# Headless: no Wine debug output, no window (without a display a message box
# cannot open and kovra writes the line instead), and no offer to install
# Wine's .NET or HTML engines into the prefix.
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY

# skip_setup REASON: setup's skip, its reason kept for the tests that need the prefix.
skip_setup() {
  echo "$*" >"$state.skipped"
  skip "$@"
}

case $mode in
setup)
  rm -f "$state" "$state.skipped"
  command -v wine >/dev/null && command -v wineboot >/dev/null ||
    skip_setup "wine is not installed (scripts/install-deps.sh windows installs it)"
  prefix=$(mktemp -d "${TMPDIR:-/tmp}/kovra-wine.XXXXXX")
  start=$(date +%s)
  # wineboot reports its 32-bit half missing (Debian's wine64 alone); that is harmless.
  if ! WINEPREFIX=$prefix wineboot -i >"$prefix.log" 2>&1; then
    cat "$prefix.log"
    rm -rf "$prefix" "$prefix.log"
    echo "wineboot failed"
    exit 1
  fi
  rm -f "$prefix.log"
  echo "Wine prefix $prefix made in $(($(date +%s) - start)) s"
  # kovra.exe says its version only where Wine could start it.
  version=$(WINEPREFIX=$prefix wine "$3" --version 2>/dev/null | tr -d '\r')
  if [[ $version != "kovra "* ]]; then
    WINEPREFIX=$prefix wineserver -k 2>/dev/null
    WINEPREFIX=$prefix wineserver -w 2>/dev/null
    rm -rf "$prefix"
    kind=$(file -b "$3" | cut -d, -f1)
    skip_setup "this Wine cannot run $(basename "$3") ($kind): a 32-bit build needs Debian's wine32 (i386), which scripts/install-deps.sh windows installs where the mirror has it"
  fi
  echo "$prefix" >"$state"
  exit 0
  ;;
cleanup)
  [ -f "$state" ] || exit 0
  prefix=$(cat "$state")
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  WINEPREFIX=$prefix wineserver -w 2>/dev/null
  rm -rf "$prefix" "$state"
  exit 0
  ;;
esac

[ -f "$state.skipped" ] && skip "$(cat "$state.skipped")"
[ -f "$state" ] || skip "no Wine prefix (its setup did not run)"
if [ "$mode" = then ]; then
  shift 2
  exec "$@"
fi
program=$3
source=${4:-}
[ -f "$program" ] || skip "$program was not built (cmake --build --preset windows)"
export WINEPREFIX
WINEPREFIX=$(cat "$state")
export KOVRA_MESSAGES=stderr  # never a box that waits in a test
unset KOVRA_THREADS           # each test sets its own, or none: not the caller's
if [ "$mode" = gtest ]; then
  # GoogleTest's closing summary: only a program that ran to its end writes it.
  wine "$program" | tee "$state.$$.out"
  status=${PIPESTATUS[0]}
  expect_text "$(basename "$program"): status" "$status" 0
  check "$(basename "$program"): GoogleTest's summary" grep -q '^\[  PASSED  \] [0-9]* test' "$state.$$.out"
  rm -f "$state.$$.out"
  report "$(basename "$program")"
  exit $?
fi

golden=$source/tests/golden
# expect_same WHAT ACTUAL_FILE EXPECTED_FILE
expect_same() {
  checks=$((checks + 1))
  if ! cmp -s "$2" "$3"; then
    fail "$1 differs from $3:"
    diff <(od -c "$3") <(od -c "$2") | head -20
  fi
}

work=$(mktemp -d "${TMPDIR:-/tmp}/kovra-wine-run.XXXXXX")
trap 'rm -rf "$work" "$work.out" "$work.err"' EXIT

if [ "$mode" = boxes ]; then
  boxes_test "$program" "$5"
  report "boxes"
  exit $?
fi
if [ "$mode" = package ]; then
  package_test "$program"
  report "package"
  exit $?
fi

# kovra ARGS...: runs kovra.exe in $work; sets status and err (stdout in $work.out).
kovra() {
  (cd "$work" && wine "$program" "$@" >"$work.out" 2>"$work.err")
  status=$?
  err=$(cat "$work.err"; echo .)  # the dot keeps trailing line ends
  err=${err%.}
}

# A fresh working folder with the demo grid.
fresh() {
  rm -rf "$work"
  mkdir -p "$work"
  cp "$source/examples/mirtaxo.gsb" "$work/"
}

usage=$'kovra: usage: kovra INPUT OUTPUT (kovra --help for more)\n'

# expect_refused WHAT MESSAGE: the run ended early with this one message.
expect_refused() {
  expect_text "$1: status" "$status" 2
  expect_text "$1: messages" "$err" "kovra: Error openFiles: $2"$'\n'
}

case $mode in
golden)
  # Every output byte and message as the Linux build gives them, on the
  # single-threaded loop and on three worker threads. Each run warns that its
  # grid is the demo grid, so none has status 0.
  for c in "$source/examples/ed50_sample.txt:ed50_sample:1" "$source/examples/etrs89_sample.txt:etrs89_sample:1" \
           "$golden/ed50_generated.txt:ed50_generated:1" "$golden/etrs89_generated.txt:etrs89_generated:1"; do
    IFS=: read -r input name expected_status <<<"$c"
    for threads in 1 3; do
      fresh
      cp "$input" "$work/"
      KOVRA_THREADS=$threads kovra "$(basename "$input")" out.txt
      expect_text "$name threads=$threads: exit status" "$status" "$expected_status"
      expect_same "$name threads=$threads: output" "$work/out.txt" "$golden/$name.expected"
      expect_same "$name threads=$threads: messages" "$work.err" "$golden/$name.messages"
      expect_same "$name threads=$threads: input" "$work/$(basename "$input")" "$input"
    done
  done
  ;;
cli)
  header=$'UTM ED50 H30\r\n'
  out_header=$'UTM ETRS89 H30\r\n'

  # No blank on the command line: the message, a usage hint, nothing opened.
  fresh
  printf '%s' "$header" >"$work/in.txt"
  kovra in.txt
  expect_text "no blank: status" "$status" 2
  expect_text "no blank: messages" "$err" $'kovra: Error openFiles: \n'"$usage"
  [ ! -e "$work/out.txt" ] || fail "no blank: out.txt was created"
  kovra
  expect_text "empty command line: messages" "$err" $'kovra: Error openFiles: \n'"$usage"

  # A missing input leaves an existing output untouched.
  printf 'precious\r\n' >"$work/out.txt"
  kovra nothere.txt out.txt
  expect_refused "missing input" "File not found: nothere.txt"
  expect_text "missing input: output kept" "$(od -c <"$work/out.txt")" "$(printf 'precious\r\n' | od -c)"
  kovra in.txt no/such/folder.txt
  expect_refused "missing folder" "Path not found: no/such/folder.txt"

  # Everything after the first blank is the output path. Wine passes the
  # three words as they are; a quoted path keeps its quotes, which no Windows
  # file name can hold.
  kovra in.txt out file.txt
  expect_text "output with blanks: status" "$status" 0
  expect_same "output with blanks" "$work/out file.txt" <(printf '%s' "$out_header")
  kovra in.txt "quoted name.txt"
  expect_refused "quoted output" 'Path/File access error: "quoted name.txt" (Invalid argument)'

  # Names outside ASCII open, are created and are named in UTF-8.
  printf '%s' "$header" >"$work/año.txt"
  kovra año.txt salida ñ.txt
  expect_text "UTF-8 names: status" "$status" 0
  expect_same "UTF-8 names" "$work/salida ñ.txt" <(printf '%s' "$out_header")
  kovra ñandú.txt out.txt
  expect_refused "UTF-8 missing input" "File not found: ñandú.txt"

  # An input path with a blank, quoted or not: the input path ends at the
  # first blank all the same, which the message says (Windows passes the
  # quotes on, and no file name can hold one).
  kovra my in.txt out.txt
  expect_text "blank in the input path: status" "$status" 2
  expect_text "blank in the input path: messages" "$err" \
    'kovra: Error openFiles: File not found: my'$'\n''kovra: the input path ends at the first blank (an input path cannot hold one); everything after it, "in.txt out.txt", is the output path'$'\n'
  kovra "my in.txt" out.txt
  expect_text "quoted input path with a blank: messages" "$err" \
    'kovra: Error openFiles: Path/File access error: "my (Invalid argument)'$'\n''kovra: the input path ends at the first blank (an input path cannot hold one); everything after it, "in.txt" out.txt", is the output path'$'\n'

  # Folders and the same file twice, with the texts of the Linux build. Names
  # are not case-sensitive on Windows: IN.TXT is in.txt.
  mkdir "$work/folder"
  kovra folder out.txt
  expect_refused "input folder" "Path/File access error: folder (Is a directory)"
  kovra in.txt folder
  expect_refused "output folder" "Path/File access error: folder (Is a directory)"
  kovra in.txt ./in.txt
  expect_refused "same file" "Input and output are the same file: ./in.txt"
  kovra in.txt IN.TXT
  expect_refused "same file, other case" "Input and output are the same file: IN.TXT"
  kovra año.txt AÑO.TXT
  expect_refused "same file, other case, outside ASCII" "Input and output are the same file: AÑO.TXT"
  kovra in.txt MIRTAXO.GSB
  expect_refused "grid file, other case" "Output would overwrite the grid file: MIRTAXO.GSB"
  expect_same "input kept" "$work/in.txt" <(printf '%s' "$header")

  # An existing output is replaced in one step, by a temporary file beside it
  # that does not stay behind.
  printf 'the previous output\r\n' >"$work/old.txt"
  kovra in.txt old.txt
  expect_text "existing output: status" "$status" 0
  expect_same "existing output replaced" "$work/old.txt" <(printf '%s' "$out_header")
  expect_text "no temporary file left" "$(find "$work" -name '.*.kovra-*' | wc -l)" 0

  # A grid that is a folder. (A read-only output cannot be had here: Wine
  # run as root, as CI is, writes it all the same.)
  printf '%sA 440000 4470000 a\r\n' "$header" >"$work/in.txt"
  rm "$work/mirtaxo.gsb"
  mkdir "$work/mirtaxo.gsb"
  kovra in.txt out.txt
  expect_text "grid folder: status" "$status" 1
  summary=$'kovra: in.txt: 0 of 1 point converted, 1 not converted, 0 warnings\n'
  expect_text "grid folder: messages" "$err" \
    "kovra: grid file \"mirtaxo.gsb\" is not a regular file: no point can be shifted"$'\n'"kovra: in.txt:2: Error ed2et: Cannot read grid file mirtaxo.gsb: not a regular file (point A)"$'\n'"$summary"

  # A message box with no desktop to show it on: the run goes on, and the
  # message is the line on standard error. The missing grid's message names
  # the folder as Windows knows it.
  rmdir "$work/mirtaxo.gsb"
  KOVRA_MESSAGES=box kovra in.txt out.txt
  expect_text "box without a desktop: status" "$status" 1
  expect_text "box without a desktop: messages" "$err" \
    "kovra: grid file \"mirtaxo.gsb\" not found in the working directory, $(winepath -w "$work"): no point can be shifted; copy your NTv2 grid there as mirtaxo.gsb"$'\n'"kovra: in.txt:2: Error ed2et: outside the grid (point A)"$'\n'"$summary"
  expect_same "box without a desktop: output" "$work/out.txt" <(printf '%s' "$out_header")

  # --help and --version on standard output, lines ended by LF as on Linux.
  kovra --help
  expect_text "--help: status" "$status" 0
  expect_text "--help: first line" "$(head -n 1 "$work.out")" "usage: kovra INPUT OUTPUT"
  checks=$((checks + 1))
  ! grep -q $'\r' "$work.out" || fail "--help: CR in the text"
  kovra --version
  expect_text "--version" "$(od -c <"$work.out")" "$(printf 'kovra %s\n' "$5" | od -c)"
  ;;
stages)
  # Every stage's result of the fixed sweep against the Linux build's: the
  # run's lines and messages identical, a stage value at most a few units in
  # the last place apart (stage_compare lists each that differs).
  (cd "$work" && wine "$program" "$source/examples/mirtaxo.gsb" >"$work/stages.txt")
  wine "$(dirname "$program")/stage_compare.exe" "$golden/stages.expected" "$work/stages.txt" >"$work/compared.txt"
  status=$?
  sed 's/\r$//' "$work/compared.txt"
  expect_text "stage results: status" "$status" 0
  # Its summary: only a comparer that ran writes it.
  check "stage results: compared" grep -q '^[0-9]* lines, [0-9]* values' "$work/compared.txt"
  ;;
outputs)
  # A device name is written directly: it once got a temporary file and
  # failed at the end, "cannot write NUL: Input/output error".
  out_header=$'UTM ETRS89 H30\r\n'
  fresh
  printf 'UTM ED50 H30\r\n' >"$work/in.txt"
  mkdir "$work/sub"
  for device in NUL nul.txt 'sub\NUL' Nul; do
    kovra in.txt "$device"
    expect_text "device $device: status" "$status" 0
    expect_text "device $device: messages" "$err" ""
  done
  expect_text "devices: nothing created" "$(cd "$work" && find . -mindepth 1 | sort | tr '\n' ' ')" \
    "./in.txt ./mirtaxo.gsb ./sub "

  # Names as long as Linux takes them: 250 and 255 characters, or a path of
  # over 600 (past Windows' old limit of 260), once said "Path not found". A name
  # longer than 255 is named as too long.
  long=$(printf 'n%.0s' $(seq 246)).txt
  longest=$(printf 'n%.0s' $(seq 251)).txt
  deep=$(printf 'd%.0s' $(seq 200))
  mkdir -p "$work/$deep/$deep"
  for name in "$long" "$longest" "$deep/$deep/out.txt" "$deep\\$deep\\$long"; do
    kovra in.txt "$name"
    expect_text "${#name} characters: status" "$status" 0
    expect_same "${#name} characters: output" "$work/${name//\\//}" <(printf '%s' "$out_header")
  done
  toolong=$(printf 'n%.0s' $(seq 252)).txt
  kovra in.txt "$toolong"
  expect_refused "256 characters" "Path/File access error: $toolong (File name too long)"
  expect_text "long names: no temporary file left" "$(find "$work" -name '.*.kovra-*' | wc -l)" 0

  # An output another program holds open without sharing it (as an editor
  # does): the reason is named, and the file left as it was. The holder says
  # "held" once it holds the file, and lets go when its input ends.
  [ -f "$5" ] || skip "$5 was not built (cmake --build --preset windows)"
  printf 'precious\r\n' >"$work/held.txt"
  mkfifo "$work.hold-in" "$work.hold-out"
  exec 7<>"$work.hold-in"
  (cd "$work" && exec wine "$5" held.txt <"$work.hold-in" >"$work.hold-out") 7>&- &
  holder=$!
  held=
  read -r held <"$work.hold-out"
  expect_text "holder" "${held%$'\r'}" held
  kovra in.txt held.txt
  exec 7>&-
  wait "$holder"
  rm -f "$work.hold-in" "$work.hold-out"
  expect_text "held open: status" "$status" 2
  expect_text "held open: messages" "$err" \
    $'kovra: cannot write held.txt: it is open in another program; held.txt was left as it was\n'
  expect_same "held open: left as it was" "$work/held.txt" <(printf 'precious\r\n')
  kovra in.txt held.txt
  expect_text "let go: status" "$status" 0
  expect_same "let go: replaced" "$work/held.txt" <(printf '%s' "$out_header")
  expect_text "held open: no temporary file left" "$(find "$work" -name '.*.kovra-*' | wc -l)" 0
  ;;
*)
  echo "wine_test.sh: unknown mode $mode" >&2
  exit 2
  ;;
esac

report "$mode"
