#!/usr/bin/env python3
"""Reads a client's WAYLAND_DEBUG=client log and counts its surfaces destroyed while a frame
callback asked for on them was still unanswered: the moment at which Qt 6.4.2's Wayland plugin
can free a window its event thread is still writing into.

    frames.py LOG   prints "N surfaces destroyed, M with a frame callback unanswered", then
                    one line for each of those M, with the title of the window it was; fails
                    when the log cannot be read or N is 0

A surface asks with wl_surface.frame(new id wl_callback); the compositor answers with
wl_callback.done. libwayland 1.23 and later write an object as wl_surface#N, earlier ones as
wl_surface@N, and may put the queue's name before the arrow.
"""
import re
import sys

OBJECT = r"(\w+)[@#](\d+)"
REQUEST = re.compile(r"->\s*" + OBJECT + r"\.(\w+)\((.*)\)\s*$")
EVENT = re.compile(r"^\[[^\]]*\]\s*(?:\{[^}]*\}\s*)?" + OBJECT + r"\.(\w+)\((.*)\)\s*$")
NEW_ID = re.compile(r"new id (?:\w+)[@#](\d+)")


def main(path):
    pending = {}  # wl_callback id -> the surface that asked for it
    roles = {}  # xdg_surface id, then xdg_toplevel id -> surface id
    titles = {}  # surface id -> the last title set for it
    destroyed = exposed = 0
    details = []
    with open(path, errors="replace") as log:
        for line in log:
            request = REQUEST.search(line)
            if request:
                interface, number, message, args = request.groups()
                new = NEW_ID.search(args)
                if interface == "wl_surface" and message == "frame" and new:
                    pending[new.group(1)] = number
                elif interface == "xdg_wm_base" and message == "get_xdg_surface" and new:
                    surface = re.search(r"wl_surface[@#](\d+)", args)
                    roles[new.group(1)] = surface.group(1) if surface else None
                elif interface == "xdg_surface" and message == "get_toplevel" and new:
                    roles[new.group(1)] = roles.get(number)
                elif interface == "xdg_toplevel" and message == "set_title":
                    titles[roles.get(number)] = args
                elif interface == "wl_surface" and message == "destroy":
                    destroyed += 1
                    unanswered = [c for c, s in pending.items() if s == number]
                    if unanswered:
                        exposed += 1
                        details.append(f"  wl_surface {number} ({titles.get(number, 'no title')})"
                                       f": callback {', '.join(unanswered)} unanswered")
                    for callback in unanswered:
                        del pending[callback]
                continue
            event = EVENT.search(line)
            if event and event.group(1) == "wl_callback" and event.group(3) == "done":
                pending.pop(event.group(2), None)
    print(f"{destroyed} surfaces destroyed, {exposed} with a frame callback unanswered")
    print("\n".join(details))
    return destroyed > 0


if __name__ == "__main__":
    # A log without one surface destroyed is not the log of a client that closed windows,
    # or one in a format this does not read.
    sys.exit(0 if main(sys.argv[1]) else 1)
