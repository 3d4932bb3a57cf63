# Sourced by the Windows scripts: the packages they need, the cache of libraries built for
# Windows, and a quiet private Wine.
BRINDLE_WIN_PACKAGES=(
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 fonts-wine xvfb xauth imagemagick nsis googletest qt6-base-dev-tools dpkg-dev zip
)
# libcurl and Qt for Windows are built once into this folder, outside the work tree. Remove it
# (or one of its curl-*/qt-* folders) to build them again.
BRINDLE_WIN_CACHE=${BRINDLE_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brindle-win}
BRINDLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

source "$BRINDLE_ROOT/scripts/packages.sh"
BRINDLE_PACKAGES=("${BRINDLE_WIN_PACKAGES[@]}")

step() { printf '\n==== %s ====\n' "$*"; }
