#!/usr/bin/env bash
# setup.exe under Wine, on a headless X server (Xvfb, openbox), driven with
# xdotool as a user would. ui_probe.exe reads what the windows show; acad.exe is
# a stand-in that records how it was started. Every run makes a throw-away Wine
# prefix, with Wine's own desktop (so that the windows have Windows frames) as
# large as the X screen. Exit 77 (skipped) with the reason when a tool is missing.
#
# Nothing here waits a fixed time: each step waits for what it is to bring (a
# window, its focus, a text, a file), up to a bound that only a fault reaches.
# RUK_SETUP_TIMER1_MS sets the splash's wait, so that setup.exe need not sit
# through its three seconds at every start; one start keeps the real wait.
#
#   setup_gui_test.sh launch|wizard|locator SETUP_EXE ACAD_EXE PROBE_EXE VERSION
#   setup_gui_test.sh screenshots           SETUP_EXE ACAD_EXE PROBE_EXE OUTPUT_FOLDER
set -uo pipefail

mode=$1
setup_exe=$2
acad_exe=$3
probe_exe=$4
last=${5:-}

# shellcheck source=../../windows/checks.sh
. "$(dirname "$0")/../../windows/checks.sh"

tools=(wine wineboot wineserver Xvfb openbox xdotool)
[ "$mode" = screenshots ] && tools+=(import convert)
for tool in "${tools[@]}"; do
  command -v "$tool" >/dev/null ||
    skip "$tool is not installed (scripts/install-deps.sh windows installs wine; xvfb, openbox, xdotool, imagemagick)"
done
for program in "$setup_exe" "$acad_exe" "$probe_exe"; do
  [ -f "$program" ] || skip "$program was not built (cmake --build --preset windows)"
done

# No Wine debug output, no offer to install its .NET or HTML engines, and
# UTF-8 between the command line and Wine (window titles are not ASCII).
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
unset WAYLAND_DISPLAY
# A write to a probe that has gone is an error of that write, not the end of the script.
trap '' PIPE

work=$(mktemp -d "${TMPDIR:-/tmp}/setup-wine.XXXXXX")
export WINEPREFIX=$work/prefix
c=$WINEPREFIX/drive_c
pids=()
setup_pid=
probe_pid=

finish() {
  [ -n "$setup_pid" ] && kill "$setup_pid" 2>/dev/null
  probe_stop
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

now_ms() {
  date +%s%3N
}

# until_ok SECONDS COMMAND...: runs the command until it succeeds, for at most SECONDS.
until_ok() {
  local deadline=$(($(now_ms) + $1 * 1000))
  shift
  until "$@"; do
    [ "$(now_ms)" -lt "$deadline" ] || return 1
    sleep 0.05
  done
}

# eventually WHAT EXPECTED COMMAND...: the command's output becomes EXPECTED
# within 20 seconds.
eventually() {
  local what=$1 expected=$2 actual deadline=$(($(now_ms) + 20000))
  shift 2
  until actual=$("$@") && [ "$actual" == "$expected" ] || [ "$(now_ms)" -ge "$deadline" ]; do
    sleep 0.05
  done
  expect_text "$what" "$actual" "$expected"
}

# expect_bytes WHAT FILE EXPECTED_TEXT (printf format)
expect_bytes() {
  checks=$((checks + 1))
  if [ ! -f "$2" ]; then
    fail "$1: $2 is missing"
  elif ! cmp -s "$2" <(printf "$3"); then
    fail "$1: $2 holds [$(od -c "$2" | head -3)]"
  fi
}

# --- The X server, its window manager, the prefix and the probe --------------
start_display() {
  local display_file=$work/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  until_ok 10 test -s "$display_file" || { cat "$work/xvfb.log"; echo "Xvfb did not start"; exit 1; }
  export DISPLAY=:$(cat "$display_file")
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
}

# The probe answers every look at the windows (probe ARGS...), as one Wine
# process for the whole test: a command goes to it as a line, ARGS separated by
# tabs, and its answer ends with the line "end<TAB>STATUS".
probe_start() {
  rm -f "$work/probe.in" "$work/probe.out"
  mkfifo "$work/probe.in" "$work/probe.out"
  wine "$probe_exe" serve <"$work/probe.in" >"$work/probe.out" 2>>"$work/probe.log" &
  probe_pid=$!
  exec {probe_to}>"$work/probe.in" {probe_from}<"$work/probe.out"
}

# probe_stop: the probe ended. It is killed: the Wine programs started since
# it hold the write end of its input too, so it would never read to the end.
probe_stop() {
  [ -n "$probe_pid" ] || return 0
  exec {probe_to}>&- {probe_from}<&-
  kill "$probe_pid" 2>/dev/null
  wait "$probe_pid" 2>/dev/null
  probe_pid=
}

# The whole answer is read before it is passed on, so that a reader that stops
# early (grep -q, awk's exit) leaves nothing of it for the next command. No
# command takes a minute: a probe silent that long has gone.
probe() {
  local IFS=$'\t' line answer=
  printf '%s\n' "$*" 1>&"$probe_to" 2>/dev/null || return 1
  while IFS= read -r -t 60 line <&"$probe_from"; do
    line=${line%$'\r'}
    if [[ $line == end$'\t'* ]]; then
      printf '%s' "$answer" 2>/dev/null
      return "${line#end$'\t'}"
    fi
    answer+=$line$'\n'
  done
  return 1
}

# restart_wine: Wine started anew, to read settings that it reads at its start.
restart_wine() {
  probe_stop
  wineserver -k 2>/dev/null
  wineserver -w
  probe_start
}

# boot_prefix: a prefix with Wine's desktop, the size of the screen (Windows
# frames and captions, and screen coordinates that are the X server's), in
# which the probe runs. wineboot reports its 32-bit half missing (Debian's
# wine64 alone); that is harmless.
boot_prefix() {
  wineboot -i >"$work/wineboot.log" 2>&1 || return 1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  probe_start
  probe titles >/dev/null && return 0
  probe_stop
  wineserver -k 2>/dev/null
  wineserver -w
  return 1
}

make_prefix() {
  local start
  start=$(date +%s)
  # Once in a while, beside other Wine prefixes being made, wineboot fails or
  # leaves a prefix that cannot load kernel32.dll: then a second try on a fresh one.
  if ! boot_prefix && ! { rm -rf "$WINEPREFIX" && boot_prefix; }; then
    cat "$work/wineboot.log" "$work/probe.log" 2>/dev/null
    echo "no usable Wine prefix"
    exit 1
  fi
  # The caption buttons' glyphs; Debian's Wine does not find them by itself.
  [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$c/windows/Fonts/"
  mkdir -p "$c/ruk" "$c/windows/system" "$c/AutoCAD 2004/Support"
  cp "$setup_exe" "$c/ruk/setup.exe"
  printf 'MZ port I/O library stand-in\r\n' >"$c/ruk/inpout32.dll"
  cp "$acad_exe" "$c/AutoCAD 2004/acad.exe"
  echo "Wine prefix and display ready in $(($(date +%s) - start)) s"
}

# --- Driving setup.exe --------------------------------------------------------
# The splash's wait in start_setup: the real one, none, or so long that the
# splash stays until the test closes it.
real_wait=
no_wait=0
long_wait=600000

# start_setup WAIT [FOLDER]: setup.exe run in FOLDER, by default C:\ruk (the
# locator opens there), its splash waiting WAIT ms; started_at is the time in ms.
start_setup() {
  started_at=$(now_ms)
  if [ -n "$1" ]; then
    (cd "${2:-$c/ruk}" && RUK_SETUP_TIMER1_MS=$1 exec wine 'C:\ruk\setup.exe') &
  else
    (cd "${2:-$c/ruk}" && exec wine 'C:\ruk\setup.exe') &
  fi
  setup_pid=$!
}

setup_gone() {
  ! kill -0 "$setup_pid" 2>/dev/null
}

# setup_ends WHAT SECONDS: setup.exe has ended within SECONDS, with status 0.
setup_ends() {
  checks=$((checks + 1))
  if ! until_ok "$2" setup_gone; then
    fail "$1: setup.exe still runs after $2 s (windows: $(probe titles | tr '\n' '|'))"
    kill "$setup_pid"
  else
    wait "$setup_pid"
    local status=$?
    [ "$status" -eq 0 ] || fail "$1: setup.exe ended with status $status"
  fi
  setup_pid=
}

# wait_window WHAT TITLE [SECONDS]: the window is open and takes the keys.
wait_window() {
  check "$1: no window \"$2\" in front (windows: $(probe titles | tr '\n' '|'))" probe active "$2" "${3:-20}"
}

# centre TITLE CLASS TEXT: "X Y" of that control.
centre() {
  probe dump "$1" | awk -F'\t' -v class="$2" -v text="$3" '$1 == class && $3 == text { print $2; exit }'
}

# has_centre TITLE CLASS TEXT: sets where to the control's centre, if it is there.
has_centre() {
  where=$(centre "$@")
  [ -n "$where" ]
}

# Two clicks on one spot within the double-click time (500 ms) make a double
# click, which a button that notifies its form (BS_NOTIFY) reports instead of
# a second click: a click where the one before it was waits for that time to
# pass first.
last_click=
last_click_at=0

# click_at "X Y" [COUNT]: COUNT clicks there, 80 ms apart (a double click: 2).
click_at() {
  local wait=$((last_click_at + 600 - $(now_ms)))
  [ "$1" = "$last_click" ] && [ "$wait" -gt 0 ] && sleep "$(printf '0.%03d' "$wait")"
  # shellcheck disable=SC2086  # "X Y"
  xdotool mousemove $1 click --repeat "${2:-1}" --delay 80 1
  last_click=$1
  last_click_at=$(now_ms)
}

# click TITLE CLASS TEXT: a click on that control, once it is there.
click() {
  local where
  checks=$((checks + 1))
  if ! until_ok 20 has_centre "$1" "$2" "$3"; then
    fail "no $2 \"$3\" in \"$1\""
    return
  fi
  click_at "$where"
}

# caption_point TITLE: "X Y" on the window's caption, beside its title.
caption_point() {
  local left top
  read -r left top _ < <(probe rect "$1")
  echo "$((left + 80)) $((top + 10))"
}

# activate TITLE: a click on the window's caption, and it is in front.
activate() {
  click_at "$(caption_point "$1")"
  wait_window "activate" "$1"
}

# folder_centre NAME: sets where to the centre of the folder NAME in the
# locator's Dir1, if it is listed.
folder_centre() {
  where=$(probe dump "Explorardor RUK" |
    awk -F'\t' -v name="$1" '{ t = $3; sub(/^ +/, "", t) } $1 ~ /^item/ && t == name { print $2; exit }')
  [ -n "$where" ]
}

# folder_selected NAME: Dir1's selected line is the folder NAME.
folder_selected() {
  probe dump "Explorardor RUK" |
    awk -F'\t' -v name="$1" '{ t = $3; sub(/^ +/, "", t) } $1 == "item*" && t == name { found = 1 } END { exit !found }'
}

# open_folder NAME [enter]: a double click on the folder NAME in the locator's
# Dir1, once it is listed, or a click on it and Enter once it is selected.
open_folder() {
  local where
  checks=$((checks + 1))
  until_ok 20 folder_centre "$1" || { fail "no folder $1 in Dir1"; return; }
  if [ "${2:-}" = enter ]; then
    click_at "$where"
    check "folder $1 not selected" until_ok 20 folder_selected "$1"
    keys Return
  else
    click_at "$where" 2
  fi
}

# open_drives: a click on the locator's drive list, and it drops down.
open_drives() {
  click "Explorardor RUK" combobox "C:\\"
  check "Drive1 did not drop down" until_ok 20 probe dropped "Explorardor RUK"
}

# window_top TITLE: the top edge of the window on the screen.
window_top() {
  probe rect "$1" | cut -d' ' -f2
}

# lower_than TITLE TOP: the window's top edge is below TOP.
lower_than() {
  [ "$(window_top "$1")" -gt "$2" ]
}

# drag_down TITLE: the window dragged 250 pixels down by its caption.
drag_down() {
  local x y top
  read -r x y < <(caption_point "$1")
  top=$(window_top "$1")
  xdotool mousemove "$x" "$y" mousedown 1 mousemove "$x" $((y + 250)) mouseup 1
  check "\"$1\" not dragged down" until_ok 20 lower_than "$1" "$top"
}

# close_window TITLE: a click on the window's close button.
close_window() {
  local where
  where=$(probe close "$1")
  checks=$((checks + 1))
  [ -n "$where" ] || { fail "no close button on \"$1\""; return; }
  click_at "$where"
}

keys() {
  xdotool key --delay 80 "$@"
}

# focus_of TITLE: CLASS<TAB>TEXT of the control with the keyboard focus.
focus_of() {
  probe focus "$1" | cut -f1,3
}

# focus_is WHAT TITLE CLASS TEXT: the keyboard focus comes to that control.
focus_is() {
  eventually "$1: focus" "$3"$'\t'"$4" focus_of "$2"
}

# message WHAT TITLE TEXT: a message box TITLE saying TEXT is open; Enter closes it.
message() {
  wait_window "$1" "$2"
  focus_is "$1" "$2" button OK
  checks=$((checks + 1))
  probe dump "$2" | grep -qF -- "$3" ||
    fail "$1: \"$2\" does not say \"$3\": $(probe dump "$2" | cut -f3 | tr '\n' '|')"
  keys Return
  # Under load a key can be lost while Wine's desktop takes the X focus from
  # the server: Enter once more before the box counts as left open.
  probe gone "$2" 2 || keys Return
  # And when the box never got the X focus (its wizard was hidden just before
  # it opened), a click on OK, as a user would do.
  probe gone "$2" 2 || click_at "$(centre "$2" button OK)"
  check "$1: \"$2\" still open after Enter" probe gone "$2" 10
}

# has_text TITLE TEXT: the window has a control that shows TEXT.
has_text() {
  probe dump "$1" | cut -f3 | grep -qxF -- "$2"
}

# shows WHAT TITLE TEXT: the window TITLE comes to have a control that shows TEXT.
shows() {
  check "$1: \"$2\" does not show \"$3\"" until_ok 20 has_text "$2" "$3"
}

# text_of TITLE CLASS: the text of its first control of that class.
text_of() {
  probe dump "$1" | awk -F'\t' -v class="$2" '$1 == class { print $3; exit }'
}

# labels_fit WHAT TITLE: every label of the window shows its whole text.
labels_fit() {
  expect_text "$1: labels that cut their text" "$(probe fits "$2")" ""
}

# shows_prism WHAT: the splash's Image1 shows the whole picture stretched into
# its box: sky at the top left, the yellow plate, the black mark above the
# glass, the blue glass and the grey pole below the plate.
shows_prism() {
  local colours
  colours=$(probe picture "RUK - 3" 10 10 192 658 500 99 553 479 500 904)
  checks=$((checks + 1))
  awk 'NR == 1 && !($3 > 200 && $3 > $1 + 40) { bad = bad " sky" }
       NR == 2 && !($1 > 200 && $2 > 150 && $3 < 80) { bad = bad " plate" }
       NR == 3 && !($1 < 80 && $2 < 80 && $3 < 80) { bad = bad " mark" }
       NR == 4 && !($3 > $1 + 30) { bad = bad " glass" }
       NR == 5 { hi = $1; lo = $1; for (i = 2; i <= 3; i++) { if ($i > hi) hi = $i; if ($i < lo) lo = $i }
                 if (!($1 > 100 && hi - lo < 25)) bad = bad " pole" }
       END { if (NR != 5 || bad != "") { print bad; exit 1 } }' <<<"$colours" >/dev/null ||
    fail "$1: Image1 does not show the prism: $(tr '\n' '|' <<<"$colours")"
}

# elapsed_at_least WHAT MS
elapsed_at_least() {
  local elapsed=$(($(now_ms) - started_at))
  checks=$((checks + 1))
  [ "$elapsed" -ge "$2" ] || fail "$1 after $elapsed ms, before $2 ms"
}

start_display
make_prefix
path='C:\AutoCAD 2004\acad.exe'
path_line='C:\\AutoCAD 2004\\acad.exe\r\n'

case $mode in
launch)
  # --help and --version on standard output when it is redirected.
  wine "$c/ruk/setup.exe" --version >"$work/out.txt"
  expect_text "--version" "$(od -c <"$work/out.txt")" "$(printf 'setup %s\n' "$last" | od -c)"
  wine "$c/ruk/setup.exe" --help >"$work/out.txt"
  expect_text "--help: first line" "$(head -n 1 "$work/out.txt")" "usage: setup"

  # A stored program starts after the splash's three seconds, maximised and
  # without arguments, and setup ends with no other window.
  printf "$path_line" >"$c/ruk.txt"
  marker="$c/AutoCAD 2004/acad-started.txt"
  start_setup "$real_wait"
  check "start: the program did not start" until_ok 30 test -f "$marker"
  elapsed_at_least "the program started" 3000
  setup_ends "start" 10
  expect_bytes "start: the stand-in's record" "$marker" 'show=maximized\ncommand="C:\\AutoCAD 2004\\acad.exe"\n'

  # The splash, kept open: its size, its labels and its picture. Closing it
  # before the wait is over: nothing starts and setup ends.
  rm -f "$marker"
  start_setup "$long_wait"
  wait_window "splash" "RUK - 3"
  expect_text "splash: client area" "$(probe client "RUK - 3")" "342 132"
  labels_fit "splash" "RUK - 3"
  shows_prism "splash"
  close_window "RUK - 3"
  setup_ends "splash closed" 10
  check "splash closed: the program started all the same" test ! -e "$marker"

  # An empty path file: the warning comes first, alone, then the wizard.
  # Closing the wizard stores nothing and ends setup.
  : >"$c/ruk.txt"
  start_setup "$no_wait"
  wait_window "empty path file" "¡Atención!"
  check "empty path file: the wizard is open before the warning is read" probe gone "Configuración" 0
  message "empty path file" "¡Atención!" "no contiene la ruta de AutoCAD"
  wait_window "empty path file" "Configuración"
  keys t e x t o
  eventually "empty path file: typed" "texto" text_of "Configuración" edit
  close_window "Configuración"
  setup_ends "wizard closed" 10
  expect_bytes "wizard closed: path file" "$c/ruk.txt" ''

  # At 144 dots per inch the forms are half as large again.
  rm "$c/ruk.txt"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  restart_wine
  start_setup "$long_wait"
  wait_window "144 dpi" "RUK - 3"
  expect_text "144 dpi: splash's client area" "$(probe client "RUK - 3")" "513 198"
  labels_fit "144 dpi: splash" "RUK - 3"
  shows_prism "144 dpi: splash"
  close_window "RUK - 3"
  setup_ends "144 dpi: splash closed" 10
  start_setup "$no_wait"
  wait_window "144 dpi" "Configuración"
  expect_text "144 dpi: wizard's client area" "$(probe client "Configuración")" "563 354"
  labels_fit "144 dpi: wizard" "Configuración"
  click "Configuración" button "...."
  wait_window "144 dpi" "Explorardor RUK"
  labels_fit "144 dpi: locator" "Explorardor RUK"
  keys Escape
  check "144 dpi: Escape left the locator open" probe gone "Explorardor RUK" 10
  close_window "Configuración"
  setup_ends "144 dpi" 10
  ;;
wizard)
  # First run: the wizard after the splash, with the recorded version.
  printf 'WINDOWS XP\r\n' >"$c/windows.ruk"
  start_setup "$no_wait"
  wait_window "first run" "Configuración"
  expect_text "first run: client area" "$(probe client "Configuración")" "375 236"
  check "first run: the splash is still open" probe gone "RUK - 3" 10
  shows "first run: Label3" "Configuración" "WINDOWS XP"
  labels_fit "first run" "Configuración"

  # Tab order Text1, Command1, Command2, round; Shift+Tab back.
  focus_is "first run" "Configuración" edit ""
  keys Tab
  focus_is "Tab" "Configuración" button "...."
  keys Tab
  focus_is "Tab Tab" "Configuración" button "Continuar >>"
  keys shift+Tab
  focus_is "Shift+Tab" "Configuración" button "...."
  keys Tab Tab
  focus_is "Tab round" "Configuración" edit ""

  # Nothing to store: a warning, the wizard stays, no path file.
  click "Configuración" button "Continuar >>"
  message "empty path" "¡Atención!" "No hay una ruta definida"
  check "empty path: the wizard closed" probe wait "Configuración" 10
  check "empty path: a path file" test ! -e "$c/ruk.txt"

  # A character beyond Latin-1 cannot be stored in the path file.
  check "set Text1" probe settext "Configuración" edit 'C:\\AutoCAD \u0141\\acad.exe'
  click "Configuración" button "Continuar >>"
  message "beyond Latin-1" "¡Atención!" "No se ha podido guardar la ruta"
  check "beyond Latin-1: a path file" test ! -e "$c/ruk.txt"

  # The path typed; no library to copy: a warning, no path file.
  probe settext "Configuración" edit ""
  click "Configuración" edit ""
  xdotool type --delay 30 "$path"
  eventually "typed path" "$path" text_of "Configuración" edit
  mv "$c/ruk/inpout32.dll" "$work/inpout32.dll"
  click "Configuración" button "Continuar >>"
  message "no library" "¡Atención!" 'No se ha podido copiar c:\ruk\inpout32.dll'
  check "no library: a path file" test ! -e "$c/ruk.txt"
  mv "$work/inpout32.dll" "$c/ruk/inpout32.dll"

  # A path file that cannot be written (a folder has its name).
  mkdir "$c/ruk.txt"
  click "Configuración" button "Continuar >>"
  message "path file a folder" "¡Atención!" "No se ha podido guardar la ruta"
  check "path file a folder: completed all the same" test -z "$(probe titles | grep -x 'Información')"
  check "path file a folder: the folder" test -d "$c/ruk.txt"
  rmdir "$c/ruk.txt"

  # Stored: Enter presses the focused "Continuar >>"; the wizard is gone
  # before the closing message, and setup ends after it.
  focus_is "after the warnings" "Configuración" button "Continuar >>"
  keys Return
  wait_window "completed" "Información"
  check "completed: the wizard is still shown" probe gone "Configuración" 10
  message "completed" "Información" "Configuración completada"
  setup_ends "completed" 10
  expect_bytes "completed: path file" "$c/ruk.txt" "$path_line"
  check "completed: library in C:\\windows\\system" cmp -s "$c/ruk/inpout32.dll" "$c/windows/system/inpout32.dll"

  # Windows 2000: the library goes to C:\winnt\system. Enter in Text1 presses
  # nothing (the Tab after it has moved the focus on, so Enter has been
  # handled); Tab Enter from "...." presses "Continuar >>".
  rm "$c/ruk.txt"
  printf 'WINDOWS 2000/NT\r\n' >"$c/windows.ruk"
  mkdir -p "$c/winnt/system"
  start_setup "$no_wait"
  wait_window "Windows 2000" "Configuración"
  shows "Windows 2000: Label3" "Configuración" "WINDOWS 2000/NT"
  xdotool type --delay 30 "$path"
  keys Return Tab
  focus_is "Enter and Tab in Text1" "Configuración" button "...."
  check "Enter in Text1 pressed a button" probe gone "Información" 0
  check "Enter in Text1 warned" probe gone "¡Atención!" 0
  keys Tab Return
  message "Windows 2000: completed" "Información" "Configuración completada"
  setup_ends "Windows 2000: completed" 10
  expect_bytes "Windows 2000: path file" "$c/ruk.txt" "$path_line"
  check "Windows 2000: library in C:\\winnt\\system" cmp -s "$c/ruk/inpout32.dll" "$c/winnt/system/inpout32.dll"
  ;;
locator)
  printf 'WINDOWS XP\r\n' >"$c/windows.ruk"
  # Drive D: holds a stand-in at its root; drive E: cannot be read.
  mkdir -p "$work/d/Programas" "$c/ruk/Borrada"
  cp "$acad_exe" "$work/d/acad.exe"
  ln -s "$work/d" "$WINEPREFIX/dosdevices/d:"
  ln -s "$work/nothing" "$WINEPREFIX/dosdevices/e:"
  restart_wine  # which reads the drives as it starts
  start_setup "$no_wait"
  wait_window "locator" "Configuración"

  # "....": the locator, on the current drive and folder (C:\ruk). A second
  # click brings the same one to the front.
  click "Configuración" button "...."
  wait_window "locator" "Explorardor RUK"
  expect_text "locator: client area" "$(probe client "Explorardor RUK")" "387 232"
  labels_fit "locator" "Explorardor RUK"
  shows "locator: drive" "Explorardor RUK" "C:\\"
  focus_is "locator" "Explorardor RUK" combobox "C:\\"
  # Tab order: Drive1, Dir1, File1, "&Aceptar", "&Salir", and round.
  mapfile -t stops < <(probe dump "Explorardor RUK" | grep -P '^(combobox|listbox|button)\t')
  for i in 1 2 3 4 0; do
    keys Tab
    eventually "locator: Tab to ${stops[$i]:-}" "${stops[$i]:-}" probe focus "Explorardor RUK"
  done
  checks=$((checks + 1))
  probe dump "Explorardor RUK" | grep -qP '^item\*\t.*\t *ruk$' || fail "Dir1 is not open on C:\\ruk"
  # (The locator stands in front of its owner, over "....", until it is moved;
  # the wizard in front first, so that the locator's coming to the front
  # shows the click.)
  drag_down "Explorardor RUK"
  activate "Configuración"
  click "Configuración" button "...."
  wait_window "locator again" "Explorardor RUK"
  expect_text "one locator" "$(probe titles | grep -cx 'Explorardor RUK')" 1

  # Nothing selected: "Ruta incorrecta", and the locator stays.
  keys alt+a
  message "nothing selected" "¡Atención!" "Ruta incorrecta"
  wait_window "nothing selected" "Explorardor RUK"

  # A drive that cannot be read: a warning, and Drive1 back on drive C:.
  open_drives
  keys e
  message "drive E:" "¡Atención!" 'No se puede leer la unidad E:\'
  eventually "drive E: Drive1" 'C:\' text_of "Explorardor RUK" combobox

  # A folder removed since it was listed: a warning, and the list stays.
  lists() { probe dump "Explorardor RUK" | awk -F'\t' '$1 ~ /^item/ { print $3 }'; }
  before=$(lists)
  rmdir "$c/ruk/Borrada"
  open_folder Borrada
  message "folder gone" "¡Atención!" 'No se puede leer la carpeta C:\ruk\Borrada'
  expect_text "folder gone: the lists" "$(lists)" "$before"

  # Drive D: in Drive1 (typing its letter), acad.exe at its root, Alt+A.
  open_drives
  keys d Return
  shows "drive D:" "Explorardor RUK" "D:\\"
  check "Dir1 does not show D:\\Programas" until_ok 20 folder_centre Programas
  click "Explorardor RUK" item "acad.exe"
  keys alt+a
  check "Alt+A: the locator is still open" probe gone "Explorardor RUK" 10
  expect_text "Text1 from the root of D:" "$(text_of "Configuración" edit)" 'D:\\acad.exe'

  # Escape closes the locator and changes nothing.
  click "Configuración" button "...."
  wait_window "Escape" "Explorardor RUK"
  keys Escape
  check "Escape: the locator is still open" probe gone "Explorardor RUK" 10
  expect_text "Escape: Text1" "$(text_of "Configuración" edit)" 'D:\\acad.exe'

  # Up to C:\ with a double click, down into C:\AutoCAD 2004 with a click and
  # Enter; Enter on "&Aceptar" after Tab from File1.
  click "Configuración" button "...."
  wait_window "folders" "Explorardor RUK"
  open_folder 'C:\\'
  open_folder "AutoCAD 2004" enter
  click "Explorardor RUK" item "acad.exe"
  keys Tab
  focus_is "File1 Tab" "Explorardor RUK" button "&Aceptar"
  keys Return
  check "Enter on &Aceptar: the locator is still open" probe gone "Explorardor RUK" 10
  expect_text "Text1 from a folder" "$(text_of "Configuración" edit)" "$path"

  # "&Salir" (Alt+S) closes it too; closing the wizard closes the locator.
  click "Configuración" button "...."
  wait_window "Salir" "Explorardor RUK"
  keys alt+s
  check "Alt+S: the locator is still open" probe gone "Explorardor RUK" 10
  click "Configuración" button "...."
  wait_window "wizard closed" "Explorardor RUK"
  drag_down "Explorardor RUK"  # off the wizard's close button
  close_window "Configuración"
  setup_ends "wizard closed with the locator open" 10
  check "wizard closed: a path file" test ! -e "$c/ruk.txt"
  ;;
screenshots)
  out=$last
  mkdir -p "$out"
  # Arial as on Windows: Liberation Sans has its metrics. (The tests run
  # without it, on the fallback font.)
  if fc-list | grep -q 'Liberation Sans'; then
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
    restart_wine
  fi
  printf 'WINDOWS XP\r\n' >"$c/windows.ruk"
  # grab: the screen into screen.png, and whether it is as the grab before
  # (the windows are drawn).
  grab() {
    mv -f "$work/screen.png" "$work/before.png" 2>/dev/null
    import -window root "$work/screen.png" &&
      [ -f "$work/before.png" ] && [ "$(compare -metric AE "$work/screen.png" "$work/before.png" null: 2>&1)" = 0 ]
  }
  # shot TITLE FILE: the window, cut out of the screen once it has been drawn.
  shot() {
    local left top right bottom
    rm -f "$work/screen.png"
    until_ok 20 grab
    read -r left top right bottom < <(probe rect "$1")
    convert "$work/screen.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$2"
    echo "wrote $2"
  }
  start_setup "$long_wait" "$c/AutoCAD 2004"
  wait_window "screenshots" "RUK - 3"
  shot "RUK - 3" "$out/win32-form1.png"
  close_window "RUK - 3"
  setup_ends "screenshots: splash" 10
  start_setup "$no_wait" "$c/AutoCAD 2004"
  wait_window "screenshots" "Configuración"
  xdotool type --delay 20 "$path"
  eventually "screenshots: typed path" "$path" text_of "Configuración" edit
  shot "Configuración" "$out/win32-form2.png"
  probe settext "Configuración" edit ""
  click "Configuración" button "...."
  wait_window "screenshots" "Explorardor RUK"
  click "Explorardor RUK" item "acad.exe"
  shot "Explorardor RUK" "$out/win32-form3.png"
  keys Escape
  check "screenshots: Escape left the locator open" probe gone "Explorardor RUK" 10
  close_window "Configuración"
  setup_ends "screenshots" 10

  # The wizard once more at 144 dots per inch.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  restart_wine
  start_setup "$no_wait" "$c/AutoCAD 2004"
  wait_window "screenshots at 144 dpi" "Configuración"
  xdotool type --delay 20 "$path"
  eventually "screenshots at 144 dpi: typed path" "$path" text_of "Configuración" edit
  shot "Configuración" "$out/win32-form2-144dpi.png"
  ;;
*)
  echo "setup_gui_test.sh: unknown mode $mode" >&2
  exit 2
  ;;
esac

report "$mode"
