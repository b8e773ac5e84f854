#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds, and runs every test through CTest.
# The audio tests run against a private PulseAudio server started here; the
# real-window tests under Xvfb. Exits non-zero on any failure.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"
"$here/scripts/build.sh" RelWithDebInfo
dir="$here/build/relwithdebinfo"

cd "$dir"
status=0
# Everything that needs no audio server.
ctest --output-on-failure --label-exclude audio -j "$(nproc)" || status=1
# The audio tests, inside their own PulseAudio server.
if [ -x "$here/scripts/with-audio.sh" ] && ctest -N -L audio | grep -q 'Total Tests: [1-9]'; then
  "$here/scripts/with-audio.sh" ctest --output-on-failure -L audio || status=1
fi
exit $status
