#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
LEAFWRIGHT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$LEAFWRIGHT_ROOT"
# shellcheck source=scripts/common.sh
source scripts/common.sh

install_packages "${LEAFWRIGHT_PACKAGES[@]}"
configure_and_build release

# The window tests run without a display.
export QT_QPA_PLATFORM=offscreen
cd build
ctest --output-on-failure -j "$(nproc 2>/dev/null || echo 2)"
