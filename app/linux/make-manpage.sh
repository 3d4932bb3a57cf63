#!/usr/bin/env bash
# Writes the manual page of brindle-cli, gzipped, from its own --help texts: the overview from
# `brindle-cli --help` (help2man), then each command's `brindle-cli COMMAND --help` as it is.
# Usage: make-manpage.sh CLI VERSION OUT.gz
set -euo pipefail
shopt -s inherit_errexit
cli=$1 version=$2 out=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The commands are the indented words under "Commands:" in the overview.
mapfile -t commands < <("$cli" --help | sed -n 's/^  \([a-z][a-z-]*\)\( .*\)\{0,1\}$/\1/p')
[ ${#commands[@]} -gt 0 ] || { echo "make-manpage.sh: $cli --help lists no commands" >&2; exit 1; }
# Each help text goes in as preformatted roff: backslashes and leading dots or quotes escaped.
{
  echo '[COMMANDS]'
  for command in "${commands[@]}"; do
    echo ".SS \"brindle-cli $command\""
    echo '.nf'
    "$cli" "$command" --help | sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"
    echo '.fi'
  done
  cat <<'ROFF'
[FILES]
An installed brindle-cli keeps Brindle.conf, tmp, backups and Brindle.log in
.I ~/.local/share/brindle
.RI ( $XDG_DATA_HOME/brindle ),
unless \-\-program\-folder names another folder.
[SEE ALSO]
.BR brindle (1)
ROFF
} >"$work/commands.h2m"
help2man --no-info --section=1 --source=Brindle --version-string="$version" \
  --name="work with a Palm Desktop 4.1.4 address.dat from the command line" \
  --include="$work/commands.h2m" --output="$work/brindle-cli.1" "$cli"
gzip -9n -c "$work/brindle-cli.1" >"$out"
