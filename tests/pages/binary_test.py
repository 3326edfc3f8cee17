#!/usr/bin/env python3
"""Runs the codexel program on a virtual X server and drives it with xdotool,
as the plug-in manager and a user would: the Summary page's title, Enter and
a click on "Finish" (the variation written, one notification, exit 0),
Escape and a click on "Cancel" (file deleted, exit 2); and the message boxes
of a refused start (no design file) and of an unknown option.

Usage: binary_test.py PATH_TO_CODEXEL
"""

import os
import re
import select
import shutil
import socket
import subprocess
import sys
import tempfile
import time

TITLE = "Quillwork Plug-In Manager - CODEXEL V1.00 [page 1 of 1] -- Summary"
# Until the device type page sets the module, a new variation is the default
# encoder under the module name "default", with its symbol at the end.
BLOCK_START = ("GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: default\n\n"
               'PRIVATE: Enc_Dec NUMERIC "1"\n')
HOST_TITLE = "Quillwork Plug-In Manager"
WAIT_SECONDS = 20
BUTTON_W, BUTTON_H, GAP, MARGIN = 56, 20, 3, 10


class Failure(Exception):
    pass


def start_xvfb():
    """Starts Xvfb on a free display; returns (process, display)."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x1024x24",
         "-nolisten", "tcp", "-noreset"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    number = b""
    deadline = time.monotonic() + WAIT_SECONDS
    while not number.endswith(b"\n"):
        left = deadline - time.monotonic()
        ready, _, _ = select.select([read_end], [], [], max(left, 0))
        chunk = os.read(read_end, 16) if ready else b""
        if not chunk:
            os.close(read_end)
            stop(proc)
            raise Failure("Xvfb did not start")
        number += chunk
    os.close(read_end)
    return proc, ":" + number.decode().strip()


def stop(proc):
    if proc and proc.poll() is None:
        proc.kill()
        proc.wait(timeout=WAIT_SECONDS)


def xdotool(env, *args):
    done = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                          timeout=WAIT_SECONDS)
    return done.returncode, done.stdout


def wait_for_window(env, program, title=TITLE):
    """Polls for a visible window with this title; returns its id."""
    pattern = "^" + re.escape(title) + "$"
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        if program.poll() is not None:
            raise Failure(f"codexel ended with {program.returncode} before its page opened")
        status, out = xdotool(env, "search", "--onlyvisible", "--name", pattern)
        if status == 0 and out.split():
            return out.split()[0]
        time.sleep(0.1)
    raise Failure("no window titled " + title)


def geometry(env, window):
    _, out = xdotool(env, "getwindowgeometry", "--shell", window)
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def click_button(env, window, index_from_right):
    """Clicks a button of the row: 0 Finish, 1 Next, 2 Back, 3 Cancel."""
    x, y, width, height = geometry(env, window)
    left = x + width - MARGIN - BUTTON_W - index_from_right * (BUTTON_W + GAP)
    top = y + height - MARGIN - BUTTON_H
    xdotool(env, "mousemove", "--sync", str(left + BUTTON_W // 2), str(top + BUTTON_H // 2))
    xdotool(env, "click", "1")


def press(key):
    def act(env, window):
        xdotool(env, "windowfocus", "--sync", window)
        xdotool(env, "key", key)
    return act


def receive_all(sock):
    messages = []
    while True:
        try:
            messages.append(sock.recv(256).decode())
        except BlockingIOError:
            return messages


def run_case(codexel, display, number, name, act, expected_status):
    caller_id = os.getpid() * 10 + number
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    work = tempfile.mkdtemp(prefix="codexel-binary-")
    log_dir = tempfile.mkdtemp(prefix="codexel-log-")
    sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
    sock.bind(f"\0quillwork-{caller_id}")
    sock.setblocking(False)
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
        window = wait_for_window(env, program)
        _, shown = xdotool(env, "getwindowname", window)
        if shown.strip() != TITLE:
            raise Failure(f"title {shown.strip()!r}")
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
        messages = receive_all(sock)
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
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb")
    work = tempfile.mkdtemp(prefix="codexel-binary-")
    args = [arg.replace("{work}", work) for arg in args]
    program = subprocess.Popen([codexel, *args], env=env, stdout=subprocess.DEVNULL,
                               stderr=subprocess.DEVNULL)
    try:
        box = wait_for_window(env, program, HOST_TITLE)
        press("Return")(env, box)
        if expected_status == 2:
            press("Escape")(env, wait_for_window(env, program))
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
        ("finish button", lambda env, w: click_button(env, w, 0), 0),
        ("escape cancels", press("Escape"), 2),
        ("cancel button", lambda env, w: click_button(env, w, 3), 2),
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
