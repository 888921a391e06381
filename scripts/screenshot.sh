#!/usr/bin/env bash
# Draws the pictures of the README under a virtual X server with
# leafwright-screenshots (built beside PROGRAM) and writes them into the
# folder of OUTPUT.png:
#   OUTPUT.png (docs/main-window.png)  the main window half-way through a run
#                                      of 2,000 one-line files
#   main-window-scale2.png             the same at a scale factor of 2
#   print-menu.png                     the File menu open on Print...
#   settings-dialog.png                the settings dialog as Options first
#                                      opens it
#   unspool-window.png                 the Unspool window
#   main-window-dark.png               the main window under a dark palette
#   scripts/screenshot.sh [PROGRAM] [OUTPUT.png]
# PROGRAM defaults to build/bin/leafwright.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-$root/build/bin/leafwright}
output=${2:-$root/docs/main-window.png}
shots="$(dirname "$program")/leafwright-screenshots"
if [ ! -x "$shots" ]; then
  echo "No leafwright-screenshots beside $program: build it first (./run.sh or cmake --build build)." >&2
  exit 1
fi
command -v xvfb-run >/dev/null || { echo "xvfb-run is missing (xvfb)." >&2; exit 1; }
folder=$(dirname "$output")
mkdir -p "$folder"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/scale1" "$work/scale2"

xvfb-run -a -s "-screen 0 1600x1200x24" "$shots" "$work/scale1"
xvfb-run -a -s "-screen 0 1600x1200x24" env QT_SCALE_FACTOR=2 "$shots" --run-only "$work/scale2"

place() {  # place PICTURE TARGET
  cp "$1" "$2"
  echo "Wrote $2 ($(identify -format '%wx%h' "$2" 2>/dev/null || echo '?'))"
}
place "$work/scale1/main-window-run.png" "$output"
place "$work/scale2/main-window-run.png" "$folder/main-window-scale2.png"
for picture in print-menu settings-dialog unspool-window main-window-dark; do
  place "$work/scale1/$picture.png" "$folder/$picture.png"
done
