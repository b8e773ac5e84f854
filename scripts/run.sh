#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the program alone (Release: no tests, no
# benchmarks) and starts it from its own folder, where it keeps its data files.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"
TEMBREL_TARGET=Tembrel "$here/scripts/build.sh" Release \
  -DTEMBREL_BUILD_TESTS=OFF -DTEMBREL_BUILD_BENCH=OFF
exec "$here/build/release/bin/Tembrel" "$@"
