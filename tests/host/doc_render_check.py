"""Reads what headless Chromium made of the documentation page: the text of
a PDF (through the fonts' ToUnicode maps) and the heading bars of a PNG.

  doc_render_check.py pdf FILE.pdf MIN_PAGES TEXT...   every TEXT is in the PDF
  doc_render_check.py png FILE.png BARS                 BARS heading bars are drawn

Blanks do not count when texts are compared: the PDF places words one by one.
"""
import re
import struct
import sys
import zlib


def objects(data):
    """Object number -> (dictionary bytes, decoded stream bytes or None)."""
    found = {}
    for match in re.finditer(rb"(\d+) 0 obj(.*?)endobj", data, re.S):
        body = match.group(2)
        stream = None
        at = body.find(b"stream")
        if at >= 0:
            head = body[:at]
            raw = body[at + 6:]
            raw = raw[2:] if raw.startswith(b"\r\n") else raw[1:]
            raw = raw[:raw.rfind(b"endstream")]
            if b"/FlateDecode" in head:
                try:
                    raw = zlib.decompressobj().decompress(raw)
                except zlib.error:
                    raw = b""
            stream = raw
        else:
            head = body
        found[int(match.group(1))] = (head, stream)
    return found


def cmap(stream):
    """Code (hex text) -> unicode text of a ToUnicode map."""
    table = {}

    def text(hexdigits):
        raw = bytes.fromhex(hexdigits.decode())
        return raw.decode("utf-16-be", "replace")

    for block in re.findall(rb"beginbfchar(.*?)endbfchar", stream, re.S):
        for src, dst in re.findall(rb"<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>", block):
            table[src.decode().upper()] = text(dst)
    for block in re.findall(rb"beginbfrange(.*?)endbfrange", stream, re.S):
        for lo, hi, dst in re.findall(rb"<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>\s*<([0-9A-Fa-f]+)>", block):
            width = len(lo)
            first, last, start = int(lo, 16), int(hi, 16), int(dst, 16)
            for code in range(first, last + 1):
                table["%0*X" % (width, code)] = chr(start + code - first)
    return table


def pdf_text(path):
    data = open(path, "rb").read()
    if not data.startswith(b"%PDF"):
        sys.exit("%s is no PDF" % path)
    objs = objects(data)
    maps = {}
    for number, (head, _) in objs.items():
        ref = re.search(rb"/ToUnicode (\d+) 0 R", head)
        if ref and int(ref.group(1)) in objs and objs[int(ref.group(1))][1] is not None:
            maps[number] = cmap(objs[int(ref.group(1))][1])
    pages = [n for n, (head, _) in objs.items() if re.search(rb"/Type\s*/Page\b(?!s)", head)]
    chunks = []
    for page in sorted(pages):
        head = objs[page][0]
        fonts = {}
        resources = head
        ref = re.search(rb"/Resources (\d+) 0 R", head)
        if ref:
            resources = objs.get(int(ref.group(1)), (b"", None))[0]
        font_dict = re.search(rb"/Font\s*<<(.*?)>>", resources, re.S)
        if font_dict:
            for name, number in re.findall(rb"/(\S+?) (\d+) 0 R", font_dict.group(1)):
                fonts[name.decode()] = maps.get(int(number), {})
        contents = re.search(rb"/Contents\s*(\[.*?\]|\d+ 0 R)", head, re.S)
        if not contents:
            continue
        for number in re.findall(rb"(\d+) 0 R", contents.group(1)):
            stream = objs.get(int(number), (b"", b""))[1] or b""
            table = {}
            for token in re.finditer(rb"/(\S+)\s+[\d.]+\s+Tf|\[(.*?)\]\s*TJ|<([0-9A-Fa-f]*)>\s*Tj", stream, re.S):
                if token.group(1):
                    table = fonts.get(token.group(1).decode(), {})
                    continue
                hexes = re.findall(rb"<([0-9A-Fa-f]*)>", token.group(2)) if token.group(2) else [token.group(3)]
                for hexdigits in hexes:
                    digits = hexdigits.decode().upper()
                    width = 4 if len(digits) % 4 == 0 else 2
                    for i in range(0, len(digits), width):
                        chunks.append(table.get(digits[i:i + width], ""))
                chunks.append(" ")
    return len(pages), "".join(chunks)


def check_pdf(path, min_pages, texts):
    pages, text = pdf_text(path)
    if pages < min_pages:
        sys.exit("%s has %d pages, fewer than %d" % (path, pages, min_pages))
    # The browser sets "ff", "fi", "ffl" ... as ligature glyphs.
    for ligature, letters in (("\ufb00", "ff"), ("\ufb01", "fi"), ("\ufb02", "fl"),
                              ("\ufb03", "ffi"), ("\ufb04", "ffl")):
        text = text.replace(ligature, letters)
    squeezed = re.sub(r"\s+", "", text)
    missing = [t for t in texts if re.sub(r"\s+", "", t) not in squeezed]
    if missing:
        sys.exit("%s lacks %s; its text begins: %s" % (path, missing, text[:400]))
    print("%s: %d pages, %d texts found" % (path, pages, len(texts)))


def png_rows(path):
    data = open(path, "rb").read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("%s is no PNG" % path)
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
    for row in range(height):
        at = row * (stride + 1)
        kind, line = raw[at], bytearray(raw[at + 1:at + 1 + stride])
        for i in range(stride):
            a = line[i - step] if i >= step else 0
            b = previous[i]
            c = previous[i - step] if i >= step else 0
            if kind == 1:
                line[i] = (line[i] + a) & 255
            elif kind == 2:
                line[i] = (line[i] + b) & 255
            elif kind == 3:
                line[i] = (line[i] + (a + b) // 2) & 255
            elif kind == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                line[i] = (line[i] + (a if pa <= pb and pa <= pc else b if pb <= pc else c)) & 255
        yield width, [bytes(line[i:i + 3]) for i in range(0, stride, step)]
        previous = line


def check_png(path, bars):
    # A heading's bar is a run of rows mostly in its background grey.
    grey = bytes((0xE4, 0xE4, 0xE4))
    runs, inside, colours, rows = 0, False, set(), 0
    for width, pixels in png_rows(path):
        rows += 1
        colours.update(pixels[::7])
        bar = pixels.count(grey) > width // 2
        if bar and not inside:
            runs += 1
        inside = bar
    if len(colours) < 8:
        sys.exit("%s is blank: %d colours" % (path, len(colours)))
    if runs != bars:
        sys.exit("%s shows %d heading bars, not %d" % (path, runs, bars))
    print("%s: %d rows, %d heading bars" % (path, rows, runs))


if __name__ == "__main__":
    if sys.argv[1] == "pdf":
        check_pdf(sys.argv[2], int(sys.argv[3]), sys.argv[4:])
    else:
        check_png(sys.argv[2], int(sys.argv[3]))
