#!/usr/bin/env python3
"""Generates the calculator's art: key strips, backgrounds, memory slot strip,
options picture, icon, click sound, the display's bundled typeface and a
preview sheet.

Everything is drawn procedurally from the face table that the program itself
uses (printed as JSON by tools/art/facetable), so the keys always have the
sizes, frame counts and legends the Win32 face expects. Output is
deterministic: fixed seeds, no timestamps, our own BMP/ICO/WAV writers.

Usage: make_art.py --facetable PATH_TO_FACETABLE_BINARY --out RES_DIR
"""

import argparse
import json
import math
import os
import random
import struct
import subprocess
import sys
import wave

from PIL import Image, ImageChops, ImageDraw, ImageFilter, ImageFont

try:
    from fontTools.ttLib import TTFont
except ImportError:  # coverage is then probed by rendering
    TTFont = None

# ---------------------------------------------------------------------------
# Fixed geometry of the Large layout that is not part of the key table: the
# pictures, the display and the two bevel frames the program draws.
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
# summed over octaves (fractal "clouds"). Seeds make every run identical.

def value_octave(w, h, cells_x, cells_y, rng):
    grid = Image.new("F", (cells_x + 3, cells_y + 3))
    grid.putdata([rng.random() for _ in range((cells_x + 3) * (cells_y + 3))])
    big = grid.resize((w, h), Image.BICUBIC, box=(1, 1, cells_x + 1, cells_y + 1))
    return list(big.getdata())


def fbm(w, h, seed, base_x=3, base_y=2, octaves=6, persistence=0.55):
    """Fractal noise normalised to 0..1, as a flat row-major list."""
    rng = random.Random(seed)
    acc = [0.0] * (w * h)
    amp, total = 1.0, 0.0
    for o in range(octaves):
        layer = value_octave(w, h, base_x << o, base_y << o, rng)
        acc = [a + amp * v for a, v in zip(acc, layer)]
        total += amp
        amp *= persistence
    lo, hi = min(acc), max(acc)
    span = (hi - lo) or 1.0
    return [(a - lo) / span for a in acc]


def grain(w, h, seed):
    """White noise in -1..1, for fine paper-like texture."""
    rng = random.Random(seed)
    return [rng.random() * 2 - 1 for _ in range(w * h)]


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


def rgb_from_lists(r, g, b, w, h):
    img = Image.new("RGB", (w, h))
    img.putdata([(int(clamp(x, 0, 255) + 0.5), int(clamp(y, 0, 255) + 0.5),
                  int(clamp(z, 0, 255) + 0.5)) for x, y, z in zip(r, g, b)])
    return img


# ---------------------------------------------------------------------------
# Fonts with per-glyph fallback

class FontChain:
    """A list of fonts; each character is drawn with the first that has it."""

    _cmaps = {}

    def __init__(self, names, size):
        self.size = size
        self.names = names
        self.fonts = []
        for name in names:
            path = find_font(name)
            if path:
                self.fonts.append((path, ImageFont.truetype(path, size,
                                                            layout_engine=ImageFont.Layout.BASIC)))
        if not self.fonts:
            raise SystemExit("make_art: none of the fonts %s is installed "
                             "(apt-get install fonts-dejavu-core fonts-dejavu-extra)" % names)

    @classmethod
    def has_glyph(cls, path, ch):
        if path not in cls._cmaps:
            cls._cmaps[path] = set(TTFont(path, lazy=True).getBestCmap()) if TTFont else None
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

    def runs(self, text):
        out = []
        for ch in text:
            f = self.font_for(ch)
            if out and out[-1][1] is f:
                out[-1][0] += ch
            else:
                out.append([ch, f])
        return out

    def length(self, text):
        return sum(f.getlength(t) + (1 if rise else 0) for t, f, rise in self.segments(text))

    def segments(self, text):
        """(text, font, rise) pieces; a modifier-letter superscript is drawn as
        a real small letter raised above the baseline, which reads far better
        at key size than the font's tiny modifier glyph."""
        out = []
        for ch in text:
            if ch in SUPERSCRIPTS:
                small = FontChain(self.names, max(6, round(self.size * 0.72)))
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
                x += 1
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


# ---------------------------------------------------------------------------
# Face background

def make_face():
    w, h = FACE_W, FACE_H
    clouds = fbm(w, h, seed=1101, base_x=4, base_y=3, octaves=6, persistence=0.52)
    fine = grain(w, h, seed=1102)
    dark = (86, 112, 148)
    light = (156, 180, 210)
    r, g, b = [], [], []
    for i, n in enumerate(clouds):
        x, y = i % w, i // w
        t = 0.5 + 1.05 * (n - 0.5)
        # a gentle light fall-off from the top-left, like the keys' light
        t += 0.07 * (1 - (x / w + y / h) / 2) - 0.035
        e = min(x, y, w - 1 - x, h - 1 - y)
        shade = 1.0 - 0.30 * (1 - smoothstep(0, 7, e))
        gr = fine[i] * 2.2
        r.append((lerp(dark[0], light[0], t) + gr) * shade)
        g.append((lerp(dark[1], light[1], t) + gr) * shade)
        b.append((lerp(dark[2], light[2], t) + gr) * shade)
    img = rgb_from_lists(r, g, b, w, h)

    d = ImageDraw.Draw(img)
    # the face is a plate: dark outer edge, a faint highlight just inside it
    d.rectangle((0, 0, w - 1, h - 1), outline=(38, 50, 70))
    overlay = Image.new("RGB", (w, h), (225, 235, 248))
    hl = Image.new("L", (w, h), 0)
    ImageDraw.Draw(hl).line([(1, h - 2), (1, 1), (w - 2, 1)], fill=70)
    ImageDraw.Draw(hl).line([(w - 2, 2), (w - 2, h - 2), (2, h - 2)], fill=0)
    img.paste(overlay, (0, 0), hl)
    sh = Image.new("L", (w, h), 0)
    ImageDraw.Draw(sh).line([(w - 2, 1), (w - 2, h - 2), (1, h - 2)], fill=80)
    img.paste(Image.new("RGB", (w, h), (30, 40, 60)), (0, 0), sh)

    # The two key blocks sit in slightly recessed, calmer panels; the program
    # draws its bevels exactly on their edges.
    for (px, py, pw, ph) in (FUNCTION_PANEL, DIGIT_PANEL):
        m = rounded_mask(w, h, (px + 1, py + 1, px + pw - 2, py + ph - 2), 2)
        m = m.point(lambda v: int(v * 0.22))
        img.paste(Image.new("RGB", (w, h), (52, 70, 98)), (0, 0), m)
    return img


def engrave_brand(img):
    """Small engraved maker's mark in the empty band of the function block."""
    chain = FontChain(SANS_BOLD, 9)
    _, _, pw, _ = FUNCTION_PANEL
    cx = FUNCTION_PANEL[0] + pw // 2
    for text, font, y, track in (("QUARVEL", chain, 137, 2),):
        m, _ = font.mask(text, tracking=track)
        x = cx - m.size[0] // 2
        paint_mask(img, m, (x, y + 1), (196, 212, 232), 0.55)
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


def key_body(bg, face, style, radius=4):
    """One key frame: the key cap on the piece of face it sits on. The cap
    leaves the last column and row for its shadow, so a pressed key (drawn one
    pixel right and down) sinks into its own shadow."""
    w, h = bg.size
    img = bg.copy()
    cw, ch = w - 1, h - 1
    outer = rounded_mask(w, h, (0, 0, cw - 1, ch - 1), radius)
    shadow = rounded_mask(w, h, (1, 1, cw, ch), radius)
    soft = rounded_mask(w, h, (1.5, 1.5, cw + 0.5, ch + 0.5), radius + 1)
    paint_mask(img, shadow, (0, 0), (10, 16, 28), 0.55)
    paint_mask(img, soft, (0, 0), (10, 16, 28), 0.15)

    # cap: rim, then the lit surface with a soft vertical gradient
    rim = darken(face, style["rim"])
    paint_mask(img, outer, (0, 0), rim)
    inner = rounded_mask(w, h, (1, 1, cw - 2, ch - 2), radius - 1)
    grad = vertical_gradient(w, h, [(0.0, lighten(face, 0.16)), (0.45, face),
                                    (1.0, darken(face, 0.12))])
    img.paste(grad, (0, 0), inner)
    # 1-px highlight along the top and left, 1-px shade along bottom and right
    shifted_in = rounded_mask(w, h, (2, 2, cw - 1, ch - 1), radius - 1)
    hl = subtract_mask(inner, shifted_in)
    paint_mask(img, hl, (0, 0), (255, 255, 255), style["hl"])
    shifted_out = rounded_mask(w, h, (0, 0, cw - 3, ch - 3), radius - 1)
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


def draw_legend(img, text, colour, style, family, vertical=False):
    """Centres the legend on the cap (cap area is the frame less its shadow
    column and row)."""
    w, h = img.size
    cw, ch = w - 1, h - 1
    pieces = []  # (mask, x, y), y relative to the top of the letter column
    if vertical:
        # letters stacked downwards, each centred on the column
        n = len(text)
        # prefer a comfortable margin at the cap's ends; long words may use
        # nearly the whole cap and the tightest letter spacing
        fits = None
        for margin in (12, 6):
            for size in range(11, 6, -1):
                fc = FontChain(SANS_BOLD, size)
                cap = fc.mask("H")[0].size[1]
                for gap in (max(2, size // 4), 1):
                    pitch = cap + gap
                    if n * pitch - gap <= ch - margin:
                        fits = (fc, cap, pitch)
                        break
                if fits:
                    break
            if fits:
                break
        if fits is None:
            raise SystemExit("make_art: legend %r does not fit a %dx%d key" % (text, w, h))
        fc, cap, pitch = fits
        y = 0
        for c in text:
            m, off = fc.mask(c)
            # align letters on the cap line so the column has an even rhythm
            pieces.append((m, -m.size[0] / 2, y + (off[1] + cap)))
            y += pitch
        block_h = y - (pitch - cap)
        x0 = cw / 2
        y0 = (ch - block_h) / 2
        placed = [(m, round(x0 + px), round(y0 + py)) for m, px, py in pieces]
    else:
        fc = legend_font(text, family, cw - 6, ch - 6)
        lines = [text]
        if fc is None or (fc.size < 9 and " " in text):
            lines = text.split(" ")
            fc = None
            for s in range(10, 6, -1):
                cand = FontChain(SANS_BOLD_CONDENSED, s)
                if all(cand.mask(t)[0].size[0] <= cw - 6 for t in lines):
                    fc = cand
                    break
            if fc is None:
                raise SystemExit("make_art: legend %r does not fit a %dx%d key" % (text, w, h))
        if len(lines) == 1:
            m, _ = fc.mask(text)
            placed = [(m, round((cw - m.size[0]) / 2), round((ch - m.size[1]) / 2))]
        else:
            cap = fc.mask("H")[0].size[1]
            gap = 2
            block = len(lines) * cap + (len(lines) - 1) * gap
            top = round((ch - block) / 2)
            placed = []
            for i, t in enumerate(lines):
                m, off = fc.mask(t)
                base = top + i * (cap + gap) + cap
                placed.append((m, round((cw - m.size[0]) / 2), base + off[1]))
    for m, x, y in placed:
        paint_mask(img, m, (x, y + 1), style["emboss"], style["emboss_a"])
    for m, x, y in placed:
        paint_mask(img, m, (x, y), colour)


def make_key(key, face_img):
    w, h, frames = key["width"], key["height"], key["frames"]
    family = key_family(key)
    style = KEY_STYLE[family]
    bg = face_img.crop((key["left"], key["top"], key["left"] + w, key["top"] + h))
    strip = Image.new("RGB", (w * frames, h))
    if family == "shift":
        # off, a green picture that is never selected, on (lit)
        strip.paste(key_body(bg, style["face"], style), (0, 0))
        green = dict(style, rim=0.5)
        strip.paste(key_body(bg, (70, 170, 80), green), (w, 0))
        strip.paste(key_body(bg, lighten(style["face"], 0.22), style), (2 * w, 0))
        return strip
    vertical = h > 2 * w - 10  # the tall keys write their words downwards
    legends = [key["legend1"], key["legend2"]][:frames]
    for i, text in enumerate(legends):
        frame = key_body(bg, style["face"], style)
        colour = style["ink"] if i == 0 else style["shifted"]
        if text:
            draw_legend(frame, text, colour, style, family,
                        vertical=vertical and len(text) > 1)
        strip.paste(frame, (i * w, 0))
    return strip


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


def make_emblem(size):
    """A blue bevelled tile with four raised keys carrying + - x /: the
    calculator's emblem, as an RGBA picture size x size."""
    ss = 4
    pad = size * 0.04
    tile = rounded_mask(size, size, (pad, pad, size - 1 - pad, size - 1 - pad), size * 0.22, ss)
    tile_h = mask_list(tile.filter(ImageFilter.GaussianBlur(size * 0.06)))
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
    key_h = mask_list(keys.filter(ImageFilter.GaussianBlur(size * 0.022)))
    sym = symbol_masks(size, ss, "+-x/", cells)
    sym_h = mask_list(sym.filter(ImageFilter.GaussianBlur(size * 0.012)))
    height = [t * 1.0 + kk * 0.55 + s * 0.30 for t, kk, s in zip(tile_h, key_h, sym_h)]
    depth = 18.0 / max(1.0, size / 24)
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


def add_flare(img, cx, cy, size, calm=None):
    """A lens flare: a bright core, a halo, thin rays and faint ghosts on the
    line through the picture's centre. `calm` is a function (x, y) -> 0..1
    that damps the ghosts where text goes."""
    w, h = img.size
    px = img.load()
    rays = 6
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
                ray += math.exp(-perp / 0.9) * math.exp(-r / (size * (1.6 if k % 2 else 0.9)))
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
        ghost_disc(img, gx, gy, rad, col, s * damp)


def ghost_disc(img, cx, cy, radius, colour, strength):
    if strength <= 0.001:
        return
    w, h = img.size
    px = img.load()
    for y in range(max(0, int(cy - radius - 2)), min(h, int(cy + radius + 3))):
        for x in range(max(0, int(cx - radius - 2)), min(w, int(cx + radius + 3))):
            r = math.hypot(x - cx, y - cy)
            a = strength * (1 - smoothstep(radius - 1.5, radius + 1.0, r)) * (0.6 + 0.4 * r / radius)
            if a <= 0:
                continue
            p = px[x, y]
            px[x, y] = tuple(int(clamp(p[j] + colour[j] * a, 0, 255)) for j in range(3))


def sky(w, h, seed, calm=None):
    """Deep blue sky with soft cumulus clouds; `calm` (x, y) -> 0..1 thins the
    clouds where text will be written."""
    n = fbm(w, h, seed, base_x=3, base_y=2, octaves=6, persistence=0.55)
    detail = fbm(w, h, seed + 1, base_x=8, base_y=6, octaves=4, persistence=0.5)
    smooth = blur_list(n, w, h, 2.0)
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
        up = smooth[i - 3 * w] if y >= 3 else smooth[i]
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


def paste_emblem(img, emblem, x, y, shadow=True):
    if shadow:
        a = emblem.getchannel("A").filter(ImageFilter.GaussianBlur(4))
        a = a.point(lambda v: int(v * 0.45))
        img.paste(Image.new("RGB", emblem.size, (6, 14, 40)), (x + 4, y + 6), a)
    img.paste(emblem, (x, y), emblem)


def make_about():
    w, h = FACE_W, FACE_H
    # One soft region around all the text lines: clouds thin out and the sky
    # deepens a little there, so white lettering with its black shadow stays
    # readable, without any visible edge.
    x0 = min(r[0] for r in ABOUT_LABELS)
    y0 = min(r[1] for r in ABOUT_LABELS)
    x1 = max(r[0] + r[2] for r in ABOUT_LABELS)
    y1 = max(r[1] + r[3] for r in ABOUT_LABELS)
    calm = rect_calm([(x0, y0, x1 - x0, y1 - y0)], 45)
    img = sky(w, h, seed=2201, calm=calm)
    band = Image.new("L", (w, h), 0)
    bp = band.load()
    for y in range(h):
        for x in range(w):
            bp[x, y] = int(55 * calm(x, y))
    img.paste(Image.new("RGB", (w, h), (8, 20, 52)), (0, 0), band)
    # the emblem stands left of the text lines, catching the light on its
    # top-left corner
    emblem = make_emblem(68)
    paste_emblem(img, emblem, 6, 58)
    add_flare(img, 22, 71, 12, calm=calm)
    add_glow(img, 40, 92, 46, (70, 110, 190), 0.22)
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


def make_gear(size, teeth, base):
    m = gear_mask(size, teeth, size * 0.48, size * 0.39, size * 0.16)
    ring = Image.new("L", (size, size), 0)
    c = size / 2
    ImageDraw.Draw(ring).ellipse((c - size * 0.30, c - size * 0.30, c + size * 0.30, c + size * 0.30),
                                 fill=255)
    ring = ImageChops.multiply(ring, m)
    hgt = [a * 0.8 + b * 0.2 for a, b in zip(mask_list(m.filter(ImageFilter.GaussianBlur(size * 0.025))),
                                             mask_list(ring.filter(ImageFilter.GaussianBlur(size * 0.02))))]
    return shade_layer(hgt, mask_list(m), size, size, base, depth=40.0 / (size / 24), gloss=0.7)


def make_options():
    w, h = OPTIONS_W, OPTIONS_H
    img = sky(w, h, seed=3301)
    big = make_gear(150, 12, (56, 96, 170))
    small = make_gear(92, 9, (74, 118, 190))
    # rotate the small gear half a tooth so the teeth interlock visually
    small = small.rotate(20, resample=Image.BICUBIC)
    paste_emblem(img, big, 20, 84)
    paste_emblem(img, small, 152, 40)
    emblem = make_emblem(84)
    paste_emblem(img, emblem, 172, 150)
    add_flare(img, 214, 166, 11)
    return img


# ---------------------------------------------------------------------------
# Memory slot strip: grey stone (unfocused) and cyan stone (focused)

def make_memslot():
    w, h = MEMSLOT_W, MEMSLOT_H
    # granite: broad mottling, finer grain, and scattered dark and light
    # crystals (some two pixels wide)
    blotch = fbm(w, h, seed=4401, base_x=6, base_y=1, octaves=3, persistence=0.5)
    n = fbm(w, h, seed=4403, base_x=16, base_y=3, octaves=4, persistence=0.65)
    fleck = grain(w, h, seed=4402)
    lum = []
    for i, v in enumerate(n):
        s = fleck[i]
        spot = 0
        if s > 0.975 or (i > 0 and fleck[i - 1] > 0.993):
            spot = -42
        elif s < -0.982:
            spot = 34
        lum.append(82 + 40 * blotch[i] + 36 * v + 8 * s + spot)
    box = (w - 28, 2, w - 4, h - 3)   # letter box at the right end

    def face(tint):
        r, g, b = [], [], []
        for i, l in enumerate(lum):
            x, y = i % w, i // w
            inside = box[0] + 1 <= x <= box[2] - 1 and box[1] + 1 <= y <= box[3] - 1
            v = l * (0.70 if inside else 1.0)
            r.append(v * tint[0])
            g.append(v * tint[1])
            b.append(v * tint[2])
        img = rgb_from_lists(r, g, b, w, h)
        d = ImageDraw.Draw(img)
        light = scale_rgb(tint, 235)
        dark = scale_rgb(tint, 40)
        # raised bar
        d.line([(0, h - 1), (0, 0), (w - 1, 0)], fill=light)
        d.line([(w - 1, 1), (w - 1, h - 1), (1, h - 1)], fill=dark)
        d.line([(1, h - 2), (w - 2, h - 2)], fill=scale_rgb(tint, 70))
        # sunken letter box
        x0, y0, x1, y1 = box
        d.line([(x0, y1), (x0, y0), (x1, y0)], fill=dark)
        d.line([(x1, y0 + 1), (x1, y1), (x0 + 1, y1)], fill=light)
        d.line([(x0 - 2, 2), (x0 - 2, h - 3)], fill=scale_rgb(tint, 55))
        d.line([(x0 - 1, 2), (x0 - 1, h - 3)], fill=scale_rgb(tint, 180))
        return img

    strip = Image.new("RGB", (2 * w, h))
    strip.paste(face((1.0, 1.0, 1.01)), (0, 0))
    strip.paste(face((0.30, 0.92, 1.05)), (w, 0))
    return strip


# ---------------------------------------------------------------------------
# Icon

def draw_icon(size):
    """The calculator emblem at one icon size, RGBA. 16 px is drawn on the
    pixel grid; larger sizes are drawn 8x and reduced."""
    if size <= 16:
        img = Image.new("RGBA", (16, 16), (0, 0, 0, 0))
        d = ImageDraw.Draw(img)
        d.rounded_rectangle((1, 0, 14, 15), radius=2, fill=(24, 44, 92, 255))
        d.rounded_rectangle((2, 1, 13, 14), radius=1, fill=(46, 92, 180, 255))
        d.line([(3, 1), (12, 1)], fill=(110, 156, 230, 255))
        d.rectangle((3, 3, 12, 5), fill=(196, 222, 244, 255))
        d.line([(3, 5), (12, 5)], fill=(150, 184, 214, 255))
        for row in range(3):
            for col in range(3):
                x, y = 3 + col * 4, 7 + row * 3 - (0 if row == 0 else 0)
                colour = (234, 238, 244, 255)
                if (row, col) == (2, 2):
                    colour = (236, 104, 64, 255)
                d.rectangle((x, y, x + 1, y + 1), fill=colour)
        return img
    ss = 8
    s = size * ss
    img = Image.new("RGBA", (s, s), (0, 0, 0, 0))
    d = ImageDraw.Draw(img)
    u = s / 32.0
    d.rounded_rectangle((3 * u, 1 * u, 29 * u, 31 * u), radius=4 * u, fill=(20, 38, 84, 255))
    body = vertical_gradient(s, s, [(0, (84, 136, 222)), (1, (34, 70, 150))]).convert("RGBA")
    m = Image.new("L", (s, s), 0)
    ImageDraw.Draw(m).rounded_rectangle((4 * u, 2 * u, 28 * u, 30 * u), radius=3.2 * u, fill=255)
    img.paste(body, (0, 0), m)
    d.rounded_rectangle((6 * u, 4.5 * u, 26 * u, 10.5 * u), radius=1.2 * u, fill=(14, 30, 64, 255))
    d.rounded_rectangle((7 * u, 5.5 * u, 25 * u, 9.5 * u), radius=0.8 * u, fill=(200, 226, 246, 255))
    for row in range(4):
        for col in range(4):
            x = 6 * u + col * 5.25 * u
            y = 13 * u + row * 4.4 * u
            colour = (238, 242, 248, 255) if col < 3 else (170, 190, 220, 255)
            if (row, col) == (3, 3):
                colour = (236, 100, 60, 255)
            d.rounded_rectangle((x + 0.3 * u, y + 0.5 * u, x + 4.3 * u, y + 3.7 * u), radius=0.9 * u,
                                fill=(12, 24, 56, 200))
            d.rounded_rectangle((x, y, x + 4 * u, y + 3.2 * u), radius=0.9 * u, fill=colour)
    return img.resize((size, size), Image.LANCZOS)


def write_ico(path, images):
    """ICO with 32-bit BGRA DIB images and 1-bit AND masks, which every
    Windows version since XP reads."""
    entries, blobs = [], []
    offset = 6 + 16 * len(images)
    for img in images:
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
        header = struct.pack("<IiiHHIIiiII", 40, w, 2 * h, 1, 32, 0, len(xor) + len(andm),
                             0, 0, 0, 0)
        blob = header + bytes(xor) + bytes(andm)
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
# Writers and checks

def write_bmp(path, img):
    """24-bit uncompressed (BI_RGB) bottom-up BMP with a 40-byte header."""
    img = img.convert("RGB")
    w, h = img.size
    row = (w * 3 + 3) & ~3
    px = img.tobytes()
    body = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray(px[y * w * 3:(y + 1) * w * 3])
        line[0::3], line[2::3] = line[2::3], line[0::3]  # RGB -> BGR
        body += line + bytes(row - w * 3)
    header = struct.pack("<2sIHHI", b"BM", 54 + len(body), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(body), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + bytes(body))


def check_bmp(path, w, h):
    with open(path, "rb") as f:
        data = f.read()
    problems = []
    if data[:2] != b"BM":
        problems.append("not a BMP")
    else:
        size, = struct.unpack_from("<I", data, 2)
        off, = struct.unpack_from("<I", data, 10)
        hsize, bw, bh, planes, bpp, comp = struct.unpack_from("<IiiHHI", data, 14)
        row = (w * 3 + 3) & ~3
        if hsize != 40:
            problems.append("header size %d" % hsize)
        if (bw, bh) != (w, h):
            problems.append("size %dx%d, want %dx%d" % (bw, bh, w, h))
        if planes != 1 or bpp != 24:
            problems.append("%d bits per pixel, want 24" % bpp)
        if comp != 0:
            problems.append("compression %d, want BI_RGB" % comp)
        if size != len(data) or off + row * abs(bh) != len(data):
            problems.append("file length %d does not match its header" % len(data))
    return problems


def check_ico(path, sizes):
    with open(path, "rb") as f:
        data = f.read()
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if (reserved, kind) != (0, 1):
        return ["not an icon file"]
    got = []
    for i in range(count):
        w, h, _, _, _, bpp, length, off = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        got.append((w or 256, h or 256))
        hsize, bw, bh = struct.unpack_from("<Iii", data, off)
        if hsize != 40 or bw != (w or 256) or bh != 2 * (h or 256) or off + length > len(data):
            return ["image %d has a bad header" % i]
    if sorted(got) != sorted((s, s) for s in sizes):
        return ["sizes %s, want %s" % (got, sizes)]
    return []


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


# ---------------------------------------------------------------------------
# Preview sheet

def bevel(img, x, y, w, h):
    """How the program's lowered bevel frames look, for the preview only."""
    d = ImageDraw.Draw(img)
    d.line([(x, y + h - 1), (x, y), (x + w - 1, y)], fill=(128, 128, 128))
    d.line([(x + w - 1, y), (x + w - 1, y + h - 1), (x, y + h - 1)], fill=(255, 255, 255))


def mock_display(img, lines):
    x, y, w, h = DISPLAY_RECT
    d = ImageDraw.Draw(img)
    d.rectangle((x, y, x + w - 1, y + h - 1), fill=WINDOW_COLOUR)
    d.line([(x, y + h - 1), (x, y), (x + w - 1, y)], fill=(64, 64, 64))
    d.line([(x + w - 1, y), (x + w - 1, y + h - 1), (x, y + h - 1)], fill=(227, 227, 227))
    path = find_font("OCRA.ttf")
    font = ImageFont.truetype(path, 16) if path else FontChain(SANS, 13).fonts[0][1]
    for i, t in enumerate(lines):
        d.text((x + 5, y + h - 20 - 18 * (len(lines) - 1 - i)), t, font=font, fill=(255, 255, 255))


def compose_face(face, keys, strips, shifted):
    img = face.copy()
    bevel(img, *DIGIT_PANEL)
    bevel(img, *FUNCTION_PANEL)
    mock_display(img, ["Y: 2.0000", "X: 3.1416"])
    for k in keys:
        frame = 1
        if shifted:
            frame = 3 if k["frames"] == 3 else (2 if k["frames"] == 2 else 1)
        w = k["width"]
        img.paste(strips[k["name"]].crop(((frame - 1) * w, 0, frame * w, k["height"])),
                  (k["left"], k["top"]))
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


def make_preview(face, keys, strips, about, memslot, options, icon_imgs):
    pad = 16
    cap = FontChain(SANS_BOLD, 12).fonts[0][1]
    note = FontChain(SANS, 11).fonts[0][1]
    W = pad * 4 + FACE_W * 3
    sheet = Image.new("RGB", (W, 1200), (236, 238, 242))
    d = ImageDraw.Draw(sheet)

    def title(x, y, text):
        d.text((x, y), text, font=cap, fill=(30, 36, 48))

    y = pad
    x = pad
    for label, img in (("Face, unshifted", compose_face(face, keys, strips, False)),
                       ("Face, shifted (Shift on frame 3)", compose_face(face, keys, strips, True)),
                       ("About, with its labels mocked", about_with_labels(about))):
        title(x, y, label)
        sheet.paste(img, (x, y + 18))
        x += FACE_W + pad
    y += 18 + FACE_H + pad

    x = pad
    title(x, y, "Face.bmp")
    sheet.paste(face, (x, y + 18))
    x += FACE_W + pad
    title(x, y, "About.bmp")
    sheet.paste(about, (x, y + 18))
    x += FACE_W + pad
    title(x, y, "Icon 48, 32, 16")
    ix = x
    for im in icon_imgs[::-1]:
        bg = Image.new("RGB", im.size, (236, 238, 242))
        bg.paste(im, (0, 0), im)
        sheet.paste(bg, (ix, y + 18))
        ix += im.size[0] + 10
    ix = x
    for im in icon_imgs[::-1]:
        big = im.resize((im.size[0] * 2, im.size[1] * 2), Image.NEAREST)
        bg = Image.new("RGB", big.size, (60, 70, 90))
        bg.paste(big, (0, 0), big)
        sheet.paste(bg, (ix, y + 18 + 60))
        ix += big.size[0] + 10
    d.text((x, y + 18 + 160), "(2x on a dark background)", font=note, fill=(80, 86, 96))
    y += 18 + FACE_H + pad

    x = pad
    title(x, y, "Options.bmp (282 x 258) and as stretched in the dialog (233 x 209)")
    sheet.paste(options, (x, y + 18))
    sheet.paste(options.resize((233, 209), Image.BILINEAR), (x + OPTIONS_W + pad, y + 18))
    x2 = x + OPTIONS_W + 233 + 2 * pad
    title(x2, y, "MemSlot.bmp (370 x 25) and four slots")
    sheet.paste(memslot, (x2, y + 18))
    sheet.paste(memslot_mock(memslot), (x2, y + 18 + 25 + 10))
    title(x2, y + 18 + 25 + 10 + 105 + 10, "Key strips")
    ky = y + 18 + 25 + 10 + 105 + 10 + 18
    kx = x2
    row_h = 0
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
        if name not in strips:
            continue
        pair = Image.new("RGB", (2 * k["width"] + 4, k["height"]), (236, 238, 242))
        pair.paste(strips[name].crop((0, 0, k["width"], k["height"])), (0, 0))
        pair.paste(draw_pressed(face, k, strips[name]), (k["width"] + 4, 0))
        sheet.paste(pair, (kx, ky))
        kx += pair.size[0] + 14
    ky += 57
    bottom = max(y + 18 + OPTIONS_H, ky) + pad
    return sheet.crop((0, 0, W, bottom))


# ---------------------------------------------------------------------------

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


def load_table(facetable):
    out = subprocess.run([facetable], check=True, stdout=subprocess.PIPE).stdout
    table = json.loads(out.decode("utf-8"))
    keys = table["keys"]
    if len(keys) != 30:
        raise SystemExit("make_art: face table has %d keys, want 30" % len(keys))
    return keys


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("--facetable", required=True, help="the built facetable program")
    ap.add_argument("--out", required=True, help="the res/ folder")
    args = ap.parse_args()

    keys = load_table(args.facetable)
    out = args.out
    os.makedirs(os.path.join(out, "keys"), exist_ok=True)

    face = make_face()
    engrave_brand(face)
    strips = {k["name"]: make_key(k, face) for k in keys}
    about = make_about()
    options = make_options()
    memslot = make_memslot()
    icons = [draw_icon(s) for s in (16, 32, 48)]

    expected = []  # (path, width, height)
    for k in keys:
        p = os.path.join(out, "keys", k["name"] + ".bmp")
        write_bmp(p, strips[k["name"]])
        expected.append((p, k["width"] * k["frames"], k["height"]))
    for name, img, w, h in (("Face.bmp", face, FACE_W, FACE_H),
                            ("About.bmp", about, FACE_W, FACE_H),
                            ("MemSlot.bmp", memslot, 2 * MEMSLOT_W, MEMSLOT_H),
                            ("Options.bmp", options, OPTIONS_W, OPTIONS_H)):
        p = os.path.join(out, name)
        write_bmp(p, img)
        expected.append((p, w, h))
    write_ico(os.path.join(out, "Nimbrel.ico"), icons)
    write_click(os.path.join(out, "Sound.wav"))
    write_display_font(os.path.join(out, "NimbrelOCRA.ttf"))
    make_preview(face, keys, strips, about, memslot, options, icons).save(
        os.path.join(out, "preview.png"), optimize=False)

    # Read everything back: a picture of the wrong size or depth would be
    # drawn wrongly (or not at all) by the program.
    failures = []
    for p, w, h in expected:
        failures += ["%s: %s" % (p, e) for e in check_bmp(p, w, h)]
    failures += ["Nimbrel.ico: " + e for e in check_ico(os.path.join(out, "Nimbrel.ico"), (16, 32, 48))]
    failures += ["Sound.wav: " + e for e in check_wav(os.path.join(out, "Sound.wav"), 22050, 40, 80)]
    failures += ["NimbrelOCRA.ttf: " + e for e in check_display_font(os.path.join(out, "NimbrelOCRA.ttf"))]
    if failures:
        for f in failures:
            print("make_art: " + f, file=sys.stderr)
        return 1
    print("make_art: %d pictures, icon, sound and preview written to %s" % (len(expected), out))
    return 0


if __name__ == "__main__":
    sys.exit(main())
