#!/usr/bin/env bash
# Does every character of real text reach the page? The machine's Debian
# copyright files (/usr/share/doc/*/copyright, read at run time, never kept),
# each converted on its own in Courier 14 on A4 with --wrap=word-char, and
# each PDF judged by outside tools:
#  - pdftotext -bbox: no word stands past the text area's right edge (the
#    page width less the margin), and the characters on the page are those
#    of the source (counted as multisets of the characters that are not
#    white space, in NFC), apart from characters no face has (drawn as "?",
#    counted by the converter's warning) and control characters, which no
#    font draws;
#  - Unspool gives back the source exactly (UTF-8, CR LF line ends) for
#    every file whose characters all have a glyph.
# Files that differ are listed with what differs; the exit status is 1 when
# any does.
#
# Usage: bench/copyright_pages.sh [FILE...]   (default: every copyright file)
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   JOBS                  conversions at a time (default 2)
#   WRAP                  the wrap setting (default word-char; "none" shows
#                         what is lost without wrapping)
#   FONT                  the font (default Courier; Times-Roman, Helvetica...)
#   EXTRA                 more convert options, e.g. "--line-numbers=1
#                         --header={file}|{date}|{page}/{pages}"
#   KEEP                  when set, the work folder (texts, PDFs, text back)
#                         is kept for a look
# Needs pdftotext (poppler-utils).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
JOBS=${JOBS:-2}
WRAP=${WRAP:-word-char}
FONT=${FONT:-Courier}
EXTRA=${EXTRA:-}
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
command -v pdftotext >/dev/null || { echo "copyright_pages.sh: needs pdftotext" >&2; exit 2; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-corpus-XXXXXX")
trap '[ -n "${KEEP:-}" ] || rm -rf "$WORK"' EXIT
mkdir "$WORK/src" "$WORK/pdf"

files=("$@")
if ((${#files[@]} == 0)); then
  shopt -s nullglob
  files=(/usr/share/doc/*/copyright)
fi
# Each file under a name of its own (its package's), as a regular file.
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  name=$(basename "$(dirname "$f")")
  cp "$f" "$WORK/src/$name.txt"
done
[ -n "$(ls -A "$WORK/src")" ] || { echo "copyright_pages.sh: no copyright files" >&2; exit 2; }

printf 'A4  [595,842]\r\n%s\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\nFALSE\r\nFALSE\r\nDefault Path\r\nFALSE\r\n' \
  "$FONT" >"$WORK/settings.tcf"

# One call for all of them; --json gives each file's pages, wrapped lines
# and warnings (characters without a glyph among them).
"$CLI" convert --force --json -j "$JOBS" --config "$WORK/settings.tcf" --wrap="$WRAP" \
  $EXTRA --output-dir "$WORK/pdf" "$WORK"/src/*.txt >"$WORK/convert.json" 2>"$WORK/convert.err" || true
"$CLI" unspool --force -j "$JOBS" "$WORK"/pdf/*.pdf >/dev/null 2>"$WORK/unspool.err" || true

python3 - "$WORK" "$JOBS" <<'PY'
import collections, html, json, os, re, subprocess, sys, unicodedata
from concurrent.futures import ThreadPoolExecutor

work, jobs = sys.argv[1], int(sys.argv[2])
PAGE_WIDTH, MARGIN = 595.0, 36.0
# Widths are written in thousandths of the font size, rounded.
RIGHT_EDGE = PAGE_WIDTH - MARGIN + 0.05
status = {}
for line in open(os.path.join(work, "convert.json"), encoding="utf-8"):
    line = line.strip()
    if line.startswith("{"):
        entry = json.loads(line)
        status[os.path.basename(entry["source"])] = entry

word_re = re.compile(r'<word xMin="([-0-9.]+)" yMin="[-0-9.]+" xMax="([-0-9.]+)" yMax="[-0-9.]+">(.*?)</word>')

def without_glyph(entry):
    # "N characters could not be printed (shown as ?)": the converter's count.
    total = 0
    for warning in entry.get("warnings", []):
        m = re.search(r"(\d+) characters? could not be printed", warning)
        if m: total += int(m.group(1))
    return total

def judge(name):
    stem = name[:-4]
    source_bytes = open(os.path.join(work, "src", name), "rb").read()
    # As the converter reads it: UTF-8 (a byte-order mark dropped), else
    # Windows-1252.
    try:
        source = source_bytes.decode("utf-8-sig")
    except UnicodeDecodeError:
        source = source_bytes.decode("cp1252", "replace")
    entry = status.get(name)
    result = {"name": stem, "lines": source.count("\n"), "wrapped": 0, "problems": [], "exact": None}
    if entry is None or entry.get("status") != "written":
        result["problems"].append("not converted: %s" % (entry or {}).get("status", "no status"))
        return result
    result["wrapped"] = entry.get("wrapped_lines", 0)
    missing_glyphs = without_glyph(entry)
    pdf = os.path.join(work, "pdf", stem + ".pdf")
    boxes = subprocess.run(["pdftotext", "-bbox", "-enc", "UTF-8", pdf, "-"],
                           capture_output=True, text=True, errors="replace").stdout
    on_page = collections.Counter()
    past = []
    for xmin, xmax, text in word_re.findall(boxes):
        text = html.unescape(text)
        on_page.update(unicodedata.normalize("NFC", text))
        if float(xmax) > RIGHT_EDGE:
            past.append("%s (x %s)" % (text, xmax))
    if past:
        result["problems"].append("%d words past the right edge, first %s" % (len(past), past[0]))
    wanted = collections.Counter(c for c in unicodedata.normalize("NFC", source)
                                 if not c.isspace() and unicodedata.category(c) != "Cc")
    lost = wanted - on_page
    extra = on_page - wanted
    # A character without a glyph is drawn as "?": one lost, one "?" more.
    question_marks = min(extra.get("?", 0), missing_glyphs)
    lost_count = sum(lost.values()) - question_marks
    if lost_count > 0:
        result["problems"].append("%d characters not on the page: %s" % (
            lost_count, "".join(sorted(lost))[:40]))
    result["characters"] = sum(wanted.values())
    result["lost"] = max(lost_count, 0)
    back = os.path.join(work, "pdf", stem + ".txt")
    if missing_glyphs == 0:
        # Every line comes back ending in CR LF, the last one too.
        expected = source.replace("\r\n", "\n").replace("\n", "\r\n")
        if source and not source.endswith("\n"):
            expected += "\r\n"
        got = open(back, encoding="utf-8", errors="replace", newline="").read() if os.path.exists(back) else None
        result["exact"] = got == expected
        if not result["exact"]:
            if got is None:
                result["problems"].append("Unspool wrote nothing")
            else:
                at = next((k for k, (a, b) in enumerate(zip(got, expected)) if a != b),
                          min(len(got), len(expected)))
                result["problems"].append("Unspool differs at character %d: %r against %r" % (
                    at, got[max(0, at - 10):at + 10], expected[max(0, at - 10):at + 10]))
    return result

names = sorted(n for n in os.listdir(os.path.join(work, "src")) if n.endswith(".txt"))
with ThreadPoolExecutor(max_workers=jobs) as pool:
    results = list(pool.map(judge, names))

bad = [r for r in results if r["problems"]]
lines = sum(r["lines"] for r in results)
wrapped = sum(r["wrapped"] for r in results)
chars = sum(r.get("characters", 0) for r in results)
lost = sum(r.get("lost", 0) for r in results)
judged = [r for r in results if r["exact"] is not None]
exact = sum(1 for r in judged if r["exact"])
print("files: %d, lines: %d, wrapped lines: %d" % (len(results), lines, wrapped))
print("characters (not white space): %d, not on the page: %d" % (chars, lost))
print("Unspool exact: %d of %d files whose characters all have a glyph" % (exact, len(judged)))
print("files with a difference: %d" % len(bad))
for r in bad:
    for p in r["problems"]:
        print("  %s: %s" % (r["name"], p))
sys.exit(1 if bad else 0)
PY
