#!/usr/bin/env bash
# setup.exe under Wine, on a headless X server (Xvfb, openbox), driven with
# xdotool as a user would. ui_probe.exe reads what the windows show; acad.exe is
# a stand-in that records how it was started. Every run makes a throw-away Wine
# prefix, with Wine's own desktop (so that the windows have Windows frames) as
# large as the X screen. Exit 77 (skipped) with the reason when a tool is missing.
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

work=$(mktemp -d "${TMPDIR:-/tmp}/setup-wine.XXXXXX")
export WINEPREFIX=$work/prefix
c=$WINEPREFIX/drive_c
pids=()
setup_pid=

finish() {
  [ -n "$setup_pid" ] && kill "$setup_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  wineserver -w 2>/dev/null
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap finish EXIT

# expect_bytes WHAT FILE EXPECTED_TEXT (printf format)
expect_bytes() {
  checks=$((checks + 1))
  if [ ! -f "$2" ]; then
    fail "$1: $2 is missing"
  elif ! cmp -s "$2" <(printf "$3"); then
    fail "$1: $2 holds [$(od -c "$2" | head -3)]"
  fi
}

# --- The X server, its window manager and the prefix ------------------------
start_display() {
  local display_file=$work/display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >"$work/xvfb.log" 2>&1 &
  pids+=($!)
  for _ in $(seq 50); do
    [ -s "$display_file" ] && break
    sleep 0.1
  done
  [ -s "$display_file" ] || { cat "$work/xvfb.log"; echo "Xvfb did not start"; exit 1; }
  export DISPLAY=:$(cat "$display_file")
  openbox >"$work/openbox.log" 2>&1 &
  pids+=($!)
}

make_prefix() {
  local start
  start=$(date +%s)
  # wineboot reports its 32-bit half missing (Debian's wine64 alone); that is
  # harmless. Once in a while, beside other Wine prefixes being made, it cannot
  # load kernel32.dll: then a second try on a fresh prefix.
  if ! wineboot -i >"$work/wineboot.log" 2>&1 &&
    ! { rm -rf "$WINEPREFIX" && wineboot -i >"$work/wineboot.log" 2>&1; }; then
    cat "$work/wineboot.log"
    echo "wineboot failed"
    exit 1
  fi
  # Wine's desktop, the size of the screen: Windows frames and captions, and
  # screen coordinates that are the X server's.
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  # The caption buttons' glyphs; Debian's Wine does not find them by itself.
  [ -f /usr/share/wine/fonts/marlett.ttf ] && cp /usr/share/wine/fonts/marlett.ttf "$c/windows/Fonts/"
  mkdir -p "$c/ruk" "$c/windows/system" "$c/AutoCAD 2004/Support"
  cp "$setup_exe" "$c/ruk/setup.exe"
  printf 'MZ port I/O library stand-in\r\n' >"$c/ruk/inpout32.dll"
  cp "$acad_exe" "$c/AutoCAD 2004/acad.exe"
  echo "Wine prefix and display ready in $(($(date +%s) - start)) s"
}

# --- Driving setup.exe --------------------------------------------------------
probe() {
  wine "$probe_exe" "$@"
}

# start_setup [FOLDER]: setup.exe run in FOLDER, by default C:\ruk (the locator
# opens there); started_at is the time in ms.
start_setup() {
  started_at=$(date +%s%3N)
  (cd "${1:-$c/ruk}" && exec wine 'C:\ruk\setup.exe') &
  setup_pid=$!
}

# setup_ends WHAT SECONDS: setup.exe has ended within SECONDS, with status 0.
setup_ends() {
  checks=$((checks + 1))
  local tenths=$(($2 * 10))
  while [ "$tenths" -gt 0 ] && kill -0 "$setup_pid" 2>/dev/null; do
    sleep 0.1
    tenths=$((tenths - 1))
  done
  if kill -0 "$setup_pid" 2>/dev/null; then
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
  check "$1: no window \"$2\" in front (windows: $(probe titles | tr '\n' '|'))" probe active "$2" "${3:-10}"
}

# centre TITLE CLASS TEXT: "X Y" of that control.
centre() {
  probe dump "$1" | awk -F'\t' -v class="$2" -v text="$3" '$1 == class && $3 == text { print $2; exit }'
}

click_at() {
  # shellcheck disable=SC2086  # "X Y"
  xdotool mousemove $1 click 1
  sleep 0.3
}

# click TITLE CLASS TEXT: a click on that control.
click() {
  local where
  where=$(centre "$1" "$2" "$3")
  checks=$((checks + 1))
  if [ -z "$where" ]; then
    fail "no $2 \"$3\" in \"$1\""
    return
  fi
  click_at "$where"
}

# open_folder NAME [enter]: a double click on the folder NAME in the locator's
# Dir1, or a click on it and Enter.
open_folder() {
  local where
  where=$(probe dump "Explorardor RUK" |
    awk -F'\t' -v name="$1" '{ t = $3; sub(/^ +/, "", t) } $1 ~ /^item/ && t == name { print $2; exit }')
  checks=$((checks + 1))
  [ -n "$where" ] || { fail "no folder $1 in Dir1"; return; }
  # shellcheck disable=SC2086  # "X Y"
  if [ "${2:-}" = enter ]; then
    xdotool mousemove $where click 1 sleep 0.3 key Return
  else
    xdotool mousemove $where click --repeat 2 --delay 80 1
  fi
  sleep 0.5
}

# drag_down TITLE: the window dragged 250 pixels down by its caption.
drag_down() {
  local left top
  read -r left top _ < <(probe rect "$1")
  xdotool mousemove $((left + 80)) $((top + 10)) mousedown 1 mousemove $((left + 80)) $((top + 260)) mouseup 1
  sleep 0.5
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
  sleep 0.3
}

# focus_is WHAT TITLE CLASS TEXT: the keyboard focus is on that control.
focus_is() {
  local focus
  focus=$(probe focus "$2" | cut -f1,3)
  expect_text "$1: focus" "$focus" "$3"$'\t'"$4"
}

# wait_focus WHAT TITLE CLASS TEXT: waits until the keyboard focus is on that control.
wait_focus() {
  local tries=25
  until [ "$(probe focus "$2" | cut -f1,3)" == "$3"$'\t'"$4" ] || [ $((tries -= 1)) -eq 0 ]; do sleep 0.2; done
  focus_is "$@"
}

# message WHAT TITLE TEXT: a message box TITLE saying TEXT is open; Enter closes it.
message() {
  wait_window "$1" "$2" 10
  wait_focus "$1" "$2" button OK
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
  check "$1: \"$2\" still open after Enter" probe gone "$2" 3
}

# shows WHAT TITLE TEXT: the window TITLE has a control that shows TEXT.
shows() {
  checks=$((checks + 1))
  probe dump "$2" | cut -f3 | grep -qxF -- "$3" || fail "$1: \"$2\" does not show \"$3\""
}

# text_of TITLE CLASS: the text of its first control of that class.
text_of() {
  probe dump "$1" | awk -F'\t' -v class="$2" '$1 == class { print $3; exit }'
}

# labels_fit WHAT TITLE: every label of the window shows its whole text.
labels_fit() {
  expect_text "$1: labels that cut their text" "$(probe fits "$2")" ""
}

# elapsed_at_least WHAT MS
elapsed_at_least() {
  local elapsed=$(($(date +%s%3N) - started_at))
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
  start_setup
  wait_window "start" "RUK - 3"
  labels_fit "splash" "RUK - 3"
  for _ in $(seq 100); do
    [ -f "$marker" ] && break
    sleep 0.1
  done
  elapsed_at_least "the program started" 3000
  setup_ends "start" 5
  expect_bytes "start: the stand-in's record" "$marker" 'show=maximized\ncommand="C:\\AutoCAD 2004\\acad.exe"\n'

  # Closing the splash before then: nothing starts and setup ends. On a busy
  # machine each look at the windows takes long; a close that comes too late
  # after the splash showed up to count is tried again.
  for attempt in 1 2 3; do
    rm -f "$marker"
    start_setup
    wait_window "splash closed" "RUK - 3"
    shown_at=$(date +%s%3N)
    [ "$attempt" = 1 ] && expect_text "splash: client area" "$(probe client "RUK - 3")" "342 132"
    close_window "RUK - 3"
    closed_after=$(($(date +%s%3N) - shown_at))
    setup_ends "splash closed" 3
    [ "$closed_after" -lt 2500 ] && break
    echo "splash closed $closed_after ms after it showed, too late to count: once more"
  done
  sleep 3
  check "splash closed: the program started all the same" test ! -e "$marker"

  # An empty path file: the warning comes first, alone, then the wizard.
  # Closing the wizard stores nothing and ends setup.
  : >"$c/ruk.txt"
  start_setup
  wait_window "empty path file" "¡Atención!"
  check "empty path file: the wizard is open before the warning is read" probe gone "Configuración" 0
  message "empty path file" "¡Atención!" "no contiene la ruta de AutoCAD"
  wait_window "empty path file" "Configuración"
  keys t e x t o
  close_window "Configuración"
  setup_ends "wizard closed" 3
  expect_bytes "wizard closed: path file" "$c/ruk.txt" ''

  # At 144 dots per inch the forms are half as large again.
  rm "$c/ruk.txt"
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  start_setup
  wait_window "144 dpi" "RUK - 3"
  expect_text "144 dpi: splash's client area" "$(probe client "RUK - 3")" "513 198"
  labels_fit "144 dpi: splash" "RUK - 3"
  wait_window "144 dpi" "Configuración"
  expect_text "144 dpi: wizard's client area" "$(probe client "Configuración")" "563 354"
  labels_fit "144 dpi: wizard" "Configuración"
  click "Configuración" button "...."
  wait_window "144 dpi" "Explorardor RUK"
  labels_fit "144 dpi: locator" "Explorardor RUK"
  keys Escape
  check "144 dpi: Escape left the locator open" probe gone "Explorardor RUK" 3
  close_window "Configuración"
  setup_ends "144 dpi" 3
  ;;
wizard)
  # First run: the wizard after the splash, with the recorded version.
  printf 'WINDOWS XP\r\n' >"$c/windows.ruk"
  start_setup
  wait_window "first run: splash" "RUK - 3"
  wait_window "first run" "Configuración"
  elapsed_at_least "the wizard opened" 3000
  expect_text "first run: client area" "$(probe client "Configuración")" "375 236"
  check "first run: the splash is still open" probe gone "RUK - 3" 2
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
  check "empty path: the wizard closed" probe wait "Configuración" 1
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
  expect_text "typed path" "$(text_of "Configuración" edit)" "$path"
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
  check "completed: the wizard is still shown" probe gone "Configuración" 1
  message "completed" "Información" "Configuración completada"
  setup_ends "completed" 5
  expect_bytes "completed: path file" "$c/ruk.txt" "$path_line"
  check "completed: library in C:\\windows\\system" cmp -s "$c/ruk/inpout32.dll" "$c/windows/system/inpout32.dll"

  # Windows 2000: the library goes to C:\winnt\system. Enter in Text1 presses
  # nothing; Tab Tab Enter presses "Continuar >>".
  rm "$c/ruk.txt"
  printf 'WINDOWS 2000/NT\r\n' >"$c/windows.ruk"
  mkdir -p "$c/winnt/system"
  start_setup
  wait_window "Windows 2000" "Configuración"
  shows "Windows 2000: Label3" "Configuración" "WINDOWS 2000/NT"
  xdotool type --delay 30 "$path"
  keys Return
  check "Enter in Text1 pressed a button" probe gone "Información" 1
  check "Enter in Text1 warned" probe gone "¡Atención!" 0
  keys Tab Tab Return
  message "Windows 2000: completed" "Información" "Configuración completada"
  setup_ends "Windows 2000: completed" 5
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
  start_setup
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
    expect_text "locator: Tab to ${stops[$i]}" "$(probe focus "Explorardor RUK")" "${stops[$i]}"
  done
  checks=$((checks + 1))
  probe dump "Explorardor RUK" | grep -qP '^item\*\t.*\t *ruk$' || fail "Dir1 is not open on C:\\ruk"
  # (The locator stands in front of its owner, over "....", until it is moved.)
  drag_down "Explorardor RUK"
  click "Configuración" button "...."
  wait_window "locator again" "Explorardor RUK"
  expect_text "one locator" "$(probe titles | grep -cx 'Explorardor RUK')" 1

  # Nothing selected: "Ruta incorrecta", and the locator stays.
  keys alt+a
  message "nothing selected" "¡Atención!" "Ruta incorrecta"
  wait_window "nothing selected" "Explorardor RUK" 1

  # A drive that cannot be read: a warning, and Drive1 back on drive C:.
  click "Explorardor RUK" combobox "C:\\"
  keys e
  message "drive E:" "¡Atención!" 'No se puede leer la unidad E:\'
  expect_text "drive E: Drive1" "$(text_of "Explorardor RUK" combobox)" 'C:\'

  # A folder removed since it was listed: a warning, and the list stays.
  lists() { probe dump "Explorardor RUK" | awk -F'\t' '$1 ~ /^item/ { print $3 }'; }
  before=$(lists)
  rmdir "$c/ruk/Borrada"
  open_folder Borrada
  message "folder gone" "¡Atención!" 'No se puede leer la carpeta C:\ruk\Borrada'
  expect_text "folder gone: the lists" "$(lists)" "$before"

  # Drive D: in Drive1 (typing its letter), acad.exe at its root, Alt+A.
  click "Explorardor RUK" combobox "C:\\"
  keys d Return
  shows "drive D:" "Explorardor RUK" "D:\\"
  checks=$((checks + 1))
  probe dump "Explorardor RUK" | grep -qP '^item\t.*\t *Programas$' || fail "Dir1 does not show D:\\Programas"
  click "Explorardor RUK" item "acad.exe"
  keys alt+a
  check "Alt+A: the locator is still open" probe gone "Explorardor RUK" 3
  expect_text "Text1 from the root of D:" "$(text_of "Configuración" edit)" 'D:\\acad.exe'

  # Escape closes the locator and changes nothing.
  click "Configuración" button "...."
  wait_window "Escape" "Explorardor RUK"
  keys Escape
  check "Escape: the locator is still open" probe gone "Explorardor RUK" 3
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
  check "Enter on &Aceptar: the locator is still open" probe gone "Explorardor RUK" 3
  expect_text "Text1 from a folder" "$(text_of "Configuración" edit)" "$path"

  # "&Salir" (Alt+S) closes it too; closing the wizard closes the locator.
  click "Configuración" button "...."
  wait_window "Salir" "Explorardor RUK"
  keys alt+s
  check "Alt+S: the locator is still open" probe gone "Explorardor RUK" 3
  click "Configuración" button "...."
  wait_window "wizard closed" "Explorardor RUK"
  drag_down "Explorardor RUK"  # off the wizard's close button
  close_window "Configuración"
  setup_ends "wizard closed with the locator open" 3
  check "wizard closed: a path file" test ! -e "$c/ruk.txt"
  ;;
screenshots)
  out=$last
  mkdir -p "$out"
  # Arial as on Windows: Liberation Sans has its metrics. (The tests run
  # without it, on the fallback font.)
  if fc-list | grep -q 'Liberation Sans'; then
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans' /f >/dev/null 2>&1
    wineserver -k 2>/dev/null
    wineserver -w
  fi
  printf 'WINDOWS XP\r\n' >"$c/windows.ruk"
  # shot TITLE FILE: the window, cut out of the screen.
  shot() {
    local left top right bottom
    sleep 0.5
    import -window root "$work/screen.png"
    read -r left top right bottom < <(probe rect "$1")
    convert "$work/screen.png" -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$2"
    echo "wrote $2"
  }
  start_setup "$c/AutoCAD 2004"
  wait_window "screenshots" "RUK - 3"
  sleep 0.5
  shot "RUK - 3" "$out/win32-form1.png"
  wait_window "screenshots" "Configuración"
  xdotool type --delay 20 "$path"
  shot "Configuración" "$out/win32-form2.png"
  probe settext "Configuración" edit ""
  click "Configuración" button "...."
  wait_window "screenshots" "Explorardor RUK"
  click "Explorardor RUK" item "acad.exe"
  shot "Explorardor RUK" "$out/win32-form3.png"
  keys Escape
  close_window "Configuración"
  setup_ends "screenshots" 5

  # The wizard once more at 144 dots per inch.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  start_setup "$c/AutoCAD 2004"
  wait_window "screenshots at 144 dpi" "Configuración" 15
  xdotool type --delay 20 "$path"
  shot "Configuración" "$out/win32-form2-144dpi.png"
  ;;
*)
  echo "setup_gui_test.sh: unknown mode $mode" >&2
  exit 2
  ;;
esac

report "$mode"
