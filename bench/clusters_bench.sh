#!/usr/bin/env bash
# Times `leafwright-cli convert` on texts in which every shaped cluster is
# different: a Latin letter with three combining marks, each combination
# once, ten clusters a line. Every cluster is a code of its own in the
# embedded fonts, and the text maps written after the pages name each one,
# so time and memory grow with the distinct clusters: the goal is time
# linear in the text and peak memory at most 64 MB plus twice the bytes of
# the distinct clusters' text. Run for 1, 8 and 32 MB of such text, and for
# the 50 MB text of bench/run.sh (plain ASCII, which must not change).
#
# Each case runs RUNS times; with PEER_CLI (another build's leafwright-cli,
# for example main's), that build runs in turn with it, A B A B, on the
# sizes up to PEER_MAX_MB (the old builds grow far faster than linearly).
# Reported: the median elapsed seconds, the largest peak resident memory
# (/usr/bin/time %M), and the bound for the case. Both builds' PDFs are
# compared with cmp. The machine is shared: figures are noisy.
#
# Usage: bench/clusters_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   PEER_CLI              a second leafwright-cli to run side by side
#   PEER_MAX_MB           largest size the peer runs (default 8)
#   RUNS                  runs per case and build (default 3)
#   SIZES_MB              sizes of the cluster texts (default "1 8 32")
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-3}
PEER_CLI=${PEER_CLI:-}
PEER_MAX_MB=${PEER_MAX_MB:-8}
SIZES_MB=${SIZES_MB:-1 8 32}
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-clusters-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# BYTES of clusters, every one different: letter n % 26 with the marks
# U+0300 + the base-112 digits of n / 26, cut back to the last whole line.
generate_clusters() {  # generate_clusters BYTES FILE
  python3 - "$1" <<'EOF' >"$2.whole"
import sys
limit, written, n = int(sys.argv[1]), 0, 0
out = sys.stdout.buffer
while written <= limit:
    clusters = []
    for n in range(n, n + 10):
        rest = n // 26
        marks = ''.join(chr(0x300 + (rest // 112 ** k) % 112) for k in range(3))
        clusters.append(chr(ord('a') + n % 26) + marks)
    n += 1
    written += out.write((' '.join(clusters) + '\n').encode())
EOF
  text_slice "$1" "$2.whole" "$2"
  rm -f "$2.whole"
}

echo "Generating input in $WORK ..." >&2
for mb in $SIZES_MB; do generate_clusters $((mb * 1000000)) "$WORK/clusters-$mb.txt"; done
generate_text 50000000 "$WORK/text-50.txt"

# Prints "seconds peak-KB" of one conversion into folder OUT.
convert_once() {  # convert_once CLI SOURCE OUT
  mkdir -p "$3"
  rm -f "$3"/*.pdf
  /usr/bin/time -o "$WORK/time.out" -f '%e %M' "$1" convert --output-dir "$3" "$2" >/dev/null
  cat "$WORK/time.out"
}

printf '%-24s %-6s %9s %9s %11s %s\n' "case" "build" "elapsed" "peak" "bound" "same PDF"
run_case() {  # run_case NAME SOURCE BOUND_MB WITH_PEER
  local name=$1 source=$2 bound=$3 with_peer=$4 builds=(this) build
  [ "$with_peer" = 1 ] && builds+=(peer)
  declare -A times peaks
  for build in "${builds[@]}"; do times[$build]=""; peaks[$build]=0; done
  for ((run = 1; run <= RUNS; run++)); do
    for build in "${builds[@]}"; do
      local cli=$CLI
      [ "$build" = peer ] && cli=$PEER_CLI
      read -r seconds kilobytes < <(convert_once "$cli" "$source" "$WORK/$build")
      times[$build]+="$seconds "
      ((kilobytes > peaks[$build])) && peaks[$build]=$kilobytes
    done
  done
  local pdf same=-
  pdf=$(basename "${source%.txt}").pdf
  [ "$with_peer" = 1 ] && { cmp -s "$WORK/this/$pdf" "$WORK/peer/$pdf" && same=yes || same=no; }
  for build in "${builds[@]}"; do
    printf '%-24s %-6s %8ss %6d MB %8s MB %s\n' "$name" "$build" \
      "$(printf '%s\n' ${times[$build]} | median)" $((peaks[$build] / 1024)) "$bound" "$same"
  done
}

for mb in $SIZES_MB; do
  source=$WORK/clusters-$mb.txt
  # The clusters' text is the whole source but its spaces and line ends.
  text_bytes=$(tr -d ' \n' <"$source" | wc -c)
  bound=$((64 + 2 * text_bytes / 1048576))
  with_peer=0
  [ -n "$PEER_CLI" ] && [ "$mb" -le "$PEER_MAX_MB" ] && with_peer=1
  run_case "$mb MB distinct clusters" "$source" "$bound" "$with_peer"
done
run_case "50 MB text" "$WORK/text-50.txt" 64 "$([ -n "$PEER_CLI" ] && echo 1 || echo 0)"
