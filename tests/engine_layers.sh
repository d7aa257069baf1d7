#!/usr/bin/env bash
# The engine's layers: every file of engine/ includes only headers of its own
# layer or of a layer before it, and nothing of the program outside engine/.
# The order is read from engine/engine.h (the line "//   layers: ...");
# a layer is a subfolder, the files directly in engine/ are "entry". Tests
# (*_test.cpp) are left out: they reach the engine as the program does.
#   tests/engine_layers.sh [ENGINE_FOLDER]
set -euo pipefail
engine=${1:-$(dirname "$0")/../engine}
read -r -a layers < <(sed -n 's|^//   layers: ||p' "$engine/engine.h")
[ "${#layers[@]}" -gt 0 ] || { echo "engine_layers: no layers line in $engine/engine.h" >&2; exit 1; }

# The place of a layer in the order, or -1.
rank() {
  local i
  for i in "${!layers[@]}"; do [ "${layers[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo -1
}

# The layer of a path below engine/ ("io/walk.h" is io, "engine.h" entry).
layer_of() {
  case $1 in */*) echo "${1%%/*}" ;; *) echo entry ;; esac
}

faults=0
while IFS= read -r file; do
  name=${file#"$engine"/}
  own=$(layer_of "$name")
  own_rank=$(rank "$own")
  if [ "$own_rank" -lt 0 ]; then
    echo "$name: $own is no layer of engine.h"; faults=$((faults + 1)); continue
  fi
  while IFS= read -r included; do
    if [ "${included#engine/}" = "$included" ]; then
      echo "$name includes $included, outside the engine"; faults=$((faults + 1)); continue
    fi
    layer=$(layer_of "${included#engine/}")
    if [ "$(rank "$layer")" -gt "$own_rank" ]; then
      echo "$name ($own) includes $included ($layer, a higher layer)"; faults=$((faults + 1))
    fi
  done < <(sed -n 's|^#include "\(.*\)".*|\1|p' "$file")
done < <(find "$engine" \( -name '*.h' -o -name '*.cpp' \) ! -name '*_test.cpp' | sort)

echo "engine_layers: ${layers[*]}: $faults upward or outside includes"
[ "$faults" -eq 0 ]
