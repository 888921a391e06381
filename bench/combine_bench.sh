#!/usr/bin/env bash
# Times `leafwright-cli convert --combine` of many small files into one PDF:
# 1,000 files of 2 KB (goal: under 0.5 s) and 10,000 (goal: peak resident
# memory under 64 MB apart from the outline and the cross-reference
# offsets, which grow by about 50 bytes a file). Also times converting the
# same 1,000 files one PDF each with -j 1, the yardstick of what the work of
# reading and laying out costs. The 10,000-file run is checked with qpdf
# and its page count with pdfinfo. Last, 10,000 files of Cyrillic lines,
# drawn with embedded fonts shared by all of them.
#
# Reported: the median elapsed seconds of RUNS runs and the largest peak
# resident memory (/usr/bin/time %M). The machine is shared: figures are
# noisy; bench/side_by_side.py gives side-by-side figures where it is installed.
#
# Usage: bench/combine_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   RUNS                  runs per case (default 5)
#   COUNTS                file counts (default "1000 10000")
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-5}
COUNTS=${COUNTS:-1000 10000}
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-combine-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# COUNT files of 2 KB of prose, each of its own words, named in LIST.
make_files() {  # make_files COUNT FOLDER
  mkdir -p "$2"
  generate_text 2048 "$2/seed.txt" 7
  for ((k = 0; k < $1; ++k)); do
    printf '%05d ' "$k" | cat - "$2/seed.txt" | head -c 2048 >"$2/file$k.txt"
  done
  rm "$2/seed.txt"
  (cd "$2" && ls file*.txt | sort -V) >"$2.list"
}

# One case: the median elapsed seconds and the largest peak.
measure() {  # measure LABEL COMMAND
  local times=() peak=0 line
  for ((run = 0; run < RUNS; ++run)); do
    line=$(time_once "$WORK/time" "$2")
    times+=("$(echo "$line" | awk '{ print $1 }')")
    peak=$(echo "$line" $peak | awk '{ print ($4 > $5) ? $4 : $5 }')
  done
  printf '%-44s %8s s  %8s KB peak\n' "$1" "$(printf '%s\n' "${times[@]}" | median)" "$peak"
}

echo "leafwright-cli: $CLI; $RUNS runs a case; $(nproc) CPUs"
for count in $COUNTS; do
  folder=$WORK/files$count
  make_files "$count" "$folder"
  measure "--combine, $count files of 2 KB" \
    "cd '$folder' && '$CLI' convert --force --files-from '$folder.list' --combine '$WORK/book$count.pdf'"
  if [ "$count" -le 1000 ]; then
    mkdir -p "$WORK/each$count"
    measure "one PDF each (-j 1), $count files" \
      "cd '$folder' && '$CLI' convert -j 1 --force --output-dir '$WORK/each$count' --files-from '$folder.list'"
  fi
  if command -v qpdf >/dev/null; then
    qpdf --check "$WORK/book$count.pdf" >/dev/null && echo "  qpdf --check: no problem found"
  fi
  if command -v pdfinfo >/dev/null; then
    echo "  pages: $(pdfinfo "$WORK/book$count.pdf" | awk '/^Pages:/ { print $2 }')," \
      "size: $(stat -c %s "$WORK/book$count.pdf") bytes"
  fi
  rm -rf "$folder" "$WORK/each$count"
done

# Embedded fonts: every file needs them; one subset per face for all.
folder=$WORK/cyrillic
mkdir -p "$folder"
for ((k = 0; k < 10000; ++k)); do
  printf 'Файл %05d — русский текст, ещё одна строка\n' "$k" >"$folder/file$k.txt"
done
(cd "$folder" && ls file*.txt | sort -V) >"$folder.list"
measure "--combine, 10000 files of Cyrillic" \
  "cd '$folder' && '$CLI' convert --force --files-from '$folder.list' --combine '$WORK/cyrillic.pdf'"
if command -v pdffonts >/dev/null; then
  echo "  fonts: $(pdffonts "$WORK/cyrillic.pdf" | tail -n +3 | wc -l) (pdffonts)"
fi
