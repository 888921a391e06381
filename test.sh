#!/usr/bin/env bash
# Installs what is missing, checks the formatting of the C++ sources, builds,
# and runs every test: first the whole suite under AddressSanitizer and
# UndefinedBehaviorSanitizer (build-asan/), then the concurrency tests under
# ThreadSanitizer (build-tsan/, the core and the command line only), then
# each fuzz target for a short while when clang is present (build-fuzz/), and
# last the release suite (build/). The last line printed is CTest's summary of
# the release run; the exit status fails when any step failed.
set -euo pipefail
LEAFWRIGHT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$LEAFWRIGHT_ROOT"
# shellcheck source=scripts/common.sh
source scripts/common.sh

FUZZ_SECONDS=${LEAFWRIGHT_FUZZ_SECONDS:-20}
jobs=$(nproc 2>/dev/null || echo 2)
failed=()

install_packages "${LEAFWRIGHT_PACKAGES[@]}"

echo "== format check"
if ! scripts/check-format.sh; then
  failed+=("format check (scripts/check-format.sh)")
fi

configure_and_build release
configure_and_build asan
configure_and_build tsan

# The window tests run without a display.
export QT_QPA_PLATFORM=offscreen

# Any sanitizer report ends the test that made it (the asan test preset sets
# halt_on_error); leaks inside the system's libraries are suppressed, ours
# are not.
echo "== tests under AddressSanitizer and UndefinedBehaviorSanitizer"
if ! LSAN_OPTIONS="suppressions=$LEAFWRIGHT_ROOT/scripts/lsan.supp:print_suppressions=0" \
    ctest --preset asan -j "$jobs" --timeout 900; then
  failed+=("sanitizer tests")
fi

# A data race or a lock-order inversion ends the test that made it (the tsan
# test preset sets halt_on_error), in the test binary or in a leafwright-cli
# it started.
echo "== concurrency tests under ThreadSanitizer"
if ! ctest --preset tsan -j "$jobs" --timeout 900 --no-tests=error; then
  failed+=("thread sanitizer tests")
fi

echo "== fuzzing, ${FUZZ_SECONDS}s a target"
if ! scripts/fuzz.sh "$FUZZ_SECONDS"; then
  failed+=("fuzzing")
fi

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED before the release tests: ${failed[*]}" >&2
fi
echo "== release tests"
cd build
status=0
ctest --output-on-failure -j "$jobs" || status=$?
[ ${#failed[@]} -eq 0 ] || exit 1
exit "$status"
