#!/usr/bin/env bash
# Renders the monitor page's HTML in a headless browser and checks that the
# screenshot shows something: a PNG of more than a few colours. Skips (77)
# only when no browser is installed.
# Usage: render_check.sh VD4625_PROGRAM
set -u
program=$1
browser=""
for name in chromium chromium-browser google-chrome; do
  if command -v "$name" >/dev/null 2>&1; then browser=$name; break; fi
done
if [ -z "$browser" ]; then
  echo "no headless browser installed (scripts/setup.sh installs chromium)"
  exit 77
fi
if ! command -v python3 >/dev/null 2>&1; then
  echo "python3 is needed to read the screenshot (scripts/setup.sh installs it)"
  exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VD4625_REGISTRY="$work/registry.reg"
unset VD4625_INSTALL

if ! "$program" page 11 --do upload --html "$work/m.html" >"$work/out.txt" 2>"$work/err.txt"; then
  echo "vd4625 page 11 failed:"; cat "$work/err.txt"
  exit 1
fi
if [ ! -s "$work/m.html" ]; then
  echo "no HTML written"
  exit 1
fi

timeout 120 "$browser" --headless --no-sandbox --disable-gpu --hide-scrollbars \
  --user-data-dir="$work/profile" --window-size=1024,768 \
  --screenshot="$work/m.png" "file://$work/m.html" >"$work/browser.txt" 2>&1
if [ ! -s "$work/m.png" ]; then
  echo "the browser wrote no screenshot:"; cat "$work/browser.txt"
  exit 1
fi

python3 - "$work/m.png" <<'PY'
import struct, sys, zlib

data = open(sys.argv[1], "rb").read()
if data[:8] != b"\x89PNG\r\n\x1a\n":
    sys.exit("not a PNG")
pos, idat, header = 8, b"", None
while pos < len(data):
    length, kind = struct.unpack(">I4s", data[pos:pos + 8])
    body = data[pos + 8:pos + 8 + length]
    if kind == b"IHDR":
        header = struct.unpack(">IIBBBBB", body)
    elif kind == b"IDAT":
        idat += body
    pos += 12 + length
width, height, depth, colour = header[:4]
if depth != 8 or colour not in (2, 6):
    sys.exit("unexpected PNG format %d/%d" % (depth, colour))
step = 3 if colour == 2 else 4
raw = zlib.decompress(idat)
stride = width * step
previous = bytearray(stride)
colours = set()
for row in range(height):
    at = row * (stride + 1)
    kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
    for i in range(stride):
        a = line[i - step] if i >= step else 0
        b = previous[i]
        c = previous[i - step] if i >= step else 0
        if kind == 1: line[i] = (line[i] + a) & 255
        elif kind == 2: line[i] = (line[i] + b) & 255
        elif kind == 3: line[i] = (line[i] + (a + b) // 2) & 255
        elif kind == 4:
            p = a + b - c
            pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
            line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
    for i in range(0, stride, step):
        colours.add(bytes(line[i:i + 3]))
    previous = line
if len(colours) < 8:
    sys.exit("the screenshot is blank: %d colours" % len(colours))
print("screenshot %dx%d with %d colours" % (width, height, len(colours)))
PY
