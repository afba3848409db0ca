#!/usr/bin/python3
"""Draws all of Velloran's artwork from code and writes it into this folder.

Run:  /usr/bin/python3 assets/render.py

Needs only the standard library, Pillow and the Liberation fonts. The output
is deterministic: the same inputs always give byte-identical files.

  velloran.ico        32x32 program icon, 24-bit colour with a 1-bit mask
  velloran.png        the same icon as a 32x32 PNG with alpha
  velloran-256.png    the icon drawn at 256x256 for the desktop
  add_files.jpg/.bmp  picture of the add button, 106x66
  remove_dupes.jpg/.bmp  picture of the remove button, 130x59
  HAND-M.CUR          32x32 hand pointer, hot spot at the finger tip
"""

import io
import os
import struct

from PIL import Image, ImageChops, ImageDraw, ImageFont

HERE = os.path.dirname(os.path.abspath(__file__))
FONT_DIR = "/usr/share/fonts/truetype/liberation"
BOLD_FONT = os.path.join(FONT_DIR, "LiberationSans-Bold.ttf")

# ---------------------------------------------------------------- colours

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
PAD_EDGE = (72, 78, 92)          # outline of the note pad
PAD_SHADOW = (178, 184, 196)     # the page edges below the top sheet
RING_METAL = (40, 44, 52)        # the binding rings
INK_BLUE = (22, 42, 128)         # letter and text lines
LENS_RIM = (58, 64, 74)          # dark steel ring around the lens
LENS_BLUE = (150, 205, 245)      # light-blue glass
LENS_SHINE = (240, 250, 255)     # highlight on the glass
MAGNIFIED_INK = (82, 118, 188)   # text lines seen through the glass
HANDLE_ORANGE = (240, 132, 24)
HANDLE_DARK = (150, 70, 8)       # outline and shading of the handle

LILAC = (172, 132, 216)          # folder body and chequer squares
LILAC_DARK = (104, 66, 150)      # folder outline
LILAC_TAB = (206, 178, 234)      # the folder's back flap
CHEQUER_GREY = (160, 160, 168)
LETTER_OUTLINE = (56, 36, 96)    # outline of the block capitals
LETTER_FILL = (236, 228, 250)    # light fill inside the capitals

# The hand pointer, drawn pixel by pixel: X black outline, o white, . clear.
# The top pixel of the index finger is the hot spot (marked with H).
HAND_PIXELS = """
......XHX............
.....XoooX...........
.....XoooX...........
.....XoooX...........
.....XoooX...........
.....XoooX...........
.....XoooXXXX........
.....XoooXoooXXXX....
.....XoooXoooXoooX...
.....XoooXoooXoooXXX.
.XX..XoooXoooXoooXooX
XooX.XoooXoooXoooXooX
XoooXXoooXoooXoooXooX
.XoooXoooooooooooXooX
..XoooooooooooooooooX
...XooooooooooooooooX
....XoooooooooooooooX
....XooooooooooooooX.
.....XoooooooooooooX.
.....XooooooooooooX..
......XoooooooooooX..
......XoooooooooooX..
......XXXXXXXXXXXXX..
"""
HAND_OFFSET = (5, 1)   # where the top-left of the drawing sits in 32x32

# ------------------------------------------------------------- icon

ICON_GRID = 32      # the icon is laid out on a 32x32 grid of units
ICON_SCALE = 32     # pixels per unit in the master drawing (1024x1024)


def box(x0, y0, x1, y1, s):
    """A rectangle given in grid units, in master pixels."""
    return [round(x0 * s), round(y0 * s), round(x1 * s) - 1, round(y1 * s) - 1]


def draw_pad(draw, s):
    """The note pad: the top sheet, the pad's edge below it, the rings."""
    draw.rectangle(box(4, 6, 22, 30, s), fill=PAD_EDGE)
    draw.rectangle(box(5, 7, 21, 29, s), fill=PAD_SHADOW)
    draw.rectangle(box(3, 5, 21, 29, s), fill=PAD_EDGE)
    draw.rectangle(box(4, 6, 20, 28, s), fill=WHITE)
    for x in (5, 8, 11, 14, 17):
        draw.rounded_rectangle(box(x, 3, x + 1, 8, s), radius=s // 2,
                               fill=RING_METAL)


# The large letter on the pad and the magnifying glass, in grid units.
LETTER_A = [(7, 8), (10, 8), (13, 18), (10.75, 18), (10.15, 16),
            (6.85, 16), (6.25, 18), (4, 18)]
LETTER_A_HOLE = [(8.5, 10.6), (9.55, 14), (7.45, 14)]
LENS_CENTRE, LENS_OUTER, LENS_INNER = (21.5, 12.5), 8.5, 6.5


def scaled(points, s):
    """Points given in grid units, in master pixels."""
    return [(x * s, y * s) for x, y in points]


def disc(centre, radius, s):
    """The bounding box of a circle given in grid units."""
    cx, cy = centre
    return [(cx - radius) * s, (cy - radius) * s,
            (cx + radius) * s, (cy + radius) * s]


def draw_writing(draw, s):
    """A large initial letter and lines of text on the top sheet."""
    draw.polygon(scaled(LETTER_A, s), fill=INK_BLUE)
    draw.polygon(scaled(LETTER_A_HOLE, s), fill=WHITE)
    for y in (20, 23, 26):
        draw.rectangle(box(5, y, 19, y + 1, s), fill=INK_BLUE)


def draw_handle(draw, s):
    """The orange handle, running from the lens to the lower left."""
    start, end = (16, 18), (8, 26)
    for colour, width in ((HANDLE_DARK, 4.6), (HANDLE_ORANGE, 2.6)):
        draw.line(scaled([start, end], s), fill=colour, width=round(width * s))
        draw.ellipse(disc(end, width / 2, s), fill=colour)


def lens_glass_mask(size, s):
    """White where the glass is, black elsewhere."""
    mask = Image.new("L", size, 0)
    ImageDraw.Draw(mask).ellipse(disc(LENS_CENTRE, LENS_INNER, s), fill=255)
    return mask


def magnified_lines_mask(size, s):
    """Thick text lines, as the page looks through the glass."""
    mask = Image.new("L", size, 0)
    for y, x1 in ((9, 29), (13, 29), (17, 24)):
        ImageDraw.Draw(mask).rectangle(box(14, y, x1, y + 2, s), fill=255)
    return mask


def draw_lens(image, s):
    """The glass in its dark rim, with magnified text and a shine on it."""
    draw = ImageDraw.Draw(image)
    draw.ellipse(disc(LENS_CENTRE, LENS_OUTER, s), fill=LENS_RIM)
    draw.ellipse(disc(LENS_CENTRE, LENS_INNER, s), fill=LENS_BLUE)
    glass = lens_glass_mask(image.size, s)
    lines = magnified_lines_mask(image.size, s)
    lines_on_glass = ImageChops.multiply(lines, glass)
    image.paste(MAGNIFIED_INK, (0, 0) + image.size, lines_on_glass)
    draw.arc(disc(LENS_CENTRE, 4.6, s), 190, 260, fill=LENS_SHINE,
             width=round(1.2 * s))


def draw_icon_master():
    """The whole icon at ICON_SCALE pixels per unit, with transparency."""
    s = ICON_SCALE
    image = Image.new("RGBA", (ICON_GRID * s,) * 2, (0, 0, 0, 0))
    draw = ImageDraw.Draw(image)
    draw_pad(draw, s)
    draw_writing(draw, s)
    draw_handle(draw, s)
    draw_lens(image, s)
    return image


def downsample(master, size):
    """Averages the master down; grid-aligned edges stay sharp at 32x32."""
    return master.resize((size, size), Image.Resampling.BOX)


# ------------------------------------------------- icon and cursor files

ICON_TYPE, CURSOR_TYPE = 1, 2


def xor_bitmap(image, bits):
    """The colour plane: bottom-up rows of BGR (24) or BGRA (32) pixels.

    Clear pixels (alpha below half) are black, as the AND mask expects."""
    rows = []
    for y in reversed(range(image.height)):
        row = bytearray()
        for x in range(image.width):
            r, g, b, a = image.getpixel((x, y))
            if a < 128:
                r = g = b = a = 0
            row += bytes((b, g, r, a)) if bits == 32 else bytes((b, g, r))
        row += bytes(-len(row) % 4)
        rows.append(bytes(row))
    return b"".join(rows)


def and_mask(image):
    """The transparency plane: bottom-up rows of bits, 1 where clear."""
    rows = []
    for y in reversed(range(image.height)):
        bits = 0
        for x in range(image.width):
            clear = image.getpixel((x, y))[3] < 128
            bits = (bits << 1) | clear
        width_bytes = (image.width + 31) // 32 * 4
        bits <<= width_bytes * 8 - image.width
        rows.append(bits.to_bytes(width_bytes, "big"))
    return b"".join(rows)


def dib_image(image, bits):
    """BITMAPINFOHEADER (height doubled for XOR + AND) and both planes."""
    pixels = xor_bitmap(image, bits) + and_mask(image)
    header = struct.pack("<IiiHHIIiiII", 40, image.width, image.height * 2,
                         1, bits, 0, len(pixels), 0, 0, 0, 0)
    return header + pixels


def icon_file(image, bits, kind, hot_spot=(0, 0)):
    """A one-image ICO (kind 1) or CUR (kind 2) file.

    In a cursor's directory entry the two words that hold planes and bit
    count in an icon hold the hot spot's x and y instead."""
    data = dib_image(image, bits)
    planes, bit_count = (1, bits) if kind == ICON_TYPE else hot_spot
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", image.width % 256, image.height % 256,
                        0, 0, planes, bit_count, len(data), 6 + 16)
    return directory + entry + data


# ----------------------------------------------------------- hand pointer

HAND_COLOURS = {"X": BLACK + (255,), "H": BLACK + (255,),
                "o": WHITE + (255,), ".": (0, 0, 0, 0)}


def draw_hand():
    """The 32x32 pointer image and its hot spot (the finger tip)."""
    image = Image.new("RGBA", (32, 32), (0, 0, 0, 0))
    rows = HAND_PIXELS.strip("\n").split("\n")
    hot_spot = None
    for y, row in enumerate(rows):
        for x, code in enumerate(row):
            position = (HAND_OFFSET[0] + x, HAND_OFFSET[1] + y)
            image.putpixel(position, HAND_COLOURS[code])
            if code == "H":
                hot_spot = position
    return image, hot_spot


# -------------------------------------------------------- button pictures

PICTURE_SCALE = 4         # pictures are drawn 4x larger, then averaged down
LETTER_SIZE = 22          # font size of the block capitals, in pixels
LETTER_OUTLINE_WIDTH = 2  # outline around each capital, in pixels
LETTER_SPACING = 3        # extra room between capitals, in pixels


def letter_font():
    return ImageFont.truetype(BOLD_FONT, LETTER_SIZE * PICTURE_SCALE)


def word_width(word):
    """Width of a word in outlined capitals, in picture pixels."""
    font, stroke = letter_font(), LETTER_OUTLINE_WIDTH * PICTURE_SCALE
    advance = sum(font.getlength(c) for c in word)
    spacing = LETTER_SPACING * PICTURE_SCALE * (len(word) - 1)
    return (advance + spacing + 2 * stroke) / PICTURE_SCALE


def draw_word(draw, left, top, word):
    """Outlined block capitals: a dark outline around a light fill.

    left/top is where the outline starts, in picture pixels; the capitals'
    top edge sits a little lower (the font's ascent above the caps)."""
    font, s = letter_font(), PICTURE_SCALE
    stroke = LETTER_OUTLINE_WIDTH * s
    x = left * s + stroke
    y = top * s + stroke - font.getbbox("E")[1]
    for c in word:
        draw.text((x, y), c, font=font, fill=LETTER_FILL,
                  stroke_width=stroke, stroke_fill=LETTER_OUTLINE)
        x += font.getlength(c) + LETTER_SPACING * s


def draw_folder(draw, left, top):
    """A lilac file folder, 30x22 pixels, its upper left corner at left/top."""
    s = PICTURE_SCALE

    def p(x, y):
        return ((left + x) * s, (top + y) * s)

    edge = s
    draw.rounded_rectangle([*p(0, 0), *p(11, 5)], radius=2 * s,
                           fill=LILAC_TAB, outline=LILAC_DARK, width=edge)
    draw.rectangle([*p(0, 3), *p(27, 22)], fill=LILAC_TAB,
                   outline=LILAC_DARK, width=edge)
    draw.polygon([p(4, 8), p(30, 8), p(27, 22), p(0, 22)], fill=LILAC,
                 outline=LILAC_DARK, width=edge)


def draw_chequer(draw, left, top, columns, rows, square):
    """A patch of grey and lilac squares."""
    s = PICTURE_SCALE
    for row in range(rows):
        for column in range(columns):
            colour = LILAC if (row + column) % 2 else CHEQUER_GREY
            x, y = left + column * square, top + row * square
            draw.rectangle([x * s, y * s, (x + square) * s - 1,
                            (y + square) * s - 1], fill=colour)


def new_picture(width, height):
    """A white master canvas for a picture of width x height pixels."""
    size = (width * PICTURE_SCALE, height * PICTURE_SCALE)
    image = Image.new("RGB", size, WHITE)
    return image, ImageDraw.Draw(image)


def finish_picture(image):
    return image.resize((image.width // PICTURE_SCALE,
                         image.height // PICTURE_SCALE),
                        Image.Resampling.BOX)


def draw_add_files():
    """Picture A: folder at the upper left, ADD / FILE(S) beside and below."""
    width, height = 106, 66
    image, draw = new_picture(width, height)
    draw_folder(draw, 4, 5)
    add_left = 36 + (width - 36 - word_width("ADD")) / 2
    draw_word(draw, add_left, 8, "ADD")
    draw_word(draw, (width - word_width("FILE(S)")) / 2, 37, "FILE(S)")
    return finish_picture(image)


def draw_remove_dupes():
    """Picture B: REMOVE / DUPES set to the right, chequer beside DUPES."""
    width, height = 130, 59
    image, draw = new_picture(width, height)
    right = width - 6
    draw_word(draw, right - word_width("REMOVE"), 5, "REMOVE")
    patch_left = right - 16
    draw_chequer(draw, patch_left, 32, 4, 5, 4)
    draw_word(draw, patch_left - 3 - word_width("DUPES"), 33, "DUPES")
    return finish_picture(image)


# ----------------------------------------------------------------- output

def save_picture(image, name):
    """The JPEG, and a 24-bit BMP holding exactly the JPEG's decoded pixels."""
    jpeg = io.BytesIO()
    image.save(jpeg, "JPEG", quality=95, subsampling=0, optimize=False)
    write_file(name + ".jpg", jpeg.getvalue())
    decoded = Image.open(io.BytesIO(jpeg.getvalue())).convert("RGB")
    bmp = io.BytesIO()
    decoded.save(bmp, "BMP")
    write_file(name + ".bmp", bmp.getvalue())


def save_png(image, name):
    png = io.BytesIO()
    image.save(png, "PNG")
    write_file(name, png.getvalue())


def write_file(name, data):
    with open(os.path.join(HERE, name), "wb") as out:
        out.write(data)


def read_back_icon_file(data):
    """Parses a one-image ICO/CUR: kind, size, the two hot-spot/planes
    words, bit depth and the header's doubled height."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    width, height, _, _, word1, word2, size, offset = struct.unpack_from(
        "<BBBBHHII", data, 6)
    header = struct.unpack_from("<IiiHHI", data, offset)
    assert reserved == 0 and count == 1 and offset + size == len(data)
    assert header[0] == 40 and header[1] == width and header[3] == 1
    return kind, (width, height), (word1, word2), header[4], header[2]


def check_icon_files():
    """Reads the written icon and pointer back and checks their layout."""
    with open(os.path.join(HERE, "HAND-M.CUR"), "rb") as f:
        kind, size, hot_spot, bits, height = read_back_icon_file(f.read())
    assert (kind, size, bits, height) == (CURSOR_TYPE, (32, 32), 32, 64)
    assert hot_spot == draw_hand()[1], hot_spot
    with open(os.path.join(HERE, "velloran.ico"), "rb") as f:
        kind, size, planes_bits, bits, height = read_back_icon_file(f.read())
    expected = (ICON_TYPE, (32, 32), (1, 24), 24, 64)
    assert (kind, size, planes_bits, bits, height) == expected
    print("HAND-M.CUR hot spot", hot_spot)


def main():
    master = draw_icon_master()
    icon = downsample(master, 32)
    save_png(icon, "velloran.png")
    save_png(master.resize((256, 256), Image.Resampling.LANCZOS),
             "velloran-256.png")
    write_file("velloran.ico", icon_file(icon, 24, ICON_TYPE))
    hand, hot_spot = draw_hand()
    write_file("HAND-M.CUR", icon_file(hand, 32, CURSOR_TYPE, hot_spot))
    save_picture(draw_add_files(), "add_files")
    save_picture(draw_remove_dupes(), "remove_dupes")
    check_icon_files()


if __name__ == "__main__":
    main()
