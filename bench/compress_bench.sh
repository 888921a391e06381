#!/usr/bin/env bash
# What --compress costs and saves, side by side in one run (bench/side_by_side.py:
# interleaved runs, medians quoted):
#   - a generated 50 MB text converted with and without --compress, on one
#     thread and on two: PDF sizes (goal: compressed at most 0.55× the
#     uncompressed PDF), CPU and wall times, beside the CPU time of
#     libdeflate alone on the same streams (bench/deflate_streams.cpp: goal,
#     the compressed conversion at most the plain one plus that);
#   - 5 MB each of Arabic, Chinese and Cyrillic text (generated from a few
#     sentences, varied): PDF size over the source's (goal at most 1.5×);
#   - Unspool on the compressed and the uncompressed PDF of the 50 MB text
#     (goal: at most 1.5× the time), and pdftotext (once) on the compressed
#     one (goal: Unspool at least 30× faster).
# The tables go to standard output and to docs/benchmarks-compress.md,
# which bench/run.sh carries over into docs/benchmarks.md.
#
# Usage: bench/compress_bench.sh [--runs N] [--no-pdftotext]
#   LEAFWRIGHT_BUILD_DIR  build folder (default build/; leafwright-cli is
#                         built there when missing)
# Needs bench/side_by_side.py and a C++ compiler with libdeflate-dev; pdftotext
# (poppler-utils) when present.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=5
PDFTOTEXT=1
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --no-pdftotext) PDFTOTEXT=0; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "compress_bench.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
CLI=$BUILD_DIR/bin/leafwright-cli

W=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-bench-XXXXXX")
trap 'rm -rf "$W"' EXIT
echo "Building the stream compressor and generating the texts in $W ..." >&2
"${CXX:-c++}" -std=c++20 -O2 -I"$ROOT/src" "$ROOT/bench/deflate_streams.cpp" \
  "$ROOT/src/core/deflate/deflater.cpp" -ldeflate -o "$W/deflate_streams"
generate_text 50000000 "$W/text.txt"

# About BYTES of lines of one to four sentences drawn from FILE (one a
# line), each line different.
generate_script_text() {  # generate_script_text BYTES SENTENCES OUT SEED
  LC_ALL=C awk -v limit="$1" -v seed="$4" '{ s[++n] = $0 } END {
    srand(seed); total = 0
    while (1) {
      line = ""; count = 1 + int(rand() * 4)
      for (i = 0; i < count; i++) line = line (i ? " " : "") s[1 + int(rand() * n)]
      if (rand() < 0.3) line = line " " int(rand() * 100000)
      if (total + length(line) + 1 > limit) break
      print line; total += length(line) + 1
    }
  }' "$2" >"$3"
}
cat >"$W/arabic.sentences" <<'TEXT'
ذهب الولد إلى المدرسة في الصباح الباكر.
كانت السماء صافية والشمس مشرقة فوق المدينة.
قرأت الكتاب الجديد في المكتبة العامة أمس.
يحب جدي أن يشرب الشاي مع أصدقائه في المساء.
سافرنا بالقطار من القاهرة إلى الإسكندرية.
تعلم الطلاب درساً مهماً عن تاريخ البحر المتوسط.
في الحديقة أشجار كثيرة وأزهار ملونة.
اجتمع أعضاء اللجنة لمناقشة الميزانية السنوية.
TEXT
cat >"$W/chinese.sentences" <<'TEXT'
今天早上我们在公园里散步，空气非常新鲜。
这本书讲述了一个小村庄几十年来的变化。
他每天晚上都会给远方的父母打电话。
会议将在下周三下午两点准时开始。
学生们在图书馆里安静地复习功课。
春天来了，河边的柳树长出了嫩绿的叶子。
这家饭馆的面条很有名，每天都排着长队。
我们计划明年夏天去西北旅行，看看沙漠和草原。
TEXT
cat >"$W/cyrillic.sentences" <<'TEXT'
Утром мы вышли из дома и пошли к реке.
В библиотеке было тихо, только шелестели страницы.
Поезд прибыл на вокзал с опозданием на десять минут.
Бабушка испекла пирог с яблоками и корицей.
Студенты обсуждали новую книгу до позднего вечера.
Зимой в деревне выпало много снега.
Совещание перенесли на следующую пятницу.
На рынке продавали свежие овощи, мёд и грибы.
TEXT
for script in arabic chinese cyrillic; do
  generate_script_text 5000000 "$W/$script.sentences" "$W/$script.txt" 3
done

echo "Converting ..." >&2
size() { stat -c %s "$1"; }
for input in text arabic chinese cyrillic; do
  "$CLI" convert --force -o "$W/$input-plain.pdf" "$W/$input.txt" >/dev/null
  "$CLI" convert --force --compress -o "$W/$input-compressed.pdf" "$W/$input.txt" >/dev/null
  # The compressed PDF gives the source back exactly.
  "$CLI" unspool --force -o "$W/$input-back.txt" "$W/$input-compressed.pdf" >/dev/null
  sed 's/$/\r/' "$W/$input.txt" | cmp -s - "$W/$input-back.txt" ||
    { echo "the compressed PDF of $input does not give back its source" >&2; exit 1; }
done

# bench/side_by_side.py A against B: prints "A-cpu A-wall B-cpu B-wall A/B-wall A-peak"
# (medians, seconds and MiB).
versus() {  # versus 'COMMAND_A' 'COMMAND_B'
  # shellcheck disable=SC2086
  "$ROOT/bench/side_by_side.py" -n "$RUNS" --timeout 900 --vs "$2" -- $1 2>&1 | awk '
    /^A cpu s/ { ac = $4 } /^A wall s/ { aw = $4 } /^B cpu s/ { bc = $4 }
    /^B wall s/ { bw = $4 } /^A\/B wall/ { r = $3 } /^A peak MiB/ { ap = $4 }
    END { print ac, aw, bc, bw, r, ap }'
}
alone() {  # alone 'COMMAND': "cpu wall peak" (medians)
  # shellcheck disable=SC2086
  "$ROOT/bench/side_by_side.py" -n "$RUNS" --timeout 900 -- $1 2>&1 | awk '
    /^A cpu s/ { c = $4 } /^A wall s/ { w = $4 } /^A peak MiB/ { p = $4 } END { print c, w, p }'
}
convert_cmd() { echo "$CLI convert --force -j $1 $2 -o $W/out.pdf $W/text.txt"; }

echo "Timing the conversions ..." >&2
read -r c1 w1 p1cpu p1wall r1 peak1 < <(versus "$(convert_cmd 1 --compress)" "$(convert_cmd 1 --compress=FALSE)")
read -r c2 w2 p2cpu p2wall r2 peak2 < <(versus "$(convert_cmd 2 --compress)" "$(convert_cmd 2 --compress=FALSE)")
read -r dcpu dwall _ < <(alone "$W/deflate_streams $W/text-plain.pdf")
# The self-adapting page: its parts are compressed by the writing thread.
printf 'A4  [595,842]\nTimes-Roman\n14\nBlack\nWhite\n0\n36\n36\nFALSE\nFALSE\nDefault Path\nTRUE\n' \
  >"$W/self.tcf"
self_cmd() { echo "$CLI convert --force --config $W/self.tcf -j $1 --compress -o $W/self.pdf $W/text.txt"; }
read -r s2 sw2 s1 sw1 _ speak < <(versus "$(self_cmd 2)" "$(self_cmd 1)")
"$CLI" convert --force --config "$W/self.tcf" -o "$W/self-plain.pdf" "$W/text.txt" >/dev/null
echo "Timing Unspool ..." >&2
read -r uc uw upc upw ur upeak < <(versus "$CLI unspool --force -o $W/u.txt $W/text-compressed.pdf" \
  "$CLI unspool --force -o $W/u.txt $W/text-plain.pdf")
pt=""
if [ "$PDFTOTEXT" = 1 ] && command -v pdftotext >/dev/null; then
  read -r pt _ < <(time_once "$W/time.out" "exec pdftotext '$W/text-compressed.pdf' '$W/p.txt'")
fi

mb() { awk -v b="$1" 'BEGIN { printf "%.1f", b / 1e6 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
verdict() { awk -v v="$1" -v goal="$2" -v op="$3" 'BEGIN {
  ok = (op == "le" ? v <= goal : v >= goal); print (ok ? "met" : "not met") }'; }
{
  echo "## Compressed PDFs (--compress)"
  echo
  echo "Made by \`bench/compress_bench.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores,"
  echo "load average $(cut -d' ' -f1 /proc/loadavg) (shared cores: times are noisy; each pair of"
  echo "cases ran interleaved under bench/side_by_side.py, $RUNS runs each, medians quoted). The 50 MB text is"
  echo "the generated one of \`bench/run.sh\`; the Arabic, Chinese and Cyrillic texts are lines of"
  echo "one to four of eight sentences each, some with a number, 5 MB each. Every compressed PDF"
  echo "was checked to unspool to its source exactly."
  echo
  echo "| Input | Source MB | PDF MB | Compressed MB | Compressed / source | Compressed / PDF |"
  echo "|---|---:|---:|---:|---:|---:|"
  for input in text arabic chinese cyrillic; do
    s=$(size "$W/$input.txt"); p=$(size "$W/$input-plain.pdf"); c=$(size "$W/$input-compressed.pdf")
    name=$([ $input = text ] && echo "50 MB text" || echo "5 MB ${input^}")
    echo "| $name | $(mb "$s") | $(mb "$p") | $(mb "$c") | $(ratio "$c" "$s")× | $(ratio "$c" "$p")× |"
  done
  echo
  echo "| Case (50 MB text, paginated) | CPU s | Wall s | Peak MiB |"
  echo "|---|---:|---:|---:|"
  echo "| convert, one thread | $p1cpu | $p1wall | |"
  echo "| convert --compress, one thread | $c1 | $w1 | $peak1 |"
  echo "| convert, two threads | $p2cpu | $p2wall | |"
  echo "| convert --compress, two threads | $c2 | $w2 | $peak2 |"
  echo "| libdeflate level 6 alone on the same streams | $dcpu | $dwall | |"
  echo "| convert --compress, self-adapting, one thread | $s1 | $sw1 | |"
  echo "| convert --compress, self-adapting, two threads | $s2 | $sw2 | $speak |"
  echo "| Unspool, uncompressed PDF | $upc | $upw | |"
  echo "| Unspool, compressed PDF | $uc | $uw | $upeak |"
  [ -z "$pt" ] || echo "| pdftotext, compressed PDF (one run) | | $pt | |"
  echo
  echo "(Peaks at about 11.5 MiB are the figures' floor: the true peak is at most that.)"
  echo
  tc=$(size "$W/text-compressed.pdf"); tp=$(size "$W/text-plain.pdf")
  r=$(ratio "$tc" "$tp")
  echo "- 50 MB text: compressed PDF $r× the uncompressed one (goal at most 0.55×: **$(verdict "$r" 0.55 le)**);" \
    "on the self-adapting page $(ratio "$(size "$W/self.pdf")" "$(size "$W/self-plain.pdf")")×"
  for input in arabic chinese cyrillic; do
    r=$(ratio "$(size "$W/$input-compressed.pdf")" "$(size "$W/$input.txt")")
    echo "- 5 MB ${input^}: $r× the source (goal at most 1.5×: **$(verdict "$r" 1.5 le)**)"
  done
  sum=$(awk -v a="$p1cpu" -v b="$dcpu" 'BEGIN { print a + b }')
  echo "- CPU of the compressed conversion on one thread: $c1 s against $sum s for the plain" \
    "conversion plus libdeflate alone (goal at most that: **$(verdict "$c1" "$sum" le)**);" \
    "wall time $w1 s on one thread, $w2 s on two"
  echo "- Unspool, compressed over uncompressed: $(printf '%.2f' "$ur")× (goal at most 1.5×:" \
    "**$(verdict "$ur" 1.5 le)**; inflating is work the uncompressed PDF does not ask for)"
  if [ -n "$pt" ]; then
    r=$(awk -v p="$pt" -v u="$uw" 'BEGIN { printf "%.1f", p / u }')
    echo "- pdftotext over Unspool on the compressed PDF: ${r}× (goal at least 30×: **$(verdict "$r" 30 ge)**)"
  fi
} | tee "$ROOT/docs/benchmarks-compress.md"
