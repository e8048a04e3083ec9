#!/usr/bin/env bash
# check_packages.sh BUILD_DIR SOURCE_DIR VERSION WITH_SETUP HARDENED
#
# Makes the Debian packages of the built tree with CPack, into a scratch folder
# and without building anything, and checks them as a user would meet them:
# each holds its files and no more than the split allows (kovra without Qt),
# the launcher is installed as ruk3-setup, the programs run from the extracted
# tree and carry no RUNPATH, kovra converts the bundled samples with the bundled
# demo grid to the golden outputs, the manual pages and the desktop entry are
# valid, the icons have their sizes, and lintian (pedantic) reports no error,
# nor any missing hardening when HARDENED is 1 (a build with Debian's hardening
# flags; not the sanitizer builds). Exit 77 (skipped) when a Debian packaging
# tool is missing.
set -euo pipefail
build=$1 source=$2 version=$3 with_setup=$4 hardened=$5

for tool in dpkg-deb dpkg-shlibdeps lintian desktop-file-validate file readelf; do
  command -v "$tool" >/dev/null || {
    echo "SKIP: '$tool' is not installed (Debian: dpkg-dev, lintian, desktop-file-utils, file, binutils)"; exit 77; }
done
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# The packages are made of what has been built, and nothing is built here:
# other tests run the programs meanwhile. Before it installs, CPack runs the
# preinstall step of the generator its configuration names, and under Unix
# Makefiles that step builds `all` (relinking, in a partly built tree, the
# programs those tests are running). Ninja trees have no such step, so named
# Ninja, CPack only installs; the packages hold the same files either way.
if ! cpack --config "$build/CPackConfig.cmake" -G DEB -B "$tmp/out" -D CPACK_CMAKE_GENERATOR=Ninja \
    >"$tmp/cpack.log" 2>&1; then
  cat "$tmp/cpack.log" >&2
  fail "cpack could not make the packages of the built tree (build it first)"
fi
grep -q 'preinstall' "$tmp/cpack.log" && fail "cpack ran the build's preinstall step, which builds"
kovra_deb=$(echo "$tmp"/out/kovra_"$version"-1_*.deb)
debs=("$kovra_deb")
[ -f "$kovra_deb" ] || fail "no kovra_$version-1 package in: $(ls "$tmp/out")"
if [ "$with_setup" = ON ]; then
  setup_deb=$(echo "$tmp"/out/ruk3-setup_"$version"-1_*.deb)
  [ -f "$setup_deb" ] || fail "no ruk3-setup_$version-1 package in: $(ls "$tmp/out")"
  debs+=("$setup_deb")
fi

has_files() {  # DEB FILE...: the package holds each FILE
  local deb=$1; shift
  dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./||' >"$tmp/list"
  for f in "$@"; do grep -qx "$f" "$tmp/list" || fail "$(basename "$deb") lacks $f"; done
}

# The converter's package: its files, and no Qt, so that a server can take it.
has_files "$kovra_deb" usr/bin/kovra usr/share/man/man1/kovra.1.gz usr/share/ruk3/mirtaxo.gsb \
  usr/share/ruk3/ed50_sample.txt usr/share/ruk3/etrs89_sample.txt \
  usr/share/doc/kovra/copyright usr/share/doc/kovra/changelog.Debian.gz
grep -q -e '^usr/bin/ruk3-setup$' -e '^usr/share/icons/' "$tmp/list" && fail "the kovra package holds setup's files"
kovra_depends=$(dpkg-deb -f "$kovra_deb" Depends)
[[ $kovra_depends == *libc6* ]] || fail "kovra's dependencies were not found by dpkg-shlibdeps: '$kovra_depends'"
[[ $kovra_depends == *qt* || $kovra_depends == *fonts* ]] && fail "kovra depends on the launcher's libraries: '$kovra_depends'"

mkdir "$tmp/root"
dpkg -x "$kovra_deb" "$tmp/root"
bin=$tmp/root/usr/bin data=$tmp/root/usr/share/ruk3
[ "$("$bin/kovra" --version)" = "kovra $version" ] || fail "the packaged kovra does not say 'kovra $version'"
no_runpath() {  # PROGRAM: it finds its libraries in the system's folders alone
  ! readelf -d "$1" | grep -E 'R(UN)?PATH' || fail "$(basename "$1") carries a library search path"
}
no_runpath "$bin/kovra"

# The bundled samples with the bundled grid, in a working folder of their own:
# the golden outputs, and the warning that the grid is the demo grid.
mkdir "$tmp/work"
cp "$data/mirtaxo.gsb" "$data/ed50_sample.txt" "$data/etrs89_sample.txt" "$tmp/work/"
for sample in ed50_sample etrs89_sample; do
  status=0
  (cd "$tmp/work" && "$bin/kovra" "$sample.txt" "$sample.out" 2>"$sample.err") || status=$?
  [ "$status" -eq 1 ] || fail "the packaged kovra ended with status $status on $sample.txt"
  cmp -s "$tmp/work/$sample.err" "$source/tests/golden/$sample.messages" ||
    fail "the packaged kovra does not warn about its demo grid as tests/golden/$sample.messages says"
  cmp "$tmp/work/$sample.out" "$source/tests/golden/$sample.expected" ||
    fail "the packaged kovra converts $sample.txt differently from the golden output"
done

pages=("$tmp/root/usr/share/man/man1/kovra.1.gz")
if [ "$with_setup" = ON ]; then
  # The launcher's package: Qt and the font found or named, the program, its
  # page, the desktop entry whose command and icon it ships.
  setup_depends=$(dpkg-deb -f "$setup_deb" Depends)
  for dep in libqt6widgets6 fonts-liberation libc6; do
    [[ $setup_depends == *$dep* ]] || fail "ruk3-setup does not depend on $dep: '$setup_depends'"
  done
  icons=()
  for size in 16 32 48 64 128 256; do icons+=("usr/share/icons/hicolor/${size}x$size/apps/ruk3-setup.png"); done
  has_files "$setup_deb" usr/bin/ruk3-setup usr/share/man/man1/ruk3-setup.1.gz \
    usr/share/applications/ruk3-setup.desktop usr/share/doc/ruk3-setup/copyright "${icons[@]}"
  # Under its own name only: "setup" is too generic a name for /usr/bin.
  grep -q -e '^usr/bin/kovra$' -e '^usr/share/ruk3/' -e '^usr/bin/setup$' -e '/man1/setup\.' "$tmp/list" &&
    fail "the ruk3-setup package holds kovra's files or a program named setup"

  dpkg -x "$setup_deb" "$tmp/root"
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin/ruk3-setup" --version)" = "ruk3-setup $version" ] ||
    fail "the packaged ruk3-setup does not say 'ruk3-setup $version' without a display"
  no_runpath "$bin/ruk3-setup"
  for icon in "${icons[@]}"; do
    size=${icon#usr/share/icons/hicolor/}; size=${size%%/*}
    file -b "$tmp/root/$icon" | grep -q "^PNG image data, ${size/x/ x }," || fail "$icon is not a $size PNG"
  done
  entry=$tmp/root/usr/share/applications/ruk3-setup.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects the desktop entry"
  grep -qx 'Name=RUK - 3' "$entry" || fail "the desktop entry is not named 'RUK - 3'"
  grep -qx 'Exec=ruk3-setup' "$entry" || fail "the desktop entry does not start ruk3-setup"
  grep -qx 'Icon=ruk3-setup' "$entry" || fail "the desktop entry does not show the packaged icon"
  grep -qx 'StartupWMClass=ruk3-setup' "$entry" || fail "the desktop entry does not name the windows' class"
  pages+=("$tmp/root/usr/share/man/man1/ruk3-setup.1.gz")
fi

if command -v man >/dev/null; then
  for page in "${pages[@]}"; do
    LC_ALL=C MANWIDTH=80 man --warnings -l "$page" 2>"$tmp/warnings" | grep -q '^NAME' ||
      fail "the packaged $(basename "$page") does not render"
    [ -s "$tmp/warnings" ] && { cat "$tmp/warnings" >&2; fail "groff warns about the packaged $(basename "$page")"; }
  done
fi

# Warnings, notes and pedantic notes are shown; an error, or in a hardened build
# a missing hardening feature (hardening-no-bindnow, ...), fails the test.
lintian --pedantic --display-info --fail-on error --tag-display-limit 0 "${debs[@]}" 2>&1 |
  grep -v 'running with root privileges' | tee "$tmp/lintian" || true
grep -q '^E: ' "$tmp/lintian" && fail "lintian reports errors"
if [ "$hardened" = 1 ]; then
  grep -q ' hardening-' "$tmp/lintian" && fail "lintian finds a hardening feature missing"
  echo "packages: $(cd "$tmp/out" && ls ./*.deb | tr '\n' ' ')- lintian: no error, hardened"
else
  echo "packages: $(cd "$tmp/out" && ls ./*.deb | tr '\n' ' ')- lintian: no error (this build type has no hardening flags)"
fi
