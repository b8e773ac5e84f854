#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Real-window smoke test of the program, run inside scripts/with-xvfb.sh:
#   e2e_mainwindow.sh <path of the Tembrel executable> <screenshots folder>
# Starts the real program from a temporary copy of its folder, waits for its
# window, takes screenshots, checks the title and the blue background, checks
# that a second start shows the "already running" message and ends, that
# Ctrl+Q ends the program, and that a killed run does not block the next one.
set -euo pipefail

exe="$1"
shots="$2"
: "${DISPLAY:?run me through scripts/with-xvfb.sh}"
mkdir -p "$shots"

app="$(mktemp -d "${TMPDIR:-/tmp}/tembrel-e2e.XXXXXX")"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null || true; done
  rm -rf "$app"
}
trap cleanup EXIT

# The program keeps its files next to itself: give it a folder of its own,
# with the files that ship with it.
cp "$exe" "$app/Tembrel"
for f in JFValid.ini Tembrel.rtf; do
  if [ -f "$(dirname "$exe")/$f" ]; then cp "$(dirname "$exe")/$f" "$app/"; fi
done
# The single-instance lock lives in the user's runtime folder: a private one,
# so that a copy of Tembrel running elsewhere on this machine does not interfere.
mkdir -p "$app/tmp" "$app/run"
chmod 700 "$app/run"
export TMPDIR="$app/tmp" XDG_RUNTIME_DIR="$app/run"
export QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANG=C.UTF-8
unset QT_SCALE_FACTOR

# shellcheck source=../support/steps.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/steps.sh"
run_log="$app/run.log"

# press_on <window> <keys>: gives the window the focus, then types the keys.
press_on() {
  xdotool windowactivate --sync "$1" >/dev/null 2>&1 || xdotool windowfocus --sync "$1"
  xdotool key --clearmodifiers "$2"
}

visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
gone() { ! visible "$1"; }
ended() { ! kill -0 "$1" 2>/dev/null; }

start() {
  "$app/Tembrel" >"$app/run.log" 2>&1 &
  pid=$!
  pids+=("$pid")
}

# pixel <png> <x> <y>: the colour there, as ImageMagick names it.
pixel() { convert "$1" -format "%[pixel:p{$2,$3}]" info:; }
is_blue() { case "$1" in blue | "srgb(0,0,255)" | "rgb(0,0,255)") return 0 ;; *) return 1 ;; esac; }

main_title='^Tembrel - Version 2\.01$'

# Run 1: start-up, splash, main window, a refused second start, Ctrl+Q.
step start
start
first=$pid
wait_for 150 visible "$main_title" || { cat "$app/run.log" >&2; fail "no main window within 15 s"; }
wid="$(xdotool search --onlyvisible --name "$main_title" | head -n1)"
[ "$(xdotool getwindowname "$wid")" = "Tembrel - Version 2.01" ] || fail "wrong window title"
# The splash lives three seconds from the start; it must be on top, not hidden
# behind the main window.
visible '^Version 2\.01$' || fail "no splash"
splash="$(xdotool search --onlyvisible --name '^Version 2\.01$' | head -n1)"
import -window root "$shots/e2e_splash.png"
eval "$(xdotool getwindowgeometry --shell "$splash")"
colour="$(pixel "$shots/e2e_splash.png" $((X + WIDTH / 2)) $((Y + HEIGHT / 4)))"
if is_blue "$colour"; then fail "the splash is hidden behind the main window"; fi
step splash
# The splash closes itself after three seconds and hands the menus over.
wait_for 100 gone '^Version 2\.01$' || fail "the splash did not close"
xdotool windowactivate --sync "$wid" >/dev/null 2>&1 || true
import -window root "$shots/e2e_mainwindow.png"

step main window
# The main window's client area is blue (&HFF0000 without param.ini) beside its picture.
eval "$(xdotool getwindowgeometry --shell "$wid")"
cx=$((X + WIDTH / 12))
cy=$((Y + HEIGHT * 2 / 3))
colour="$(pixel "$shots/e2e_mainwindow.png" "$cx" "$cy")"
is_blue "$colour" || fail "the main window is $colour at $cx,$cy, not blue"

step second start
# A second start shows the message and ends; the first one keeps running.
start
second=$pid
wait_for 100 visible '^Tembrel$' || fail "no 'already running' message"
box="$(xdotool search --onlyvisible --name '^Tembrel$' | head -n1)"
import -window root "$shots/e2e_already_running.png"
press_on "$box" Return
wait_for 100 ended "$second" || fail "the second instance did not end"
wait "$second" || fail "the second instance ended with an error"
kill -0 "$first" 2>/dev/null || fail "the first instance ended too"

step ctrl+q
# Ctrl+Q ends the program.
press_on "$wid" ctrl+q
wait_for 100 ended "$first" || fail "Ctrl+Q did not end the program"
wait "$first" || fail "the program ended with an error"

step killed run
# Run 2: a run that is killed leaves its lock behind; the next start takes it over.
[ -f "$app/run/Tembrel.lock" ] && fail "the lock outlived a clean exit"
start
wait_for 150 visible "$main_title" || fail "no main window at the second run"
[ -f "$app/run/Tembrel.lock" ] || fail "no lock in the runtime folder"
kill -9 "$pid"
wait "$pid" 2>/dev/null || true
start
third=$pid
wait_for 150 visible "$main_title" || fail "a killed run blocked the next start"
gone '^Tembrel$' || fail "the killed run's lock was taken for a running instance"
wait_for 100 gone '^Version 2\.01$' || fail "the splash did not close"
# No window is activated by hand this time: the keyboard must be with the main
# window, not with the splash that was above it.
xdotool key --clearmodifiers ctrl+q
wait_for 100 ended "$third" || fail "Ctrl+Q typed after the splash did not end the program"

echo "e2e main window: all checks passed; screenshots in $shots"
