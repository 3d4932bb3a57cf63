#!/usr/bin/env bash
# Checks every shell script in the tree (tracked or new, build folders aside):
#   - ShellCheck finds nothing in it (.shellcheckrc; a line that must differ says why);
#   - a script that stops at the first failure (set -e) also stops at one inside $(...), which
#     bash lets pass unless inherit_errexit follows set -e.
set -euo pipefail
shopt -s inherit_errexit
cd "$(dirname "$0")/.."

is_shell() {
  case $1 in *.sh | .ci/run) return 0 ;; esac
  head -n1 "$1" 2>/dev/null | grep -qE '^#!.*\b(ba)?sh\b'
}
scripts=()
while IFS= read -r f; do
  [ -f "$f" ] && is_shell "$f" && scripts+=("$f")
done < <(git ls-files --cached --others --exclude-standard 2>/dev/null ||
  find . -path './build*' -prune -o -type f -print | sed 's|^\./||')
[ ${#scripts[@]} -gt 0 ] || { echo "check-scripts.sh: found no shell scripts" >&2; exit 1; }

failed=0
shellcheck "${scripts[@]}" || failed=1
for f in "${scripts[@]}"; do
  # The line after the first `set -e...` must turn inherit_errexit on.
  if ! awk '/^set -[a-z]*e/ { seen = 1; getline; exit ($0 ~ /^shopt -s inherit_errexit/) ? 0 : 1 }
            END { if (!seen) exit 0 }' "$f"; then
    echo "$f: 'shopt -s inherit_errexit' must follow its 'set -e' line" >&2
    failed=1
  fi
done
[ "$failed" = 0 ] || exit 1
echo "${#scripts[@]} shell scripts checked: ShellCheck clean, inherit_errexit after every set -e"
