# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the real-window test scripts (sourced): what they print and how
# they wait. `run_log` names the program's output, shown when a step fails.

fail() {
  echo "FAIL: $*" >&2
  if [ -n "${run_log:-}" ] && [ -s "$run_log" ]; then
    echo "--- program output:" >&2
    cat "$run_log" >&2
  fi
  exit 1
}

step() { echo "[$(date +%T.%N | cut -c1-12)] $*"; }

# wait_for <tenths of a second> <command...>: polls until the command succeeds.
wait_for() {
  local tries="$1"
  shift
  for _ in $(seq "$tries"); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}
