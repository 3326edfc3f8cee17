#!/usr/bin/env python3
"""Figures of the cores in Verilog on an iCE40 HX8K (package ct256): each
design is made by codexel-gen --hdl, synthesized by Yosys (synth_ice40),
placed and routed by nextpnr-ice40, and reported with its logic cells,
flip-flops, RAM blocks and the maximum clock frequency nextpnr finds, as a
Markdown table.

A design is one entry of DESIGNS: its label, the codexel-gen options that
make it, its bits per symbol and the symbols it takes per clock (the table
shows the throughput at the maximum clock from them). Place and route runs
with a fixed seed, so a run is repeatable.

Usage: hdl_bench.py [--gen PATH] [--only LABEL ...] [--keep DIR]
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
]

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


def measure(gen, options, directory):
    """Synthesizes, places and routes one design; returns its figures."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    made = subprocess.run([gen] + options + ["--hdl", "--quiet", "core.v"], cwd=directory, env=env,
                          capture_output=True, text=True)
    if made.returncode != 0:
        sys.exit(f"codexel-gen {' '.join(options)}: {made.stderr.strip()}")
    with open(os.path.join(directory, "core.v")) as f:
        header = f.read(1000)
    timing = re.search(r"latency (\d+) clocks .*start every (\d+) clocks", header)
    run(["yosys", "-q", "-p", "synth_ice40 -top core -json core.json", "core.v"], directory)
    with open(os.path.join(directory, "core.json")) as f:
        cells = json.load(f)["modules"]["core"]["cells"].values()
    flip_flops = sum(1 for cell in cells if cell["type"].startswith("SB_DFF"))
    ram_blocks = sum(1 for cell in cells if cell["type"].startswith("SB_RAM"))
    luts = sum(1 for cell in cells if cell["type"] == "SB_LUT4")
    figures = {"flip-flops": flip_flops, "RAM blocks": ram_blocks,
               "latency (clocks)": timing.group(1) if timing else "1",
               "interval (clocks)": int(timing.group(2)) if timing else None}
    if luts > DEVICE_LOGIC_CELLS:
        # More LUTs than the part has logic cells: Yosys's count alone.
        figures.update({"logic cells": f"does not fit ({luts} LUT4 in Yosys)", "max clock (MHz)": "-"})
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
        figures.update({"logic cells": f"not placed and routed ({luts} LUT4 in Yosys)",
                        "max clock (MHz)": "-"})
    else:
        figures.update({"logic cells": f"{logic.group(1)} of {logic.group(2)}",
                        "max clock (MHz)": frequencies[-1]})
    return figures


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
    args = parser.parse_args()
    gen = os.path.abspath(args.gen)

    columns = ["logic cells", "flip-flops", "RAM blocks", "max clock (MHz)", "latency (clocks)",
               "symbols per clock", "Mbit/s at max clock"]
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
        # A decoder takes n symbols per codeword interval.
        interval = figures["interval (clocks)"]
        rate = design.get("symbols per clock") or round(design["n"] / interval, 3)
        figures["symbols per clock"] = rate
        clock = figures["max clock (MHz)"]
        figures["Mbit/s at max clock"] = "-" if clock == "-" else round(float(clock) * design["m"] * rate)
        print(f"| {label} | " + " | ".join(str(figures[c]) for c in columns) + " |", flush=True)
    print("\niCE40 HX8K (ct256); " + "; ".join(versions()))


if __name__ == "__main__":
    main()
