#!/usr/bin/env python3
"""A keyboard for a headless GNOME session, read from standard input (desktop.py's Desktop,
through mutter's remote desktop interface): the keys reach whichever window has the focus, a
native Wayland one or an X11 one through XWayland.

Reads one command a line and answers each with a line "ok" once done:
    type TEXT      types TEXT (printable ASCII)
    key COMBO...   presses each combination: Return, alt+c, ctrl+a
The seat has a keyboard only while a remote desktop session runs, so one session serves every
command: start this before the program that is to get the keys. It uses the session bus of its
environment (DBUS_SESSION_BUS_ADDRESS) and prints "ready" once the keyboard is there.
"""
import sys
import time

from desktop import Desktop


def main():
    desktop = Desktop()
    print("ready", flush=True)
    try:
        for line in sys.stdin:
            verb, _, rest = line.strip().partition(" ")
            if verb == "type":
                combos = list(rest)
            elif verb == "key":
                combos = rest.split()
            else:
                raise SystemExit(f"keys.py: no command {line.strip()!r}")
            for combo in combos:
                desktop.key(combo)
                # As a person types: a client behind XWayland sees the keys in their order.
                time.sleep(0.05)
            print("ok", flush=True)
    finally:
        desktop.stop()


if __name__ == "__main__":
    main()
