#!/usr/bin/env bash
# Unspool on a compressed PDF against the same PDF uncompressed and against
# pdftotext, side by side in one run: the PDF of a generated 50 MB text, as
# leafwright-cli writes it and as `qpdf --compress-streams=y
# --object-streams=disable` compresses it. The runs are interleaved (one of
# each case in turn), and the median elapsed time, the median CPU time and the
# largest peak resident memory of each case are reported, with the two
# ratios and their goals: compressed at most 1.5 times the uncompressed
# time, and at least 30 times faster than pdftotext on the compressed PDF
# (which runs once). Then one PDF whose 10 MB stream inflates to 10 GB of
# zeros: its time and peak memory (goal under 64 MB). The table goes to
# standard output and to docs/benchmarks-unspool.md, which bench/run.sh
# carries over into docs/benchmarks.md.
#
# Usage: bench/compressed_unspool_bench.sh [--runs N] [--no-bomb] [--no-pdftotext]
#   LEAFWRIGHT_BUILD_DIR  build folder (default build/; leafwright-cli is
#                         built there when missing)
# Needs qpdf and /usr/bin/time; pdftotext (poppler-utils) when present.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${LEAFWRIGHT_BUILD_DIR:-$ROOT/build}
RUNS=5
BOMB=1
PDFTOTEXT=1
while [ $# -gt 0 ]; do
  case $1 in
    --runs) RUNS=$2; shift 2 ;;
    --no-bomb) BOMB=0; shift ;;
    --no-pdftotext) PDFTOTEXT=0; shift ;;
    -h | --help) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; exit 0 ;;
    *) echo "compressed_unspool_bench.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
. "$ROOT/bench/lib.sh"
ensure_cli "$ROOT" "$BUILD_DIR"
CLI=$BUILD_DIR/bin/leafwright-cli
for tool in qpdf /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "compressed_unspool_bench.sh needs $tool" >&2; exit 2; }
done

W=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-bench-XXXXXX")
trap 'rm -rf "$W"' EXIT
echo "Generating the 50 MB text and its PDFs in $W ..." >&2
generate_text 50000000 "$W/text.txt"
"$CLI" convert -o "$W/plain.pdf" "$W/text.txt" >/dev/null
qpdf --compress-streams=y --object-streams=disable "$W/plain.pdf" "$W/compressed.pdf"
# Both give the same text, and it is the source's.
"$CLI" unspool -o "$W/plain.txt" "$W/plain.pdf" >/dev/null
"$CLI" unspool -o "$W/compressed.txt" "$W/compressed.pdf" >/dev/null
cmp -s "$W/plain.txt" "$W/compressed.txt" || { echo "the two PDFs give different texts" >&2; exit 1; }
sed 's/$/\r/' "$W/text.txt" | cmp -s - "$W/plain.txt" || { echo "the text is not the source" >&2; exit 1; }

declare -A times cpus peaks
run() {  # run CASE COMMAND
  # A new text each run, and what the last run wrote on disk first, untimed.
  rm -f "$W/out.txt"
  sync
  read -r elapsed user system kb < <(time_once "$W/time.out" "$2")
  times[$1]+="$elapsed "
  cpus[$1]+="$(awk -v u="$user" -v s="$system" 'BEGIN { print u + s }') "
  if [ "${peaks[$1]:-0}" -lt "$kb" ]; then peaks[$1]=$kb; fi
}
for ((k = 0; k < RUNS; k++)); do
  run uncompressed "exec '$CLI' unspool -o '$W/out.txt' '$W/plain.pdf'"
  run compressed "exec '$CLI' unspool -o '$W/out.txt' '$W/compressed.pdf'"
done
if [ "$PDFTOTEXT" = 1 ] && command -v pdftotext >/dev/null; then
  run pdftotext "exec pdftotext '$W/compressed.pdf' '$W/out.txt'"
fi

med() { tr ' ' '\n' <<<"$1" | sed '/^$/d' | median; }
pdf_of() { [ "$1" = uncompressed ] && echo "$W/plain.pdf" || echo "$W/compressed.pdf"; }
{
  echo "## Unspool on compressed PDFs"
  echo
  echo "Made by \`bench/compressed_unspool_bench.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'), $(nproc) cores,"
  echo "load average $(cut -d' ' -f1 /proc/loadavg) (the cores are shared: the times are noisy, the"
  echo "ratios of one run, taken from interleaved runs, less so). The PDF of a generated 50 MB"
  echo "text as Leafwright writes it, and compressed by \`qpdf --compress-streams=y"
  echo "--object-streams=disable\`; Unspool runs $RUNS times on each, in turn, pdftotext once."
  echo
  echo "| Tool | PDF | Median s | CPU s | Peak memory |"
  echo "|---|---|---:|---:|---:|"
  for case in uncompressed compressed pdftotext; do
    [ -n "${times[$case]:-}" ] || continue
    tool=$([ $case = pdftotext ] && echo pdftotext || echo "Leafwright Unspool")
    printf '| %s | %s, %.1f MB | %.3f | %.3f | %.1f MB |\n' "$tool" \
      "$([ $case = uncompressed ] && echo uncompressed || echo compressed)" \
      "$(stat -c %s "$(pdf_of $case)" | awk '{ print $1 / 1e6 }')" \
      "$(med "${times[$case]}")" "$(med "${cpus[$case]}")" \
      "$(awk -v kb="${peaks[$case]}" 'BEGIN { print kb / 1024 }')"
  done
  echo
  u=$(med "${times[uncompressed]}"); c=$(med "${times[compressed]}")
  awk -v u="$u" -v c="$c" 'BEGIN { r = c / u
    printf "- compressed over uncompressed: %.2f× (goal at most 1.5×: **%s**)\n", r, (r <= 1.5 ? "met" : "not met") }'
  if [ -n "${times[pdftotext]:-}" ]; then
    p=$(med "${times[pdftotext]}")
    awk -v p="$p" -v c="$c" 'BEGIN { r = p / c
      printf "- pdftotext over Unspool on the compressed PDF: %.1f× (goal at least 30×: **%s**)\n", r, (r >= 30 ? "met" : "not met") }'
  fi
if [ "$BOMB" = 1 ]; then
  echo "Making a PDF whose 10 MB stream inflates to 10 GB of zeros ..." >&2
  python3 - "$W/bomb.pdf" <<'PY'
import sys, zlib
# A megabyte of zeros compressed after a full flush gives the same bytes
# every time: made once, repeated 10,240 times, and ended with the checksum
# of all the zeros.
chunk = bytes(1 << 20)
z = zlib.compressobj(9)
head = z.compress(chunk) + z.flush(zlib.Z_FULL_FLUSH)
block = z.compress(chunk) + z.flush(zlib.Z_FULL_FLUSH)
check = 1
for _ in range(10240):
    check = zlib.adler32(chunk, check)
end = z.flush()[:-4] + check.to_bytes(4, "big")
data_length = len(head) + 10239 * len(block) + len(end)
pdf = [b"%PDF-1.4\n"]
offsets = []
def add(text):
    offsets.append(sum(map(len, pdf)))
    pdf.append(text)
add(b"1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n")
add(b"2 0 obj\n<< /Type /Pages /Kids [3 0 R] /Count 1 >>\nendobj\n")
add(b"3 0 obj\n<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>\nendobj\n")
add(b"4 0 obj\n<< /Filter /FlateDecode /Length %d >>\nstream\n" % data_length)
with open(sys.argv[1], "wb") as out:
    out.write(b"".join(pdf))
    out.write(head)
    for _ in range(10239):
        out.write(block)
    out.write(end)
    xref = sum(map(len, pdf)) + data_length + len(b"\nendstream\nendobj\n")
    out.write(b"\nendstream\nendobj\n")
    out.write(b"xref\n0 5\n0000000000 65535 f \n" + b"".join(b"%010d 00000 n \n" % o for o in offsets))
    out.write(b"trailer\n<< /Size 5 /Root 1 0 R >>\nstartxref\n%d\n%%%%EOF\n" % xref)
PY
  read -r elapsed user system kb < <(time_once "$W/time.out" "'$CLI' unspool -o '$W/bomb.txt' '$W/bomb.pdf' 2>'$W/bomb.err' || true")
  awk -v t="$elapsed" -v u="$user" -v kb="$kb" -v size="$(stat -c %s "$W/bomb.pdf")" 'BEGIN {
    printf "- a %.1f MB stream that inflates to 10 GB of zeros: %.1f s (%.1f s of CPU), peak memory %.1f MB (goal under 64 MB: **%s**)\n",
           size / 1e6, t, u, kb / 1024, (kb / 1024 < 64 ? "met" : "not met") }'
  sed 's/^/  /' "$W/bomb.err"
fi
} | tee "$ROOT/docs/benchmarks-unspool.md"
