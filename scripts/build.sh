#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Configures and builds into build/<type> (type Release unless given). Further
# arguments go to CMake's configure step; TEMBREL_TARGET builds one target only.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
type="${1:-Release}"
shift || true
dir="$here/build/${type,,}"
gen=()
if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
# A compiler cache, where there is one, makes rebuilds in other checkouts cheap.
if [ ! -f "$dir/CMakeCache.txt" ] && command -v ccache >/dev/null 2>&1; then
  gen+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
if [ ! -f "$dir/CMakeCache.txt" ] || [ $# -gt 0 ]; then
  cmake -S "$here" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
fi
cmake --build "$dir" --parallel "$(nproc)" ${TEMBREL_TARGET:+--target "$TEMBREL_TARGET"}
