#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed program, run inside scripts/with-xvfb.sh:
#   install_check.sh <build folder> <screenshots folder>
# Installs into a temporary prefix and checks what desktops read (the desktop
# entry with desktop-file-validate, the AppStream file with appstreamcli, the
# icons), that a reinstall keeps a user's own files, then makes the prefix
# read-only and starts the installed program with a new home, as a user who
# cannot write there (nobody, when the test runs as root: the superuser writes
# through permission bits). It opens and closes the grid, the settings and the
# Hours window from the keyboard, ends, and must have kept param.ini, pos.ini
# and hours.dat in the per-user folder, writing nothing in the prefix.
set -euo pipefail

build="$1"
shots="$2"
source_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
: "${DISPLAY:?run me through scripts/with-xvfb.sh}"
mkdir -p "$shots"

work="$(mktemp -d "${TMPDIR:-/tmp}/tembrel-install.XXXXXX")"
chmod 755 "$work" # the user who runs the program must reach the prefix
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill -9 "$pid" 2>/dev/null || true; fi
  chmod -R u+w "$work" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# shellcheck source=../support/steps.sh
. "$(dirname "${BASH_SOURCE[0]}")/../support/steps.sh"
run_log="$work/run.log"

app_id=fr.ostrand.Tembrel
prefix="$work/prefix"
program="$prefix/lib/tembrel"
desktop="$prefix/share/applications/$app_id.desktop"
metainfo="$prefix/share/metainfo/$app_id.metainfo.xml"
install() { cmake --install "$build" --prefix "$prefix" >"$work/install.log" || fail "cmake --install: $(cat "$work/install.log")"; }

step install
install
for f in Tembrel JFValid.ini Tembrel.rtf hours.dat; do
  [ -s "$program/$f" ] || fail "$f is not installed in $program"
done
cmp -s "$program/hours.dat" "$source_dir/resources/hours.dat" || fail "the installed hours.dat is not the shipped one"
[ "$(readlink -f "$prefix/bin/tembrel")" = "$program/Tembrel" ] || fail "bin/tembrel does not lead to the program"

step desktop entry and AppStream file
out="$(desktop-file-validate "$desktop" 2>&1)" || fail "desktop-file-validate: $out"
[ -z "$out" ] || fail "desktop-file-validate: $out"
grep -qx "Exec=$prefix/bin/tembrel" "$desktop" || fail "the desktop entry does not start $prefix/bin/tembrel"
grep -qx "Icon=$app_id" "$desktop" || fail "the desktop entry names another icon"
appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 ||
  fail "appstreamcli validate: $(cat "$work/appstream.log")"
grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
  fail "the AppStream file does not name the desktop entry"

step icons
for size in 16 24 32 48 64 128 256; do
  icon="$prefix/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  [ -f "$icon" ] || fail "no ${size} px icon"
  [ "$(identify -format '%m %wx%h' "$icon")" = "PNG ${size}x${size}" ] || fail "$icon is not a ${size} px PNG"
done

step reinstall
# A prefix the user writes to holds the user's holidays and time rows in the
# program's folder: a reinstall replaces the program, not them.
printf '"Lunch"\r\n' >"$program/hours.dat"
printf '0,0,0,0,0,0,0,0,0,0,0,0,0\r\n' >"$program/JFValid.ini"
cp "$program/hours.dat" "$program/JFValid.ini" "$work/"
install
cmp -s "$program/hours.dat" "$work/hours.dat" || fail "a reinstall replaced the user's hours.dat"
cmp -s "$program/JFValid.ini" "$work/JFValid.ini" || fail "a reinstall replaced the user's JFValid.ini"
rm "$program/hours.dat" "$program/JFValid.ini"
install
cmp -s "$program/hours.dat" "$source_dir/resources/hours.dat" || fail "a reinstall did not bring hours.dat back"

step read-only prefix
chmod -R a-w "$prefix"
snapshot() { (cd "$prefix" && find . -printf '%p %y %s %m %T@\n' | sort && find . -type f -exec md5sum {} + | sort); }
snapshot >"$work/before"

home="$work/home"
runtime="$work/run"
mkdir -p "$home" "$runtime"
chmod 700 "$runtime"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown "$(id -u nobody):$(id -g nobody)" "$home" "$runtime"
  as_user=(setpriv --reuid="$(id -u nobody)" --regid="$(id -g nobody)" --clear-groups)
fi
user_folder="$home/.local/share/Ostrand/Tembrel"

step start
# env and setpriv hand over their process, so $! is the program's.
env -u XDG_DATA_HOME -u XDG_CONFIG_HOME -u QT_SCALE_FACTOR HOME="$home" XDG_RUNTIME_DIR="$runtime" \
  TMPDIR="$home" QT_QPA_PLATFORM=xcb LC_ALL=C.UTF-8 LANG=C.UTF-8 \
  "${as_user[@]}" "$prefix/bin/tembrel" >"$work/run.log" 2>&1 &
pid=$!

visible() { xdotool search --onlyvisible --name "$1" >/dev/null 2>&1; }
gone() { ! visible "$1"; }
ended() { ! kill -0 "$pid" 2>/dev/null; }
windows() { xdotool search --onlyvisible --pid "$pid" 2>/dev/null | sort; }
main_title='^Tembrel - Version 2\.01$'

wait_for 150 visible "$main_title" || fail "no main window within 15 s"
main="$(xdotool search --onlyvisible --name "$main_title" | head -n1)"
wait_for 100 gone '^Version 2\.01$' || fail "the splash did not close"

# open_and_close <menu key> <item key> <what> <title>: opens a window from the
# keyboard through the menu's and the item's access keys, checks its title,
# then closes it from the window frame.
open_and_close() {
  local before menu opened
  before="$(windows)"
  xdotool windowactivate --sync "$main" >/dev/null 2>&1 || xdotool windowfocus --sync "$main"
  xdotool key --clearmodifiers "$1"
  # The menu is a window of its own: its key goes in once it is there.
  new_since() { comm -13 <(echo "$1") <(windows) | head -n1; }
  popped() { menu="$(new_since "$before")" && [ -n "$menu" ]; }
  wait_for 100 popped || fail "$3: $1 opened no menu"
  xdotool key --clearmodifiers "$2"
  new_window() { opened="$(new_since "$(printf '%s\n' "$before" "$menu" | sort)")" && [ -n "$opened" ]; }
  wait_for 100 new_window || fail "$3: no window opened by $1 then $2"
  [ "$(xdotool getwindowname "$opened")" = "$4" ] || fail "$3: $1 then $2 opened $(xdotool getwindowname "$opened")"
  [ "$3" = grid ] && import -window root "$shots/install_grid.png"
  xdotool windowactivate --sync "$opened" >/dev/null 2>&1 || xdotool windowfocus --sync "$opened"
  xdotool key --clearmodifiers alt+F4
  closed() { ! windows | grep -qx "$opened"; }
  wait_for 100 closed || fail "$3: its window did not close"
}
step grid
open_and_close alt+f o grid Tembrel # the grid window has no caption of its own
step settings
open_and_close alt+f s settings Settings
step hours
open_and_close alt+f h hours Hours

step exit
xdotool windowactivate --sync "$main" >/dev/null 2>&1 || true
xdotool key --clearmodifiers ctrl+q
wait_for 100 ended || fail "Ctrl+Q did not end the program"
wait "$pid" || fail "the program ended with an error"
pid=""

step files
for f in param.ini pos.ini hours.dat JFValid.ini Tembrel.rtf; do
  [ -s "$user_folder/$f" ] || fail "no $f in the per-user folder $user_folder"
done
cmp -s "$user_folder/hours.dat" "$source_dir/resources/hours.dat" || fail "the per-user hours.dat is not the shipped one"
snapshot >"$work/after"
diff "$work/before" "$work/after" >&2 || fail "the program wrote into the prefix"

echo "installed program: all checks passed; screenshot in $shots/install_grid.png"
