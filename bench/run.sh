#!/usr/bin/env bash
# Leafwright against the other tools of the field, side by side in one run:
#   - text -> PDF on a 50 MB text: Leafwright (paginated and self-adapting,
#     each on two threads and on one), the one-pass floor program
#     (bench/floor/floor.c), CUPS texttopdf, enscript | ps2pdf, a2ps | ps2pdf
#     and, with --with-libreoffice, soffice; and a plain cp of the text;
#   - 1,000 files of 2 KB converted in one leafwright-cli call;
#   - PDF -> text on the PDF Leafwright made of the 50 MB text: Unspool,
#     pdftotext and mutool draw -F txt;
#   - with --with-1gb, peak memory of both layouts and of Unspool on a 1 GB
#     text (and its PDF), and of both layouts on a 1 GB single line.
# Every case is the whole process as a user starts it, timed with
# /usr/bin/time; the median elapsed time of its runs is reported, with the
# median CPU time (user + system) beside it and the largest peak resident
# memory of the runs. The slow peers run once, on a 5 MB slice of the input
# (the PDF of that slice for mutool), and their time is scaled to the full
# size; the table says so.
#
# Writes docs/benchmarks.md (the table and the goals) and docs/benchmarks.png
# (gnuplot bar chart). Peers that are missing are installed from Debian's
# packages (needs root; otherwise they are left out of the table).
#
# Usage: bench/run.sh [--runs N] [--with-libreoffice] [--with-1gb] [--no-install]
#   LEAFWRIGHT_BUILD_DIR  build folder (default build/; leafwright-cli is
#                         built there when missing)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=5
WITH_LIBREOFFICE=0
WITH_1GB=0
INSTALL=1
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --runs=*) RUNS=${1#--runs=}; shift ;;
    --with-libreoffice) WITH_LIBREOFFICE=1; shift ;;
    --with-1gb) WITH_1GB=1; shift ;;
    --no-install) INSTALL=0; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "run.sh: unknown argument $1 (see --help)" >&2; exit 2 ;;
  esac
done

. "$ROOT/bench/lib.sh"

LARGE_BYTES=50000000
SLICE_BYTES=5000000
SMALL_COUNT=1000
SMALL_BYTES=2048
HUGE_COPIES=20  # the 1 GB text is the 50 MB one this many times over
HUGE_LINE_BYTES=1000000000
TEXTTOPDF=/usr/lib/cups/filter/texttopdf
OUT_MD=$ROOT/docs/benchmarks.md
OUT_PNG=$ROOT/docs/benchmarks.png

say() { echo "run.sh: $*" >&2; }

# --- Peers ------------------------------------------------------------------

# command-or-path package
PEERS=("/usr/bin/time time" "$TEXTTOPDF cups-filters" "enscript enscript" "a2ps a2ps"
  "ps2pdf ghostscript" "pdftotext poppler-utils" "mutool mupdf-tools" "gnuplot gnuplot-nox" "msgunfmt gettext")
if ((WITH_LIBREOFFICE)); then PEERS+=("soffice libreoffice-writer-nogui"); fi

have() { command -v "$1" >/dev/null 2>&1 || [ -x "$1" ]; }

install_peers() {
  local missing=() entry
  for entry in "${PEERS[@]}"; do
    have "${entry% *}" || missing+=("${entry#* }")
  done
  ((${#missing[@]})) || return 0
  if ((!INSTALL)); then
    say "missing (left out): ${missing[*]}"
    return 0
  fi
  local sudo=()
  if [ "$(id -u)" != 0 ]; then
    if command -v sudo >/dev/null; then sudo=(sudo); else
      say "not root and no sudo: cannot install ${missing[*]}; they are left out"
      return 0
    fi
  fi
  say "installing ${missing[*]} ..."
  "${sudo[@]}" apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null || say "apt-get failed; the missing peers are left out"
}

install_peers
have /usr/bin/time || { say "needs /usr/bin/time (package time)"; exit 2; }
ensure_cli "$ROOT" "$BUILD_DIR"
CLI=$BUILD_DIR/bin/leafwright-cli

# --- Inputs -----------------------------------------------------------------

WORK=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-bench-XXXXXX")
trap 'rm -rf "$WORK"' EXIT
cc -O2 -o "$WORK/floor" "$ROOT/bench/floor/floor.c"

say "generating inputs in $WORK ..."
mkdir -p "$WORK/small" "$WORK/out" "$WORK/lo"
generate_text "$LARGE_BYTES" "$WORK/big.txt"
text_slice "$SLICE_BYTES" "$WORK/big.txt" "$WORK/slice.txt"
generate_text "$SMALL_BYTES" "$WORK/template.txt" 7
for i in $(seq -w 1 "$SMALL_COUNT"); do cp "$WORK/template.txt" "$WORK/small/file$i.txt"; done
printf '%s\r\n' "A4  [595,842]" "Times-Roman" "14" "Black" "White" "0" "36" "36" \
  "FALSE" "FALSE" "Default Path" "TRUE" >"$WORK/adapt.tcf"
# The PDFs Unspool and its peers read: Leafwright's own, paginated.
"$CLI" convert --force "$WORK/big.txt" "$WORK/slice.txt" >/dev/null
cp "$WORK/big.pdf" "$WORK/read.pdf"
cp "$WORK/slice.pdf" "$WORK/read-slice.pdf"

size() { stat -c %s "$1"; }
BIG=$(size "$WORK/big.txt")
SLICE=$(size "$WORK/slice.txt")
SMALL=$(cat "$WORK"/small/*.txt | wc -c)
READ=$(size "$WORK/read.pdf")
READ_SLICE=$(size "$WORK/read-slice.pdf")
TEXT_SCALE=$(awk -v a="$BIG" -v b="$SLICE" 'BEGIN { print a / b }')
PDF_SCALE=$(awk -v a="$READ" -v b="$READ_SLICE" 'BEGIN { print a / b }')

LOAD_BEFORE=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Cases ------------------------------------------------------------------

RESULTS=$WORK/results.tsv
PREPARE=""  # a shell command run before each run of a case, not timed
: >"$RESULTS"

# run_case GROUP TOOL INPUT-LABEL BYTES RUNS SCALE COMMAND
# GROUP: convert | small | unspool | memory. The first case of a group is the
# Leafwright one the others are compared with. SCALE multiplies the times
# (1 for a case run on the full input).
run_case() {
  local group=$1 tool=$2 label=$3 bytes=$4 runs=$5 scale=$6 command=$7
  local times=() cpus=() peak=0 run line elapsed user system kb
  say "$tool on $label ($runs run(s)) ..."
  for ((run = 1; run <= runs; run++)); do
    if [ -n "$PREPARE" ]; then sh -c "$PREPARE"; fi
    # What earlier runs wrote reaches the disk first, untimed, so that no
    # run pays for another's writeback.
    sync
    line=$(time_once "$WORK/time.out" "$command") || { say "$tool failed"; return 0; }
    read -r elapsed user system kb <<<"$line"
    times+=("$elapsed")
    cpus+=("$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }')")
    if ((kb > peak)); then peak=$kb; fi
  done
  local t c
  t=$(printf '%s\n' "${times[@]}" | median)
  c=$(printf '%s\n' "${cpus[@]}" | median)
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$group" "$tool" "$label" "$bytes" "$runs" \
    "$scale" "$t" "$c" "$peak" >>"$RESULTS"
}

W=$WORK
big_label="50 MB text"
slice_label="5 MB slice, x$(printf '%.1f' "$TEXT_SCALE")"
slow_runs=$(((RUNS + 1) / 2))

# Leafwright writes new PDFs, as on a first conversion: replacing a file
# through a rename makes ext4 write the new file out at once (auto_da_alloc),
# which the small files show apart below.
# -j 2 (the default on this machine) lets one file use two threads; -j 1
# keeps it to one.
PREPARE="rm -f '$W/big.pdf'"
for jobs in 2 1; do
  threads=$([ "$jobs" = 2 ] && echo "two threads" || echo "one thread")
  run_case convert "Leafwright, paginated, $threads" "$big_label" "$BIG" "$RUNS" 1 \
    "exec '$CLI' convert -j $jobs '$W/big.txt'"
  run_case convert "Leafwright, self-adapting, $threads" "$big_label" "$BIG" "$RUNS" 1 \
    "exec '$CLI' convert -j $jobs --config '$W/adapt.tcf' '$W/big.txt'"
done
PREPARE="rm -f '$W/out/floor.pdf'"
run_case convert "floor (one-pass C)" "$big_label" "$BIG" "$RUNS" 1 \
  "exec '$W/floor' '$W/big.txt' '$W/out/floor.pdf'"
if have "$TEXTTOPDF"; then
  run_case convert "CUPS texttopdf" "$big_label" "$BIG" "$slow_runs" 1 \
    "exec '$TEXTTOPDF' 1 user title 1 '' '$W/big.txt' >'$W/out/texttopdf.pdf' 2>/dev/null"
fi
# The cost of only reading the text and writing as many bytes anew.
PREPARE="rm -f '$W/out/copy.txt'"
run_case convert "cp of the text" "$big_label" "$BIG" "$RUNS" 1 \
  "exec cp '$W/big.txt' '$W/out/copy.txt'"
PREPARE=""
if have enscript && have ps2pdf; then
  run_case convert "enscript | ps2pdf" "$slice_label" "$BIG" 1 "$TEXT_SCALE" \
    "enscript -q -p - '$W/slice.txt' | ps2pdf - '$W/out/enscript.pdf'"
fi
if have a2ps && have ps2pdf; then
  run_case convert "a2ps | ps2pdf" "$slice_label" "$BIG" 1 "$TEXT_SCALE" \
    "a2ps -q -o - '$W/slice.txt' | ps2pdf - '$W/out/a2ps.pdf'"
fi
if ((WITH_LIBREOFFICE)) && have soffice; then
  run_case convert "LibreOffice soffice" "$slice_label" "$BIG" 1 "$TEXT_SCALE" \
    "exec soffice -env:UserInstallation=file://$W/lo --headless --convert-to pdf \
       --outdir '$W/out' '$W/slice.txt'"
fi

# One job and two (the default on this machine is one job per usable CPU).
# The outputs of each run are moved aside, not deleted, before the next: on
# an ext4 without a journal (this machine's) a new inode skips every inode
# freed in the last minute or more, so deleting 1,000 files and making 1,000
# right after costs more than the conversion itself, for cp as for anyone.
# What a user's first conversion meets is a folder without such deletions.
mkdir -p "$W/kept" "$W/copies"
MOVE_ASIDE="d=\$(mktemp -d '$W/kept/run-XXXXXX') && find"
for jobs in 1 2; do
  PREPARE="$MOVE_ASIDE '$W/small' -name '*.pdf' -exec mv -t \"\$d\" {} +"
  run_case small "Leafwright, new PDFs, -j $jobs" "1,000 files of 2 KB" "$SMALL" "$RUNS" 1 \
    "exec '$CLI' convert -j $jobs '$W'/small/*.txt"
done
PREPARE="$MOVE_ASIDE '$W/copies' -type f -exec mv -t \"\$d\" {} +"
run_case small "cp of the 1,000 texts to new files" "1,000 files of 2 KB" "$SMALL" "$RUNS" 1 \
  "exec cp -t '$W/copies' '$W'/small/*.txt"
PREPARE=""
for jobs in 1 2; do
  run_case small "Leafwright, replacing (--force), -j $jobs" "1,000 files of 2 KB" "$SMALL" \
    "$RUNS" 1 "exec '$CLI' convert --force -j $jobs '$W'/small/*.txt"
done

# A new text, as for the PDFs; replacing it, which flushes the new text to
# disk before the rename, is shown apart.
PREPARE="rm -f '$W/read.txt'"
run_case unspool "Leafwright Unspool" "PDF of the 50 MB text" "$READ" "$RUNS" 1 \
  "exec '$CLI' unspool '$W/read.pdf'"
PREPARE=""
run_case unspool "Leafwright Unspool, replacing (--force)" "PDF of the 50 MB text" "$READ" \
  "$RUNS" 1 "exec '$CLI' unspool --force '$W/read.pdf'"
if have pdftotext; then
  run_case unspool "pdftotext" "PDF of the 50 MB text" "$READ" 1 1 \
    "exec pdftotext '$W/read.pdf' '$W/out/pdftotext.txt'"
fi
if have mutool; then
  run_case unspool "mutool draw -F txt" "PDF of 5 MB slice, x$(printf '%.1f' "$PDF_SCALE")" \
    "$READ" 1 "$PDF_SCALE" "exec mutool draw -q -F txt -o '$W/out/mutool.txt' '$W/read-slice.pdf'"
fi

if ((WITH_1GB)); then
  say "making the 1 GB text and its PDF ..."
  for ((i = 0; i < HUGE_COPIES; i++)); do cat "$W/big.txt"; done >"$W/huge.txt"
  HUGE=$(size "$W/huge.txt")
  run_case memory "Leafwright, paginated" "1 GB text" "$HUGE" 1 1 \
    "exec '$CLI' convert --force '$W/huge.txt'"
  run_case memory "Leafwright, self-adapting" "1 GB text" "$HUGE" 1 1 \
    "exec '$CLI' convert --force --config '$W/adapt.tcf' '$W/huge.txt'"
  "$CLI" convert --force "$W/huge.txt" >/dev/null
  mv "$W/huge.pdf" "$W/huge-read.pdf"
  run_case memory "Leafwright Unspool" "PDF of the 1 GB text" "$(size "$W/huge-read.pdf")" 1 1 \
    "exec '$CLI' unspool --force '$W/huge-read.pdf'"
  rm -f "$W/huge.txt" "$W/huge-read.pdf" "$W/huge-read.txt"
  generate_long_line "$HUGE_LINE_BYTES" "$W/line.txt"
  run_case memory "Leafwright, paginated, one line" "1 GB single line" "$HUGE_LINE_BYTES" 1 1 \
    "exec '$CLI' convert --force '$W/line.txt'"
  run_case memory "Leafwright, self-adapting, one line" "1 GB single line" "$HUGE_LINE_BYTES" 1 1 \
    "exec '$CLI' convert --force --config '$W/adapt.tcf' '$W/line.txt'"
  rm -f "$W/line.txt" "$W/line.pdf"
fi

LOAD_AFTER=$(cut -d' ' -f1-3 /proc/loadavg)

# --- Report -----------------------------------------------------------------

package_version() { dpkg-query -W -f '${Version}' "$1" 2>/dev/null || echo "?"; }
mkdir -p "$ROOT/docs"
{
  echo "# Benchmarks"
  echo
  echo "Made by \`bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'):" \
    "$(nproc) cores ($(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')," \
    "$(awk '/MemTotal/ { printf "%.0f GB", $2 / 1048576 }' /proc/meminfo)), Linux $(uname -r)."
  echo "Each case is the whole process, timed with \`/usr/bin/time\` (and its elapsed time to the"
  echo "microsecond around it); \"Median s\" is the median"
  echo "elapsed time of its runs, \"CPU s\" the median user + system time, \"Peak memory\" the"
  echo "largest peak resident set of its runs (for a pipeline: its largest member)."
  echo "\"× Leafwright\" is the tool's elapsed time over Leafwright's in the same section."
  echo
  echo '![Elapsed time of each tool](benchmarks.png)'
  echo
  awk -F'\t' '
    function mb(kb) { return sprintf("%.1f MB", kb / 1024) }
    {
      group = $1; seconds = $7 * $6; cpu = $8 * $6
      if (!(group in base)) base[group] = seconds
      if (group != last) {
        if (group == "convert") title = "Text to PDF"
        else if (group == "small") title = "Many small files in one call"
        else if (group == "unspool") title = "PDF to text"
        else title = "Memory on a 1 GB source"
        printf "\n## %s\n\n", title
        print "| Tool | Input | Runs | Median s | CPU s | MB/s | Peak memory | × Leafwright |"
        print "|---|---|---:|---:|---:|---:|---:|---:|"
        last = group
      }
      r = seconds > 0 ? $4 / 1e6 / seconds : -1
      rate = r < 0 ? "-" : sprintf(r < 10 ? "%.2f" : "%.0f", r)
      tool = $2; gsub(/\|/, "\\|", tool)
      ratio = base[group] > 0 ? sprintf("%.2f", seconds / base[group]) : "-"
      note = $6 != 1 ? " (scaled)" : ""
      shown = sprintf(seconds < 1 ? "%.3f" : "%.2f", seconds)
      printf "| %s | %s | %d | %s%s | %.2f | %s | %s | %s |\n",
             tool, $3, $5, shown, note, cpu, rate, mb($9), ratio
    }' "$RESULTS"
  echo
  echo "## Goals"
  echo
  awk -F'\t' '
    { t[$1 "/" $2] = $7 * $6; cpu[$1 "/" $2] = $8 * $6; kb[$1 "/" $2] = $9; bytes[$1 "/" $2] = $4 }
    function check(text, ok) { printf "- %s: **%s**\n", text, ok ? "met" : "not met" }
    END {
      p = t["convert/Leafwright, paginated, two threads"]
      a = t["convert/Leafwright, self-adapting, two threads"]
      p1 = t["convert/Leafwright, paginated, one thread"]
      a1 = t["convert/Leafwright, self-adapting, one thread"]
      f = t["convert/floor (one-pass C)"]; c = t["convert/CUPS texttopdf"]
      if (f > 0) {
        check(sprintf("paginated within 2× of the floor (%.2f× on two threads, %.2f× on one)",
                      p / f, p1 / f), p <= 2 * f)
        check(sprintf("self-adapting within 2× of the floor (%.2f× on two threads, %.2f× on one)",
                      a / f, a1 / f), a <= 2 * f)
      }
      if (c > 0) {
        check(sprintf("paginated on two threads at least 30× faster than texttopdf " \
                      "(%.1f×; %.1f× on one thread)", c / p, c / p1), c >= 30 * p)
        check(sprintf("self-adapting at least 25× faster than texttopdf " \
                      "(%.1f× on two threads, %.1f× on one)", c / a, c / a1), c >= 25 * a)
      }
      k = t["convert/cp of the text"]
      if (k > 0)
        printf "- the 50 MB text, paginated, takes %.1f× as long as a plain cp of it on two " \
               "threads, %.1f× on one (cp: %.3f s)\n", p / k, p1 / k, k
      s = t["small/Leafwright, new PDFs, -j 1"]; s2 = t["small/Leafwright, new PDFs, -j 2"]
      check(sprintf("1,000 files of 2 KB in one call under 0.5 s (%.2f s with -j 1)", s), s < 0.5)
      check(sprintf("1,000 new files of 2 KB with -j 2 under 0.1 s (%.3f s)", s2), s2 < 0.1)
      k2 = t["small/cp of the 1,000 texts to new files"]
      if (k2 > 0)
        printf "  (cp of the same texts to 1,000 new files: %.3f s; -j 2 takes %.1f× as long)\n",
               k2, s2 / k2
      r1 = t["small/Leafwright, replacing (--force), -j 1"]
      ur = t["unspool/Leafwright Unspool, replacing (--force)"]
      u = t["unspool/Leafwright Unspool"]; ub = bytes["unspool/Leafwright Unspool"]
      if (r1 > 0 && ur > 0)
        printf "- replacing, no speed goal: the 1,000 PDFs with -j 1 take %.3f s (new ones " \
               "%.3f s), Unspool on the 50 MB text %.2f s (a new text %.2f s); a replacement " \
               "is flushed to disk before its rename (fsync, or one syncfs for up to 64 " \
               "files), which the disk decides\n", r1, s, ur, u
      uc = cpu["unspool/Leafwright Unspool"]
      check(sprintf("Unspool at least 300 MB/s (%.0f MB/s elapsed, %.0f MB/s of CPU time)",
                    ub / 1e6 / u, ub / 1e6 / uc), ub / 1e6 / u >= 300)
      if ("unspool/pdftotext" in t)
        printf "  (pdftotext takes %.0f×, mutool draw -F txt %.0f× as long)\n",
               t["unspool/pdftotext"] / u, t["unspool/mutool draw -F txt"] / u
      um = kb["unspool/Leafwright Unspool"] / 1024
      check(sprintf("Unspool peak memory under 20 MB (%.1f MB)", um), um < 20)
      if ("memory/Leafwright, paginated" in kb) {
        m1 = kb["memory/Leafwright, paginated"] / 1024
        m2 = kb["memory/Leafwright, self-adapting"] / 1024
        m3 = kb["memory/Leafwright Unspool"] / 1024
        check(sprintf("paginated peak memory under 30 MB on 1 GB (%.1f MB)", m1), m1 < 30)
        check(sprintf("self-adapting peak memory under 30 MB on 1 GB (%.1f MB)", m2), m2 < 30)
        check(sprintf("Unspool peak memory under 20 MB on the PDF of 1 GB (%.1f MB)", m3), m3 < 20)
        l1 = kb["memory/Leafwright, paginated, one line"] / 1024
        l2 = kb["memory/Leafwright, self-adapting, one line"] / 1024
        check(sprintf("paginated peak memory under 64 MB on a 1 GB line (%.1f MB)", l1), l1 < 64)
        check(sprintf("self-adapting peak memory under 64 MB on a 1 GB line (%.1f MB)", l2), l2 < 64)
      } else {
        print "- memory on a 1 GB source: not measured in this run (`bench/run.sh --with-1gb`)"
      }
    }' "$RESULTS"
  echo
  echo "## Notes"
  echo
  echo "- Runs: Leafwright, the floor and cp $RUNS each; texttopdf $slow_runs; pdftotext once;"
  echo "  enscript, a2ps and mutool once on a slice of the input (the first whole lines of"
  echo "  about 5 MB, or Leafwright's PDF of them), their times scaled by the size ratio"
  echo "  (marked \"scaled\")."
  echo "- Load average (1, 5, 15 min): $LOAD_BEFORE before, $LOAD_AFTER after, on $(nproc)"
  echo "  cores. When other work shares the machine, elapsed times rise with the load while"
  echo "  CPU times barely move; the goals are judged on elapsed time."
  echo "- Before each timed run, \`sync\` writes out what earlier runs left in the page"
  echo "  cache, untimed, so that no run pays for another's writeback."
  echo "- Leafwright writes new PDFs in the timed runs: the 50 MB text's PDF is removed"
  echo "  before each run; the 1,000 small PDFs (and the 1,000 copies of cp) are moved to a"
  echo "  folder of their own instead, because on an ext4 without a journal, as here, a new"
  echo "  inode skips every inode freed in the last minute or more: 1,000 files deleted"
  echo "  right before would cost more than their conversion, for cp as for Leafwright."
  echo "- Unspool writes a new text too (removed before each run)."
  echo "- The exception is \"replacing (--force)\": there each output replaces the old one through a"
  echo "  rename, and ext4 then writes the new file out at once (auto_da_alloc), so that"
  echo "  case waits on the disk and varies with it."
  echo "- \"two threads\" is \`-j 2\`, the default on this machine: one large file is made on"
  echo "  two threads (the first pass scans the two halves of the text at once, then stretches"
  echo "  of pages, or of lines on one page, are shared out between the two, the writing"
  echo "  thread making a stretch whenever the other's is not ready); \"one thread\" is"
  echo "  \`-j 1\`. Either writes the same bytes."
  echo "- The floor (\`bench/floor/floor.c\`, \`cc -O2\`) writes a comparable paginated PDF in"
  echo "  one pass: same lines per page and text operators, lengths as indirect objects,"
  echo "  no re-encoding, no temporary file."
  echo "- The inputs: generated prose-like lines (\`generate_text\` in \`bench/lib.sh\`), with"
  echo "  parentheses and backslashes that need escaping; the 1,000 small files are copies"
  echo "  of one 2 KB text; the PDFs read are Leafwright's paginated output."
  echo "- Versions: cups-filters $(package_version cups-filters), enscript" \
    "$(package_version enscript), a2ps $(package_version a2ps), ghostscript" \
    "$(package_version ghostscript), poppler-utils $(package_version poppler-utils)," \
    "mupdf-tools $(package_version mupdf-tools)."
  # Texts beyond Mac OS Roman are timed by bench/scripts_bench.sh; its table,
  # kept in docs/, is carried over.
  if [ -f "$ROOT/docs/benchmarks-scripts.md" ]; then
    echo
    cat "$ROOT/docs/benchmarks-scripts.md"
  fi
  # So is the table of Unspool on compressed PDFs (bench/compressed_unspool_bench.sh).
  if [ -f "$ROOT/docs/benchmarks-unspool.md" ]; then
    echo
    cat "$ROOT/docs/benchmarks-unspool.md"
  fi
  # And the sizes and times of --compress (bench/compress_bench.sh).
  if [ -f "$ROOT/docs/benchmarks-compress.md" ]; then
    echo
    cat "$ROOT/docs/benchmarks-compress.md"
  fi
} >"$OUT_MD"
say "wrote $OUT_MD"

# --- Chart ------------------------------------------------------------------

if have gnuplot; then
  for group in convert unspool; do
    awk -F'\t' -v group="$group" '$1 == group {
      printf "\"%s%s\" %.4f\n", $2, $6 != 1 ? " *" : "", $7 * $6 }' "$RESULTS" >"$W/$group.dat"
  done
  gnuplot <<EOF
set terminal pngcairo size 1200,560 font "DejaVu Sans,11"
set output "$OUT_PNG"
set multiplot layout 1,2 title "Elapsed seconds, median, whole process (log scale; lower is faster)\n* run once on a 5 MB slice, scaled to the full size"
set style fill solid 0.85 border -1
set boxwidth 0.6
set logscale y
set yrange [0.05:*]
set grid ytics
set xtics rotate by -30 noenhanced
set key off
set title "Text → PDF, 50 MB text"
plot "$W/convert.dat" using 0:2:xtic(1) with boxes lc rgb "#3a7ca5", \
     "" using 0:2:(sprintf("%.2f s", \$2)) with labels offset 0,0.8 font ",10"
set title "PDF → text, PDF of the 50 MB text"
plot "$W/unspool.dat" using 0:2:xtic(1) with boxes lc rgb "#81a84b", \
     "" using 0:2:(sprintf("%.2f s", \$2)) with labels offset 0,0.8 font ",10"
unset multiplot
EOF
  say "wrote $OUT_PNG"
fi
cat "$OUT_MD"
