#!/usr/bin/env python3
"""Prints, one a line, the tests of a CTest JUnit report that failed with no
output at all: a Wine program that ended at its start. Other failures are
not printed.
Usage: silent-failures.py REPORT.xml"""
import sys
import xml.etree.ElementTree as ElementTree

for case in ElementTree.parse(sys.argv[1]).getroot().iter("testcase"):
    failed = case.get("status") == "fail" or case.find("failure") is not None
    output = "".join(out.text or "" for out in case.iter("system-out"))
    if failed and not output.strip():
        print(case.get("name"))
