#!/bin/sh
# Installs from Debian's packages what a make target needs, when it is missing.
# Usage: scripts/install-deps.sh build|test|bench|windows
set -eu

need=""
have_cmd() { command -v "$1" >/dev/null 2>&1; }
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'ok installed'; }
want() { need="$need $1"; }

have_cmd cmake || want cmake
have_cmd g++ || want g++
have_cmd make || want make

case "${1:-build}" in
  build) ;;
  test)
    have_cmd pkg-config || want pkg-config
    have_pkg libgtest-dev || want libgtest-dev
    have_pkg libvterm-dev || want libvterm-dev
    ;;
  bench)
    have_pkg libbenchmark-dev || want libbenchmark-dev
    ;;
  windows)
    have_cmd x86_64-w64-mingw32-g++-posix || want g++-mingw-w64-x86-64-posix
    ;;
  *) echo "usage: $0 build|test|bench|windows" >&2; exit 2 ;;
esac

[ -z "$need" ] && exit 0

if ! have_cmd apt-get; then
  echo "Missing:$need. Install them with your system's package manager." >&2
  exit 1
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing:$need. Run as root, or: sudo apt-get install -y$need" >&2
  exit 1
fi
echo "Installing:$need"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq $need
