#!/bin/sh
# Checks an install and the Debian package as a packager would:
# - the install puts the game, its manual page, desktop entry, icons,
#   metainfo, README, copyright and changelog in place; the installed game
#   answers --version; the page renders without warnings; the desktop entry
#   and the metainfo validate;
# - the uninstall takes all of it away again, and the directories the install
#   made, and leaves what was there before, even when a package was made in
#   between;
# - the .deb holds the game in /usr/games and passes lintian without a tag.
# Usage: scripts/check-install.sh [build directory, default build/test]
#                                 [package build directory, default build/package]
set -eu
cd "$(dirname "$0")/.."

build="${1:-build/test}"
package_build="${2:-build/package}"
stage="$build/install-check"
root="$(pwd)/$stage/root"
fail() {
  echo "install check: $*" >&2
  exit 1
}
tree() { (cd "$root" && find . | sort) >"$1"; }

rm -rf "$stage"
# A directory that was there before the install, as a desktop's would be.
mkdir -p "$root/usr/share/applications"
tree "$stage/before.txt"
DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null

game="$root/usr/bin/lanternvale"
page="$root/usr/share/man/man6/lanternvale.6.gz"
entry="$root/usr/share/applications/lanternvale.desktop"
metainfo="$(find "$root/usr/share/metainfo" -name '*.metainfo.xml')"
for file in "$game" "$page" "$entry" "$metainfo" \
  "$root/usr/share/icons/hicolor/scalable/apps/lanternvale.svg" \
  "$root/usr/share/icons/hicolor/48x48/apps/lanternvale.png" \
  "$root/usr/share/icons/hicolor/256x256/apps/lanternvale.png" \
  "$root/usr/share/doc/lanternvale/README.md" \
  "$root/usr/share/doc/lanternvale/copyright" \
  "$root/usr/share/doc/lanternvale/changelog.gz"; do
  [ -f "$file" ] || fail "${file#"$root"} is not installed"
done

version="$("$game" --version </dev/null)" || fail "the installed game's --version failed"
case "$version" in
  "lanternvale "*) ;;
  *) fail "the installed game's --version said: $version" ;;
esac

warnings="$(man --warnings -l "$page" 2>&1 >/dev/null)"
[ -z "$warnings" ] || fail "the manual page renders with warnings: $warnings"
desktop-file-validate "$entry" || fail "the desktop entry does not validate"
appstreamcli validate --no-net --pedantic --strict "$metainfo" >"$stage/appstream.log" 2>&1 ||
  { cat "$stage/appstream.log" >&2; fail "the metainfo does not validate"; }

# A package made in between installs into the build's own staging directory
# and rewrites its install_manifest.txt: the uninstall still knows the install.
cpack --config "$build/CPackConfig.cmake" -G TGZ -B "$stage/tarball" >"$stage/cpack.log" 2>&1 ||
  { cat "$stage/cpack.log" >&2; fail "cpack could not make the .tar.gz"; }
cmake -DBUILD_DIR="$build" -P cmake/uninstall.cmake >/dev/null
tree "$stage/after.txt"
difference="$(diff "$stage/before.txt" "$stage/after.txt")" ||
  fail "after the uninstall the staging directory differs from before the install (> left behind, < taken away):
$difference"

cpack --config "$package_build/CPackConfig.cmake" -G DEB -B "$stage/packages" >"$stage/cpack.log" 2>&1 ||
  { cat "$stage/cpack.log" >&2; fail "cpack could not make the .deb"; }
deb="$(find "$stage/packages" -maxdepth 1 -name '*.deb' | head -n 1)"
[ -n "$deb" ] || fail "cpack made no .deb"
contents="$(dpkg-deb -c "$deb")"
for file in ./usr/games/lanternvale ./usr/share/man/man6/lanternvale.6.gz \
  ./usr/share/doc/lanternvale/copyright ./usr/share/doc/lanternvale/changelog.gz; do
  echo "$contents" | grep -q " $file\$" || fail "$(basename "$deb") does not hold $file"
done
# Info tags too: the ones a packager would look at (hardening, stripping,
# the desktop entry's icon) are info tags.
lintian --display-info --info --fail-on error,warning,info "$deb" >"$stage/lintian.log" 2>&1 ||
  { cat "$stage/lintian.log" >&2; fail "lintian finds fault with $(basename "$deb")"; }

echo "Install check: everything installed validates and uninstalls to the directory found; $(basename "$deb") holds the game in /usr/games and lintian is silent."
