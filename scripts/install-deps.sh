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
# cross compiler (POSIX threads, for std::thread) and Wine, for `make windows`
# and the tests of kovra.exe and setup.exe, with a headless X server, a window
# manager and the tools that drive and photograph setup.exe's windows.
for group in "$@"; do
  case $group in
    kovra) packages=("${kovra[@]}") ;;
    fuzz) packages+=(clang libclang-rt-14-dev) ;;
    bench) packages+=(proj-bin proj-data python3-pyproj python3-numpy time) ;;
    windows) packages+=(g++-mingw-w64-x86-64-posix wine wine64 xvfb openbox xdotool imagemagick) ;;
    *) echo "install-deps.sh: unknown group $group" >&2; exit 2 ;;
  esac
done

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${missing[*]}" >&2
  echo "Install them as root: apt-get install ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq "${missing[@]}"
