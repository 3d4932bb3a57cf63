#!/usr/bin/env bash
# Builds Brindle for 64-bit Windows on this Linux machine with mingw-w64:
#   bash scripts/windows/build.sh [BUILD_DIR]      (default build-win)
# Installs the packages it needs (as root), builds or reuses libcurl and Qt for Windows in the
# cache folder (deps.sh; BRINDLE_WIN_PREFIXES set by the caller skips that), then configures
# and builds. brindle.exe and brindle-backups.exe with Qt's DLLs and plugins, brindle-cli.exe
# and the test programs end up in BUILD_DIR/bin.
set -euo pipefail
shopt -s inherit_errexit
source "$(dirname "$0")/common.sh"
cd "$BRINDLE_ROOT"
BUILD_DIR=${1:-build-win}
JOBS=${JOBS:-2}
WERROR=OFF
[ "${CI:-}" = "true" ] && WERROR=ON
start=$SECONDS

brindle_ensure_packages
if [ -z "${BRINDLE_WIN_PREFIXES:-}" ]; then
  BRINDLE_WIN_PREFIXES=$(bash "$BRINDLE_ROOT/scripts/windows/deps.sh" | tail -1)
fi
export BRINDLE_WIN_PREFIXES

COMMON_ARGS=(-G Ninja)
brindle_use_compiler_cache
step "Configuring the Windows build in $BUILD_DIR"
cmake -S . -B "$BUILD_DIR" "${COMMON_ARGS[@]}" -DCMAKE_TOOLCHAIN_FILE="$BRINDLE_ROOT/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBRINDLE_WERROR=$WERROR -DBRINDLE_GUI=ON >/dev/null
step "Building for Windows"
cmake --build "$BUILD_DIR" -j"$JOBS"
for program in brindle-cli.exe brindle.exe brindle-backups.exe; do
  [ -f "$BUILD_DIR/bin/$program" ] || { echo "$program was not built" >&2; exit 1; }
done
echo "Windows build done in $((SECONDS - start)) s: $BUILD_DIR/bin"
