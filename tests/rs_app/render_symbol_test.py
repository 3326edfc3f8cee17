#!/usr/bin/env python3
"""codexel-render-symbol as a process: codexel-gen's options through the same
parser, its own options beside them, and refusals that write nothing.

Usage: render_symbol_test.py PATH_TO_codexel-render-symbol
"""

import os
import struct
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None


def run(args, cwd):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([PROGRAM] + args, cwd=cwd, env=env, capture_output=True,
                            text=True, timeout=60)
    return result.returncode, result.stdout, result.stderr


def png_size(path):
    with open(path, "rb") as picture:
        header = picture.read(24)
    assert header[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
    return struct.unpack(">II", header[16:24])


class RenderSymbolTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def render(self, args):
        status, out, err = run(args + ["--lines", "out.png"], self.dir.name)
        self.assertEqual(status, 0, err)
        return out, png_size(os.path.join(self.dir.name, "out.png"))

    def test_generator_options_shape_the_symbol(self):
        encoder, encoder_size = self.render(["-m", "8", "-n", "204", "-r", "16"])
        self.assertIn("rsin[8..1]", encoder)
        self.assertNotIn("decfail", encoder)
        decoder, _ = self.render(["--decoder", "--erasures", "-m", "8", "-n", "204", "-r", "16",
                                  "--irrpol", "285"])
        self.assertIn("decfail", decoder)
        self.assertIn("eras_ind", decoder)
        preset, _ = self.render(["--dvb", "--decoder", "--erasures"])
        self.assertEqual(preset, decoder, "the preset is the same values")
        _, doubled = self.render(["-m", "8", "-n", "204", "-r", "16", "--scale", "2"])
        self.assertEqual(doubled, (2 * encoder_size[0], 2 * encoder_size[1]))

    def test_refusals_are_one_line_and_write_nothing(self):
        see = " (see codexel-render-symbol --help)"
        cases = [
            ([], "no output file given" + see),
            (["--m", "8", "out.png"], "unknown option '--m'" + see),
            (["--erasure", "out.png"], "unknown option '--erasure'" + see),
            (["--dvb", "-n", "300", "out.png"],
             "-n 300 is out of range: with m 8 and r 16 it must be 17 to 255"),
            (["--half", "out.png"], "--half is for a decoder: add --decoder"),
            (["--scale", "17", "out.png"], "--scale '17' must be an integer from 1 to 16"),
            (["--scale", "2x", "out.png"], "--scale '2x' must be an integer from 1 to 16"),
            (["--edit", "out.png"], "--edit is not for a picture: give the values"),
            (["a.png", "b.png"], "more than one output file given: 'a.png' and 'b.png'" + see),
        ]
        for args, line in cases:
            with self.subTest(args=args):
                status, out, err = run(args, self.dir.name)
                self.assertEqual((status, out, err), (1, "", "codexel-render-symbol: " + line + "\n"))
                self.assertEqual(os.listdir(self.dir.name), [])

    def test_help_and_version(self):
        status, out, _ = run(["--help"], self.dir.name)
        self.assertEqual(status, 0)
        self.assertIn("--scale N", out)
        status, out, _ = run(["--version"], self.dir.name)
        self.assertEqual((status, out), (0, "codexel-render-symbol (Codexel V1.00)\n"))


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
