#!/usr/bin/env bash
# Checks the layering of the includes under src/:
#  - each folder of src/core includes only itself and the core folders that
#    the layer table of docs/ARCHITECTURE.md lets it include (the table is
#    read from there, so the map and this check cannot disagree), and that
#    table has no cycle;
#  - src/core includes nothing of the front ends (desktop/, cli/) and no Qt
#    header;
#  - only src/core/fonts includes HarfBuzz, fontconfig or FriBidi;
#  - only the sources of src/core/breaks include ICU (not its headers);
#  - only src/core/encoding includes iconv or uchardet;
#  - only src/core/compression includes zlib, only src/core/deflate libdeflate,
#    only the sources of src/core/png libpng;
#  - src/cli includes nothing of the desktop;
#  - the folders of src/desktop (app, settings, plustools, platform, widgets)
#    include one another without a cycle.
# Usage: check-include-graph.sh [SOURCE_ROOT]   (default: the project's root)
# Prints every fault and exits 1 when there is one.
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
src=$root/src
map=$root/docs/ARCHITECTURE.md
faults=0

fault() {
  echo "include graph: $*" >&2
  faults=$((faults + 1))
}

# The include lines of a folder's files that match a pattern, as file:line.
includes_matching() {
  local folder=$1 pattern=$2
  [ -d "$folder" ] || return 0
  grep -rnE --include='*.h' --include='*.cpp' "^[[:space:]]*#[[:space:]]*include[[:space:]]*$pattern" \
    "$folder" || true
}

# Whether `to` can be reached from `from` along the edges "from,to" of the
# associative array named by $3, through the nodes of the array named by $4.
reaches() {
  local from=$1 to=$2 next
  local -n edges=$3 nodes=$4
  local -A seen=([$from]=1)
  local queue=("$from")
  while [ ${#queue[@]} -gt 0 ]; do
    local at=${queue[0]}
    queue=("${queue[@]:1}")
    for next in "${nodes[@]}"; do
      [ -n "${edges[$at,$next]:-}" ] || continue
      [ "$next" = "$to" ] && return 0
      [ -n "${seen[$next]:-}" ] && continue
      seen[$next]=1
      queue+=("$next")
    done
  done
  return 1
}

# --- The core's layers, as the map's table states them ----------------------

# Rows of the table: "| layer | `src/core/NAME` — what | may include |".
declare -A allowed=()
core_folders=()
while IFS= read -r row; do
  name=$(sed -E 's|^[^`]*`src/core/([a-z_]+)`.*|\1|' <<<"$row")
  may=$(awk -F'|' '{ print $4 }' <<<"$row")
  core_folders+=("$name")
  for word in $(grep -oE '[a-z_]+' <<<"$may" || true); do allowed[$name,$word]=1; done
done < <(grep -E '^\|[^|]*\|[[:space:]]*`src/core/[a-z_]+`' "$map" 2>/dev/null || true)
if [ ${#core_folders[@]} -eq 0 ]; then
  fault "no core layer table in ${map#"$root/"}"
fi
# Words of the "may include" cells that name no core folder (the standard
# library, POSIX, remarks) are no edges.
declare -A layer_edge=()
for from in "${core_folders[@]}"; do
  for to in "${core_folders[@]}"; do
    [ "$from" != "$to" ] && [ -n "${allowed[$from,$to]:-}" ] && layer_edge[$from,$to]=1
  done
done
for a in "${core_folders[@]}"; do
  reaches "$a" "$a" layer_edge core_folders && fault "the core layer table has a cycle through core/$a"
done

for folder in "$src"/core/*/; do
  from=$(basename "$folder")
  if [ -z "$(printf '%s\n' "${core_folders[@]}" | grep -Fx "$from" || true)" ]; then
    fault "core/$from is not in the layer table of ${map#"$root/"}"
    continue
  fi
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    to=$(sed -E 's|.*"core/([a-z_]+)/.*|\1|' <<<"$line")
    [ "$to" = "$from" ] && continue
    [ -n "${allowed[$from,$to]:-}" ] ||
      fault "core/$from may not include core/$to: ${line#"$src/"}"
  done < <(includes_matching "$folder" '"core/[a-z_]+/')
done

# --- What stays outside the core, or inside one folder of it ----------------

while IFS= read -r line; do
  [ -n "$line" ] && fault "the core includes a front end or Qt: ${line#"$src/"}"
done < <(includes_matching "$src/core" '("(desktop|cli)/|<Q[A-Za-z]*>|<Qt)')

while IFS= read -r line; do
  case $line in "$src/core/fonts/"*) continue ;; esac
  [ -n "$line" ] && fault "HarfBuzz, fontconfig or FriBidi outside core/fonts: ${line#"$src/"}"
done < <(includes_matching "$src" '<(hb[a-z-]*\.h|harfbuzz/|fontconfig/|fribidi[a-z-]*\.h|fribidi/)')

# ICU's headers (<unicode/...>) stay inside the sources of core/breaks, so
# that its headers show no ICU type.
while IFS= read -r line; do
  case $line in "$src/core/breaks/"*.cpp:*) continue ;; esac
  [ -n "$line" ] && fault "ICU outside core/breaks: ${line#"$src/"}"
done < <(includes_matching "$src" '<unicode/')

while IFS= read -r line; do
  case $line in "$src/core/encoding/"*) continue ;; esac
  [ -n "$line" ] && fault "iconv or uchardet outside core/encoding: ${line#"$src/"}"
done < <(includes_matching "$src" '<(iconv\.h|uchardet/)')

while IFS= read -r line; do
  case $line in "$src/core/compression/"*) continue ;; esac
  [ -n "$line" ] && fault "zlib outside core/compression: ${line#"$src/"}"
done < <(includes_matching "$src" '<zlib\.h>')

while IFS= read -r line; do
  case $line in "$src/core/deflate/"*) continue ;; esac
  [ -n "$line" ] && fault "libdeflate outside core/deflate: ${line#"$src/"}"
done < <(includes_matching "$src" '<libdeflate\.h>')

while IFS= read -r line; do
  case $line in "$src/core/png/"*.cpp:*) continue ;; esac
  [ -n "$line" ] && fault "libpng outside core/png: ${line#"$src/"}"
done < <(includes_matching "$src" '<png\.h>')

while IFS= read -r line; do
  [ -n "$line" ] && fault "the command line includes the desktop: ${line#"$src/"}"
done < <(includes_matching "$src/cli" '"desktop/')

# --- The desktop's folders: no cycle -----------------------------------------

# The edges between desktop folders: "from to file".
folders=(app settings plustools platform widgets)
declare -A edge=() why=()
for from in "${folders[@]}"; do
  [ -d "$src/desktop/$from" ] || continue
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    to=$(sed -E 's|.*"desktop/([a-z_]+)/.*|\1|' <<<"$line")
    [ "$to" = "$from" ] && continue
    edge[$from,$to]=1
    why[$from,$to]=${why[$from,$to]:-${line#"$src/"}}
  done < <(includes_matching "$src/desktop/$from" '"desktop/[a-z_]+/')
done

for a in "${folders[@]}"; do
  for b in "${folders[@]}"; do
    [[ "$a" < "$b" ]] || continue
    if reaches "$a" "$b" edge folders && reaches "$b" "$a" edge folders; then
      detail=""
      [ -n "${why[$a,$b]:-}" ] && detail+=" ($a -> $b: ${why[$a,$b]})"
      [ -n "${why[$b,$a]:-}" ] && detail+=" ($b -> $a: ${why[$b,$a]})"
      [ -n "$detail" ] || detail=" (through other folders)"
      fault "desktop/$a and desktop/$b include each other$detail"
    fi
  done
done

if [ "$faults" -gt 0 ]; then
  echo "include graph: $faults fault(s)" >&2
  exit 1
fi
echo "include graph: core folders within their layers (${#core_folders[@]} in the map's table);" \
  "no cycle between desktop folders; core free of front ends and Qt"
