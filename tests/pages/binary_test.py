#!/usr/bin/env python3
"""Runs the codexel program on a virtual X server and drives it with xdotool,
as the plug-in manager and a user would: the Summary page's title, Enter and
a click on "Finish" (the variation written, one notification, exit 0),
Escape and a click on "Cancel" (file deleted, exit 2); and the message boxes
of a refused start (no design file) and of an unknown option.

Usage: binary_test.py PATH_TO_CODEXEL
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xdriver import (CANCEL, FINISH, HOST_TITLE, WAIT_SECONDS, CallerSocket,  # noqa: E402
                     Failure, click_button, geometry, press, start_xvfb, stop,
                     wait_for_window, window_name, x_env)

TITLE = "Quillwork Plug-In Manager - CODEXEL V1.00 [page 1 of 1] -- Summary"
# Until the device type page sets the module, a new variation is the default
# encoder under the module name "default", with its symbol at the end.
BLOCK_START = ("GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n"
               'PRIVATE: Enc_Dec NUMERIC "1"\n')


def run_case(codexel, display, number, name, act, expected_status):
    caller_id = os.getpid() * 10 + number
    env = x_env(display)
    work = tempfile.mkdtemp(prefix="codexel-binary-")
    log_dir = tempfile.mkdtemp(prefix="codexel-log-")
    sock = CallerSocket(caller_id)
    program = None
    try:
        cnx = os.path.join(work, "rs.cnx")
        with open(cnx, "w") as old:
            old.write("MODULE: old variation\n")
        log = open(os.path.join(log_dir, "codexel.log"), "w")
        program = subprocess.Popen(
            [codexel, "-n", f"-h{caller_id}", "-symbol", os.path.join(work, "rs.tdf")],
            env=env, stdout=log, stderr=subprocess.STDOUT)
        log.close()
        window = wait_for_window(env, program, TITLE)
        shown = window_name(env, window)
        if shown != TITLE:
            raise Failure(f"title {shown!r}")
        x, y, width, height = geometry(env, window)
        act(env, window)
        status = program.wait(timeout=WAIT_SECONDS)
        if status != expected_status:
            raise Failure(f"exit status {status}, expected {expected_status}")
        if expected_status == 0:
            with open(cnx) as written:
                block = written.read()
            if not block.startswith(BLOCK_START) or "\nSYMBOL: BOX " not in block:
                raise Failure("the wizard information file holds something else")
        elif os.path.exists(cnx):
            raise Failure("the wizard information file was not deleted")
        if sorted(os.listdir(work)) != (["rs.cnx", "rs.vec"] if expected_status == 0 else []):
            raise Failure(f"files left: {sorted(os.listdir(work))}")
        messages = sock.receive_all()
        if messages != [f"1034 {x + width} {y + height}"]:
            raise Failure(f"notifications {messages}, corner ({x + width}, {y + height})")
        print(f"ok   {name}")
        return True
    except (Failure, subprocess.TimeoutExpired) as error:
        print(f"FAIL {name}: {error}")
        with open(os.path.join(log_dir, "codexel.log")) as log:
            print("  codexel said: " + log.read().replace("\n", "\n  "))
        return False
    finally:
        stop(program)
        sock.close()
        shutil.rmtree(work, ignore_errors=True)
        shutil.rmtree(log_dir, ignore_errors=True)


def run_boxes(codexel, display, name, args, expected_status):
    """Answers the host's message box with Enter; a Summary page that opens
    after it is cancelled with Escape. Checks the exit status."""
    env = x_env(display)
    work = tempfile.mkdtemp(prefix="codexel-binary-")
    args = [arg.replace("{work}", work) for arg in args]
    program = subprocess.Popen([codexel, *args], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        box = wait_for_window(env, program, HOST_TITLE)
        press("Return")(env, box)
        if expected_status == 2:
            press("Escape")(env, wait_for_window(env, program, TITLE))
        status = program.wait(timeout=WAIT_SECONDS)
        if status != expected_status:
            raise Failure(f"exit status {status}, expected {expected_status}")
        print(f"ok   {name}")
        return True
    except (Failure, subprocess.TimeoutExpired) as error:
        print(f"FAIL {name}: {error}")
        return False
    finally:
        stop(program)
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    codexel = sys.argv[1]
    for tool in ("Xvfb", "xdotool"):
        if not shutil.which(tool):
            print(f"FAIL {tool} is not installed (scripts/install-deps installs it)")
            return 1
    cases = [
        ("enter finishes", press("Return"), 0),
        ("finish button", lambda env, w: click_button(env, w, FINISH), 0),
        ("escape cancels", press("Escape"), 2),
        ("cancel button", lambda env, w: click_button(env, w, CANCEL), 2),
    ]
    xvfb, display = start_xvfb()
    try:
        results = [run_case(codexel, display, number, *case)
                   for number, case in enumerate(cases)]
        # No design file: one box, then status 1. An unknown option: the
        # usage box once, then the Summary page.
        results.append(run_boxes(codexel, display, "no design file", [], 1))
        results.append(run_boxes(codexel, display, "unknown option",
                                 ["-q", "-n", "{work}/rs.tdf"], 2))
    finally:
        stop(xvfb)
    passed = sum(results)
    print(f"{passed} passed, {len(results) - passed} failed")
    return 0 if all(results) else 1


if __name__ == "__main__":
    sys.exit(main())
