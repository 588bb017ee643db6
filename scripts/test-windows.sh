#!/bin/sh
# Cross-builds the game and its unit tests for 64-bit Windows with MinGW-w64 and
# runs them under wine, starts the game once to see it draw its menu and quit,
# then plays it end to end under wine in pseudo-terminals
# (tests/e2e/windows_e2e_test.cpp, built for this machine).
#
# Usage: scripts/test-windows.sh [--optional]
#   --optional  when the cross compiler or wine is missing and cannot be
#               installed (not root), or LANTERNVALE_SKIP_WINDOWS=1 asks not
#               to install them (about 1 GiB), say so and succeed: `make test`
#               on a developer's machine still works without them. CI sets
#               LANTERNVALE_WINDOWS_REQUIRED=1 so that it never skips.
# Environment: JOBS (parallel builds, default 2), LANTERNVALE_WINDOWS_BUILD
# (build directory, default build/windows-tests; kept between runs),
# LANTERNVALE_HOST_BUILD (a build of this machine's tests that has, or may
# build, windows_e2e_tests; default the build directory's host/).
set -eu
cd "$(dirname "$0")/.."

optional=false
[ "${1:-}" = "--optional" ] && optional=true
[ "${LANTERNVALE_WINDOWS_REQUIRED:-0}" = 1 ] && optional=false
. scripts/optional-check.sh
install_or_skip "$optional" LANTERNVALE_SKIP_WINDOWS windows-test "Windows build"

build="${LANTERNVALE_WINDOWS_BUILD:-build/windows-tests}"
jobs="${JOBS:-2}"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver

# -O1: the tests generate whole worlds, and -O2 would only make the build slower.
cmake -S . -B "$build" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DLANTERNVALE_TESTS=ON \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O1 >/dev/null
cmake --build "$build" -j"$jobs"

# A prefix of our own: ~/.wine is never touched. No Mono or Gecko: nothing here
# needs .NET or HTML, and asking for them would stall the first start.
WINEPREFIX="$(pwd)/$build/wine"
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "Creating the wine prefix $WINEPREFIX (once; up to a minute)"
  timeout 300 "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wineserver" -w
fi

# Under `script` the tests get a pseudo-terminal, so wine gives them a real
# console: the tests of the console's code pages and modes run instead of
# skipping. Their report goes to a file; the console's own drawing of it does
# not matter.
log="$build/unit_tests.log"
tests="$build/tests/unit_tests.exe"
run_tests="'$wine' '$tests' --gtest_brief=1 >'$log' 2>&1"
test_status=0
if command -v script >/dev/null 2>&1; then
  timeout 600 script -qec "$run_tests" /dev/null </dev/null >/dev/null || test_status=$?
else
  timeout 600 sh -c "$run_tests" </dev/null || test_status=$?
fi
cat "$log"

# The game itself: it starts, draws the Chinese menu, takes "3" and ends with 0.
smoke="$build/smoke"
rm -rf "$smoke" && mkdir -p "$smoke"
game_status=0
(cd "$smoke" && echo 3 | timeout 120 "$wine" ../lanternvale.exe >screen.bin 2>errors.txt) || game_status=$?
# Its command line, read as Unicode: a directory named in Chinese arrives whole
# (wine takes the name from a UTF-8 locale).
lantern="$(printf '\351\235\222\347\201\257')"  # 青灯, UTF-8
paths_status=0
(cd "$smoke" && LC_ALL=C.UTF-8 timeout 120 "$wine" ../lanternvale.exe --dir "$lantern" --show-paths \
  >paths.txt 2>>errors.txt) || paths_status=$?
"$wineserver" -w

# The game played end to end. One wine server, kept between the scenarios
# and gone ten seconds after the last, and one prefix: each scenario starts
# wine once.
host="${LANTERNVALE_HOST_BUILD:-$build/host}"
if [ ! -f "$host/CMakeCache.txt" ]; then
  cmake -S . -B "$host" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLANTERNVALE_TESTS=ON >/dev/null
fi
cmake --build "$host" -j"$jobs" --target windows_e2e_tests
"$wineserver" -p10
e2e_status=0
LANTERNVALE_WINDOWS_EXE="$(pwd)/$build/lanternvale.exe" LANTERNVALE_WINE="$wine" \
  timeout 900 "$host/tests/windows_e2e_tests" --gtest_brief=1 || e2e_status=$?
"$wineserver" -k 2>/dev/null || true

if [ "$test_status" -ne 0 ]; then
  echo "Windows unit tests failed (status $test_status)" >&2
  exit 1
fi
title_gbk="$(printf '\307\340\265\306\315\362\317\363\302\274')"  # the Chinese title, GBK
if [ "$game_status" -ne 0 ] || ! LC_ALL=C grep -qF "$title_gbk" "$smoke/screen.bin"; then
  echo "lanternvale.exe did not draw its menu and quit cleanly (status $game_status):" >&2
  cat "$smoke/errors.txt" >&2
  exit 1
fi
if [ "$paths_status" -ne 0 ] || ! grep -qF "\\$lantern\\saves" "$smoke/paths.txt"; then
  echo "lanternvale.exe --dir with a Chinese name: status $paths_status, it said:" >&2
  cat "$smoke/paths.txt" "$smoke/errors.txt" >&2
  exit 1
fi
if [ "$e2e_status" -ne 0 ]; then
  echo "lanternvale.exe failed its end-to-end tests under wine (status $e2e_status)" >&2
  exit 1
fi
echo "Windows build: unit tests passed under wine; lanternvale.exe drew its menu and quit with 0, took a Chinese --dir, and passed its end-to-end tests."
