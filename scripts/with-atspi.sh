#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command with the accessibility bus a screen reader listens on: a
# private session bus, the AT-SPI bus launcher and its registry. Run it inside
# scripts/with-xvfb.sh. Everything started is stopped afterwards.
#   scripts/with-atspi.sh command [args...]
# The command gets DBUS_SESSION_BUS_ADDRESS but not AT_SPI_BUS_ADDRESS: Qt 6.4
# reads that variable too early to register, and must find the bus through
# org.a11y.Bus on the session bus.
set -euo pipefail

work="$(mktemp -d "${TMPDIR:-/tmp}/tembrel-atspi.XXXXXX")"
pids=()
cleanup() {
  for ((i = ${#pids[@]} - 1; i >= 0; i--)); do kill "${pids[i]}" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Waits up to 10 s for a condition, or fails with the log that tells why.
await() {
  local what="$1" log="$2"
  shift 2
  for _ in $(seq 100); do
    if "$@" >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  echo "$what did not start:" >&2
  cat "$log" >&2
  exit 1
}

export XDG_RUNTIME_DIR="$work"
dbus-daemon --session --nofork --address="unix:dir=$work" --print-address=1 \
  >"$work/address" 2>"$work/dbus.log" &
pids+=($!)
await "dbus-daemon" "$work/dbus.log" grep -q unix: "$work/address"
DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$work/address")"
export DBUS_SESSION_BUS_ADDRESS
unset AT_SPI_BUS_ADDRESS

has_owner() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" | grep -q 'boolean true'
}
/usr/libexec/at-spi-bus-launcher --launch-immediately --a11y=1 >"$work/launcher.log" 2>&1 &
pids+=($!)
await "at-spi-bus-launcher" "$work/launcher.log" has_owner org.a11y.Bus
a11y="$(dbus-send --session --print-reply --dest=org.a11y.Bus /org/a11y/bus org.a11y.Bus.GetAddress |
  sed -n 's/^ *string "\(.*\)"$/\1/p')"
# The registry outlives the launcher: started by hand, it is ours to stop.
/usr/libexec/at-spi2-registryd >"$work/registry.log" 2>&1 \
  3>&- </dev/null &
registry=$!
pids+=($registry)
registered() {
  dbus-send --bus="$a11y" --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner string:org.a11y.atspi.Registry | grep -q 'boolean true'
}
# The registry finds the accessibility bus through the session bus or X.
await "at-spi2-registryd" "$work/registry.log" registered

status=0
"$@" || status=$?
exit "$status"
