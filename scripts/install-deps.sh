#!/bin/sh
# Installs from Debian's packages what a make target needs, when it is missing.
# Usage: scripts/install-deps.sh build|test|libcxx|32bit|bench|package|windows|windows-test|web|web-test|fuzz
# Exit status 3: something is missing and this user cannot install it.
set -eu

need=""
apt_options=""
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
    # The install check: the manual page rendered, the desktop entry and the
    # metainfo validated, the .deb's dependencies found and lintian run on it.
    have_cmd man || want man-db
    have_cmd desktop-file-validate || want desktop-file-utils
    have_cmd appstreamcli || want appstream
    have_cmd dpkg-shlibdeps || want dpkg-dev
    have_cmd lintian || want lintian
    ;;
  libcxx)
    have_cmd clang++ || want clang
    have_cmd pkg-config || want pkg-config
    have_pkg libc++-14-dev || want libc++-14-dev
    have_pkg libc++abi-14-dev || want libc++abi-14-dev
    # GoogleTest is built against libc++ from the sources this package ships.
    [ -f /usr/src/googletest/CMakeLists.txt ] || want googletest
    have_pkg libvterm-dev || want libvterm-dev
    ;;
  32bit)
    have_cmd clang++ || want clang
    # The C library's and libstdc++'s 32-bit headers.
    have_pkg g++-multilib || want g++-multilib
    ;;
  package)
    have_cmd dpkg-shlibdeps || want dpkg-dev
    ;;
  bench)
    have_pkg libbenchmark-dev || want libbenchmark-dev
    ;;
  windows)
    have_cmd x86_64-w64-mingw32-g++-posix || want g++-mingw-w64-x86-64-posix
    ;;
  windows-test)
    have_cmd x86_64-w64-mingw32-g++-posix || want g++-mingw-w64-x86-64-posix
    # GoogleTest is built for Windows from the sources this package ships.
    [ -f /usr/src/googletest/CMakeLists.txt ] || want googletest
    [ -x /usr/lib/wine/wine64 ] || want wine64
    # The end-to-end tests of the .exe run on this machine, through libvterm.
    have_cmd pkg-config || want pkg-config
    have_pkg libgtest-dev || want libgtest-dev
    have_pkg libvterm-dev || want libvterm-dev
    # Without recommends: wine64 would bring the 32-bit wine and a desktop's
    # worth of packages that a console program's tests never use.
    apt_options="--no-install-recommends"
    ;;
  web|web-test)
    # Emscripten builds the WebAssembly; npm installs xterm.js (and, for the
    # tests, puppeteer-core) from web/package-lock.json.
    have_cmd em++ || want emscripten
    have_cmd node || want nodejs
    have_cmd npm || want npm
    if [ "$1" = web-test ]; then
      # The browsers the tests drive; puppeteer downloads none. The CJK font
      # draws the Chinese text.
      have_cmd chromium || want chromium
      have_cmd firefox-esr || want firefox-esr
      have_pkg fonts-noto-cjk || want fonts-noto-cjk
    fi
    ;;
  fuzz)
    have_cmd clang++ || want clang
    ;;
  *) echo "usage: $0 build|test|libcxx|32bit|bench|package|windows|windows-test|web|web-test|fuzz" >&2; exit 2 ;;
esac

[ -z "$need" ] && exit 0

if ! have_cmd apt-get; then
  echo "Missing:$need. Install them with your system's package manager." >&2
  exit 3
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing:$need. Run as root, or: sudo apt-get install -y${apt_options:+ $apt_options}$need" >&2
  exit 3
fi
echo "Installing:$need"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq $apt_options $need
