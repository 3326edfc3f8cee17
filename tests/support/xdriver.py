"""Drives the real codexel program on a virtual X server, as the plug-in
manager and a user would: Xvfb, xdotool for keys and clicks, xwd for the
pixels of a window, and the caller's notification socket.

Used by the binary tests and by the screenshot script; standard library only.
"""

import os
import re
import select
import shutil
import socket
import struct
import subprocess
import sys
import tempfile
import time
import zlib

WAIT_SECONDS = 20
HOST_TITLE = "Quillwork Plug-In Manager"
TITLE_START = "Quillwork Plug-In Manager - CODEXEL V1.00"
# The navigation row: buttons from the right, 0 Finish, 1 Next, 2 Back, 3 Cancel.
BUTTON_W, BUTTON_H, GAP, MARGIN = 56, 20, 3, 10
FINISH, NEXT, BACK, CANCEL = 0, 1, 2, 3


class Failure(Exception):
    pass


def page_title(number, total, caption=""):
    title = f"{TITLE_START} [page {number} of {total}]"
    return title + (f" -- {caption}" if caption else "")


def start_xvfb(size="1280x1024x24"):
    """Starts Xvfb on a free display; returns (process, display)."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", size,
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


def x_env(display, **extra):
    return dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", **extra)


def xdotool(env, *args):
    done = subprocess.run(["xdotool", *args], env=env, capture_output=True, text=True,
                          timeout=WAIT_SECONDS)
    return done.returncode, done.stdout


def wait_for_window(env, program, title, exact=True, other_than=None):
    """Polls for a visible window whose name is `title` (or starts with it
    when not exact) and that is not `other_than`; returns its id."""
    pattern = "^" + re.escape(title) + ("$" if exact else "")
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        if program is not None and program.poll() is not None:
            raise Failure(f"codexel ended with {program.returncode} while a window "
                          f"titled {title!r} was awaited")
        status, out = xdotool(env, "search", "--onlyvisible", "--name", pattern)
        ids = [w for w in out.split() if w != other_than] if status == 0 else []
        if ids:
            return ids[0]
        time.sleep(0.05)
    raise Failure("no window titled " + title)


def window_name(env, window):
    _, out = xdotool(env, "getwindowname", window)
    return out.strip()


def geometry(env, window):
    """(x, y, width, height) of the window's client area on the screen."""
    _, out = xdotool(env, "getwindowgeometry", "--shell", window)
    values = dict(line.split("=", 1) for line in out.split() if "=" in line)
    return tuple(int(values[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))


def click_at(env, x, y):
    # One command, so the click follows the move; "--sync" would wait for a
    # movement that never comes when the pointer is already there.
    xdotool(env, "mousemove", str(x), str(y), "click", "1")


def click_in(env, window, x, y):
    """Clicks the point (x, y) of the window's client area."""
    wx, wy, _, _ = geometry(env, window)
    click_at(env, wx + x, wy + y)


def click_button(env, window, index_from_right):
    """Clicks a button of the navigation row (FINISH, NEXT, BACK, CANCEL)."""
    x, y, width, height = geometry(env, window)
    left = x + width - MARGIN - BUTTON_W - index_from_right * (BUTTON_W + GAP)
    top = y + height - MARGIN - BUTTON_H
    click_at(env, left + BUTTON_W // 2, top + BUTTON_H // 2)


def key(env, window, *keys):
    xdotool(env, "windowfocus", "--sync", window)
    xdotool(env, "key", "--delay", "30", *keys)


def type_text(env, window, text):
    xdotool(env, "windowfocus", "--sync", window)
    xdotool(env, "type", "--delay", "30", "--", text)


def press(*keys):
    """An action that presses keys on the window."""
    def act(env, window):
        key(env, window, *keys)
    return act


def wait_closed(env, window, timeout=WAIT_SECONDS):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        status, out = xdotool(env, "search", "--onlyvisible", "--name", ".")
        if window not in out.split():
            return
        time.sleep(0.05)
    raise Failure(f"window {window} did not close")


def clipboard(env):
    done = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=env,
                          capture_output=True, text=True, timeout=WAIT_SECONDS)
    return done.stdout


# ---- The caller's end of the notifications ----

class CallerSocket:
    """The abstract datagram socket "quillwork-<id>" the wizard posts to."""

    def __init__(self, caller_id):
        self.caller_id = caller_id
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_DGRAM)
        self.sock.bind(f"\0quillwork-{caller_id}")
        self.sock.setblocking(False)

    def receive_all(self):
        messages = []
        while True:
            try:
                messages.append(self.sock.recv(256).decode())
            except BlockingIOError:
                return messages

    def close(self):
        self.sock.close()


# ---- Pixels ----

class Picture:
    """Pixels as rows of (red, green, blue) tuples."""

    def __init__(self, width, height, rows):
        self.width, self.height, self.rows = width, height, rows

    def pixel(self, x, y):
        return self.rows[y][x]

    def crop(self, x, y, width, height):
        return Picture(width, height, [row[x:x + width] for row in self.rows[y:y + height]])

    def png(self):
        raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in self.rows)

        def chunk(kind, data):
            return (struct.pack(">I", len(data)) + kind + data +
                    struct.pack(">I", zlib.crc32(kind + data) & 0xffffffff))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def capture(env, window):
    """The window's client area as xwd reads it from the X server."""
    data = subprocess.run(["xwd", "-silent", "-id", window], env=env, capture_output=True,
                          check=True, timeout=WAIT_SECONDS).stdout
    # XWD file header: 25 big-endian 32-bit fields, then the window name.
    fields = struct.unpack(">25I", data[:100])
    header_size, depth = fields[0], fields[3]
    width, height = fields[4], fields[5]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14], fields[15], fields[16]
    colours = fields[19]
    if bits_per_pixel != 32 or depth < 24:
        raise Failure(f"xwd gave {bits_per_pixel} bits per pixel at depth {depth}")
    offset = header_size + 12 * colours
    fmt = "<I" if byte_order == 0 else ">I"

    def channel(value, mask):
        shift = (mask & -mask).bit_length() - 1
        return (value & mask) >> shift

    rows = []
    for y in range(height):
        start = offset + y * bytes_per_line
        row = []
        for x in range(width):
            (value,) = struct.unpack_from(fmt, data, start + 4 * x)
            row.append((channel(value, red_mask), channel(value, green_mask),
                        channel(value, blue_mask)))
        rows.append(row)
    return Picture(width, height, rows)


# ---- A wizard run ----

class WizardRun:
    """One run of the codexel program on a display, with the caller's socket
    and a fresh working directory for the design."""

    counter = 0

    def __init__(self, codexel, display, args, notify=True, work=None, env=None):
        WizardRun.counter += 1
        self.env = x_env(display, **(env or {}))
        # A directory given is the caller's to remove.
        self.own_work = work is None
        self.work = tempfile.mkdtemp(prefix="codexel-run-") if work is None else work
        self.caller_id = os.getpid() * 100 + WizardRun.counter
        self.sock = CallerSocket(self.caller_id) if notify else None
        self.log = tempfile.TemporaryFile(mode="w+")
        args = [a.replace("{work}", self.work).replace("{id}", str(self.caller_id))
                for a in args]
        self.program = subprocess.Popen([codexel, *args], env=self.env, stdout=self.log,
                                        stderr=subprocess.STDOUT)
        self.window = None

    def path(self, name):
        return os.path.join(self.work, name)

    def files(self):
        return sorted(os.listdir(self.work))

    def page(self, title=TITLE_START, exact=False):
        """Waits for the next page (a window other than the last one)."""
        self.window = wait_for_window(self.env, self.program, title, exact=exact,
                                      other_than=self.window)
        return self.window

    def box(self, title=HOST_TITLE):
        """Waits for a message box; returns its id (the page stays current)."""
        return wait_for_window(self.env, self.program, title)

    def answer_box(self, title):
        """Waits for the box titled `title`, copies its text (Ctrl+C), closes
        it with Enter and returns the text."""
        box = self.box(title)
        key(self.env, box, "ctrl+c")
        copied = clipboard(self.env)
        key(self.env, box, "Return")
        rule = "---------------------------\n"
        parts = copied.split(rule)
        if len(parts) != 5 or parts[1] != title + "\n":
            raise Failure(f"box {title!r} copied as {copied!r}")
        return parts[2][:-1]

    def copy_field(self):
        """The text of the focused field, as Ctrl+A, Ctrl+C copy it."""
        self.keys("ctrl+a", "ctrl+c")
        return clipboard(self.env)

    def type(self, text):
        type_text(self.env, self.window, text)

    def title(self):
        return window_name(self.env, self.window)

    def corner(self):
        x, y, width, height = geometry(self.env, self.window)
        return x + width, y + height

    def click(self, index_from_right):
        click_button(self.env, self.window, index_from_right)

    def keys(self, *names):
        key(self.env, self.window, *names)

    def picture(self):
        return capture(self.env, self.window)

    def settled_picture(self, box, equals=None, differs_from=None):
        """The pixels in `box` (x, y, width, height) once the window is
        painted: the same picture twice in a row, not of one colour, and,
        when given, equal to `equals` or other than `differs_from`. A window
        that has just been mapped or changed may not be painted yet, the
        later the more loaded the machine; this waits at most WAIT_SECONDS
        and then returns the last picture, for the caller's check to fail."""
        deadline = time.monotonic() + WAIT_SECONDS
        last = None
        while True:
            picture = self.picture().crop(*box)
            wanted = ((equals is None or picture.rows == equals.rows) and
                      (differs_from is None or picture.rows != differs_from.rows) and
                      len({pixel for row in picture.rows for pixel in row}) > 1)
            if wanted and last is not None and picture.rows == last.rows:
                return picture
            if time.monotonic() > deadline:
                return picture
            last = picture
            time.sleep(0.05)

    def wait(self):
        return self.program.wait(timeout=WAIT_SECONDS)

    def notifications(self):
        return self.sock.receive_all() if self.sock else []

    def output(self):
        self.log.seek(0)
        return self.log.read()

    def close(self):
        stop(self.program)
        if self.sock:
            self.sock.close()
        self.log.close()
        if self.own_work:
            shutil.rmtree(self.work, ignore_errors=True)


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---- Running a binary test ----

def run_binary_test(doc, cases, programs=1, tools=("Xvfb", "xdotool")):
    """The main of a binary test: the programs' paths from the command line,
    the tools checked, one Xvfb for every case. Each case is (name, function)
    and is called with the programs' paths and the display; it fails by
    raising Failure (or timing out). Prints each verdict and the closing
    count; returns the exit status."""
    if len(sys.argv) != programs + 1:
        print(doc)
        return 2
    for tool in tools:
        if not shutil.which(tool):
            print(f"FAIL {tool} is not installed (scripts/install-deps installs it)")
            return 1
    results = []
    xvfb, display = start_xvfb()
    try:
        for name, case in cases:
            try:
                case(*sys.argv[1:], display)
                print(f"ok   {name}")
                results.append(True)
            except (Failure, subprocess.TimeoutExpired, OSError) as error:
                print(f"FAIL {name}: {error}")
                results.append(False)
    finally:
        stop(xvfb)
    passed = sum(results)
    print(f"{passed} passed, {len(results) - passed} failed")
    return 0 if all(results) else 1
