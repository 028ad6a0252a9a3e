"""PNG pictures for the command-line contract, without Plomera's code: a reader of 8-bit RGB/RGBA
PNGs, the sample frame stamp read from one (the layout the sample maker draws: a white and a
black guard block, then 24 bits of frame index and an 8-bit check value, in blocks along the
bottom), and a writer of small PNG tiles."""
import struct
import zlib


def read_png(path):
    """(width, height, rows) with rows as bytearrays of RGB triples."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    assert depth == 8 and colour in (2, 6) and interlace == 0, "unexpected PNG form %s" % (header,)
    bpp = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * bpp
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - bpp] if i >= bpp else 0
            up = previous[i]
            corner = previous[i - bpp] if i >= bpp else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 0xFF
        previous = line
        rgb = line if bpp == 3 else bytearray(b for i, b in enumerate(line) if i % 4 != 3)
        rows.append(rgb)
    return width, height, rows


def check_value(index24):
    crc = 0
    for shift in (16, 8, 0):
        crc ^= (index24 >> shift) & 0xFF
        for _ in range(8):
            crc = ((crc << 1) ^ 0x07) & 0xFF if crc & 0x80 else (crc << 1) & 0xFF
    return crc ^ 0x5A


def frame_stamp(path):
    """The frame index stamped into a sample picture, or -1 when there is no valid stamp."""
    width, height, rows = read_png(path)
    b = 16 if width >= 640 else 8
    x0, y0 = b, height - 2 * b

    def mean(k):
        total = count = 0
        for y in range(y0 + b // 4, y0 + 3 * b // 4):
            for x in range(x0 + k * b + b // 4, x0 + k * b + 3 * b // 4):
                r, g, bl = rows[y][3 * x:3 * x + 3]
                total += r + 2 * g + bl
                count += 1
        return total // (4 * count)

    white, black = mean(0), mean(1)
    if white - black < 64:
        return -1
    threshold = (white + black) // 2
    word = 0
    for k in range(32):
        word = word << 1 | (1 if mean(2 + k) > threshold else 0)
    index = word >> 8
    return index if check_value(index) == word & 0xFF else -1


def write_png(width, height, shade):
    """A grey PNG of the given size, as bytes."""
    def chunk(kind, body):
        return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
    rows = b"".join(b"\0" + bytes([shade, shade // 2, 255 - shade]) * width for _ in range(height))
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
