#!/usr/bin/env python3
"""A keyboard for a headless GNOME session, through mutter's remote desktop interface
(org.gnome.Mutter.RemoteDesktop, the one GNOME's own remote desktop uses). The keys reach
whichever window has the focus, a native Wayland one or an X11 one through XWayland.

Reads one command a line from standard input and answers each with a line "ok" once done:
    type TEXT      types TEXT (printable ASCII)
    key COMBO...   presses each combination: Return, alt+c, ctrl+a
The seat has a keyboard only while a remote desktop session runs, so one session serves every
command: start this before the program that is to get the keys. It uses the session bus of its
environment (DBUS_SESSION_BUS_ADDRESS) and prints "ready" once the keyboard is there.
"""
import sys
import time

from gi.repository import Gio, GLib

BUS_NAME = "org.gnome.Mutter.RemoteDesktop"
NAMED = {
    "return": 0xFF0D, "escape": 0xFF1B, "tab": 0xFF09, "backspace": 0xFF08,
    "alt": 0xFFE9, "ctrl": 0xFFE3, "shift": 0xFFE1, "space": 0x20, "f4": 0xFFC1,
}


def keysym(name):
    if name.lower() in NAMED:
        return NAMED[name.lower()]
    if len(name) == 1 and 0x20 <= ord(name) < 0x7F:
        return ord(name)
    raise SystemExit(f"keys.py: no key named {name!r}")


def call(bus, path, interface, method, args=None, reply=None):
    return bus.call_sync(BUS_NAME, path, interface, method, args,
                         GLib.VariantType(reply) if reply else None,
                         Gio.DBusCallFlags.NONE, 5000, None)


def combos(line):
    verb, _, rest = line.partition(" ")
    if verb == "type":
        return [[keysym(c)] for c in rest]
    if verb == "key":
        return [[keysym(k) for k in combo.split("+")] for combo in rest.split()]
    raise SystemExit(f"keys.py: no command {line!r}")


def main():
    bus = Gio.bus_get_sync(Gio.BusType.SESSION, None)
    # The session lives as long as this connection: it ends when this program does.
    (path,) = call(bus, "/org/gnome/Mutter/RemoteDesktop", BUS_NAME, "CreateSession",
                   reply="(o)").unpack()
    session = BUS_NAME + ".Session"
    call(bus, path, session, "Start")
    # mutter drops the first key of a new virtual keyboard: let that be a Shift.
    for pressed in (True, False):
        call(bus, path, session, "NotifyKeyboardKeysym",
             GLib.Variant("(ub)", (NAMED["shift"], pressed)))
    time.sleep(0.2)
    print("ready", flush=True)
    try:
        for line in sys.stdin:
            for combo in combos(line.strip()):
                for sym in combo:
                    call(bus, path, session, "NotifyKeyboardKeysym",
                         GLib.Variant("(ub)", (sym, True)))
                for sym in reversed(combo):
                    call(bus, path, session, "NotifyKeyboardKeysym",
                         GLib.Variant("(ub)", (sym, False)))
                # As a person types: a client behind XWayland sees the keys in their order.
                time.sleep(0.05)
            print("ok", flush=True)
    finally:
        try:
            call(bus, path, session, "Stop")
        except GLib.Error:
            pass  # the compositor has gone first


if __name__ == "__main__":
    main()
