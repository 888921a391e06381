#!/usr/bin/env bash
# Time of replacing 1,000 PDFs of 2 KB sources in one call (--force), for one
# or more builds of leafwright-cli, in alternating runs so that a busy
# machine weighs on each alike. A replaced file is flushed to disk before it
# takes the old one's place; this shows what that costs.
#   bench/replace_bench.sh [--runs N] [CLI...]   (default: build/bin/leafwright-cli)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$ROOT/bench/lib.sh"
RUNS=5
if [ "${1:-}" = --runs ]; then RUNS=$2; shift 2; fi
[ $# -gt 0 ] || set -- "$ROOT/build/bin/leafwright-cli"

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
generate_text 2048 "$WORK/template.txt"
mkdir "$WORK/small"
for i in $(seq -w 1 1000); do cp "$WORK/template.txt" "$WORK/small/file$i.txt"; done
"$1" convert "$WORK"/small/*.txt >/dev/null

declare -A times
for run in $(seq "$RUNS"); do
  for cli in "$@"; do
    t=$(time_once "$WORK/time" "exec '$cli' convert --force '$WORK'/small/*.txt" | cut -d' ' -f1)
    times[$cli]="${times[$cli]:-} $t"
  done
done
for cli in "$@"; do
  printf '%s: median %s s of %s runs (%s)\n' "$cli" \
    "$(echo "${times[$cli]}" | tr ' ' '\n' | sed '/^$/d' | median)" "$RUNS" "${times[$cli]# }"
done
