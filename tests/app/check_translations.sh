#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every text of the program has its translation: lupdate run over every source
# into a copy of each .ts file adds nothing unfinished, and lrelease turns the
# result into a .qm file without a warning or an untranslated text.
#   usage: check_translations.sh <lupdate> <lrelease> <source dir>
set -euo pipefail
lupdate="$1"
lrelease="$2"
src="$3"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

status=0
for ts in "$src"/resources/translations/*.ts; do
  copy="$work/$(basename "$ts")"
  cp "$ts" "$copy"
  "$lupdate" -silent -no-obsolete -locations none -extensions cpp,h "$src/src" -ts "$copy" >"$work/lupdate.log" 2>&1 || {
    cat "$work/lupdate.log"; exit 1; }
  unfinished=$(grep -c 'type="unfinished"' "$copy" || true)
  if [ "$unfinished" != 0 ]; then
    echo "$(basename "$ts"): $unfinished text(s) without a translation:"
    grep -B3 'type="unfinished"' "$copy" | grep '<source>' | sed 's/^ */  /'
    status=1
  fi
  if ! diff -q "$ts" "$copy" >/dev/null; then
    echo "$(basename "$ts") is not up to date with the sources: run the update_translations target"
    diff "$ts" "$copy" | head -20
    status=1
  fi
  "$lrelease" "$copy" -qm "$work/out.qm" >"$work/lrelease.log" 2>&1 || status=1
  cat "$work/lrelease.log"
  if grep -qiE 'warning|ignored|[1-9][0-9]* unfinished' "$work/lrelease.log"; then
    echo "lrelease was not clean"
    status=1
  fi
done
if [ $status = 0 ]; then echo "translations complete"; fi
exit $status
