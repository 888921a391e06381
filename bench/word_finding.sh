#!/usr/bin/env bash
# How much of real text in every language a reader can find in the PDF: the
# machine's translation catalogues (/usr/share/locale/*/LC_MESSAGES/*.mo,
# turned back into text with gettext's msgunfmt at run time) give each
# language's translated messages; each language's text is converted in
# Times and in Courier, and for each PDF the share of its words (split at
# white space, compared in NFC) that pdftotext and `mutool draw -F txt`
# give back verbatim is reported. The page adapts to the text, so that no
# line runs past its edge. pdftotext's reversal of the lam-alef
# ligature (لا given as ال) counts as found. Goal: 99 % for every language.
#
# Usage: bench/word_finding.sh [LANGUAGE...]
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   MAX_LINES             translated lines taken a language (default 400)
# Needs msgunfmt (gettext), pdftotext (poppler-utils), mutool (mupdf-tools).
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
MAX_LINES=${MAX_LINES:-400}
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
for tool in msgunfmt pdftotext mutool; do
  command -v "$tool" >/dev/null || { echo "word_finding.sh: needs $tool" >&2; exit 2; }
done

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-words-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

languages=("$@")
if ((${#languages[@]} == 0)); then
  mapfile -t languages < <(ls -d /usr/share/locale/*/LC_MESSAGES 2>/dev/null |
    awk -F/ '{print $5}' | sort -u)
fi

printf '| Language | Words | pdftotext Times | mutool Times | pdftotext Courier | mutool Courier |\n'
printf '|---|---:|---:|---:|---:|---:|\n'
for lang in "${languages[@]}"; do
  dir=/usr/share/locale/$lang/LC_MESSAGES
  [ -d "$dir" ] || continue
  # The translated strings of every catalogue of the language, one a line.
  : >"$WORK/$lang.txt"
  for mo in "$dir"/*.mo; do
    [ -f "$mo" ] || continue
    msgunfmt --no-wrap "$mo" 2>/dev/null | msgconv --no-wrap -t UTF-8 2>/dev/null || true
  done | python3 -c '
import sys, re
lines = []
text = sys.stdin.buffer.read().decode("utf-8", "replace")
for m in re.finditer(r"^msgstr(?:\[\d+\])? \"(.*)\"$", text, re.M):
    s = m.group(1).encode().decode("unicode_escape").encode("latin-1").decode("utf-8", "replace")
    for line in s.split("\n"):
        line = line.strip()
        if line and any(ord(c) > 0x7F for c in line):
            lines.append(line)
seen = set()
out = [l for l in lines if not (l in seen or seen.add(l))][:int(sys.argv[1])]
sys.stdout.write("".join(l + "\n" for l in out))' "$MAX_LINES" >"$WORK/$lang.txt"
  [ -s "$WORK/$lang.txt" ] || continue
  row="| $lang"
  words=""
  for font in Times-Roman Courier; do
    printf 'A4  [595,842]\n%s\n10\nBlack\nWhite\n0\n36\n36\nFALSE\nFALSE\nDefault Path\nTRUE\n' \
      "$font" >"$WORK/settings.tcf"
    rm -f "$WORK/$lang.pdf"
    if ! "$CLI" convert --force --config "$WORK/settings.tcf" --output-dir "$WORK" \
      "$WORK/$lang.txt" >/dev/null 2>&1; then
      row+=" | failed | failed"
      continue
    fi
    pdftotext -enc UTF-8 "$WORK/$lang.pdf" "$WORK/$lang.poppler" 2>/dev/null || : >"$WORK/$lang.poppler"
    mutool draw -q -F txt -o "$WORK/$lang.mupdf" "$WORK/$lang.pdf" 2>/dev/null || : >"$WORK/$lang.mupdf"
    result=$(python3 - "$WORK/$lang.txt" "$WORK/$lang.poppler" "$WORK/$lang.mupdf" <<'PY'
import sys, unicodedata
def norm(s): return unicodedata.normalize("NFC", s)
def strip_marks(s):
    for c in "\u200e\u200f\u202a\u202b\u202c\u202d\u202e\u2066\u2067\u2068\u2069":
        s = s.replace(c, "")
    return s
source = norm(open(sys.argv[1], encoding="utf-8").read())
words = source.split()
out = []
for path in sys.argv[2:]:
    text = norm(strip_marks(open(path, encoding="utf-8", errors="replace").read()))
    found = set(text.split())
    lamalef = set(w.replace("\u0627\u0644", "\u0644\u0627") for w in found)
    hits = sum(1 for w in words if w in found or w in lamalef or w.replace("\u0644\u0627", "\u0627\u0644") in found)
    out.append("%.1f %%" % (100.0 * hits / max(len(words), 1)))
print("|".join([str(len(words))] + out))
PY
)
    IFS='|' read -r words p m <<<"$result"
    row+=" | $p | $m"
  done
  echo "| $lang | $words${row#"| $lang"} |"
done
