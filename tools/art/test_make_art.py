#!/usr/bin/env python3
"""Tests of the art generator's own checks and of the pieces the sizes and
formats depend on: that each check refuses the files a decoder of the
program could not read, and that the scaling follows the program's rule.
make-art.sh runs them before it draws."""

import io
import os
import struct
import sys
import tempfile
import unittest
import zlib

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import make_art as M  # noqa: E402
from PIL import Image, ImageDraw, ImageFilter, PngImagePlugin  # noqa: E402

DPIS = (96, 144, 192, 288)


def scale(dpi):
    base = 321 * dpi // 96
    return M.Scale(dpi, [n * base // 321 for n in range(401)])


def picture(w, h, seed=0):
    """A small textured picture, like the backgrounds."""
    img = Image.new("RGB", (w, h))
    img.putdata([((x * 7 + y * 3 + seed) % 256, (x * y + 40) % 256, (200 - x + y) % 256)
                 for y in range(h) for x in range(w)])
    return img.filter(ImageFilter.GaussianBlur(1))


def saved(img, **options):
    out = io.BytesIO()
    img.save(out, **options)
    return out.getvalue()


def with_chunk_changed(png, kind, change):
    """The PNG with the body of its first `kind` chunk changed (CRC fixed)."""
    pos = 8
    while pos < len(png):
        length, k = struct.unpack_from(">I4s", png, pos)
        if k == kind:
            body = change(bytearray(png[pos + 8:pos + 8 + length]))
            chunk = struct.pack(">I", len(body)) + k + bytes(body) + \
                struct.pack(">I", zlib.crc32(k + bytes(body)) & 0xFFFFFFFF)
            return png[:pos] + chunk + png[pos + 12 + length:]
        pos += 12 + length
    raise AssertionError("no %r chunk" % kind)


class ScaleRule(unittest.TestCase):
    def test_sizes_follow_the_program(self):
        # (dpi, design length, pixels): the program's rule n * (321 * dpi // 96) // 321
        for dpi, n, want in ((96, 233, 233), (144, 321, 481), (144, 233, 349), (144, 185, 277),
                             (144, 33, 49), (144, 25, 37), (192, 233, 466), (288, 41, 123),
                             (288, 258, 774)):
            self.assertEqual(scale(dpi)(n), want, (dpi, n))

    def test_lines_are_whole_pixels_like_the_programs(self):
        self.assertEqual([scale(d).line for d in DPIS], [1, 1, 2, 3])

    def test_a_table_that_differs_from_the_rule_is_refused(self):
        lengths = [n * 481 // 321 for n in range(401)]
        lengths[100] += 1
        with self.assertRaises(SystemExit):
            M.Scale(144, lengths)


class Blur(unittest.TestCase):
    def test_float_blur_matches_pillows_gaussian(self):
        mask = Image.new("L", (64, 48), 0)
        ImageDraw.Draw(mask).ellipse((10, 6, 50, 40), fill=255)
        for radius in (0.8, 1.7, 3.0, 6.5):
            ours = M.gaussian(M.mask_list(mask), 64, 48, radius)
            pillow = M.mask_list(mask.filter(ImageFilter.GaussianBlur(radius)))
            worst = max(abs(a - b) for a, b in zip(ours, pillow)) * 255
            self.assertLess(worst, 1.5, radius)

    def test_float_blur_keeps_the_total(self):
        field = [1.0 if 20 <= i % 40 < 24 and 10 <= i // 40 < 14 else 0.0 for i in range(40 * 30)]
        self.assertAlmostEqual(sum(M.gaussian(field, 40, 30, 2.5)), 16.0, places=6)


class PngCheck(unittest.TestCase):
    def setUp(self):
        self.img = picture(30, 20)
        self.good = M.png_bytes(self.img)

    def test_the_encoder_writes_what_the_check_accepts(self):
        self.assertEqual(M.check_png(self.good, 30, 20, self.img), [])

    def test_refuses(self):
        grey = Image.new("L", (30, 20), 128)
        cases = [
            ("size", self.good, 31, 20, self.img, "size"),
            ("palette", saved(self.img.convert("P"), format="PNG"), 30, 20, self.img, "colour type"),
            ("alpha", saved(self.img.convert("RGBA"), format="PNG"), 30, 20, self.img, "colour type"),
            ("16-bit", saved(grey.convert("I"), format="PNG"), 30, 20, grey, "bit depth"),
            ("interlaced", with_chunk_changed(self.good, b"IHDR", lambda b: b[:12] + b"\x01"),
             30, 20, self.img, "interlace"),
            ("text chunk", saved(self.img, format="PNG", pnginfo=self.text_info()), 30, 20, self.img,
             "chunks"),
            ("other pixels", self.good, 30, 20, picture(30, 20, seed=5), "decode"),
            ("damaged", self.good[:40] + bytes([self.good[40] ^ 1]) + self.good[41:], 30, 20, self.img,
             "CRC"),
            ("not a PNG", b"BM" + self.good[2:], 30, 20, self.img, "not a PNG"),
        ]
        for name, data, w, h, source, words in cases:
            with self.subTest(name):
                problems = M.check_png(data, w, h, source)
                self.assertTrue(any(words in p for p in problems), problems)

    @staticmethod
    def text_info():
        info = PngImagePlugin.PngInfo()
        info.add_text("Software", "x")
        return info


class JpegCheck(unittest.TestCase):
    def setUp(self):
        self.img = picture(40, 24)
        self.good = M.jpeg_bytes(self.img, 90)

    def test_the_encoder_writes_what_the_check_accepts(self):
        self.assertEqual(M.check_jpeg(self.good, 40, 24, self.img), [])

    def test_is_deterministic(self):
        self.assertEqual(M.jpeg_bytes(self.img, 90), self.good)

    def test_refuses(self):
        dri = self.good[:2] + b"\xff\xdd\x00\x04\x00\x08" + self.good[2:]
        cases = [
            ("size", self.good, 40, 25, self.img, "size"),
            ("progressive", saved(self.img, format="JPEG", quality=90, subsampling=0, progressive=True),
             40, 24, self.img, "SOF0"),
            ("4:2:0", saved(self.img, format="JPEG", quality=90, subsampling=2), 40, 24, self.img,
             "sampling"),
            ("grey", saved(self.img.convert("L"), format="JPEG", quality=90), 40, 24, self.img,
             "components"),
            ("restart interval", dri, 40, 24, self.img, "restart"),
            ("coarse", saved(self.img, format="JPEG", quality=5, subsampling=0), 40, 24, self.img, "dB"),
            ("truncated", self.good[:-2], 40, 24, self.img, "EOI"),
            ("not a JPEG", b"\x89P" + self.good[2:], 40, 24, self.img, "not a JPEG"),
        ]
        for name, data, w, h, source, words in cases:
            with self.subTest(name):
                problems = M.check_jpeg(data, w, h, source)
                self.assertTrue(any(words in p for p in problems), problems)


class Icon(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.images = [M.draw_icon(s) for s in M.ICON_SIZES]
        cls.dir = tempfile.TemporaryDirectory()
        cls.path = os.path.join(cls.dir.name, "x.ico")
        M.write_ico(cls.path, cls.images)

    @classmethod
    def tearDownClass(cls):
        cls.dir.cleanup()

    def test_every_size_reads_back(self):
        self.assertEqual(M.check_ico(self.path, self.images), [])

    def test_each_image_is_drawn_for_its_size(self):
        for img, size in zip(self.images, M.ICON_SIZES):
            self.assertEqual(img.size, (size, size))
            alpha = img.getchannel("A")
            # opaque in the middle, clear in the corners
            self.assertEqual(alpha.getpixel((size // 2, size // 2)), 255, size)
            self.assertEqual(alpha.getpixel((0, 0)), 0, size)

    def test_small_sizes_are_on_the_pixel_grid(self):
        # crisp: no half-covered pixels at 16 and 20
        for img in self.images[:2]:
            self.assertTrue(set(img.getchannel("A").getdata()) <= {0, 255}, img.size)

    def test_a_changed_image_is_noticed(self):
        other = [im.copy() for im in self.images]
        other[3].putpixel((16, 16), (1, 2, 3, 255))
        self.assertTrue(any("reads back differently" in p for p in M.check_ico(self.path, other)))

    def test_a_missing_size_is_noticed(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "y.ico")
            M.write_ico(path, self.images[1:])
            self.assertTrue(any("sizes" in p for p in M.check_ico(path, self.images)))


class ArtRc(unittest.TestCase):
    def test_lists_every_variant_and_notices_what_is_missing(self):
        with tempfile.TemporaryDirectory() as d:
            variants = [dict(family="face", resource="FACE_%d" % dpi, rel="art/Face@%d.jpg" % dpi)
                        for dpi in DPIS]
            os.makedirs(os.path.join(d, "art"))
            for v in variants:
                open(os.path.join(d, v["rel"]), "wb").close()
            rc = os.path.join(d, "Art.rc")
            M.write_art_rc(rc, variants, "0" * 64)
            self.assertEqual(M.check_art_rc(rc, variants, d), [])
            os.remove(os.path.join(d, "art/Face@192.jpg"))
            self.assertTrue(any("Face@192" in p for p in M.check_art_rc(rc, variants, d)))
            more = variants + [dict(family="face", resource="FACE_120", rel="art/Face@120.jpg")]
            self.assertTrue(any("FACE_120" in p for p in M.check_art_rc(rc, more, d)))


class Keys(unittest.TestCase):
    KEYS = [
        dict(name="SIN", left=16, top=64, width=33, height=25, frames=2, legend1="SIN", legend2="ASIN"),
        dict(name="Exchange", left=56, top=160, width=33, height=25, frames=2, legend1="x\u21c4y",
             legend2="LAST X"),
        dict(name="Enter", left=272, top=160, width=33, height=57, frames=2, legend1="ENTER",
             legend2="ABOUT"),
        dict(name="Zero", left=152, top=192, width=73, height=25, frames=2, legend1="0", legend2="HELP"),
        dict(name="Shift", left=152, top=64, width=33, height=25, frames=3, legend1="", legend2=""),
    ]

    def test_strips_have_the_programs_size_and_legends_stay_on_the_cap(self):
        for dpi in DPIS:
            sc = scale(dpi)
            face = Image.new("RGB", (sc(321), sc(233)), (120, 140, 170))
            for key in self.KEYS:
                with self.subTest(dpi=dpi, key=key["name"]):
                    strip, problems = M.make_key(key, face, sc)
                    self.assertEqual(strip.size, (key["frames"] * sc(key["width"]), sc(key["height"])))
                    self.assertEqual(problems, [])

    def test_keys_sit_on_the_face_at_their_place(self):
        # the shadow corner at the top right of the frame shows the face
        sc = scale(192)
        face = Image.new("RGB", (sc(321), sc(233)), (0, 0, 0))
        x, y = sc(16), sc(64)
        face.paste((10, 200, 30), (x, y, x + sc(33), y + sc(25)))
        strip, _ = M.make_key(self.KEYS[0], face, sc)
        self.assertEqual(strip.getpixel((sc(33) - 1, 0)), (10, 200, 30))


if __name__ == "__main__":
    unittest.main()
