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
#   stop, cont  SIGSTOP and SIGCONT of the server: it hangs, then answers again
#   kill        SIGKILL of the server
set -euo pipefail

: "${PULSE_SERVER:?run inside scripts/with-audio.sh}"
: "${TEMBREL_AUDIO_WORK:?run inside scripts/with-audio.sh}"
fifo="$TEMBREL_MIC_FIFO"
rate="$TEMBREL_MIC_RATE"
channels="$TEMBREL_MIC_CHANNELS"
listener_pid="$TEMBREL_AUDIO_WORK/listener.pid"

stop_listener() {
  if [ -f "$listener_pid" ]; then
    kill "$(cat "$listener_pid")" 2>/dev/null || true
    rm -f "$listener_pid"
  fi
}

# Without a reader the pipe source stops reading the FIFO while nobody
# records, and the FIFO would hand old sound to the next recording: a
# listener keeps it running as a real microphone keeps hearing.
listen() {
  stop_listener
  # Its own session: the test that runs this helper does not wait for it.
  setsid parec --device=tembrel_mic --format=s16le --rate="$rate" --channels="$channels" \
    >/dev/null 2>&1 </dev/null &
  echo $! >"$listener_pid"
  for _ in $(seq 1 50); do
    if pactl list short source-outputs | grep -q .; then return 0; fi
    sleep 0.1
  done
  echo "audio-control: the microphone listener did not connect" >&2
  return 1
}

case "${1:-}" in
  mic-off)
    stop_listener
    pactl unload-module module-pipe-source
    ;;
  mic-on)
    pactl load-module module-pipe-source source_name=tembrel_mic file="$fifo" format=s16le \
      rate="$rate" channels="$channels" source_properties=device.description=Microphone >/dev/null
    pactl set-default-source tembrel_mic
    listen
    ;;
  listen) listen ;;
  stop) kill -STOP "$TEMBREL_PULSE_PID" ;;
  cont) kill -CONT "$TEMBREL_PULSE_PID" ;;
  kill) kill -KILL "$TEMBREL_PULSE_PID" ;;
  *)
    echo "usage: $0 mic-off|mic-on|listen|stop|cont|kill" >&2
    exit 2
    ;;
esac
