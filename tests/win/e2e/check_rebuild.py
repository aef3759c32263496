#!/usr/bin/env python3
"""Builds the saver a second time, from a copy of its sources in a folder of
another name into another build folder, and compares the new saver.scr and
saver.scr.debug byte for byte with the given ones: the shipped file must
depend on its sources alone, not on where or when it was built. Prints the
first differing offset. Leaves out the tests: the copy builds the saver only.
Usage: check_rebuild.py CMAKE SOURCE WORKDIR SAVER GENERATOR TOOLCHAIN BUILD_TYPE"""
import os
import shutil
import subprocess
import sys

# What the saver's build reads; the tests, tools and documents stay behind.
SAVER_INPUTS = ["CMakeLists.txt", "cmake", "shell", "render", "resources"]
BUILT_FILES = ["saver.scr", "saver.scr.debug"]


def first_difference(old, new):
    for offset, (a, b) in enumerate(zip(old, new)):
        if a != b:
            return offset
    return min(len(old), len(new))


def compare(old_path, new_path):
    with open(old_path, "rb") as old_file, open(new_path, "rb") as new_file:
        old, new = old_file.read(), new_file.read()
    name = os.path.basename(old_path)
    if old == new:
        print("%s: the same %d bytes" % (name, len(old)))
        return True
    offset = first_difference(old, new)
    print("FAIL: %s differs from the rebuild, first at offset %d (0x%x); %d and %d bytes"
          % (name, offset, offset, len(old), len(new)))
    return False


def main():
    cmake, source, workdir, saver, generator, toolchain, build_type = sys.argv[1:8]
    shutil.rmtree(workdir, ignore_errors=True)
    copy, build = os.path.join(workdir, "sources-copy"), os.path.join(workdir, "saver-again")
    for name in SAVER_INPUTS:
        origin, target = os.path.join(source, name), os.path.join(copy, name)
        if os.path.isdir(origin):
            shutil.copytree(origin, target)
        else:
            os.makedirs(copy, exist_ok=True)
            shutil.copy2(origin, target)
    subprocess.run([cmake, "-S", copy, "-B", build, "-G", generator, "-DCMAKE_TOOLCHAIN_FILE=" + toolchain,
                    "-DCMAKE_BUILD_TYPE=" + build_type, "-DBUILD_TESTING=OFF"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run([cmake, "--build", build, "--target", "saver", "-j%d" % os.cpu_count()],
                   check=True, stdout=subprocess.DEVNULL)
    results = [compare(os.path.join(os.path.dirname(saver), name), os.path.join(build, name))
               for name in BUILT_FILES]
    sys.exit(0 if all(results) else 1)


if __name__ == "__main__":
    main()
