#!/usr/bin/env python3
"""Checks the built saver file without running it, for what Wine cannot
show: that the loaders of Windows 95 to 11 accept it and a 486DX runs it.
- Its import table is exactly the list of allowed imports, and every one
  of them is in the record of what Windows 95 and NT 4.0 export (i686).
- Its PE header asks for no newer system than the oldest target.
- Its code holds no instruction newer than the i486 (i686 build).
- It is stripped, at most 64 KiB, and its debug information lies beside it
  under the name its debug link gives.
- Its resources hold dialog 2003 as designed, string 1, bitmap 155, the
  version record and the manifest, and no bitmap 156.
Usage: check_saver_file.py OBJDUMP WINDRES OBJCOPY SAVER IMPORTS MANIFEST OLDEST_EXPORTS"""
import os
import re
import subprocess
import sys
import tempfile

MAX_SIZE = 64 * 1024
# The oldest loader each build must satisfy: Windows 95 and NT 4.0 for the
# shipped i686 file, the first x64 Windows for the test build.
HEADER_VERSIONS = {"pei-i386": (4, 0), "pei-x86-64": (5, 2)}
BUILDS = {"pei-i386": "i686", "pei-x86-64": "x86_64"}
# Instructions of the Pentium Pro and later (and CPUID, which an early 486DX
# lacks): conditional moves, the flag-setting float compares, long NOPs,
# MMX and SSE (any use of their registers), and the rest; and those a newer
# -march would bring: POPCNT, LZCNT and TZCNT (which an older processor runs
# as BSR and BSF, with another result), MOVBE, FISTTP, RDTSCP, SYSCALL,
# CRC32 and the bit-manipulation sets.
NEWER_THAN_I486 = re.compile(
    r"^(cmov\w+|fcmov\w+|f(u)?comip?|nop[wl]|cpuid|rdtscp?|rdpmc|cmpxchg8b|sysenter|sysexit|"
    r"emms|fxsave|fxrstor|prefetch\w*|movnt\w*|[ls]fence|mfence|ud2|"
    r"popcnt\w*|lzcnt\w*|tzcnt\w*|movbe\w*|fisttp\w*|syscall|sysret\w*|crc32\w*|"
    r"(andn|bextr|blsi|blsr|blsmsk|bzhi|mulx|pdep|pext|rorx|sarx|shlx|shrx)[lq]?)$")
WIDE_REGISTERS = re.compile(r"%(x|y)?mm\d")

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


def allowed_imports(path, build):
    """(DLL, function) pairs from the list, for this build."""
    allowed = set()
    with open(path) as listing:
        for line in listing:
            words = line.split("#", 1)[0].split()
            if words and (len(words) == 2 or words[2] == build):
                allowed.add((words[0].upper(), words[1]))
    return allowed


def actual_imports(dump):
    """(DLL, function) pairs of the import table as objdump prints it."""
    found, dll = set(), None
    for line in dump.splitlines():
        named = re.match(r"\s*DLL Name: (\S+)", line)
        if named:
            dll = named.group(1).upper()
            continue
        entry = re.match(r"\s+[0-9a-f]+\s+\d+\s+(\w+)$", line)
        if dll and entry:
            found.add((dll, entry.group(1)))
    return found


def check_imports(dump, imports_list, build):
    found, allowed = actual_imports(dump), allowed_imports(imports_list, build)
    check(found, "no import table found")
    check(not found - allowed, "imports not on the list: %s" % sorted(found - allowed))
    check(not allowed - found, "listed imports the file does not have: %s" % sorted(allowed - found))
    print("imports: %d functions from %s" % (len(found), sorted({dll for dll, _ in found})))
    return found | allowed


def check_oldest_exports(imports, record):
    """Wine gives every Windows version it imitates all its exports, so the
    list's claim is held against a sourced record of the oldest systems'."""
    with open(record) as text:
        recorded = {(words[0], name) for words in map(str.split, text) if words and not words[0].startswith("#")
                    for name in words[1:]}
    missing = sorted(imports - recorded)
    check(not missing, "imports Windows 95 or NT 4.0 is not recorded to export: %s" % missing)
    print("imports missing from the oldest systems' record: %d" % len(missing))


def check_header(dump, file_format):
    fields = dict(re.findall(r"^(\w+)\s+(\S+)", dump, re.M))
    wanted = HEADER_VERSIONS[file_format]
    for kind in ("OSystem", "Subsystem"):
        seen = (int(fields.get("Major%sVersion" % kind, -1)), int(fields.get("Minor%sVersion" % kind, -1)))
        check(seen == wanted, "%s version %d.%d, wanted %d.%d" % ((kind,) + seen + wanted))


def check_instructions(objdump, saver):
    listing = subprocess.run([objdump, "-d", "--no-show-raw-insn", saver], check=True,
                             capture_output=True, text=True).stdout
    newer = []
    for line in listing.splitlines():
        parts = line.split("\t")
        if len(parts) < 2 or not parts[0].strip().endswith(":"):
            continue
        mnemonic, _, operands = parts[1].strip().partition(" ")
        if NEWER_THAN_I486.match(mnemonic) or WIDE_REGISTERS.search(operands):
            newer.append(line.strip())
    check(not newer, "instructions newer than the i486:\n  " + "\n  ".join(newer[:40]))
    print("instructions newer than the i486: %d" % len(newer))


def check_stripped(headers, saver):
    size = os.path.getsize(saver)
    check(size <= MAX_SIZE, "%d bytes, more than %d" % (size, MAX_SIZE))
    print("size: %d bytes" % size)
    sections = re.findall(r"^\s*\d+ (\S+)", headers, re.M)
    check(not [name for name in sections if name.startswith(".debug")], "debug sections: %s" % sections)
    check(".gnu_debuglink" in sections, "no debug link: %s" % sections)
    debug_file = saver + ".debug"
    check(os.path.exists(debug_file), "no %s" % debug_file)


def section_bytes(objcopy, saver, section):
    with tempfile.TemporaryDirectory() as workdir:
        out = os.path.join(workdir, "section.bin")
        subprocess.run([objcopy, "-O", "binary", "-j", section, saver, out], check=True, capture_output=True)
        with open(out, "rb") as data:
            return data.read()


def main():
    objdump, windres, objcopy, saver, imports_list, manifest, oldest_exports = sys.argv[1:8]
    dump = subprocess.run([objdump, "-p", saver], check=True, capture_output=True, text=True).stdout
    headers = subprocess.run([objdump, "-h", saver], check=True, capture_output=True, text=True).stdout
    file_format = re.search(r"file format (\S+)", dump).group(1)
    imports = check_imports(dump, imports_list, BUILDS[file_format])
    check_header(dump, file_format)
    if file_format == "pei-i386":
        check_instructions(objdump, saver)
        check_oldest_exports(imports, oldest_exports)
    check_stripped(headers, saver)
    with open(manifest, "rb") as text:
        check(text.read() in section_bytes(objcopy, saver, ".rsrc"), "the manifest is not among the resources")

    rc_text = subprocess.run([windres, "-i", saver, "-O", "rc"], check=True,
                             capture_output=True, text=True).stdout
    blocks = resource_blocks(rc_text)
    kinds = {(kind, name) for kind, name, _, _ in blocks}
    us_english = (9, 1)  # LANG_ENGLISH, SUBLANG_ENGLISH_US: 1033
    for kind, name, language, _ in blocks:
        check(language == us_english, "%s %s has language %s" % (kind, name, language))
    check(("bitmap", "155") in kinds, "bitmap 155 missing")
    check(("bitmap", "156") not in kinds, "bitmap 156 present")
    check(("24", "1") in kinds, "no manifest, resource 1 of type 24")
    check({k for k, _ in kinds} <= {"bitmap", "dialog", "stringtable", "version", "24"},
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
    print("resources:", sorted(kinds))
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
