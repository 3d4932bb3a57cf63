#!/usr/bin/env bash
# Checks the shell scripts (scripts/check-scripts.sh) and the Windows library cache's script
# (tests/scripts), then builds and tests Brindle four ways:
#   1. the normal build (warnings are errors when CI=true), clang-tidy over the sources without
#      Qt (.clang-tidy; any finding fails), whole test suite, then its Debian package
#      (scripts/package-linux.sh) checked by tests/package/deb_test.sh;
#   2. AddressSanitizer + UndefinedBehaviorSanitizer, without the GUI, whole test suite;
#   3. with clang, each libFuzzer target for a short, bounded time under the sanitizers;
#   4. for Windows with mingw-w64 (scripts/windows/build.sh), its tests under Wine
#      (scripts/windows/test.sh). BRINDLE_WINDOWS=off leaves this stage out.
# Build folders go to build-ci/. JOBS sets the parallelism (default 2); FUZZ_SECONDS the time
# per fuzz target (default 20).
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
# shellcheck source=packages.sh
source scripts/packages.sh
brindle_ensure_packages

JOBS=${JOBS:-2}
FUZZ_SECONDS=${FUZZ_SECONDS:-20}
WERROR=OFF
[ "${CI:-}" = "true" ] && WERROR=ON
COMMON_ARGS=()
command -v ninja >/dev/null 2>&1 && COMMON_ARGS=(-G Ninja)
brindle_use_compiler_cache
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# Each stage's name and wall time go into the summary at the end.
stages=() stage='' stage_start=$SECONDS
end_stage() { [ -z "$stage" ] || stages+=("$stage: $((SECONDS - stage_start)) s"); }
step() { end_stage; stage=$*; stage_start=$SECONDS; printf '\n==== %s ====\n' "$*"; }
if [ "${CI:-}" = true ] && [ "${BRINDLE_WINDOWS:-on}" = off ]; then
  echo "test.sh: CI runs every stage; BRINDLE_WINDOWS=off is for a developer's machine" >&2
  exit 2
fi

step "Script checks (ShellCheck, errexit, the Windows library cache)"
bash scripts/check-scripts.sh
bash tests/scripts/deps_cache_test.sh

step "Normal build"
cmake -S . -B build-ci/normal "${COMMON_ARGS[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRINDLE_WERROR=$WERROR
cmake --build build-ci/normal -j"$JOBS"
step "clang-tidy (src, app/cli, devservice)"
run-clang-tidy -p build-ci/normal -j"$JOBS" -quiet "$PWD/(src|app/cli|devservice)/"
step "Tests (normal build)"
(cd build-ci/normal && ctest --output-on-failure -j"$JOBS")
step "Linux package (lintian; installed, run and removed as root; unpacked as another user)"
bash scripts/package-linux.sh build-ci/normal
bash tests/package/deb_test.sh build-ci/normal/dist/brindle_*.deb

step "Sanitizer build (ASan + UBSan, no GUI)"
cmake -S . -B build-ci/sanitize "${COMMON_ARGS[@]}" -DCMAKE_BUILD_TYPE=Debug \
  -DBRINDLE_SANITIZE=ON -DBRINDLE_GUI=OFF -DBRINDLE_BENCH=OFF -DBRINDLE_WERROR=$WERROR
cmake --build build-ci/sanitize -j"$JOBS"
step "Tests (sanitizers)"
(cd build-ci/sanitize && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$JOBS")

if [ -f fuzz/CMakeLists.txt ] && command -v clang++ >/dev/null 2>&1; then
  step "Fuzz build (clang, libFuzzer, sanitizers)"
  cmake -S . -B build-ci/fuzz "${COMMON_ARGS[@]}" -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_COMPILER=clang++ -DBRINDLE_FUZZ=ON -DBRINDLE_SANITIZE=ON -DBRINDLE_GUI=OFF \
    -DBRINDLE_BENCH=OFF -DBUILD_TESTING=OFF
  cmake --build build-ci/fuzz -j"$JOBS" --target brindle_fuzz
  for target in build-ci/fuzz/fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    name=$(basename "$target")
    step "Fuzzing $name for ${FUZZ_SECONDS}s"
    corpus=build-ci/fuzz/corpus/$name
    mkdir -p "$corpus"
    "$target" -max_total_time="$FUZZ_SECONDS" -print_final_stats=1 -rss_limit_mb=1024 \
      "$corpus" "fuzz/corpus/${name#fuzz_}"
  done
else
  step "Fuzzing skipped (needs clang and the fuzz folder)"
fi

if [ "${BRINDLE_WINDOWS:-on}" != off ]; then
  # The Windows scripts install the packages they need (as root) and reuse the libraries
  # cached outside the work tree; the Linux rookery-dev built above serves their sync tests.
  export BRINDLE_HOST_ROOKERY=$PWD/build-ci/normal/devservice/rookery-dev
  step "Windows build (mingw-w64)"
  bash scripts/windows/build.sh build-ci/windows
  step "Windows tests (Wine)"
  bash scripts/windows/test.sh build-ci/windows
else
  step "Windows stage skipped (BRINDLE_WINDOWS=off)"
fi

end_stage
printf '\n==== All tests passed; the stages that ran, with their wall times ====\n'
printf '  %s\n' "${stages[@]}"
echo "  total: $SECONDS s"
