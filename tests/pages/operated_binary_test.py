#!/usr/bin/env python3
"""The real program on a virtual X server operated other than by plain
clicks: the accessibility Toggle action over the accessibility bus; a press
on "Cancel" released off it with a typed value pending; a display that cannot
be reached; a page's or a box's window destroyed by another X client.

Usage (its own session bus): dbus-run-session -- operated_binary_test.py CODEXEL
"""

import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
import atspi  # noqa: E402
from xdriver import (BUTTON_H, BUTTON_W, CANCEL, FINISH, GAP, MARGIN, NEXT,  # noqa: E402
                     WizardRun, check, geometry, page_title, run_binary_test, x_env, xdotool)

NEW = ["-n", "{work}/rs.tdf"]
BITS_BOX = "Invalid number of bits per symbol."


def to_page(run, number):
    run.page()
    for _ in range(number - 1):
        run.click(NEXT)
        run.page()


def toggles_through_accessibility(codexel, display):
    launcher, address = atspi.start(x_env(display))
    run = WizardRun(codexel, display, NEW, notify=False, env=atspi.PROGRAM_ENV)
    try:
        to_page(run, 1)
        page = atspi.window(address, page_title(1, 5))
        for name in ("Decoder", "Erasure-supporting", "Streaming", "Half - Smaller"):
            page.find(name).act("Toggle")
        run.click(NEXT)
        to_page(run, 2)
        page = atspi.window(address, page_title(3, 5))
        page.find("Generate Vector File").act("Toggle")
        page.find("Enter max frequency:", "text").call("EditableText.SetTextContents", "100")
        page.find("Megabits/second").act("Toggle")
        result = page.find("Throughput", "text").value("Text.GetText", "0", "-1")
        check(result.endswith(" Mbit/s"), f"the result reads {result!r}")
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        with open(run.path("rs.cnx")) as block:
            check("\nMODULE: rs_eras_str\n" in block.read(), "another module written")
        check(run.files() == ["inv_4_19.hex", "rs.cnx"], f"files written: {run.files()}")
    finally:
        run.close()
        atspi.stop(launcher)


def cancel_pressed_and_slid_off(codexel, display):
    run = WizardRun(codexel, display, NEW, notify=False)
    try:
        to_page(run, 2)  # the focus is in the bits field
        run.keys("ctrl+a")
        run.type("12")
        x, y, width, height = geometry(run.env, run.window)
        left = str(x + width - MARGIN - CANCEL * (BUTTON_W + GAP) - BUTTON_W // 2)
        top = y + height - MARGIN - BUTTON_H // 2
        xdotool(run.env, "mousemove", left, str(top), "mousedown", "1",
                "mousemove", left, str(top - 60), "mouseup", "1")
        shown = run.answer_box(BITS_BOX)
        check("too large" in shown and shown.endswith("reset to 8"), f"box says {shown!r}")
        run.click(NEXT)
        run.page()
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        with open(run.path("rs.cnx")) as block:
            check('\nCONSTANT: m NUMERIC "8"\n' in block.read(), "the file does not record m 8")
    finally:
        run.close()


def unreachable_display(codexel, display):
    free = next(n for n in range(90, 400) if not os.path.exists(f"/tmp/.X11-unix/X{n}")
                and not os.path.exists(f"/tmp/.X{n}-lock"))
    env = {k: v for k, v in os.environ.items() if k not in ("QT_QPA_PLATFORM", "WAYLAND_DISPLAY")}
    with tempfile.TemporaryDirectory() as work:
        start = time.monotonic()
        done = subprocess.run([codexel, "-n", f"{work}/a.tdf"], env=dict(env, DISPLAY=f":{free}"),
                              capture_output=True, text=True, timeout=20)
        check((done.returncode, done.stderr, os.listdir(work)) ==
              (1, f"codexel: the display cannot be reached (DISPLAY=:{free})\n", []),
              f"status {done.returncode}, said {done.stderr!r}, wrote {os.listdir(work)}")
        check(time.monotonic() - start < 1.0, "took a second or more")


def destroyed(window_of):
    """Another client destroys a window: within a second the run ends as
    Cancel does, with status 2 and the old file deleted."""
    def case(codexel, display):
        run = WizardRun(codexel, display, NEW, notify=False)
        try:
            with open(run.path("rs.cnx"), "w") as old:
                old.write("MODULE: old variation\n")
            window = window_of(run)
            start = time.monotonic()
            xdotool(run.env, "windowclose", window)
            status = run.program.wait(timeout=5)
            check(time.monotonic() - start < 1.0, "took a second or more")
            check((status, run.files()) == (2, []), f"status {status}, files {run.files()}")
        finally:
            run.close()
    return case


def a_box(run):
    to_page(run, 2)
    run.type("12")
    run.keys("Tab")
    return run.box(BITS_BOX)


CASES = [
    ("accessible Toggle actions", toggles_through_accessibility),
    ("cancel pressed and slid off", cancel_pressed_and_slid_off),
    ("unreachable display", unreachable_display),
    ("page window destroyed", destroyed(lambda run: run.page())),
    ("message box window destroyed", destroyed(a_box)),
]

if __name__ == "__main__":
    sys.exit(run_binary_test(__doc__, CASES, tools=("Xvfb", "xdotool", "xclip", "gdbus",
                                                    atspi.LAUNCHER)))
