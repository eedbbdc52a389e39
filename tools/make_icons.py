#!/usr/bin/env python3
"""Draw the icons, cursor and pictures used by the Zandor Extension Pack manager.

Run from anywhere:

    python3 tools/make_icons.py [output-folder]

The default output folder is resources/icons next to this tools folder.
Needs Pillow (Debian: apt-get install python3-pil) and the DejaVu fonts
(Debian: fonts-dejavu-core).

Files written:
    nimo.ico        program icon, 16/32/48, 32-bit BGRA with AND mask
    wizard.ico      wizard window icon, same sizes and format
    ticked.bmp      16x16 24-bit tick on magenta (image list mask colour)
    sidepanel.bmp   164x314 24-bit wizard side panel
    logo.bmp        64x64 24-bit About box logo on light grey
    hand.cur        32x32 monochrome hand pointer, hotspot at the fingertip

After writing, every file is read back with a small independent parser
and checked (format, sizes, masks, key colours); a fault stops the run
with a non-zero exit status.  "--check-only" checks existing files.

Icons and cursors are written by hand (BMP-encoded entries, never PNG) so
that old loaders and windres accept them.
"""

import math
import os
import struct
import sys

try:
    from PIL import Image, ImageDraw, ImageFilter, ImageFont, ImageChops
except ImportError:  # depends on the machine
    # A private interpreter (pyenv, venv) may lack Pillow while the system
    # one has the Debian package; try that one before giving up.
    system = "/usr/bin/python3"
    if os.path.exists(system) and os.path.realpath(sys.executable) != os.path.realpath(system) \
            and not os.environ.get("MAKE_ICONS_REEXEC"):
        os.environ["MAKE_ICONS_REEXEC"] = "1"
        os.execv(system, [system] + sys.argv)
    sys.exit("make_icons.py needs Pillow: apt-get install python3-pil "
             "(or pip install Pillow)")

SUPERSAMPLE = 8          # shapes are drawn this many times larger, then reduced
ICON_SIZES = (16, 32, 48)
MAGENTA = (255, 0, 255)
ABOUT_GREY = (224, 224, 224)

FONT_DIRS = ("/usr/share/fonts/truetype/dejavu",
             "/usr/share/fonts/dejavu",
             "/usr/share/fonts/TTF")


# --------------------------------------------------------------------------
# File writers
# --------------------------------------------------------------------------

def _and_mask_rows(alpha_rows, width, threshold=0):
    """1-bit AND mask, bottom-up, rows padded to 32 bits. 1 = transparent."""
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for row in reversed(alpha_rows):
        bits = bytearray(stride)
        for x, a in enumerate(row):
            if a <= threshold:
                bits[x >> 3] |= 0x80 >> (x & 7)
        out += bits
    return bytes(out)


def _bitmapinfoheader(width, height, bitcount, image_size, colours=0):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bitcount, 0,
                       image_size, 0, 0, colours, 0)


def icon_entry_dib(img):
    """DIB body of one 32-bit icon image: header, BGRA bottom-up, AND mask."""
    img = img.convert("RGBA")
    w, h = img.size
    px = img.load()
    xor = bytearray()
    alpha_rows = []
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            if a == 0:
                r = g = b = 0
            xor += bytes((b, g, r, a))
    for y in range(h):
        alpha_rows.append([px[x, y][3] for x in range(w)])
    mask = _and_mask_rows(alpha_rows, w)
    header = _bitmapinfoheader(w, h * 2, 32, len(xor) + len(mask))
    return header + bytes(xor) + mask


def write_ico(path, images):
    """Write an .ico holding the given RGBA images as 32-bit DIB entries."""
    images = sorted(images, key=lambda im: im.size[0])
    bodies = [icon_entry_dib(im) for im in images]
    data = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for im, body in zip(images, bodies):
        w, h = im.size
        data += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32,
                            len(body), offset)
        offset += len(body)
    for body in bodies:
        data += body
    with open(path, "wb") as f:
        f.write(data)


def write_mono_cur(path, art, hotspot, size=32):
    """Write a monochrome .cur from ASCII art.

    'X' is black, 'o' is white, anything else is transparent.  Rows shorter
    than the cursor are padded with transparent pixels.
    """
    w = h = size
    stride = ((w + 31) // 32) * 4
    rows = [line.ljust(w, ".")[:w] for line in art] + ["." * w] * (h - len(art))
    xor = bytearray()
    andm = bytearray()
    for line in reversed(rows):
        xbits = bytearray(stride)
        abits = bytearray(stride)
        for x, ch in enumerate(line):
            bit = 0x80 >> (x & 7)
            if ch == "o":
                xbits[x >> 3] |= bit
            elif ch != "X":
                abits[x >> 3] |= bit
        xor += xbits
        andm += abits
    palette = bytes((0, 0, 0, 0, 255, 255, 255, 0))
    header = _bitmapinfoheader(w, h * 2, 1, len(xor) + len(andm), 2)
    body = header + palette + bytes(xor) + bytes(andm)
    data = struct.pack("<HHH", 0, 2, 1)
    data += struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0,
                        hotspot[0], hotspot[1], len(body), 6 + 16)
    with open(path, "wb") as f:
        f.write(data + body)


def write_bmp24(path, img):
    """Write an uncompressed 24-bit BMP with a plain BITMAPINFOHEADER."""
    img = img.convert("RGB")
    w, h = img.size
    px = img.load()
    stride = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray()
        for x in range(w):
            r, g, b = px[x, y]
            row += bytes((b, g, r))
        row += bytes(stride - len(row))
        pixels += row
    info = _bitmapinfoheader(w, h, 24, len(pixels))
    info = info[:24] + struct.pack("<ii", 2835, 2835) + info[32:]
    filehdr = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 54)
    with open(path, "wb") as f:
        f.write(filehdr + info + bytes(pixels))


# --------------------------------------------------------------------------
# Drawing helpers (everything is drawn on a supersampled canvas)
# --------------------------------------------------------------------------

def find_font(name):
    for d in FONT_DIRS:
        p = os.path.join(d, name)
        if os.path.exists(p):
            return p
    sys.exit("font %s not found; install fonts-dejavu-core" % name)


def blank_mask(s):
    return Image.new("L", (s, s), 0)


def dilate(mask, px):
    """Grow a mask by px pixels (rounded to an odd filter size)."""
    if px <= 0:
        return mask
    size = int(px) * 2 + 1
    return mask.filter(ImageFilter.MaxFilter(size))


def fill_gradient(mask, top, bottom, box=None):
    """RGBA layer: vertical gradient from top to bottom colour, shaped by mask."""
    s = mask.size
    y0, y1 = (0, s[1]) if box is None else box
    grad = Image.linear_gradient("L").resize((s[0], max(1, y1 - y0)))
    full = Image.new("L", s, 0)
    full.paste(grad, (0, y0))
    if y1 < s[1]:
        full.paste(255, (0, y1, s[0], s[1]))
    layer = Image.composite(Image.new("RGBA", s, bottom + (255,)),
                            Image.new("RGBA", s, top + (255,)), full)
    layer.putalpha(mask)
    return layer


def solid(mask, colour):
    layer = Image.new("RGBA", mask.size, colour + (255,))
    layer.putalpha(mask)
    return layer


def over(base, layer):
    return Image.alpha_composite(base, layer)


def globe_layer(S, cx, cy, r, px, detail, meridian):
    """A blue globe with a light graticule; returns (layer, disc mask)."""
    disc = blank_mask(S)
    ImageDraw.Draw(disc).ellipse((cx - r, cy - r, cx + r, cy + r), fill=255)

    # Radial shading: concentric discs walking toward the highlight.
    shade = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    d = ImageDraw.Draw(shade)
    dark, light = (16, 70, 160), (110, 190, 250)
    hx, hy = cx - r * 0.35, cy - r * 0.40
    steps = 48
    for i in range(steps + 1):
        t = i / steps                     # 0 = rim, 1 = highlight
        rr = r * (1.0 - t * 0.92)
        ox = cx + (hx - cx) * t
        oy = cy + (hy - cy) * t
        col = tuple(int(dark[k] + (light[k] - dark[k]) * t ** 1.6) for k in range(3))
        d.ellipse((ox - rr, oy - rr, ox + rr, oy + rr), fill=col + (255,))
    shade.putalpha(disc)

    # Graticule: meridians and parallels, clipped to the disc.
    lines = blank_mask(S)
    ld = ImageDraw.Draw(lines)
    lw = int(px)
    ld.line((cx, cy - r, cx, cy + r), fill=255, width=lw)
    ld.line((cx - r, cy, cx + r, cy), fill=255, width=lw)
    ld.ellipse((cx - meridian, cy - r, cx + meridian, cy + r), outline=255, width=lw)
    if detail:
        for f in (-0.55, 0.55):
            yy = (int((cy + r * f) / px) + 0.5) * px   # snap to a pixel centre
            half = r * (1 - f * f) ** 0.5
            ld.line((cx - half, yy, cx + half, yy), fill=255, width=lw)
    lines = ImageChops.multiply(lines, disc.filter(ImageFilter.MinFilter(int(px) * 2 + 1)))
    grat = solid(lines.point(lambda v: v * 150 // 255), (235, 248, 255))

    rim = ImageChops.subtract(disc, disc.filter(ImageFilter.MinFilter(int(px) * 2 + 1)))
    layer = over(over(shade, grat), solid(rim, (10, 40, 100)))
    return layer, disc


def puzzle_mask(S, x0, y0, x1, y1):
    """Puzzle piece: square body, knob on top and on the right,
    socket on the left."""
    m = blank_mask(S)
    d = ImageDraw.Draw(m)
    side = x1 - x0
    k = side * 0.22                     # knob radius
    neck = side * 0.13
    d.rectangle((x0, y0, x1, y1), fill=255)
    mx, my = (x0 + x1) / 2, (y0 + y1) / 2
    # top knob
    d.rectangle((mx - neck, y0 - k * 0.9, mx + neck, y0 + 1), fill=255)
    d.ellipse((mx - k, y0 - k * 1.75, mx + k, y0 + k * 0.25), fill=255)
    # right knob
    d.rectangle((x1 - 1, my - neck, x1 + k * 0.9, my + neck), fill=255)
    d.ellipse((x1 - k * 0.25, my - k, x1 + k * 1.75, my + k), fill=255)
    # left socket
    d.ellipse((x0 - k * 0.75, my - k * 0.8, x0 + k * 0.85, my + k * 0.8), fill=0)
    return m


# The 16x16 puzzle piece is drawn pixel by pixel: 'X' outline, 'o' body.
PUZZLE_16 = [
    "..XXX....",
    ".XoooX...",
    "XXXoXXX..",
    "XoooooXX.",
    "XoooooXoX",
    ".XooooooX",
    "XoooooXoX",
    "XoooooXX.",
    "XXXXXXX..",
]


def puzzle_pixels(size, ss, left, top):
    """The hand-drawn small puzzle piece on a supersampled canvas."""
    S = size * ss
    layer = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    m = blank_mask(S)
    d = ImageDraw.Draw(layer)
    md = ImageDraw.Draw(m)
    top_col, bot_col = (160, 230, 100), (45, 155, 45)
    n = len(PUZZLE_16)
    for y, line in enumerate(PUZZLE_16):
        t = y / (n - 1)
        body = tuple(int(top_col[k] + (bot_col[k] - top_col[k]) * t) for k in range(3))
        for x, ch in enumerate(line):
            if ch not in "Xo":
                continue
            col = (20, 90, 25) if ch == "X" else body
            box = ((left + x) * ss, (top + y) * ss,
                   (left + x + 1) * ss - 1, (top + y + 1) * ss - 1)
            d.rectangle(box, fill=col + (255,))
            md.rectangle(box, fill=255)
    return layer, m


# The 16x16 wand with a four-pointed sparkle, drawn pixel by pixel.
WAND_16 = [
    ".............O..",
    ".............Y..",
    "...........OYLYO",
    "...........WKY..",
    "..........WK.O..",
    ".........DK.....",
    "........DK......",
]
WAND_COLOURS = {
    "O": (200, 120, 0), "Y": (255, 210, 30), "L": (255, 255, 200),
    "W": (250, 250, 250), "D": (70, 45, 130), "K": (25, 20, 40),
}


def pixel_art_layer(size, ss, left, top, art, colours):
    """Pixel art (one character a pixel) on a supersampled canvas."""
    S = size * ss
    layer = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    m = blank_mask(S)
    d = ImageDraw.Draw(layer)
    md = ImageDraw.Draw(m)
    for y, line in enumerate(art):
        for x, ch in enumerate(line):
            if ch not in colours:
                continue
            box = ((left + x) * ss, (top + y) * ss,
                   (left + x + 1) * ss - 1, (top + y + 1) * ss - 1)
            d.rectangle(box, fill=colours[ch] + (255,))
            md.rectangle(box, fill=255)
    return layer, m


def puzzle_layer(S, box, px):
    m = puzzle_mask(S, *box)
    body = fill_gradient(m, (150, 225, 90), (40, 150, 40),
                         (int(box[1] - (box[2] - box[0]) * 0.4), int(box[3])))
    inner = m.filter(ImageFilter.MinFilter(int(px) * 2 + 1))
    rim = ImageChops.subtract(m, inner)
    # soft top-left bevel
    bevel = ImageChops.subtract(inner, ImageChops.offset(inner, int(px), int(px)))
    layer = over(body, solid(bevel.point(lambda v: v * 110 // 255), (235, 255, 210)))
    layer = over(layer, solid(rim, (20, 90, 25)))
    return layer, m


def wand_layer(S, x0, y0, x1, y1, px, star_r):
    """Magic wand from (x0,y0) handle end to (x1,y1) tip, with a star."""
    layer = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    w = max(px * 1.6, S * 0.065)
    # outline, then the dark stick
    d.line((x0, y0, x1, y1), fill=(30, 30, 40, 255), width=int(w + px * 2))
    d.line((x0, y0, x1, y1), fill=(80, 60, 140, 255), width=int(w))
    # white band just below the star
    length = math.hypot(x0 - x1, y0 - y1)
    ux, uy = (x0 - x1) / length, (y0 - y1) / length
    band = star_r * 0.9 + length * 0.2
    d.line((x1, y1, x1 + ux * band, y1 + uy * band), fill=(250, 250, 250, 255),
           width=int(w))
    # star
    pts = []
    for i in range(10):
        ang = -math.pi / 2 + i * math.pi / 5
        rr = star_r if i % 2 == 0 else star_r * 0.45
        pts.append((x1 + rr * math.cos(ang), y1 + rr * math.sin(ang)))
    star = blank_mask(S)
    ImageDraw.Draw(star).polygon(pts, fill=255)
    ring = dilate(star, px)
    layer = over(layer, solid(ring, (150, 90, 0)))
    layer = over(layer, fill_gradient(star, (255, 250, 170), (255, 190, 20),
                                      (int(y1 - star_r), int(y1 + star_r))))
    return layer, ring


def cut(layer, mask):
    """Remove mask from a layer's alpha."""
    a = layer.getchannel("A")
    layer = layer.copy()
    layer.putalpha(ImageChops.subtract(a, mask))
    return layer


# Layouts in final pixels.  Globe: (left, top, diameter) with an odd
# diameter so that the centre lines fall on pixel centres; meridian: half
# width of the inner meridian ellipse; puzzle: body box, or the top left
# corner of the hand-drawn piece; wand: handle end,
# tip and star radius,
# or wand_art: top left corner of the hand-drawn wand.
LAYOUTS = {
    (16, False): dict(globe=(0, 0, 13), meridian=3.5, puzzle=(7, 7)),
    (32, False): dict(globe=(1, 1, 25), meridian=5.5, puzzle=(16, 18, 26, 28)),
    (48, False): dict(globe=(2, 2, 37), meridian=8.5, puzzle=(23, 26, 39, 42)),
    (16, True): dict(globe=(0, 1, 11), meridian=2.5, puzzle=(7, 7),
                     wand_art=(0, 0)),
    (32, True): dict(globe=(1, 5, 23), meridian=5.5, puzzle=(16, 19, 25, 28),
                     wand=(13, 18, 25, 6, 6.0)),
    (48, True): dict(globe=(2, 8, 33), meridian=7.5, puzzle=(24, 28, 37, 41),
                     wand=(20, 27, 37, 10, 8.5)),
}


def scaled_layout(size, wand):
    """Layout for any size: exact entry, or the 48 one scaled."""
    if (size, wand) in LAYOUTS:
        return LAYOUTS[(size, wand)]
    base = LAYOUTS[(48, wand)]
    f = size / 48.0
    out = {}
    for k, v in base.items():
        out[k] = tuple(x * f for x in v) if isinstance(v, tuple) else v * f
    return out


def draw_motif(size, wand=False, ss=SUPERSAMPLE):
    """The product motif (globe + puzzle piece, optionally a magic wand)
    as an RGBA image of size x size."""
    S = size * ss
    px = ss                          # one final pixel on the big canvas
    lay = scaled_layout(size, wand)
    detail = size >= 24

    gx, gy, gd = lay["globe"]
    r = gd / 2.0
    gl, disc = globe_layer(S, (gx + r) * px, (gy + r) * px, r * px, px,
                           detail, lay["meridian"] * px)
    if len(lay["puzzle"]) == 2:
        pl, pm = puzzle_pixels(size, ss, *lay["puzzle"])
    else:
        pl, pm = puzzle_layer(S, tuple(v * px for v in lay["puzzle"]), px)

    img = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    img = over(img, cut(gl, dilate(pm, px)))
    img = over(img, pl)
    if "wand_art" in lay:
        # no gap here: at this size a gap would eat the globe
        wl, wm = pixel_art_layer(size, ss, *lay["wand_art"], WAND_16, WAND_COLOURS)
        img = over(img, wl)
    if "wand" in lay:
        x0, y0, x1, y1, sr = lay["wand"]
        wl, wm = wand_layer(S, x0 * px, y0 * px, x1 * px, y1 * px, px, sr * px)
        img = cut(img, dilate(wm, px))
        img = over(img, wl)
    return crisp_alpha(img.resize((size, size), Image.BOX))


def crisp_alpha(img):
    """Drop nearly-invisible fringe pixels left over by the reduction."""
    r, g, b, a = img.split()
    a = a.point(lambda v: 0 if v < 12 else (255 if v > 243 else v))
    img = Image.merge("RGBA", (r, g, b, a))
    return img


# --------------------------------------------------------------------------
# The individual pictures
# --------------------------------------------------------------------------

TICK_ART = [
    "................",
    "................",
    "................",
    "............XX..",
    "...........XoX..",
    "..........XooX..",
    "..XX.....XooX...",
    "..XoX...XooX....",
    "..XooX.XooX.....",
    "...XooXooX......",
    "....XoooX.......",
    ".....XoX........",
    "......X.........",
    "................",
    "................",
    "................",
]


def make_ticked():
    img = Image.new("RGB", (16, 16), MAGENTA)
    px = img.load()
    for y, line in enumerate(TICK_ART):
        for x, ch in enumerate(line):
            if ch == "X":
                px[x, y] = (0, 100, 0)
            elif ch == "o":
                px[x, y] = (40, 190, 40)
    return img


HAND_ART = [
    ".....XX.........",
    "....XooX........",
    "....XooX........",
    "....XooX........",
    "....XooX........",
    "....XooXXX......",
    "....XooXooXXX...",
    "....XooXooXooXX.",
    "....XooXooXooXoX",
    ".XX.XooooooooXooX",
    "XooXXoooooooooooX",
    "XoooXoooooooooooX",
    ".XooXoooooooooooX",
    "..XooooooooooooX",
    "..XooooooooooooX",
    "...XoooooooooooX",
    "...XooooooooooX",
    "....XoooooooooX",
    "....XoooooooooX",
    ".....XoooooooX",
    ".....XoooooooX",
    ".....XXXXXXXXX",
]
HAND_HOTSPOT = (5, 0)


def make_logo(size=64):
    bg = Image.new("RGBA", (size, size), ABOUT_GREY + (255,))
    motif = draw_motif(56)
    # gentle drop shadow
    shadow = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    sh_a = Image.new("L", (size, size), 0)
    sh_a.paste(motif.getchannel("A"), (5, 6))
    sh_a = sh_a.filter(ImageFilter.GaussianBlur(1.6)).point(lambda v: v * 70 // 255)
    shadow.putalpha(sh_a)
    bg = over(bg, shadow)
    layer = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    layer.paste(motif, (4, 4))
    return over(bg, layer).convert("RGB")


def make_sidepanel(w=164, h=314):
    top, bottom = (12, 32, 96), (0, 128, 128)
    grad = Image.linear_gradient("L").resize((w, h))
    img = Image.composite(Image.new("RGBA", (w, h), bottom + (255,)),
                          Image.new("RGBA", (w, h), top + (255,)), grad)

    # faint oversized motif as a watermark in the lower right
    wm = draw_motif(220, ss=2)
    wm_a = wm.getchannel("A").point(lambda v: v * 28 // 255)
    ghost = Image.new("RGBA", wm.size, (255, 255, 255, 0))
    ghost.putalpha(wm_a)
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    layer.paste(ghost, (w - 140, h - 150))
    img = over(img, layer)

    # soft glow behind the main motif
    glow = Image.new("L", (w, h), 0)
    cx, cy, gr = w // 2, 78, 58
    ImageDraw.Draw(glow).ellipse((cx - gr, cy - gr, cx + gr, cy + gr), fill=90)
    glow = glow.filter(ImageFilter.GaussianBlur(16))
    gl = Image.new("RGBA", (w, h), (190, 235, 255, 0))
    gl.putalpha(glow)
    img = over(img, gl)

    motif = draw_motif(96, ss=4)
    layer = Image.new("RGBA", (w, h), (0, 0, 0, 0))
    sh = Image.new("L", (w, h), 0)
    sh.paste(motif.getchannel("A"), (cx - 48 + 3, cy - 48 + 4))
    sh = sh.filter(ImageFilter.GaussianBlur(3)).point(lambda v: v * 90 // 255)
    shadow = Image.new("RGBA", (w, h), (0, 10, 30, 0))
    shadow.putalpha(sh)
    img = over(img, shadow)
    layer.paste(motif, (cx - 48, cy - 48))
    img = over(img, layer)

    # stacked title
    bold = find_font("DejaVuSans-Bold.ttf")
    regular = find_font("DejaVuSans.ttf")
    d = ImageDraw.Draw(img)
    x = 16
    y = 150
    d.line((x, y, w - 16, y), fill=(255, 255, 255, 120), width=1)
    y += 12
    f1 = ImageFont.truetype(bold, 30)
    f2 = ImageFont.truetype(bold, 24)
    f3 = ImageFont.truetype(regular, 22)
    for text, font, col in (("Zandor", f1, (255, 255, 255)),
                            ("Extension", f2, (220, 245, 255)),
                            ("Pack", f3, (170, 230, 235))):
        d.text((x + 1, y + 2), text, font=font, fill=(0, 0, 0, 90))
        d.text((x, y), text, font=font, fill=col + (255,))
        bbox = d.textbbox((x, y), text, font=font)
        y = bbox[3] + 8
    d.line((x, y + 4, x + 40, y + 4), fill=(255, 255, 255, 160), width=2)
    return img.convert("RGB")


# --------------------------------------------------------------------------
# Read-back checks
# --------------------------------------------------------------------------

class CheckError(Exception):
    pass


def expect(cond, msg):
    if not cond:
        raise CheckError(msg)


def read_dib_header(data, off):
    (size, w, h, planes, bits, comp, img_size, _, _, used, _) = \
        struct.unpack_from("<IiiHHIIiiII", data, off)
    expect(size == 40, "DIB header size %d, expected 40" % size)
    expect(planes == 1, "DIB planes %d" % planes)
    expect(comp == 0, "DIB is compressed (%d)" % comp)
    return w, h, bits, img_size, used


def check_icon_file(path, kind, sizes):
    """Check an .ico (kind 1) or .cur (kind 2); returns decoded entries as
    dicts with size, bits, hotspot and a pixel(x, y) -> (r, g, b, a|None)."""
    data = open(path, "rb").read()
    reserved, typ, count = struct.unpack_from("<HHH", data, 0)
    expect(reserved == 0 and typ == kind, "%s: bad directory type %d" % (path, typ))
    expect(count == len(sizes), "%s: %d images, expected %d" % (path, count, len(sizes)))
    entries = []
    end = 6 + 16 * count
    for i in range(count):
        w, h, colours, _, f1, f2, nbytes, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        expect(off >= end and off + nbytes <= len(data), "%s: entry %d outside the file" % (path, i))
        expect(data[off:off + 8] != b"\x89PNG\r\n\x1a\n", "%s: entry %d is PNG" % (path, i))
        dw, dh, bits, _, used = read_dib_header(data, off)
        expect((dw, dh) == (w, h * 2), "%s: DIB %dx%d for a %dx%d entry" % (path, dw, dh, w, h))
        ncol = used or (1 << bits if bits <= 8 else 0)
        pal_off = off + 40
        xor_off = pal_off + 4 * ncol
        xor_stride = ((w * bits + 31) // 32) * 4
        and_off = xor_off + xor_stride * h
        and_stride = ((w + 31) // 32) * 4
        expect(and_off + and_stride * h == off + nbytes,
               "%s: entry %d has %d bytes, layout needs %d"
               % (path, i, nbytes, and_off + and_stride * h - off))

        def pixel(x, y, bits=bits, h=h, pal_off=pal_off, xor_off=xor_off,
                  xor_stride=xor_stride, and_off=and_off, and_stride=and_stride):
            row = h - 1 - y
            masked = data[and_off + row * and_stride + x // 8] >> (7 - x % 8) & 1
            if bits == 32:
                b, g, r, a = data[xor_off + row * xor_stride + 4 * x:][:4]
                return (r, g, b, a, masked)
            expect(bits == 1, "%s: unsupported depth %d" % (path, bits))
            idx = data[xor_off + row * xor_stride + x // 8] >> (7 - x % 8) & 1
            b, g, r = data[pal_off + 4 * idx:][:3]
            return (r, g, b, None, masked)

        entries.append(dict(size=(w, h), bits=bits, hotspot=(f1, f2), pixel=pixel))
        end = max(end, off + nbytes)
    expect(sorted(e["size"][0] for e in entries) == sorted(sizes),
           "%s: sizes %s" % (path, [e["size"] for e in entries]))
    return entries


def check_alpha_icon(path, sizes):
    for e in check_icon_file(path, 1, sizes):
        w, h = e["size"]
        expect(e["bits"] == 32, "%s: %d bits, expected 32" % (path, e["bits"]))
        opaque = 0
        for y in range(h):
            for x in range(w):
                r, g, b, a, masked = e["pixel"](x, y)
                expect(masked == (a == 0), "%s %d: AND mask disagrees with alpha at %d,%d"
                       % (path, w, x, y))
                opaque += a == 255
        # the motif should fill a good part of the square, but not all of it
        expect(0.3 * w * h < opaque < 0.9 * w * h,
               "%s %d: %d opaque pixels" % (path, w, opaque))


def check_cursor(path, size, hotspot):
    (e,) = check_icon_file(path, 2, [size])
    expect(e["hotspot"] == hotspot, "%s: hotspot %s" % (path, e["hotspot"]))
    r, g, b, _, masked = e["pixel"](*hotspot)
    expect(not masked, "%s: the hotspot pixel is transparent" % path)
    corner = e["pixel"](size - 1, size - 1)
    expect(corner[4] == 1 and corner[:3] == (0, 0, 0),
           "%s: the far corner is not transparent" % path)


def read_bmp24(path):
    data = open(path, "rb").read()
    magic, fsize, _, _, bits_off = struct.unpack_from("<2sIHHI", data, 0)
    expect(magic == b"BM", "%s: not a BMP" % path)
    expect(fsize == len(data), "%s: size field %d, file %d" % (path, fsize, len(data)))
    w, h, bits, _, _ = read_dib_header(data, 14)
    expect(bits == 24, "%s: %d bits, expected 24" % (path, bits))
    stride = (w * 3 + 3) & ~3
    expect(bits_off + stride * abs(h) == len(data), "%s: pixel data size" % path)

    def pixel(x, y):
        row = h - 1 - y if h > 0 else y
        b, g, r = data[bits_off + row * stride + 3 * x:][:3]
        return (r, g, b)
    return (w, abs(h)), pixel


def check_bitmaps(out):
    size, px = read_bmp24(os.path.join(out, "ticked.bmp"))
    expect(size == (16, 16), "ticked.bmp is %dx%d" % size)
    colours = [px(x, y) for y in range(16) for x in range(16)]
    expect(px(0, 0) == MAGENTA and px(15, 15) == MAGENTA, "ticked.bmp: corners not magenta")
    expect(sum(c[1] > 150 and c[0] < 100 for c in colours) >= 10, "ticked.bmp: no green tick")
    expect(all(c == MAGENTA or (c[1] > c[0] and c[1] > c[2]) for c in colours),
           "ticked.bmp: colours other than magenta and green")

    size, px = read_bmp24(os.path.join(out, "logo.bmp"))
    expect(size == (64, 64), "logo.bmp is %dx%d" % size)
    for corner in ((0, 0), (63, 0), (0, 63), (63, 63)):
        expect(px(*corner) == ABOUT_GREY, "logo.bmp: corner %s not light grey" % (corner,))
    expect(px(26, 26) != ABOUT_GREY, "logo.bmp: no motif in the middle")

    size, px = read_bmp24(os.path.join(out, "sidepanel.bmp"))
    expect(size == (164, 314), "sidepanel.bmp is %dx%d" % size)
    top, bottom = px(2, 2), px(2, 311)
    expect(top[2] > top[1] and bottom[1] > top[1], "sidepanel.bmp: not blue to teal")
    expect(any(px(x, y) == (255, 255, 255) for y in range(160, 200) for x in range(16, 150)),
           "sidepanel.bmp: no white title text")


def check_all(out):
    check_alpha_icon(os.path.join(out, "nimo.ico"), ICON_SIZES)
    check_alpha_icon(os.path.join(out, "wizard.ico"), ICON_SIZES)
    check_cursor(os.path.join(out, "hand.cur"), 32, HAND_HOTSPOT)
    check_bitmaps(out)


def main(argv):
    args = [a for a in argv[1:] if a != "--check-only"]
    check_only = len(args) != len(argv) - 1
    here = os.path.dirname(os.path.abspath(__file__))
    out = args[0] if args else os.path.join(here, "..", "resources", "icons")
    out = os.path.normpath(out)
    if check_only:
        return verify(out)
    os.makedirs(out, exist_ok=True)

    write_ico(os.path.join(out, "nimo.ico"), [draw_motif(s) for s in ICON_SIZES])
    write_ico(os.path.join(out, "wizard.ico"),
              [draw_motif(s, wand=True) for s in ICON_SIZES])
    write_bmp24(os.path.join(out, "ticked.bmp"), make_ticked())
    write_bmp24(os.path.join(out, "sidepanel.bmp"), make_sidepanel())
    write_bmp24(os.path.join(out, "logo.bmp"), make_logo())
    write_mono_cur(os.path.join(out, "hand.cur"), HAND_ART, HAND_HOTSPOT)
    for name in ("nimo.ico", "wizard.ico", "ticked.bmp", "sidepanel.bmp",
                 "logo.bmp", "hand.cur"):
        print(os.path.join(out, name))
    return verify(out)


def verify(out):
    try:
        check_all(out)
    except (CheckError, OSError, struct.error) as e:
        print("check failed: %s" % e, file=sys.stderr)
        return 1
    print("all files checked")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
