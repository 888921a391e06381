#!/usr/bin/env bash
# Peak memory and time of `leafwright-cli unspool` on a PDF whose content is
# one line of 256 MB (one literal string with escapes, inside one text
# object), and on the same content cut into 80-byte lines for comparison.
# Unspool reads lines in pieces, so the goal is a peak resident set under
# 64 MB whatever the line length.
#
# Usage: bench/unspool_memory_bench.sh [MEGABYTES]   (default 256)
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/); leafwright-cli
#                         is built there when it is missing
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
MEGABYTES=${1:-256}
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
if [ ! -x /usr/bin/time ]; then
  echo "unspool_memory_bench.sh needs /usr/bin/time (Debian package 'time')." >&2
  exit 2
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

bytes=$((MEGABYTES * 1024 * 1024))
content() {  # the string's text: words, escaped parentheses, a doubled backslash
  (set +o pipefail; yes 'word \(x\) \\ text ' | tr -d '\n' | head -c "$bytes")
}
echo "Generating a ${MEGABYTES} MB one-line PDF in $WORK ..." >&2
{
  printf '%%PDF-1.3\r\n1 0 obj << /Length 0 >>\r\nstream\r\nBT /F1 12 Tf ('
  content
  printf ") Tj ET\r\nendstream\r\nendobj\r\n%%%%EOF\r\n"
} >"$WORK/one-line.pdf"
{
  printf '%%PDF-1.3\r\n1 0 obj << /Length 0 >>\r\nstream\r\nBT /F1 12 Tf\r\n'
  content | fold -b -w 76 | sed 's/\\$/ /; s/^/(/; s/$/)'"'"'\r/'
  printf "ET\r\nendstream\r\nendobj\r\n%%%%EOF\r\n"
} >"$WORK/many-lines.pdf"

run() {  # run LABEL FILE
  /usr/bin/time -o "$WORK/time.out" -f '%e %M' "$CLI" unspool --force "$2" >/dev/null
  read -r seconds kilobytes <"$WORK/time.out"
  awk -v label="$1" -v t="$seconds" -v kb="$kilobytes" -v size="$(stat -c %s "$2")" 'BEGIN {
    rate = t > 0 ? size / 1048576 / t : 0
    goal = kb / 1024 < 64 ? "(goal under 64 MB: met)" : "(goal under 64 MB: NOT met)"
    printf("%-28s %6.1f MB in %5.2f s (%4.0f MB/s)  peak RSS %5.1f MB  %s\n", label, size / 1048576, t, rate, kb / 1024, goal)
  }'
}
echo "leafwright-cli unspool ($CLI)"
run "one line of ${MEGABYTES} MB" "$WORK/one-line.pdf"
run "the same in 80-byte lines" "$WORK/many-lines.pdf"
