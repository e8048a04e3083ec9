#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those that are
# missing. Installing needs root; without it the script names what is missing.
set -euo pipefail

kovra=(cmake make g++)
packages=("${kovra[@]}" libgtest-dev libgmock-dev libbenchmark-dev qt6-base-dev fonts-liberation
          dpkg-dev file lintian desktop-file-utils man-db groff-base bsdextrautils)
# `install-deps.sh kovra` installs only what building kovra needs (`make demo`).
# Extra groups: `install-deps.sh fuzz` adds clang and its fuzzing runtime, for the
# libFuzzer targets; `install-deps.sh bench` adds PROJ, pyproj and numpy, the peers
# `make bench` compares kovra with; `install-deps.sh windows` adds the mingw-w64
# cross compilers (POSIX threads, for std::thread: i686 for the 32-bit programs
# that are shipped, x86-64 for the 64-bit build that stands in where Wine cannot
# run 32-bit programs) and Wine, 32-bit Wine too where it can be had (below),
# for `make windows` and the tests of kovra.exe and setup.exe, with a headless X
# server, a window manager and the tools that drive and photograph setup.exe's
# windows.
wine32=0
for group in "$@"; do
  case $group in
    kovra) packages=("${kovra[@]}") ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=(proj-bin proj-data python3-pyproj python3-numpy time) ;;
    windows)
      packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix wine wine64 xvfb openbox xdotool imagemagick)
      wine32=1
      ;;
    *) echo "install-deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done
if [ "$wine32" -eq 1 ] && installed wine32:i386; then wine32=0; fi
[ ${#missing[@]} -eq 0 ] && [ "$wine32" -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  if [ ${#missing[@]} -ne 0 ]; then
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them as root: apt-get install ${missing[*]}" >&2
    exit 1
  fi
  echo "No 32-bit Wine (wine32:i386): the Wine tests of the 32-bit programs will skip." >&2
  echo "As root: dpkg --add-architecture i386 && apt-get update && apt-get install wine32:i386" >&2
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
if [ ${#missing[@]} -ne 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}"
fi

# Wine runs 32-bit programs with Debian's wine32, a package of the i386
# architecture. Once that architecture is added, every apt-get update reads the
# mirror's i386 indexes too, and where one of them is inconsistent the update
# fails for the whole machine. So the architecture added here is taken away
# again when the update fails, which leaves apt as it was; without wine32 the
# Wine tests of the 32-bit programs skip and say so.
if [ "$wine32" -eq 1 ]; then
  echo "Installing: wine32:i386"
  added=0
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    added=1
  fi
  if ! apt-get update -qq; then
    if [ "$added" -eq 1 ]; then
      dpkg --remove-architecture i386
      apt-get update -qq || true
    fi
    echo "install-deps.sh: the i386 package lists could not be read; no 32-bit Wine, its tests will skip" >&2
  elif ! apt-get install -y -qq wine32:i386; then
    echo "install-deps.sh: wine32:i386 could not be installed; the Wine tests of the 32-bit programs will skip" >&2
  fi
fi
