#!/usr/bin/env bash
# Packs the Windows programs of a build made by build.sh:
#   BUILD_DIR/dist/brindle-<version>-win64.zip     the programs, the DLLs and plugins they need,
#                                                  stripped, with README and licence texts;
#   BUILD_DIR/dist/brindle-<version>-setup.exe     the same as a per-user installer (NSIS).
# Usage: bash scripts/windows/package.sh [BUILD_DIR]   (default build-win)
set -euo pipefail
shopt -s inherit_errexit
source "$(dirname "$0")/common.sh"
BUILD=$(cd "${1:-$BRINDLE_ROOT/build-win}" && pwd)
BIN=$BUILD/bin
STRIP=x86_64-w64-mingw32-strip

cache_value() { sed -n "s/^$1:[A-Z]*=//p" "$BUILD/CMakeCache.txt"; }
VERSION=$(cache_value CMAKE_PROJECT_VERSION)
[ -n "$VERSION" ] || { echo "package.sh: $BUILD is not a configured build" >&2; exit 1; }
# prefix_of <CMake package folder variable>: the install prefix the build found it in.
prefix_of() {
  local dir; dir=$(cache_value "$1")
  if [ -z "$dir" ] || [ ! -d "$dir/../../../licenses" ]; then
    echo "package.sh: $BUILD names no install of $1 (\"$dir\") with its licences; run build.sh first" >&2
    exit 1
  fi
  (cd "$dir/../../.." && pwd)
}
qt_prefix=$(prefix_of Qt6_DIR)
curl_prefix=$(prefix_of CURL_DIR)

# What a user's machine needs: the three programs, Qt's DLLs (not its test library), the
# MinGW runtime, the Windows platform plugin and the native style.
files=(brindle.exe brindle-backups.exe brindle-cli.exe Qt6Core.dll Qt6Gui.dll Qt6Widgets.dll libstdc++-6.dll
  libgcc_s_seh-1.dll libwinpthread-1.dll qt.conf plugins/platforms/qwindows.dll
  plugins/styles/qwindowsvistastyle.dll)
for f in "${files[@]}"; do
  [ -f "$BIN/$f" ] || { echo "package.sh: $BIN/$f is missing; run build.sh first" >&2; exit 1; }
done

step "Staging Brindle $VERSION"
dist=$BUILD/dist
name=brindle-$VERSION-win64
stage=$dist/stage/$name
rm -rf "$dist/stage" && mkdir -p "$stage/licenses"
for f in "${files[@]}"; do
  mkdir -p "$stage/$(dirname "$f")" && cp "$BIN/$f" "$stage/$f"
done
find "$stage" \( -name '*.exe' -o -name '*.dll' \) -print0 | xargs -0 "$STRIP" --strip-unneeded
# Text files get Windows line ends so that Notepad shows them right.
sed 's/$/\r/' "$BRINDLE_ROOT/README.md" >"$stage/README.txt"
for f in "$qt_prefix"/licenses/*; do
  sed 's/$/\r/' "$f" >"$stage/licenses/Qt-$(basename "${f%.txt}").txt"
done
sed 's/$/\r/' "$curl_prefix/licenses/curl-COPYING.txt" >"$stage/licenses/curl-COPYING.txt"
for doc in gcc-mingw-w64-base mingw-w64-common; do
  [ -f "/usr/share/doc/$doc/copyright" ] &&
    sed 's/$/\r/' "/usr/share/doc/$doc/copyright" >"$stage/licenses/MinGW-$doc-copyright.txt"
done
cp "$BRINDLE_ROOT/app/gui/windows/brindle.ico" "$dist/stage/brindle.ico"

# Every DLL a staged program or plugin imports is either staged or part of Windows (Wine's
# builtin DLLs stand for those), so a clean machine can start everything.
wine_dlls=/usr/lib/x86_64-linux-gnu/wine/x86_64-windows
unpacked=0
while IFS= read -r binary; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p'); do
    lower=${dll,,}
    [ -n "$(find "$stage" -maxdepth 1 -iname "$dll" -print -quit)" ] && continue
    [ -e "$wine_dlls/$lower" ] && continue
    case $lower in api-ms-win-*) continue ;; esac
    echo "package.sh: ${binary#"$stage"/} needs $dll, which is not packed" >&2
    unpacked=1
  done
done < <(find "$stage" -name '*.exe' -o -name '*.dll')
[ "$unpacked" = 0 ] || exit 1

step "Zip archive"
rm -f "$dist/$name.zip"
(cd "$dist/stage" && zip -qr9 "../$name.zip" "$name")
ls -l "$dist/$name.zip"

step "Installer"
# The uninstaller deletes exactly the files installed, deepest folders last.
uninstall_list=$dist/stage/uninstall-files.nsh
(
  cd "$stage"
  # shellcheck disable=SC2016  # $INSTDIR is NSIS's, not the shell's
  find . -type f | sort | sed 's|^\./||; s|/|\\|g; s|.*|Delete "$INSTDIR\\&"|'
  # shellcheck disable=SC2016  # as above
  find . -mindepth 1 -type d | sort -r | sed 's|^\./||; s|/|\\|g; s|.*|RMDir "$INSTDIR\\&"|'
) >"$uninstall_list"
IFS=. read -r major minor _ <<<"$VERSION"
makensis -V2 -DVERSION="$VERSION" -DFILE_VERSION="$major.${minor:-0}.0.0" -DSTAGE="$stage" \
  -DFILES="$uninstall_list" -DOUTFILE="$dist/brindle-$VERSION-setup.exe" \
  "$BRINDLE_ROOT/scripts/windows/installer.nsi"
ls -l "$dist/brindle-$VERSION-setup.exe"
