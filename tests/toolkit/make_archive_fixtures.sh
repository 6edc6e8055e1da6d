#!/usr/bin/env bash
# Makes the 7z archives the toolkit tests read: one content tree packed several ways,
# plus archives that hold only folders or are not archives at all.
# Usage: make_archive_fixtures.sh OUTDIR
set -euo pipefail
out=$1
rm -rf "$out"
mkdir -p "$out/content/res/mainWnd" "$out/content/big" "$out/content/ñandú" "$out/dirs/res/mainWnd/deeper"
cd "$out/content"
printf '<Window size="600,400"><VerticalLayout name="winCtn"/></Window>\r\n' > mainWnd.xml
printf 'exit tip' > exitTipWnd.xml
: > empty.txt
printf 'ñandú' > 'ñandú/żółw.txt'
convert -size 4x3 'xc:#1675FE' PNG32:res/mainWnd/bg1.png
convert -size 3x2 'xc:#FF000080' PNG32:res/mainWnd/halfred.png
head -c 4194304 /dev/zero | tr '\0' 'a' > big/exact.bin
head -c 4194305 /dev/zero | tr '\0' 'a' > big/over.bin

export LC_ALL=C.UTF-8
pack() { local name=$1; shift; 7z a -bd -bso0 -t7z "$@" "$out/$name" . >/dev/null; }
(cd "$out/content" && 7z a -bd -bso0 -t7z -m0=lzma2 -ms=on -xr!big "$out/small.7z" . >/dev/null)
pack solid.7z -m0=lzma2 -ms=on
pack lzma.7z -m0=lzma -ms=on
pack bcj.7z -m0=BCJ -m1=LZMA2 -ms=on
pack nonsolid.7z -m0=lzma2 -ms=off
(cd "$out/dirs" && 7z a -bd -bso0 -t7z "$out/dirsonly.7z" . >/dev/null)
printf 'this is not an archive' > "$out/notarchive.7z"

# Content beyond what the reader holds in memory: one solid block too large to
# allocate, and two blocks whose decoded sizes together pass the total it keeps.
head -c 300M /dev/zero | 7z a -bd -bso0 -t7z -m0=lzma2 -mx=1 -si"zeros.bin" "$out/bigblock.7z" >/dev/null
head -c 130M /dev/zero | 7z a -bd -bso0 -t7z -m0=lzma2 -mx=1 -ms=off -si"first.bin" "$out/bigtotal.7z" >/dev/null
head -c 130M /dev/zero | 7z a -bd -bso0 -t7z -m0=lzma2 -mx=1 -ms=off -si"second.bin" "$out/bigtotal.7z" >/dev/null

# Pictures with a side at, and one pixel beyond, the largest side the decoder accepts.
/usr/bin/python3 - "$out" <<'PY'
import struct, sys, zlib

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

def png(path, width, height):
    row = b"\0" + b"\x16\x75\xfe\xff" * width
    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(row * height))
                + chunk(b"IEND", b""))

for side in (16384, 16385):
    png("%s/wide%d.png" % (sys.argv[1], side), side, 1)
    png("%s/tall%d.png" % (sys.argv[1], side), 1, side)
PY
