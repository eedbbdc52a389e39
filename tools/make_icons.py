#!/usr/bin/python3
"""Draws the program's icons, cursor and pictures into resources/icons (or the folder given):

    nimo.ico, wizard.ico  16/32/48, 32-bit with alpha and AND mask
    ticked.bmp            16x16, 24-bit, magenta is the image list's mask colour
    sidepanel.bmp         164x314, 24-bit, the wizard's side panel
    logo.bmp              64x64, 24-bit, the About box's logo on its grey
    hand.cur              32x32 monochrome hand, hotspot at the fingertip

Needs Pillow (python3-pil) and the DejaVu fonts (fonts-dejavu-core).
"""

import io
import math
import os
import struct
import sys

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

SUPERSAMPLE = 8          # shapes are drawn this many times larger, then reduced
ICON_SIZES = (16, 32, 48)
MAGENTA = (255, 0, 255)
ABOUT_GREY = (224, 224, 224)
FONTS = "/usr/share/fonts/truetype/dejavu/"


def save_icon_file(path, images, hotspot=None):
    """An .ico, or a .cur when a hotspot is given, of Pillow's DIBs. Every entry has its
    AND mask (1 = transparent) after its colours, as the format has it, 32-bit entries
    too: Pillow's own ICO writer leaves it out of those, and writes no planes."""
    bodies = []
    for im in images:
        if im.mode == "RGBA":
            shown = im.getchannel("A").point(lambda a: 255 * (a > 0))
            im = Image.composite(im, Image.new("RGBA", im.size), shown)  # clear pixels black
            clear = ImageChops.invert(shown)
        else:
            clear = im.info["clear"]
        dib = io.BytesIO()
        im.save(dib, "DIB")
        body = bytearray(dib.getvalue())
        stride = (im.width + 31) // 32 * 4
        mask = clear.convert("1").tobytes("raw", ("1", stride, -1))
        # The header counts the colours and the mask, one above the other.
        struct.pack_into("<i", body, 8, im.height * 2)
        struct.pack_into("<I", body, 20, struct.unpack_from("<I", body, 20)[0] + len(mask))
        bodies.append(body + mask)
    data = struct.pack("<HHH", 0, 2 if hotspot else 1, len(images))
    offset = len(data) + 16 * len(images)
    for im, body in zip(images, bodies):
        planes, bits = hotspot or (1, 1 if im.mode == "1" else 32)
        data += struct.pack("<BBBBHHII", im.width % 256, im.height % 256, 0, 0, planes, bits,
                            len(body), offset)
        offset += len(body)
    with open(path, "wb") as f:
        f.write(data + b"".join(bodies))


# --------------------------------------------------------------------------
# Drawing helpers (shapes are drawn on a supersampled canvas)
# --------------------------------------------------------------------------

def blank_mask(s):
    return Image.new("L", (s, s), 0)


def dilate(mask, px):
    """Grow a mask by px pixels."""
    return mask.filter(ImageFilter.MaxFilter(int(px) * 2 + 1)) if px > 0 else mask


def erode(mask, px):
    return mask.filter(ImageFilter.MinFilter(int(px) * 2 + 1))


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


def cut(layer, mask):
    """Remove mask from a layer's alpha."""
    layer = layer.copy()
    layer.putalpha(ImageChops.subtract(layer.getchannel("A"), mask))
    return layer


def faded(mask, percent):
    return mask.point(lambda v: v * percent // 255)


def pixel_art(size, ss, left, top, art, colour):
    """Pixel art, one character a pixel, on a supersampled canvas: its layer and mask.
    colour(ch, row) gives a character's colour, or None where it is clear."""
    S = size * ss
    layer = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    m = blank_mask(S)
    d, md = ImageDraw.Draw(layer), ImageDraw.Draw(m)
    for y, line in enumerate(art):
        for x, ch in enumerate(line):
            col = colour(ch, y)
            if col is None:
                continue
            box = ((left + x) * ss, (top + y) * ss,
                   (left + x + 1) * ss - 1, (top + y + 1) * ss - 1)
            d.rectangle(box, fill=col + (255,))
            md.rectangle(box, fill=255)
    return layer, m


# --------------------------------------------------------------------------
# The motif: a globe, a puzzle piece, and for the wizard a magic wand
# --------------------------------------------------------------------------

def globe_layer(S, cx, cy, r, px, detail, meridian):
    """A blue globe with a light graticule."""
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
    lines = ImageChops.multiply(lines, erode(disc, px))
    grat = solid(faded(lines, 150), (235, 248, 255))

    rim = ImageChops.subtract(disc, erode(disc, px))
    return over(over(shade, grat), solid(rim, (10, 40, 100)))


def puzzle_mask(S, x0, y0, x1, y1):
    """Puzzle piece: square body, knob on top and on the right, socket on the left."""
    m = blank_mask(S)
    d = ImageDraw.Draw(m)
    side = x1 - x0
    k = side * 0.22                     # knob radius
    neck = side * 0.13
    d.rectangle((x0, y0, x1, y1), fill=255)
    mx, my = (x0 + x1) / 2, (y0 + y1) / 2
    d.rectangle((mx - neck, y0 - k * 0.9, mx + neck, y0 + 1), fill=255)
    d.ellipse((mx - k, y0 - k * 1.75, mx + k, y0 + k * 0.25), fill=255)
    d.rectangle((x1 - 1, my - neck, x1 + k * 0.9, my + neck), fill=255)
    d.ellipse((x1 - k * 0.25, my - k, x1 + k * 1.75, my + k), fill=255)
    d.ellipse((x0 - k * 0.75, my - k * 0.8, x0 + k * 0.85, my + k * 0.8), fill=0)
    return m


def puzzle_layer(S, box, px):
    m = puzzle_mask(S, *box)
    body = fill_gradient(m, (150, 225, 90), (40, 150, 40),
                         (int(box[1] - (box[2] - box[0]) * 0.4), int(box[3])))
    inner = erode(m, px)
    rim = ImageChops.subtract(m, inner)
    bevel = ImageChops.subtract(inner, ImageChops.offset(inner, int(px), int(px)))
    layer = over(body, solid(faded(bevel, 110), (235, 255, 210)))
    return over(layer, solid(rim, (20, 90, 25))), m


# The 16x16 puzzle piece, drawn pixel by pixel: 'X' outline, 'o' body.
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


def puzzle_16_colour(ch, y):
    if ch == "X":
        return (20, 90, 25)
    if ch != "o":
        return None
    top, bottom = (160, 230, 100), (45, 155, 45)
    t = y / (len(PUZZLE_16) - 1)
    return tuple(int(top[k] + (bottom[k] - top[k]) * t) for k in range(3))


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


def wand_layer(S, x0, y0, x1, y1, px, star_r):
    """Magic wand from (x0,y0) handle end to (x1,y1) tip, with a star."""
    layer = Image.new("RGBA", (S, S), (0, 0, 0, 0))
    d = ImageDraw.Draw(layer)
    w = max(px * 1.6, S * 0.065)
    d.line((x0, y0, x1, y1), fill=(30, 30, 40, 255), width=int(w + px * 2))
    d.line((x0, y0, x1, y1), fill=(80, 60, 140, 255), width=int(w))
    # white band just below the star
    length = math.hypot(x0 - x1, y0 - y1)
    ux, uy = (x0 - x1) / length, (y0 - y1) / length
    band = star_r * 0.9 + length * 0.2
    d.line((x1, y1, x1 + ux * band, y1 + uy * band), fill=(250, 250, 250, 255), width=int(w))
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


# Layouts in final pixels. globe: left, top and an odd diameter, so that the centre lines
# fall on pixel centres; meridian: half width of the inner meridian; puzzle: body box, or
# the top left corner of the 16x16 piece; wand: handle end, tip and star radius, or
# wand_art: the top left corner of the 16x16 wand.
LAYOUTS = {
    (16, False): dict(globe=(0, 0, 13), meridian=3.5, puzzle=(7, 7)),
    (32, False): dict(globe=(1, 1, 25), meridian=5.5, puzzle=(16, 18, 26, 28)),
    (48, False): dict(globe=(2, 2, 37), meridian=8.5, puzzle=(23, 26, 39, 42)),
    (16, True): dict(globe=(0, 1, 11), meridian=2.5, puzzle=(7, 7), wand_art=(0, 0)),
    (32, True): dict(globe=(1, 5, 23), meridian=5.5, puzzle=(16, 19, 25, 28),
                     wand=(13, 18, 25, 6, 6.0)),
    (48, True): dict(globe=(2, 8, 33), meridian=7.5, puzzle=(24, 28, 37, 41),
                     wand=(20, 27, 37, 10, 8.5)),
}


def layout(size, wand):
    """The layout of a size: its own, or the 48 one scaled."""
    if (size, wand) in LAYOUTS:
        return LAYOUTS[(size, wand)]
    f = size / 48.0
    return {k: tuple(x * f for x in v) if isinstance(v, tuple) else v * f
            for k, v in LAYOUTS[(48, wand)].items()}


def draw_motif(size, wand=False, ss=SUPERSAMPLE):
    """The motif as an RGBA image of size x size."""
    S = size * ss
    px = ss                          # one final pixel on the big canvas
    lay = layout(size, wand)
    gx, gy, gd = lay["globe"]
    r = gd / 2.0
    globe = globe_layer(S, (gx + r) * px, (gy + r) * px, r * px, px, size >= 24,
                        lay["meridian"] * px)
    if len(lay["puzzle"]) == 2:
        pl, pm = pixel_art(size, ss, *lay["puzzle"], PUZZLE_16, puzzle_16_colour)
    else:
        pl, pm = puzzle_layer(S, tuple(v * px for v in lay["puzzle"]), px)

    img = over(Image.new("RGBA", (S, S), (0, 0, 0, 0)), cut(globe, dilate(pm, px)))
    img = over(img, pl)
    if "wand_art" in lay:
        # no gap here: at this size a gap would eat the globe
        img = over(img, pixel_art(size, ss, *lay["wand_art"], WAND_16,
                                  lambda ch, y: WAND_COLOURS.get(ch))[0])
    if "wand" in lay:
        x0, y0, x1, y1, sr = lay["wand"]
        wl, wm = wand_layer(S, x0 * px, y0 * px, x1 * px, y1 * px, px, sr * px)
        img = over(cut(img, dilate(wm, px)), wl)
    img = img.resize((size, size), Image.BOX)
    # nearly invisible fringe pixels left by the reduction go, nearly opaque ones fill
    img.putalpha(img.getchannel("A").point(lambda v: 0 if v < 12 else (255 if v > 243 else v)))
    return img


# --------------------------------------------------------------------------
# The pictures
# --------------------------------------------------------------------------

TICK_ART = [
    "",
    "",
    "",
    "............XX",
    "...........XoX",
    "..........XooX",
    "..XX.....XooX",
    "..XoX...XooX",
    "..XooX.XooX",
    "...XooXooX",
    "....XoooX",
    ".....XoX",
    "......X",
]


def make_ticked():
    colours = {"X": (0, 100, 0), "o": (40, 190, 40)}
    tick = pixel_art(16, 1, 0, 0, TICK_ART, lambda ch, y: colours.get(ch))[0]
    return over(Image.new("RGBA", (16, 16), MAGENTA + (255,)), tick).convert("RGB")


HAND_ART = [          # 'X' black, 'o' white, the rest clear
    ".....XX",
    "....XooX",
    "....XooX",
    "....XooX",
    "....XooX",
    "....XooXXX",
    "....XooXooXXX",
    "....XooXooXooXX",
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


def make_hand():
    """The cursor's colours (1 = white) with its clear pixels (white) as info["clear"]."""
    hand = Image.new("1", (32, 32), 0)
    clear = Image.new("1", (32, 32), 1)
    for y, line in enumerate(HAND_ART):
        for x, ch in enumerate(line):
            hand.putpixel((x, y), ch == "o")
            clear.putpixel((x, y), ch not in "Xo")
    hand.info["clear"] = clear
    return hand


def shadow_of(alpha, size, at, blur, percent, colour=(0, 0, 0)):
    a = Image.new("L", size, 0)
    a.paste(alpha, at)
    shadow = Image.new("RGBA", size, colour + (0,))
    shadow.putalpha(faded(a.filter(ImageFilter.GaussianBlur(blur)), percent))
    return shadow


def placed(img, size, at):
    layer = Image.new("RGBA", size, (0, 0, 0, 0))
    layer.paste(img, at)
    return layer


def make_logo(size=64):
    motif = draw_motif(56)
    img = Image.new("RGBA", (size, size), ABOUT_GREY + (255,))
    img = over(img, shadow_of(motif.getchannel("A"), img.size, (5, 6), 1.6, 70))
    return over(img, placed(motif, img.size, (4, 4))).convert("RGB")


def make_sidepanel(w=164, h=314):
    top, bottom = (12, 32, 96), (0, 128, 128)
    grad = Image.linear_gradient("L").resize((w, h))
    img = Image.composite(Image.new("RGBA", (w, h), bottom + (255,)),
                          Image.new("RGBA", (w, h), top + (255,)), grad)

    # faint oversized motif as a watermark in the lower right
    watermark = draw_motif(220, ss=2)
    ghost = Image.new("RGBA", watermark.size, (255, 255, 255, 0))
    ghost.putalpha(faded(watermark.getchannel("A"), 28))
    img = over(img, placed(ghost, (w, h), (w - 140, h - 150)))

    # soft glow behind the main motif
    glow = Image.new("L", (w, h), 0)
    cx, cy, gr = w // 2, 78, 58
    ImageDraw.Draw(glow).ellipse((cx - gr, cy - gr, cx + gr, cy + gr), fill=90)
    light = Image.new("RGBA", (w, h), (190, 235, 255, 0))
    light.putalpha(glow.filter(ImageFilter.GaussianBlur(16)))
    img = over(img, light)

    motif = draw_motif(96, ss=4)
    img = over(img, shadow_of(motif.getchannel("A"), (w, h), (cx - 45, cy - 44), 3, 90,
                              (0, 10, 30)))
    img = over(img, placed(motif, (w, h), (cx - 48, cy - 48)))

    # stacked title
    d = ImageDraw.Draw(img)
    x, y = 16, 150
    d.line((x, y, w - 16, y), fill=(255, 255, 255, 120), width=1)
    y += 12
    for text, font, size, col in (("Zandor", "DejaVuSans-Bold.ttf", 30, (255, 255, 255)),
                                  ("Extension", "DejaVuSans-Bold.ttf", 24, (220, 245, 255)),
                                  ("Pack", "DejaVuSans.ttf", 22, (170, 230, 235))):
        font = ImageFont.truetype(FONTS + font, size)
        d.text((x + 1, y + 2), text, font=font, fill=(0, 0, 0, 90))
        d.text((x, y), text, font=font, fill=col + (255,))
        y = d.textbbox((x, y), text, font=font)[3] + 8
    d.line((x, y + 4, x + 40, y + 4), fill=(255, 255, 255, 160), width=2)
    return img.convert("RGB")


def main(argv):
    out = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "icons")
    os.makedirs(out, exist_ok=True)
    save_icon_file(os.path.join(out, "nimo.ico"), [draw_motif(s) for s in ICON_SIZES])
    save_icon_file(os.path.join(out, "wizard.ico"), [draw_motif(s, wand=True) for s in ICON_SIZES])
    save_icon_file(os.path.join(out, "hand.cur"), [make_hand()], HAND_HOTSPOT)
    make_ticked().save(os.path.join(out, "ticked.bmp"), "BMP")
    make_sidepanel().save(os.path.join(out, "sidepanel.bmp"), "BMP")
    make_logo().save(os.path.join(out, "logo.bmp"), "BMP")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
