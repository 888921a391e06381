#!/usr/bin/env bash
# Times `leafwright-cli convert` as a user runs it (the whole process):
#   1. one 50 MB text file, paginated (the start-up settings), on two threads
#      (-j 2) and on one (-j 1), beside a plain cp of the file;
#   2. the same file on one self-adapting page (a configuration with line 12 TRUE),
#      on two threads and on one;
#   3. 1,000 files of 2 KB in one call;
#   4. with LONG_LINE=1, one run each of both layouts on a single line of
#      1 GB: peak memory must stay under 64 MB, however long a line is.
# Each case runs RUNS times (default 5); the median elapsed time and the
# largest peak resident memory are reported. Targets on a 2-core machine:
# at least 200 MB/s on the large file, the 1,000 files in under 1 s, peak
# memory under 3 times the input.
#
# Usage: bench/convert_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/, release preset);
#                         leafwright-cli is built there when it is missing
#   RUNS                  runs per case (default 5)
#   LONG_LINE             1 to add case 4 (needs 2 GB of free disk)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-5}
CLI=$BUILD_DIR/bin/leafwright-cli
LARGE_BYTES=50000000
SMALL_COUNT=1000
SMALL_BYTES=2048

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
if [ ! -x /usr/bin/time ]; then
  echo "convert_bench.sh needs /usr/bin/time (Debian package 'time')." >&2
  exit 2
fi

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

echo "Generating input in $WORK ..." >&2
mkdir -p "$WORK/large" "$WORK/small"
generate_text "$LARGE_BYTES" "$WORK/large/big.txt"
generate_text "$SMALL_BYTES" "$WORK/template.txt" 7
for i in $(seq -w 1 "$SMALL_COUNT"); do cp "$WORK/template.txt" "$WORK/small/file$i.txt"; done
printf '%s\r\n' "A4  [595,842]" "Times-Roman" "14" "Black" "White" "0" "36" "36" \
  "FALSE" "FALSE" "Default Path" "TRUE" >"$WORK/adapt.tcf"

large_size=$(stat -c %s "$WORK/large/big.txt")
small_size=$(cat "$WORK"/small/*.txt | wc -c)

# run_case NAME INPUT_BYTES FOLDER CLI-ARGUMENTS... : prints one result line.
# Elapsed time is what the targets are about; the CPU time (user + system)
# is shown beside it because it barely changes when other work shares the
# machine.
# COMMAND is leafwright-cli convert unless set.
run_case() {
  local name=$1 input=$2 folder=$3
  shift 3
  local times=() cpus=() peak=0
  for ((run = 1; run <= RUNS; run++)); do
    rm -f "$folder"/*.pdf "$folder"/*.copy
    local start=$EPOCHREALTIME
    /usr/bin/time -o "$WORK/time.out" -f '%U %S %M' ${COMMAND:-"$CLI" convert} "$@" >/dev/null
    local end=$EPOCHREALTIME
    read -r user system kilobytes <"$WORK/time.out"
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')
    times+=("$seconds")
    cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')")
    if ((kilobytes > peak)); then peak=$kilobytes; fi
  done
  local elapsed cpu
  elapsed=$(printf '%s\n' "${times[@]}" | median)
  cpu=$(printf '%s\n' "${cpus[@]}" | median)
  awk -v name="$name" -v t="$elapsed" -v c="$cpu" -v bytes="$input" -v kb="$peak" \
    -v all="${times[*]}" 'BEGIN {
    mb = bytes / 1e6
    rate = (t > 0) ? sprintf("%.0f MB/s", mb / t) : "(too fast)"
    printf "%-26s elapsed %5.2f s (%s)  cpu %5.2f s  peak RSS %5.1f MB (%.2f x input)  runs: %s\n",
           name, t, rate, c, kb / 1024, kb * 1024 / bytes, all
  }'
}

echo "leafwright-cli convert, $RUNS runs each, $(nproc 2>/dev/null || echo '?') cores ($CLI)"
run_case "50 MB paginated, -j 2" "$large_size" "$WORK/large" -j 2 "$WORK/large/big.txt"
run_case "50 MB paginated, -j 1" "$large_size" "$WORK/large" -j 1 "$WORK/large/big.txt"
COMMAND=cp run_case "50 MB cp" "$large_size" "$WORK/large" \
  "$WORK/large/big.txt" "$WORK/large/big.copy"
run_case "50 MB self-adapting, -j 2" "$large_size" "$WORK/large" \
  -j 2 --config "$WORK/adapt.tcf" "$WORK/large/big.txt"
run_case "50 MB self-adapting, -j 1" "$large_size" "$WORK/large" \
  -j 1 --config "$WORK/adapt.tcf" "$WORK/large/big.txt"
run_case "1,000 files, -j 1" "$small_size" "$WORK/small" -j 1 "$WORK"/small/*.txt
run_case "1,000 files, -j 2" "$small_size" "$WORK/small" -j 2 "$WORK"/small/*.txt
if [ "${LONG_LINE:-0}" = 1 ]; then
  mkdir -p "$WORK/line"
  generate_long_line 1000000000 "$WORK/line/line.txt"
  RUNS=1 run_case "1 GB line paginated" 1000000000 "$WORK/line" "$WORK/line/line.txt"
  RUNS=1 run_case "1 GB line self-adapting" 1000000000 "$WORK/line" \
    --config "$WORK/adapt.tcf" "$WORK/line/line.txt"
fi
