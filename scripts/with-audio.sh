#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a command inside a private PulseAudio server, then stops the server.
# The server lives in a temporary folder (its own XDG_RUNTIME_DIR) and has a
# null sink as the speaker and a pipe source reading a FIFO as the microphone,
# both the defaults. The command gets:
#   PULSE_SERVER          the server's socket
#   TEMBREL_MIC_FIFO      the FIFO the microphone hears (raw s16le samples)
#   TEMBREL_MIC_RATE      its sample rate; TEMBREL_MIC_CHANNELS its channels
#   TEMBREL_PULSE_PID     the server's process id
#   TEMBREL_AUDIO_CONTROL a command that unloads and reloads the microphone,
#                         stops, continues or kills the server (audio-control.sh)
# With --second-devices the server also has a second microphone ("Headset",
# source tembrel_mic2, reading the FIFO TEMBREL_MIC2_FIFO at the same rate)
# and a second speaker ("Headphones", sink tembrel_speaker2), neither of them
# the default, for the tests that choose a device.
# If the server cannot start, this fails loudly and the command does not run.
#   usage: scripts/with-audio.sh [--second-devices] ctest --output-on-failure -L audio
set -euo pipefail

second=""
if [ "${1:-}" = "--second-devices" ]; then
  second=1
  shift
fi
if [ $# -eq 0 ]; then
  echo "usage: $0 [--second-devices] command [argument...]" >&2
  exit 2
fi
if ! command -v pulseaudio >/dev/null || ! command -v pactl >/dev/null; then
  echo "with-audio: pulseaudio and pactl are needed (scripts/install-deps.sh)" >&2
  exit 1
fi

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d "${TMPDIR:-/tmp}/tembrel-audio.XXXXXX")"
runtime="$work/run"
mkdir -m 700 "$runtime" "$work/home"
socket="$runtime/native"
fifo="$work/mic.fifo"
fifo2="$work/mic2.fifo"
rate=16000
channels=1
log="$work/pulseaudio.log"

# .fail: a line that fails stops the server instead of leaving it half made.
# norewinds: without it the null sink renders two seconds ahead, and a stream
# then plays for its length plus that latency.
cat >"$work/server.pa" <<SERVER
.fail
load-module module-native-protocol-unix auth-anonymous=1 socket=$socket
load-module module-null-sink sink_name=tembrel_speaker sink_properties=device.description=Speaker norewinds=1
load-module module-pipe-source source_name=tembrel_mic file=$fifo format=s16le rate=$rate channels=$channels source_properties=device.description=Microphone
set-default-sink tembrel_speaker
set-default-source tembrel_mic
SERVER
if [ -n "$second" ]; then
  cat >>"$work/server.pa" <<SERVER
load-module module-null-sink sink_name=tembrel_speaker2 sink_properties=device.description=Headphones norewinds=1
load-module module-pipe-source source_name=tembrel_mic2 file=$fifo2 format=s16le rate=$rate channels=$channels source_properties=device.description=Headset
SERVER
fi

pid=""
cleanup() {
  for listener in "$work"/listener*.pid; do
    if [ -f "$listener" ]; then kill "$(cat "$listener")" 2>/dev/null || true; fi
  done
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    # A server a test left stopped takes SIGTERM only once it runs again.
    kill -CONT "$pid" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "with-audio: $1" >&2
  if [ -f "$log" ]; then sed 's/^/  pulseaudio: /' "$log" >&2; fi
  exit 1
}

# -n: no default configuration, only the script above; no idle exit and no
# client-requested exit keep it up for the whole run. It stays in the
# foreground of its own process, so the trap stops exactly this server. As
# root it warns that it is meant for --system, but a per-session server works.
HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" XDG_RUNTIME_DIR="$runtime" \
  pulseaudio -n -F "$work/server.pa" --daemonize=no --exit-idle-time=-1 --disallow-exit \
  --use-pid-file=no --log-target="file:$log" --log-level=notice &
pid=$!

export PULSE_SERVER="unix:$socket"
up=""
for _ in $(seq 1 100); do
  kill -0 "$pid" 2>/dev/null || fail "the PulseAudio server did not start"
  if pactl info >/dev/null 2>&1; then
    up=1
    break
  fi
  sleep 0.1
done
[ -n "$up" ] || fail "the PulseAudio server did not answer within 10 seconds"
info="$(pactl info)"
grep -q '^Default Sink: tembrel_speaker$' <<<"$info" || fail "the speaker is not the default sink"
grep -q '^Default Source: tembrel_mic$' <<<"$info" || fail "the microphone is not the default source"
[ -p "$fifo" ] || fail "the microphone FIFO $fifo is missing"

export TEMBREL_MIC_FIFO="$fifo" TEMBREL_MIC_RATE="$rate" TEMBREL_MIC_CHANNELS="$channels"
export TEMBREL_PULSE_PID="$pid" TEMBREL_AUDIO_WORK="$work"
export TEMBREL_AUDIO_CONTROL="$here/audio-control.sh"
# The listener that keeps the microphone hearing, as a real one does.
"$TEMBREL_AUDIO_CONTROL" listen || fail "the microphone listener did not connect"
if [ -n "$second" ]; then
  [ -p "$fifo2" ] || fail "the second microphone FIFO $fifo2 is missing"
  export TEMBREL_MIC2_FIFO="$fifo2"
  "$TEMBREL_AUDIO_CONTROL" listen2 || fail "the second microphone listener did not connect"
fi
status=0
"$@" || status=$?
exit "$status"
