#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs each for
# the given number of seconds (default 30). Fails when a target finds a
# crash, a sanitizer report or a broken check; the input that caused it is
# left in build-fuzz/findings/. Without clang it says so and does nothing.
#
#   scripts/fuzz.sh [seconds]
set -euo pipefail
LEAFWRIGHT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
seconds=${1:-30}
build="$LEAFWRIGHT_ROOT/build-fuzz"

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz: clang++ not found, fuzzing skipped"
  exit 0
fi

cmake -S "$LEAFWRIGHT_ROOT" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=clang++ -DLEAFWRIGHT_FUZZ=ON \
  -DLEAFWRIGHT_BUILD_DESKTOP=OFF -DLEAFWRIGHT_BUILD_TESTS=OFF >/dev/null
targets=()
for source in "$LEAFWRIGHT_ROOT"/fuzz/*_fuzz.cpp; do
  targets+=("$(basename "$source" .cpp)")
done
cmake --build "$build" -j "$(nproc 2>/dev/null || echo 2)" --target "${targets[@]}"

status=0
mkdir -p "$build/findings"
# The targets make their working folders in a temporary folder of this run:
# whatever a crashed target leaves there goes with it at the end.
scratch=$(mktemp -d "${TMPDIR:-/tmp}/leafwright-fuzz-run.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
# Working folders made outside it (a target that ignores TMPDIR) are faults too.
strays() { ls -d "${TMPDIR:-/tmp}"/leafwright-*-fuzz-* 2>/dev/null | sort || true; }
strays_before=$(strays)
for target in "${targets[@]}"; do
  name=${target%_fuzz}
  seeds="$LEAFWRIGHT_ROOT/fuzz/corpus/$name"
  # New inputs go to a working corpus in the build folder; the seeds in the
  # repository stay as they were made.
  work="$build/corpus/$name"
  mkdir -p "$work" "$seeds"
  echo "fuzz: $target for ${seconds}s"
  if ! TMPDIR="$scratch" "$build/bin/$target" -max_total_time="$seconds" -timeout=10 \
      -rss_limit_mb=2048 -artifact_prefix="$build/findings/$name-" -print_final_stats=1 \
      "$work" "$seeds" 2>"$build/$target.log"; then
    echo "fuzz: $target FAILED; see $build/$target.log and $build/findings/" >&2
    tail -n 40 "$build/$target.log" >&2
    status=1
  else
    grep -E '^stat::number_of_executed_units|^Done' "$build/$target.log" || true
    # A target that ends normally removes its own working folder.
    if [ -n "$(ls -A "$scratch")" ]; then
      echo "fuzz: $target left files in the temporary folder: $(ls -A "$scratch")" >&2
      status=1
    fi
  fi
  rm -rf "${scratch:?}"/* "${scratch:?}"/.[!.]* 2>/dev/null || true
done
if [ "$(strays)" != "$strays_before" ]; then
  echo "fuzz: working folders were left in ${TMPDIR:-/tmp}:" >&2
  comm -13 <(echo "$strays_before") <(strays) >&2
  status=1
fi
exit $status
