# Helpers shared by the benchmark scripts; sourced, not run.

# Builds leafwright-cli (Release) in BUILD_DIR when it is missing there.
ensure_cli() {  # ensure_cli ROOT BUILD_DIR
  local root=$1 build=$2
  if [ -x "$build/bin/leafwright-cli" ]; then return; fi
  echo "Building leafwright-cli (Release) in $build ..." >&2
  if [ "$build" = "$root/build" ]; then
    (cd "$root" && cmake --preset release >/dev/null)
  else
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  cmake --build "$build" --target leafwright-cli -j "$(nproc 2>/dev/null || echo 2)" >/dev/null
}

# Ordinary prose-like lines of varying length, some with characters that
# need escaping, cut at a line end once the size is reached.
generate_text() {  # generate_text BYTES FILE [SEED]
  awk -v limit="$1" -v seed="${3:-1}" 'BEGIN {
    split("the of and a to in is was that for on with as by at from it (draft) \\backslash\\ report, figures: 42 1.5% conversion page", words, " ")
    n = length(words); srand(seed); total = 0
    while (1) {
      line = ""; count = 5 + int(rand() * 12)
      for (i = 0; i < count; i++) line = line (i ? " " : "") words[1 + int(rand() * n)]
      if (total + length(line) + 1 > limit) break
      print line; total += length(line) + 1
    }
  }' >"$2"
}

# One line of BYTES bytes and no line end: a phrase with parentheses and
# backslashes that need escaping, over and over.
generate_long_line() {  # generate_long_line BYTES FILE
  LC_ALL=C awk 'BEGIN {
    phrase = "a line (draft) with \\backslash\\ and no end, "
    while (length(block) < 1048576) block = block phrase
    while (1) printf "%s", block
  }' 2>/dev/null | head -c "$1" >"$2" || true
}

# The first BYTES bytes of a text file, cut back to the last whole line.
text_slice() {  # text_slice BYTES SOURCE TARGET
  head -c "$1" "$2" | sed '$d' >"$3"
}

# The median of the numbers on standard input (the lower middle one for an
# even count).
median() {
  sort -n | awk '{ v[NR] = $1 } END { if (NR) print v[int((NR + 1) / 2)] }'
}

# Runs a shell command once under /usr/bin/time and prints
# "elapsed user system peak-KB". The peak is the largest resident set of the
# command or of any process it waited for (for a pipeline: its largest
# member). The elapsed time is taken to the microsecond around it (time's
# own is in hundredths, too coarse for a cp of 50 MB).
time_once() {  # time_once TIME_FILE COMMAND
  local start=$EPOCHREALTIME
  /usr/bin/time -o "$1" -f '%U %S %M' sh -c "$2" >/dev/null
  local end=$EPOCHREALTIME
  printf '%s %s\n' "$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')" "$(cat "$1")"
}
