#!/usr/bin/env bash
# Times `leafwright-cli convert` on 20 MB of Korean set in Noto Sans CJK
# (an OpenType collection with CFF outlines, embedded as CIDFontType0C).
# The goal is 50 MB/s with peak memory under 64 MB apart from the font
# programs being subset. Han text is also run side by side with the same
# text set in Droid Sans Fallback (TrueType; it has no Hangul): fontconfig
# is then given a configuration that lists only the TrueType folders.
#
# Cases, each run RUNS times by bench/side_by_side.py (A: Noto CJK; B: Droid, in turn
# with A):
#   korean-20mb        words of 1,500 Hangul syllables with spaces and
#                      punctuation between them (the spaces come from the
#                      main face, Liberation Serif, so a line changes font at
#                      every word)
#   korean-20mb-joined the same text without spaces (one font a line)
#   han-20mb           words of 1,500 Han characters without spaces, A and B
#   one-line           three lines of Korean: what reading the face and
#                      making its subset cost on their own
#   big-subset         every Hangul syllable and 3,000 Han characters once:
#                      the largest subset a Korean or Chinese text makes
# Reported: bench/side_by_side.py's medians (wall, CPU, peak) and the MB/s; each PDF is
# checked with pdffonts (a CID Type 0C font for A, none for B).
#
# Usage: bench/cjk_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   RUNS                  runs per case and side (default 5)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-5}
CLI=$BUILD_DIR/bin/leafwright-cli
NOTO=/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
[ -f "$NOTO" ] || { echo "Noto Sans CJK ($NOTO) is not installed" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-cjk-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
cd "$WORK"

echo "Generating input in $WORK ..." >&2
python3 - <<'EOF'
import random
random.seed(25)
syllables = [chr(c) for c in range(0xAC00, 0xD7A4)]
common = random.sample(syllables, 1500)
with open('korean-20mb.txt', 'w', encoding='utf-8') as out:
    written = 0
    while True:
        words = [''.join(random.choice(common) for _ in range(random.randint(1, 4)))
                 for _ in range(random.randint(3, 9))]
        line = ' '.join(words) + random.choice(['.', ',', '', '?']) + '\n'
        if written + len(line.encode()) > 20 * 1024 * 1024:
            break
        out.write(line)
        written += len(line.encode())
with open('korean-20mb.txt', encoding='utf-8') as source, \
        open('korean-20mb-joined.txt', 'w', encoding='utf-8') as out:
    for line in source:
        out.write(line.replace(' ', ''))
random.seed(26)
han = [chr(c) for c in range(0x4E00, 0x4E00 + 1500)]
with open('han-20mb.txt', 'w', encoding='utf-8') as out:
    written = 0
    while True:
        line = ''.join(random.choice(han) for _ in range(random.randint(8, 30))) + '\n'
        if written + len(line.encode()) > 20 * 1024 * 1024:
            break
        out.write(line)
        written += len(line.encode())
with open('one-line.txt', 'w', encoding='utf-8') as out:
    out.write(''.join(common[:40]) + '\n' + ' '.join(common[40:80]) + '\n' + 'Korean, 2026.\n')
with open('big-subset.txt', 'w', encoding='utf-8') as out:
    chars = syllables + [chr(c) for c in range(0x4E00, 0x4E00 + 3000)]
    for i in range(0, len(chars), 30):
        out.write(''.join(chars[i:i + 30]) + '\n')
EOF

printf 'A4  [595,842]\nTimes-Roman\n14\nBlack\nWhite\n0\n36\n36\nFALSE\nFALSE\nDefault Path\nFALSE\n' \
  >settings.tcf
# A configuration with the TrueType folders only: Droid Sans Fallback sets
# the Korean text.
cat >truetype-only.conf <<'EOF'
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype</dir>
  <cachedir prefix="xdg">fontconfig</cachedir>
</fontconfig>
EOF
TRUETYPE="env FONTCONFIG_FILE=$WORK/truetype-only.conf"

for case in korean-20mb korean-20mb-joined han-20mb one-line big-subset; do
  bytes=$(stat -c %s "$case.txt")
  sides=A
  vs=()
  if [ "$case" = han-20mb ]; then
    sides="A B"
    vs=(--vs "$TRUETYPE $CLI convert --force --config settings.tcf -o $case-truetype.pdf $case.txt")
  fi
  echo
  echo "== $case ($bytes bytes): A = Noto Sans CJK (CFF)${vs:+, B = Droid Sans Fallback (TrueType)}"
  "$ROOT/bench/side_by_side.py" -n "$RUNS" --timeout 600 "${vs[@]}" \
    -- "$CLI" convert --force --config settings.tcf -o "$case.pdf" "$case.txt" |
    tee "$case.bench" | grep -E 'wall|cpu s|peak'
  for side in $sides; do
    wall=$(awk -v side="$side" '$1 == side && $2 == "wall" { print $5 }' "$case.bench")
    cpu=$(awk -v side="$side" '$1 == side && $2 == "cpu" { print $5 }' "$case.bench")
    awk -v b="$bytes" -v w="$wall" -v c="$cpu" -v s="$side" 'BEGIN {
      if (w > 0 && c > 0) printf "%s: %.1f MB/s elapsed, %.1f MB/s CPU\n", s, b / 1e6 / w, b / 1e6 / c }'
  done
  pdffonts "$case.pdf" | grep -q 'CID Type 0C' || { echo "no CFF font in $case.pdf" >&2; exit 1; }
  echo "PDF: $(stat -c %s "$case.pdf") bytes"
  if [ "$case" = han-20mb ]; then
    pdffonts "$case-truetype.pdf" | grep -q 'CID Type 0C' &&
      { echo "$case-truetype.pdf has a CFF font" >&2; exit 1; }
    echo "PDF (TrueType): $(stat -c %s "$case-truetype.pdf") bytes"
  fi
done
