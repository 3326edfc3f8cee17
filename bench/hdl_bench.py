#!/usr/bin/env python3
"""Figures of the cores in Verilog: each design is made by codexel-gen --hdl,
synthesized by Yosys for a Xilinx 7-series part (synth_xilinx: LUTs,
flip-flops, 18 Kbit block RAMs) and for an iCE40 HX8K (synth_ice40), placed
and routed there by nextpnr-ice40 (package ct256), and reported with its
logic cells, flip-flops, RAM blocks and the maximum clock frequency nextpnr
finds, as a Markdown table.

A design is one entry of DESIGNS: its label, the codexel-gen options that
make it, its bits per symbol and the symbols it takes per clock (the table
shows the throughput at the maximum clock from them). Place and route runs
with a fixed seed, so a run is repeatable.

A decoder's row also shows its codeword interval beside c, the cycles per
codeword the extra files page figures its throughput from (the interval is
never the longer).

Then the AXI4-Stream wrappers (codexel-gen --hdl --axis) of the DVB
standard full-speed streaming decoder and of the DVB encoder: the LUTs and
flip-flops each adds to its core and the HX8K clock with and without it.

Usage: hdl_bench.py [--gen PATH] [--only LABEL ...] [--keep DIR] [--wrappers-only]
"""

import argparse
import json
import os
import re
import subprocess
import sys
import tempfile

DESIGNS = [
    {"label": "Encoder, DVB (m 8, n 204, r 16, irrpol 285)", "options": ["--encoder", "--dvb"],
     "m": 8, "symbols per clock": 1},
    {"label": "Encoder, largest (m 8, n 255, r 50)",
     "options": ["--encoder", "-m", "8", "-n", "255", "-r", "50"], "m": 8, "symbols per clock": 1},
] + [
    # The eight decoders on the DVB code; their latency and codeword interval
    # come from the design file's header.
    {"label": f"Decoder, DVB, {kind} {architecture} {speed}",
     "options": ["--decoder", "--dvb", f"--{kind}", f"--{architecture}", f"--{speed}"], "m": 8,
     "n": 204}
    for kind in ("standard", "erasures") for architecture in ("discrete", "streaming")
    for speed in ("full", "half")
] + [
    # The most check symbols at full length, at full speed.
    {"label": f"Decoder, m 8, n 255, r 50, {kind} streaming full",
     "options": ["--decoder", "-m", "8", "-n", "255", "-r", "50", f"--{kind}", "--streaming", "--full"],
     "m": 8, "n": 255}
    for kind in ("standard", "erasures")
]

# LUT sites a 7-series cell takes: LUTs, and LUTs used as memory or shift
# registers.
XILINX_LUT_SITES = {"RAM32M": 4, "RAM64M": 4, "RAM32X1D": 2, "RAM64X1D": 2, "RAM128X1D": 4,
                    "RAM32X1S": 1, "RAM64X1S": 1, "RAM128X1S": 2, "RAM256X1S": 4, "SRL16E": 1,
                    "SRLC32E": 1}

DEVICE = ["--hx8k", "--package", "ct256"]
DEVICE_LOGIC_CELLS = 7680
# The analytic placer leaves the decoders routable where simulated annealing
# leaves the router going round in circles; a design that nextpnr has not
# placed and routed by then is reported with Yosys's count alone.
PLACER = ["--placer", "heap"]
PLACE_SECONDS = 600
TIMEOUT_SECONDS = 1800


def run(command, cwd):
    result = subprocess.run(command, cwd=cwd, capture_output=True, text=True,
                            timeout=TIMEOUT_SECONDS)
    if result.returncode != 0:
        sys.exit(f"{' '.join(command)} failed:\n{result.stdout[-2000:]}{result.stderr[-2000:]}")
    return result.stdout + result.stderr


def measure(gen, options, directory, top="core"):
    """Synthesizes, places and routes one design (top "core_axis": the core in
    its AXI4-Stream wrapper); returns its figures."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    wrapped = top != "core"
    sources = ["core.v"] + (["core_axis.v"] if wrapped else [])
    made = subprocess.run([gen] + options + ["--hdl", "--quiet"] + (["--axis"] if wrapped else []) + ["core.v"],
                          cwd=directory, env=env, capture_output=True, text=True)
    if made.returncode != 0:
        sys.exit(f"codexel-gen {' '.join(options)}: {made.stderr.strip()}")
    with open(os.path.join(directory, "core.v")) as f:
        header = f.read(1000)
    timing = re.search(r"latency (\d+) clocks .*start every (\d+) clocks, within the (\d+) cycles", header)
    run(["yosys", "-q", "-p", f"synth_xilinx -flatten -top {top}; tee -q -o xilinx.txt stat"] + sources,
        directory)
    with open(os.path.join(directory, "xilinx.txt")) as f:
        counts = {name: int(count) for name, count in re.findall(r"^\s+(\w+)\s+(\d+)$", f.read(), re.M)}
    xilinx = {
        "LUTs (7-series)": sum(c for name, c in counts.items() if name.startswith("LUT")) +
        sum(XILINX_LUT_SITES.get(name, 0) * c for name, c in counts.items()),
        "flip-flops (7-series)": sum(c for name, c in counts.items() if name.startswith("FD")),
        "block RAMs (7-series, 18 Kbit)": counts.get("RAMB18E1", 0) + 2 * counts.get("RAMB36E1", 0),
    }
    run(["yosys", "-q", "-p", f"synth_ice40 -top {top} -json core.json"] + sources, directory)
    with open(os.path.join(directory, "core.json")) as f:
        cells = json.load(f)["modules"][top]["cells"].values()
    flip_flops = sum(1 for cell in cells if cell["type"].startswith("SB_DFF"))
    ram_blocks = sum(1 for cell in cells if cell["type"].startswith("SB_RAM"))
    luts = sum(1 for cell in cells if cell["type"] == "SB_LUT4")
    figures = dict(xilinx)
    figures.update({"LUT4 (iCE40)": luts, "flip-flops": flip_flops, "RAM blocks": ram_blocks,
               "latency (clocks)": timing.group(1) if timing else "1",
               "interval (clocks)": int(timing.group(2)) if timing else None,
               "page c (clocks)": int(timing.group(3)) if timing else "-"})
    if luts > DEVICE_LOGIC_CELLS:
        # More LUTs than the part has logic cells: Yosys's count alone.
        figures.update({"logic cells": "does not fit", "max clock (MHz)": "-"})
        return figures
    try:
        command = ["nextpnr-ice40"] + DEVICE + PLACER + ["--json", "core.json", "--seed", "1"]
        placed = subprocess.run(command,
                                cwd=directory, capture_output=True, text=True,
                                timeout=PLACE_SECONDS)
        log = placed.stdout + placed.stderr
        failed = placed.returncode != 0
    except subprocess.TimeoutExpired:
        log, failed = "", True
    logic = re.search(r"ICESTORM_LC:\s+(\d+)/\s*(\d+)", log)
    # The last report is the one after routing.
    frequencies = re.findall(r"Max frequency for clock\s+'[^']*':\s+([\d.]+) MHz", log)
    if failed or not logic or not frequencies:
        figures.update({"logic cells": "not placed and routed",
                        "max clock (MHz)": "-"})
    else:
        figures.update({"logic cells": f"{logic.group(1)} of {logic.group(2)}",
                        "max clock (MHz)": frequencies[-1]})
    return figures


# The designs whose AXI4-Stream wrapper is measured: what it adds to its core.
WRAPPED = ["Decoder, DVB, standard streaming full", "Encoder, DVB (m 8, n 204, r 16, irrpol 285)"]


def wrapper_table(gen, keep):
    """Prints, for each design of WRAPPED, what its wrapper adds."""
    columns = ["LUTs (7-series)", "flip-flops (7-series)", "LUT4 (iCE40)", "flip-flops"]
    print("\n| AXI4-Stream wrapper of | " + " | ".join(f"+{c}" for c in columns) +
          " | max clock (MHz), core | max clock (MHz), with wrapper | clock change |")
    print("|---" * (len(columns) + 4) + "|")
    for label in WRAPPED:
        design = next(d for d in DESIGNS if d["label"] == label)
        figures = {}
        for top in ("core", "core_axis"):
            with tempfile.TemporaryDirectory() as scratch:
                directory = scratch
                if keep:
                    directory = os.path.join(keep, re.sub(r"\W+", "_", f"{label} {top}").strip("_"))
                    os.makedirs(directory, exist_ok=True)
                figures[top] = measure(gen, design["options"], directory, top)
        core, wrapped = figures["core"], figures["core_axis"]
        clocks = [core["max clock (MHz)"], wrapped["max clock (MHz)"]]
        change = "-" if "-" in clocks else f"{100 * (float(clocks[1]) / float(clocks[0]) - 1):+.1f} %"
        print(f"| {label} | " + " | ".join(str(wrapped[c] - core[c]) for c in columns) +
              f" | {clocks[0]} | {clocks[1]} | {change} |", flush=True)


def versions():
    def first_line(command):
        result = subprocess.run(command, capture_output=True, text=True)
        return (result.stdout + result.stderr).strip().splitlines()[0]
    return [first_line(["yosys", "-V"]), first_line(["nextpnr-ice40", "--version"])]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    here = os.path.dirname(os.path.abspath(__file__))
    parser.add_argument("--gen", default=os.path.join(here, "..", "build", "bin", "codexel-gen"))
    parser.add_argument("--only", nargs="*", help="labels (or parts of them) to measure")
    parser.add_argument("--keep", help="a directory to keep each design's files in")
    parser.add_argument("--wrappers-only", action="store_true", help="only what the AXI4-Stream wrappers add")
    args = parser.parse_args()
    gen = os.path.abspath(args.gen)
    if args.wrappers_only:
        wrapper_table(gen, args.keep)
        return

    columns = ["LUTs (7-series)", "flip-flops (7-series)", "block RAMs (7-series, 18 Kbit)",
               "LUT4 (iCE40)", "logic cells", "flip-flops", "RAM blocks", "max clock (MHz)", "latency (clocks)",
               "interval (clocks)", "page c (clocks)", "symbols per clock", "Mbit/s at max clock"]
    print("| design | " + " | ".join(columns) + " |")
    print("|---" * (len(columns) + 1) + "|")
    for design in DESIGNS:
        label = design["label"]
        if args.only and not any(part in label for part in args.only):
            continue
        with tempfile.TemporaryDirectory() as scratch:
            directory = scratch
            if args.keep:
                directory = os.path.join(args.keep, re.sub(r"\W+", "_", label).strip("_"))
                os.makedirs(directory, exist_ok=True)
            figures = measure(gen, design["options"], directory)
        # A decoder takes n symbols per codeword interval, never longer than
        # the cycles per codeword c the extra files page's throughput uses.
        interval = figures["interval (clocks)"]
        rate = design.get("symbols per clock") or round(design["n"] / interval, 3)
        if interval is None:
            figures["interval (clocks)"] = "-"
        figures["symbols per clock"] = rate
        clock = figures["max clock (MHz)"]
        figures["Mbit/s at max clock"] = "-" if clock == "-" else round(float(clock) * design["m"] * rate)
        print(f"| {label} | " + " | ".join(str(figures[c]) for c in columns) + " |", flush=True)
    if not args.only:
        wrapper_table(gen, args.keep)
    print("\nXilinx 7-series (synth_xilinx -flatten); iCE40 HX8K (ct256); " + "; ".join(versions()))


if __name__ == "__main__":
    main()
