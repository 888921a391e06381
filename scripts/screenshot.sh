#!/usr/bin/env bash
# Takes a picture of the main window under a virtual X server and writes it
# to docs/main-window.png; with leafwright-screenshots built beside PROGRAM,
# also the settings dialog (as Options first opens it) and the Unspool window,
# as settings-dialog.png and unspool-window.png beside OUTPUT.
#   scripts/screenshot.sh [PROGRAM] [OUTPUT.png]
# PROGRAM defaults to build/bin/leafwright. The picture is taken with
# ImageMagick's `import -window root` (xwd draws open menus black) and cut
# to the window.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
program=${1:-$root/build/bin/leafwright}
output=${2:-$root/docs/main-window.png}
if [ ! -x "$program" ]; then
  echo "No program at $program: build it first (./run.sh or cmake --build build)." >&2
  exit 1
fi
for tool in xvfb-run import convert; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (xvfb, imagemagick)." >&2; exit 1; }
done
mkdir -p "$(dirname "$output")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Runs inside the virtual server: start the window, wait until it is mapped,
# photograph the screen, end the program.
cat > "$work/shoot.sh" <<'INNER'
set -euo pipefail
program=$1 work=$2
"$program" &
pid=$!
geometry=
for _ in $(seq 1 100); do
  if command -v xwininfo >/dev/null; then
    geometry=$(xwininfo -root -tree 2>/dev/null |
      sed -n 's/.*"Leafwright v3\.5".* \([0-9]*x[0-9]*+[0-9]*+[0-9]*\) .*/\1/p' | head -n 1)
    [ -n "$geometry" ] && break
  fi
  sleep 0.1
done
sleep 1  # let the window finish drawing
import -window root "$work/screen.png"
kill "$pid" 2>/dev/null || true
wait "$pid" 2>/dev/null || true
echo "$geometry" > "$work/geometry"
shots="$(dirname "$program")/leafwright-screenshots"
if [ -x "$shots" ]; then
  mkdir -p "$work/dialogs"
  "$shots" "$work/dialogs"
fi
INNER

# Black root (-br), so that trimming finds the window when xwininfo is absent.
xvfb-run -a -s "-screen 0 1024x768x24 -br" bash "$work/shoot.sh" "$program" "$work"
geometry=$(cat "$work/geometry")
if [ -n "$geometry" ]; then
  convert "$work/screen.png" -crop "$geometry" +repage "$output"
else
  convert "$work/screen.png" -trim +repage "$output"
fi
echo "Wrote $output ($(identify -format '%wx%h' "$output"))"
for picture in "$work"/dialogs/*.png; do
  [ -e "$picture" ] || continue
  target="$(dirname "$output")/$(basename "$picture")"
  cp "$picture" "$target"
  echo "Wrote $target ($(identify -format '%wx%h' "$target"))"
done
