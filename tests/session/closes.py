#!/usr/bin/env python3
"""Closes that reach a window of Vellacor's while one of its dialogs is open, as a native Wayland
client in a headless GNOME session (run by gnome.sh, whose session bus and compositor this uses):

    closes.py PROGRAM FOLDER [TRIES]   (TRIES of each case, 10 when not given)

Mutter sends Alt+F4 to the window that has the keyboard, which a window keeps until its new
dialog is mapped, so a close sent just after the key that opens the dialog arrives while the
dialog waits for the user. Each case, TRIES times, with the close 0 to 150 ms after that key:

  export     Detail Report: Alt+S (Save As), then Alt+F4
  press      Detail Report: the mouse's button or Space pressed on Save To Notepad, Alt+F4,
             then released
  box        the main window: Alt+C with an empty Client Number (the "Vellacor" box), then Alt+F4
  saved      Detail Report: a name typed in the Save As, Return (the "File Saved" box), then Alt+F4

Between tries every dialog is answered and Detail Report opened again. A program that dies is
counted and started again. Qt 6.4 handles a compositor's close as it reads it, ahead of keys read
with it, so a close can reach a window before the key that opens its dialog: such a try tests no
close under a dialog and is made again (the window's close was the user's to make; an end by a
signal is counted all the same). Each case passes when no try ends the program (by a signal or, for
the main window, at all), no window is closed while its dialog is open, and every report saved
is whole; the last line counts the cases, "N passed, M failed".
"""
import os
import random
import sys
import time

from desktop import Accessibility, Desktop, Pointer, Program, wait

MAIN, DETAIL, SAVE_AS, SAVED, BOX = "Vellacor 1.1", "Detail Report", "Save As", "Save File", "Vellacor"
DELAYS = (0, 0.03, 0.06, 0.1, 0.15)
SAVE_BUTTON = (240, 472)  # the middle of Save To Notepad in Detail Report


class Run:
    def __init__(self, path, folder):
        self.folder = folder
        self.desktop = Desktop()
        self.program = Program(path, folder, Accessibility())
        self.pointer = Pointer(self.desktop, self.program, random.Random(1))
        self.exits = []  # how each end of the program during a case came about
        self.faults = []

    def focused(self, title, seconds=10):
        return wait(lambda: self.program.focused() == title, seconds)

    def ended(self, counted=True):
        """Records an end of the program, if it ended, and starts it again; an exit that is not
        counted is only started again."""
        if self.program.running():
            return False
        sig = self.program.signal()
        if counted or sig:
            self.exits.append(f"signal {sig}" if sig else f"exit {self.program.process.returncode}")
            print(f"    the program ended ({self.exits[-1]}); its log: {self.program.log_path}")
        self.program.start()
        self.pointer.forget()
        return True

    def early(self, dialog):
        """True when the compositor's close of this try reached its window before dialog was
        open."""
        opened = self.program.update().open_at_close
        return opened is not None and dialog not in opened

    def settle(self):
        """Answers every open dialog, then leaves the main window with the keyboard and Detail
        Report closed: the state each try starts from."""
        if self.program.process is None:
            self.program.start()
        for _ in range(50):
            self.ended()
            windows, focus = self.program.windows(), self.program.focused()
            if SAVE_AS in windows:
                if focus == SAVE_AS:
                    self.desktop.key("escape")
            elif SAVED in windows or BOX in windows:
                if focus in (SAVED, BOX):
                    self.desktop.key("return")
            elif DETAIL in windows:
                if focus == DETAIL:
                    self.desktop.key("alt+f4")
            elif focus == MAIN:
                return True
            wait(lambda: self.program.windows() != windows or self.program.focused() != focus, 2)
        return False

    def open_detail(self):
        """From the settled main window: an empty count's box answered puts the keyboard in
        Client Number; 50 and Alt+C open Detail Report, with Save To Notepad focused."""
        self.desktop.key("alt+r")
        self.desktop.key("alt+c")
        if not self.focused(BOX):
            return False
        self.desktop.key("return")
        if not self.focused(MAIN):
            return False
        self.desktop.type("50")
        self.desktop.key("alt+c")
        return self.focused(DETAIL)

    def case(self, name, tries, attempt):
        """attempt(number, delay) makes a try: "made", "early" (made again) or None (could not
        be set up)."""
        self.exits = []
        self.faults = []
        ready = early = 0
        for _ in range(3 * tries):  # room for tries made again
            if ready == tries:
                break
            if not self.settle():
                continue
            self.program.open_at_close = None
            result = attempt(ready, DELAYS[ready % len(DELAYS)])
            if result == "early":
                early += 1
                self.ended(counted=False)
                continue
            if result is None:
                continue
            if self.program.running() and self.program.probe() is None:
                self.faults.append(f"try {ready + 1}: no answer to the liveness probe")
            ready += 1
            self.ended()
        again = f" ({early} made again: the close came before the dialog)" if early else ""
        print(f"  {name}: {ready} of {tries} tries made{again}, {len(self.exits)} ended the "
              f"program{': ' + ', '.join(self.exits) if self.exits else ''}")
        for fault in self.faults:
            print(f"    {fault}")
        return ready == tries and not self.exits and not self.faults

    def still(self, title, number, what):
        if self.program.running() and title not in self.program.windows():
            self.faults.append(f"try {number + 1}: {title} closed under {what}")

    # Each try waits until what its keys set off has happened, or the program has ended.
    def until(self, condition):
        wait(lambda: not self.program.running() or condition(), 3)

    def close_after(self, keys, delay, dialog):
        """Presses keys, which open dialog, and Alt+F4 delay seconds later; True when the close
        reached the window before dialog was open."""
        for combo in keys:
            self.desktop.key(combo)
        time.sleep(delay)
        self.desktop.key("alt+f4")
        self.until(lambda: self.program.focused() == dialog)
        return self.early(dialog)

    def export(self, number, delay):
        if not self.open_detail():
            return None
        if self.close_after(("alt+s",), delay, SAVE_AS):
            return "early"
        self.still(DETAIL, number, "its Save As")
        return "made"

    def press(self, number, delay):
        """The mouse's button and Space in turn, held on Save To Notepad over the close."""
        if not self.open_detail():
            return None
        if number % 2:
            detail = next(s for s, t in self.program.surfaces().items() if t == DETAIL)
            if not self.pointer.over(detail, *SAVE_BUTTON):
                return None
            self.desktop.button(True)
        else:
            self.desktop.press("space")
        time.sleep(delay)
        self.desktop.key("alt+f4")
        time.sleep(delay)
        if number % 2:
            self.desktop.button(False)
        else:
            self.desktop.release("space")
        self.until(lambda: DETAIL not in self.program.windows() or
                   self.program.focused() == SAVE_AS)
        windows = self.program.windows()
        if self.program.running() and SAVE_AS in windows and DETAIL not in windows:
            self.faults.append(f"try {number + 1}: a save started in the closed Detail Report")
        return "made"

    def box(self, number, delay):
        if self.close_after(("alt+r", "alt+c"), delay, BOX):
            return "early"
        if not self.program.running() or MAIN not in self.program.windows():
            self.faults.append(f"try {number + 1}: the main window closed under its box")
        return "made"

    def saved(self, number, delay):
        if not self.open_detail():
            return None
        self.desktop.key("alt+s")
        if not self.focused(SAVE_AS):
            return None
        self.desktop.type(f"saved{number + 1}")
        self.desktop.key("return")
        time.sleep(delay)
        self.desktop.key("alt+f4")
        # The box, or, when the close reached the Save As first, Detail Report again.
        self.until(lambda: self.program.focused() in (SAVED, DETAIL))
        self.still(DETAIL, number, 'its "File Saved" box')
        return "made"


def whole(path):
    with open(path, "rb") as report:
        lines = report.read().split(b"\r\n")
    return len(lines) == 28 and lines[0] == b"Vellacor" and lines[-1] == b""


def main(path, folder, tries):
    run = Run(path, folder)
    passed = failed = 0
    try:
        for name, attempt in (("export", run.export), ("press", run.press), ("box", run.box),
                              ("saved", run.saved)):
            if run.case(name, tries, attempt):
                passed += 1
            else:
                failed += 1
        reports = sorted(f for f in os.listdir(folder) if f.startswith("saved"))
        broken = [f for f in reports if not whole(os.path.join(folder, f))]
        print(f"  {len(reports)} reports saved, {len(broken)} not whole {' '.join(broken)}")
        held, gave_up, longest = run.program.holds()
        if held:
            print(f"  {held} hides held for the last frame's answer, {gave_up} given up, the "
                  f"longest {longest} ms")
        if broken or not reports:
            failed += 1
    finally:
        run.program.stop()
        run.desktop.stop()
    print(f"{passed} passed, {failed} failed")
    return failed == 0


if __name__ == "__main__":
    sys.exit(0 if main(os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]),
                       int(sys.argv[3]) if len(sys.argv) > 3 else 10) else 1)
