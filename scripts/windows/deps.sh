#!/usr/bin/env bash
# Builds the two libraries the Windows programs need and Debian ships no mingw build of, from
# Debian's own source packages, into the cache folder (see common.sh):
#   curl-<version>-<recipe>/  libcurl, static, Schannel for TLS, HTTP and FTP only;
#   qt-<version>-<recipe>/    Qt 6 Core, Gui, Widgets and Test as DLLs (Qt's licence wants them
#                             shared).
# <version> is that of the source package apt fetches; <recipe> is a short hash of what decides
# what is built: the builder function's own text, the toolchain file and the mingw compiler's
# version. A change to any of them builds afresh on the next run, and the old folder goes once
# the new one is complete. A folder is used only when it holds its ".complete" mark and every
# file the Windows build takes from it; otherwise it is built again.
# A failed build leaves neither its prefix nor its build tree behind, prints the end of its log
# (the whole log stays in logs/) and exits non-zero. One run at a time builds in the cache: a
# second waits for the first's lock. The prefixes, ';'-separated, are the only output on stdout.
set -euo pipefail
shopt -s inherit_errexit
# shellcheck source=common.sh
source "$(dirname "$0")/common.sh"
exec 3>&1 1>&2
brindle_ensure_packages
JOBS=${JOBS:-2}
TOOLCHAIN=$BRINDLE_ROOT/cmake/mingw-w64.cmake
MINGW_CXX=x86_64-w64-mingw32-g++-posix
APT=$BRINDLE_WIN_CACHE/apt
LOGS=$BRINDLE_WIN_CACHE/logs
mkdir -p "$LOGS"

# What the Windows build (app/gui/windows/BrindleWindows.cmake, package.sh) takes from each.
CURL_FILES=(lib/libcurl.a include/curl/curl.h lib/cmake/CURL/CURLConfig.cmake
  licenses/curl-COPYING.txt)
QT_FILES=(bin/Qt6Core.dll bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll
  plugins/platforms/qwindows.dll plugins/platforms/qoffscreen.dll
  plugins/styles/qwindowsvistastyle.dll lib/cmake/Qt6/Qt6Config.cmake
  lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake lib/cmake/Qt6Test/Qt6TestConfig.cmake licenses)

exec 9>"$BRINDLE_WIN_CACHE/.lock"
if ! flock -n 9; then
  echo "Another run is building in $BRINDLE_WIN_CACHE; waiting for it to finish"
  flock 9
fi

# While a build runs: what to remove and show if it fails.
building_prefix='' building_src='' build_log='' current_step=''
report_failed_build() {
  local status=$?
  [ -n "$building_prefix" ] || return 0
  rm -rf "$building_prefix" "$building_src"
  echo
  echo "deps.sh: building $(basename "$building_prefix") failed at \"$current_step\" (status $status)."
  echo "The last lines of its log:"
  tail -n 40 "$build_log" | sed 's/^/  | /'
  echo "The whole log: $build_log. Nothing of this build is kept; the next run starts afresh."
}
trap report_failed_build EXIT

# run_step <title> <command...>: runs a build step with its output in the build's log.
run_step() {
  current_step=$1
  shift
  printf '\n==== %s\n' "$current_step" >>"$build_log"
  "$@" >>"$build_log" 2>&1
}

# A private list of deb-src entries for the suites the system uses, so that the system's own
# lists stay as they are.
APT_OPTS=(-o "Dir::Etc::SourceList=$APT/sources.list" -o "Dir::Etc::SourceParts=-"
  -o "Dir::State::Lists=$APT/lists" -o "APT::Sandbox::User=root")
update_source_index() {
  mkdir -p "$APT/lists/partial"
  sed -n 's/^URIs: *//p; s/^Suites: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
    paste - - | while read -r uri suites; do
      for suite in $suites; do echo "deb-src $uri $suite main"; done
    done >"$APT/sources.list"
  [ -s "$APT/sources.list" ] || echo "deb-src http://deb.debian.org/debian bookworm main" >"$APT/sources.list"
  apt-get "${APT_OPTS[@]}" update -q >"$LOGS/apt-update.log" 2>&1
}

# The version of the source package's .dsc that apt fetches, without fetching it.
source_version() {
  apt-get "${APT_OPTS[@]}" source --print-uris -q "$1" 2>/dev/null |
    sed -n "s/^'[^']*' $1_\(.*\)\.dsc .*/\1/p" | head -1
}

# fetch_source <package> <version> <folder>: the source tree, unpacked; fails unless the fetched
# .dsc is the version the prefix is named for.
fetch_source() {
  local package=$1 version=$2 dest=$3
  rm -rf "$dest" && mkdir -p "$dest"
  (cd "$dest" && apt-get "${APT_OPTS[@]}" source -q "$package")
  local fetched; fetched=$(sed -n 's/^Version: *//p' "$dest"/*.dsc | head -1)
  [ "$fetched" = "$version" ] || { echo "fetched $package $fetched, expected $version" >&2; return 1; }
}

source_tree() { find "$1" -maxdepth 1 -mindepth 1 -type d | head -1; }

build_curl() {  # build_curl <prefix> <version> <source folder>
  local prefix=$1 src=$3 tree
  run_step "fetching curl $2" fetch_source curl "$2" "$src"
  tree=$(source_tree "$src")
  local disabled=()
  for p in LDAP LDAPS TELNET DICT FILE TFTP RTSP POP3 IMAP SMTP GOPHER MQTT SMB; do
    disabled+=("-DCURL_DISABLE_$p=ON")
  done
  run_step "configuring curl" cmake -S "$tree" -B "$src/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    -DCURL_ZLIB=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF \
    -DUSE_NGHTTP2=OFF -DENABLE_MANUAL=OFF "${disabled[@]}"
  run_step "building curl" cmake --build "$src/build" -j"$JOBS"
  run_step "installing curl" cmake --install "$src/build"
  mkdir -p "$prefix/licenses" && cp "$tree/COPYING" "$prefix/licenses/curl-COPYING.txt"
}

build_qt() {  # build_qt <prefix> <version> <source folder>
  local prefix=$1 src=$3 tree
  run_step "fetching qt6-base $2" fetch_source qt6-base "$2" "$src"
  tree=$(source_tree "$src")
  # Debian's source drops the Wintab header tablet events need. Windows' platform plugin in
  # this Qt needs OpenGL and the DirectWrite font database that the Direct2D feature brings
  # into Qt Gui, so both stay on. The window shows no JPEG, GIF or ICO image: not building
  # those saves time on a cold cache.
  run_step "configuring qt" cmake -S "$tree" -B "$src/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_testlib=ON \
    -DFEATURE_widgets=ON -DFEATURE_tabletevent=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF
  run_step "building qt" cmake --build "$src/build" -j"$JOBS"
  run_step "installing qt" cmake --install "$src/build"
  mkdir -p "$prefix/licenses"
  cp "$tree"/LICENSES/LGPL-3.0-only.txt "$tree"/LICENSES/GPL-3.0-only.txt "$prefix/licenses/" 2>/dev/null ||
    cp "$tree"/LICENSE.* "$prefix/licenses/"
}

recipe_of() {  # a short hash of what decides what <builder> makes
  { declare -f "$1"; cat "$TOOLCHAIN"; "$MINGW_CXX" -dumpversion; } | sha256sum | cut -c1-12
}

first_missing() {  # first_missing <prefix> <files...>: the first that is not there, if any
  local prefix=$1 f
  shift
  for f in "$@"; do
    [ -e "$prefix/$f" ] || { echo "$f"; return 0; }
  done
}

usable() {  # usable <prefix> <files...>: marked complete and holding every file
  [ -f "$1/.complete" ] && [ -z "$(first_missing "$@")" ]
}

# ensure <name> <source package> <builder> <files...>: sets PREFIX to a complete build.
ensure() {
  local name=$1 package=$2 builder=$3 recipe version
  shift 3
  recipe=$(recipe_of "$builder")
  version=$(source_version "$package")
  if [ -z "$version" ]; then
    # No source index (offline): a complete build of this recipe still serves.
    for PREFIX in "$BRINDLE_WIN_CACHE/$name"-*-"$recipe"; do
      usable "$PREFIX" "$@" && { echo "Debian's source index gave no $package; using $PREFIX"; return 0; }
    done
    echo "deps.sh: apt knows no source package $package (see $LOGS/apt-update.log); check the network" >&2
    return 1
  fi
  PREFIX=$BRINDLE_WIN_CACHE/$name-$version-$recipe
  if [ -f "$PREFIX/.complete" ]; then
    local missing; missing=$(first_missing "$PREFIX" "$@")
    [ -z "$missing" ] && { remove_old "$name" "$PREFIX"; return 0; }
    echo "rebuilding $name $version: $PREFIX/$missing missing"
  fi
  step "Building $name $version for Windows into $PREFIX (once; cached)"
  local start=$SECONDS
  building_prefix=$PREFIX building_src=$BRINDLE_WIN_CACHE/src/$name
  build_log=$LOGS/$(basename "$PREFIX").log
  rm -rf "$PREFIX" && : >"$build_log"
  "$builder" "$PREFIX" "$version" "$building_src"
  current_step="checking the installed files"
  local missing; missing=$(first_missing "$PREFIX" "$@")
  [ -z "$missing" ] || { echo "the install made no $missing" >>"$build_log"; return 1; }
  touch "$PREFIX/.complete"
  rm -rf "$building_src"
  building_prefix='' building_src=''
  echo "$name built in $((SECONDS - start)) s"
  remove_old "$name" "$PREFIX"
}

remove_old() {  # remove_old <name> <prefix kept>: earlier builds and their logs
  local old
  for old in "$BRINDLE_WIN_CACHE/$1"-*; do
    if [ -e "$old" ] && [ "$old" != "$2" ]; then
      echo "removing the earlier build $old"
      rm -rf "$old" "$LOGS/$(basename "$old").log"
    fi
  done
}

update_source_index || echo "could not update Debian's source index (see $LOGS/apt-update.log)"
ensure curl curl build_curl "${CURL_FILES[@]}"
curl_prefix=$PREFIX
ensure qt qt6-base build_qt "${QT_FILES[@]}"
qt_prefix=$PREFIX
echo "$curl_prefix;$qt_prefix" >&3
