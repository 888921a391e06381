#!/usr/bin/env bash
# Times `leafwright-cli convert` on a 50 MB text on fixed pages with default
# settings against the same text with a header, a footer (both with page
# numbers, the page count, the file name and the date) and every fifth line
# numbered, then every line, side by side with bench/side_by_side.py (interleaved runs,
# the ratio taken pair by pair). Goal: the furniture costs at most 10 %.
#
# Usage: bench/furniture_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   RUNS                  runs of each command (default 11)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-11}
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-furniture-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
generate_text 50000000 "$WORK/text.txt"

for every in 5 1; do
  echo "== header, footer, every ${every}th line numbered, against default settings"
  "$ROOT/bench/side_by_side.py" -n "$RUNS" --timeout 600 \
    --vs "$CLI convert --force -o $WORK/plain.pdf $WORK/text.txt" -- \
    "$CLI" convert --force -o "$WORK/furnished.pdf" \
    "--header={file}|{date}|{page}/{pages}" "--footer={path}||{page:03}" \
    "--line-numbers=$every" "$WORK/text.txt"
  ls -l "$WORK/plain.pdf" "$WORK/furnished.pdf"
done
