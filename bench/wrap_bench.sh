#!/usr/bin/env bash
# Times line wrapping with bench/side_by_side.py, each pair side by side (A B A B,
# medians of paired ratios):
#  1. a text whose lines all fit, with wrap=word-char against the default
#     settings: the rule is to cost at most 5 %, since only lines wider than
#     the text area are broken;
#  2. a text of long Chinese lines, wrapped against unwrapped;
#  3. a text of long Arabic lines, wrapped against unwrapped;
#  4. a text of long Latin lines in Courier 14, wrapped against unwrapped;
#  5. the machine's Debian copyright files (/usr/share/doc/*/copyright),
#     joined and repeated to COPYRIGHT_MB, in Courier 14 wrapped, against
#     CUPS texttopdf on the same file (run once on a 5 MB slice and scaled,
#     as it is slow; skipped when it is not installed), with CHARSET=utf-8
#     as CUPS runs it and without. The goal is 20x.
# Texts beyond Mac OS Roman are drawn with embedded fonts: their rows are
# measured as drawn (the Arabic shaped) while the fonts learn their
# characters, and drawn again when written; the goal is within 2x of the
# unwrapped text. Peak memory of each wrapped run is printed too.
# The machine is shared: figures are noisy.
#
# Usage: bench/wrap_bench.sh
#   LEAFWRIGHT_BUILD_DIR  build folder to use (default: build/)
#   RUNS                  runs per command (default 11)
#   FIT_MB                size of the text whose lines fit (default 50)
#   WRAP_MB               size of each wrapped text (default 20)
#   COPYRIGHT_MB          size of the copyright text (default 50)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=${RUNS:-11}
FIT_MB=${FIT_MB:-50}
WRAP_MB=${WRAP_MB:-20}
COPYRIGHT_MB=${COPYRIGHT_MB:-50}
TEXTTOPDF=/usr/lib/cups/filter/texttopdf
CLI=$BUILD_DIR/bin/leafwright-cli

. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-wrap-XXXXXX")
trap 'rm -rf "$WORK"' EXIT

# Repeats LINE (with its line end) until the file at PATH holds MB megabytes.
fill() {
    local path=$1 mb=$2 line=$3
    python3 - "$path" "$mb" "$line" <<'PY'
import sys
path, mb, line = sys.argv[1], int(sys.argv[2]), sys.argv[3] + "\n"
data = line.encode()
count = mb * 1024 * 1024 // len(data)
with open(path, "wb") as out:
    out.write(data * count)
PY
}

fill "$WORK/fit.txt" "$FIT_MB" "The lines of this text are short enough to fit on every page."
fill "$WORK/latin.txt" "$WRAP_MB" "$(printf 'a long line of words in Courier that runs on %.0s' {1..6})"
fill "$WORK/chinese.txt" "$WRAP_MB" "$(printf '这是一个很长的中文句子，用来测试换行。%.0s' {1..8})"
fill "$WORK/arabic.txt" "$WRAP_MB" "$(printf 'هذا سطر طويل من النص العربي لاختبار الالتفاف %.0s' {1..6})"

settings() {
    local name=$1 font=$2
    printf 'A4  [595,842]\r\n%s\r\n14\r\nBlack\r\nWhite\r\n0\r\n36\r\n36\r\n0\r\n0\r\nDefault Path\r\n0\r\n' \
        "$font" >"$WORK/$name.tcf"
}
settings times "Times-Roman"
settings courier "Courier"

bench() {
    local label=$1 text=$2 tcf=$3 extra=$4
    echo "== $label"
    "$ROOT/bench/side_by_side.py" -n "$RUNS" --timeout 1800 \
        --vs "$CLI convert --force --config $WORK/$tcf.tcf -o $WORK/base.pdf $text" -- \
        $CLI convert --force --config "$WORK/$tcf.tcf" $extra -o "$WORK/wrap.pdf" "$text"
}

bench "lines that fit: wrap=word-char vs default" "$WORK/fit.txt" times "--wrap=word-char"
cmp "$WORK/base.pdf" "$WORK/wrap.pdf" && echo "(same bytes: no line needed wrapping)"
bench "Courier 14 long lines: wrap=word-char vs unwrapped" "$WORK/latin.txt" courier "--wrap=word-char"
bench "Chinese long lines: wrap=word-char vs unwrapped" "$WORK/chinese.txt" times "--wrap=word-char"
bench "Arabic long lines: wrap=word-char vs unwrapped" "$WORK/arabic.txt" times "--wrap=word-char"

# Peak memory of the wrapped Chinese and Arabic, one run each.
for text in chinese arabic; do
    /usr/bin/time -f "$text wrapped: peak %M KiB" \
        "$CLI" convert --force --config "$WORK/times.tcf" --wrap=word-char \
        -o "$WORK/wrap.pdf" "$WORK/$text.txt"
done

# The real copyright files, made at run time and never kept.
cat /usr/share/doc/*/copyright 2>/dev/null >"$WORK/copyright-once.txt" || true
python3 - "$WORK/copyright-once.txt" "$WORK/copyright.txt" "$COPYRIGHT_MB" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
size = int(sys.argv[3]) * 1024 * 1024
with open(sys.argv[2], "wb") as out:
    if data:
        out.write((data * (size // len(data) + 1))[:size])
PY
rm -f "$WORK/copyright-once.txt"
if [ -s "$WORK/copyright.txt" ]; then
    echo "== copyright files, ${COPYRIGHT_MB} MB, Courier 14, wrap=word-char"
    cpu=()
    for _ in $(seq "$RUNS"); do
        /usr/bin/time -o "$WORK/time" -f '%U %S %M' "$CLI" convert --force \
            --config "$WORK/courier.tcf" --wrap=word-char -o "$WORK/wrap.pdf" \
            "$WORK/copyright.txt" >/dev/null 2>&1
        cpu+=("$(awk '{ print $1 + $2 }' "$WORK/time")")
        echo "  run: cpu $(awk '{ print $1 + $2 " s, peak " $3 " KiB" }' "$WORK/time")"
    done
    ours=$(printf '%s\n' "${cpu[@]}" | median)
    echo "  leafwright median cpu: $ours s"
    if [ -x "$TEXTTOPDF" ]; then
        head -c $((5 * 1024 * 1024)) "$WORK/copyright.txt" >"$WORK/slice.txt"
        # CUPS hands every filter the job's charset, utf-8 unless the job
        # names another, so that is how texttopdf prints these files; without
        # CHARSET it reads every byte as a character of its own (the UTF-8
        # characters come out as several Latin ones), which is faster.
        for charset in utf-8 none; do
            if [ "$charset" = none ]; then environment=(-u CHARSET); else environment=("CHARSET=$charset"); fi
            env "${environment[@]}" /usr/bin/time -o "$WORK/time" -f '%U %S' \
                "$TEXTTOPDF" 1 user title 1 '' "$WORK/slice.txt" >"$WORK/texttopdf.pdf" 2>/dev/null
            theirs=$(awk -v mb="$COPYRIGHT_MB" '{ printf "%.3f", ($1 + $2) * mb / 5 }' "$WORK/time")
            echo "  texttopdf (CHARSET $charset) cpu, 5 MB scaled to ${COPYRIGHT_MB} MB: $theirs s"
            awk -v a="$theirs" -v b="$ours" 'BEGIN { printf "  texttopdf / leafwright: %.2f\n", a / b }'
        done
    else
        echo "  texttopdf: not installed (Debian package cups-filters)"
    fi
fi
