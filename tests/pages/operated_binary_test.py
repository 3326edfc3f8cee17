#!/usr/bin/env python3
"""The real program on a virtual X server, operated the ways other than a
plain click: the accessibility Toggle action of the device type and extra
files pages, as an assistive technology runs it over the accessibility bus;
a press on "Cancel" released off the button with a typed value pending; a
display that cannot be reached; a page's or a message box's window destroyed
by another X client.

Run under dbus-run-session, which gives the test its own session bus.

Usage: operated_binary_test.py PATH_TO_CODEXEL
"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import atspi  # noqa: E402
from xdriver import (CANCEL, FINISH, NEXT, WizardRun, check, geometry,  # noqa: E402
                     page_title, x_env, xdotool, BUTTON_W, BUTTON_H, GAP, MARGIN)

PAGES = 5
NEW = ["-n", "{work}/rs.tdf"]


def read(path):
    with open(path) as f:
        return f.read()


def constant(block, name):
    for line in block.splitlines():
        if line.startswith(f"CONSTANT: {name} NUMERIC "):
            return line.split('"')[1]
    raise atspi.Failure(f"no CONSTANT {name}")


def toggles_through_accessibility(codexel, display):
    launcher, address = atspi.start(x_env(display))
    run = WizardRun(codexel, display, NEW, notify=False, env=atspi.PROGRAM_ENV)
    try:
        run.page()
        page = atspi.window(address, page_title(1, PAGES))
        for name in ("Decoder", "Erasure-supporting", "Streaming", "Half - Smaller"):
            page.find(name).act("Toggle")
        run.click(NEXT)
        run.page()
        run.click(NEXT)
        run.page()
        page = atspi.window(address, page_title(3, PAGES))
        page.find("Generate Vector File").act("Toggle")
        page.find("Enter max frequency:", role="text").set_text("100")
        page.find("Megabits/second").act("Toggle")
        result = page.find("Throughput", role="text").text()
        check(result.endswith(" Mbit/s"), f"the result reads {result!r}")
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        block = read(run.path("rs.cnx"))
        check("\nMODULE: rs_eras_str\n" in block, "the file names another module")
        check("rs.vec" not in run.files(), f"files written: {run.files()}")
    finally:
        run.close()
        atspi.stop(launcher)


def cancel_pressed_and_slid_off(codexel, display):
    run = WizardRun(codexel, display, NEW, notify=False)
    try:
        run.page()
        run.click(NEXT)
        run.page()  # the focus is in the bits field
        run.keys("ctrl+a")
        run.type("12")
        x, y, width, height = geometry(run.env, run.window)
        left = x + width - MARGIN - BUTTON_W - CANCEL * (BUTTON_W + GAP) + BUTTON_W // 2
        top = y + height - MARGIN - BUTTON_H // 2
        xdotool(run.env, "mousemove", str(left), str(top), "mousedown", "1",
                "mousemove", str(left), str(top - 60), "mouseup", "1")
        shown = run.answer_box("Invalid number of bits per symbol.")
        check("too large" in shown and shown.endswith("reset to 8"), f"box says {shown!r}")
        run.click(NEXT)
        run.page()
        check(run.title().startswith(page_title(3, PAGES)), f"title {run.title()!r}")
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        check(constant(read(run.path("rs.cnx")), "m") == "8", "the file does not record m 8")
    finally:
        run.close()


def unreachable_display(codexel, display):
    number = next(n for n in range(90, 400) if not os.path.exists(f"/tmp/.X11-unix/X{n}")
                  and not os.path.exists(f"/tmp/.X{n}-lock"))
    env = dict(os.environ, DISPLAY=f":{number}")
    env.pop("QT_QPA_PLATFORM", None)
    env.pop("WAYLAND_DISPLAY", None)
    with tempfile.TemporaryDirectory() as work:
        start = time.monotonic()
        done = subprocess.run([codexel, "-n", os.path.join(work, "a.tdf")], env=env,
                              capture_output=True, text=True, timeout=20)
        took = time.monotonic() - start
        check(done.returncode == 1, f"exit status {done.returncode}")
        check(done.stderr == f"codexel: the display cannot be reached (DISPLAY=:{number})\n",
              f"standard error {done.stderr!r}")
        check(took < 1.0, f"took {took:.2f} s")
        check(os.listdir(work) == [], f"files written: {os.listdir(work)}")


def destroyed(window_of):
    """Another client destroys the window `window_of(run)` names; the run
    ends as Cancel does, within a second: status 2, the old file deleted."""
    def case(codexel, display):
        run = WizardRun(codexel, display, NEW, notify=False)
        try:
            with open(run.path("rs.cnx"), "w") as old:
                old.write("MODULE: old variation\n")
            window = window_of(run)
            time.sleep(0.2)
            start = time.monotonic()
            xdotool(run.env, "windowclose", window)
            status = run.program.wait(timeout=5)
            took = time.monotonic() - start
            check(status == 2, f"exit status {status}")
            check(took < 1.0, f"took {took:.2f} s")
            check(run.files() == [], f"files left: {run.files()}")
        finally:
            run.close()
    return case


def a_page(run):
    return run.page()


def a_box(run):
    run.page()
    run.click(NEXT)
    run.page()
    run.keys("ctrl+a")
    run.type("12")
    run.keys("Tab")
    return run.box("Invalid number of bits per symbol.")


CASES = [
    ("accessible Toggle actions", toggles_through_accessibility),
    ("cancel pressed and slid off", cancel_pressed_and_slid_off),
    ("unreachable display", unreachable_display),
    ("page window destroyed", destroyed(a_page)),
    ("message box window destroyed", destroyed(a_box)),
]


if __name__ == "__main__":
    from xdriver import run_binary_test
    sys.exit(run_binary_test(__doc__, CASES, programs=1,
                             tools=("Xvfb", "xdotool", "xclip", "gdbus", atspi.LAUNCHER)))
