#!/usr/bin/env bash
# Fails when a C++ file of src/, tests/, fuzz/ or bench/ is not formatted as
# .clang-format says. Format a file with: clang-format-14 -i FILE
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
git ls-files -z -- 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' \
    'fuzz/*.cpp' 'fuzz/*.h' 'bench/*.cpp' 'bench/*.h' |
  xargs -0 clang-format-14 --dry-run -Werror
