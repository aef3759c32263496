#!/usr/bin/env python3
"""Checks the built saver file without running it: it imports only system
DLLs, and its resources hold dialog 2003 as designed, string 1, bitmap 155
and the version record, and no bitmap 156.
msvcrt.dll is allowed: the MinGW C run-time calls it, and it comes with the
95/98 family (from Windows 98 on) and the NT family as part of the system.
Usage: check_saver_file.py OBJDUMP WINDRES SAVER"""
import re
import subprocess
import sys

SYSTEM_DLLS = {"opengl32.dll", "glu32.dll", "gdi32.dll", "user32.dll",
               "kernel32.dll", "advapi32.dll", "msvcrt.dll"}

DIALOG = """2003 DIALOG 28, 25, 176, 55
STYLE 0x90c800c0
CAPTION "Another Vexmoor Screen Saver"
FONT 8, "MS Sans Serif"
BEGIN
  CONTROL "OK", 1, "BUTTON", 0x50030001, 119, 31, 50, 14
  CONTROL "www.quillhaven.example", 65535, "STATIC", 0x50020000, 37, 40, 64, 8
  CONTROL "Another Vexmoor Screen Saver", 65535, "STATIC", 0x50020000, 5, 9, 121, 8
  CONTROL "saver@quillhaven.example", 65535, "STATIC", 0x50020000, 37, 31, 71, 8
  CONTROL "by Orla Fenwick", 65535, "STATIC", 0x50020000, 37, 22, 64, 8
  CONTROL 155, 65535, "STATIC", 0x5000000e, 9, 25, 20, 20
END"""

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)


def resource_blocks(rc_text):
    """(type, name, language, body) for every resource in windres' output;
    windres writes LANGUAGE only where it changes."""
    pattern = re.compile(r"/\* Type: (\S+)\s+Name: (\S+?)\.\s+\*/\s*(?:LANGUAGE (\d+), (\d+))?\s*(.*?)(?=/\* Type:|\Z)", re.S)
    blocks, language = [], None
    for m in pattern.finditer(rc_text):
        if m.group(3) is not None:
            language = (int(m.group(3)), int(m.group(4)))
        blocks.append((m.group(1), m.group(2), language, m.group(5).strip()))
    return blocks


def main():
    objdump, windres, saver = sys.argv[1:4]
    dump = subprocess.run([objdump, "-p", saver], check=True, capture_output=True, text=True).stdout
    imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
    check(imports, "no import table found")
    check(imports <= SYSTEM_DLLS, "imports beyond the system DLLs: %s" % sorted(imports - SYSTEM_DLLS))

    rc_text = subprocess.run([windres, "-i", saver, "-O", "rc"], check=True,
                             capture_output=True, text=True).stdout
    blocks = resource_blocks(rc_text)
    kinds = {(kind, name) for kind, name, _, _ in blocks}
    us_english = (9, 1)  # LANG_ENGLISH, SUBLANG_ENGLISH_US: 1033
    for kind, name, language, _ in blocks:
        check(language == us_english, "%s %s has language %s" % (kind, name, language))
    check(("bitmap", "155") in kinds, "bitmap 155 missing")
    check(("bitmap", "156") not in kinds, "bitmap 156 present")
    check({k for k, _ in kinds} <= {"bitmap", "dialog", "stringtable", "version"},
          "unexpected resource kinds: %s" % sorted(kinds))
    by_kind = {(kind, name): body for kind, name, _, body in blocks}
    check(by_kind.get(("dialog", "2003"), "").startswith(DIALOG), "dialog 2003 differs:\n%s"
          % by_kind.get(("dialog", "2003")))
    strings = by_kind.get(("stringtable", "1"), "")
    entries = re.findall(r"^\s*(\d+), \"(.*)\"$", strings, re.M)
    check(entries == [("1", "Another Vexmoor Screen Saver")], "string table: %s" % entries)
    bitmap = by_kind.get(("bitmap", "155"), "")
    words = [int(w.rstrip("L"), 16) for w in re.findall(r"0x[0-9a-fA-F]+L", bitmap)]
    # BITMAPINFOHEADER: size 40, 32 x 32, one plane and 4 bits, no compression, 16 colours.
    check(words[:5] == [40, 32, 32, 0x40001, 0] and words[8] == 16,
          "bitmap 155 is not a 32 x 32, 4-bit uncompressed DIB with 16 colours: %s" % words[:9])
    version = by_kind.get(("version", "1"), "")
    for needed in ('VALUE "FileDescription", "Another Vexmoor Screen Saver"',
                   'VALUE "FileVersion", "2.0"', 'VALUE "ProductVersion", "1.0"',
                   'BLOCK "040904E4"', 'VALUE "Translation", 0x409, 1252'):
        check(needed in version, "version record lacks %s" % needed)

    for failure in failures:
        print("FAIL:", failure)
    print("imports:", sorted(imports))
    print("resources:", sorted(kinds))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
