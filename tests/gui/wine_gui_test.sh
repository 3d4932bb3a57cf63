#!/usr/bin/env bash
# Runs a cross-built QtTest program under Wine on Qt's offscreen platform, optionally with a
# Linux rookery-dev of its own:
#   wine_gui_test.sh --wine WINE --program EXE --function NAME|ALL [--env NAME=VALUE]...
#                    [--rookery PATH [ARGS...]]
#   wine_gui_test.sh --wine WINE --program EXE --functions-are "NAME;NAME;..."
# The second form checks that the program's test functions are exactly those named (each one
# is run by a ctest test of its own, which must not miss a new one).
# A Windows program under Wine can start a Linux program but can neither read its output nor
# stop it, so the service is started here, on free loopback ports, and handed to the test in
# BRINDLE_ROOKERY_WEB, _FTP, _DATA and _ARGS (the arguments it was started with, which the test
# compares with its own); BRINDLE_REFUSED_HOST names a loopback port where nothing listens.
# Wine passes no QT_* variables to the program, and QtTest writes to the debugger output there,
# hence -platform offscreen and the result file; a test that needs a QT_* setting (--env) gets
# it as BRINDLE_SET_QT_..., and the offscreen platform, which finds no fonts of its own on
# Windows, gets Wine's (Tahoma and the rest) and DejaVu, so that texts are measured in fonts
# the desktop draws with.
set -euo pipefail
shopt -s inherit_errexit

wine=/usr/lib/wine/wine64 program='' function=ALL rookery='' expected=''
while [ $# -gt 0 ]; do
  case $1 in
    --wine) wine=$2; shift 2 ;;
    --program) program=$2; shift 2 ;;
    --function) function=$2; shift 2 ;;
    --functions-are) expected=$2; shift 2 ;;
    --env) export "BRINDLE_SET_${2?}"; shift 2 ;;
    --rookery) rookery=$2; shift 2; break ;;
    *) echo "wine_gui_test.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
service_args=("$@")
[ -n "$program" ] || { echo "wine_gui_test.sh: give --program" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/brindle-wine-gui-XXXXXX")
service_pid=
# shellcheck disable=SC2317  # called by the EXIT trap
finish() {
  if [ -n "$service_pid" ]; then
    kill -TERM "$service_pid" 2>/dev/null || true
    wait "$service_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap finish EXIT

windows_path() { local p=$1; printf 'Z:%s' "${p//\//\\}"; }

free_port() {
  /usr/bin/python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

if [ -n "$expected" ]; then
  { "$wine" "$program" -functions </dev/null 2>/dev/null || echo "(the program failed)"; } |
    tr -d '\r' | sed 's/()$//' | sort >"$work/has"
  tr ';' '\n' <<<"$expected" | sort >"$work/expected"
  if ! diff -u "$work/expected" "$work/has"; then
    echo "the test functions of $program (+) differ from those ctest runs (-)" >&2
    exit 1
  fi
  exit 0
fi

if [ -n "$rookery" ]; then
  mkdir -m 700 "$work/rookery"
  "$rookery" --data-dir "$work/rookery" "${service_args[@]}" >"$work/rookery.log" 2>&1 &
  service_pid=$!
  ports=
  for _ in $(seq 100); do
    ports=$(sed -n 's/.*web 127\.0\.0\.1:\([0-9]*\) ftp 127\.0\.0\.1:\([0-9]*\).*/\1 \2/p' "$work/rookery.log")
    [ -n "$ports" ] && break
    kill -0 "$service_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$ports" ]; then
    echo "rookery-dev did not report its ports:" >&2
    cat "$work/rookery.log" >&2
    exit 1
  fi
  read -r web ftp <<<"$ports"
  export BRINDLE_ROOKERY_WEB=127.0.0.1:$web BRINDLE_ROOKERY_FTP=127.0.0.1:$ftp
  export BRINDLE_ROOKERY_DATA; BRINDLE_ROOKERY_DATA=$(windows_path "$work/rookery")
  export BRINDLE_ROOKERY_ARGS="${service_args[*]}"
fi
export BRINDLE_REFUSED_HOST; BRINDLE_REFUSED_HOST=127.0.0.1:$(free_port)
# The fonts the offscreen platform measures with: Wine's own, and DejaVu, which Wine's desktop
# also offers from the system.
mkdir "$work/fonts"
cp /usr/share/wine/fonts/*.ttf /usr/share/fonts/truetype/dejavu/*.ttf "$work/fonts/" 2>/dev/null || true
export BRINDLE_SET_QT_QPA_FONTDIR; BRINDLE_SET_QT_QPA_FONTDIR=$(windows_path "$work/fonts")

selection=()
[ "$function" = ALL ] || selection=("$function")
status=0
"$wine" "$program" -platform offscreen -o "$(windows_path "$work/result.txt"),txt" \
  "${selection[@]}" </dev/null >"$work/wine.log" 2>&1 || status=$?
cat "$work/result.txt" 2>/dev/null || { echo "no test result; Wine said:" >&2; cat "$work/wine.log" >&2; }
if [ "$status" -ne 0 ] && [ -n "$rookery" ]; then
  echo "---- rookery-dev" && cat "$work/rookery.log"
fi
exit "$status"
