"""An assistive technology's hold on the real program: the accessibility bus
on the caller's own session bus (run under dbus-run-session), and a program's
objects found by name and operated through their actions, over gdbus."""

import os
import re
import signal
import subprocess
import time

from xdriver import WAIT_SECONDS, Failure

LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
PROGRAM_ENV = {"QT_LINUX_ACCESSIBILITY_ALWAYS_ON": "1"}  # Qt joins the bus without asking


def gdbus(target, path, method, *args):
    done = subprocess.run(["gdbus", "call", *target, "--object-path", path, "--method", method,
                           "--", *args], capture_output=True, text=True, timeout=WAIT_SECONDS)
    if done.returncode != 0:
        raise Failure(f"{method} on {path}: {done.stderr.strip()}")
    return done.stdout.strip()


def start(env):
    """Launches the accessibility bus for the display in `env`; returns the
    launcher (for stop) and the bus address."""
    launcher = subprocess.Popen([LAUNCHER, "--launch-immediately"], env=env,
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                                start_new_session=True)
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        try:
            return launcher, re.match(r"\('(.*)',\)", gdbus(
                ["--session", "--dest", "org.a11y.Bus"], "/org/a11y/bus",
                "org.a11y.Bus.GetAddress")).group(1)
        except Failure:
            time.sleep(0.1)
    stop(launcher)
    raise Failure("the accessibility bus did not start")


def stop(launcher):
    """Ends the launcher with the bus and registry it started, its group."""
    try:
        os.killpg(launcher.pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    launcher.wait(timeout=WAIT_SECONDS)


class Accessible:
    def __init__(self, address, bus, path):
        self.target, self.path = ["--address", address, "--dest", bus], path

    def call(self, method, *args):
        return gdbus(self.target, self.path, "org.a11y.atspi." + method, *args)

    def value(self, method, *args):
        return re.match(r"\(<?'(.*)'>?,\)", self.call(method, *args)).group(1)

    def name(self):
        return re.match(r"\(<'(.*)'>,\)", gdbus(
            self.target, self.path, "org.freedesktop.DBus.Properties.Get",
            "org.a11y.atspi.Accessible", "Name")).group(1)

    def children(self):
        return [Accessible(self.target[1], bus, path) for bus, path in re.findall(
            r"\('([^']*)', (?:objectpath )?'([^']*)'\)", self.call("Accessible.GetChildren"))]

    def find(self, name, role=None):
        """The first object below with this name (and role name: "text" for
        a field beside a label of the same name), breadth first."""
        queue = self.children()
        while queue:
            item = queue.pop(0)
            if item.name() == name and role in (None, item.value("Accessible.GetRoleName")):
                return item
            queue.extend(item.children())
        raise Failure(f"no accessible object named {name!r}")

    def act(self, action):
        names = re.findall(r"\('([^']*)', '[^']*', '[^']*'\)", self.call("Action.GetActions"))
        if action not in names:
            raise Failure(f"{self.name()!r} offers {names}, not {action!r}")
        self.call("Action.DoAction", str(names.index(action)))


def window(address, title_start):
    """The window whose name starts with `title_start`, once its program has
    shown it on the bus."""
    deadline = time.monotonic() + WAIT_SECONDS
    while time.monotonic() < deadline:
        for program in Accessible(address, "org.a11y.atspi.Registry",
                                  "/org/a11y/atspi/accessible/root").children():
            for top in program.children():
                if top.name().startswith(title_start):
                    return top
        time.sleep(0.1)
    raise Failure(f"no window {title_start!r} on the accessibility bus")
