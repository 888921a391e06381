#!/usr/bin/env bash
# Takes a picture of the main window (with the examples listed) under a
# virtual X server and writes it to docs/main-window.png, and one at a scale
# factor of 2 as main-window-scale2.png beside it; with leafwright-screenshots
# built beside PROGRAM, also the settings dialog (as Options first opens it),
# the Unspool window and the main window under a dark palette, as
# settings-dialog.png, unspool-window.png and main-window-dark.png.
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
program=$1 work=$2 examples=$3
# One picture of the window as it opens with the examples listed: NAME.png
# and NAME.geometry in $work.
shoot() {
  local name=$1 pid geometry=
  "$program" "$examples"/*.txt &
  pid=$!
  for _ in $(seq 1 100); do
    if command -v xdotool >/dev/null; then
      window=$(xdotool search --name 'Leafwright v3\.5' 2>/dev/null | head -n 1 || true)
      if [ -n "$window" ]; then
        eval "$(xdotool getwindowgeometry --shell "$window")"
        geometry="${WIDTH}x${HEIGHT}+${X}+${Y}"
      fi
    elif command -v xwininfo >/dev/null; then
      geometry=$(xwininfo -root -tree 2>/dev/null |
        sed -n 's/.*"Leafwright v3\.5".* \([0-9]*x[0-9]*+[0-9]*+[0-9]*\) .*/\1/p' | head -n 1)
    fi
    [ -n "$geometry" ] && break
    sleep 0.1
  done
  sleep 1  # let the window finish drawing
  import -window root "$work/$name.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$geometry" > "$work/$name.geometry"
}
shoot screen
QT_SCALE_FACTOR=2 shoot scale2
shots="$(dirname "$program")/leafwright-screenshots"
if [ -x "$shots" ]; then
  mkdir -p "$work/dialogs"
  "$shots" "$work/dialogs"
fi
INNER

# Black root (-br), so that trimming finds the window when xwininfo is absent.
xvfb-run -a -s "-screen 0 1600x1200x24 -br" bash "$work/shoot.sh" "$program" "$work" "$root/examples"
cut() {
  local name=$1 target=$2 geometry
  geometry=$(cat "$work/$name.geometry")
  if [ -n "$geometry" ]; then
    convert "$work/$name.png" -crop "$geometry" +repage "$target"
  else
    convert "$work/$name.png" -trim +repage "$target"
  fi
  echo "Wrote $target ($(identify -format '%wx%h' "$target"))"
}
cut screen "$output"
cut scale2 "$(dirname "$output")/main-window-scale2.png"
for picture in "$work"/dialogs/*.png; do
  [ -e "$picture" ] || continue
  target="$(dirname "$output")/$(basename "$picture")"
  cp "$picture" "$target"
  echo "Wrote $target ($(identify -format '%wx%h' "$target"))"
done
