#!/usr/bin/env python3
"""The installed wizard, started through its link in usr/bin on a virtual X
server, finds the help beside the real program: F1 on the first page opens
the help window at that page's section (no box of a missing or unreadable
help file), Escape closes it, and Escape on the page then cancels.

Usage: installed_help.py ROOT/usr/bin/codexel
"""

import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "support"))
from xdriver import (WizardRun, check, key, run_binary_test, wait_closed,  # noqa: E402
                     wait_for_window)


def f1_through_the_link(codexel, display):
    check(os.path.islink(codexel), f"{codexel} is no symbolic link")
    run = WizardRun(codexel, display, ["-n", "{work}/rs.v"], notify=False)
    try:
        run.page()
        run.keys("F1")
        help_window = wait_for_window(run.env, run.program, "Codexel V1.00 Help -- Device type")
        key(run.env, help_window, "Escape")
        wait_closed(run.env, help_window)
        run.keys("Escape")
        check(run.wait() == 2, f"Escape on the page ended with {run.program.returncode}")
    finally:
        run.close()


if __name__ == "__main__":
    sys.exit(run_binary_test(__doc__, [("F1 through the link in usr/bin", f1_through_the_link)]))
