# shellcheck shell=bash
# Sourced by the scripts in this folder: makes sure the Debian packages the build needs are
# present. As root it installs what is missing; otherwise it names the command to run.
BRINDLE_PACKAGES=(
  cmake g++ clang make ninja-build pkgconf libclang-rt-14-dev
  qt6-base-dev libcurl4-openssl-dev libcpp-httplib-dev libsqlite3-dev
  libgtest-dev libgmock-dev libbenchmark-dev python3 python3-pyftpdlib fonts-dejavu-core
  clang-tidy ccache shellcheck dpkg-dev help2man lintian
)
# The Windows build on this machine: mingw-w64 (posix threads), Wine to run what it makes, Xvfb
# and ImageMagick for the installed program's screenshots, NSIS for its installer, GoogleTest's
# sources, Qt's host tools and dpkg-dev to build Qt and libcurl from Debian's source packages.
# shellcheck disable=SC2034  # read by .ci/run and scripts/windows/common.sh
BRINDLE_WIN_PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine xvfb xauth imagemagick nsis googletest qt6-base-dev-tools dpkg-dev zip
)

# A compiler cache outside the work tree (ccache's own, ~/.cache/ccache) makes a second run on
# the same machine fast; paths are taken relative to the work tree so that any clone hits it.
# Adds the launcher to the caller's COMMON_ARGS.
brindle_use_compiler_cache() {
  command -v ccache >/dev/null 2>&1 || return 0
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=true
  COMMON_ARGS+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
}

brindle_ensure_packages() {
  command -v dpkg-query >/dev/null 2>&1 || return 0  # not Debian: trust the machine
  local missing=()
  for p in "${BRINDLE_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing missing packages: ${missing[*]}"
    DEBIAN_FRONTEND=noninteractive apt-get update -q
    DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  else
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run: sudo apt-get install -y ${missing[*]}" >&2
    return 1
  fi
}
