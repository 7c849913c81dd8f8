#!/usr/bin/env python3
"""Generates the calculator's art: key strips, backgrounds, memory slot strip,
options picture, icon, click sound, the display's bundled typeface and a
preview sheet.

Every picture is drawn natively at each of the program's art DPIs (96, 144,
192 and 288: 100, 150, 200 and 300 %), not resized from one size: noise
fields are sampled finer, fonts, radii, bevels and blurs grow with the scale,
and one-pixel lines become as many whole pixels as the program's own lines
(Scale::Line()). The pixel size of a design length n at a DPI is the
program's rule (src/core/Scale.h), read from the facetable program with the
key table, so every variant has exactly the size the program computes.

Outputs, all under the res/ folder:
  art/<Name>@<dpi>.jpg   Face, About, Options, MemSlot: baseline JPEG
  art/keys/<Key>@<dpi>.png  the 30 key strips: 8-bit RGB PNG (lossless, for
                         the legends), each drawn over the face background
                         at the key's place as the decoder will show it
  Art.rc                 an RCDATA resource <RESOURCE>_<dpi> for each of them
  Nimbrel.ico            16, 20, 24, 32, 40, 48 and 64 pixels as 32-bit BMP
                         entries with alpha, 256 pixels as a PNG entry
  Sound.wav, NimbrelOCRA.ttf, preview.png

Everything is drawn procedurally from the face table that the program itself
uses (printed as JSON by tools/art/facetable), so the keys always have the
sizes, frame counts and legends the Win32 face expects. Output is
deterministic: fixed seeds, no timestamps, Pillow's encoders with fixed
settings, our own ICO and WAV writers. Every file is read back and checked.

Usage: make_art.py --facetable PATH_TO_FACETABLE_BINARY --out RES_DIR
"""

import argparse
import hashlib
import io
import json
import math
import os
import random
import re
import struct
import subprocess
import sys
import wave
import zlib

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

try:
    from fontTools.ttLib import TTFont
except ImportError:  # coverage is then probed by rendering
    TTFont = None

# ---------------------------------------------------------------------------
# Fixed geometry of the Large layout that is not part of the key table: the
# pictures, the display and the two bevel frames the program draws. All in
# design pixels (96 DPI).
FACE_W, FACE_H = 321, 233
WINDOW_COLOUR = (123, 154, 191)         # the window's own colour (12556923)
DISPLAY_RECT = (144, 8, 169, 41)        # x, y, w, h
DIGIT_PANEL = (144, 56, 169, 169)       # Bevel1
FUNCTION_PANEL = (8, 8, 129, 217)       # Bevel2
ABOUT_LABELS = [                        # where the About texts are drawn
    (80, 56, 167, 21),
    (80, 88, 180, 21),                  # second line: assumed between the two
    (144, 120, 116, 21),
]
MEMSLOT_W, MEMSLOT_H = 185, 25
OPTIONS_W, OPTIONS_H = 282, 258
ICON_SIZES = (16, 20, 24, 32, 40, 48, 64, 256)

# How the pictures are stored. The backgrounds are photographic (clouds,
# stone, soft light) and are baseline JPEG; the keys carry text and sharp
# rims and are PNG. These settings are part of what the program's decoders
# are written for: baseline sequential Huffman JPEG, 8-bit, three components,
# the chroma subsampling below, no restart markers; PNG 8-bit RGB,
# non-interlaced.
# The larger variants are mostly shown reduced (or at DPIs where a pixel is
# small), so they can take a little more compression. Chroma is kept at full
# resolution (4:4:4): the sky's white clouds against deep blue, the emblems'
# edges and the two differently tinted halves of the memory strip would
# bleed with 4:2:0, for little gain in bytes.
JPEG_QUALITY = {96: 90, 144: 88, 192: 86, 288: 84}
JPEG_SUBSAMPLING = 0                    # Pillow's 0 is 4:4:4
JPEG_SAMPLING_FACTORS = [(1, 1), (1, 1), (1, 1)]   # Y, Cb, Cr in the frame header

FONT_DIRS = ["/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/truetype/ocr-a"]
SANS_BOLD_CONDENSED = ["DejaVuSansCondensed-Bold.ttf", "DejaVuSans-Bold.ttf",
                       "DejaVuSans.ttf", "DejaVuMathTeXGyre.ttf"]
SANS_BOLD = ["DejaVuSans-Bold.ttf", "DejaVuSansCondensed-Bold.ttf",
             "DejaVuSans.ttf", "DejaVuMathTeXGyre.ttf"]
SANS = ["DejaVuSans.ttf", "DejaVuMathTeXGyre.ttf"]

GOLD = (246, 190, 70)

# Modifier letters drawn as raised small letters.
SUPERSCRIPTS = {"\u02E3": "x"}


# ---------------------------------------------------------------------------
# The scale of one set of pictures

class Scale:
    """One art DPI. `sc(n)` is the program's pixel size of the design length
    n (from the facetable program, so exactly what the program computes);
    `k` is the same factor as a real number, for everything that is drawn
    (radii, blurs, font sizes); `line` is the width of a one-pixel design
    line, as the program draws its own lines (1, 1, 2, 3)."""

    def __init__(self, dpi, lengths):
        self.dpi = dpi
        base = FACE_W * dpi // 96
        self.k = base / FACE_W
        self.line = 1 if dpi < 192 else dpi // 96
        wrong = [n for n, v in enumerate(lengths) if v != n * base // FACE_W]
        if wrong:
            raise SystemExit("make_art: the program scales %d to %d at %d DPI, not %d"
                             % (wrong[0], lengths[wrong[0]], dpi, wrong[0] * base // FACE_W))
        self.lengths = lengths

    def __call__(self, n):
        return self.lengths[n]

    def px(self, v):
        """A position or length inside a picture, rounded to whole pixels."""
        return int(math.floor(v * self.k + 0.5))

    def font(self, size):
        return max(1, self.px(size))


# ---------------------------------------------------------------------------
# Small numeric helpers

def clamp(v, lo=0.0, hi=1.0):
    return lo if v < lo else hi if v > hi else v


def lerp(a, b, t):
    return a + (b - a) * t


def mix(c1, c2, t):
    return tuple(int(round(lerp(a, b, t))) for a, b in zip(c1, c2))


def smoothstep(e0, e1, x):
    t = clamp((x - e0) / (e1 - e0))
    return t * t * (3 - 2 * t)


def scale_rgb(c, f):
    return tuple(int(round(clamp(v * f, 0, 255))) for v in c)


def lighten(c, t):
    return mix(c, (255, 255, 255), t)


def darken(c, t):
    return mix(c, (0, 0, 0), t)


# ---------------------------------------------------------------------------
# Noise. Value noise on random grids, upscaled with bicubic resampling and
# summed over octaves (fractal "clouds"). Seeds make every run identical. The
# grids cover the picture's design area, so a larger picture samples the same
# field more finely: the texture keeps its size on the screen at every scale.

def value_grid(cells_x, cells_y, rng):
    grid = Image.new("F", (cells_x + 3, cells_y + 3))
    grid.putdata([rng.random() for _ in range((cells_x + 3) * (cells_y + 3))])
    return grid


def sample_grid(grid, w, h, cells_x, cells_y):
    return list(grid.resize((w, h), Image.BICUBIC, box=(1, 1, cells_x + 1, cells_y + 1)).getdata())


def fbm(w, h, seed, base_x=3, base_y=2, octaves=6, persistence=0.55, design=None):
    """Fractal noise normalised to 0..1, as a flat row-major list. `design` is
    the picture's design size; the range is measured there, so that every
    scale has the same contrast."""
    design = design or (w, h)
    rng = random.Random(seed)
    sizes = [(w, h)] if design == (w, h) else [design, (w, h)]
    accs = [[0.0] * (sw * sh) for sw, sh in sizes]
    amp = 1.0
    for o in range(octaves):
        cx, cy = base_x << o, base_y << o
        grid = value_grid(cx, cy, rng)
        for acc, (sw, sh) in zip(accs, sizes):
            layer = sample_grid(grid, sw, sh, cx, cy)
            acc[:] = [a + amp * v for a, v in zip(acc, layer)]
        amp *= persistence
    lo, hi = min(accs[0]), max(accs[0])
    span = (hi - lo) or 1.0
    return [(a - lo) / span for a in accs[-1]]


def design_grain(w, h, seed):
    """White noise in -1..1, one value per design pixel."""
    rng = random.Random(seed)
    return [rng.random() * 2 - 1 for _ in range(w * h)]


def upsample(values, design, size):
    """A design-pixel field sampled at another size (bicubic)."""
    if tuple(design) == tuple(size):
        return list(values)
    img = Image.new("F", design)
    img.putdata(values)
    return list(img.resize(size, Image.BICUBIC).getdata())


def box_blur_1d(values, w, h, r, horizontal):
    out = [0.0] * (w * h)
    n = 2 * r + 1
    if horizontal:
        for y in range(h):
            row = values[y * w:(y + 1) * w]
            acc = sum(row[min(max(k, 0), w - 1)] for k in range(-r, r + 1))
            for x in range(w):
                out[y * w + x] = acc / n
                acc += row[min(x + r + 1, w - 1)] - row[max(x - r, 0)]
    else:
        for x in range(w):
            col = values[x::w]
            acc = sum(col[min(max(k, 0), h - 1)] for k in range(-r, r + 1))
            for y in range(h):
                out[y * w + x] = acc / n
                acc += col[min(y + r + 1, h - 1)] - col[max(y - r, 0)]
    return out


def blur_list(values, w, h, radius):
    """Approximately Gaussian blur of a float field (three box passes), in
    floating point so that lighting computed from it has no 8-bit steps."""
    r = max(1, int(round(radius)))
    for _ in range(3):
        values = box_blur_1d(values, w, h, r, True)
        values = box_blur_1d(values, w, h, r, False)
    return values


def gaussian(values, w, h, radius, passes=3):
    """Gaussian blur of a float field, as Pillow's GaussianBlur does it
    (passes of an extended box blur with a fractional radius, edges
    extended) but without rounding to 8 bits: relief lit from a height field
    blurred in 8 bits shows its steps as terraces on large pictures."""
    sigma2 = radius * radius / passes
    box = math.sqrt(12.0 * sigma2 + 1.0)
    l = int(math.floor((box - 1.0) / 2.0))
    a = (2 * l + 1) * (l * (l + 1) - 3 * sigma2) / (6 * (sigma2 - (l + 1) * (l + 1)))
    norm = 1.0 / (2 * (l + a) + 1)

    def rows_pass(rows):
        out = []
        for row in rows:
            p = [row[0]] * (l + 1) + list(row) + [row[-1]] * (l + 1)
            acc = [0.0]
            for v in p:
                acc.append(acc[-1] + v)
            n = len(row)
            out.append([(acc[c + 2 * l + 2] - acc[c + 1] + a * (p[c] + p[c + 2 * l + 2])) * norm
                        for c in range(n)])
        return out

    rows = [values[y * w:(y + 1) * w] for y in range(h)]
    for _ in range(passes):
        rows = rows_pass(rows)
    cols = [list(c) for c in zip(*rows)]
    for _ in range(passes):
        cols = rows_pass(cols)
    return [v for row in zip(*cols) for v in row]


def blurred_mask(img, radius):
    """A coverage mask as 0..1 floats, Gaussian-blurred."""
    return gaussian(mask_list(img), img.size[0], img.size[1], radius)


def rgb_from_lists(r, g, b, w, h):
    img = Image.new("RGB", (w, h))
    img.putdata([(int(clamp(x, 0, 255) + 0.5), int(clamp(y, 0, 255) + 0.5),
                  int(clamp(z, 0, 255) + 0.5)) for x, y, z in zip(r, g, b)])
    return img


# ---------------------------------------------------------------------------
# Fonts with per-glyph fallback

_truetype = {}


def truetype(path, size):
    if (path, size) not in _truetype:
        _truetype[path, size] = ImageFont.truetype(path, size, layout_engine=ImageFont.Layout.BASIC)
    return _truetype[path, size]


class FontChain:
    """A list of fonts; each character is drawn with the first that has it.
    `unit` is the picture's scale, for the few spacings the chain adds."""

    _cmaps = {}

    def __init__(self, names, size, unit=1.0):
        self.size = size
        self.names = names
        self.unit = unit
        self.fonts = []
        for name in names:
            path = find_font(name)
            if path:
                self.fonts.append((path, truetype(path, size)))
        if not self.fonts:
            raise SystemExit("make_art: none of the fonts %s is installed "
                             "(apt-get install fonts-dejavu-core fonts-dejavu-extra)" % names)

    @classmethod
    def has_glyph(cls, path, ch):
        if path not in cls._cmaps:
            cmap = None
            if TTFont:
                font = TTFont(path, lazy=True)
                cmap = set(font.getBestCmap())
                font.close()
            cls._cmaps[path] = cmap
        cmap = cls._cmaps[path]
        if cmap is not None:
            return ord(ch) in cmap
        # Without fontTools: a glyph that renders exactly like an unassigned
        # code point is the font's "missing" box.
        font = ImageFont.truetype(path, 16)
        return font.getmask(ch).tobytes() != font.getmask("\U0010FFFD").tobytes()

    def font_for(self, ch):
        for path, font in self.fonts:
            if ch == " " or self.has_glyph(path, ch):
                return font
        raise SystemExit("make_art: no installed font has the glyph %r (U+%04X)" % (ch, ord(ch)))

    def rise_gap(self):
        return max(1, int(math.floor(self.unit + 0.5)))

    def length(self, text):
        return sum(f.getlength(t) + (self.rise_gap() if rise else 0)
                   for t, f, rise in self.segments(text))

    def segments(self, text):
        """(text, font, rise) pieces; a modifier-letter superscript is drawn as
        a real small letter raised above the baseline, which reads far better
        at key size than the font's tiny modifier glyph."""
        out = []
        for ch in text:
            if ch in SUPERSCRIPTS:
                small = FontChain(self.names, max(int(math.floor(6 * self.unit + 0.5)),
                                                  round(self.size * 0.72)), self.unit)
                out.append((SUPERSCRIPTS[ch], small.font_for(SUPERSCRIPTS[ch]),
                            round(self.size * 0.40)))
            else:
                out.append((ch, self.font_for(ch), 0))
        return out

    def mask(self, text, tracking=0):
        """Grayscale coverage of the text, cropped to its ink, plus the offset
        of the crop from the pen origin (left, baseline)."""
        pad = self.size
        w = int(self.length(text) + tracking * len(text)) + 2 * pad
        h = 3 * self.size
        img = Image.new("L", (w, h), 0)
        d = ImageDraw.Draw(img)
        x = pad
        base = 2 * self.size
        segs = self.segments(text)
        i = 0
        while i < len(segs):
            # runs of one font and rise are drawn together to keep kerning
            j = i
            while j + 1 < len(segs) and segs[j + 1][1] is segs[i][1] and segs[j + 1][2] == segs[i][2] \
                    and not tracking:
                j += 1
            run = "".join(t for t, _, _ in segs[i:j + 1])
            f, rise = segs[i][1], segs[i][2]
            d.text((x, base - rise), run, font=f, fill=255, anchor="ls")
            x += round(f.getlength(run)) + tracking
            if rise:
                x += self.rise_gap()
            i = j + 1
        box = img.getbbox()
        if box is None:
            return Image.new("L", (1, 1), 0), (0, 0)
        return img.crop(box), (box[0] - pad, box[1] - base)


def find_font(name):
    for d in FONT_DIRS:
        p = os.path.join(d, name)
        if os.path.exists(p):
            return p
    return None


def paint_mask(dst, mask, pos, colour, alpha=1.0):
    """Paints colour through a coverage mask onto dst at pos."""
    if alpha < 1.0:
        mask = mask.point(lambda v: int(v * alpha + 0.5))
    dst.paste(Image.new("RGB", mask.size, colour), pos, mask)


# ---------------------------------------------------------------------------
# Shapes

def rounded_mask(w, h, box, radius, ss=4):
    """Anti-aliased coverage of a rounded rectangle covering the pixel box
    (x0, y0, x1, y1), inclusive, on a w x h canvas."""
    x0, y0, x1, y1 = box
    big = Image.new("L", (w * ss, h * ss), 0)
    ImageDraw.Draw(big).rounded_rectangle(
        (round(x0 * ss), round(y0 * ss), round((x1 + 1) * ss) - 1, round((y1 + 1) * ss) - 1),
        radius=radius * ss, fill=255)
    return big.resize((w, h), Image.BOX)


def subtract_mask(a, b):
    return ImageChops.subtract(a, b)


def vertical_gradient(w, h, stops):
    """stops: list of (t, colour) with t from 0 (top) to 1 (bottom)."""
    img = Image.new("RGB", (w, h))
    d = ImageDraw.Draw(img)
    for y in range(h):
        t = y / max(1, h - 1)
        for (t0, c0), (t1, c1) in zip(stops, stops[1:]):
            if t0 <= t <= t1:
                c = mix(c0, c1, (t - t0) / ((t1 - t0) or 1))
                break
        d.line((0, y, w - 1, y), fill=c)
    return img


def band(draw, x0, y0, x1, y1, fill):
    """A filled pixel rectangle, inclusive; nothing when it is empty."""
    if x1 >= x0 and y1 >= y0:
        draw.rectangle((x0, y0, x1, y1), fill=fill)


# ---------------------------------------------------------------------------
# Face background

FACE_GRAIN = 2.2   # strength of the paper-like grain, in colour levels


def make_face(sc):
    w, h = sc(FACE_W), sc(FACE_H)
    design = (FACE_W, FACE_H)
    clouds = fbm(w, h, seed=1101, base_x=4, base_y=3, octaves=6, persistence=0.52, design=design)
    fine = upsample(design_grain(FACE_W, FACE_H, seed=1102), design, (w, h))
    dark = (86, 112, 148)
    light = (156, 180, 210)
    k = sc.k
    r, g, b = [], [], []
    for i, n in enumerate(clouds):
        x, y = i % w, i // w
        t = 0.5 + 1.05 * (n - 0.5)
        # a gentle light fall-off from the top-left, like the keys' light
        t += 0.07 * (1 - (x / w + y / h) / 2) - 0.035
        # the plate darkens towards its edge over 7 design pixels
        e = (min(x, y, w - 1 - x, h - 1 - y) + 0.5) / k - 0.5
        shade = 1.0 - 0.30 * (1 - smoothstep(0, 7, e))
        gr = fine[i] * FACE_GRAIN
        r.append((lerp(dark[0], light[0], t) + gr) * shade)
        g.append((lerp(dark[1], light[1], t) + gr) * shade)
        b.append((lerp(dark[2], light[2], t) + gr) * shade)
    img = rgb_from_lists(r, g, b, w, h)

    # the face is a plate: dark outer edge, a faint highlight just inside it
    # along the top and left, a faint shade along the bottom and right
    L = sc.line
    d = ImageDraw.Draw(img)
    d.rectangle((0, 0, w - 1, h - 1), outline=(38, 50, 70), width=L)
    hl = Image.new("L", (w, h), 0)
    dh = ImageDraw.Draw(hl)
    band(dh, L, L, 2 * L - 1, h - 1 - L, 70)
    band(dh, L, L, w - 1 - L, 2 * L - 1, 70)
    img.paste(Image.new("RGB", (w, h), (225, 235, 248)), (0, 0), hl)
    sh = Image.new("L", (w, h), 0)
    ds = ImageDraw.Draw(sh)
    band(ds, w - 2 * L, L, w - 1 - L, h - 1 - L, 80)
    band(ds, L, h - 2 * L, w - 1 - L, h - 1 - L, 80)
    img.paste(Image.new("RGB", (w, h), (30, 40, 60)), (0, 0), sh)

    # The two key blocks sit in slightly recessed, calmer panels; the program
    # draws its bevels exactly on their edges.
    for (px, py, pw, ph) in (FUNCTION_PANEL, DIGIT_PANEL):
        x0, y0 = sc(px), sc(py)
        x1, y1 = x0 + sc(pw) - 1, y0 + sc(ph) - 1
        m = rounded_mask(w, h, (x0 + L, y0 + L, x1 - L, y1 - L), 2 * k)
        m = m.point(lambda v: int(v * 0.22))
        img.paste(Image.new("RGB", (w, h), (52, 70, 98)), (0, 0), m)
    return img


def engrave_brand(img, sc):
    """Small engraved maker's mark in the empty band of the function block."""
    chain = FontChain(SANS_BOLD, sc.font(9), sc.k)
    cx = sc(FUNCTION_PANEL[0]) + sc(FUNCTION_PANEL[2]) // 2
    m, _ = chain.mask("QUARVEL", tracking=sc.px(2))
    x = cx - m.size[0] // 2
    y = sc(137)
    paint_mask(img, m, (x, y + sc.line), (196, 212, 232), 0.55)
    paint_mask(img, m, (x, y), (44, 58, 82), 0.75)


# ---------------------------------------------------------------------------
# Keys

def key_family(key):
    name, l1 = key["name"], key["legend1"]
    if key["frames"] == 3:
        return "shift"
    if name == "Enter":
        return "enter"
    if l1.isdigit() or l1 == ".":
        return "digit"
    if l1 in ("+", "\u2212", "\u00D7", "\u00F7"):
        return "operator"
    return "science"


KEY_STYLE = {
    # cap colour; legend ink (frame 1) and shifted ink (frame 2); the 1-px
    # emboss under the legend and its strength; top-left highlight strength;
    # how much darker the rim is than the cap
    "digit": dict(face=(228, 231, 236), ink=(30, 36, 50), shifted=(168, 96, 0),
                  emboss=(255, 255, 255), emboss_a=0.8, hl=0.85, rim=0.42),
    "operator": dict(face=(84, 100, 128), ink=(255, 255, 255), shifted=GOLD,
                     emboss=(10, 16, 30), emboss_a=0.45, hl=0.35, rim=0.55),
    "science": dict(face=(50, 58, 74), ink=(240, 244, 250), shifted=GOLD,
                    emboss=(0, 0, 0), emboss_a=0.55, hl=0.30, rim=0.60),
    "enter": dict(face=(200, 78, 48), ink=(255, 255, 255), shifted=(255, 226, 128),
                  emboss=(70, 16, 6), emboss_a=0.5, hl=0.40, rim=0.55),
    "shift": dict(face=(226, 158, 38), ink=(40, 30, 10), shifted=(40, 30, 10),
                  emboss=(255, 240, 200), emboss_a=0.6, hl=0.55, rim=0.5),
}

KEY_RADIUS = 4


def key_body(bg, face, style, sc):
    """One key frame: the key cap on the piece of face it sits on. The cap
    leaves the last column and row (a design pixel: as wide as the program's
    one-pixel line) for its shadow, so a pressed key, drawn that far right and
    down, sinks into its own shadow."""
    w, h = bg.size
    img = bg.copy()
    L = sc.line
    k = sc.k
    radius = KEY_RADIUS * k
    cw, ch = w - L, h - L
    outer = rounded_mask(w, h, (0, 0, cw - 1, ch - 1), radius)
    shadow = rounded_mask(w, h, (L, L, cw - 1 + L, ch - 1 + L), radius)
    soft = rounded_mask(w, h, (1.5 * k, 1.5 * k, cw - 1 + 1.5 * k, ch - 1 + 1.5 * k), radius + k)
    paint_mask(img, shadow, (0, 0), (10, 16, 28), 0.55)
    paint_mask(img, soft, (0, 0), (10, 16, 28), 0.15)

    # cap: rim, then the lit surface with a soft vertical gradient
    rim = darken(face, style["rim"])
    paint_mask(img, outer, (0, 0), rim)
    inner = rounded_mask(w, h, (L, L, cw - 1 - L, ch - 1 - L), radius - L)
    grad = vertical_gradient(w, h, [(0.0, lighten(face, 0.16)), (0.45, face),
                                    (1.0, darken(face, 0.12))])
    img.paste(grad, (0, 0), inner)
    # a line of highlight along the top and left, of shade along bottom and right
    shifted_in = rounded_mask(w, h, (2 * L, 2 * L, cw - 1, ch - 1), radius - L)
    hl = subtract_mask(inner, shifted_in)
    paint_mask(img, hl, (0, 0), (255, 255, 255), style["hl"])
    shifted_out = rounded_mask(w, h, (0, 0, cw - 1 - 2 * L, ch - 1 - 2 * L), radius - L)
    sh = subtract_mask(inner, shifted_out)
    paint_mask(img, sh, (0, 0), (0, 0, 0), 0.22)
    return img


def is_word(text):
    """A legend spelled in capitals (LOG, ASIN, LAST X, HELP...)."""
    return len(text) >= 2 and all("A" <= c <= "Z" or c == " " for c in text)


def legend_font(text, family, max_w, max_h):
    """Largest font that fits the legend. Words share one condensed face so
    that they look alike on every key; digits, operators and mathematical
    symbols get a larger face."""
    if is_word(text):
        sizes, names = range(11, 7, -1), SANS_BOLD_CONDENSED
    elif family == "digit":
        sizes, names = range(15, 8, -1), SANS_BOLD
    elif family == "operator" and len(text) == 1:
        sizes, names = range(18, 8, -1), SANS_BOLD
    elif len(text) == 1:
        sizes, names = range(15, 7, -1), SANS_BOLD
    else:
        sizes, names = range(14, 7, -1), SANS_BOLD
    for s in sizes:
        fc = FontChain(names, s)
        m, _ = fc.mask(text)
        if m.size[0] <= max_w and m.size[1] <= max_h:
            return fc
    return None


def legend_layout(text, family, w, h, vertical):
    """How a legend is set on its key, decided once on the design-size key
    (w x h) so that every scale shows the same font, size and line breaks:
    letters stacked downwards ("column") or one or more centred lines."""
    cw, ch = w - 1, h - 1
    if vertical:
        # prefer a comfortable margin at the cap's ends; long words may use
        # nearly the whole cap and the tightest letter spacing
        for margin in (12, 6):
            for size in range(11, 6, -1):
                cap = FontChain(SANS_BOLD, size).mask("H")[0].size[1]
                for gap in (max(2, size // 4), 1):
                    if len(text) * (cap + gap) - gap <= ch - margin:
                        return dict(kind="column", names=SANS_BOLD, size=size, gap=gap, lines=[text])
        raise SystemExit("make_art: legend %r does not fit a %dx%d key" % (text, w, h))
    fc = legend_font(text, family, cw - 6, ch - 6)
    if fc is not None and not (fc.size < 9 and " " in text):
        return dict(kind="lines", names=fc.names, size=fc.size, gap=2, lines=[text])
    lines = text.split(" ")
    for s in range(10, 6, -1):
        cand = FontChain(SANS_BOLD_CONDENSED, s)
        if all(cand.mask(t)[0].size[0] <= cw - 6 for t in lines):
            return dict(kind="lines", names=SANS_BOLD_CONDENSED, size=s, gap=2, lines=lines)
    raise SystemExit("make_art: legend %r does not fit a %dx%d key" % (text, w, h))


def draw_legend(img, layout, colour, style, sc):
    """Centres the legend on the cap (the frame less its shadow column and
    row), in the layout's font at this scale. Returns the box (x0, y0, x1, y1,
    exclusive) of the ink, emboss included."""
    w, h = img.size
    cw, ch = w - sc.line, h - sc.line
    fc = FontChain(layout["names"], sc.font(layout["size"]), sc.k)
    cap = fc.mask("H")[0].size[1]
    gap = max(1, sc.px(layout["gap"]))
    lines = layout["lines"]
    if layout["kind"] == "column":
        pitch = cap + gap
        pieces = []  # (mask, x, y), y relative to the top of the letter column
        y = 0
        for c in lines[0]:
            m, off = fc.mask(c)
            # align letters on the cap line so the column has an even rhythm
            pieces.append((m, -m.size[0] / 2, y + (off[1] + cap)))
            y += pitch
        block_h = y - (pitch - cap)
        x0 = cw / 2
        y0 = (ch - block_h) / 2
        placed = [(m, round(x0 + px), round(y0 + py)) for m, px, py in pieces]
    elif len(lines) == 1:
        m, _ = fc.mask(lines[0])
        placed = [(m, round((cw - m.size[0]) / 2), round((ch - m.size[1]) / 2))]
    else:
        block = len(lines) * cap + (len(lines) - 1) * gap
        top = round((ch - block) / 2)
        placed = []
        for i, t in enumerate(lines):
            m, off = fc.mask(t)
            base = top + i * (cap + gap) + cap
            placed.append((m, round((cw - m.size[0]) / 2), base + off[1]))
    for m, x, y in placed:
        paint_mask(img, m, (x, y + sc.line), style["emboss"], style["emboss_a"])
    for m, x, y in placed:
        paint_mask(img, m, (x, y), colour)
    return (min(x for _, x, _ in placed), min(y for _, _, y in placed),
            max(x + m.size[0] for m, x, _ in placed),
            max(y + m.size[1] for m, _, y in placed) + sc.line)


def key_rect(key, sc):
    """The key's place and size on the face at this scale."""
    return sc(key["left"]), sc(key["top"]), sc(key["width"]), sc(key["height"])


def make_key(key, face_img, sc):
    """The key's strip of frames, each drawn on the face background at the
    key's place. Returns the strip and a list of problems (legends whose ink
    leaves the cap)."""
    x, y, w, h = key_rect(key, sc)
    frames = key["frames"]
    family = key_family(key)
    style = KEY_STYLE[family]
    bg = face_img.crop((x, y, x + w, y + h))
    strip = Image.new("RGB", (w * frames, h))
    problems = []
    if family == "shift":
        # off, a green picture that is never selected, on (lit)
        strip.paste(key_body(bg, style["face"], style, sc), (0, 0))
        green = dict(style, rim=0.5)
        strip.paste(key_body(bg, (70, 170, 80), green, sc), (w, 0))
        strip.paste(key_body(bg, lighten(style["face"], 0.22), style, sc), (2 * w, 0))
        return strip, problems
    vertical = key["height"] > 2 * key["width"] - 10  # the tall keys write their words downwards
    legends = [key["legend1"], key["legend2"]][:frames]
    for i, text in enumerate(legends):
        frame = key_body(bg, style["face"], style, sc)
        colour = style["ink"] if i == 0 else style["shifted"]
        if text:
            layout = legend_layout(text, family, key["width"], key["height"],
                                   vertical and len(text) > 1)
            x0, y0, x1, y1 = draw_legend(frame, layout, colour, style, sc)
            # the ink stays inside the rim
            L = sc.line
            if x0 < L or y0 < L or x1 > w - 2 * L or y1 > h - 2 * L:
                problems.append("legend %r at %d DPI leaves the cap (%d, %d, %d, %d in %dx%d)"
                                % (text, sc.dpi, x0, y0, x1, y1, w, h))
        strip.paste(frame, (i * w, 0))
    return strip, problems


# ---------------------------------------------------------------------------
# Height-field shading, for the three-dimensional emblems

LIGHT = (-0.50, -0.62, 0.60)


def normalise(v):
    n = math.sqrt(sum(c * c for c in v)) or 1.0
    return tuple(c / n for c in v)


def shade_layer(height, cover, w, h, base, depth=3.0, gloss_power=36, gloss=0.9,
                ambient=0.38):
    """RGBA picture of a height field lit from the top-left."""
    L = normalise(LIGHT)
    H = normalise((L[0], L[1], L[2] + 1.0))
    out = []
    for y in range(h):
        for x in range(w):
            i = y * w + x
            a = cover[i]
            if a <= 0.0:
                out.append((0, 0, 0, 0))
                continue
            hx = height[i + 1 if x + 1 < w else i] - height[i - 1 if x > 0 else i]
            hy = height[i + w if y + 1 < h else i] - height[i - w if y > 0 else i]
            n = normalise((-hx * depth, -hy * depth, 1.0))
            dif = max(0.0, n[0] * L[0] + n[1] * L[1] + n[2] * L[2])
            sp = max(0.0, n[0] * H[0] + n[1] * H[1] + n[2] * H[2]) ** gloss_power
            # a sky reflection: faces turned upwards pick up a paler blue
            upward = clamp(-n[1] * 0.8)
            k = ambient + 0.85 * dif
            c = [base[j] * k + (200 - base[j]) * 0.25 * upward + 255 * gloss * sp for j in range(3)]
            out.append((int(clamp(c[0], 0, 255)), int(clamp(c[1], 0, 255)),
                        int(clamp(c[2], 0, 255)), int(a * 255 + 0.5)))
    img = Image.new("RGBA", (w, h))
    img.putdata(out)
    return img


def mask_list(img):
    return [v / 255.0 for v in img.getdata()]


def symbol_masks(size, ss, symbols, cells):
    """Engraved operator symbols, drawn as bars so they are crisp at any size."""
    big = Image.new("L", (size * ss, size * ss), 0)
    d = ImageDraw.Draw(big)
    for sym, (cx, cy, r) in zip(symbols, cells):
        cx, cy, r = cx * ss, cy * ss, r * ss
        t = max(ss, r * 0.32)
        if sym in "+-":
            d.rounded_rectangle((cx - r, cy - t / 2, cx + r, cy + t / 2), radius=t / 2, fill=255)
        if sym == "+":
            d.rounded_rectangle((cx - t / 2, cy - r, cx + t / 2, cy + r), radius=t / 2, fill=255)
        if sym == "x":
            for s in (1, -1):
                k = r * 0.78
                line = [(cx - k, cy - s * k), (cx + k, cy + s * k)]
                d.line(line, fill=255, width=int(t))
                for px, py in line:
                    d.ellipse((px - t / 2, py - t / 2, px + t / 2, py + t / 2), fill=255)
        if sym == "/":
            d.rounded_rectangle((cx - r, cy - t / 2, cx + r, cy + t / 2), radius=t / 2, fill=255)
            for dy in (-1, 1):
                oy = cy + dy * r * 0.72
                d.ellipse((cx - t * 0.62, oy - t * 0.62, cx + t * 0.62, oy + t * 0.62), fill=255)
    return big.resize((size, size), Image.BOX)


def make_emblem(design_size, sc):
    """A blue bevelled tile with four raised keys carrying + - x /: the
    calculator's emblem, as an RGBA picture of the design size at this scale.
    The relief's depth follows the scale, so the lighting looks the same."""
    size = sc.px(design_size)
    ss = 4
    pad = size * 0.04
    tile = rounded_mask(size, size, (pad, pad, size - 1 - pad, size - 1 - pad), size * 0.22, ss)
    tile_h = blurred_mask(tile, size * 0.06)
    cover = mask_list(tile)
    keys = Image.new("L", (size, size), 0)
    cells = []
    g = size * 0.17
    k = (size - 2 * g - size * 0.07) / 2
    for row in range(2):
        for col in range(2):
            x0 = g + col * (k + size * 0.07)
            y0 = g + row * (k + size * 0.07)
            m = rounded_mask(size, size, (x0, y0, x0 + k - 1, y0 + k - 1), k * 0.22, ss)
            keys.paste(255, (0, 0), m)
            cells.append((x0 + k / 2, y0 + k / 2, k * 0.30))
    key_h = blurred_mask(keys, size * 0.022)
    sym = symbol_masks(size, ss, "+-x/", cells)
    sym_h = blurred_mask(sym, size * 0.012)
    height = [t * 1.0 + kk * 0.55 + s * 0.30 for t, kk, s in zip(tile_h, key_h, sym_h)]
    depth = 18.0 / max(1.0, design_size / 24) * sc.k
    layer = shade_layer(height, cover, size, size, (40, 92, 196), depth=depth)
    # the symbols are pale inlays, so they read at a glance
    inlay = Image.new("RGBA", (size, size), (226, 238, 255, 255))
    layer.paste(inlay, (0, 0), sym.point(lambda v: int(v * 0.85)))
    return layer


def add_glow(img, cx, cy, radius, colour, strength):
    """Additive soft light."""
    w, h = img.size
    px = img.load()
    x0, x1 = max(0, int(cx - 4 * radius)), min(w, int(cx + 4 * radius) + 1)
    y0, y1 = max(0, int(cy - 4 * radius)), min(h, int(cy + 4 * radius) + 1)
    for y in range(y0, y1):
        for x in range(x0, x1):
            d2 = ((x - cx) ** 2 + (y - cy) ** 2) / (radius * radius)
            a = strength * math.exp(-d2)
            if a < 0.002:
                continue
            p = px[x, y]
            px[x, y] = tuple(int(clamp(p[j] + colour[j] * a, 0, 255)) for j in range(3))


def add_flare(img, cx, cy, size, unit, calm=None):
    """A lens flare: a bright core, a halo, thin rays and faint ghosts on the
    line through the picture's centre. `unit` is the picture's scale (the
    rays' width); `calm` is a function (x, y) -> 0..1 that damps the ghosts
    where text goes."""
    w, h = img.size
    px = img.load()
    rays = 6
    ray_w = 0.9 * unit
    for y in range(h):
        for x in range(w):
            dx, dy = x - cx, y - cy
            r = math.hypot(dx, dy)
            core = math.exp(-(r / (size * 0.22)) ** 2)
            halo = 0.45 / (1 + (r / (size * 0.55)) ** 2) * math.exp(-r / (size * 3.0))
            ang = math.atan2(dy, dx)
            ray = 0.0
            for k in range(rays):
                a = ang - (k * math.pi / rays + 0.3)
                perp = abs(math.sin(a)) * r
                ray += math.exp(-perp / ray_w) * math.exp(-r / (size * (1.6 if k % 2 else 0.9)))
            ring = 0.10 * math.exp(-((r - size * 1.25) / (size * 0.08)) ** 2)
            a = core + halo + 0.35 * ray + ring
            if a < 0.003:
                continue
            p = px[x, y]
            tint = (255, 246, 226)
            px[x, y] = tuple(int(clamp(p[j] + tint[j] * a, 0, 255)) for j in range(3))
    # ghosts along the axis through the centre
    ax, ay = w / 2 - cx, h / 2 - cy
    for t, rad, col, s in ((0.55, size * 0.35, (120, 200, 255), 0.10),
                           (1.35, size * 0.20, (255, 200, 120), 0.12),
                           (1.75, size * 0.55, (140, 255, 200), 0.06)):
        gx, gy = cx + ax * t, cy + ay * t
        damp = 1.0 if calm is None else 1.0 - calm(gx, gy)
        ghost_disc(img, gx, gy, rad, col, s * damp, unit)


def ghost_disc(img, cx, cy, radius, colour, strength, unit):
    if strength <= 0.001:
        return
    w, h = img.size
    px = img.load()
    m = 2 * unit
    for y in range(max(0, int(cy - radius - m)), min(h, int(cy + radius + m + 1))):
        for x in range(max(0, int(cx - radius - m)), min(w, int(cx + radius + m + 1))):
            r = math.hypot(x - cx, y - cy)
            a = strength * (1 - smoothstep(radius - 1.5 * unit, radius + 1.0 * unit, r)) \
                * (0.6 + 0.4 * r / radius)
            if a <= 0:
                continue
            p = px[x, y]
            px[x, y] = tuple(int(clamp(p[j] + colour[j] * a, 0, 255)) for j in range(3))


def sky(design, sc, seed, calm=None):
    """Deep blue sky with soft cumulus clouds over the design area `design`
    at this scale; `calm` (x, y) -> 0..1 thins the clouds where text will be
    written."""
    w, h = sc(design[0]), sc(design[1])
    n = fbm(w, h, seed, base_x=3, base_y=2, octaves=6, persistence=0.55, design=design)
    detail = fbm(w, h, seed + 1, base_x=8, base_y=6, octaves=4, persistence=0.5, design=design)
    smooth = blur_list(n, w, h, 2.0 * sc.k)
    step = sc.px(3)
    top, bottom = (14, 38, 92), (92, 138, 204)
    r, g, b = [], [], []
    for i, v in enumerate(n):
        x, y = i % w, i // w
        t = y / (h - 1)
        base = mix(top, bottom, t ** 0.9)
        # where text goes the clouds thin out by raising their threshold, so
        # the sky there is clear rather than hazy
        k = 0.0 if calm is None else calm(x, y)
        cover = smoothstep(0.42 + 0.34 * k, 0.78 + 0.18 * k,
                           v * 0.85 + detail[i] * 0.15 + 0.10 * t)
        # clouds are lit from above: brighter where they rise upwards
        up = smooth[i - step * w] if y >= step else smooth[i]
        lit = clamp(0.78 + (smooth[i] - up) * 7 + 0.15 * (1 - t))
        cl = mix((150, 168, 200), (244, 247, 252), lit)
        r.append(lerp(base[0], cl[0], cover * 0.85))
        g.append(lerp(base[1], cl[1], cover * 0.85))
        b.append(lerp(base[2], cl[2], cover * 0.85))
    return rgb_from_lists(r, g, b, w, h)


def rect_calm(rects, feather):
    def calm(x, y):
        best = 0.0
        for rx, ry, rw, rh in rects:
            dx = max(rx - x, 0, x - (rx + rw))
            dy = max(ry - y, 0, y - (ry + rh))
            best = max(best, 1.0 - smoothstep(0, feather, math.hypot(dx, dy)))
        return best
    return calm


def paste_emblem(img, emblem, x, y, sc, shadow=True):
    if shadow:
        # the soft drop shadow, blurred on a margin of its own so that it
        # fades out instead of ending at the emblem's square
        radius = 4 * sc.k
        m = int(math.ceil(3 * radius))
        a = Image.new("L", (emblem.size[0] + 2 * m, emblem.size[1] + 2 * m), 0)
        a.paste(emblem.getchannel("A"), (m, m))
        a = a.filter(ImageFilter.GaussianBlur(radius)).point(lambda v: int(v * 0.45))
        img.paste(Image.new("RGB", a.size, (6, 14, 40)), (x + sc.px(4) - m, y + sc.px(6) - m), a)
    img.paste(emblem, (x, y), emblem)


def make_about(sc):
    # One soft region around all the text lines: clouds thin out and the sky
    # deepens a little there, so white lettering with its black shadow stays
    # readable, without any visible edge.
    x0 = min(sc(r[0]) for r in ABOUT_LABELS)
    y0 = min(sc(r[1]) for r in ABOUT_LABELS)
    x1 = max(sc(r[0]) + sc(r[2]) for r in ABOUT_LABELS)
    y1 = max(sc(r[1]) + sc(r[3]) for r in ABOUT_LABELS)
    calm = rect_calm([(x0, y0, x1 - x0, y1 - y0)], 45 * sc.k)
    img = sky((FACE_W, FACE_H), sc, seed=2201, calm=calm)
    w, h = img.size
    deep = Image.new("L", (w, h), 0)
    bp = deep.load()
    for y in range(h):
        for x in range(w):
            bp[x, y] = int(55 * calm(x, y))
    img.paste(Image.new("RGB", (w, h), (8, 20, 52)), (0, 0), deep)
    # the emblem stands left of the text lines, catching the light on its
    # top-left corner
    emblem = make_emblem(68, sc)
    paste_emblem(img, emblem, sc.px(6), sc.px(58), sc)
    k = sc.k
    add_flare(img, 22 * k, 71 * k, 12 * k, k, calm=calm)
    add_glow(img, 40 * k, 92 * k, 46 * k, (70, 110, 190), 0.22)
    return img


def gear_mask(size, teeth, r_out, r_in, r_hole, ss=4):
    big = Image.new("L", (size * ss, size * ss), 0)
    d = ImageDraw.Draw(big)
    c = size * ss / 2
    pts = []
    steps = teeth * 16
    for i in range(steps):
        a = 2 * math.pi * i / steps
        ph = (i % 16) / 16.0
        # trapezoid teeth: rise, top, fall, root
        if ph < 0.15:
            r = lerp(r_in, r_out, ph / 0.15)
        elif ph < 0.45:
            r = r_out
        elif ph < 0.60:
            r = lerp(r_out, r_in, (ph - 0.45) / 0.15)
        else:
            r = r_in
        pts.append((c + math.cos(a) * r * ss, c + math.sin(a) * r * ss))
    d.polygon(pts, fill=255)
    d.ellipse((c - r_hole * ss, c - r_hole * ss, c + r_hole * ss, c + r_hole * ss), fill=0)
    return big.resize((size, size), Image.BOX)


def make_gear(design_size, teeth, base, sc):
    size = sc.px(design_size)
    m = gear_mask(size, teeth, size * 0.48, size * 0.39, size * 0.16)
    ring = Image.new("L", (size, size), 0)
    c = size / 2
    ImageDraw.Draw(ring).ellipse((c - size * 0.30, c - size * 0.30, c + size * 0.30, c + size * 0.30),
                                 fill=255)
    ring = ImageChops.multiply(ring, m)
    hgt = [a * 0.8 + b * 0.2 for a, b in zip(blurred_mask(m, size * 0.025),
                                             blurred_mask(ring, size * 0.02))]
    return shade_layer(hgt, mask_list(m), size, size, base, depth=40.0 / (design_size / 24) * sc.k,
                       gloss=0.7)


def make_options(sc):
    img = sky((OPTIONS_W, OPTIONS_H), sc, seed=3301)
    big = make_gear(150, 12, (56, 96, 170), sc)
    small = make_gear(92, 9, (74, 118, 190), sc)
    # rotate the small gear half a tooth so the teeth interlock visually
    small = small.rotate(20, resample=Image.BICUBIC)
    paste_emblem(img, big, sc.px(20), sc.px(84), sc)
    paste_emblem(img, small, sc.px(152), sc.px(40), sc)
    emblem = make_emblem(84, sc)
    paste_emblem(img, emblem, sc.px(172), sc.px(150), sc)
    add_flare(img, 214 * sc.k, 166 * sc.k, 11 * sc.k, sc.k)
    return img


# ---------------------------------------------------------------------------
# Memory slot strip: grey stone (unfocused) and cyan stone (focused)

def crystal_masks(fleck, design, size, unit):
    """Coverage of the granite's dark and light crystals: each is a design
    pixel (dark ones sometimes two), drawn as a square at this scale."""
    dw, dh = design
    w, h = size
    ss = 1 if unit == int(unit) else 4
    dark = Image.new("L", (w * ss, h * ss), 0)
    light = Image.new("L", (w * ss, h * ss), 0)
    dd, dl = ImageDraw.Draw(dark), ImageDraw.Draw(light)
    for i, s in enumerate(fleck):
        x, y = i % dw, i // dw
        if s > 0.975 or (i > 0 and fleck[i - 1] > 0.993):
            target = dd
        elif s < -0.982:
            target = dl
        else:
            continue
        x0, y0 = round(x * unit * ss), round(y * unit * ss)
        x1, y1 = round((x + 1) * unit * ss), round((y + 1) * unit * ss)
        target.rectangle((x0, y0, x1 - 1, y1 - 1), fill=255)
    if ss > 1:
        dark, light = dark.resize((w, h), Image.BOX), light.resize((w, h), Image.BOX)
    return mask_list(dark), mask_list(light)


def make_memslot(sc):
    w, h = sc(MEMSLOT_W), sc(MEMSLOT_H)
    design = (MEMSLOT_W, MEMSLOT_H)
    # granite: broad mottling, finer grain, and scattered dark and light
    # crystals (some two pixels wide)
    blotch = fbm(w, h, seed=4401, base_x=6, base_y=1, octaves=3, persistence=0.5, design=design)
    n = fbm(w, h, seed=4403, base_x=16, base_y=3, octaves=4, persistence=0.65, design=design)
    fleck = design_grain(MEMSLOT_W, MEMSLOT_H, seed=4402)
    fine = upsample(fleck, design, (w, h))
    dark_xl, light_xl = crystal_masks(fleck, design, (w, h), sc.k)
    lum = [82 + 40 * blotch[i] + 36 * v + 8 * fine[i] - 42 * dark_xl[i] + 34 * light_xl[i] * (1 - dark_xl[i])
           for i, v in enumerate(n)]
    L = sc.line
    # the letter box at the right end, and the groove left of it
    bx0, by0 = w - sc.px(28), sc.px(2)
    bx1, by1 = w - sc.px(4), h - sc.px(3)

    def face(tint):
        r, g, b = [], [], []
        for i, l in enumerate(lum):
            x, y = i % w, i // w
            inside = bx0 + L <= x <= bx1 - 1 and by0 + L <= y <= by1 - 1
            v = l * (0.70 if inside else 1.0)
            r.append(v * tint[0])
            g.append(v * tint[1])
            b.append(v * tint[2])
        img = rgb_from_lists(r, g, b, w, h)
        d = ImageDraw.Draw(img)
        light = scale_rgb(tint, 235)
        dark = scale_rgb(tint, 40)
        # raised bar: lit top and left, dark bottom and right, and a second
        # darker line above the bottom one
        band(d, 0, 0, w - 1, L - 1, light)
        band(d, 0, 0, L - 1, h - 1, light)
        band(d, w - L, L, w - 1, h - 1, dark)
        band(d, L, h - L, w - 1, h - 1, dark)
        band(d, L, h - 2 * L, w - 1 - L, h - L - 1, scale_rgb(tint, 70))
        # sunken letter box
        band(d, bx0, by0, bx1 + L - 1, by0 + L - 1, dark)
        band(d, bx0, by0, bx0 + L - 1, by1 + L - 1, dark)
        band(d, bx1, by0 + L, bx1 + L - 1, by1 + L - 1, light)
        band(d, bx0 + L, by1, bx1 + L - 1, by1 + L - 1, light)
        band(d, bx0 - 2 * L, by0, bx0 - L - 1, by1 + L - 1, scale_rgb(tint, 55))
        band(d, bx0 - L, by0, bx0 - 1, by1 + L - 1, scale_rgb(tint, 180))
        return img

    strip = Image.new("RGB", (2 * w, h))
    strip.paste(face((1.0, 1.0, 1.01)), (0, 0))
    strip.paste(face((0.30, 0.92, 1.05)), (w, 0))
    return strip


# ---------------------------------------------------------------------------
# Icon: a blue pocket calculator with a pale display and a keypad whose last
# key is orange. 16 and 20 pixels are drawn pixel by pixel; the larger sizes
# are drawn from one layout with every edge on the pixel grid, supersampled
# only for the rounded corners, so they stay crisp at each size.

ICON_OUTLINE = (20, 38, 84, 255)
ICON_KEY = (238, 242, 248, 255)
ICON_OPERATOR = (170, 190, 220, 255)
ICON_ENTER = (236, 100, 60, 255)


def draw_icon_small(size):
    """16 and 20 pixels: three rows of three keys, each key 2 x 2 pixels."""
    img = Image.new("RGBA", (size, size), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    if size == 16:
        body, inner, rim, display, keys_x, keys_y = \
            (1, 0, 14, 15), (2, 1, 13, 14), (3, 12), (3, 3, 12, 5), (3, 7, 11), (7, 10, 13)
    else:
        body, inner, rim, display, keys_x, keys_y = \
            (2, 0, 17, 19), (3, 1, 16, 18), (4, 15), (4, 3, 15, 6), (5, 9, 13), (9, 12, 15)
    d.rounded_rectangle(body, radius=2, fill=(24, 44, 92, 255))
    d.rounded_rectangle(inner, radius=1, fill=(46, 92, 180, 255))
    d.line([(rim[0], inner[1]), (rim[1], inner[1])], fill=(110, 156, 230, 255))
    x0, y0, x1, y1 = display
    d.rectangle(display, fill=(196, 222, 244, 255))
    d.line([(x0, y1), (x1, y1)], fill=(150, 184, 214, 255))
    if size == 20:
        # a row of dark digits on the display
        for i in range(4):
            d.point((x1 - 2 - 2 * i, y0 + 1), fill=(40, 60, 96, 255))
            d.point((x1 - 2 - 2 * i, y0 + 2), fill=(40, 60, 96, 255))
    for row, y in enumerate(keys_y):
        for col, x in enumerate(keys_x):
            colour = (236, 104, 64, 255) if (row, col) == (2, 2) else (234, 238, 244, 255)
            d.rectangle((x, y, x + 1, y + 1), fill=colour)
    return img


def draw_icon(size):
    """The calculator icon at one size, RGBA."""
    if size <= 20:
        return draw_icon_small(size)
    ss = 8 if size <= 64 else 4
    u = size / 32.0

    def snap(v):
        return int(math.floor(v * u + 0.5))

    s = size * ss
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)

    def rect(x0, y0, x1, y1, radius, fill, target=None):
        """A rounded rectangle over the whole pixels x0..x1-1, y0..y1-1."""
        (target or d).rounded_rectangle((x0 * ss, y0 * ss, x1 * ss - 1, y1 * ss - 1),
                                        radius=max(0.0, radius * u * ss), fill=fill)

    edge = max(1, snap(1))
    bx0, by0, bx1, by1 = snap(3), snap(1), size - snap(3), size - snap(1)
    rect(bx0, by0, bx1, by1, 4, ICON_OUTLINE)
    body = vertical_gradient(s, s, [(0, (84, 136, 222)), (1, (34, 70, 150))]).convert("RGBA")
    m = Image.new("L", (s, s), 0)
    rect(bx0 + edge, by0 + edge, bx1 - edge, by1 - edge, 3.2, 255, ImageDraw.Draw(m))
    img.paste(body, (0, 0), m)
    # a lit line along the top of the body
    hl = Image.new("L", (s, s), 0)
    rect(bx0 + edge, by0 + edge, bx1 - edge, by1 - edge, 3.2, 90, ImageDraw.Draw(hl))
    rect(bx0 + edge, by0 + 2 * edge, bx1 - edge, by1 - edge, 3.2, 0, ImageDraw.Draw(hl))
    img.paste(Image.new("RGBA", (s, s), (170, 200, 250, 255)), (0, 0), hl)

    # from the top: the display in a dark frame, then a keypad of four
    # columns and four rows (the last column lighter: the operators) filling
    # what is left of the body
    kw, gx = max(3, snap(4)), max(1, snap(1.25))
    grid_w = 4 * kw + 3 * gx
    gx0 = (size - grid_w) // 2
    frame = max(1, int(u))
    dy0 = by0 + edge + max(1, int(1.6 * u))
    dy1 = dy0 + max(2 * frame + 3, snap(6))
    rect(gx0, dy0, gx0 + grid_w, dy1, 1.2, (14, 30, 64, 255))
    rect(gx0 + frame, dy0 + frame, gx0 + grid_w - frame, dy1 - frame, 0.8, (200, 226, 246, 255))
    # the digits on the display, when there is room for them
    if size >= 32:
        margin = max(1, snap(0.8))
        digit_h = dy1 - dy0 - 2 * frame - 2 * margin
        digit_w = max(1, snap(1.6))
        dx = gx0 + grid_w - frame - margin - max(0, snap(0.6))
        for _ in range(4):
            rect(dx - digit_w, dy0 + frame + margin, dx, dy0 + frame + margin + digit_h, 0.2,
                 (52, 80, 120, 255))
            dx -= digit_w + max(1, snap(0.9))
    gy = max(1, snap(1.2))
    top = dy1 + max(1, int(2.2 * u))
    bottom = by1 - edge - max(1, int(1.2 * u))
    kh = min(kw, (bottom - top - 3 * gy) // 4)
    gy0 = top + (bottom - top - (4 * kh + 3 * gy)) // 2
    shadow = max(1, snap(0.5))
    key_radius = 0.9 if kh >= 6 else 0.0   # small keys stay square: crisp corners
    for row in range(4):
        for col in range(4):
            x = gx0 + col * (kw + gx)
            y = gy0 + row * (kh + gy)
            colour = ICON_KEY if col < 3 else ICON_OPERATOR
            if (row, col) == (3, 3):
                colour = ICON_ENTER
            if gy > shadow:
                rect(x, y + shadow, x + kw, y + kh + shadow, key_radius, (12, 24, 56, 200))
            rect(x, y, x + kw, y + kh, key_radius, colour)
    return img.resize((size, size), Image.BOX)


def bmp_icon_entry(img):
    """A 32-bit BGRA DIB with its 1-bit AND mask, as in an ICO file."""
    w, h = img.size
    px = img.load()
    xor = bytearray()
    for y in range(h - 1, -1, -1):
        for x in range(w):
            r, g, b, a = px[x, y]
            xor += bytes((b, g, r, a))
    row_bytes = ((w + 31) // 32) * 4
    andm = bytearray()
    for y in range(h - 1, -1, -1):
        row = bytearray(row_bytes)
        for x in range(w):
            if px[x, y][3] == 0:
                row[x // 8] |= 0x80 >> (x % 8)
        andm += row
    header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(andm), 0, 0, 0, 0)
    return header + bytes(xor) + bytes(andm)


def png_bytes(img):
    out = io.BytesIO()
    clean = Image.frombytes(img.mode, img.size, img.tobytes())   # no metadata carried along
    clean.save(out, format="PNG", optimize=True)
    return out.getvalue()


def write_ico(path, images):
    """ICO with 32-bit BGRA DIB images and 1-bit AND masks, which every
    Windows version since XP reads, and the 256-pixel image as PNG, as
    Windows Vista and later read it."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
        w, h = img.size
        blob = png_bytes(img) if w >= 256 else bmp_icon_entry(img)
        entries.append(struct.pack("<BBBBHHII", w % 256, h % 256, 0, 0, 1, 32, len(blob), offset))
        blobs.append(blob)
        offset += len(blob)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 1, len(images)))
        for e in entries:
            f.write(e)
        for b in blobs:
            f.write(b)


# ---------------------------------------------------------------------------
# Click sound

def write_click(path, rate=22050, ms=60):
    """A soft, short mechanical click: a damped high tick over a low body and
    a brief filtered-noise transient, faded out at the end."""
    n = rate * ms // 1000
    rng = random.Random(5501)
    lp = 0.0
    samples = []
    for i in range(n):
        t = i / rate
        noise = rng.random() * 2 - 1
        lp += 0.35 * (noise - lp)
        s = (0.50 * math.exp(-t / 0.0035) * math.sin(2 * math.pi * 2100 * t)
             + 0.42 * math.exp(-t / 0.011) * math.sin(2 * math.pi * 380 * t)
             + 0.45 * math.exp(-t / 0.0012) * lp)
        attack = min(1.0, t / 0.0004)
        release = min(1.0, (n - 1 - i) / (rate * 0.006))
        samples.append(s * attack * release)
    peak = max(abs(s) for s in samples) or 1.0
    gain = 0.42 / peak  # about -7.5 dBFS: soft
    data = b"".join(struct.pack("<h", int(round(s * gain * 32767))) for s in samples)
    with wave.open(path, "wb") as wf:
        wf.setnchannels(1)
        wf.setsampwidth(2)
        wf.setframerate(rate)
        wf.writeframes(data)


# ---------------------------------------------------------------------------
# Encoders. Pillow's, with fixed settings; pictures are rebuilt from their
# pixels first so that no metadata (ICC profile, EXIF, DPI) rides along.

def jpeg_bytes(img, quality):
    """Baseline sequential JPEG, Huffman tables optimised for the picture
    (still baseline: the tables are ordinary DHT segments), no restart
    markers, no progressive scans."""
    clean = Image.frombytes("RGB", img.size, img.convert("RGB").tobytes())
    out = io.BytesIO()
    clean.save(out, format="JPEG", quality=quality, subsampling=JPEG_SUBSAMPLING,
               optimize=True, progressive=False)
    return out.getvalue()


def decoded(data):
    with Image.open(io.BytesIO(data)) as img:
        return Image.frombytes("RGB", img.size, img.convert("RGB").tobytes())


# ---------------------------------------------------------------------------
# Checks: every file is read back as the program's decoders will read it

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


def png_chunks(data):
    """(type, body) of each chunk; raises ValueError on a damaged file."""
    if data[:8] != PNG_SIGNATURE:
        raise ValueError("not a PNG")
    pos, out = 8, []
    while pos < len(data):
        if pos + 12 > len(data):
            raise ValueError("truncated chunk")
        length, kind = struct.unpack_from(">I4s", data, pos)
        body = data[pos + 8:pos + 8 + length]
        crc, = struct.unpack_from(">I", data, pos + 8 + length)
        if zlib.crc32(kind + body) & 0xFFFFFFFF != crc:
            raise ValueError("bad CRC in %r" % kind)
        out.append((kind, body))
        pos += 12 + length
        if kind == b"IEND":
            break
    if pos != len(data):
        raise ValueError("bytes after IEND")
    return out


def check_png(data, w, h, source, alpha=False):
    """8-bit RGB (or RGBA), non-interlaced, only IHDR, IDAT and IEND, of the
    given size, and decoding to exactly the source pixels."""
    try:
        chunks = png_chunks(data)
    except (ValueError, struct.error) as e:
        return [str(e)]
    problems = []
    kinds = [k for k, _ in chunks]
    if kinds[0] != b"IHDR" or len(chunks[0][1]) != 13:
        return ["no header"]
    pw, ph, depth, colour, comp, filt, interlace = struct.unpack(">IIBBBBB", chunks[0][1])
    channels = 4 if alpha else 3
    if (pw, ph) != (w, h):
        problems.append("size %dx%d, want %dx%d" % (pw, ph, w, h))
    if (depth, colour) != (8, 6 if alpha else 2):
        problems.append("bit depth %d, colour type %d" % (depth, colour))
    if (comp, filt, interlace) != (0, 0, 0):
        problems.append("compression %d, filter method %d, interlace %d" % (comp, filt, interlace))
    if kinds[-1] != b"IEND" or set(kinds) != {b"IHDR", b"IDAT", b"IEND"}:
        problems.append("chunks %s, want IHDR IDAT... IEND" % b" ".join(kinds).decode("latin-1"))
    if problems:
        return problems
    raw = zlib.decompress(b"".join(b for k, b in chunks if k == b"IDAT"))
    row = 1 + w * channels
    if len(raw) != h * row:
        return ["%d bytes of scanlines, want %d" % (len(raw), h * row)]
    if any(raw[y * row] > 4 for y in range(h)):
        problems.append("unknown scanline filter")
    with Image.open(io.BytesIO(data)) as img:
        same = img.convert(source.mode).tobytes() == source.tobytes()
    if not same:
        problems.append("does not decode to the picture drawn")
    return problems


def jpeg_segments(data):
    """(marker, body) up to and including the first SOS, and the position
    after its header; raises ValueError on a damaged file."""
    if data[:2] != b"\xff\xd8":
        raise ValueError("not a JPEG")
    pos, out = 2, []
    while True:
        if data[pos] != 0xFF:
            raise ValueError("no marker at byte %d" % pos)
        marker = data[pos + 1]
        length, = struct.unpack_from(">H", data, pos + 2)
        out.append((marker, data[pos + 4:pos + 2 + length]))
        pos += 2 + length
        if marker == 0xDA:
            return out, pos


def check_jpeg(data, w, h, source):
    """Baseline (SOF0) Huffman JPEG, 8-bit, three components with the chosen
    subsampling, one interleaved scan, no restart markers, of the given size,
    and close to the picture drawn."""
    try:
        segments, scan = jpeg_segments(data)
    except (ValueError, IndexError, struct.error) as e:
        return [str(e)]
    problems = []
    markers = [m for m, _ in segments]
    frames = [m for m in markers if 0xC0 <= m <= 0xCF and m not in (0xC4, 0xC8, 0xCC)]
    if frames != [0xC0]:
        problems.append("frame markers %s, want one SOF0 (baseline)" % ["%02X" % m for m in frames])
    if 0xDD in markers or re.search(b"\xff[\xd0-\xd7]", data[scan:]):
        problems.append("restart markers")
    if data[-2:] != b"\xff\xd9" or data.count(b"\xff\xda") != 1:
        problems.append("not one scan ending at EOI")
    for m, body in segments:
        if m == 0xC0:
            precision, fh, fw, n = struct.unpack_from(">BHHB", body, 0)
            factors = [(body[7 + 3 * i] >> 4, body[7 + 3 * i] & 15) for i in range(n)]
            if precision != 8 or n != 3:
                problems.append("%d-bit, %d components" % (precision, n))
            if (fw, fh) != (w, h):
                problems.append("size %dx%d, want %dx%d" % (fw, fh, w, h))
            if factors != JPEG_SAMPLING_FACTORS:
                problems.append("sampling factors %s, want %s" % (factors, JPEG_SAMPLING_FACTORS))
        if m == 0xDB and body[0] >> 4 != 0:
            problems.append("16-bit quantisation table")
        if m == 0xDA and body[0] != 3:
            problems.append("scan of %d components" % body[0])
    if problems:
        return problems
    img = decoded(data)
    mse = sum((a - b) ** 2 for a, b in zip(img.tobytes(), source.tobytes())) / (3 * w * h)
    psnr = 99.0 if mse == 0 else 10 * math.log10(255 * 255 / mse)
    if psnr < 32.0:
        problems.append("decodes %.1f dB from the picture drawn" % psnr)
    return problems


def check_ico(path, images):
    """The directory, each entry's header (a 32-bit DIB, or a PNG for 256
    pixels), and each image as Pillow's ICO reader reads it back."""
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        return ["not an icon file"]
    problems, got = [], []
    for i in range(count):
        w, h, colours, _, planes, bpp, length, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        w, h = w or 256, h or 256
        got.append(w)
        if off + length > len(data) or (planes, bpp, colours) != (1, 32, 0):
            problems.append("image %d: bad directory entry" % i)
            continue
        blob = data[off:off + length]
        if w >= 256:
            by_size = {im.size[0]: im for im in images}
            problems += ["image %d: %s" % (i, e) for e in check_png(blob, w, h, by_size[w], alpha=True)]
        else:
            hsize, bw, bh, bplanes, bbpp = struct.unpack_from("<IiiHH", blob, 0)
            mask_row = ((w + 31) // 32) * 4
            if (hsize, bw, bh, bplanes, bbpp) != (40, w, 2 * h, 1, 32) \
                    or length != 40 + 4 * w * h + mask_row * h:
                problems.append("image %d: bad DIB header" % i)
    if sorted(got) != sorted(im.size[0] for im in images):
        return problems + ["sizes %s, want %s" % (got, [im.size[0] for im in images])]
    with Image.open(path) as reader:
        if sorted(reader.ico.sizes()) != sorted(im.size for im in images):
            problems.append("Pillow reads the sizes %s" % sorted(reader.ico.sizes()))
        for im in images:
            back = reader.ico.getimage(im.size).convert("RGBA")
            if back.tobytes() != im.tobytes():
                problems.append("the %d-pixel image reads back differently" % im.size[0])
    return problems


def check_wav(path, rate, lo_ms, hi_ms):
    with wave.open(path, "rb") as wf:
        params = (wf.getnchannels(), wf.getsampwidth(), wf.getframerate())
        ms = wf.getnframes() * 1000.0 / wf.getframerate()
    problems = []
    if params != (1, 2, rate):
        problems.append("format %s, want mono 16-bit %d Hz" % (params, rate))
    if not lo_ms <= ms <= hi_ms:
        problems.append("%.1f ms long" % ms)
    return problems


def check_art_rc(path, variants, out):
    """Every variant is listed once, under its name, and every file listed
    exists."""
    problems, seen = [], {}
    with open(path, encoding="ascii") as f:
        for line in f:
            parts = line.split()
            if len(parts) == 3 and parts[1] == "RCDATA":
                seen[parts[0]] = parts[2].strip('"')
    want = {v["resource"]: v["rel"] for v in variants}
    if seen != want:
        missing = sorted(set(want) - set(seen))
        extra = sorted(set(seen) - set(want))
        problems.append("resources differ (missing %s, unexpected %s)" % (missing[:4], extra[:4]))
    for rel in seen.values():
        if not os.path.isfile(os.path.join(out, rel)):
            problems.append("lists %s, which is not there" % rel)
    return problems


# ---------------------------------------------------------------------------
# Preview sheet

def bevel(img, x, y, w, h):
    """How the program's lowered bevel frames look, for the preview only."""
    d = ImageDraw.Draw(img)
    d.line([(x, y + h - 1), (x, y), (x + w - 1, y)], fill=(128, 128, 128))
    d.line([(x + w - 1, y), (x + w - 1, y + h - 1), (x, y + h - 1)], fill=(255, 255, 255))


def mock_display(img, lines, sc):
    x, y, w, h = (sc(v) for v in DISPLAY_RECT)
    d = ImageDraw.Draw(img)
    d.rectangle((x, y, x + w - 1, y + h - 1), fill=WINDOW_COLOUR)
    d.line([(x, y + h - 1), (x, y), (x + w - 1, y)], fill=(64, 64, 64), width=sc.line)
    d.line([(x + w - 1, y), (x + w - 1, y + h - 1), (x, y + h - 1)], fill=(227, 227, 227), width=sc.line)
    path = find_font("OCRA.ttf")
    font = ImageFont.truetype(path, sc.font(16)) if path else FontChain(SANS, sc.font(13)).fonts[0][1]
    for i, t in enumerate(lines):
        d.text((x + sc(5), y + h - sc(20) - sc(18) * (len(lines) - 1 - i)), t, font=font, fill=(255, 255, 255))


def compose_face(face, keys, strips, shifted, sc):
    """The face as the program shows it at this scale (bevels and display
    mocked)."""
    img = face.copy()
    for panel in (DIGIT_PANEL, FUNCTION_PANEL):
        bevel(img, *(sc(v) for v in panel))
    mock_display(img, ["Y: 2.0000", "X: 3.1416"], sc)
    for k in keys:
        frame = 1
        if shifted:
            frame = 3 if k["frames"] == 3 else (2 if k["frames"] == 2 else 1)
        x, y, w, h = key_rect(k, sc)
        img.paste(strips[k["name"]].crop(((frame - 1) * w, 0, frame * w, h)), (x, y))
    return img


def about_with_labels(about):
    img = about.copy()
    d = ImageDraw.Draw(img)
    texts = ["Calculator 1.1", "RPN Scientific", "(c) 2024 Quarvel"]
    fonts = [FontChain(["DejaVuSerif-Bold.ttf"], 17), FontChain(["DejaVuSerif.ttf"], 17),
             FontChain(["DejaVuSerif.ttf"], 15)]
    for (x, y, _, _), t, fc in zip(ABOUT_LABELS, texts, fonts):
        f = fc.fonts[0][1]
        d.text((x + 2, y + 2), t, font=f, fill=(0, 0, 0))
        d.text((x, y), t, font=f, fill=(255, 255, 255))
    return img


def memslot_mock(strip, n=4):
    w, h = MEMSLOT_W, MEMSLOT_H
    img = Image.new("RGB", (w, 26 * n - 1), WINDOW_COLOUR)
    path = find_font("DejaVuSans.ttf")
    f = ImageFont.truetype(path, 15)
    values = ["1: 3.1416", "2: 0.0000", "3: 6,371.0000", "4: -1.2500"]
    letters = ["P", "", "C", ""]
    for i in range(n):
        focused = i == 0
        slot = strip.crop((w if focused else 0, 0, 2 * w if focused else w, h))
        d = ImageDraw.Draw(slot)
        for dx, col in ((2, (0, 0, 0)), (0, (255, 255, 255))):
            d.text((8 + dx, 2 + dx), values[i], font=f, fill=col)
            d.text((w - 23 + dx, 2 + dx), letters[i], font=f, fill=col)
        img.paste(slot, (0, 26 * i))
    return img


def draw_pressed(face, key, strip, frame=1):
    """A key as the program paints it pressed: a black line down its left
    and along its top, the frame moved one pixel right and down."""
    w, h = key["width"], key["height"]
    img = face.crop((key["left"], key["top"], key["left"] + w, key["top"] + h))
    src = strip.crop(((frame - 1) * w, 0, frame * w - 1, h - 1))
    img.paste(src, (1, 1))
    ImageDraw.Draw(img).line([(0, h), (0, 0), (w, 0)], fill=(0, 0, 0))
    return img


PREVIEW_CROP = (8, 8, 138, 128)   # design pixels: the top of the function block


def make_preview(art, keys, icons):
    """`art` maps a DPI to its decoded pictures: face, about, options,
    memslot and the key strips, as the program will show them."""
    one, two = art[96], art[192]
    s1, s2 = one["scale"], two["scale"]
    pad = 16
    cap = FontChain(SANS_BOLD, 12).fonts[0][1]
    note = FontChain(SANS, 11).fonts[0][1]
    W = pad * 4 + FACE_W * 3
    sheet = Image.new("RGB", (W, 1400), (236, 238, 242))
    d = ImageDraw.Draw(sheet)

    def title(x, y, text):
        d.text((x, y), text, font=cap, fill=(30, 36, 48))

    face1 = compose_face(one["face"], keys, one["strips"], False, s1)
    y = pad
    x = pad
    for label, img in (("Face at 100 %, unshifted", face1),
                       ("Face, shifted (Shift on frame 3)",
                        compose_face(one["face"], keys, one["strips"], True, s1)),
                       ("About, with its labels mocked", about_with_labels(one["about"]))):
        title(x, y, label)
        sheet.paste(img, (x, y + 18))
        x += FACE_W + pad
    y += 18 + FACE_H + pad

    # crispness: the 200 % art beside the 100 % art stretched to 200 %
    x0, y0, x1, y1 = PREVIEW_CROP
    face2 = compose_face(two["face"], keys, two["strips"], False, s2)
    native = face2.crop((s2(x0), s2(y0), s2(x1), s2(y1)))
    stretched = face1.crop(PREVIEW_CROP).resize(native.size, Image.BILINEAR)
    x = pad
    title(x, y, "200 %: the 192-DPI art")
    sheet.paste(native, (x, y + 18))
    x += native.size[0] + pad
    title(x, y, "the 96-DPI art stretched")
    sheet.paste(stretched, (x, y + 18))
    x += native.size[0] + pad
    title(x, y, "Icon 16, 20, 24, 32, 40, 48, 64 (and 2x on a dark background)")
    ix = x
    small = [im for im in icons if im.size[0] <= 64]
    for im in small:
        bg = Image.new("RGB", im.size, (236, 238, 242))
        bg.paste(im, (0, 0), im)
        sheet.paste(bg, (ix, y + 18))
        ix += im.size[0] + 8
    ix, iy = x, y + 18 + 72
    for im in small[:5]:
        big = im.resize((im.size[0] * 2, im.size[1] * 2), Image.NEAREST)
        bg = Image.new("RGB", big.size, (60, 70, 90))
        bg.paste(big, (0, 0), big)
        sheet.paste(bg, (ix, iy))
        ix += big.size[0] + 8
    y += 18 + native.size[1] + pad

    x = pad
    options = one["options"]
    title(x, y, "Options (282 x 258) and as stretched in the dialog (233 x 209)")
    sheet.paste(options, (x, y + 18))
    sheet.paste(options.resize((233, 209), Image.BILINEAR), (x + OPTIONS_W + pad, y + 18))
    iy = y + 18 + OPTIONS_H + pad
    title(x, iy, "Icon 256")
    big_icon = [im for im in icons if im.size[0] == 256][0]
    bg = Image.new("RGB", big_icon.size, (236, 238, 242))
    bg.paste(big_icon, (0, 0), big_icon)
    sheet.paste(bg, (x, iy + 18))
    left_bottom = iy + 18 + 256

    x2 = x + OPTIONS_W + 233 + 2 * pad
    memslot = one["memslot"]
    title(x2, y, "MemSlot (370 x 25) and four slots")
    sheet.paste(memslot, (x2, y + 18))
    sheet.paste(memslot_mock(memslot), (x2, y + 18 + 25 + 10))
    title(x2, y + 18 + 25 + 10 + 105 + 10, "Key strips")
    ky = y + 18 + 25 + 10 + 105 + 10 + 18
    kx = x2
    row_h = 0
    strips = one["strips"]
    for k in keys:
        s = strips[k["name"]]
        if kx + s.size[0] > W - pad:
            kx = x2
            ky += row_h + 6
            row_h = 0
        sheet.paste(s, (kx, ky))
        kx += s.size[0] + 8
        row_h = max(row_h, s.size[1])
    ky += row_h + pad
    title(x2, ky, "Released and pressed")
    ky += 18
    kx = x2
    by_name = {k["name"]: k for k in keys}
    for name in ("Five", "SIN", "Enter", "Zero"):
        k = by_name[name]
        pair = Image.new("RGB", (2 * k["width"] + 4, k["height"]), (236, 238, 242))
        pair.paste(strips[name].crop((0, 0, k["width"], k["height"])), (0, 0))
        pair.paste(draw_pressed(one["face"], k, strips[name]), (k["width"] + 4, 0))
        sheet.paste(pair, (kx, ky))
        kx += pair.size[0] + 14
    ky += 57
    d.text((x2, ky + 8), "Backgrounds as decoded from their JPEG files.", font=note, fill=(80, 86, 96))
    bottom = max(left_bottom, ky + 24) + pad
    return sheet.crop((0, 0, W, bottom))


# ---------------------------------------------------------------------------
# The display's typeface. Windows machines with "OCR A Extended" use that; the
# program carries a copy of John Sauter's public-domain OCR-A (Debian's
# fonts-ocr-a) for the others, under a family name of its own, so that no
# font installed on a machine can pass for it.

OCR_A_SOURCE = "/usr/share/fonts/truetype/ocr-a/OCRA.ttf"
DISPLAY_FAMILY = "Nimbrel OCR-A"


def write_display_font(path, source=OCR_A_SOURCE):
    font = TTFont(source, recalcTimestamp=False)
    names = font["name"]
    texts = {
        0: "OCR-A by John Sauter, public domain; renamed for Nimbrel's display",
        1: DISPLAY_FAMILY,
        2: "Regular",
        3: DISPLAY_FAMILY + " 1.0",
        4: DISPLAY_FAMILY,
        5: "Version 1.0",
        6: DISPLAY_FAMILY.replace(" ", ""),
    }
    names.names = [n for n in names.names if n.nameID not in texts]
    for name_id, text in texts.items():
        names.setName(text, name_id, 1, 0, 0)         # Macintosh, Roman
        names.setName(text, name_id, 3, 1, 0x409)     # Windows, Unicode, US English
    font["OS/2"].fsType = 0                           # installable: may be embedded
    font.save(path, reorderTables=True)


def check_display_font(path):
    font = TTFont(path)
    family = font["name"].getName(1, 3, 1, 0x409)
    errors = []
    if family is None or family.toUnicode() != DISPLAY_FAMILY:
        errors.append("family is %r, want %r" % (family and family.toUnicode(), DISPLAY_FAMILY))
    cmap = font.getBestCmap()
    missing = [c for c in "0123456789ABCDEFXY:-.+e " if ord(c) not in cmap]
    if missing:
        errors.append("no glyphs for %r" % "".join(missing))
    return errors


# ---------------------------------------------------------------------------
# The resource script

def write_art_rc(path, variants, digest):
    lines = [
        "// The calculator's pictures at each art DPI, as RCDATA resources named",
        "// <RESOURCE>_<dpi>: the backgrounds as baseline JPEG, the key strips as PNG.",
        "// Written by tools/art/make-art.sh; do not edit. Included by Nimbrel.rc.",
        "// Art digest (changes with any picture, so the resources are rebuilt):",
        "// " + digest,
        "",
    ]
    group = None
    for v in variants:
        if v["family"] != group:
            if group is not None:
                lines.append("")
            group = v["family"]
        lines.append('%s RCDATA "%s"' % (v["resource"], v["rel"]))
    with open(path, "w", encoding="ascii", newline="\n") as f:
        f.write("\n".join(lines) + "\n")


# ---------------------------------------------------------------------------

def load_table(facetable):
    out = subprocess.run([facetable], check=True, stdout=subprocess.PIPE).stdout
    table = json.loads(out.decode("utf-8"))
    keys = table["keys"]
    if len(keys) != 30:
        raise SystemExit("make_art: face table has %d keys, want 30" % len(keys))
    scales = [Scale(a["dpi"], a["lengths"]) for a in table["art"]]
    if not {96, 192} <= {s.dpi for s in scales}:
        raise SystemExit("make_art: the art DPIs %s lack 96 or 192" % [s.dpi for s in scales])
    return keys, scales


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--facetable", required=True, help="the built facetable program")
    ap.add_argument("--out", required=True, help="the res/ folder")
    args = ap.parse_args()

    keys, scales = load_table(args.facetable)
    out = args.out
    os.makedirs(os.path.join(out, "art", "keys"), exist_ok=True)

    variants = []   # what Art.rc lists, with what each file must be
    failures = []
    art = {}

    def add(family, resource, name, sc, data, kind, img, w, h):
        rel = "art/%s@%d.%s" % (name, sc.dpi, "jpg" if kind == "jpeg" else "png")
        with open(os.path.join(out, rel), "wb") as f:
            f.write(data)
        variants.append(dict(family=family, resource="%s_%d" % (resource, sc.dpi), rel=rel,
                             kind=kind, img=img, size=(w, h), bytes=len(data), dpi=sc.dpi))

    for sc in scales:
        q = JPEG_QUALITY[sc.dpi]
        face = make_face(sc)
        engrave_brand(face, sc)
        face_jpg = jpeg_bytes(face, q)
        shown = decoded(face_jpg)   # the keys sit on the face as it will be decoded
        add("face", "FACE", "Face", sc, face_jpg, "jpeg", face, sc(FACE_W), sc(FACE_H))
        about = make_about(sc)
        about_jpg = jpeg_bytes(about, q)
        add("about", "ABOUT", "About", sc, about_jpg, "jpeg", about, sc(FACE_W), sc(FACE_H))
        options = make_options(sc)
        options_jpg = jpeg_bytes(options, q)
        add("options", "OPTIONS", "Options", sc, options_jpg, "jpeg", options,
            sc(OPTIONS_W), sc(OPTIONS_H))
        memslot = make_memslot(sc)
        memslot_jpg = jpeg_bytes(memslot, q)
        add("memslot", "MEMSLOT", "MemSlot", sc, memslot_jpg, "jpeg", memslot,
            2 * sc(MEMSLOT_W), sc(MEMSLOT_H))
        strips = {}
        for k in keys:
            strip, problems = make_key(k, shown, sc)
            failures += ["key %s: %s" % (k["name"], p) for p in problems]
            strips[k["name"]] = strip
            add("keys", "KEY_" + k["name"].upper(), "keys/" + k["name"], sc, png_bytes(strip), "png",
                strip, k["frames"] * sc(k["width"]), sc(k["height"]))
        if sc.dpi in (96, 192):
            art[sc.dpi] = dict(scale=sc, face=shown, about=decoded(about_jpg),
                               options=decoded(options_jpg), memslot=decoded(memslot_jpg),
                               strips=strips)
        print("make_art: %d DPI drawn" % sc.dpi, file=sys.stderr)

    # resources in a stable order: by family, then by DPI
    order = ["face", "about", "memslot", "options", "keys"]
    variants.sort(key=lambda v: (order.index(v["family"]), v["resource"].rsplit("_", 1)[0]
                                 if v["family"] == "keys" else "", v["dpi"]))
    icons = [draw_icon(s) for s in ICON_SIZES]
    write_ico(os.path.join(out, "Nimbrel.ico"), icons)
    digest = hashlib.sha256()
    for rel in [v["rel"] for v in variants] + ["Nimbrel.ico"]:
        with open(os.path.join(out, rel), "rb") as f:
            digest.update(rel.encode("ascii") + b"\0" + f.read())
    write_art_rc(os.path.join(out, "Art.rc"), variants, digest.hexdigest())
    write_click(os.path.join(out, "Sound.wav"))
    write_display_font(os.path.join(out, "NimbrelOCRA.ttf"))
    make_preview(art, keys, icons).save(os.path.join(out, "preview.png"), optimize=True)

    # Files of earlier runs that no resource names any more
    written = {v["rel"] for v in variants}
    for folder, _, files in os.walk(os.path.join(out, "art")):
        for name in files:
            rel = os.path.relpath(os.path.join(folder, name), out).replace(os.sep, "/")
            if rel not in written and name.endswith((".png", ".jpg")):
                os.remove(os.path.join(out, rel))

    # Read everything back: a picture of the wrong size or format would be
    # drawn wrongly (or not at all) by the program.
    for v in variants:
        with open(os.path.join(out, v["rel"]), "rb") as f:
            data = f.read()
        check = check_jpeg if v["kind"] == "jpeg" else check_png
        failures += ["%s: %s" % (v["rel"], e) for e in check(data, v["size"][0], v["size"][1], v["img"])]
    failures += ["Art.rc: " + e for e in check_art_rc(os.path.join(out, "Art.rc"), variants, out)]
    failures += ["Nimbrel.ico: " + e for e in check_ico(os.path.join(out, "Nimbrel.ico"), icons)]
    failures += ["Sound.wav: " + e for e in check_wav(os.path.join(out, "Sound.wav"), 22050, 40, 80)]
    failures += ["NimbrelOCRA.ttf: " + e for e in check_display_font(os.path.join(out, "NimbrelOCRA.ttf"))]
    preview_bytes = os.path.getsize(os.path.join(out, "preview.png"))
    if preview_bytes > 600 * 1024:
        failures.append("preview.png: %d bytes, more than 600 KB" % preview_bytes)
    if failures:
        for f in failures:
            print("make_art: " + f, file=sys.stderr)
        return 1

    # What the art costs, by family and DPI
    dpis = [sc.dpi for sc in scales]
    print("make_art: bytes   " + "".join("%9d" % d for d in dpis) + "     total")
    for fam in order:
        row = [sum(v["bytes"] for v in variants if v["family"] == fam and v["dpi"] == d) for d in dpis]
        print("make_art: %-7s " % fam + "".join("%9d" % b for b in row) + "%10d" % sum(row))
    total = sum(v["bytes"] for v in variants)
    ico = os.path.getsize(os.path.join(out, "Nimbrel.ico"))
    print("make_art: %d pictures in %d bytes; icon %d bytes; preview %d bytes; written to %s"
          % (len(variants), total, ico, preview_bytes, out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
