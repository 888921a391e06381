#!/usr/bin/env bash
# The window against leafwright-cli on 2,000 one-line files, side by side in
# one run (the runs interleaved, the median of each reported):
#   - new: no PDF exists yet (the window's run vs `leafwright-cli convert`);
#   - Yes to All: every PDF exists (the window answering Yes to All vs
#     `leafwright-cli convert --force`).
# The window's time is its run, from Convert to the end (bench/
# window_run_bench.cpp); the command line's is its whole process. A last
# watched run of the window says how far its progress text was behind the
# PDFs on disk and whether a list went blank.
#   bench/window_bench.sh [--runs N] [--files N]
#   LEAFWRIGHT_BUILD_DIR  build folder (default build/, built with
#                         -DLEAFWRIGHT_BUILD_BENCH=ON)
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
. "$ROOT/bench/lib.sh"
RUNS=7
FILES=2000
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --files) FILES=$2; shift 2 ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "window_bench.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done
CLI=$BUILD_DIR/bin/leafwright-cli
WINDOW=$BUILD_DIR/bin/window_run_bench
for program in "$CLI" "$WINDOW"; do
  [ -x "$program" ] || {
    echo "window_bench.sh: $program is missing: cmake -DLEAFWRIGHT_BUILD_BENCH=ON, then build" >&2
    exit 1
  }
done
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/files"
for i in $(seq -w 1 "$FILES"); do echo "line $i of a short note" >"$WORK/files/note$i.txt"; done
remove_pdfs() { find "$WORK/files" -name '*.pdf' -delete; }
seconds() {  # seconds COMMAND: the whole process, to the microsecond
  local start=$EPOCHREALTIME
  sh -c "$1" >/dev/null
  awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f\n", b - a }'
}

declare -A times
for _ in $(seq "$RUNS"); do
  sync
  remove_pdfs
  times[cli_new]+=" $(seconds "exec '$CLI' convert '$WORK'/files/*.txt")"
  remove_pdfs
  times[window_new]+=" $("$WINDOW" "$WORK/files")"
  sync
  times[cli_force]+=" $(seconds "exec '$CLI' convert --force '$WORK'/files/*.txt")"
  times[window_all]+=" $("$WINDOW" "$WORK/files" --yes-to-all)"
done
remove_pdfs
watched=$("$WINDOW" "$WORK/files" --watch | tail -n 1)

med() { echo "${times[$1]}" | tr ' ' '\n' | sed '/^$/d' | median; }
ratio() { awk -v a="$(med "$1")" -v b="$(med "$2")" 'BEGIN { printf "%.2f", a / b }'; }
printf '%s files of one line, %s interleaved runs, medians in seconds (%s cores)\n' \
  "$FILES" "$RUNS" "$(nproc)"
printf '  new:        window %s  leafwright-cli %s          window/cli %s\n' \
  "$(med window_new)" "$(med cli_new)" "$(ratio window_new cli_new)"
printf '  Yes to All: window %s  leafwright-cli --force %s  window/cli %s\n' \
  "$(med window_all)" "$(med cli_force)" "$(ratio window_all cli_force)"
printf '  watched run: %s\n' "$watched"
