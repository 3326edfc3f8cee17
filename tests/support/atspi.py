"""An assistive technology's hold on the real program: the accessibility bus
of a private D-Bus session, and the accessible objects of a running program
found by name and operated through their actions, as a screen reader or
voice control does. Calls go through gdbus; standard library only.

The session bus must be the caller's own (run the test under
dbus-run-session); start() then launches the accessibility bus on it.
"""

import os
import re
import subprocess
import time

WAIT_SECONDS = 20
LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
ROOT = "/org/a11y/atspi/accessible/root"
# Qt speaks to the bus only when asked: it starts no bus of its own.
PROGRAM_ENV = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}


from xdriver import Failure  # noqa: E402  (one failure type for every binary test)


def gdbus(address, dest, path, method, *args):
    done = subprocess.run(["gdbus", "call", "--address", address, "--dest", dest,
                           "--object-path", path, "--method", method, "--", *args],
                          capture_output=True, text=True, timeout=WAIT_SECONDS)
    if done.returncode != 0:
        raise Failure(f"{method} on {path}: {done.stderr.strip()}")
    return done.stdout.strip()


def start(env):
    """Launches the accessibility bus for the display in `env`; returns the
    launcher (stop it with stop()) and the bus address."""
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        done = subprocess.run(["gdbus", "call", "--session", "--dest", "org.a11y.Bus",
                               "--object-path", "/org/a11y/bus",
                               "--method", "org.a11y.Bus.GetAddress"],
                              env=env, capture_output=True, text=True, timeout=WAIT_SECONDS)
        found = re.match(r"\('(.*)',\)", done.stdout.strip())
        if done.returncode == 0 and found:
            return launcher, found.group(1)
        time.sleep(0.1)
    stop(launcher)
    raise Failure("the accessibility bus did not start")


def stop(launcher):
    if launcher and launcher.poll() is None:
        launcher.terminate()
        launcher.wait(timeout=WAIT_SECONDS)


class Accessible:
    """One object of a program on the accessibility bus."""

    def __init__(self, address, bus, path):
        self.address, self.bus, self.path = address, bus, path

    def call(self, method, *args):
        return gdbus(self.address, self.bus, self.path, method, *args)

    def name(self):
        out = self.call("org.freedesktop.DBus.Properties.Get", "org.a11y.atspi.Accessible",
                        "Name")
        found = re.match(r"\(<'(.*)'>,\)", out)
        return found.group(1) if found else ""

    def children(self):
        out = self.call("org.a11y.atspi.Accessible.GetChildren")
        return [Accessible(self.address, bus, path)
                for bus, path in re.findall(r"\('([^']*)', (?:objectpath )?'([^']*)'\)", out)]

    def role(self):
        found = re.match(r"\('(.*)',\)", self.call("org.a11y.atspi.Accessible.GetRoleName"))
        return found.group(1) if found else ""

    def find(self, name, role=None):
        """The first object named `name` (with this role name, if given, such
        as "text" for a field beside a label of the same name) below this
        one, breadth first."""
        queue = self.children()
        while queue:
            item = queue.pop(0)
            if item.name() == name and (role is None or item.role() == role):
                return item
            queue.extend(item.children())
        raise Failure(f"no accessible object named {name!r}")

    def act(self, action):
        """Runs the action the object offers under this name ("Toggle", "Press")."""
        out = self.call("org.a11y.atspi.Action.GetActions")
        names = re.findall(r"\('([^']*)', '[^']*', '[^']*'\)", out)
        if action not in names:
            raise Failure(f"{self.name()!r} offers {names}, not {action!r}")
        self.call("org.a11y.atspi.Action.DoAction", str(names.index(action)))

    def set_text(self, text):
        self.call("org.a11y.atspi.EditableText.SetTextContents", text)

    def text(self):
        out = self.call("org.a11y.atspi.Text.GetText", "0", "-1")
        found = re.match(r"\('(.*)',\)", out)
        return found.group(1) if found else ""


def window(address, title_start):
    """The program's window whose accessible name starts with `title_start`;
    waits for the program to register it."""
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        registry = Accessible(address, "org.a11y.atspi.Registry", ROOT)
        for program in registry.children():
            try:
                for top in program.children():
                    if top.name().startswith(title_start):
                        return top
            except Failure:
                pass  # a program that ended meanwhile
        time.sleep(0.1)
    raise Failure(f"no window {title_start!r} on the accessibility bus")
