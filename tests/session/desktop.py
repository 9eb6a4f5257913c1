"""What the native Wayland session tests drive and watch, in a headless GNOME session (mutter)
whose session bus is this process's (DBUS_SESSION_BUS_ADDRESS):

Desktop   a keyboard and a pointer, through mutter's remote desktop interface
          (org.gnome.Mutter.RemoteDesktop, the one GNOME's own remote desktop uses): keys and
          clicks reach the window under them as a person's do.
Program   Vellacor started with WAYLAND_DEBUG=client: its log says which of its windows exist
          (by title) and which has the keyboard; a liveness probe asks its user-interface
          thread a question through the accessibility bus (AT-SPI), which only that thread
          answers, and times the answer.

libwayland 1.23 and later write an object as wl_surface#N, earlier ones as wl_surface@N, and may
put the queue's name before the arrow; both are read.
"""
import os
import re
import subprocess
import time

from gi.repository import Gio, GLib

KEYSYMS = {
    "return": 0xFF0D, "escape": 0xFF1B, "tab": 0xFF09, "backspace": 0xFF08, "delete": 0xFFFF,
    "left": 0xFF51, "up": 0xFF52, "right": 0xFF53, "down": 0xFF54, "home": 0xFF50, "end": 0xFF57,
    "alt": 0xFFE9, "ctrl": 0xFFE3, "shift": 0xFFE1, "space": 0x20, "f4": 0xFFC1,
}
BUTTON_LEFT = 0x110  # evdev's BTN_LEFT
STEP = 30  # the longest pointer step within a window

OBJECT = r"(\w+)[@#](\d+)"
REQUEST = re.compile(r"->\s*" + OBJECT + r"\.(\w+)\((.*)\)\s*$")
EVENT = re.compile(r"^\[[^\]]*\]\s*(?:\{[^}]*\}\s*)?" + OBJECT + r"\.(\w+)\((.*)\)\s*$")
NEW_ID = re.compile(r"new id (?:\w+)[@#](\d+)")
SURFACE = re.compile(r"wl_surface[@#](\d+)")
HOLD = re.compile(r"vellacor\.frames: (held|gave up after) (\d+) ms")


def keysym(name):
    if name.lower() in KEYSYMS:
        return KEYSYMS[name.lower()]
    if len(name) == 1 and 0x20 <= ord(name) < 0x7F:
        return ord(name)
    raise ValueError(f"no key named {name!r}")


def wait(condition, seconds, step=0.01):
    """True as soon as condition() is, tried every step seconds; False after seconds."""
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(step)
    return True


class Desktop:
    """The keyboard and pointer of the session's seat. The seat has them only while a remote
    desktop session runs, so one serves the whole test; mutter drops the first key of a new
    virtual keyboard, so that one is a Shift."""

    BUS_NAME = "org.gnome.Mutter.RemoteDesktop"

    def __init__(self):
        self.bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        (self.path,) = self._call("/org/gnome/Mutter/RemoteDesktop", self.BUS_NAME,
                                  "CreateSession", reply="(o)").unpack()
        self._session("Start")
        self.press("shift")
        self.release("shift")
        time.sleep(0.2)

    def _call(self, path, interface, method, args=None, reply=None):
        return self.bus.call_sync(self.BUS_NAME, path, interface, method, args,
                                  GLib.VariantType(reply) if reply else None,
                                  Gio.DBusCallFlags.NONE, 5000, None)

    def _session(self, method, signature=None, *args):
        self._call(self.path, self.BUS_NAME + ".Session", method,
                   GLib.Variant(signature, args) if signature else None)

    def press(self, name):
        self._session("NotifyKeyboardKeysym", "(ub)", keysym(name), True)

    def release(self, name):
        self._session("NotifyKeyboardKeysym", "(ub)", keysym(name), False)

    def key(self, combo):
        """One combination, "alt+f4": pressed in order, released in reverse."""
        names = combo.split("+")
        for name in names:
            self.press(name)
        for name in reversed(names):
            self.release(name)

    def type(self, text):
        for character in text:
            self.key(character)

    def nudge(self, dx, dy):
        """Moves the pointer by (dx, dy), as a mouse does: mutter may accelerate it, so only
        small steps go exactly as far. Absolute motion needs a screen cast."""
        self._session("NotifyPointerMotionRelative", "(dd)", float(dx), float(dy))

    def button(self, pressed, button=BUTTON_LEFT):
        self._session("NotifyPointerButton", "(ib)", button, pressed)

    def stop(self):
        try:
            self._session("Stop")
        except GLib.Error:
            pass  # the compositor has gone first


class Pointer:
    """The pointer, sent over the program's windows. A native Wayland client does not know
    where its windows are, and motion is relative and may be accelerated, so the pointer is
    thrown at the monitor until it lands on the window wanted, then stepped to the place in it
    by what the window is told of the pointer. A window's content starts where the main
    window's fixed size puts it in its geometry."""

    MAIN = "Vellacor 1.1"
    MAIN_SIZE = (492, 335)
    SCREEN = (1280, 800)

    def __init__(self, desktop, program, rng):
        self.desktop = desktop
        self.program = program
        self.random = rng
        self.landings = {}  # a window -> a throw that landed on it
        self.insets = None  # the decorations: where the content starts in a window's geometry

    def forget(self):
        """The program started again: its windows are new."""
        self.landings = {}

    def key(self, surface):
        """A surface id names another surface once it was destroyed."""
        return surface, self.program.lives.get(surface, 0)

    def on(self, surface):
        pointer = self.program.update().pointer
        return pointer is not None and pointer[0] == surface

    def step(self, dx, dy):
        seen = self.program.pointer_events
        self.desktop.nudge(dx, dy)
        wait(lambda: self.program.update().pointer_events != seen, 0.1, 0.005)

    def throw(self, x, y):
        """Into the top-left corner, where the pointer stops, then towards (x, y)."""
        self.desktop.nudge(-100000, -100000)
        self.step(x, y)
        if self.program.pointer:
            self.landings[self.key(self.program.pointer[0])] = (x, y)

    def find(self, surface, tries=30):
        """True once the pointer is over the window."""
        if self.key(surface) in self.landings and not self.on(surface):
            self.throw(*self.landings[self.key(surface)])
        for _ in range(tries):
            if self.on(surface):
                return True
            self.throw(self.random.randrange(self.SCREEN[0]), self.random.randrange(self.SCREEN[1]))
        return self.on(surface)

    def content(self, surface):
        """The part of a window's surface that is the program's own, not the decorations':
        (x, y, width, height), or None while that is not known."""
        geometry = self.program.update().geometry
        if self.insets is None:
            main = next((s for s, t in self.program.surfaces().items() if t == self.MAIN), None)
            if main not in geometry:
                return None
            gx, gy, gw, gh = geometry[main]
            side = (gw - self.MAIN_SIZE[0]) // 2
            self.insets = (side, gh - self.MAIN_SIZE[1] - side)
        if surface not in geometry:
            return None
        gx, gy, gw, gh = geometry[surface]
        left, top = self.insets
        return gx + left, gy + top, gw - 2 * left, gh - top - left

    def over(self, surface, x, y):
        """Sends the pointer to (x, y) of a window's content; true once it is over that window
        there, not under another."""
        area = self.content(surface)
        if not area:
            return False
        target = (area[0] + x, area[1] + y)
        # On its way the pointer may pass over a tooltip, or the window's own edge: thrown again.
        for _ in range(3):
            if not self.find(surface):
                return False
            for _ in range(60):
                if not self.on(surface):
                    break
                dx, dy = target[0] - self.program.pointer[1], target[1] - self.program.pointer[2]
                if abs(dx) < 1 and abs(dy) < 1:
                    return True
                # Short steps, which no acceleration carries far past the aim.
                self.step(max(-STEP, min(STEP, dx)), max(-STEP, min(STEP, dy)))
        return False


class Accessibility:
    """The session's accessibility bus. Asking for its address starts it, which must happen
    before the program starts: Qt connects to it only if it is there at start-up."""

    def __init__(self):
        bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        (address,) = bus.call_sync("org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress",
                                   None, GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, 5000,
                                   None).unpack()
        flags = (Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
                 Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION)
        self.bus = Gio.DBusConnection.new_for_address_sync(address, flags, None, None)

    def _bus(self, method, args, reply):
        return self.bus.call_sync("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus", method, args, GLib.VariantType(reply),
                                  Gio.DBusCallFlags.NONE, 5000, None).unpack()

    def name_of(self, pid):
        """The program's name on the bus, once it has connected; None before."""
        (names,) = self._bus("ListNames", None, "(as)")
        for name in names:
            if not name.startswith(":"):
                continue
            try:
                (owner,) = self._bus("GetConnectionUnixProcessID", GLib.Variant("(s)", (name,)),
                                     "(u)")
            except GLib.Error:
                continue  # gone meanwhile
            if owner == pid:
                return name
        return None

    def ask(self, name, timeout):
        """Asks the program for its role; the seconds until it answered, or None."""
        start = time.monotonic()
        try:
            self.bus.call_sync(name, "/org/a11y/atspi/accessible/root",
                               "org.a11y.atspi.Accessible", "GetRole", None, None,
                               Gio.DBusCallFlags.NONE, int(timeout * 1000), None)
        except GLib.Error:
            return None
        return time.monotonic() - start


class Program:
    """Vellacor, started in folder with its WAYLAND_DEBUG log in folder/vellacor.N.log (N counts
    the starts). update() reads what the log has gained: windows() lists the titles of its
    top-level windows, focused() the title of the one with the keyboard."""

    def __init__(self, path, folder, accessibility):
        self.path = path
        self.folder = folder
        self.accessibility = accessibility
        self.process = None
        self.starts = 0
        self.name = None

    def start(self):
        self.starts += 1
        self.log_path = os.path.join(self.folder, f"vellacor.{self.starts}.log")
        # The frame barrier's account of each hide it held (Qt 6.4 only), for holds().
        rules = ";".join(filter(None, (os.environ.get("QT_LOGGING_RULES"),
                                       "vellacor.frames.debug=true")))
        env = dict(os.environ, WAYLAND_DEBUG="client", QT_QPA_PLATFORM="wayland",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_LOGGING_RULES=rules)
        with open(self.log_path, "wb") as log:
            self.process = subprocess.Popen([self.path], cwd=self.folder, env=env,
                                            stdin=subprocess.DEVNULL, stdout=log,
                                            stderr=subprocess.STDOUT)
        self.log = open(self.log_path, errors="replace")
        self.partial = ""
        self.roles = {}  # xdg_surface id -> wl_surface id
        self.toplevels = {}  # xdg_toplevel id -> wl_surface id
        self.titles = {}  # wl_surface id -> title
        self.popups = {}  # a popup's wl_surface id -> its parent's
        self.geometry = {}  # wl_surface id -> the window's (x, y, width, height) in it
        self.lives = {}  # wl_surface id -> how often a surface of that id was destroyed
        self.focus = None  # the wl_surface with the keyboard
        self.enters = 0
        self.pointer = None  # (wl_surface id, x, y) of the pointer over the program's windows
        self.pointer_events = 0
        # The windows open when the compositor last asked one of them to close: what an end
        # of the program is judged by, as the window list read before a key may be older.
        self.open_at_close = None
        self.name = None

    def update(self):
        """Reads what the log has gained; returns the program."""
        text = self.partial + self.log.read()
        lines = text.split("\n")
        self.partial = lines.pop()
        for line in lines:
            self._read(line)
        return self

    def _read(self, line):
        request = REQUEST.search(line)
        if request:
            interface, number, message, args = request.groups()
            new = NEW_ID.search(args)
            if interface == "xdg_wm_base" and message == "get_xdg_surface" and new:
                surface = SURFACE.search(args)
                self.roles[new.group(1)] = surface.group(1) if surface else None
            elif interface == "xdg_surface" and message == "get_toplevel" and new:
                self.toplevels[new.group(1)] = self.roles.get(number)
            elif interface == "xdg_surface" and message == "get_popup" and new:
                parent = re.search(r"xdg_surface[@#](\d+)", args)
                self.popups[self.roles.get(number)] = parent and self.roles.get(parent.group(1))
            elif interface == "xdg_toplevel" and message == "set_title":
                self.titles[self.toplevels.get(number)] = args.strip('"')
            elif interface == "xdg_surface" and message == "set_window_geometry":
                self.geometry[self.roles.get(number)] = tuple(int(v) for v in args.split(", "))
            elif interface == "xdg_toplevel" and message == "destroy":
                self.toplevels.pop(number, None)
            elif interface == "wl_surface" and message == "destroy":
                self.titles.pop(number, None)
                self.popups.pop(number, None)
                self.geometry.pop(number, None)
                self.lives[number] = self.lives.get(number, 0) + 1
                if self.focus == number:
                    self.focus = None
            return
        event = EVENT.search(line)
        if not event:
            return
        interface, message, args = event.group(1), event.group(3), event.group(4)
        surface = SURFACE.search(args)
        if interface == "xdg_toplevel" and message == "close":
            self.open_at_close = sorted(self.titles.get(s, "") for s in self.toplevels.values())
        elif interface == "wl_keyboard":
            if message == "enter" and surface:
                self.focus = surface.group(1)
                self.enters += 1
            elif message == "leave" and surface and surface.group(1) == self.focus:
                self.focus = None
        elif interface == "wl_pointer" and message in ("enter", "motion", "leave"):
            self.pointer_events += 1
            values = args.split(", ")
            if message == "enter" and surface:
                self.pointer = (surface.group(1), float(values[2]), float(values[3]))
            elif message == "motion" and self.pointer:
                self.pointer = (self.pointer[0], float(values[1]), float(values[2]))
            elif message == "leave":
                self.pointer = None

    def windows(self):
        self.update()
        return sorted(self.titles.get(surface, "") for surface in self.toplevels.values())

    def surfaces(self):
        """The program's top-level windows: their surface ids and titles."""
        self.update()
        return {surface: self.titles.get(surface, "") for surface in self.toplevels.values()}

    def focused(self):
        """The title of the window with the keyboard: a popup's (the save dialog's completer)
        is its window's."""
        self.update()
        surface = self.focus
        for _ in range(8):
            if surface in self.toplevels.values():
                return self.titles.get(surface, "")
            surface = self.popups.get(surface)
        return None

    def running(self):
        return self.process is not None and self.process.poll() is None

    def signal(self):
        """The signal that ended the program, or None."""
        code = self.process.poll() if self.process else None
        return -code if code is not None and code < 0 else None

    def probe(self, timeout=5.0):
        """The seconds the user-interface thread took to answer, or None if it did not
        within timeout (or is not on the accessibility bus)."""
        if self.name is None:
            wait(lambda: self.accessibility.name_of(self.process.pid) is not None, timeout, 0.05)
            self.name = self.accessibility.name_of(self.process.pid)
            if self.name is None:
                return None
        return self.accessibility.ask(self.name, timeout)

    def holds(self):
        """What the program's frame barrier says of every start's hides: how many it held,
        how many gave up waiting, and the longest wait in ms."""
        held = gave_up = longest = 0
        for start in range(1, self.starts + 1):
            with open(os.path.join(self.folder, f"vellacor.{start}.log"), errors="replace") as log:
                for match in HOLD.finditer(log.read()):
                    held += 1
                    gave_up += match.group(1) == "gave up after"
                    longest = max(longest, int(match.group(2)))
        return held, gave_up, longest

    def stop(self):
        if self.running():
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
