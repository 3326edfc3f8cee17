#!/usr/bin/env python3
"""Runs the codexel program on a virtual X server and drives it with xdotool,
as the plug-in manager and a user would: the first page's title, Finish,
Escape and Cancel with the files they leave and the notifications they post;
Enter through every page; "Decoder" chosen on the device type page with the
preview changing, then Next to the Summary page and Finish, against the bytes
codexel-gen writes for the same choices; typed values on the RS parameters
page with their boxes (read with Ctrl+C) and the values the file records;
Enter leaving that page with a typed value; the typical run ("Decoder",
"DVB Standard", Next to the Summary page, Finish) against codexel-gen, then
the same design edited, every page showing the recorded choices and Finish
writing the same bytes; a new Verilog design finished with the core written
as its design file, against codexel-gen --hdl and simulated in Icarus Verilog
with its own vector file; and the message boxes of a refused start and of an
unknown option.

Usage: binary_test.py PATH_TO_CODEXEL PATH_TO_CODEXEL_GEN
"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xdriver import (CANCEL, FINISH, NEXT, WAIT_SECONDS, WizardRun, check,  # noqa: E402
                     page_title, run_binary_test)

PAGES = 5  # device type, RS parameters, extra files, order codes, Summary
NEW_ARGS = ["-n", "-h{id}", "-symbol", "{work}/rs.tdf"]


def read(path, mode="r"):
    with open(path, mode) as f:
        return f.read()


def ends_with(run, act, status, files, notices):
    """Starts a new variation over an old .cnx, acts on page 1 and checks the
    exit status, the files left and the number of notifications."""
    run = WizardRun(*run, NEW_ARGS)
    try:
        with open(run.path("rs.cnx"), "w") as old:
            old.write("MODULE: old variation\n")
        run.page()
        check(run.title() == page_title(1, PAGES), f"title {run.title()!r}")
        corner = act(run)
        check(run.wait() == status, f"exit status {run.program.returncode}, expected {status}")
        check(run.files() == files, f"files left: {run.files()}")
        if status == 0:
            block = read(run.path("rs.cnx"))
            check(block.startswith("GENERATION: STANDARD\nVERSION: WM1.0\nMODULE: RS_Enc\n\n"),
                  "the wizard information file holds something else")
            check("\nSYMBOL: BOX " in block, "no symbol lines")
        sent = run.notifications()
        check(len(sent) == notices and sent[-1] == "1034 %d %d" % corner,
              f"notifications {sent}, last page's corner {corner}")
    finally:
        run.close()


def click_on_first_page(button):
    def act(run):
        corner = run.corner()
        run.click(button)
        return corner
    return act


def escape(run):
    corner = run.corner()
    run.keys("Escape")
    return corner


def enter_through_every_page(run):
    """Enter leaves a page the way it was last left (Next) without a
    notification; on the Summary page it is Next, which finishes."""
    for number in range(1, PAGES + 1):
        if number > 1:
            run.page()
        check(run.title().startswith(page_title(number, PAGES)), f"title {run.title()!r}")
        corner = run.corner()
        run.keys("Return")
    return corner


def decoder_to_summary_and_finish(codexel, gen, display):
    run = WizardRun(codexel, display, NEW_ARGS)
    try:
        run.page()
        before = run.settled_picture((0, 0, 150, 288))
        run.keys("Down")  # from "Encoder" to "Decoder"
        after = run.settled_picture((0, 0, 150, 288), differs_from=before)
        check(before.rows != after.rows, "the preview did not change")
        for number in range(2, PAGES + 1):
            run.click(NEXT)
            run.page()
            check(run.title().startswith(page_title(number, PAGES)), f"title {run.title()!r}")
        check(run.title().endswith(" -- Summary"), f"last page {run.title()!r}")
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        check(len(run.notifications()) == PAGES, "one notification per page left")
        written = {name: read(run.path(name), "rb") for name in run.files()}
        check(sorted(written) == ["inv_4_19.hex", "rs.cnx", "rs.vec"], f"files {sorted(written)}")
        check(b"\nMODULE: rs_std_dsc\n" in written["rs.cnx"], "module")
        # codexel-gen for the same path, measuring on the same display.
        for name in written:
            os.remove(run.path(name))
        done = subprocess.run([gen, "--decoder", run.path("rs.tdf")], env=run.env,
                              capture_output=True, timeout=WAIT_SECONDS)
        check(done.returncode == 0, f"codexel-gen: {done.stderr!r}")
        for name, data in written.items():
            check(read(run.path(name), "rb") == data, f"{name} differs from codexel-gen's")
    finally:
        run.close()


N_RANGE = ("It must be between (the highest of 5 and the number of check symbols) and "
           "((2^number of bits per symbol) -1)\n")
R_RANGE = ("It must be between 4 and (the lowest of 50 and the number of symbols per "
           "codeword).\n")
G_RANGE = ("It must be between 0 and ((2^number of bits per symbol) - 1 - number of check "
           "symbols per codeword).\n")
# Typed into the fields from the top with Tab after each: the box each brings.
TYPED = [
    ("9", "Invalid number of bits per symbol.",
     "The value you have entered is too large.\nIt must be between 4 and 8.\n"
     "The value has been reset to 8"),
    ("300", "Invalid number of symbols per codeword",
     "The value you have entered is too large.\n" + N_RANGE + "The value has been reset to 255."),
    ("60", "Invalid number of check symbols per codeword",
     "The value you have entered is too large.\n" + R_RANGE + "The value has been reset to 50."),
    ("300", "Invalid field polynomial value",
     "The field polynomial you have entered is illegal.\nIt must be a value available in the "
     "drop-box.\nThe value has been reset to 285."),
    ("-1", "Invalid first root of polynomial generator",
     "The value you have entered is too small.\n" + G_RANGE + "The value has been reset to 0."),
]


def constant(block, name, kind="CONSTANT"):
    for line in block.splitlines():
        if line.startswith(f"{kind}: {name} NUMERIC "):
            return line.split('"')[1]
    raise Failure(f"no {kind} {name}")


def on_parameters_page(codexel, display):
    """A new variation's run, on the RS parameters page with the focus in
    the bits field."""
    run = WizardRun(codexel, display, ["-n", "{work}/rs.tdf"], notify=False)
    try:
        run.page()
        run.click(NEXT)
        run.page()
        check(run.title().startswith(page_title(2, PAGES)), f"title {run.title()!r}")
    except BaseException:
        run.close()
        raise
    return run


def typed_values_with_their_boxes(codexel, gen, display):
    run = on_parameters_page(codexel, display)
    try:
        for typed, title, text in TYPED:  # the focus starts in the bits field
            run.keys("ctrl+a")
            run.type(typed)
            run.keys("Tab")
            shown = run.answer_box(title)
            check(shown == text, f"box {title!r} says {shown!r}")
        # What the fields show now, read from the bottom up.
        shown = []
        for _ in TYPED:
            run.keys("shift+Tab")
            shown.insert(0, run.copy_field())
        check(shown == ["8", "255", "50", "285", "0"], f"fields show {shown}")
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        block = read(run.path("rs.cnx"))
        written = [constant(block, "m"), constant(block, "n"), constant(block, "check"),
                   constant(block, "irrpol"), constant(block, "GENSTART_V", "PRIVATE")]
        check(written == shown, f"the file records {written}")
    finally:
        run.close()


def enter_keeps_a_typed_value(codexel, gen, display):
    run = on_parameters_page(codexel, display)
    try:
        run.keys("ctrl+a")
        run.type("6")
        run.keys("Return")  # leaves the page with the value, no box
        run.page()
        check(run.title().startswith(page_title(3, PAGES)), f"title {run.title()!r}")
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        block = read(run.path("rs.cnx"))
        check(constant(block, "m") == "6" and constant(block, "irrpol") == "67",
              "the file does not record m 6 with its field polynomial 67")
    finally:
        run.close()


PANEL = (0, 0, 200, 288)  # the left of the preview panel, on every RS page


def typical_run_then_edit(codexel, gen, display):
    """The Overview's typical run, the files against codexel-gen's, then the
    same design reopened: every page shows the recorded choices, and Finish
    without changes writes the same bytes again."""
    work = tempfile.mkdtemp(prefix="codexel-typical-")
    try:
        panels = []
        run = WizardRun(codexel, display, NEW_ARGS, work=work)
        try:
            run.page()
            check(run.title() == page_title(1, PAGES), f"title {run.title()!r}")
            run.keys("Down")  # "Decoder"
            run.click(NEXT)
            run.page()
            run.keys(*["Tab"] * 5, "space")  # "DVB Standard"
            for number in range(2, PAGES):
                panels.append(run.settled_picture(PANEL, equals=panels[0] if panels else None))
                check(panels[-1].rows == panels[0].rows, f"page {number} shows another symbol")
                corner = run.corner()
                run.click(NEXT)
                run.page()
                check(run.title().startswith(page_title(number + 1, PAGES)),
                      f"title {run.title()!r}")
            check(run.title().endswith(" -- Summary"), f"last page {run.title()!r}")
            run.click(FINISH)
            check(run.wait() == 0, f"exit status {run.program.returncode}")
            sent = run.notifications()
            check(sent == ["1034 %d %d" % corner] * PAGES,
                  f"notifications {sent}, one per page at {corner}")
        finally:
            run.close()
        files = sorted(os.listdir(work))
        check(files == ["inv_8_285.hex", "rs.cnx", "rs.vec"], f"files {files}")
        written = {name: read(os.path.join(work, name), "rb") for name in files}
        for name in files:
            os.remove(os.path.join(work, name))
        done = subprocess.run([gen, "--decoder", "--dvb", os.path.join(work, "rs.tdf")],
                              env=run.env, capture_output=True, timeout=WAIT_SECONDS)
        check(done.returncode == 0, f"codexel-gen: {done.stderr!r}")
        for name, data in written.items():
            check(read(os.path.join(work, name), "rb") == data,
                  f"{name} differs from codexel-gen's")

        run = WizardRun(codexel, display, ["-h{id}", "-symbol", "{work}/rs.tdf"], work=work)
        try:
            for number in range(1, PAGES):
                run.page()
                # Every RS page shows the symbol of the recorded choices.
                check(run.settled_picture(PANEL, equals=panels[0]).rows == panels[0].rows,
                      f"page {number} shows another symbol")
                if number == 2:  # the five fields, from the top
                    shown = []
                    for _ in range(5):
                        shown.append(run.copy_field())
                        run.keys("Tab")
                    check(shown == ["8", "204", "16", "285", "0"], f"fields show {shown}")
                if number == 3:  # the memory file's name
                    run.keys("Tab", "Tab")
                    name = run.copy_field()
                    check(name == os.path.join(work, "inv_8_285.hex"), f"memory file {name!r}")
                if number == 4:
                    check(run.copy_field() == "VXQR-RSDEC", "primary order code")
                run.click(NEXT)
            run.page()
            run.click(FINISH)
            check(run.wait() == 0, f"exit status {run.program.returncode}")
            check(len(run.notifications()) == PAGES, "one notification per page left")
        finally:
            run.close()
        for name, data in written.items():
            check(read(os.path.join(work, name), "rb") == data, f"{name} changed on Finish")
    finally:
        shutil.rmtree(work, ignore_errors=True)


def core_written_on_finish(codexel, gen, display):
    """A new Verilog design without a plug-in manager: Finish on the extra
    files page writes the core as the design file (the box starts on), the
    bytes codexel-gen --hdl writes for the variation, and the core passes its
    own vector file in Icarus Verilog."""
    run = WizardRun(codexel, display, ["-n", "{work}/rs.v"], notify=False)
    try:
        run.page()
        run.keys("Down")  # "Decoder"
        for number in (2, 3):
            run.click(NEXT)
            run.page()
            check(run.title().startswith(page_title(number, PAGES)), f"title {run.title()!r}")
        run.click(FINISH)
        check(run.wait() == 0, f"exit status {run.program.returncode}")
        files = run.files()
        check(files == ["inv_4_19.hex", "rs.cnx", "rs.v", "rs.vec"], f"files {files}")
        written = {name: read(run.path(name), "rb") for name in files}
        # The testbench from the variation's own vector file, made by
        # codexel-gen from the recorded variation (over its own design file).
        done = subprocess.run([gen, "--edit", "--hdl", "--testbench", run.path("rs.v")],
                              env=run.env, capture_output=True, timeout=WAIT_SECONDS)
        check(done.returncode == 0, f"codexel-gen: {done.stderr!r}")
        for name, data in written.items():
            check(read(run.path(name), "rb") == data, f"{name} differs from codexel-gen --hdl's")
        built = subprocess.run(["iverilog", "-g2005", "-o", run.path("sim"), run.path("rs.v"),
                                run.path("rs_tb.v")], capture_output=True, text=True, timeout=120)
        check(built.returncode == 0, f"iverilog: {built.stderr}")
        sim = subprocess.run(["vvp", "-n", run.path("sim")], capture_output=True, text=True,
                             timeout=120)
        verdict = sim.stdout.strip().splitlines()[-1:] or [""]
        check(verdict[0].startswith("PASS "), f"simulation: {sim.stdout[-300:]!r}")
    finally:
        run.close()


def boxes_then(status, args):
    """Answers the host's message box with Enter; a page that opens after it
    is cancelled with Escape."""
    def case(codexel, gen, display):
        run = WizardRun(codexel, display, args, notify=False)
        try:
            box = run.box()
            run.window = box
            run.keys("Return")
            if status == 2:
                run.page()
                run.keys("Escape")
            check(run.wait() == status, f"exit status {run.program.returncode}")
        finally:
            run.close()
    return case


def ending(act, status, files, notices):
    return lambda codexel, gen, display: ends_with((codexel, display), act, status, files,
                                                   notices)


CASES = [
    ("finish on the first page", ending(click_on_first_page(FINISH), 0, ["rs.cnx", "rs.vec"], 1)),
    ("cancel button", ending(click_on_first_page(CANCEL), 2, [], 1)),
    ("escape cancels", ending(escape, 2, [], 1)),
    ("enter through every page", ending(enter_through_every_page, 0, ["rs.cnx", "rs.vec"], 1)),
    ("decoder, next to the summary, finish", decoder_to_summary_and_finish),
    ("typed values with their boxes", typed_values_with_their_boxes),
    ("enter keeps a typed value", enter_keeps_a_typed_value),
    ("typical run, then the design edited", typical_run_then_edit),
    ("the core written on Finish, simulated", core_written_on_finish),
    ("no design file", boxes_then(1, [])),
    ("unknown option", boxes_then(2, ["-q", "-n", "{work}/rs.tdf"])),
]


if __name__ == "__main__":
    sys.exit(run_binary_test(__doc__, CASES, programs=2,
                             tools=("Xvfb", "xdotool", "xwd", "xclip", "iverilog", "vvp")))
