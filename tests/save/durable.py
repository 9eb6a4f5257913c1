#!/usr/bin/env python3
"""A saved report reaches the disk before its name does, and then its name: read from the
system calls (strace) of the window tests' saves under a short name (QSaveFile) and under one
near the longest a folder takes (the program's own temporary name):

    durable.py DETAILWINDOW_TEST

For every rename or link onto a report: the file named was written through one descriptor,
which was synced (fsync or fdatasync) while it was open, before the name was made; then the
report's folder is synced. Says for each test how many saves it saw and what was missing;
fails when something was, or when no save was seen.
"""
import os
import re
import subprocess
import sys
import tempfile

CALLS = "openat,fsync,fdatasync,close,rename,renameat,renameat2,linkat"
# New reports and replaced ones, under short names and under long ones.
TESTS = ("dialogStateFollowsTheWindow", "txtIsAlwaysAppendedAndReplacesWhole",
         "longestNameSavesAgain")
LINE = re.compile(r"^\d+\s+(\w+)\((.*)\)\s+=\s+(-?\d+)(?:<([^>]*)>)?")
DESCRIPTOR = re.compile(r"^(\d+)<([^>]*)>")


def calls(log):
    for line in log:
        match = LINE.match(line)
        if match and int(match.group(3)) >= 0:
            yield match.group(1), match.group(2), int(match.group(3)), match.group(4)


def check(log):
    """Each save's problems, or nothing; and how many saves there were."""
    opened = {}  # descriptor -> (folder, synced)
    written = None  # the descriptor last opened for writing, and whether it was synced
    pending = None  # a rename whose folder has not been synced yet
    saves, problems = 0, []
    for name, args, result, path in calls(log):
        if name == "openat" and path:
            flags = args.split(", ")[2] if args.count(", ") >= 2 else ""
            folder = os.path.dirname(path) if "O_TMPFILE" not in flags else path.split("/#")[0]
            if "O_DIRECTORY" in flags:
                opened[result] = (path, "folder")
            elif "O_WRONLY" in flags or "O_RDWR" in flags:
                opened[result] = (folder, "written")
                written = [result, False, False]  # descriptor, synced, closed
        elif name in ("fsync", "fdatasync"):
            fd = DESCRIPTOR.match(args)
            if not fd:
                continue
            number = int(fd.group(1))
            if written and number == written[0] and not written[2]:
                written[1] = True
            if pending and opened.get(number, (None, None)) == (pending, "folder"):
                pending = None
        elif name == "close":
            fd = DESCRIPTOR.match(args)
            if fd and written and int(fd.group(1)) == written[0]:
                written[2] = True
        elif name.startswith("rename") or name == "linkat":
            # A rename puts a name on the report; so does a link of a new one from QSaveFile's
            # unnamed file (O_TMPFILE).
            target = re.findall(r'"([^"]*)"', args)[-1]
            if not target.endswith(".txt"):
                continue
            if pending:
                problems.append(f"the folder {pending} was not synced after the last rename")
            saves += 1
            if not written or not written[1]:
                problems.append(f"{os.path.basename(target)[:40]}: named before its data was "
                                f"synced through the descriptor that wrote it")
            pending = os.path.dirname(target)
            written = None
    if pending:
        problems.append(f"the folder {pending} was not synced after the last rename")
    return saves, problems


def main(program):
    failed = False
    with tempfile.TemporaryDirectory() as work:
        for test in TESTS:
            log = os.path.join(work, test + ".strace")
            subprocess.run(["strace", "-f", "-y", "-qq", "-e", f"trace={CALLS}", "-o", log,
                            program, test], env=dict(os.environ, QT_QPA_PLATFORM="offscreen"),
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=False)
            with open(log) as lines:
                saves, problems = check(lines)
            ok = saves > 0 and not problems
            failed |= not ok
            print(f"{'PASS' if ok else 'FAIL'}: {test}: {saves} saves, each synced before it "
                  f"was named and its folder after" + ("" if saves else " (no save seen)"))
            for problem in problems:
                print(f"   {problem}")
    return not failed


if __name__ == "__main__":
    sys.exit(0 if main(sys.argv[1]) else 1)
