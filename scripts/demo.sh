#!/usr/bin/env bash
# The main job, end to end on this machine:
#   1. installs the Debian packages that are missing (when run as root; otherwise it says which);
#   2. builds brindle-cli and the local Rookery service, rookery-dev;
#   3. starts rookery-dev on free loopback ports (HTTP pages, FTP account, SQLite database);
#   4. makes a realistic sample address.dat and shows its categories;
#   5. runs a full `brindle-cli sync` of two categories, showing each status line;
#   6. prints what changed: every synced record now carries the service's id;
#   7. stops the service.
# Everything the run makes goes to out/demo/ (emptied first). BUILD_DIR (default build-demo)
# and JOBS (default 2) can be set from outside.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."
source scripts/packages.sh
brindle_ensure_packages

BUILD_DIR=${BUILD_DIR:-build-demo}
JOBS=${JOBS:-2}
COMMON_ARGS=()
command -v ninja >/dev/null 2>&1 && COMMON_ARGS=(-G Ninja)
brindle_use_compiler_cache

step() { printf '\n==== %s ====\n' "$*"; }

step "Building brindle-cli and rookery-dev"
cmake -S . -B "$BUILD_DIR" "${COMMON_ARGS[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRINDLE_GUI=OFF -DBRINDLE_BENCH=OFF >/dev/null
cmake --build "$BUILD_DIR" -j"$JOBS" --target brindle-cli rookery-dev
CLI=$BUILD_DIR/app/cli/brindle-cli
ROOKERY=$BUILD_DIR/devservice/rookery-dev

WORK=$PWD/out/demo
rm -rf "$WORK"
mkdir -p "$WORK/prog"

step "Starting the local Rookery service"
"$ROOKERY" --delay 1500 >"$WORK/rookery.out" 2>"$WORK/rookery.log" </dev/null &
ROOKERY_PID=$!
stop_service() {
  kill "$ROOKERY_PID" 2>/dev/null || true
  wait "$ROOKERY_PID" 2>/dev/null || true
}
trap stop_service EXIT
for _ in $(seq 100); do
  [ -s "$WORK/rookery.out" ] && break
  sleep 0.1
done
read -r _ WEB _ FTP <"$WORK/rookery.out" || { cat "$WORK/rookery.log" >&2; exit 1; }
echo "rookery-dev (pid $ROOKERY_PID): web $WEB, ftp $FTP, demo account demo/demo"

step "Sample address.dat"
DAT=$WORK/address.dat
"$CLI" sample "$DAT" --records 40
echo "\$ brindle-cli info address.dat"
"$CLI" info "$DAT"
"$CLI" export "$DAT" --categories "1 2" --output "$WORK/before.csv" >/dev/null

step "brindle-cli sync of categories 1 and 2"
printf 'demo\n' >"$WORK/password"
chmod 600 "$WORK/password"
"$CLI" sync "$DAT" --categories "1 2" --user demo --password-file "$WORK/password" \
  --web-host "$WEB" --ftp-host "$FTP" --program-folder "$WORK/prog"

step "What changed: record id, name, service id (custom9) before -> after"
"$CLI" export "$DAT" --categories "1 2" --output "$WORK/after.csv" >/dev/null
# Column 1 is the record id, 2 the name, 28 custom9 (where the service's id goes). The
# file's texts are Windows-1252.
paste -d '\n' "$WORK/before.csv" "$WORK/after.csv" | awk -F'","' '
  NR % 2 == 1 { id = substr($1, 2); name = $2; old = $28; next }
  { printf "  record %-8s %-20s \"%s\" -> \"%s\"\n", id, name, old, $28 }' |
  iconv -f WINDOWS-1252 -t UTF-8
echo "Contacts stored by the service:"
/usr/bin/python3 - "http://$WEB/_dev/count" <<'PY'
import sys, urllib.request
opener = urllib.request.build_opener(urllib.request.ProxyHandler({}))  # loopback, no proxy
print("  " + opener.open(sys.argv[1]).read().decode().strip())
PY

step "Stopping the service"
stop_service
trap - EXIT
echo "Done. The files of this run are in out/demo/: address.dat (rewritten), the exports"
echo "before.csv and after.csv, and the service's log rookery.log."
