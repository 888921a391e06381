#!/usr/bin/env bash
# Times `leafwright-cli convert` on one 50 MB Cyrillic text in the encodings
# it reads: UTF-8 (the usual rule), UTF-16LE with a byte order mark (the
# program's own converter) and, once the command line takes --encoding,
# KOI8-R and GB18030 named (through iconv). The runs of the encodings take
# turns (UTF-8, UTF-16, KOI8-R, ..., then again), so that a machine whose
# speed drifts treats them alike; the median elapsed time of each, its rate
# in MB of UTF-8 text a second and the largest peak resident memory are
# reported. With LARGE=1, one run of a 1 GB UTF-16 text shows that memory
# stays flat (under 64 MB) whatever the size.
#
# Usage: bench/encoding_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   RUNS                  runs per encoding (default 5)
#   LARGE                 1 to add the 1 GB run (needs 4 GB of free disk)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-5}
CLI=$BUILD_DIR/bin/leafwright-cli
TEXT_BYTES=50000000

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
for tool in /usr/bin/time iconv; do
  command -v "$tool" >/dev/null || { echo "encoding_bench.sh needs $tool" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Russian words of the program's own choosing, with some ASCII between them.
generate_cyrillic() {  # generate_cyrillic BYTES FILE
  awk -v limit="$1" 'BEGIN {
    split("вчера вечером мы долго гуляли по набережной и говорили о книгах старый мост через реку починили к осени (draft) 42 1.5%", words, " ")
    n = length(words); srand(3); total = 0
    while (1) {
      line = ""; count = 5 + int(rand() * 12)
      for (i = 0; i < count; i++) line = line (i ? " " : "") words[1 + int(rand() * n)]
      if (total + length(line) + 1 > limit) break
      print line; total += length(line) + 1
    }
  }' >"$2"
}

echo "Generating input in $WORK ..." >&2
LC_ALL=C.UTF-8 generate_cyrillic "$TEXT_BYTES" "$WORK/utf8.txt"
text_size=$(stat -c %s "$WORK/utf8.txt")
{ printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$WORK/utf8.txt"; } >"$WORK/utf16.txt"
names=(utf8 utf16)
declare -A options=([utf8]="" [utf16]="")
if "$CLI" convert --help | grep -q -- '--encoding'; then
  for encoding in KOI8-R GB18030; do
    iconv -f UTF-8 -t "$encoding" "$WORK/utf8.txt" >"$WORK/$encoding.txt"
    names+=("$encoding")
    options[$encoding]="--encoding=$encoding"
  done
else
  echo "(this leafwright-cli has no --encoding: KOI8-R and GB18030 left out)" >&2
fi

# one_run NAME: converts NAME's text once; appends "seconds kilobytes".
one_run() {
  local name=$1
  rm -f "$WORK/$name.pdf"
  local start=$EPOCHREALTIME
  # shellcheck disable=SC2086
  /usr/bin/time -o "$WORK/time.out" -f '%M' "$CLI" convert ${options[$name]} "$WORK/$name.txt" \
    >/dev/null
  local end=$EPOCHREALTIME
  echo "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }') $(cat "$WORK/time.out")" \
    >>"$WORK/$name.runs"
}

for ((run = 1; run <= RUNS; run++)); do
  for name in "${names[@]}"; do one_run "$name"; done
done

echo "leafwright-cli convert, 50 MB of Cyrillic text, $RUNS interleaved runs each ($CLI)"
for name in "${names[@]}"; do
  elapsed=$(cut -d' ' -f1 "$WORK/$name.runs" | median)
  peak=$(cut -d' ' -f2 "$WORK/$name.runs" | sort -n | tail -1)
  awk -v name="$name" -v t="$elapsed" -v bytes="$text_size" -v kb="$peak" \
    -v size="$(stat -c %s "$WORK/$name.txt")" 'BEGIN {
    printf "%-8s %6.1f MB file  elapsed %5.2f s (%4.0f MB/s of text)  peak RSS %5.1f MB\n",
           name, size / 1e6, t, bytes / 1e6 / t, kb / 1024
  }'
done

if [ "${LARGE:-0}" = 1 ]; then
  rm -f "$WORK"/*.pdf "$WORK"/KOI8-R.txt "$WORK"/GB18030.txt
  for ((i = 0; i < 20; i++)); do iconv -f UTF-8 -t UTF-16LE "$WORK/utf8.txt"; done |
    { printf '\xff\xfe'; cat; } >"$WORK/large.txt"
  /usr/bin/time -o "$WORK/time.out" -f '%e %M' "$CLI" convert "$WORK/large.txt" >/dev/null
  read -r seconds kilobytes <"$WORK/time.out"
  echo "1 GB text in UTF-16LE: elapsed $seconds s, peak RSS $((kilobytes / 1024)) MB"
fi
