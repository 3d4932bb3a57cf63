# shellcheck shell=bash
# Sourced by the Windows scripts: the packages they need (packages.sh lists them), and the
# cache of libraries built for Windows.
# libcurl and Qt for Windows are built once into this folder, outside the work tree. Remove it
# (or one of its curl-*/qt-* folders) to build them again.
BRINDLE_WIN_CACHE=${BRINDLE_WIN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/brindle-win}
BRINDLE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

source "$BRINDLE_ROOT/scripts/packages.sh"
BRINDLE_PACKAGES=("${BRINDLE_WIN_PACKAGES[@]}")  # what brindle_ensure_packages checks here

step() { printf '\n==== %s ====\n' "$*"; }
