#!/usr/bin/env bash
# Remakes the pictures of the desktop windows in docs/screenshots. They are taken by the GUI
# tests (tests/gui/gui_window_test.cpp, backups_window_test.cpp, and gui_reading_test.cpp for
# the window at 200 %) on Qt's offscreen platform, so no display is needed.
# BUILD names the build folder (default: build); it is configured when it does not exist.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
BUILD=${BUILD:-build}
[ -f "$BUILD/CMakeCache.txt" ] || cmake -S . -B "$BUILD" -DBRINDLE_GUI=ON
cmake --build "$BUILD" -j2 --target gui_window_test backups_window_test gui_reading_test \
  rookery-dev
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
for test in gui_window_test backups_window_test; do
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime" \
    BRINDLE_SCREENSHOT_DIR="$PWD/docs/screenshots" "$BUILD/tests/gui/$test"
done
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$runtime" QT_SCALE_FACTOR=2 \
  BRINDLE_SCREENSHOT_DIR="$PWD/docs/screenshots" "$BUILD/tests/gui/gui_reading_test" \
  everyLabelFitsInEveryLayout
ls -l docs/screenshots
