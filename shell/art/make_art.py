#!/usr/bin/env python3
"""Builds the program's bitmap and icons from the text pixel maps beside this script.

    make_art.py OUT_DIR           writes progress.bmp and the .ico files into OUT_DIR
    make_art.py --check OUT_DIR   reads them back and checks sizes, depths and pictures

A pixel map is a text file: '#' comment lines, a legend of 'c = value' lines (value is a
colour name of PALETTE, 'transparent', or for the segment font a segment name), a line
'---', then one text row per pixel row, one character per pixel.
"""
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))

# The 16-colour palette of 4-bit Windows pictures, in index order (red, green, blue).
PALETTE = [
    ("black",   0x00, 0x00, 0x00),
    ("maroon",  0x80, 0x00, 0x00),
    ("green",   0x00, 0x80, 0x00),
    ("olive",   0x80, 0x80, 0x00),
    ("navy",    0x00, 0x00, 0x80),
    ("purple",  0x80, 0x00, 0x80),
    ("teal",    0x00, 0x80, 0x80),
    ("silver",  0xC0, 0xC0, 0xC0),
    ("grey",    0x80, 0x80, 0x80),
    ("red",     0xFF, 0x00, 0x00),
    ("lime",    0x00, 0xFF, 0x00),
    ("yellow",  0xFF, 0xFF, 0x00),
    ("blue",    0x00, 0x00, 0xFF),
    ("fuchsia", 0xFF, 0x00, 0xFF),
    ("aqua",    0x00, 0xFF, 0xFF),
    ("white",   0xFF, 0xFF, 0xFF),
]
COLOUR = {name: index for index, (name, _, _, _) in enumerate(PALETTE)}

# Progress picture: the outline half on the left, the filled half on the right.
LOGO_BACKGROUND = COLOUR["silver"]
LOGO_OUTLINE = COLOUR["grey"]
LOGO_SIZE = (129, 41)

# Busy animation: two seven-segment cells on a black 16 x 16 display.
WORD = "UNLOADING"
DISPLAY_SIZE = 16
CELL_ORIGINS = ((0, 1), (9, 1))  # top-left pixel of the left and the right cell
CELL_SIZE = (7, 14)
LIT = COLOUR["red"]
DARK = COLOUR["black"]
# Lit segments of each character; lower-case shapes where the capital would read as a digit.
GLYPHS = {
    " ": "",
    "-": "g",
    "A": "abcefg",
    "D": "bcdeg",   # d
    "G": "acdef",
    "I": "ef",
    "L": "def",
    "N": "ceg",     # n
    "O": "cdeg",    # o
    "U": "bcdef",
}
# The blank before the word enters from the right, two blanks after it: every frame shows the
# next pair of this text, so the word moves one cell to the left per frame and one frame is
# dark before the word starts again.
SCROLL_TEXT = " " + WORD + "  "
FRAME_COUNT = len(SCROLL_TEXT) - 1
FRAME_TABLE_LENGTH = 11  # icons 130-136 and 140-143 in the window's display order
RESTING_TEXT = "--"

# Output file: (picture size, bits per pixel).
OUTPUTS = {
    "progress.bmp": ((2 * LOGO_SIZE[0], LOGO_SIZE[1]), 4),
    "program.ico": ((32, 32), 4),
    "document.ico": ((32, 32), 4),
    "resting.ico": ((DISPLAY_SIZE, DISPLAY_SIZE), 4),
}
FRAMES = ["frame%02d.ico" % i for i in range(FRAME_COUNT)]
DISPLAYS = FRAMES + ["resting.ico"]
OUTPUTS.update({name: ((DISPLAY_SIZE, DISPLAY_SIZE), 4) for name in FRAMES})


class ArtError(Exception):
    pass


def read_map(name):
    """Returns the legend {char: value} and the pixel rows of the text map NAME."""
    legend, rows, in_pixels = {}, [], False
    with open(os.path.join(HERE, name)) as f:
        for number, line in enumerate(f, 1):
            line = line.rstrip("\n")
            if in_pixels:
                rows.append(line)
            elif line == "---":
                in_pixels = True
            elif len(line) > 4 and line[1:4] == " = ":
                legend[line[0]] = line[4:].strip()
            elif line.startswith("#") or not line.strip():
                continue
            else:
                raise ArtError("%s:%d: expected 'c = value' or '---'" % (name, number))
    if not rows or any(len(row) != len(rows[0]) for row in rows):
        raise ArtError("%s: pixel rows missing or of unequal length" % name)
    unknown = set("".join(rows)) - set(legend)
    if unknown:
        raise ArtError("%s: characters not in the legend: %s" % (name, "".join(sorted(unknown))))
    return legend, rows


def colour_map(name, size):
    """Returns the pixels of a coloured map: palette indices, None where transparent."""
    legend, rows = read_map(name)
    if (len(rows[0]), len(rows)) != size:
        raise ArtError("%s: %dx%d pixels, expected %dx%d"
                       % ((name, len(rows[0]), len(rows)) + size))
    values = {}
    for char, value in legend.items():
        if value != "transparent" and value not in COLOUR:
            raise ArtError("%s: '%s' is not a colour" % (name, value))
        values[char] = None if value == "transparent" else COLOUR[value]
    return [[values[c] for c in row] for row in rows]


def outline(shape):
    """The pixels of SHAPE (rows of booleans) that touch a pixel outside it, diagonals included."""
    h, w = len(shape), len(shape[0])

    def inside(x, y):
        return 0 <= x < w and 0 <= y < h and shape[y][x]

    return [[shape[y][x] and not all(inside(x + dx, y + dy)
                                     for dx in (-1, 0, 1) for dy in (-1, 0, 1))
             for x in range(w)] for y in range(h)]


def progress_picture():
    filled = colour_map("logo.txt", LOGO_SIZE)
    edge = outline([[p != LOGO_BACKGROUND for p in row] for row in filled])
    drawn = [[LOGO_OUTLINE if e else LOGO_BACKGROUND for e in row] for row in edge]
    return [left + right for left, right in zip(drawn, filled)]


def segment_font():
    """Returns {segment letter: [(x, y), ...]} from segment_font.txt."""
    legend, rows = read_map("segment_font.txt")
    if (len(rows[0]), len(rows)) != CELL_SIZE:
        raise ArtError("segment_font.txt: the cell must be %dx%d pixels" % CELL_SIZE)
    segments = {}
    for y, row in enumerate(rows):
        for x, c in enumerate(row):
            if legend[c].startswith("segment"):
                segments.setdefault(c, []).append((x, y))
    if sorted(segments) != list("abcdefg"):
        raise ArtError("segment_font.txt: needs the segments a to g")
    return segments


def display(text, segments):
    """A 16 x 16 display picture showing the two characters of TEXT."""
    pixels = [[DARK] * DISPLAY_SIZE for _ in range(DISPLAY_SIZE)]
    for char, (ox, oy) in zip(text, CELL_ORIGINS):
        for segment in GLYPHS[char]:
            for x, y in segments[segment]:
                pixels[oy + y][ox + x] = LIT
    return pixels


def pictures():
    """Every output file name with its pixels."""
    segments = segment_font()
    result = {
        "progress.bmp": progress_picture(),
        "program.ico": colour_map("program_icon.txt", (32, 32)),
        "document.ico": colour_map("document_icon.txt", (32, 32)),
        "resting.ico": display(RESTING_TEXT, segments),
    }
    for i, name in enumerate(FRAMES):
        result[name] = display(SCROLL_TEXT[i:i + 2], segments)
    return result


# --- Writing -------------------------------------------------------------------------------

def row_stride(width, bits):
    """Bytes in one stored row: rows are padded to whole 32-bit words."""
    return (width * bits + 31) // 32 * 4


def pack_rows(pixels, bits):
    """Rows bottom-up, each packed left pixel in the high bits and padded to 32 bits."""
    out = bytearray()
    for row in reversed(pixels):
        packed = bytearray(row_stride(len(row), bits))
        for x, value in enumerate(row):
            bit = x * bits
            packed[bit // 8] |= value << (8 - bits - bit % 8)
        out += packed
    return bytes(out)


def palette_bytes():
    return b"".join(struct.pack("<4B", b, g, r, 0) for _, r, g, b in PALETTE)


def info_header(width, height, image_size):
    # BITMAPINFOHEADER: 40 bytes, one plane, 4 bits, no compression, 16 palette entries.
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, image_size, 0, 0, 16, 0)


def bmp_bytes(pixels):
    width, height = len(pixels[0]), len(pixels)
    bits = pack_rows(pixels, 4)
    offset = 14 + 40 + 16 * 4  # file header, info header, palette
    return (struct.pack("<2sIHHI", b"BM", offset + len(bits), 0, 0, offset)
            + info_header(width, height, len(bits)) + palette_bytes() + bits)


def ico_bytes(pixels):
    width, height = len(pixels[0]), len(pixels)
    colours = pack_rows([[0 if p is None else p for p in row] for row in pixels], 4)
    mask = pack_rows([[1 if p is None else 0 for p in row] for row in pixels], 1)
    # The image's header counts the colour rows and the mask rows together: height twice.
    image = (info_header(width, 2 * height, len(colours) + len(mask))
             + palette_bytes() + colours + mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", width, height, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


def write_all(out_dir):
    os.makedirs(out_dir, exist_ok=True)
    for name, pixels in pictures().items():
        data = bmp_bytes(pixels) if name.endswith(".bmp") else ico_bytes(pixels)
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)


# --- Checking -------------------------------------------------------------------------------

def unpack_rows(data, width, height, bits):
    """Rows top-down of pixel values from bottom-up rows packed as pack_rows packs them."""
    stride, rows = row_stride(width, bits), []
    if len(data) < stride * height:
        raise ArtError("pixel data short: %d bytes for %d rows" % (len(data), height))
    for r in range(height):
        line = data[r * stride:(r + 1) * stride]
        rows.append([(line[x * bits // 8] >> (8 - bits - x * bits % 8)) & ((1 << bits) - 1)
                     for x in range(width)])
    return rows[::-1]


def parse_info(data, offset, name):
    """Returns width, height, bits and the byte after the palette of the header at OFFSET."""
    (size, width, height, planes, bits, compression,
     _, _, _, used, _) = struct.unpack_from("<IiiHHIIiiII", data, offset)
    if size != 40 or planes != 1 or compression != 0:
        raise ArtError("%s: not a plain BITMAPINFOHEADER picture" % name)
    colours = used or (1 << bits)
    return width, height, bits, offset + size + 4 * colours


def read_bmp(data, name):
    magic, file_size, _, _, offset = struct.unpack_from("<2sIHHI", data, 0)
    if magic != b"BM" or file_size != len(data):
        raise ArtError("%s: bad file header" % name)
    width, height, bits, palette_end = parse_info(data, 14, name)
    if palette_end != offset:
        raise ArtError("%s: pixel offset %d, palette ends at %d" % (name, offset, palette_end))
    return width, height, bits, unpack_rows(data[offset:], width, height, bits)


def read_ico(data, name):
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind, count) != (0, 1, 1):
        raise ArtError("%s: not a one-image icon file" % name)
    width, height, colours, _, _, bits, size, offset = struct.unpack_from("<BBBBHHII", data, 6)
    if offset + size != len(data):
        raise ArtError("%s: image size and offset do not match the file" % name)
    head_width, head_height, head_bits, pixels_at = parse_info(data, offset, name)
    if (head_width, head_height, head_bits, colours) != (width, 2 * height, bits, 1 << bits):
        raise ArtError("%s: directory entry and image header disagree" % name)
    rows = unpack_rows(data[pixels_at:], width, height, bits)
    mask_at = pixels_at + row_stride(width, bits) * height
    mask = unpack_rows(data[mask_at:], width, height, 1)
    if mask_at + row_stride(width, 1) * height != len(data):
        raise ArtError("%s: mask does not end the file" % name)
    return width, height, bits, rows, mask


def check_outline(rows):
    """The left half must be exactly the grey outline of the right half's logo."""
    half = len(rows[0]) // 2
    shape = [[p != LOGO_BACKGROUND for p in row[half:]] for row in rows]
    if not any(any(row) for row in shape):
        raise ArtError("progress.bmp: the right half holds no logo")
    for y, edge_row in enumerate(outline(shape)):
        for x, on_edge in enumerate(edge_row):
            expected = LOGO_OUTLINE if on_edge else LOGO_BACKGROUND
            if rows[y][x] != expected:
                raise ArtError("progress.bmp: left half at (%d, %d) is colour %d, expected %d"
                               % (x, y, rows[y][x], expected))


def cells(pixels):
    """The two character cells of a display picture, as tuples of rows."""
    w, h = CELL_SIZE
    return [tuple(tuple(row[ox:ox + w]) for row in pixels[oy:oy + h]) for ox, oy in CELL_ORIGINS]


def check_scroll(frames):
    """Each frame's right cell moves to the left cell of the next; the word enters at the
    right, leaves at the left, and the last frame is dark."""
    if len(frames) != FRAME_TABLE_LENGTH:
        raise ArtError("%d frames, the window's frame table has %d"
                       % (len(frames), FRAME_TABLE_LENGTH))
    if any(LIT in row for row in frames[-1]):
        raise ArtError("frame%02d.ico: the last frame must be dark" % (len(frames) - 1))
    pairs = [cells(frame) for frame in frames]
    blank = pairs[-1][0]
    for i in range(len(pairs) - 1):
        if pairs[i][1] != pairs[i + 1][0]:
            raise ArtError("frame%02d.ico: its right cell is not the next frame's left" % i)
    if pairs[0][0] != blank or pairs[-2][1] != blank:
        raise ArtError("the word must enter at the right and leave at the left")
    if any(right == blank for _, right in pairs[:-2]):
        raise ArtError("a frame inside the word shows a blank cell")


def check_all(out_dir):
    frames = {}  # file name: pixel rows
    for name, (size, depth) in sorted(OUTPUTS.items()):
        with open(os.path.join(out_dir, name), "rb") as f:
            data = f.read()
        if name.endswith(".bmp"):
            width, height, bits, rows = read_bmp(data, name)
        else:
            width, height, bits, rows, mask = read_ico(data, name)
            if any(p and rows[y][x] for y, row in enumerate(mask) for x, p in enumerate(row)):
                raise ArtError("%s: transparent pixels must be black in the colour rows" % name)
            if name in DISPLAYS and any(any(row) for row in mask):
                raise ArtError("%s: the display must be opaque" % name)
        if ((width, height), bits) != (size, depth):
            raise ArtError("%s: %dx%d at %d bits, expected %dx%d at %d bits"
                           % ((name, width, height, bits) + size + (depth,)))
        if name == "progress.bmp":
            check_outline(rows)
        elif name in FRAMES:
            frames[name] = rows
    check_scroll([frames[name] for name in FRAMES])


def main(argv):
    try:
        if len(argv) == 2 and argv[0] == "--check":
            check_all(argv[1])
        elif len(argv) == 1 and not argv[0].startswith("-"):
            write_all(argv[0])
        else:
            sys.stderr.write(__doc__)
            return 64
    except (ArtError, OSError, struct.error) as error:
        sys.stderr.write("make_art.py: %s\n" % error)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
