#!/usr/bin/env bash
# Configures and builds the given presets (default: all three).
#   native       vandrix for Linux
#   windows      Vandrix.exe for 32-bit Windows, the product
#   windows-x64  the same for 64-bit Windows, for testing under 64-bit Wine
set -euo pipefail
cd "$(dirname "$0")/.."

presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(native windows windows-x64)
for preset in "${presets[@]}"; do
  echo "== build: $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$(nproc)"
done
