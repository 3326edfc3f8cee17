#!/usr/bin/env python3
"""The cores in Verilog as a user gets them: codexel-gen --hdl --testbench for
a table of encoder parameter sets, each simulated with its own testbench in
Icarus Verilog (PASS with every expected symbol checked), linted by Verilator
with every warning on, and synthesized by Yosys for the iCE40 without a
latch; the eight decoders of a table of codes, each passing its own vector
file. A core with one constant changed must FAIL; --hdl must leave the other
files as they are without it, and a refusal (also over a design file it did
not write) must write nothing.

Usage: hdl_gen_test.py PATH_TO_codexel-gen
"""

import concurrent.futures
import os
import re
import subprocess
import sys
import tempfile
import unittest

PROGRAM = None

# m, n, r, irrpol, genstart: every m, short and full length, k = 1, r up to
# 50, a field polynomial other than the first of its m, genstart 0 and not;
# and a design named like one of the core's registers.
PARAMETER_SETS = [
    (4, 5, 4, 19, 0, "r_rsout"),
    (4, 15, 6, 25, 3),
    (5, 31, 4, 41, 27),
    (5, 20, 10, 37, 0),
    (6, 63, 12, 67, 0),
    (6, 40, 20, 103, 17),
    (7, 127, 30, 137, 0),
    (7, 60, 9, 131, 100),
    (8, 204, 16, 285, 0),
    (8, 255, 50, 301, 3),
    (8, 51, 50, 285, 205),
]


def run(args, cwd, timeout=120):
    result = subprocess.run(args, cwd=cwd, capture_output=True, text=True, timeout=timeout)
    return result.returncode, result.stdout, result.stderr


def gen(args, cwd):
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([PROGRAM] + args, cwd=cwd, env=env, capture_output=True, text=True,
                            timeout=60)
    return result.returncode, result.stdout, result.stderr


def snapshot(directory):
    files = {}
    for name in sorted(os.listdir(directory)):
        path = os.path.join(directory, name)
        if os.path.isdir(path):
            files[name] = "<directory>"
            continue
        with open(path, "rb") as f:
            files[name] = f.read()
    return files


def simulate(directory, name="rs"):
    status, out, err = run(["sh", "-c", f"iverilog -g2005 -o sim {name}.v {name}_tb.v && vvp -n sim"],
                           directory)
    return status, out.strip(), err


def check_parameter_set(parameters):
    """The problems found with one parameter set, as text; empty when none."""
    m, n, r, irrpol, genstart, name = (parameters + ("rs",))[:6]
    problems = []
    with tempfile.TemporaryDirectory() as directory:
        status, out, err = gen(["-m", str(m), "-n", str(n), "-r", str(r), "--irrpol", str(irrpol),
                                "--genstart", str(genstart), "--hdl", "--testbench", f"{name}.v"],
                               directory)
        if status != 0:
            return [f"codexel-gen: {err.strip()}"]
        listed = [os.path.basename(line) for line in out.split()]
        if listed != [f"{name}.vec", f"{name}.v", f"{name}_tb.v", f"{name}.cnx"]:
            problems.append(f"files listed: {listed}")

        # Every expected symbol of the vector file is checked: n + 3 lines.
        status, out, err = simulate(directory, name)
        if status != 0 or out != f"PASS {n + 3}":
            problems.append(f"simulation: {out} {err}")

        for lint in (["verilator", "--lint-only", "-Wall", f"{name}.v"],
                     ["verilator", "--lint-only", "-Wall", "--timing", "--top-module", f"{name}_tb",
                      f"{name}.v", f"{name}_tb.v"]):
            status, out, err = run(lint, directory)
            if status != 0 or out.strip() or err.strip():
                problems.append(f"{' '.join(lint)}: {out}{err}")

        script = (f"read_verilog {name}.v; proc; "
                  "select -assert-none t:$dlatch t:$adlatch t:$dlatchsr t:$sr; "
                  f"synth_ice40 -top {name}; select -assert-none t:$_DLATCH* t:SB_DFF*_LATCH*; stat")
        status, out, err = run(["yosys", "-p", script], directory)
        log = out + err
        if status != 0 or "Latch inferred" in log or re.search(r"^(Warning|ERROR):", log, re.M):
            problems.append("yosys: " + "\n".join(line for line in log.splitlines()
                                                  if re.search(r"Warning|ERROR|Latch|assert", line)))
        if not re.search(r"SB_DFFE?S?R?E?\s+\d+", log):
            problems.append("yosys: no flip-flop in the synthesized core")
    return [f"m {m} n {n} r {r} irrpol {irrpol} genstart {genstart}: {p}" for p in problems]


# m, n, r, irrpol, genstart of the decoder codes; each is made in all eight
# variants. Short and full length, r from 4 to 50, genstart 0 and not.
DECODER_CODES = [
    (4, 15, 4, 19, 0),
    (5, 20, 8, 41, 5),
    (6, 63, 12, 67, 9),
    (7, 127, 20, 137, 1),
    (8, 204, 16, 285, 0),
    (8, 60, 50, 285, 200),
]
VARIANTS = [[kind, architecture, speed] for kind in ("--standard", "--erasures")
            for architecture in ("--discrete", "--streaming") for speed in ("--full", "--half")]


def check_decoder(job):
    """Problems of one decoder variant with its own vector file, as text."""
    (m, n, r, irrpol, genstart), variant = job
    with tempfile.TemporaryDirectory() as directory:
        status, _, err = gen(["--decoder"] + variant + [
            "-m", str(m), "-n", str(n), "-r", str(r), "--irrpol", str(irrpol),
            "--genstart", str(genstart), "--hdl", "--testbench", "rs.v"], directory)
        if status != 0:
            return [f"codexel-gen {variant}: {err.strip()}"]
        # The discrete file sends one codeword; the streaming file five
        # messages and six words of zeros: every symbol of each is checked.
        words = 1 if "--discrete" in variant else 11
        status, out, err = simulate(directory)
        if status != 0 or out != f"PASS {words * n}":
            return [f"m {m} n {n} r {r} genstart {genstart} {' '.join(variant)}: {out} {err}"]
    return []


class HdlGenTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def test_every_parameter_set_simulates_lints_and_synthesizes(self):
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            problems = [p for found in pool.map(check_parameter_set, PARAMETER_SETS) for p in found]
        self.assertEqual(problems, [])

    def test_every_decoder_variant_passes_its_own_vector_file(self):
        jobs = [(code, variant) for code in DECODER_CODES for variant in VARIANTS]
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            problems = [p for found in pool.map(check_decoder, jobs) for p in found]
        self.assertEqual(problems, [])

    def test_a_core_with_one_constant_changed_fails(self):
        directory = self.dir.name
        status, _, err = gen(["-n", "7", "--hdl", "--testbench", "rs.v"], directory)
        self.assertEqual(status, 0, err)
        path = os.path.join(directory, "rs.v")
        with open(path) as f:
            core = f.read()
        # The XOR mask of one output bit of a constant multiplier, inverted.
        broken, count = re.subn(r"& 4'h([0-9a-f])\)",
                                lambda match: f"& 4'h{int(match.group(1), 16) ^ 15:x})", core, count=1)
        self.assertEqual(count, 1)
        with open(path, "w") as f:
            f.write(broken)
        status, out, _ = simulate(directory)
        self.assertRegex(out, r"^FAIL time \d+ signal rsout expected \d+ got \d+$")

    def test_the_other_files_are_the_same_with_and_without_hdl(self):
        for args in (["--dvb"], ["-m", "5", "-n", "20", "-r", "6", "--no-vectors"],
                     ["--dvb", "--decoder", "--erasures", "--streaming", "--half"]):
            with tempfile.TemporaryDirectory() as plain, tempfile.TemporaryDirectory() as hdl:
                self.assertEqual(gen(args + ["rs.v"], plain)[0], 0)
                self.assertEqual(gen(args + ["--hdl", "--testbench", "rs.v"], hdl)[0], 0)
                with_hdl = snapshot(hdl)
                self.assertEqual(sorted(with_hdl), sorted(list(snapshot(plain)) + ["rs.v", "rs_tb.v"]))
                for name, data in snapshot(plain).items():
                    self.assertEqual(with_hdl[name], data, name)
                # Edit mode regenerates the same Verilog from the recorded
                # variation, over the design file it wrote.
                self.assertEqual(gen(["--edit", "--hdl", "--testbench", "rs.v"], hdl)[0], 0)
                self.assertEqual(snapshot(hdl), with_hdl)

    def test_refusals_write_nothing(self):
        directory = self.dir.name
        with open(os.path.join(directory, "keep.cnx"), "w") as f:
            f.write("kept\n")
        os.mkdir(os.path.join(directory, "taken.v"))  # the design file cannot be written
        with open(os.path.join(directory, "mine.v"), "w") as f:  # a design file of the user's
            f.write("// Made by hand.\nmodule mine;\nendmodule\n")
        before = snapshot(directory)
        for args, message in (
                (["--hdl", "rs.tdf"], "rs.tdf: --hdl writes Verilog only"),
                (["--hdl", "rs.vhd"], "rs.vhd: --hdl writes Verilog only"),
                (["--hdl", "2rs.v"], "'2rs' cannot name a Verilog module"),
                (["--hdl", "wire.v"], "'wire' cannot name a Verilog module: it is a Verilog keyword"),
                (["--hdl", "rsout.v"], "'rsout' is the name of one of the core's ports"),
                (["--testbench", "rs.v"], "--testbench needs --hdl"),
                (["--hdl", "taken.v"], "taken.v: "),
                (["--hdl", "mine.v"], "mine.v: not written by codexel-gen --hdl; left as it is")):
            status, out, err = gen(args, directory)
            self.assertEqual(status, 1, args)
            self.assertEqual(out, "", args)
            self.assertEqual(len(err.splitlines()), 1, err)
            self.assertIn(message, err)
            self.assertEqual(snapshot(directory), before, args)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main()
