#!/usr/bin/env python3
"""Vellacor driven at random from outside, as a native Wayland client in a headless GNOME session
(run by gnome.sh, whose session bus and compositor this uses):

    soak.py PROGRAM FOLDER [ACTIONS]   (1000 when not given)

Each action suits the window that has the keyboard, as a hurried user's would: typing and
Tab, arrows, Backspace, Return, Space and Escape; the access keys; Alt+F4 on every window;
clicks anywhere in the main window, Detail Report and the boxes; a name typed in the Save As
and Return or Escape; and the fast pairs that reach a window under its dialog (Alt+S or Alt+C
and at once Alt+F4, a name's Return and at once Alt+F4, Space held on Save To Notepad over an
Alt+F4). No click and no key that leaves the folder reaches the Save As: every report stays in
FOLDER, where the program runs.

The choices come from a seeded generator: seed 1 unless VELLACOR_SOAK_SEED gives another, or
"random" for a new one, which is printed; the program's timing still varies from run to run.
The program is asked a question through the accessibility bus every ten actions and at the
end; an answer slower than 2 s leaves the stacks of its threads (where gdb is at hand), and
none within 10 s while it runs is a hang. A program that dies, hangs (it is then killed) or
ends otherwise than by its last window closing is counted and started again; one that ends
while a question waits (its event loop has stopped on the way out) is counted apart. At the end every
report in FOLDER must be whole and no temporary file left. It passes when every action was
made and nothing was counted.
"""
import os
import random
import shutil
import subprocess
import sys
import time

from desktop import Accessibility, Desktop, Pointer, Program, wait

MAIN, DETAIL, SAVE_AS, SAVED, BOX = "Vellacor 1.1", "Detail Report", "Save As", "Save File", "Vellacor"
DIALOGS = (SAVE_AS, SAVED, BOX)
PROBE_EVERY = 10
SLOW = 2.0  # seconds: the stacks of an answer slower than this are kept
HANG = 10.0  # seconds without an answer
STALL = 100  # actions in a row with no window of the program having the keyboard


class Soak:
    def __init__(self, path, folder, seed):
        self.random = random.Random(seed)
        self.folder = folder
        self.desktop = Desktop()
        self.program = Program(path, folder, Accessibility())
        self.counts = {"crashes": 0, "hangs": 0, "exits": 0, "quits": 0, "starts": 0,
                       "clicks": 0, "probes": 0, "silent ends": 0, "stalls": 0}
        self.slowest = 0.0
        self.pointer = Pointer(self.desktop, self.program, self.random)
        self.number = 0

    def note(self, text):
        print(f"  action {self.number}: {text}")

    def start(self):
        self.program.start()
        self.counts["starts"] += 1
        self.pointer.forget()
        wait(lambda: self.program.focused() == MAIN or not self.program.running(), 10)

    def check_ended(self, before):
        """Counts an end of the program, and starts it again."""
        if self.program.running():
            return
        code = self.program.process.returncode
        log = self.program.log_path
        # A dialog answered just before a close of the window under it is gone by the close,
        # though it was there when the action began.
        self.program.update()
        if self.program.open_at_close is not None:
            before = self.program.open_at_close
        if code < 0:
            self.counts["crashes"] += 1
            self.note(f"the program died of signal {-code}; its log: {log}")
        elif code == 0 and not any(title in DIALOGS for title in before):
            self.counts["quits"] += 1  # its last window closed
        else:
            self.counts["exits"] += 1
            self.note(f"the program ended with status {code} while {before} were open; "
                      f"its log: {log}")
        self.start()

    def stacks(self, name):
        """The program's threads' stacks, where gdb is at hand; the file's path or None."""
        if not shutil.which("gdb"):
            return None
        path = os.path.join(self.folder, f"{name}.{self.program.starts}.txt")
        with open(path, "w") as out:
            subprocess.run(["gdb", "-p", str(self.program.process.pid), "-batch", "-ex",
                            "thread apply all bt"], stdout=out, stderr=subprocess.STDOUT,
                           stdin=subprocess.DEVNULL, timeout=60, check=False)
        return path

    def probe(self):
        """Asks; an answer slower than SLOW leaves the stacks of the moment, and none within
        HANG is a hang: the program is killed and started again."""
        if not self.program.running():
            return
        self.counts["probes"] += 1
        start = time.monotonic()
        answer = self.program.probe(SLOW)
        if answer is None and self.program.running():
            stacks = self.stacks("slow")
            while answer is None and self.program.running() and time.monotonic() - start < HANG:
                answer = self.program.probe(1.0)
            waited = time.monotonic() - start
            where = f"; its log: {self.program.log_path}" + (f", stacks: {stacks}" if stacks else "")
            if answer is not None:
                answer = waited
                self.note(f"the liveness probe was answered after {waited:.1f} s{where}")
            elif self.program.running():
                self.counts["hangs"] += 1
                self.note(f"no answer to the liveness probe in {HANG:.0f} s{where}")
                self.program.process.kill()
                self.program.process.wait()
                self.start()
            else:
                self.counts["silent ends"] += 1
                self.note(f"no answer to the liveness probe; the program ended "
                          f"{waited:.1f} s after it was asked{where}")
        if answer is not None:
            self.slowest = max(self.slowest, answer)

    def click(self):
        """Somewhere in a window's content, never while a Save As is open: another window over
        the one aimed at may be a Save As, so only a window found uppermost there is clicked."""
        surfaces = self.program.surfaces()
        if SAVE_AS in surfaces.values() or not surfaces:
            return
        surface = self.random.choice(sorted(surfaces))
        area = self.pointer.content(surface) if self.pointer.find(surface) else None
        if not area or area[2] <= 0 or area[3] <= 0:
            return
        # Finding the window and moving there take a while, in which a Save As may have come.
        if self.pointer.over(surface, self.random.randrange(area[2]),
                             self.random.randrange(area[3])) and \
                SAVE_AS not in self.program.surfaces().values():
            self.desktop.button(True)
            time.sleep(self.random.choice((0, 0.02, 0.1)))
            self.desktop.button(False)
            self.counts["clicks"] += 1

    def type(self, characters, most=4):
        self.desktop.type("".join(self.random.choice(characters)
                                  for _ in range(1 + self.random.randrange(most))))

    def name(self):
        """A report's name in the Save As: letters and digits only, so it names no folder."""
        self.type("abcdefghijklmnopqrstuvwxyz0123456789", 6)

    def keys(self, *names):
        self.desktop.key(self.random.choice(names))

    def at_once(self, *combos):
        for combo in combos:
            self.desktop.key(combo)
            time.sleep(self.random.choice((0, 0.02, 0.05, 0.1)))

    def held_over_close(self):
        self.desktop.press("space")
        time.sleep(self.random.choice((0, 0.05)))
        self.desktop.key("alt+f4")
        time.sleep(self.random.choice((0, 0.05)))
        self.desktop.release("space")

    def action(self, focus):
        r = self.random
        if focus == SAVE_AS:
            choices = [(5, lambda: (self.name(), self.keys("return"))),
                       (1, lambda: (self.name(), self.at_once("return", "alt+f4"))),
                       (1, lambda: self.keys("escape", "backspace", "alt+f4"))]
        elif focus in (SAVED, BOX):
            choices = [(4, lambda: self.keys("return", "space", "escape")),
                       (1, lambda: self.keys("alt+f4", "tab", "x")), (2, self.click)]
        elif focus == MAIN:
            choices = [(5, lambda: self.type("01234567890123456789.-a")),
                       (3, lambda: self.keys("tab", "left", "right", "backspace", "delete",
                                             "home", "end", "space", "return")),
                       (5, lambda: self.keys("alt+c")), (1, lambda: self.keys("alt+r", "alt+f4")),
                       (4, self.click), (1, lambda: self.at_once("alt+c", "alt+f4"))]
        elif focus == DETAIL:
            choices = [(3, lambda: self.keys("up", "down", "home", "end", "tab", "space",
                                             "return")),
                       (5, lambda: self.keys("alt+s")), (1, lambda: self.keys("alt+f4")),
                       (4, self.click), (1, lambda: self.at_once("alt+s", "alt+f4")),
                       (1, self.held_over_close)]
        else:
            # Nothing has the keyboard for a moment: a window is on its way, or a click finds
            # one.
            choices = [(3, lambda: time.sleep(0.05)), (1, self.click)]
        weights = [weight for weight, _ in choices]
        windows = self.program.windows()
        r.choices([act for _, act in choices], weights)[0]()
        # Mostly a user who sees a window come or go before going on; sometimes not.
        if r.random() < 0.6:
            wait(lambda: self.program.windows() != windows, 0.3)
        time.sleep(r.choice((0, 0.01, 0.03, 0.06)))

    def run(self, actions):
        self.start()
        unfocused = 0
        for self.number in range(1, actions + 1):
            before = self.program.windows()
            focus = self.program.focused()
            unfocused = 0 if focus else unfocused + 1
            if unfocused == STALL:
                # Keys go nowhere and clicks may not (a Save As is open): the run would make no
                # action more. Said, counted, and the program started again.
                self.counts["stalls"] += 1
                self.note(f"nothing has had the keyboard for {STALL} actions, with {before} "
                          f"open; its log: {self.program.log_path}")
                self.program.stop()
                self.start()
                unfocused = 0
                continue
            self.action(focus)
            self.check_ended(before)
            if self.number % PROBE_EVERY == 0:
                self.probe()
        self.probe()


def whole(path):
    with open(path, "rb") as report:
        lines = report.read().split(b"\r\n")
    ranges = [line for line in lines if line.startswith(b"[")]
    return (len(lines) == 24 + len(ranges) and lines[0] == b"Vellacor" and lines[-1] == b""
            and lines[-2] == "Copyright \u00a9 Tamsel".encode() and b"\n" not in b"".join(lines)
            and lines[18:18 + len(ranges)] == ranges)


def main(path, folder, actions):
    chosen = os.environ.get("VELLACOR_SOAK_SEED", "1")
    seed = random.SystemRandom().randrange(1 << 31) if chosen == "random" else int(chosen)
    print(f"  seed {seed}, {actions} actions")
    soak = Soak(path, folder, seed)
    try:
        soak.run(actions)
    finally:
        soak.program.stop()
        soak.desktop.stop()
    files = [f for f in os.listdir(folder) if os.path.isfile(os.path.join(folder, f))
             and not f.endswith(".log") and not f.startswith("slow.")]
    reports = [f for f in files if f.endswith(".txt")]
    broken = [f for f in reports if not whole(os.path.join(folder, f))]
    left = [f for f in files if not f.endswith(".txt")]
    c = soak.counts
    print(f"  {soak.number} actions ({c['clicks']} clicks), {c['starts']} starts: {c['crashes']} "
          f"crashes, {c['hangs']} hangs, {c['stalls']} stalls, {c['exits']} other ends, "
          f"{c['quits']} quits by "
          f"closing every window; {len(reports)} reports, {len(broken)} not whole, {len(left)} "
          f"other files left; {c['probes']} liveness probes, the slowest answered in "
          f"{soak.slowest * 1000:.0f} ms, {c['silent ends']} unanswered as the program ended")
    for name in broken + left:
        print(f"    {name}")
    held, gave_up, longest = soak.program.holds()
    if held:
        print(f"  {held} hides held for the last frame's answer, {gave_up} given up, the longest "
              f"{longest} ms")
    counted = c["crashes"] or c["hangs"] or c["exits"] or c["stalls"]
    return (soak.number == actions and not counted
            and not broken and not left and c["probes"] > actions // PROBE_EVERY // 2)


if __name__ == "__main__":
    sys.exit(0 if main(os.path.realpath(sys.argv[1]), os.path.realpath(sys.argv[2]),
                       int(sys.argv[3]) if len(sys.argv) > 3 else 1000) else 1)
