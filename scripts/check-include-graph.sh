#!/usr/bin/env bash
# Checks the layering of the includes under src/:
#  - src/core includes nothing of the front ends (desktop/, cli/) and no Qt
#    header;
#  - only src/core/fonts includes HarfBuzz or fontconfig;
#  - only src/core/compression includes zlib;
#  - src/cli includes nothing of the desktop;
#  - the folders of src/desktop (app, settings, plustools, platform, widgets)
#    include one another without a cycle.
# Usage: check-include-graph.sh [SOURCE_ROOT]   (default: the project's root)
# Prints every fault and exits 1 when there is one.
set -euo pipefail

root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
src=$root/src
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

while IFS= read -r line; do
  [ -n "$line" ] && fault "the core includes a front end or Qt: ${line#"$src/"}"
done < <(includes_matching "$src/core" '("(desktop|cli)/|<Q[A-Za-z]*>|<Qt)')

while IFS= read -r line; do
  case $line in "$src/core/fonts/"*) continue ;; esac
  [ -n "$line" ] && fault "HarfBuzz or fontconfig outside core/fonts: ${line#"$src/"}"
done < <(includes_matching "$src" '<(hb[a-z-]*\.h|harfbuzz/|fontconfig/)')

while IFS= read -r line; do
  case $line in "$src/core/compression/"*) continue ;; esac
  [ -n "$line" ] && fault "zlib outside core/compression: ${line#"$src/"}"
done < <(includes_matching "$src" '<zlib\.h>')

while IFS= read -r line; do
  [ -n "$line" ] && fault "the command line includes the desktop: ${line#"$src/"}"
done < <(includes_matching "$src/cli" '"desktop/')

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

# Whether `to` can be reached from `from` along the edges.
reaches() {
  local from=$1 to=$2 next
  local -A seen=([$from]=1)
  local queue=("$from")
  while [ ${#queue[@]} -gt 0 ]; do
    local at=${queue[0]}
    queue=("${queue[@]:1}")
    for next in "${folders[@]}"; do
      [ -n "${edge[$at,$next]:-}" ] || continue
      [ "$next" = "$to" ] && return 0
      [ -n "${seen[$next]:-}" ] && continue
      seen[$next]=1
      queue+=("$next")
    done
  done
  return 1
}

for a in "${folders[@]}"; do
  for b in "${folders[@]}"; do
    [[ "$a" < "$b" ]] || continue
    if reaches "$a" "$b" && reaches "$b" "$a"; then
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
echo "include graph: no cycle between desktop folders; core free of front ends and Qt"
