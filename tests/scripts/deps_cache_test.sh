#!/usr/bin/env bash
# Tests of the Windows library cache (scripts/windows/deps.sh) that build nothing: apt, cmake,
# dpkg-query and the mingw compiler are stubs on the PATH, each case's cache is a temporary
# folder, and the script runs from a copy of the tree so that a case can edit its builders.
# The stub cmake fails at the step named in STUB_FAILS and otherwise installs the files the
# Windows build takes from either library.
set -euo pipefail
shopt -s inherit_errexit
source_root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-deps-test-XXXXXX")
trap 'rm -rf "$work"' EXIT

tree=$work/tree stubs=$work/bin
mkdir -p "$tree/scripts/windows" "$tree/cmake" "$stubs"
cp "$source_root/scripts/packages.sh" "$tree/scripts/"
cp "$source_root/scripts/windows/common.sh" "$source_root/scripts/windows/deps.sh" "$tree/scripts/windows/"
cp "$source_root/cmake/mingw-w64.cmake" "$tree/cmake/"
deps=$tree/scripts/windows/deps.sh
pristine=$work/deps.sh.orig
cp "$deps" "$pristine"

cat >"$stubs/apt-get" <<'STUB'
#!/usr/bin/env bash
words=()
while [ $# -gt 0 ]; do
  case $1 in -o) shift 2 ;; -q) shift ;; *) words+=("$1"); shift ;; esac
done
version=${STUB_VERSION:-1.0-1}
case "${words[0]} ${words[1]:-}" in
  "update "*) exit 0 ;;
  "source --print-uris") echo "'http://stub/${words[2]}.dsc' ${words[2]}_$version.dsc 100 SHA256:0" ;;
  "source "*)
    mkdir -p "${words[1]}-1.0/LICENSES"
    touch "${words[1]}-1.0/COPYING" "${words[1]}-1.0/LICENSES/LGPL-3.0-only.txt" \
      "${words[1]}-1.0/LICENSES/GPL-3.0-only.txt"
    echo "Version: $version" >"${words[1]}_$version.dsc" ;;
  *) echo "stub apt-get: unexpected $*" >&2; exit 1 ;;
esac
STUB
cat >"$stubs/cmake" <<'STUB'
#!/usr/bin/env bash
case $1 in
  -S) step=configure build=$4
    echo "configure $(basename "$2")" >>"$STUB_CALLS"
    mkdir -p "$build"
    for a in "$@"; do case $a in -DCMAKE_INSTALL_PREFIX=*) echo "${a#*=}" >"$build/prefix" ;; esac; done ;;
  --build) step=build; sleep "${STUB_BUILD_SECONDS:-0}" ;;
  --install) step=install prefix=$(cat "$2/prefix") ;;
esac
[ "${STUB_FAILS:-}" != "$step" ] || { echo "stub cmake: the $step step failed here"; exit 1; }
if [ "$step" = install ]; then
  for f in lib/libcurl.a include/curl/curl.h lib/cmake/CURL/CURLConfig.cmake bin/Qt6Core.dll \
    bin/Qt6Gui.dll bin/Qt6Widgets.dll bin/Qt6Test.dll plugins/platforms/qwindows.dll \
    plugins/platforms/qoffscreen.dll plugins/styles/qwindowsvistastyle.dll \
    lib/cmake/Qt6/Qt6Config.cmake lib/cmake/Qt6Widgets/Qt6WidgetsConfig.cmake \
    lib/cmake/Qt6Test/Qt6TestConfig.cmake; do
    mkdir -p "$prefix/$(dirname "$f")" && touch "$prefix/$f"
  done
fi
STUB
# shellcheck disable=SC2016  # expanded by the stub when it runs
printf '#!/bin/sh\necho "${STUB_MINGW_VERSION:-12-posix}"\n' >"$stubs/x86_64-w64-mingw32-g++-posix"
printf '#!/bin/sh\necho "install ok installed"\n' >"$stubs/dpkg-query"
chmod +x "$stubs"/*

cache=$work/cache
export STUB_CALLS=$work/calls
out=$work/out
# The helpers and cases, run by name from the loop at the end.
# shellcheck disable=SC2317  # shellcheck cannot see calls made by name
{
# deps [VAR=value...]: runs deps.sh on the case's cache; its status in $status, its output
# (stdout then stderr) in $out.
deps() {
  status=0
  env PATH="$stubs:$PATH" BRINDLE_WIN_CACHE="$cache" "$@" bash "$deps" >"$out" 2>"$out.err" || status=$?
  cat "$out.err" >>"$out"
}
fresh() { rm -rf "$cache" "$STUB_CALLS"; cp "$pristine" "$deps"; : >"$STUB_CALLS"; }
built() { grep -c "^configure $1" "$STUB_CALLS" || true; }
folders() { find "$cache" -mindepth 1 -maxdepth 1 -name "$1-*" | wc -l; }
# expect <what> <command...>: ends the case when the command fails. Cases run in a subshell
# where set -e does not hold, hence the exit.
expect() {
  local what=$1
  shift
  "$@" && return 0
  echo "  expected $what; deps.sh said:"
  sed 's/^/  | /' "$out"
  exit 1
}
is() { [ "$1" = "$2" ]; }
edit_builder() {  # edit_builder <sed expression>: changes the copy of deps.sh
  sed -i "$1" "$deps"
  ! cmp -s "$deps" "$pristine" || { echo "  the edit changed nothing"; exit 1; }
}

case_failing_step_keeps_nothing() {
  deps STUB_FAILS=build
  expect "a non-zero status" [ "$status" -ne 0 ]
  expect "the failing step's log lines" grep -q "stub cmake: the build step failed here" "$out"
  expect "the step named" grep -qF 'failed at "building curl"' "$out"
  expect "no .complete" is "$(find "$cache" -name .complete)" ""
  expect "no partial prefix" is "$(folders curl)" 0
  expect "no build tree" [ ! -e "$cache/src/curl" ]
  expect "the full log kept" grep -q "stub cmake: the build step failed here" "$cache"/logs/curl-*.log
}
case_clean_cache_builds_both() {
  deps
  expect "status 0" is "$status" 0
  expect "the two prefixes on the last line" \
    grep -qE "^$cache/curl-1.0-1-[0-9a-f]{12};$cache/qt-1.0-1-[0-9a-f]{12}\$" "$out"
  expect "curl built once" is "$(built curl)" 1
  expect "Qt built once" is "$(built qt6-base)" 1
  expect "both marked complete" is "$(find "$cache" -name .complete | wc -l)" 2
}
case_warm_cache_builds_nothing() {
  deps && : >"$STUB_CALLS" && deps
  expect "status 0" is "$status" 0
  expect "no build" [ ! -s "$STUB_CALLS" ]
}
case_complete_prefix_missing_a_file_is_rebuilt() {
  deps && rm "$cache"/qt-*/plugins/platforms/qwindows.dll && : >"$STUB_CALLS"
  deps STUB_FAILS=configure
  expect "the missing file named" \
    grep -qE "rebuilding qt 1.0-1: .*/plugins/platforms/qwindows.dll missing" "$out"
  expect "the rebuild's failure reported" [ "$status" -ne 0 ]
  expect "the broken prefix not kept" is "$(folders qt)" 0
  expect "curl not rebuilt" is "$(built curl)" 0
  deps
  expect "rebuilt on the next run" is "$status" 0
  expect "with the file" [ -f "$(echo "$cache"/qt-*/plugins/platforms/qwindows.dll)" ]
}
case_comment_in_builder_rebuilds_nothing() {
  deps && : >"$STUB_CALLS"
  edit_builder '/^build_qt() {/a\  # a comment changes nothing that is built'
  deps
  expect "status 0" is "$status" 0
  expect "no build" [ ! -s "$STUB_CALLS" ]
}
case_changed_curl_builder_rebuilds_curl_alone() {
  deps && : >"$STUB_CALLS"
  edit_builder 's/-DENABLE_MANUAL=OFF/-DENABLE_MANUAL=OFF -DCURL_DISABLE_COOKIES=ON/'
  deps
  expect "status 0" is "$status" 0
  expect "curl rebuilt" is "$(built curl)" 1
  expect "Qt not rebuilt" is "$(built qt6-base)" 0
  expect "the old curl folder removed" is "$(folders curl)" 1
}
case_new_compiler_or_source_rebuilds_both() {
  local change
  for change in STUB_MINGW_VERSION=13-posix STUB_VERSION=1.0-2; do
    fresh && deps && : >"$STUB_CALLS"
    deps "$change"
    expect "curl rebuilt after $change" is "$(built curl)" 1
    expect "Qt rebuilt after $change" is "$(built qt6-base)" 1
    expect "one curl folder" is "$(folders curl)" 1
    expect "one Qt folder" is "$(folders qt)" 1
  done
}
case_two_runs_at_once_build_once() {
  local a=0 b=0
  env PATH="$stubs:$PATH" BRINDLE_WIN_CACHE="$cache" STUB_BUILD_SECONDS=1 bash "$deps" >"$work/a" 2>&1 &
  local first=$!
  sleep 0.3
  env PATH="$stubs:$PATH" BRINDLE_WIN_CACHE="$cache" bash "$deps" >"$out" 2>&1 || b=$?
  wait "$first" || a=$?
  expect "the first run to succeed" is "$a" 0
  expect "the second run to succeed" is "$b" 0
  expect "the second to wait" grep -q "waiting for it to finish" "$out"
  expect "curl built once" is "$(built curl)" 1
  expect "Qt built once" is "$(built qt6-base)" 1
}
}

failed=0
for name in $(declare -F | awk '$3 ~ /^case_/ {print $3}'); do
  fresh
  if ("$name"); then echo "ok   ${name#case_}"; else echo "FAIL ${name#case_}"; failed=1; fi
done
exit $failed
