#!/usr/bin/env bash
# The long fuzzing run: every target for the given number of seconds
# (default 600, ten minutes each), one after the other, with the working
# corpus kept in build-fuzz/corpus/ so a later run goes on from it.
#
#   scripts/fuzz-long.sh [seconds]
#
# An input that breaks a target is saved in build-fuzz/findings/ and the run
# fails. To keep it as a regression: run the target on that file alone
# (build-fuzz/bin/<name>_fuzz build-fuzz/findings/<file>) to see the report,
# fix the fault, add a unit test for it, and copy the file into
# fuzz/corpus/<name>/ so that every later run (the short one in test.sh too)
# replays it.
set -euo pipefail
LEAFWRIGHT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
exec "$LEAFWRIGHT_ROOT/scripts/fuzz.sh" "${1:-600}"
