#!/usr/bin/env bash
# Installs what is missing, builds, and starts Leafwright.
#   ./run.sh                  starts the desktop program
#   ./run.sh convert a.txt    runs leafwright-cli with these arguments
set -euo pipefail
LEAFWRIGHT_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
cd "$LEAFWRIGHT_ROOT"
# shellcheck source=scripts/common.sh
source scripts/common.sh

install_packages "${LEAFWRIGHT_PACKAGES[@]}" >&2
configure_and_build release >&2

if [ $# -gt 0 ]; then
  exec "$LEAFWRIGHT_ROOT/build/bin/leafwright-cli" "$@"
fi

if [ -x "$LEAFWRIGHT_ROOT/build/bin/leafwright" ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    echo "No display is available, so the window cannot open." >&2
    echo "Use the command line instead, for example: ./run.sh convert notes.txt" >&2
    echo "(./run.sh --help lists its commands.)" >&2
    exit 1
  fi
  exec "$LEAFWRIGHT_ROOT/build/bin/leafwright"
fi

# No desktop program in this build: convert the sample texts instead.
out="$LEAFWRIGHT_ROOT/build/examples"
mkdir -p "$out"
cp "$LEAFWRIGHT_ROOT"/examples/*.txt "$out"/
"$LEAFWRIGHT_ROOT/build/bin/leafwright-cli" convert --force "$out"/*.txt
echo "The PDFs are in $out"
