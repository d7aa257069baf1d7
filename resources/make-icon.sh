#!/bin/sh
# Rebuilds resources/vandrix.ico from resources/vandrix-icon.py: one 32 x 32
# image, 4 bits per pixel (16-colour palette, one plane) with its AND mask.
# Needs Debian's python3 and icoutils (icotool).
#
# icotool writes a colour count of 16 into the icon directory entry; the
# program's icon group (which windres copies from that entry) reads 4, so
# the byte is patched, and the result is checked field by field.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
python=/usr/bin/python3
ico=$here/vandrix.ico
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$python" "$here/vandrix-icon.py" "$work/vandrix.png"
icotool --create --bit-depth=4 --output="$work/vandrix.ico" "$work/vandrix.png"

"$python" - "$work/vandrix.ico" <<'EOF'
import struct, sys

path = sys.argv[1]
data = bytearray(open(path, "rb").read())
data[6 + 2] = 4  # the first directory entry's colour count
open(path, "wb").write(data)

def fail(what):
    sys.exit("make-icon.sh: %s" % what)

reserved, kind, count = struct.unpack_from("<HHH", data, 0)
if (reserved, kind, count) != (0, 1, 1):
    fail("icon directory reads %r, want one icon" % ((reserved, kind, count),))
entry = struct.unpack_from("<BBBBHHII", data, 6)
names = "width height colours reserved planes bits size offset".split()
want = (32, 32, 4, 0, 1, 4, 744, 22)
for name, got, expected in zip(names, entry, want):
    if got != expected:
        fail("directory entry %s is %d, want %d" % (name, got, expected))
header = struct.unpack_from("<IiiHHI", data, 22)
if header != (40, 32, 64, 1, 4, 0):
    fail("bitmap header (size, width, height, planes, bits, compression) "
         "reads %r" % (header,))
if len(data) != 22 + 744:
    fail("file is %d bytes, want %d" % (len(data), 22 + 744))
EOF

cp "$work/vandrix.ico" "$ico"
echo "wrote $ico:"
icotool --list "$ico"
