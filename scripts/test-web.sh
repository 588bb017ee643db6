#!/bin/sh
# Builds the static site (make web) and, natively, the saves the browser's
# are compared with, then plays the game in headless Chromium and Firefox ESR
# through puppeteer-core (web/tests/play_test.mjs), or with --bench measures
# it in Chromium (web/tests/bench.mjs).
#
# Usage: scripts/test-web.sh [--optional | --bench]
#   --optional  when Emscripten, Node or the browsers are missing and cannot
#               be installed (not root), say so and succeed: `make test` on a
#               developer's machine still works without them; or
#               LANTERNVALE_SKIP_WEB=1 asks not to check it. CI sets
#               LANTERNVALE_WEB_REQUIRED=1 so that it never skips.
#   --bench     the figures instead of the tests (make bench-web).
# Environment: JOBS (parallel builds, default 2).
set -eu
cd "$(dirname "$0")/.."

optional=false
bench=false
[ "${1:-}" = "--optional" ] && optional=true
[ "${1:-}" = "--bench" ] && bench=true
[ "${LANTERNVALE_WEB_REQUIRED:-0}" = 1 ] && optional=false
. scripts/optional-check.sh
install_or_skip "$optional" LANTERNVALE_SKIP_WEB web-test "The game in a browser"

jobs="${JOBS:-2}"
make --no-print-directory web JOBS="$jobs"

# The native saves, from the build `make test` makes; the tool says how long
# the native build took to make and save the world "abc".
scripts/install-deps.sh test
cmake -S . -B build/test -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLANTERNVALE_TESTS=ON >/dev/null
cmake --build build/test -j"$jobs" --target web_fixture_saves
fixtures=build/web-fixtures
rm -rf "$fixtures"
native_ms=$(build/test/tests/web_fixture_saves "$fixtures")

if $bench; then
  node web/tests/bench.mjs build/web "$native_ms"
else
  node web/tests/play_test.mjs build/web "$fixtures" chromium firefox
fi
