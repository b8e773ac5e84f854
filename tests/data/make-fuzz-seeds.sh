#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the seed inputs of the text record, year file and wave fuzz targets:
# tests/data/textrecords (F<year>.ini files; hours.dat, JFValid.ini and
# param.ini are written by hand), tests/data/yearfile and tests/data/wave.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
python3 - "$here" <<'PY'
import datetime, sys
here = sys.argv[1]
day, lines = datetime.date(2005, 1, 1), []
while day.year == 2005:
    picked = day in (datetime.date(2005, 5, 1), datetime.date(2005, 6, 15))
    lines.append('"%s%s"\r\n' % (day.strftime('%d/%m/%Y'), 'F' if picked else ''))
    day += datetime.timedelta(1)
open(here + '/textrecords/F2005.ini', 'w', newline='').write(''.join(lines))
# Two unreadable dates before the days: they must shift nothing.
open(here + '/textrecords/F2005-shifted.ini', 'w', newline='').write(
    '"31/02/2005F"\r\n"garbageF"\r\n' + ''.join(lines[:40]))

def year(y, rows, cells):
    cols = 1 + (366 if y % 4 == 0 else 365)
    out = bytearray()
    for c in range(cols):
        for r in range(rows):
            if c == 0:
                text = 'row %d' % r if r >= 3 else ''
            else:
                d = datetime.date(y, 1, 1) + datetime.timedelta(c - 1)
                text = ['MONTH', 'day', str(d.day)][r] if r < 3 else cells.get((r, c), '')
            out += b'\0\0\0\0' + text.encode('cp1252')[:20].ljust(20, b' ')
    return bytes(out)

whole = year(2005, 4, {(3, 10): ',', (3, 14): '-'})
open(here + '/yearfile/whole-2005.dte', 'wb').write(whole)
open(here + '/yearfile/cut-2005.dte', 'wb').write(whole[:-1000])
open(here + '/yearfile/leap-2004.dte', 'wb').write(year(2004, 3, {}))
PY
cd "$here/wave"
sox -D -n -r 8000 -b 8 -e unsigned -c 1 u8-mono.wav synth 0.01 sine 440
sox -D -n -r 16000 -b 16 -c 2 s16-stereo.wav synth 0.01 sine 440
sox -D -n -r 48000 -b 24 -c 1 s24-mono.wav synth 0.005 sine 440
sox -D -n -r 44100 -b 32 -e floating-point -c 1 float.wav synth 0.002 sine 440
