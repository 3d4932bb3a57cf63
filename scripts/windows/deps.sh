#!/usr/bin/env bash
# Builds the two libraries the Windows programs need and Debian ships no mingw build of, from
# Debian's own source packages, into the cache folder (see common.sh):
#   curl-<version>/  libcurl, static, Schannel for TLS, HTTP and FTP only;
#   qt-<version>/    Qt 6 Core, Gui, Widgets and Test as DLLs (Qt's licence wants them shared).
# Each is built once; a finished build is marked by its ".complete" file. Prints the prefixes,
# ';'-separated, on the last line of its output.
set -euo pipefail
source "$(dirname "$0")/common.sh"
brindle_ensure_packages
JOBS=${JOBS:-2}
TOOLCHAIN=$BRINDLE_ROOT/cmake/mingw-w64.cmake
mkdir -p "$BRINDLE_WIN_CACHE"

# apt-get source with a private list of deb-src entries for the suites the system uses, so the
# system's own lists stay as they are.
fetch_source() {
  local package=$1 dest=$2 apt=$BRINDLE_WIN_CACHE/apt
  mkdir -p "$apt/lists/partial" "$dest"
  sed -n 's/^URIs: *//p; s/^Suites: *//p' /etc/apt/sources.list.d/debian.sources 2>/dev/null |
    paste - - | while read -r uri suites; do
      for suite in $suites; do echo "deb-src $uri $suite main"; done
    done >"$apt/sources.list"
  [ -s "$apt/sources.list" ] || echo "deb-src http://deb.debian.org/debian bookworm main" >"$apt/sources.list"
  local opts=(-o "Dir::Etc::SourceList=$apt/sources.list" -o "Dir::Etc::SourceParts=-"
    -o "Dir::State::Lists=$apt/lists" -o "APT::Sandbox::User=root")
  apt-get "${opts[@]}" update -q >/dev/null
  (cd "$dest" && apt-get "${opts[@]}" source -q "$package" >/dev/null)
}

source_version() {  # the version apt would fetch, without fetching
  apt-cache policy "$1" 2>/dev/null | awk '/Candidate:/ {print $2; exit}'
}

build_curl() {
  local prefix=$1 src=$BRINDLE_WIN_CACHE/src/curl
  rm -rf "$src" && fetch_source curl "$src"
  local tree; tree=$(find "$src" -maxdepth 1 -mindepth 1 -type d | head -1)
  local disabled=()
  for p in LDAP LDAPS TELNET DICT FILE TFTP RTSP POP3 IMAP SMTP GOPHER MQTT SMB; do
    disabled+=("-DCURL_DISABLE_$p=ON")
  done
  cmake -S "$tree" -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DBUILD_SHARED_LIBS=OFF -DBUILD_CURL_EXE=OFF -DBUILD_TESTING=OFF \
    -DCURL_USE_SCHANNEL=ON -DCURL_USE_OPENSSL=OFF -DCURL_CA_BUNDLE=none -DCURL_CA_PATH=none \
    -DCURL_ZLIB=OFF -DCURL_USE_LIBSSH2=OFF -DCURL_USE_LIBPSL=OFF -DUSE_LIBIDN2=OFF \
    -DUSE_NGHTTP2=OFF -DENABLE_MANUAL=OFF "${disabled[@]}" >/dev/null
  cmake --build "$src/build" -j"$JOBS" >/dev/null
  cmake --install "$src/build" >/dev/null
  mkdir -p "$prefix/licenses" && cp "$tree/COPYING" "$prefix/licenses/curl-COPYING.txt"
  rm -rf "$src"
}

build_qt() {
  local prefix=$1 src=$BRINDLE_WIN_CACHE/src/qt
  rm -rf "$src" && fetch_source qt6-base "$src"
  local tree; tree=$(find "$src" -maxdepth 1 -mindepth 1 -type d | head -1)
  # Debian's source drops the Wintab header tablet events need; Windows' platform plugin in
  # this Qt needs OpenGL, so it stays on. The Direct2D platform plugin is a second one for
  # Windows that Brindle never ships, and the window shows no JPEG, GIF or ICO image: not
  # building them saves time on a cold cache.
  cmake -S "$tree" -B "$src/build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF \
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_testlib=ON \
    -DFEATURE_widgets=ON -DFEATURE_tabletevent=OFF -DFEATURE_direct2d=OFF \
    -DFEATURE_jpeg=OFF -DFEATURE_gif=OFF -DFEATURE_ico=OFF >/dev/null
  cmake --build "$src/build" -j"$JOBS" >/dev/null
  cmake --install "$src/build" >/dev/null
  mkdir -p "$prefix/licenses"
  cp "$tree"/LICENSES/LGPL-3.0-only.txt "$tree"/LICENSES/GPL-3.0-only.txt "$prefix/licenses/" 2>/dev/null ||
    cp "$tree"/LICENSE.* "$prefix/licenses/"
  rm -rf "$src"
}

ensure() {  # ensure <name> <package> <builder>
  local version; version=$(source_version "$2")
  [ -n "$version" ] || version=unknown
  local prefix=$BRINDLE_WIN_CACHE/$1-$version
  if [ ! -f "$prefix/.complete" ]; then
    step "Building $1 $version for Windows into $prefix (once; cached)" >&2
    local start=$SECONDS
    rm -rf "$prefix"
    "$3" "$prefix"
    touch "$prefix/.complete"
    echo "$1 built in $((SECONDS - start)) s" >&2
  fi
  echo "$prefix"
}

curl_prefix=$(ensure curl libcurl4-openssl-dev build_curl)
qt_prefix=$(ensure qt qt6-base-dev build_qt)
echo "$curl_prefix;$qt_prefix"
