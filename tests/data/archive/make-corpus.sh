#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Makes the seed archives of the reader's fuzz target with Info-ZIP zip and
# Python's zipfile (small files, so the fuzzer can mutate them quickly).
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out="$here/corpus"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
mkdir -p a/b
printf 'RIFF....WAVEfmt voice sample %.0s' {1..40} > temp.wav
printf 'hello\n' > a/b/c.txt
printf 'x%.0s' {1..300} > a/x.txt
TZ=UTC touch -d '2006-02-21 13:45:31' temp.wav a/b/c.txt a/x.txt
rm -f "$out"/*.zip
zip -q -X -6 "$out/deflated.zip" temp.wav
zip -q -X -0 "$out/stored.zip" temp.wav
zip -q -X -r "$out/folders.zip" a temp.wav
echo "a comment" | zip -q -X -z "$out/comment.zip" temp.wav
cp "$out/deflated.zip" "$out/trailing.zip" && printf 'trailing bytes' >> "$out/trailing.zip"
cat temp.wav | zip -q -X - - | cat > "$out/descriptor.zip"
python3 - "$out" <<'PY'
import sys, zipfile
out = sys.argv[1]
with zipfile.ZipFile(out + "/python.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.write("temp.wav")
    z.write("a/b/c.txt")
    z.writestr("empty/", b"")
with zipfile.ZipFile(out + "/python-stored.zip", "w", zipfile.ZIP_STORED) as z:
    z.write("a/x.txt")
# Names that would leave the target folder.
with zipfile.ZipFile(out + "/hostile.zip", "w", zipfile.ZIP_DEFLATED) as z:
    z.writestr("../evil.txt", b"outside")
    z.writestr("/tmp/absolute.txt", b"absolute")
    z.writestr("inside.txt", b"inside")
PY
ls -l "$out"
