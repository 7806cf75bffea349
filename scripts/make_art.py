#!/usr/bin/env python3
"""Build Tarvik's pixel art from its text sources.

Sources (edit these, then run this script):
  res/art/toolbar.txt  the 29 toolbar/menu tiles, 16 x 16 each, as character maps
  res/art/icon.txt     the program icon, one character map per size

Outputs (committed; the Windows build uses them as they are):
  res/toolbar_light.bmp   464 x 16, 8 bpp, image strip on white (bitmap 92)
  res/toolbar_dark.bmp    464 x 16, 8 bpp, image strip on black (bitmap 93)
  res/toolbar_{light,dark}_24.bmp  696 x 24 strips for 144 DPI (bitmaps 94, 95)
  res/toolbar_{light,dark}_32.bmp  928 x 32 strips for 192 DPI (bitmaps 96, 97)
                          The larger tiles are made from the 16 x 16 maps by pixel-art
                          scaling (Scale2x for 32; Scale3x, then each 2 x 2 block's most
                          frequent colour, for 24), so edges stay sharp and diagonals
                          smooth instead of blurred or stepped.
  res/tarvik.ico          32-bit icon, 16/24/32/48/64 (icon 101)
  docs/toolbar_strips.png magnified preview of both strips
  docs/icon.png           magnified preview of every icon size

Usage:
  python3 scripts/make_art.py            write the outputs
  python3 scripts/make_art.py --check    rebuild into a temporary directory and
                                         exit 1 if a committed output differs

Standard library only.
"""

import os
import struct
import sys
import tempfile
import zlib

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

TOOLBAR_SRC = os.path.join("res", "art", "toolbar.txt")
ICON_SRC = os.path.join("res", "art", "icon.txt")

OUT_LIGHT = os.path.join("res", "toolbar_light.bmp")
OUT_DARK = os.path.join("res", "toolbar_dark.bmp")
LARGE_TILES = (24, 32)
OUT_LARGE = {(size, variant): os.path.join("res", "toolbar_%s_%d.bmp" % (name, size))
             for size in LARGE_TILES for variant, name in ((0, "light"), (1, "dark"))}
OUT_ICO = os.path.join("res", "tarvik.ico")
OUT_STRIPS_PNG = os.path.join("docs", "toolbar_strips.png")
OUT_ICON_PNG = os.path.join("docs", "icon.png")
OUTPUTS = [OUT_LIGHT, OUT_DARK, OUT_ICO, OUT_STRIPS_PNG, OUT_ICON_PNG] + sorted(OUT_LARGE.values())

TILE = 16
TILE_COUNT = 29
ICON_SIZES = [16, 24, 32, 48, 64]
BACKGROUND_CHAR = "."


class ArtError(Exception):
    pass


# ---------------------------------------------------------------- parsing

def _strip_comment(line):
    pos = line.find("#")
    return line if pos < 0 else line[:pos]


def _parse_colour(text, parts, where):
    values = text.split(",")
    if len(values) != parts:
        raise ArtError("%s: expected %d comma-separated numbers, got %r" % (where, parts, text))
    try:
        numbers = tuple(int(v) for v in values)
    except ValueError:
        raise ArtError("%s: not a number in %r" % (where, text))
    for n in numbers:
        if not 0 <= n <= 255:
            raise ArtError("%s: value %d out of 0..255" % (where, n))
    return numbers


def _read_sections(path):
    """Split a source into its legend lines and its (heading, map lines) blocks.

    The legend runs from a line "legend" to a line "end". Every other
    non-blank line that is not a comment either starts a block (a line that
    begins with "tile" or "size") or belongs to the current block's map.
    Map lines are taken verbatim (a '#' inside a map is a pixel, not a comment).
    """
    with open(path, encoding="utf-8") as f:
        lines = f.read().splitlines()
    legend = []
    blocks = []
    in_legend = False
    for number, raw in enumerate(lines, 1):
        where = "%s:%d" % (path, number)
        line = raw.rstrip()
        if in_legend:
            body = _strip_comment(line).strip()
            if body == "end":
                in_legend = False
            elif body:
                legend.append((where, body))
            continue
        if not line or line.lstrip().startswith("#"):
            continue
        word = line.split()[0]
        if word == "legend":
            in_legend = True
        elif word in ("tile", "size"):
            blocks.append((where, line, []))
        elif blocks:
            blocks[-1][2].append((where, line))
        else:
            raise ArtError("%s: map line before any 'tile' or 'size' heading" % where)
    if in_legend:
        raise ArtError("%s: legend has no 'end' line" % path)
    return legend, blocks


def _check_map(where, heading, rows, width, height, legend):
    if len(rows) != height:
        raise ArtError("%s: %r has %d rows, expected %d" % (where, heading, len(rows), height))
    for row_where, row in rows:
        if len(row) != width:
            raise ArtError("%s: row is %d characters, expected %d" % (row_where, len(row), width))
        for ch in row:
            if ch not in legend:
                raise ArtError("%s: character %r is not in the legend" % (row_where, ch))
    return [row for _, row in rows]


def load_toolbar(path):
    """Return (legend, tiles): legend maps char -> (light_rgb, dark_rgb);
    tiles is a list of 28 (heading, rows)."""
    legend_lines, blocks = _read_sections(path)
    legend = {}
    for where, body in legend_lines:
        fields = body.split()
        if len(fields) != 3 or len(fields[0]) != 1:
            raise ArtError("%s: legend line must be 'C light_r,g,b dark_r,g,b'" % where)
        ch = fields[0]
        if ch in legend:
            raise ArtError("%s: character %r defined twice" % (where, ch))
        legend[ch] = (_parse_colour(fields[1], 3, where), _parse_colour(fields[2], 3, where))
    if BACKGROUND_CHAR not in legend:
        raise ArtError("%s: the legend must define the background %r" % (path, BACKGROUND_CHAR))
    light_bg, dark_bg = legend[BACKGROUND_CHAR]
    for ch, (light, dark) in legend.items():
        if ch != BACKGROUND_CHAR and (light == light_bg or dark == dark_bg):
            raise ArtError("%s: %r uses the exact background colour, which the toolbar "
                           "would show as transparent" % (path, ch))
    if len(blocks) != TILE_COUNT:
        raise ArtError("%s: %d tiles, expected %d" % (path, len(blocks), TILE_COUNT))
    tiles = []
    for index, (where, heading, rows) in enumerate(blocks):
        fields = heading.split()
        label = fields[1].rstrip(":") if len(fields) > 1 else ""
        if label != str(index):
            raise ArtError("%s: expected 'tile %d', got %r" % (where, index, heading))
        tiles.append((heading, _check_map(where, heading, rows, TILE, TILE, legend)))
    return legend, tiles


def load_icon(path):
    """Return {size: rows of RGBA tuples}."""
    legend_lines, blocks = _read_sections(path)
    legend = {}
    for where, body in legend_lines:
        fields = body.split()
        if len(fields) != 2 or len(fields[0]) != 1:
            raise ArtError("%s: legend line must be 'C r,g,b,a'" % where)
        ch = fields[0]
        if ch in legend:
            raise ArtError("%s: character %r defined twice" % (where, ch))
        legend[ch] = _parse_colour(fields[1], 4, where)
    images = {}
    for where, heading, rows in blocks:
        fields = heading.split()
        try:
            size = int(fields[1])
        except (IndexError, ValueError):
            raise ArtError("%s: expected 'size N', got %r" % (where, heading))
        if size in images:
            raise ArtError("%s: size %d given twice" % (where, size))
        grid = _check_map(where, heading, rows, size, size, legend)
        images[size] = [[legend[ch] for ch in row] for row in grid]
    if sorted(images) != ICON_SIZES:
        raise ArtError("%s: sizes %s, expected %s" % (path, sorted(images), ICON_SIZES))
    return images


# ---------------------------------------------------------------- BMP

def strip_pixels(legend, tiles, variant):
    """Rows (top first) of RGB tuples for the whole strip; variant 0 light, 1 dark."""
    rows = []
    size = len(tiles[0][1])
    for y in range(size):
        row = []
        for _, grid in tiles:
            row.extend(legend[ch][variant] for ch in grid[y])
        rows.append(row)
    return rows


def _at(grid, x, y):
    """A map's character, the edge repeated outside it."""
    n = len(grid)
    return grid[min(max(y, 0), n - 1)][min(max(x, 0), n - 1)]


def scale2x(grid):
    """EPX/Scale2x on a character map: twice the size, corners of diagonal edges filled."""
    out = []
    for y in range(len(grid)):
        top, bottom = [], []
        for x in range(len(grid)):
            p = grid[y][x]
            a, b, c, d = _at(grid, x, y - 1), _at(grid, x + 1, y), _at(grid, x - 1, y), _at(grid, x, y + 1)
            top += [a if c == a and c != d and a != b else p, b if a == b and a != c and b != d else p]
            bottom += [c if d == c and d != b and c != a else p, d if b == d and b != a and d != c else p]
        out += ["".join(top), "".join(bottom)]
    return out


def scale3x(grid):
    """Scale3x on a character map: three times the size."""
    out = []
    for y in range(len(grid)):
        rows = [[], [], []]
        for x in range(len(grid)):
            a, b, c = _at(grid, x - 1, y - 1), _at(grid, x, y - 1), _at(grid, x + 1, y - 1)
            d, e, f = _at(grid, x - 1, y), grid[y][x], _at(grid, x + 1, y)
            g, h, i = _at(grid, x - 1, y + 1), _at(grid, x, y + 1), _at(grid, x + 1, y + 1)
            if b != h and d != f:
                rows[0] += [d if d == b else e, d if (d == b and e != c) or (b == f and e != a) else e, f if b == f else e]
                rows[1] += [d if (d == b and e != g) or (d == h and e != a) else e, e,
                            f if (b == f and e != i) or (h == f and e != c) else e]
                rows[2] += [d if d == h else e, h if (d == h and e != i) or (h == f and e != g) else e, f if h == f else e]
            else:
                for r in rows:
                    r += [e, e, e]
        out += ["".join(r) for r in rows]
    return out


def halve(grid):
    """Each 2 x 2 block becomes its most frequent character; a tie goes to ink over the
    background, then to the first in reading order, so thin lines survive."""
    out = []
    for y in range(0, len(grid), 2):
        row = []
        for x in range(0, len(grid), 2):
            block = [grid[y][x], grid[y][x + 1], grid[y + 1][x], grid[y + 1][x + 1]]
            row.append(max(block, key=lambda ch: (block.count(ch), ch != BACKGROUND_CHAR, -block.index(ch))))
        out.append("".join(row))
    return out


def large_tiles(tiles, size):
    scale = {24: lambda g: halve(scale3x(g)), 32: scale2x}[size]
    return [(heading, scale(grid)) for heading, grid in tiles]


def encode_bmp8(rows, background):
    """8-bit palettised BMP, bottom-up, 256-entry palette, index 0 = background."""
    height = len(rows)
    width = len(rows[0])
    palette = [background]
    index_of = {background: 0}
    for row in rows:
        for rgb in row:
            if rgb not in index_of:
                index_of[rgb] = len(palette)
                palette.append(rgb)
    if len(palette) > 256:
        raise ArtError("more than 256 colours in a strip")
    stride = (width + 3) & ~3
    pixel_data = bytearray()
    for row in reversed(rows):
        line = bytes(index_of[rgb] for rgb in row)
        pixel_data += line + b"\0" * (stride - width)
    palette_data = bytearray()
    for i in range(256):
        r, g, b = palette[i] if i < len(palette) else (0, 0, 0)
        palette_data += bytes((b, g, r, 0))
    offset = 14 + 40 + len(palette_data)
    file_header = struct.pack("<2sIHHI", b"BM", offset + len(pixel_data), 0, 0, offset)
    info_header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 8, 0,
                              len(pixel_data), 2835, 2835, 256, 0)
    return file_header + info_header + bytes(palette_data) + bytes(pixel_data)


# ---------------------------------------------------------------- ICO

def encode_ico(images):
    entries = []
    payloads = []
    for size in ICON_SIZES:
        pixels = images[size]
        xor = bytearray()
        for row in reversed(pixels):
            for r, g, b, a in row:
                if a == 0:
                    r = g = b = 0
                xor += bytes((b, g, r, a))
        mask_stride = ((size + 31) // 32) * 4
        mask = bytearray()
        for row in reversed(pixels):
            line = bytearray(mask_stride)
            for x, (_, _, _, a) in enumerate(row):
                if a == 0:
                    line[x >> 3] |= 0x80 >> (x & 7)
            mask += line
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                             len(xor) + len(mask), 0, 0, 0, 0)
        payloads.append(header + bytes(xor) + bytes(mask))
        entries.append(size)
    offset = 6 + 16 * len(entries)
    directory = struct.pack("<HHH", 0, 1, len(entries))
    for size, payload in zip(entries, payloads):
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32,
                                 len(payload), offset)
        offset += len(payload)
    return directory + b"".join(payloads)


# ---------------------------------------------------------------- PNG

def encode_png(rows):
    """RGB PNG, 8 bits per channel, filter 0 on every row."""
    height = len(rows)
    width = len(rows[0])
    raw = bytearray()
    for row in rows:
        raw.append(0)
        for rgb in row:
            raw += bytes(rgb)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    ihdr = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr)
            + chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def png_content(data):
    """Header and decompressed pixel data of a PNG written by encode_png, or None."""
    if not data.startswith(b"\x89PNG\r\n\x1a\n"):
        return None
    pos = 8
    header = None
    idat = bytearray()
    while pos + 8 <= len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = bytes(body)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    try:
        return header, zlib.decompress(bytes(idat))
    except zlib.error:
        return None


class Canvas:
    def __init__(self, width, height, colour):
        self.width = width
        self.height = height
        self.rows = [[colour] * width for _ in range(height)]

    def fill(self, x, y, w, h, colour):
        for yy in range(max(0, y), min(self.height, y + h)):
            row = self.rows[yy]
            for xx in range(max(0, x), min(self.width, x + w)):
                row[xx] = colour

    def blit_scaled(self, x0, y0, pixels, scale):
        for y, row in enumerate(pixels):
            for x, colour in enumerate(row):
                self.fill(x0 + x * scale, y0 + y * scale, scale, scale, colour)


FRAME = (128, 128, 128)
GRID = (150, 150, 150)
CANVAS_BG = (200, 200, 200)


def strips_preview(light_rows, dark_rows):
    scale = 8
    frame = 4
    margin = 8
    strip_w = TILE_COUNT * TILE * scale + (TILE_COUNT - 1)
    strip_h = TILE * scale
    width = margin * 2 + frame * 2 + strip_w
    height = margin * 3 + (frame * 2 + strip_h) * 2
    canvas = Canvas(width, height, CANVAS_BG)
    y = margin
    for rows in (light_rows, dark_rows):
        canvas.fill(margin, y, strip_w + frame * 2, strip_h + frame * 2, FRAME)
        for tile in range(TILE_COUNT):
            x0 = margin + frame + tile * (TILE * scale + 1)
            part = [row[tile * TILE:(tile + 1) * TILE] for row in rows]
            canvas.blit_scaled(x0, y + frame, part, scale)
            if tile:
                canvas.fill(x0 - 1, y + frame, 1, strip_h, GRID)
        y += frame * 2 + strip_h + margin
    return encode_png(canvas.rows)


def _over(rgba, under):
    r, g, b, a = rgba
    return tuple((c * a + u * (255 - a) + 127) // 255 for c, u in zip((r, g, b), under))


def icon_preview(images):
    """Each size magnified to about 256 pixels on a checkerboard, then each
    size at its true size on white and on black."""
    box = 256
    gap = 16
    check = 16
    count = len(ICON_SIZES)
    width = gap + count * (box + gap)
    actual_h = max(ICON_SIZES) + 16
    height = gap + box + gap + actual_h * 2 + gap
    canvas = Canvas(width, height, CANVAS_BG)
    for i, size in enumerate(ICON_SIZES):
        x0 = gap + i * (box + gap)
        y0 = gap
        scale = box // size
        offset = (box - size * scale) // 2
        for y in range(box):
            for x in range(box):
                light = ((x // check) + (y // check)) % 2 == 0
                canvas.rows[y0 + y][x0 + x] = (236, 236, 236) if light else (196, 196, 196)
        pixels = images[size]
        for y in range(size):
            for x in range(size):
                px0 = x0 + offset + x * scale
                py0 = y0 + offset + y * scale
                for yy in range(py0, py0 + scale):
                    row = canvas.rows[yy]
                    for xx in range(px0, px0 + scale):
                        row[xx] = _over(pixels[y][x], row[xx])
        for j, under in enumerate(((255, 255, 255), (0, 0, 0))):
            ay = gap + box + gap + j * actual_h
            canvas.fill(x0, ay, box, actual_h, under)
            ax = x0 + (box - size) // 2
            ty = ay + (actual_h - size) // 2
            for y in range(size):
                for x in range(size):
                    canvas.rows[ty + y][ax + x] = _over(pixels[y][x], under)
    return encode_png(canvas.rows)


# ---------------------------------------------------------------- driver

def build(source_root):
    legend, tiles = load_toolbar(os.path.join(source_root, TOOLBAR_SRC))
    icon = load_icon(os.path.join(source_root, ICON_SRC))
    light_bg, dark_bg = legend[BACKGROUND_CHAR]
    light_rows = strip_pixels(legend, tiles, 0)
    dark_rows = strip_pixels(legend, tiles, 1)
    return {
        OUT_LIGHT: encode_bmp8(light_rows, light_bg),
        OUT_DARK: encode_bmp8(dark_rows, dark_bg),
        **{OUT_LARGE[(size, variant)]: encode_bmp8(strip_pixels(legend, large_tiles(tiles, size), variant),
                                                   legend[BACKGROUND_CHAR][variant])
           for size in LARGE_TILES for variant in (0, 1)},
        OUT_ICO: encode_ico(icon),
        OUT_STRIPS_PNG: strips_preview(light_rows, dark_rows),
        OUT_ICON_PNG: icon_preview(icon),
    }


def write_outputs(outputs, dest_root):
    for name, data in outputs.items():
        path = os.path.join(dest_root, name)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(data)


def same_output(name, committed, fresh):
    if committed == fresh:
        return True
    # Different zlib builds may compress the same pixels differently.
    if name.endswith(".png"):
        a = png_content(committed)
        return a is not None and a == png_content(fresh)
    return False


def check(root):
    """Rebuild into a temporary directory and compare; return the differing names."""
    with tempfile.TemporaryDirectory() as tmp:
        write_outputs(build(root), tmp)
        differing = []
        for name in OUTPUTS:
            with open(os.path.join(tmp, name), "rb") as f:
                fresh = f.read()
            try:
                with open(os.path.join(root, name), "rb") as f:
                    committed = f.read()
            except OSError:
                committed = None
            if committed is None or not same_output(name, committed, fresh):
                differing.append(name)
        return differing


def main(argv):
    args = argv[1:]
    if args not in ([], ["--check"]):
        sys.stderr.write("usage: make_art.py [--check]\n")
        return 2
    try:
        if args == ["--check"]:
            differing = check(ROOT)
            for name in differing:
                print("out of date: %s (run python3 scripts/make_art.py)" % name.replace(os.sep, "/"))
            return 1 if differing else 0
        write_outputs(build(ROOT), ROOT)
    except ArtError as e:
        sys.stderr.write("make_art: %s\n" % e)
        return 1
    for name in OUTPUTS:
        print("wrote %s" % name.replace(os.sep, "/"))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
