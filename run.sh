#!/usr/bin/env bash
# Installs what is missing, builds, and starts Leafwright.
#   ./run.sh                  starts the desktop program (without a display:
#                             converts the examples into build/examples)
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

# Converts the bundled examples with leafwright-cli and says where they are.
convert_examples() {
  local out="$LEAFWRIGHT_ROOT/build/examples"
  mkdir -p "$out"
  cp "$LEAFWRIGHT_ROOT"/examples/*.txt "$out"/
  "$LEAFWRIGHT_ROOT/build/bin/leafwright-cli" convert --force "$out"/*.txt
  echo "The PDFs are in $out"
}

if [ -x "$LEAFWRIGHT_ROOT/build/bin/leafwright" ]; then
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    # A server or a container: do the main job on the examples instead.
    echo "No display is available, so the window cannot open; converting the examples instead."
    convert_examples
    echo "To open the window, run ./run.sh on a desktop (or with DISPLAY or WAYLAND_DISPLAY set)."
    echo "To convert your own files: ./run.sh convert notes.txt (./run.sh --help lists the commands)."
    exit 0
  fi
  exec "$LEAFWRIGHT_ROOT/build/bin/leafwright"
fi

# No desktop program in this build: convert the sample texts instead.
convert_examples
