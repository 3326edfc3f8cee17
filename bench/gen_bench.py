#!/usr/bin/env python3
"""Times codexel-gen end to end against the floor program (a Qt GUI
application on the offscreen platform that does nothing) and reports the
median wall time of each, their ratio and the peak resident memory.

The measured command is
    codexel-gen --dvb --decoder --erasures --streaming <tmp>/rs.tdf
which writes the largest decoder's memory file, a streaming vector file and
the wizard information file. The runs of the two programs alternate, after
one warm-up run each, so that drift in the machine's load hits both alike.

Usage: gen_bench.py [--runs N] [--gen PATH] [--floor PATH]
"""

import argparse
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

GEN_ARGS = ["--dvb", "--decoder", "--erasures", "--streaming"]
TIMEOUT_SECONDS = 60


def run_once(command, env):
    """Runs a command to its end; returns (seconds, peak RSS in KiB)."""
    with tempfile.TemporaryFile() as errors:
        start = time.perf_counter()
        process = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=errors)
        deadline = start + TIMEOUT_SECONDS
        while True:
            pid, status, usage = os.wait4(process.pid, os.WNOHANG)
            if pid:
                break
            if time.perf_counter() > deadline:
                process.kill()
                process.wait()
                raise RuntimeError(f"{command[0]} did not end within {TIMEOUT_SECONDS} s")
            time.sleep(0.0005)
        seconds = time.perf_counter() - start
        process.returncode = os.waitstatus_to_exitcode(status)
        if process.returncode != 0:
            errors.seek(0)
            text = errors.read().decode(errors="replace")
            raise RuntimeError(f"{' '.join(command)} ended with {process.returncode}: {text}")
    return seconds, usage.ru_maxrss


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    build_bin = os.path.join(here, "..", "build", "bin")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=15, help="timed runs of each program")
    parser.add_argument("--gen", default=os.path.join(build_bin, "codexel-gen"))
    parser.add_argument("--floor", default=os.path.join(build_bin, "codexel_bench_floor"))
    options = parser.parse_args()
    if options.runs < 1:
        parser.error("--runs must be at least 1")

    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    out_dir = tempfile.mkdtemp(prefix="codexel-gen-bench-")
    try:
        gen_command = [options.gen, "--quiet", *GEN_ARGS, os.path.join(out_dir, "rs.tdf")]
        floor_command = [options.floor]
        run_once(gen_command, env)  # warm-up: page cache, font cache
        run_once(floor_command, env)
        gen_times, floor_times, gen_rss, floor_rss = [], [], [], []
        for _ in range(options.runs):
            seconds, rss = run_once(gen_command, env)
            gen_times.append(seconds)
            gen_rss.append(rss)
            seconds, rss = run_once(floor_command, env)
            floor_times.append(seconds)
            floor_rss.append(rss)
        written = sorted(os.listdir(out_dir))
    finally:
        shutil.rmtree(out_dir, ignore_errors=True)

    if written != ["inv_8_285.hex", "rs.cnx", "rs.vec"]:
        print(f"unexpected files written: {written}", file=sys.stderr)
        return 1
    gen_median = statistics.median(gen_times)
    floor_median = statistics.median(floor_times)
    print(f"runs each:            {options.runs}")
    print(f"codexel-gen median:   {gen_median * 1000:.1f} ms "
          f"(min {min(gen_times) * 1000:.1f}, max {max(gen_times) * 1000:.1f})")
    print(f"floor median:         {floor_median * 1000:.1f} ms "
          f"(min {min(floor_times) * 1000:.1f}, max {max(floor_times) * 1000:.1f})")
    print(f"median ratio:         {gen_median / floor_median:.2f}")
    print(f"peak RSS codexel-gen: {max(gen_rss) / 1024:.1f} MiB")
    print(f"peak RSS floor:       {max(floor_rss) / 1024:.1f} MiB")
    return 0


if __name__ == "__main__":
    sys.exit(main())
