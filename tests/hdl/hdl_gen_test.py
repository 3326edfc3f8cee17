#!/usr/bin/env python3
"""The cores in Verilog and VHDL as a user gets them: codexel-gen --hdl
--testbench for a table of encoder parameter sets, each simulated with its
own testbench in Icarus Verilog (PASS with every expected symbol checked),
linted by Verilator with every warning on, and synthesized by Yosys for the
iCE40 without a latch, and the same set as VHDL in GHDL (VHDL-93 or
VHDL-2008, the first set both), its component declaration analysed with a
design that instantiates the core through it; the eight decoders of a table
of codes, each passing its own vector file in both languages. A core with
one constant changed must FAIL; --hdl must leave the other files as they are
without it, and a refusal (also over a design file it did not write) must
write nothing. --axis adds the AXI4-Stream wrapper beside the core and
changes no other file but the component declarations, to which it adds the
wrapper's; the wrapper passes Verilator and elaborates in GHDL with its core
and through its component.

With CODEXEL_HDL_SMALLEST_ONLY set (the sanitizer pass), GHDL runs only the
codes of the smallest field.

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


def simulate_vhdl(directory, name="rs", standard="08"):
    std = f"--std={standard}"
    status, out, err = run(["sh", "-c", f"ghdl -a {std} {name}.vhd {name}_tb.vhd && ghdl -e {std} {name}_tb"
                            f" && ghdl -r {std} {name}_tb"], directory)
    return status, out.strip(), err.strip()


def ghdl_wanted(m):
    return m == 4 or not os.environ.get("CODEXEL_HDL_SMALLEST_ONLY")


# A design that instantiates the core through its component declaration.
INSTANTIATING_DESIGN = """library ieee;
use ieee.std_logic_1164.all;

entity top is
end entity top;

architecture structure of top is
{component}
{signals}
begin
  core : {name} port map ({connections});
end architecture structure;
"""


def check_vhdl(parameters, args, name, n, standards):
    """Problems of the VHDL core of one parameter set, as text."""
    problems = []
    with tempfile.TemporaryDirectory() as directory:
        status, out, err = gen(args + ["--hdl", "--testbench", f"{name}.vhd"], directory)
        if status != 0:
            return [f"codexel-gen: {err.strip()}"]
        listed = [os.path.basename(line) for line in out.split()]
        if listed != [f"{name}.vec", f"{name}.vhd", f"{name}.cmp", f"{name}_tb.vhd", f"{name}.cnx"]:
            problems.append(f"files listed: {listed}")
        for standard in standards:
            for stale in [f for f in os.listdir(directory) if f.endswith(".cf")]:
                os.remove(os.path.join(directory, stale))
            status, out, err = simulate_vhdl(directory, name, standard)
            if status != 0 or out != f"PASS {n + 3}" or err:
                problems.append(f"GHDL --std={standard}: {out} {err}")
        with open(os.path.join(directory, f"{name}.cmp")) as f:
            component = f.read()
        ports = re.findall(r"^    (\w+) : (?:in|out) (std_logic(?:_vector\(\d+ downto \d+\))?)", component, re.M)
        with open(os.path.join(directory, "top.vhd"), "w") as f:
            f.write(INSTANTIATING_DESIGN.format(
                component=component, name=name,
                signals="\n".join(f"  signal s_{port} : {kind};" for port, kind in ports),
                connections=", ".join(f"{port} => s_{port}" for port, _ in ports)))
        std = f"--std={standards[0]}"
        status, out, err = run(["sh", "-c", f"ghdl -a {std} {name}.vhd top.vhd && ghdl -e {std} top"], directory)
        if status != 0 or len(ports) < 5 or out.strip() or err.strip():
            problems.append(f"{name}.cmp with an instantiating design: {out} {err}")
    return problems


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
    if ghdl_wanted(m):
        standards = ("93c", "08") if parameters == PARAMETER_SETS[0] else (("93c", "08")[n % 2],)
        problems += check_vhdl(parameters, ["-m", str(m), "-n", str(n), "-r", str(r), "--irrpol", str(irrpol),
                                            "--genstart", str(genstart)], name, n, standards)
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
    (m, n, r, irrpol, genstart), variant, extension = job
    with tempfile.TemporaryDirectory() as directory:
        status, _, err = gen(["--decoder"] + variant + [
            "-m", str(m), "-n", str(n), "-r", str(r), "--irrpol", str(irrpol),
            "--genstart", str(genstart), "--hdl", "--testbench", "rs" + extension], directory)
        if status != 0:
            return [f"codexel-gen {variant}: {err.strip()}"]
        # The discrete file sends one codeword; the streaming file five
        # messages and six words of zeros: every symbol of each is checked.
        words = 1 if "--discrete" in variant else 11
        if extension == ".v":
            status, out, err = simulate(directory)
        else:
            status, out, err = simulate_vhdl(directory, standard="08" if "--half" in variant else "93c")
        if status != 0 or out != f"PASS {words * n}" or (extension == ".vhd" and err):
            return [f"m {m} n {n} r {r} genstart {genstart} {' '.join(variant)} {extension}: {out} {err}"]
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
        jobs = [(code, variant, extension) for code in DECODER_CODES for variant in VARIANTS
                for extension in (".v", ".vhd") if extension == ".v" or ghdl_wanted(code[0])]
        with concurrent.futures.ThreadPoolExecutor(max_workers=os.cpu_count() or 2) as pool:
            problems = [p for found in pool.map(check_decoder, jobs) for p in found]
        self.assertEqual(problems, [])

    def test_a_core_with_one_constant_changed_fails(self):
        for extension in (".v", ".vhd"):
            with tempfile.TemporaryDirectory() as directory:
                status, _, err = gen(["-n", "7", "--hdl", "--testbench", "rs" + extension], directory)
                self.assertEqual(status, 0, err)
                path = os.path.join(directory, "rs" + extension)
                with open(path) as f:
                    core = f.read()
                if extension == ".v":
                    # The XOR mask of one output bit of a constant multiplier, inverted.
                    broken, count = re.subn(r"& 4'h([0-9a-f])\)",
                                            lambda match: f"& 4'h{int(match.group(1), 16) ^ 15:x})", core,
                                            count=1)
                else:
                    # The same in VHDL: one output bit of a constant multiplier
                    # made the XOR of the input bits it did not take.
                    def invert(match):
                        taken = {int(bit) for bit in re.findall(r"\((\d+)\)", match.group(2))}
                        terms = [f"{match.group(3)}({j})" for j in range(4) if j not in taken]
                        return f"  {match.group(1)} <= {' xor '.join(terms) or chr(39) + '0' + chr(39)};"
                    broken, count = re.subn(r"^  (\w+\(\d\)) <= ((\w+)\(\d\)(?: xor \3\(\d\))*);$", invert, core,
                                            count=1, flags=re.M)
                self.assertEqual(count, 1)
                self.assertNotEqual(broken, core)
                with open(path, "w") as f:
                    f.write(broken)
                if extension == ".v":
                    status, out, _ = simulate(directory)
                else:
                    status, out, _ = simulate_vhdl(directory, standard="93c")
                self.assertRegex(out, r"^FAIL time \d+ signal rsout expected \d+ got \d+$")

    def test_the_other_files_are_the_same_with_and_without_hdl(self):
        for args, design, made in (
                (["--dvb"], "rs.v", ["rs.v", "rs_tb.v"]),
                (["-m", "5", "-n", "20", "-r", "6", "--no-vectors"], "rs.v", ["rs.v", "rs_tb.v"]),
                (["--dvb", "--decoder", "--erasures", "--streaming", "--half"], "rs.v", ["rs.v", "rs_tb.v"]),
                (["--dvb"], "rs.vhd", ["rs.vhd", "rs.cmp", "rs_tb.vhd"]),
                (["--dvb", "--decoder", "--standard", "--discrete", "--full"], "rs.vhd",
                 ["rs.vhd", "rs.cmp", "rs_tb.vhd"])):
            with tempfile.TemporaryDirectory() as plain, tempfile.TemporaryDirectory() as hdl:
                self.assertEqual(gen(args + [design], plain)[0], 0)
                self.assertEqual(gen(args + ["--hdl", "--testbench", design], hdl)[0], 0)
                with_hdl = snapshot(hdl)
                self.assertEqual(sorted(with_hdl), sorted(list(snapshot(plain)) + made))
                for name, data in snapshot(plain).items():
                    self.assertEqual(with_hdl[name], data, name)
                # --list names the same files, the core's among them.
                status, out, _ = gen(args + ["--hdl", "--testbench", "--list", design], hdl)
                self.assertEqual(status, 0)
                for name in made:
                    self.assertEqual([os.path.basename(line) for line in out.split()].count(name), 1, out)
                # Edit mode regenerates the same design from the recorded
                # variation, over the design file it wrote.
                self.assertEqual(gen(["--edit", "--hdl", "--testbench", design], hdl)[0], 0)
                self.assertEqual(snapshot(hdl), with_hdl)

    def test_axis_adds_the_wrapper_and_changes_nothing_else(self):
        for m, args, design in ((8, ["--dvb", "--decoder", "--streaming"], "rs.v"),
                                (5, ["-m", "5", "-n", "20", "-r", "6"], "rs.v"),
                                (8, ["--dvb", "--decoder", "--erasures", "--half"], "rs.vhd"),
                                (4, ["-m", "4", "-n", "9", "-r", "4"], "rs.vhd")):
            base, extension = os.path.splitext(design)
            wrapper = f"{base}_axis{extension}"
            with tempfile.TemporaryDirectory() as plain, tempfile.TemporaryDirectory() as axis:
                self.assertEqual(gen(args + ["--hdl", "--testbench", design], plain)[0], 0)
                status, out, err = gen(args + ["--hdl", "--axis", "--testbench", design], axis)
                self.assertEqual(status, 0, err)
                listed = [os.path.basename(line) for line in out.split()]
                self.assertEqual(listed[listed.index(design):listed.index(wrapper)],
                                 [design] + ([f"{base}.cmp"] if extension == ".vhd" else []))
                before, after = snapshot(plain), snapshot(axis)
                self.assertEqual(sorted(after), sorted(list(before) + [wrapper]))
                for name, data in before.items():
                    if name.endswith(".cmp"):  # the wrapper's component after the core's
                        self.assertTrue(after[name].startswith(data + b"\n"), name)
                        self.assertIn(f"component {base}_axis\n".encode(), after[name])
                    else:
                        self.assertEqual(after[name], data, name)
                # Its header names the program: edit mode writes the same
                # again, over the wrapper it wrote.
                self.assertIn(b"Made by Codexel V1.00 (codexel-gen --hdl).\n", after[wrapper][:1000])
                self.assertEqual(gen(["--edit", "--hdl", "--axis", "--testbench", design], axis)[0], 0)
                self.assertEqual(snapshot(axis), after)
                if extension == ".v":
                    status, out, err = run(["verilator", "--lint-only", "-Wall", "--top-module", f"{base}_axis",
                                            design, wrapper], axis)
                    self.assertEqual((status, out + err), (0, ""))
                elif ghdl_wanted(m):
                    with open(os.path.join(axis, f"{base}.cmp")) as f:
                        component = f.read().split("\n\n")[1]
                    ports = re.findall(r"^    (\w+) : (?:in|out) (std_logic(?:_vector\(\d+ downto \d+\))?)",
                                       component, re.M)
                    with open(os.path.join(axis, "top.vhd"), "w") as f:
                        f.write(INSTANTIATING_DESIGN.format(
                            component=component, name=f"{base}_axis",
                            signals="\n".join(f"  signal s_{port} : {kind};" for port, kind in ports),
                            connections=", ".join(f"{port} => s_{port}" for port, _ in ports)))
                    status, out, err = run(["sh", "-c", f"ghdl -a --std=08 {design} {wrapper} top.vhd && "
                                            "ghdl -e --std=08 top"], axis)
                    self.assertEqual((status, out.strip() + err.strip()), (0, ""))

    def test_refusals_write_nothing(self):
        directory = self.dir.name
        with open(os.path.join(directory, "keep.cnx"), "w") as f:
            f.write("kept\n")
        os.mkdir(os.path.join(directory, "taken.v"))  # the design file cannot be written
        os.mkdir(os.path.join(directory, "taken.cmp"))  # nor the component declaration
        os.mkdir(os.path.join(directory, "sealed_axis.v"))  # nor the wrapper
        with open(os.path.join(directory, "mine.v"), "w") as f:  # a design file of the user's
            f.write("// Made by hand.\nmodule mine;\nendmodule\n")
        with open(os.path.join(directory, "mine.vhd"), "w") as f:
            f.write("-- Made by hand.\nentity mine is\nend entity mine;\n")
        with open(os.path.join(directory, "yours_axis.v"), "w") as f:  # a wrapper of the user's
            f.write("// Made by hand.\nmodule yours_axis;\nendmodule\n")
        before = snapshot(directory)
        for args, message in (
                (["--hdl", "rs.tdf"], "rs.tdf: --hdl writes Verilog or VHDL only"),
                (["--hdl", "2rs.vhd"], "'2rs' cannot name a VHDL entity"),
                (["--hdl", "_rs.vhd"], "'_rs' cannot name a VHDL entity"),
                (["--hdl", "rs_.vhd"], "'rs_' cannot name a VHDL entity"),
                (["--hdl", "rs__core.vhd"], "'rs__core' cannot name a VHDL entity"),
                (["--hdl", "Entity.vhd"], "'Entity' cannot name a VHDL entity: it is a VHDL reserved word"),
                (["--hdl", "vunit.vhd"], "'vunit' cannot name a VHDL entity: it is a VHDL reserved word"),
                (["--hdl", "unsigned.vhd"], "'unsigned' cannot name a VHDL entity: the core itself uses"),
                (["--hdl", "RSIN.vhd"], "'RSIN' is the name of one of the core's ports (rsin; VHDL ignores case)"),
                (["--decoder", "--hdl", "NumErr.vhd"], "'NumErr' is the name of one of the core's ports"),
                (["--testbench", "rs.vhd"], "--testbench needs --hdl"),
                (["--hdl", "taken.vhd"], "taken.cmp: "),
                (["--hdl", "2rs.v"], "'2rs' cannot name a Verilog module"),
                (["--hdl", "wire.v"], "'wire' cannot name a Verilog module: it is a Verilog keyword"),
                (["--hdl", "rsout.v"], "'rsout' is the name of one of the core's ports"),
                (["--testbench", "rs.v"], "--testbench needs --hdl"),
                (["--hdl", "taken.v"], "taken.v: "),
                (["--hdl", "mine.v"], "mine.v: not written by codexel-gen --hdl; left as it is"),
                (["--hdl", "mine.vhd"], "mine.vhd: not written by codexel-gen --hdl; left as it is"),
                (["--axis", "rs.v"], "--axis needs --hdl"),
                (["--hdl", "--axis", "aclk.v"], "'aclk' is the name of one of the AXI4-Stream wrapper's ports"),
                (["--hdl", "--axis", "Aresetn.vhd"], "(aresetn; VHDL ignores case)"),
                (["--hdl", "--axis", "yours.v"], "yours_axis.v: not written by codexel-gen --hdl; left as it is"),
                (["--hdl", "--axis", "sealed.v"], "sealed_axis.v: not written by codexel-gen --hdl; left as it is")):
            status, out, err = gen(args, directory)
            self.assertEqual(status, 1, args)
            self.assertEqual(out, "", args)
            self.assertEqual(len(err.splitlines()), 1, err)
            self.assertIn(message, err)
            self.assertEqual(snapshot(directory), before, args)


if __name__ == "__main__":
    PROGRAM = os.path.abspath(sys.argv.pop(1))
    unittest.main()
