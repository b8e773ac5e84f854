#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds into build/<type> (type Release unless given).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
type="${1:-Release}"
dir="$here/build/${type,,}"
gen=()
if command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$here" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE="$type" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)"
