#!/usr/bin/env python3
"""Times how long the wizard takes until its first page is on the display,
against a Qt Widgets program that only shows one dialog (the floor), under
Xvfb. Each run is timed by codexel_bench_map_wait from the start of the
process to the mapping of its first window; the runs of the programs
alternate, after one warm-up run each, so that drift in the machine's load
hits them alike. Prints the median of each and the wizard's ratio to each
floor.

The floor is a dialog sized by a layout from its text, as most dialogs are:
its font is loaded before its window is mapped, as the wizard's must be. The
bare floor ("--bare") has fixed geometry and needs no font until it paints,
after it is mapped; against it the wizard also pays for the font database
(fontconfig reading its configuration), which no program that sizes a window
by its text can leave until later.

The wizard is started as the plug-in manager starts it for a new variation:
    codexel -n <tmp>/rs.tdf
so its first page is the device type page with the symbol preview.

Usage: startup_bench.py [--runs N] [--codexel PATH] [--floor PATH] [--map-wait PATH]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "support"))
from xdriver import start_xvfb, stop, x_env  # noqa: E402

TIMEOUT_SECONDS = 30


def time_to_window(map_wait, command, env):
    done = subprocess.run([map_wait, str(TIMEOUT_SECONDS), *command], env=env,
                          capture_output=True, text=True, timeout=TIMEOUT_SECONDS + 10)
    if done.returncode != 0:
        raise RuntimeError(f"{command[0]}: {done.stderr.strip()}")
    return float(done.stdout)


def main():
    build = os.path.join(HERE, "..", "build", "bin")
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--runs", type=int, default=21)
    parser.add_argument("--codexel", default=os.path.join(build, "codexel"))
    parser.add_argument("--floor", default=os.path.join(build, "codexel_bench_dialog_floor"))
    parser.add_argument("--map-wait", default=None,
                        help="codexel_bench_map_wait (default: beside --floor)")
    args = parser.parse_args()
    map_wait = args.map_wait or os.path.join(os.path.dirname(args.floor),
                                             "codexel_bench_map_wait")

    work = tempfile.mkdtemp(prefix="codexel-startup-")
    xvfb, display = start_xvfb()
    try:
        env = x_env(display)
        commands = {
            "codexel": [args.codexel, "-n", os.path.join(work, "rs.tdf")],
            "floor": [args.floor],
            "bare": [args.floor, "--bare"],
        }
        times = {name: [] for name in commands}
        for name, command in commands.items():
            time_to_window(map_wait, command, env)  # warm-up
        for _ in range(args.runs):
            for name, command in commands.items():
                times[name].append(time_to_window(map_wait, command, env))
    finally:
        stop(xvfb)
        shutil.rmtree(work, ignore_errors=True)

    medians = {name: statistics.median(values) for name, values in times.items()}
    for name, median in medians.items():
        print(f"{name:8s} median {median * 1000:8.1f} ms over {args.runs} runs "
              f"(min {min(times[name]) * 1000:.1f}, max {max(times[name]) * 1000:.1f})")
    for floor in ("floor", "bare"):
        print(f"ratio    {medians['codexel'] / medians[floor]:.3f} (codexel / {floor})")
    return 0


if __name__ == "__main__":
    sys.exit(main())
