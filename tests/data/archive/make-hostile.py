#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes the hand-made hostile archives of regression/, which
test_archive_files extracts on every build. Every field is written here by
hand, so each archive is exactly the attack it is named after; the test holds
the errors each must give. Run it again only to change them."""
import os
import struct
import sys
import zlib

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "regression")
DOS_TIME, DOS_DATE = 0x6DAF, 0x3455  # 2006-02-21 13:45:30


def raw_deflate(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


class Entry:
    def __init__(self, name, data, method=8, **over):
        self.name = name if isinstance(name, bytes) else name.encode("utf-8")
        self.data = data
        self.method = method
        self.payload = raw_deflate(data) if method == 8 else data
        self.crc = zlib.crc32(data)
        self.size = len(data)
        self.flags = 0
        self.external = 0o100644 << 16
        self.offset = None  # where its local header goes; None: next in line
        self.__dict__.update(over)


def archive(entries, total=None):
    out = bytearray()
    for e in entries:
        if e.offset is None:
            e.offset = len(out)
            out += struct.pack("<IHHHHHIIIHH", 0x04034B50, 20, e.flags, e.method,
                               DOS_TIME, DOS_DATE, e.crc, len(e.payload), e.size,
                               len(e.name), 0)
            out += e.name + e.payload
    directory = len(out)
    for e in entries:
        out += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, 0x0314, 20, e.flags,
                           e.method, DOS_TIME, DOS_DATE, e.crc, len(e.payload), e.size,
                           len(e.name), 0, 0, 0, 0, e.external, e.offset)
        out += e.name
    count = len(entries) if total is None else total
    out += struct.pack("<IHHHHIIH", 0x06054B50, 0, 0, count, count,
                       len(out) - directory, directory, 0)
    return bytes(out)


def encrypt(data, password):
    """Traditional PKWARE encryption, with a fixed header so the file is
    the same on every run."""
    def update(key, byte):
        return ~zlib.crc32(bytes([byte]), ~key & 0xFFFFFFFF) & 0xFFFFFFFF

    keys = [0x12345678, 0x23456789, 0x34567890]

    def step(byte):
        keys[0] = update(keys[0], byte)
        keys[1] = ((keys[1] + (keys[0] & 0xFF)) * 134775813 + 1) & 0xFFFFFFFF
        keys[2] = update(keys[2], keys[1] >> 24)

    for b in password:
        step(b)
    out = bytearray()
    for b in data:
        t = (keys[2] | 2) & 0xFFFF
        out.append(b ^ (((t * (t ^ 1)) >> 8) & 0xFF))
        step(b)
    return bytes(out)


def write(name, content):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(content)


voice = b"RIFF....WAVEfmt voice sample " * 40

# Names that leave the target folder in ways Windows and Linux each allow.
write("traversal.zip", archive([
    Entry("../../evil.txt", b"up"),
    Entry("a/../../evil.txt", b"up through a folder"),
    Entry("C:\\evil.txt", b"drive"),
    Entry("\\\\server\\share\\evil.txt", b"share"),
    Entry("ok.txt", b"inside"),
]))

# A symbolic link to the system's folder: it must land as a plain file, or a
# later entry could be written through it.
write("symlink.zip", archive([
    Entry("etc", b"/etc", method=0, external=0o120777 << 16),
]))

# Five megabytes of zeros that claim to be a thousand bytes: the reader
# must stop at the claim rather than write them.
zeros = Entry("temp.wav", b"\0" * (5 << 20))
zeros.size = 1000
write("size-lie.zip", archive([zeros, Entry("next.txt", b"next")]))

# One local block named again by forty central entries (an overlap bomb).
shared = Entry("temp.wav", b"\0" * (1 << 20))
bomb = [shared] + [Entry("copy%02d.wav" % i, shared.data, offset=0) for i in range(40)]
for e in bomb[1:]:
    e.payload = shared.payload
write("overlap-bomb.zip", archive(bomb))

# temp.wav twelve times over, each copy a megabyte that starts with its
# number: a message archive yields its first copy and no more.
write("repeated-entry.zip", archive([
    Entry("temp.wav", (b"copy %02d " % k) * (1 << 17)) for k in range(12)]))

# A password-protected entry: the reader knows no passwords, so the bytes
# are damage to it and nothing of them may be written.
header = bytes(range(11)) + bytes([(zlib.crc32(voice) >> 24) & 0xFF])
secret = Entry("temp.wav", voice, flags=1)
secret.payload = encrypt(header + raw_deflate(voice), b"secret")
write("encrypted.zip", archive([secret, Entry("next.txt", b"next")]))

# A name longer than any file system takes.
write("long-name.zip", archive([Entry("n" * 300 + ".wav", voice), Entry("after.txt", b"x")]))

# More entries announced than written.
write("count-lie.zip", archive([Entry("first.txt", b"1"), Entry("second.txt", b"2")],
                               total=65535))

for name in sorted(os.listdir(OUT)):
    print(name, os.path.getsize(os.path.join(OUT, name)), file=sys.stderr)
