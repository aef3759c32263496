#!/usr/bin/env python3
"""Prints, one a line, the tests of a CTest JUnit report that failed with no
output at all: a Wine program that ended at its start. Other failures are
not printed, nor a test that CTest's output shows stopped at its time limit:
that one hung, and the report cannot tell it from a silent end.
Usage: silent-failures.py REPORT.xml CTEST-OUTPUT.txt"""
import re
import sys
import xml.etree.ElementTree as ElementTree

if len(sys.argv) != 3:
    sys.exit(__doc__)
with open(sys.argv[2], errors="replace") as output:
    timed_out = set(re.findall(r"^\s*\d+/\d+ Test\s+#\d+: (\S+) \.*\*\*\*Timeout", output.read(), re.M))
for case in ElementTree.parse(sys.argv[1]).getroot().iter("testcase"):
    failed = case.get("status") == "fail" or case.find("failure") is not None
    output = "".join(out.text or "" for out in case.iter("system-out"))
    if failed and not output.strip() and case.get("name") not in timed_out:
        print(case.get("name"))
