#!/usr/bin/env bash
# The Debian package as its users meet it:
#   1. lintian finds no error in it;
#   2. as root: apt-get installs it; brindle-cli --help answers and the installed brindle shows
#      its warning window "Alert" (Qt's offscreen platform), keeping its files in root's data
#      folder, not in /usr/bin; apt-get removes it, and nothing it installed stays under /usr;
#   3. as another user (nobody; without root, this user): dpkg-deb -x unpacks it into a
#      folder of that user's, where the same two programs run and keep their files beside them.
# Usage: bash tests/package/deb_test.sh DEB
set -euo pipefail
shopt -s inherit_errexit
work=$(mktemp -d)
chmod 755 "$work"
DEB=$work/$(basename "$1")
install -m 644 "$1" "$DEB"
brindle_pid='' installed=''
cleanup() {
  if [ -n "$brindle_pid" ]; then kill "$brindle_pid" 2>/dev/null || true; fi
  if [ -n "$installed" ]; then apt-get remove --purge -y -q brindle >/dev/null 2>&1 || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "PACKAGE TEST FAILED: $*" >&2; exit 1; }
pass() { echo "ok: $*"; }

# run_programs BIN HOME [USER-SWITCH...]: brindle-cli --help, then brindle until its warning
# window is shown. Qt's accessibility log names each window as it is shown, with its caption.
run_programs() {
  local bin=$1 home=$2 log=$2/brindle.log
  shift 2
  local env=(env -i "HOME=$home" "XDG_RUNTIME_DIR=$home/run" PATH=/usr/bin:/bin)
  "$@" mkdir -m 700 "$home/run"
  "$@" "${env[@]}" "$bin/brindle-cli" --help | grep -q '^Usage: brindle-cli COMMAND' ||
    fail "$bin/brindle-cli --help printed no usage"
  "$@" "${env[@]}" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=qt.accessibility.cache.debug=true \
    "$bin/brindle" 2>"$log" &
  brindle_pid=$!
  for _ in $(seq 300); do
    grep 'name="Alert" role=Client' "$log" | grep -v invisible | grep -q 'name = "Form1"' && break
    kill -0 "$brindle_pid" 2>/dev/null || fail "$bin/brindle ended: $(tail -5 "$log")"
    sleep 0.1
  done
  kill "$brindle_pid" 2>/dev/null || true
  wait "$brindle_pid" || true
  brindle_pid=''
  grep 'name="Alert"' "$log" | grep -v invisible | grep -q 'name = "Form1"' ||
    fail "$bin/brindle did not show its warning window"
  pass "$bin/brindle-cli --help, and $bin/brindle showed \"Alert\""
}
# kept_in FOLDER: the program folder a first start of brindle made.
kept_in() {
  if [ ! -f "$1/Brindle.conf" ] || [ ! -d "$1/tmp" ]; then
    fail "brindle kept no Brindle.conf and tmp in $1"
  fi
  pass "brindle keeps its files in $1"
}

lintian --fail-on error "$DEB" || fail "lintian found errors in $(basename "$DEB")"
pass "lintian: no errors"

if [ "$(id -u)" -eq 0 ]; then
  if dpkg-query -W brindle >/dev/null 2>&1; then fail "brindle is installed already"; fi
  installed=yes
  apt-get install -y -q -o DPkg::Lock::Timeout=120 "$DEB" >"$work/apt.log" 2>&1 ||
    fail "apt-get install: $(tail -5 "$work/apt.log")"
  mapfile -t files < <(dpkg-query -L brindle | grep '^/usr/')
  pass "installed ${#files[@]} paths with apt-get"
  mkdir -m 700 "$work/root"
  run_programs /usr/bin "$work/root"
  kept_in "$work/root/.local/share/brindle"
  if [ -e /usr/bin/Brindle.conf ] || [ -e /usr/bin/tmp ]; then fail "brindle wrote into /usr/bin"; fi
  apt-get remove --purge -y -q -o DPkg::Lock::Timeout=120 brindle >"$work/apt.log" 2>&1 ||
    fail "apt-get remove: $(tail -5 "$work/apt.log")"
  installed=''
  # A folder may stay when another package has files in it; nothing else may.
  for path in "${files[@]}"; do
    if [ -L "$path" ] || [ -f "$path" ]; then fail "$path is left after the removal"; fi
    if [ -d "$path" ] && ! dpkg-query -S "$path" >/dev/null 2>&1; then
      fail "the folder $path is left after the removal, and no other package owns it"
    fi
  done
  pass "removed: nothing of the package is left under /usr"
  as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  echo "skipped: installing with apt-get needs root"
  as=()
fi

unpacked=$work/unpacked
mkdir -m 700 "$unpacked" "$work/home"
[ ${#as[@]} -eq 0 ] || chown nobody:nogroup "$unpacked" "$work/home"
"${as[@]}" dpkg-deb -x "$DEB" "$unpacked"
run_programs "$unpacked/usr/bin" "$work/home" "${as[@]}"
kept_in "$unpacked/usr/bin"
