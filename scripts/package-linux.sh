#!/usr/bin/env bash
# Makes the Debian package of a normal Linux build: BUILD_DIR/dist/brindle_<version>_<arch>.deb.
# It holds whatever the build's install rules install under /usr (the programs, stripped, their
# desktop entries, the icon, the manual pages), with the copyright and changelog a Debian
# package carries; Depends is read from the programs' own libraries by dpkg-shlibdeps.
# Usage: bash scripts/package-linux.sh [BUILD_DIR]   (default build; built first when stale)
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
ROOT=$PWD
BUILD=$(cd "${1:-build}" && pwd)
MAINTAINER="Brindle Developers <dev@brindle.invalid>"

VERSION=$(sed -n 's/^CMAKE_PROJECT_VERSION:[A-Z]*=//p' "$BUILD/CMakeCache.txt")
[ -n "$VERSION" ] || { echo "package-linux.sh: $BUILD is not a configured build" >&2; exit 1; }
ARCH=$(dpkg --print-architecture)
DIST=$BUILD/dist
DEB=$DIST/brindle_${VERSION}_$ARCH.deb
STAGE=$DIST/deb/brindle
DOC=$STAGE/usr/share/doc/brindle

cmake --build "$BUILD" -j"${JOBS:-2}"
rm -rf "$DIST/deb" "$DIST"/brindle_*.deb && mkdir -p "$STAGE/DEBIAN"
DESTDIR=$STAGE cmake --install "$BUILD" --prefix /usr --strip >/dev/null
for f in usr/bin/brindle usr/bin/brindle-cli usr/share/man/man1/brindle-cli.1.gz; do
  [ -e "$STAGE/$f" ] || { echo "package-linux.sh: the install has no /$f" >&2; exit 1; }
done

mkdir -p "$DOC"
install -m 644 "$ROOT/app/linux/copyright" "$DOC/copyright"
# The changelog's one entry is this build's, dated by its commit so that a rebuild is the same.
# The version is the project's own, with no Debian revision, so Debian names it changelog.gz.
date=$(git -C "$ROOT" log -1 --format=%cD 2>/dev/null || date -R)
printf '%s\n' "brindle ($VERSION) unstable; urgency=medium" '' \
  "  * Brindle $VERSION, packaged from the normal build." '' \
  " -- $MAINTAINER  $date" | gzip -9n >"$DOC/changelog.gz"
find "$STAGE" -type d -exec chmod 755 {} + && find "$STAGE" -type f -exec chmod 644 {} +
chmod 755 "$STAGE"/usr/bin/*

# dpkg-shlibdeps reads the package's name from a debian/control, so it runs beside a minimal one.
shlib=$DIST/deb/shlibdeps
mkdir -p "$shlib/debian"
printf 'Source: brindle\n\nPackage: brindle\nArchitecture: any\n' >"$shlib/debian/control"
depends=$(cd "$shlib" && dpkg-shlibdeps -O "$STAGE"/usr/bin/* | sed -n 's/^shlibs:Depends=//p')
[ -n "$depends" ] || { echo "package-linux.sh: dpkg-shlibdeps found no libraries" >&2; exit 1; }

cat >"$STAGE/DEBIAN/control" <<CONTROL
Package: brindle
Version: $VERSION
Architecture: $ARCH
Maintainer: $MAINTAINER
Installed-Size: $(du -sk --exclude=DEBIAN "$STAGE" | cut -f1)
Depends: $depends
Section: utils
Priority: optional
Description: Palm Desktop 4.1.4 contacts to the Rookery service
 Brindle reads Palm Desktop's contacts file, address.dat, shows its
 categories, exports the records of the chosen ones to the Rookery online
 contact service, and writes the identifiers the service gives them back
 into the file, copying every other byte unchanged and keeping the file as
 it was in a backup first.
 .
 The package holds the desktop program brindle, the command-line companion
 brindle-cli, and the backups window when the build has it. Installed
 programs keep their settings, backups and log in ~/.local/share/brindle.
CONTROL
(cd "$STAGE" && find usr -type f -print0 | sort -z | xargs -0 md5sum) >"$STAGE/DEBIAN/md5sums"
chmod 644 "$STAGE/DEBIAN/control" "$STAGE/DEBIAN/md5sums"
dpkg-deb --root-owner-group -Zxz --build "$STAGE" "$DEB" >/dev/null
echo "$DEB"
dpkg-deb --field "$DEB" Depends
