#!/usr/bin/env python3
"""Counts one build tree's tests from the JUnit report CTest wrote (ctest --output-junit):

    count-tests.py REPORT [TREE]

Each <testcase> counts once, by CTest's own result for it: passed when it ran and did not fail;
skipped only when it exited with the skip code (SKIP_RETURN_CODE), its reason being the
"skipped: ..." line it printed; failed otherwise: it failed, or it did not run for another
reason (its program missing, a fixture it needs failed, disabled). A fixture's set-up or
clean-up asserts nothing of its own when it passes, so only its failure counts: CTest names
them in the build tree TREE (ctest --show-only=json-v1). A report that cannot be read, or
counts no test, is one failure.

Prints every test that did not pass with its reason, then the last line
"N passed, M failed, K skipped". Exits 0 when the report was read, whatever it holds.
"""
import json
import re
import subprocess
import sys
import xml.etree.ElementTree as ElementTree

SKIP_CODE = "SKIP_RETURN_CODE"


def reason(case, element):
    """Why a test did not pass: the "skipped:" or "FAIL:" line it printed, CTest's message,
    or the last line of its output."""
    output = case.findtext("system-out") or ""
    said = re.findall(r"^(?:skipped|FAIL): (.+)$", output, re.MULTILINE)
    message = element.get("message", "") if element is not None else ""
    lines = [line for line in output.splitlines() if line.strip()]
    return (said[-1] if said else "") or message or (lines[-1][:200] if lines else "") or \
        "no reason given"


def count(path, fixtures):
    passed = failed = skipped = 0
    try:
        cases = list(ElementTree.parse(path).getroot().iter("testcase"))
    except (OSError, ElementTree.ParseError) as error:
        print(f"FAILED: {path} is not a CTest report: {error}")
        return 0, 1, 0
    if not cases:
        print(f"FAILED: {path} counts no test")
        return 0, 1, 0
    for case in cases:
        name = case.get("name")
        status = case.get("status")
        failure = case.find("failure")
        skip = case.find("skipped")
        if status == "run" and failure is None:
            passed += name not in fixtures
        elif status == "notrun" and skip is not None and \
                skip.get("message", "").startswith(SKIP_CODE):
            skipped += 1
            print(f"skipped: {name}: {reason(case, skip)}")
        else:
            failed += 1
            what = {"fail": "failed", "notrun": "did not run", "disabled": "is disabled"}
            print(f"FAILED: {name} {what.get(status, status)}: "
                  f"{reason(case, failure if failure is not None else skip)}")
    return passed, failed, skipped


def fixtures_of(tree):
    """The tests that set a fixture up or clean it up, as CTest knows them."""
    listing = subprocess.run(["ctest", "--test-dir", tree, "--show-only=json-v1"],
                             capture_output=True, text=True, check=True).stdout
    return {test["name"] for test in json.loads(listing)["tests"]
            if any(p["name"] in ("FIXTURES_SETUP", "FIXTURES_CLEANUP")
                   for p in test.get("properties", []))}


def main(path, tree=None):
    passed, failed, skipped = count(path, fixtures_of(tree) if tree else set())
    print(f"{passed} passed, {failed} failed, {skipped} skipped")


if __name__ == "__main__":
    main(*sys.argv[1:3])
