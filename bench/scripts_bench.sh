#!/usr/bin/env bash
# Times `leafwright-cli convert` on texts beyond Mac OS Roman, which are drawn
# with embedded font subsets:
#   1. a 50 MB Cyrillic text (words of Russian letters, spaces, full stops),
#      paginated and on one self-adapting page;
#   2. a 20 MB CJK text (Han and kana, ideographic full stops), paginated;
#   3. a 20 MB Arabic text (words of Arabic letters, which join and form
#      ligatures: every line is shaped and set right to left), paginated;
# and, when installed, the same files through CUPS `texttopdf` with
# CHARSET=utf-8 and through `paps | ps2pdf` (once each, on a 5 MB slice,
# scaled to the full size). For each case: the median elapsed time of RUNS
# runs, the median CPU time (user + system), the largest peak resident
# memory, and the PDF's size against the source's. Whether each tool gives
# the text back is checked with pdftotext on the first lines.
#
# Targets on a 2-core machine: at least 100 MB/s on the Cyrillic file, peak
# memory under 64 MB, the PDF no larger than 3 times the source plus the
# fonts.
#
# Usage: bench/scripts_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   RUNS                  runs per Leafwright case (default 5)
#   PEERS                 0 to leave the other tools out
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-5}
PEERS=${PEERS:-1}
CLI=$BUILD_DIR/bin/leafwright-cli
SLICE_BYTES=5000000

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-scripts-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Lines of words drawn from a fixed alphabet, cut at a line end once the
# size is reached. Letters are given as Unicode code points: FIRST to LAST,
# or, with LAST "-", FIRST as ranges like "0621-063A,0641-064A".
generate_words() {  # generate_words BYTES FILE FIRST LAST SEPARATOR END SEED
  python3 - "$@" <<'EOF'
import random, sys
limit, path = int(sys.argv[1]), sys.argv[2]
if sys.argv[4] == '-':
    ranges = [r.split('-') for r in sys.argv[3].split(',')]
else:
    ranges = [(sys.argv[3], sys.argv[4])]
separator, end = sys.argv[5], sys.argv[6]
random.seed(int(sys.argv[7]))
letters = [chr(c) for first, last in ranges for c in range(int(first, 16), int(last, 16) + 1)]
words = [''.join(random.choice(letters) for _ in range(random.randint(2, 9)))
         for _ in range(4000)]
total, out = 0, []
while True:
    line = (separator.join(random.choice(words) for _ in range(random.randint(4, 12))) + end +
            '\n').encode()
    if total + len(line) > limit:
        break
    out.append(line)
    total += len(line)
open(path, 'wb').write(b''.join(out))
EOF
}

echo "Generating input in $WORK ..." >&2
generate_words 50000000 "$WORK/cyrillic.txt" 0410 044F " " "." 1
generate_words 20000000 "$WORK/cjk.txt" 4E00 5200 "" "。" 2
# The Arabic letters of the basic alphabet (the rarer ones in between are
# missing from common fonts).
generate_words 20000000 "$WORK/arabic.txt" 0621-063A,0641-064A - " " "." 3
printf '%s\r\n' "A4  [595,842]" "Times-Roman" "14" "Black" "White" "0" "36" "36" \
  "FALSE" "FALSE" "Default Path" "TRUE" >"$WORK/adapt.tcf"

median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# The bytes of the embedded font programs of a PDF (their /Length1).
font_bytes() {
  grep -a -o '/Length1 [0-9]*' "$1" | awk '{ total += $2 } END { print total + 0 }'
}

# Does pdftotext give back the first line of the source (white space aside)?
extracts() {  # extracts SOURCE PDF
  command -v pdftotext >/dev/null || { echo "-"; return; }
  local want got
  want=$(head -n 1 "$1" | tr -d ' \t')
  got=$(pdftotext -l 1 -enc UTF-8 "$2" - 2>/dev/null | tr -d ' \t\f' | grep -v '^$' | head -n 1)
  [ "$want" = "$got" ] && echo yes || echo no
}

printf '%-34s %9s %9s %8s %10s %9s %s\n' "case" "elapsed" "cpu" "MB/s" "peak" "PDF/src" "text back"
# CHECK: 1 to ask pdftotext for the first line (not for a one-page document
# of 50 MB, which pdftotext lays out whole).
leafwright_case() {  # leafwright_case NAME SOURCE CHECK [CLI OPTIONS...]
  local name=$1 source=$2 check=$3
  shift 3
  local times=() cpus=() peak=0 out="$WORK/out"
  mkdir -p "$out"
  for ((run = 1; run <= RUNS; run++)); do
    rm -f "$out"/*.pdf
    /usr/bin/time -o "$WORK/time.out" -f '%e %U %S %M' \
      "$CLI" convert --output-dir "$out" "$@" "$source" >/dev/null
    read -r seconds user system kilobytes <"$WORK/time.out"
    times+=("$seconds")
    cpus+=("$(echo "$user + $system" | bc)")
    ((kilobytes > peak)) && peak=$kilobytes
  done
  local pdf="$out/$(basename "${source%.txt}").pdf" size elapsed cpu fonts
  size=$(stat -c %s "$source")
  elapsed=$(printf '%s\n' "${times[@]}" | median)
  cpu=$(printf '%s\n' "${cpus[@]}" | median)
  fonts=$(font_bytes "$pdf")
  printf '%-34s %8ss %8ss %8.0f %7d MB %9s %s\n' "$name" "$elapsed" "$cpu" \
    "$(echo "$size / 1000000 / $elapsed" | bc -l)" $((peak / 1024)) \
    "$(echo "scale=2; ($(stat -c %s "$pdf") - 2 * $fonts) / $size" | bc)" \
    "$([ "$check" = 1 ] && extracts "$source" "$pdf" || echo -)"
}

# A peer runs once on a slice; its time is scaled to the full size.
peer_case() {  # peer_case NAME SOURCE COMMAND (reads $IN, writes $OUT)
  local name=$1 source=$2 command=$3 size
  size=$(stat -c %s "$source")
  head -c "$SLICE_BYTES" "$source" | awk 'NR > 1 { print prev } { prev = $0 }' >"$WORK/slice.txt"
  local slice
  slice=$(stat -c %s "$WORK/slice.txt")
  if ! IN="$WORK/slice.txt" OUT="$WORK/peer.pdf" /usr/bin/time -o "$WORK/time.out" \
    -f '%e %U %S %M' bash -c "$command" >/dev/null 2>"$WORK/peer.err"; then
    printf '%-34s failed: %s\n' "$name" "$(head -n 1 "$WORK/peer.err")"
    return
  fi
  read -r seconds user system kilobytes <"$WORK/time.out"
  local scaled
  scaled=$(echo "$seconds * $size / $slice" | bc -l)
  printf '%-34s %7.1fs* %8s %8.1f %7d MB %9s %s\n' "$name" "$scaled" "-" \
    "$(echo "$size / 1000000 / $scaled" | bc -l)" $((kilobytes / 1024)) \
    "$(echo "scale=2; $(stat -c %s "$WORK/peer.pdf") / $slice" | bc)" \
    "$(extracts "$WORK/slice.txt" "$WORK/peer.pdf")"
}

leafwright_case "leafwright, 50 MB Cyrillic" "$WORK/cyrillic.txt" 1
leafwright_case "leafwright, 50 MB Cyrillic, 1 page" "$WORK/cyrillic.txt" 0 --config "$WORK/adapt.tcf"
leafwright_case "leafwright, 20 MB CJK" "$WORK/cjk.txt" 1
leafwright_case "leafwright, 20 MB Arabic" "$WORK/arabic.txt" 1

if [ "$PEERS" = 1 ]; then
  texttopdf=/usr/lib/cups/filter/texttopdf
  if [ -x "$texttopdf" ]; then
    for file in cyrillic cjk arabic; do
      peer_case "texttopdf CHARSET=utf-8, $file" "$WORK/$file.txt" \
        "CHARSET=utf-8 $texttopdf 1 user title 1 '' \"\$IN\" >\"\$OUT\""
    done
  else
    echo "texttopdf: not installed (Debian package cups-filters)"
  fi
  if command -v paps >/dev/null && command -v ps2pdf >/dev/null; then
    for file in cyrillic cjk arabic; do
      peer_case "paps | ps2pdf, $file" "$WORK/$file.txt" \
        "paps \"\$IN\" | ps2pdf - \"\$OUT\""
    done
  else
    echo "paps | ps2pdf: not installed (Debian packages paps, ghostscript)"
  fi
fi
echo "* run once on a ${SLICE_BYTES}-byte slice and scaled to the full size." \
  "PDF/src leaves the embedded font programs (hex-encoded) out."
