#!/usr/bin/env bash
# Times `leafwright-cli convert -j 2` on many small files in mixed scripts:
# COUNT files of about 2 KB, each holding Korean, Hindi, Thai and an emoji
# among Latin words, so every file needs fallback faces and shaping. What is
# paid once a run (the font look-ups, opening the faces) and what is paid
# for every file (the subsets) show in the time per file. bench/side_by_side.py gives
# the median of interleaved runs.
#
# Target on a 2-core machine: 1,000 files in under 2 s.
#
# Usage: bench/mixed_scripts_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   COUNT                 number of files (default 1000)
#   RUNS                  timed runs (default 5)
#   BASELINE_CLI          another leafwright-cli (an older build) run in turn
#                         with this one, for a side-by-side ratio
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
COUNT=${COUNT:-1000}
RUNS=${RUNS:-5}
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-mixed-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
mkdir -p "$WORK/in" "$WORK/out"

# One line of each script, varied by the file's number so no two files are
# alike, repeated to about 2 KB.
python3 - "$WORK/in" "$COUNT" <<'PY'
import random, sys
folder, count = sys.argv[1], int(sys.argv[2])
random.seed(7)
hangul = [chr(c) for c in range(0xAC00, 0xAC00 + 400)]
deva = [chr(c) for c in range(0x915, 0x939)]
signs = [chr(c) for c in range(0x93E, 0x94C)]
thai = [chr(c) for c in range(0xE01, 0xE2E)]
emoji = ["\U0001F600", "\U0001F680", "\U0001F30D", "\U0001F431"]
def word(letters, marks=()):
    out = ""
    for _ in range(random.randint(1, 4)):
        out += random.choice(letters)
        if marks and random.random() < 0.5:
            out += random.choice(marks)
    return out
for n in range(count):
    lines = []
    while sum(len(l.encode()) + 1 for l in lines) < 2048:
        lines.append("File %d: " % n + " ".join(
            [word(hangul), word(deva, signs), word(thai), random.choice(emoji), "text"]))
    with open("%s/f%04d.txt" % (folder, n), "w", encoding="utf-8") as f:
        f.write("\n".join(lines) + "\n")
PY

cd "$WORK"
echo "$COUNT files of about 2 KB (Korean, Hindi, Thai, emoji), -j 2:"
# Korean has no TrueType face on a stock system (Noto CJK has CFF
# outlines): its "?" warnings are left out of the output.
vs=()
if [ -n "${BASELINE_CLI:-}" ]; then
  mkdir -p "$WORK/baseline"
  vs=(--vs "sh -c 'ls in/*.txt | $BASELINE_CLI convert -j 2 --force --output-dir baseline --files-from - 2>/dev/null'")
  echo "A: $CLI, B: $BASELINE_CLI"
fi
"$ROOT/bench/side_by_side.py" -n "$RUNS" --timeout 1200 "${vs[@]}" -- \
    sh -c "ls in/*.txt | '$CLI' convert -j 2 --force --output-dir out --files-from - 2>/dev/null"
if [ -n "${BASELINE_CLI:-}" ]; then
  # Both builds must write the same documents. Where the bytes differ (a
  # font program cut otherwise), the text pdftotext reads must be the same,
  # and the pages pdftoppm draws of the first DRAWN such files (default 20)
  # must be the same pixels.
  differ=0
  drawn=0
  for pdf in out/*.pdf; do
    old="baseline/${pdf#out/}"
    cmp -s "$pdf" "$old" && continue
    differ=$((differ + 1))
    [ "$(pdftotext "$pdf" - | md5sum)" = "$(pdftotext "$old" - | md5sum)" ] ||
      { echo "$pdf reads otherwise than the baseline's" >&2; exit 1; }
    if [ "$drawn" -lt "${DRAWN:-20}" ]; then
      rm -rf "$WORK/pages" && mkdir -p "$WORK/pages"
      pdftoppm -r 100 -gray "$pdf" "$WORK/pages/new"
      pdftoppm -r 100 -gray "$old" "$WORK/pages/old"
      for page in "$WORK"/pages/new*; do
        cmp -s "$page" "$WORK/pages/old${page#"$WORK"/pages/new}" ||
          { echo "$pdf draws otherwise than the baseline's" >&2; exit 1; }
      done
      drawn=$((drawn + 1))
    fi
  done
  if [ "$differ" -eq 0 ]; then
    echo "The PDFs of both builds are identical."
  else
    echo "$differ PDFs differ in bytes; all read the same, and the $drawn drawn draw the same."
  fi
fi
