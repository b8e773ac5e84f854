#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the program and its tests with AddressSanitizer and
# UndefinedBehaviorSanitizer (GCC) in build/sanitize and runs every test, the
# audio ones inside their own PulseAudio server. Not part of CI: about ten
# minutes on two cores from scratch, four once built (scripts/test.sh: five).
# Exits non-zero on any failure or sanitizer report.
#   scripts/test-sanitizers.sh [ctest arguments...]   e.g. -L unit
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$here/scripts/install-deps.sh"
dir="$here/build/sanitize"
# UBSan's array index check is left out: GCC 12 miscompiles it on an array
# of pointers to member functions of a class with several bases (the
# recording window's marker handlers), reporting a garbage index and then
# crashing where the plain build is right. AddressSanitizer still catches
# every access outside an object.
flags="-fsanitize=address,undefined -fno-sanitize=bounds -fno-sanitize-recover=all"
flags+=" -fno-omit-frame-pointer"
gen=()
if [ ! -f "$dir/CMakeCache.txt" ] && command -v ninja >/dev/null 2>&1; then gen=(-G Ninja); fi
cmake -S "$here" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=Debug -DTEMBREL_BUILD_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$dir" --parallel "$(nproc)"

# Leaks are not looked for: Qt's font and platform plugins keep caches for the
# whole process, which LeakSanitizer would report in every test. Nor is
# strict_string_checks set: libxkbcommon-x11 hands strndup() names that are
# not NUL-terminated, with their length, which that check reports.
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

cd "$dir"
status=0
# test_scope counts allocations by replacing malloc, which AddressSanitizer owns.
ctest --output-on-failure --label-exclude audio --exclude-regex '^test_scope$' -j "$(nproc)" "$@" ||
  status=1
if ctest -N -L audio "$@" | grep -q 'Total Tests: [1-9]'; then
  "$here/scripts/with-audio.sh" ctest --output-on-failure -L audio "$@" || status=1
fi
exit $status
