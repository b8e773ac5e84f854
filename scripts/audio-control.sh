#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Changes the private PulseAudio server of scripts/with-audio.sh while a test
# runs, from inside it (with-audio.sh exports this script as
# TEMBREL_AUDIO_CONTROL):
#   mic-off     unloads the microphone's module, as when a USB microphone is
#               pulled out: its recordings end, it leaves the device list
#   mic-on      loads it again (a new FIFO at TEMBREL_MIC_FIFO), as the
#               default source, with its listener
#   listen      starts the listener that keeps the microphone reading its FIFO
#   mic2-off, mic2-on, listen2
#               the same for the second microphone (with-audio.sh
#               --second-devices), which is never made the default
#   stop, cont  SIGSTOP and SIGCONT of the server: it hangs, then answers again
#   kill        SIGKILL of the server
set -euo pipefail

: "${PULSE_SERVER:?run inside scripts/with-audio.sh}"
: "${TEMBREL_AUDIO_WORK:?run inside scripts/with-audio.sh}"
fifo="$TEMBREL_MIC_FIFO"
rate="$TEMBREL_MIC_RATE"
channels="$TEMBREL_MIC_CHANNELS"

# The listener of a source and its pid file.
pid_file() { echo "$TEMBREL_AUDIO_WORK/listener${1#tembrel_mic}.pid"; }

stop_listener() {
  local pids
  pids="$(pid_file "$1")"
  if [ -f "$pids" ]; then
    kill "$(cat "$pids")" 2>/dev/null || true
    rm -f "$pids"
  fi
}

# Without a reader the pipe source stops reading the FIFO while nobody
# records, and the FIFO would hand old sound to the next recording: a
# listener keeps it running as a real microphone keeps hearing.
listen() {
  local source="$1" index
  stop_listener "$source"
  # Its own session: the test that runs this helper does not wait for it.
  setsid parec --device="$source" --format=s16le --rate="$rate" --channels="$channels" \
    >/dev/null 2>&1 </dev/null &
  echo $! >"$(pid_file "$source")"
  index="$(pactl list short sources | awk -v n="$source" '$2 == n { print $1 }')"
  for _ in $(seq 1 50); do
    if pactl list short source-outputs | awk -v i="$index" '$2 == i { f = 1 } END { exit !f }'; then
      return 0
    fi
    sleep 0.1
  done
  echo "audio-control: the listener of $source did not connect" >&2
  return 1
}

# Unloads the module of one source (pactl would unload every pipe source by name).
unplug() {
  stop_listener "$1"
  pactl list short modules | awk -v n="source_name=$1" '{ for (i = 1; i <= NF; i++) if ($i == n) print $1 }' |
    while read -r module; do pactl unload-module "$module"; done
}

plug() {
  pactl load-module module-pipe-source source_name="$1" file="$2" format=s16le \
    rate="$rate" channels="$channels" source_properties=device.description="$3" >/dev/null
}

case "${1:-}" in
  mic-off) unplug tembrel_mic ;;
  mic-on)
    plug tembrel_mic "$fifo" Microphone
    pactl set-default-source tembrel_mic
    listen tembrel_mic
    # The server moves the other source's listener to the new default.
    if [ -f "$(pid_file tembrel_mic2)" ]; then listen tembrel_mic2; fi
    ;;
  listen) listen tembrel_mic ;;
  mic2-off) unplug tembrel_mic2 ;;
  mic2-on)
    plug tembrel_mic2 "${TEMBREL_MIC2_FIFO:?run inside scripts/with-audio.sh --second-devices}" Headset
    listen tembrel_mic2
    ;;
  listen2) listen tembrel_mic2 ;;
  stop) kill -STOP "$TEMBREL_PULSE_PID" ;;
  cont) kill -CONT "$TEMBREL_PULSE_PID" ;;
  kill) kill -KILL "$TEMBREL_PULSE_PID" ;;
  *)
    echo "usage: $0 mic-off|mic-on|listen|mic2-off|mic2-on|listen2|stop|cont|kill" >&2
    exit 2
    ;;
esac
