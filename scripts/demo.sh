#!/usr/bin/env bash
# The main job on a sample: makes a realistic address.dat, shows what brindle-cli info reads
# from it, and exports two of its categories, the way the export run writes them.
# Everything goes to out/demo/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/packages.sh
brindle_ensure_packages

GENERATOR=()
command -v ninja >/dev/null 2>&1 && GENERATOR=(-G Ninja)
cmake -S . -B build-demo "${GENERATOR[@]}" -DCMAKE_BUILD_TYPE=Release -DBRINDLE_GUI=OFF \
  >/dev/null
cmake --build build-demo -j"${JOBS:-2}" --target brindle-cli >/dev/null
CLI=$PWD/build-demo/app/cli/brindle-cli

OUT=out/demo
rm -rf "$OUT"
mkdir -p "$OUT"
cd "$OUT"

echo "\$ brindle-cli sample address.dat"
"$CLI" sample address.dat
echo
echo "\$ brindle-cli info address.dat"
"$CLI" info address.dat
echo
echo "\$ brindle-cli export address.dat --categories \"1 4\""
"$CLI" export address.dat --categories "1 4"
csv=$(ls -- *_csv.tmp)
echo
echo "First lines of $OUT/$csv (its bytes are Windows-1252, converted here for the terminal):"
head -n 3 "$csv" | iconv -f WINDOWS-1252 -t UTF-8
