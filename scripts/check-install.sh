#!/bin/sh
# Checks what an install and the Debian package hold: the game, its manual page,
# its desktop entry and the README in place; the installed game answers
# --version; the page renders without warnings; the desktop entry validates
# (where desktop-file-validate exists); the .deb lists the game and the page.
# Usage: scripts/check-install.sh [build directory, default build/test]
set -eu
cd "$(dirname "$0")/.."

build="${1:-build/test}"
stage="$build/install-check"
root="$(pwd)/$stage/root"
fail() {
  echo "install check: $*" >&2
  exit 1
}

rm -rf "$stage"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

game="$root/usr/bin/lanternvale"
page="$root/usr/share/man/man6/lanternvale.6"
entry="$root/usr/share/applications/lanternvale.desktop"
for file in "$game" "$page" "$entry" "$root/usr/share/doc/lanternvale/README.md"; do
  [ -f "$file" ] || fail "${file#"$root"} is not installed"
done

version="$("$game" --version </dev/null)" || fail "the installed game's --version failed"
case "$version" in
  "lanternvale "*) ;;
  *) fail "the installed game's --version said: $version" ;;
esac

warnings="$(man --warnings -l "$page" 2>&1 >/dev/null)"
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"

if command -v desktop-file-validate >/dev/null 2>&1; then
  desktop-file-validate "$entry" || fail "the desktop entry does not validate"
else
  echo "install check: desktop-file-validate is missing; the desktop entry is not validated"
fi

cpack --config "$build/CPackConfig.cmake" -G DEB -B "$stage/packages" >"$stage/cpack.log" 2>&1 ||
  { cat "$stage/cpack.log" >&2; fail "cpack could not make the .deb"; }
deb="$(find "$stage/packages" -maxdepth 1 -name '*.deb' | head -n 1)"
[ -n "$deb" ] || fail "cpack made no .deb"
contents="$(dpkg-deb -c "$deb")"
for file in ./usr/bin/lanternvale ./usr/share/man/man6/lanternvale.6; do
  echo "$contents" | grep -q " $file\$" || fail "$(basename "$deb") does not hold $file"
done
echo "Install check: game, manual page, desktop entry and README installed; $(basename "$deb") holds the game and the page."
