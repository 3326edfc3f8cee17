#!/usr/bin/env python3
"""Runs the codexel program on a virtual X server where its files cannot
be written as usual, and checks what the plug-in manager would see: the
exit status, the box shown, and every file of the folder byte for byte.

- a wizard information file that cannot be written (a pipe in its place,
  or a file-size limit as on a full disk): the host's box, exit status 1,
  the old files unchanged;
- a vector file that is a pipe: the "Error" box, exit status 1, nothing
  written;
- edit mode on a pipe: the "Can't open file" box, exit status 1;
- Cancel in edit mode: the variation kept as <name>.cnx.bak, exit status 2.

A pipe never holds the program up: its box appears within a second of the
click (at start-up, within three seconds of the start).

Usage: file_safety_binary_test.py PATH_TO_CODEXEL
"""

import os
import resource
import shutil
import stat
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xdriver import (CANCEL, FINISH, HOST_TITLE, TITLE_START, WAIT_SECONDS,  # noqa: E402
                     Failure, click_button, press, run_binary_test, stop,
                     wait_for_window, x_env)

OLD_BLOCK = ("GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: rs_std_dsc\n\n"
             'PRIVATE: Enc_Dec NUMERIC "0"\nPRIVATE: Disc_Stream NUMERIC "1"\n\n'
             'CONSTANT: m NUMERIC "8"\nCONSTANT: n NUMERIC "204"\n'
             'CONSTANT: check NUMERIC "16"\nCONSTANT: irrpol NUMERIC "285"\n')
PIPE = "<pipe>"


def snapshot(folder):
    """Every entry of the folder: its bytes, or PIPE."""
    entries = {}
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        if stat.S_ISFIFO(os.lstat(path).st_mode):
            entries[name] = PIPE
        else:
            with open(path, "rb") as f:
                entries[name] = f.read()
    return entries


def make(folder, entries):
    for name, content in entries.items():
        path = os.path.join(folder, name)
        if content == PIPE:
            os.mkfifo(path)
        else:
            with open(path, "w") as f:
                f.write(content)


def file_size_limit(size):
    def limit():
        resource.setrlimit(resource.RLIMIT_FSIZE, (size, size))
    return limit


def click(index_from_right):
    """Clicks a button of the navigation row."""
    def act(env, window):
        click_button(env, window, index_from_right)
    return act


# name, files before, arguments before the design path, action on the first
# page (None: a box comes before any page), the box's title, exit status,
# files after (None: as before), limit on file sizes, whether a pipe is met.
CASES = [
    ("wizard file is a pipe", {"rs.cnx": PIPE}, ["-n"], click(FINISH), HOST_TITLE, 1,
     None, None, True),
    ("full disk at the wizard file", {"rs.cnx": OLD_BLOCK, "rs.vec": "old vectors\n"}, ["-n"],
     click(FINISH), HOST_TITLE, 1, None, 2048, False),
    ("vector file is a pipe", {"rs.cnx": OLD_BLOCK, "rs.vec": PIPE}, ["-n"], click(FINISH),
     "Error", 1, None, None, True),
    ("edit mode on a pipe", {"rs.cnx": PIPE}, [], None, HOST_TITLE, 1, None, None, True),
    ("cancel in edit mode", {"rs.cnx": OLD_BLOCK, "rs.cnx.bak": "an older backup\n"}, [],
     click(CANCEL), None, 2, {"rs.cnx.bak": OLD_BLOCK.encode()}, None, False),
]


def run_case(case, codexel, display):
    _, before, args, act, box_title, expected_status, after, limit, pipe = case
    env = x_env(display)
    work = tempfile.mkdtemp(prefix="codexel-files-")
    program = None
    try:
        make(work, before)
        expected = snapshot(work) if after is None else after
        program = subprocess.Popen(
            [codexel, *args, os.path.join(work, "rs.tdf")], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
            preexec_fn=file_size_limit(limit) if limit else None)
        # A box after a click must come within a second; one at start-up
        # may take the start of the program as well.
        started, allowed = time.monotonic(), 3.0
        if act:
            window = wait_for_window(env, program, TITLE_START, exact=False)
            started, allowed = time.monotonic(), 1.0
            act(env, window)
        if box_title:
            box = wait_for_window(env, program, box_title)
            waited = time.monotonic() - started
            if pipe and waited > allowed:
                raise Failure(f"the box took {waited:.2f} s: the pipe held the program up")
            press("Return")(env, box)
        status = program.wait(timeout=WAIT_SECONDS)
        if status != expected_status:
            raise Failure(f"exit status {status}, expected {expected_status}")
        found = snapshot(work)
        if found != expected:
            raise Failure(f"files {found}, expected {expected}")
    finally:
        stop(program)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(run_binary_test(
        __doc__, [(c[0], lambda codexel, display, c=c: run_case(c, codexel, display))
                  for c in CASES]))
