#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private X server: Xvfb on a free display with the
# openbox window manager (without one, windows are never activated and
# keystrokes go nowhere). Both are stopped afterwards, whatever happens.
#   scripts/with-xvfb.sh command [args...]
# The command gets DISPLAY; its exit status is the script's. It is stopped
# after XVFB_TIMEOUT seconds (default 300) so that nothing can hang.
set -euo pipefail

if [ $# -eq 0 ]; then
  echo "usage: $0 command [args...]" >&2
  exit 2
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/tembrel-xvfb.XXXXXX")"
xvfb_pid=""
wm_pid=""
cleanup() {
  if [ -n "$wm_pid" ]; then kill "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  if [ -n "$wm_pid" ]; then wait "$wm_pid" 2>/dev/null || true; fi
  if [ -n "$xvfb_pid" ]; then wait "$xvfb_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# -displayfd: Xvfb picks a free display itself and writes its number once it
# accepts connections, so two runs side by side never collide. -noreset: the
# server must not reset when its last client leaves, or the next one to
# connect in that moment is refused.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
# The number is complete once its line end is written.
have_display() { [ "$(wc -l <"$work/display")" -ge 1 ]; }
for _ in $(seq 100); do
  have_display && break
  if ! kill -0 "$xvfb_pid" 2>/dev/null; then
    echo "Xvfb did not start:" >&2
    cat "$work/xvfb.log" >&2
    exit 1
  fi
  sleep 0.1
done
if ! have_display; then
  echo "Xvfb gave no display within 10 s" >&2
  exit 1
fi
export DISPLAY=":$(head -n1 "$work/display")"
if ! xdpyinfo >/dev/null 2>&1; then
  echo "cannot connect to Xvfb on $DISPLAY" >&2
  exit 1
fi

HOME="${HOME:-$work}" openbox --sm-disable >"$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is ready once it announces itself on the root window.
for _ in $(seq 100); do
  if xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
    break
  fi
  sleep 0.1
done
if ! xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; then
  echo "openbox did not start:" >&2
  cat "$work/openbox.log" >&2
  exit 1
fi

status=0
timeout --kill-after=5 "${XVFB_TIMEOUT:-300}" "$@" || status=$?
exit "$status"
