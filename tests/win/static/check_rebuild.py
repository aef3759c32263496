#!/usr/bin/env python3
"""Checks that what is shipped depends on its sources alone, not on where,
when, or under which time zone, locale or umask it was made; prints the first
differing offset of each file that differs.
saver: builds the saver again, from a copy of its sources (without their file
times) in other folders, under settings other than this process's, and
compares saver.scr and saver.scr.debug with the given ones. Builds no tests.
package: runs package.sh in a clone of HEAD, in a folder of another name,
under different settings, and compares its saver.scr and saver.scr.debug
with the given ones, built from the working tree; where the saver's sources
there differ from HEAD's, it packages a second time in another clone under
other settings and compares the two dist/ folders instead. Leaves out the
files' modes, which follow the umask.
Usage: check_rebuild.py saver CMAKE SOURCE WORKDIR SAVER GENERATOR TOOLCHAIN BUILD_TYPE
       check_rebuild.py package GIT SOURCE WORKDIR SAVER"""
import os
import shutil
import subprocess
import sys
import time

# What the saver's build reads; the tests, tools and documents stay behind.
SAVER_INPUTS = ["CMakeLists.txt", "cmake", "shell", "render", "resources"]
BUILT_FILES = ["saver.scr", "saver.scr.debug"]
# POSIX time zones 26 hours apart, so that even the local date differs
# between them at any moment.
FAR_WEST_ZONE = "<-12>+12"
FAR_EAST_ZONE = "<+14>-14"
PLAIN_LOCALE = "C"
UTF8_LOCALE = "C.UTF-8"
COMMON_UMASK = 0o022
PRIVATE_UMASK = 0o077
# Where the project's scripts would otherwise put their builds: each clone
# keeps its own.
BUILD_DIR_VARIABLE = "SAVER_BUILD_DIR"
USAGE_ERROR = 2


def first_difference(old, new):
    for offset, (a, b) in enumerate(zip(old, new)):
        if a != b:
            return offset
    return min(len(old), len(new))


def compare(old_path, new_path):
    with open(old_path, "rb") as old_file, open(new_path, "rb") as new_file:
        old, new = old_file.read(), new_file.read()
    if old == new:
        print("%s: the same %d bytes" % (new_path, len(old)))
        return True
    offset = first_difference(old, new)
    print("FAIL: %s differs from %s, first at offset %d (0x%x); %d and %d bytes"
          % (new_path, old_path, offset, offset, len(old), len(new)))
    return False


def environment(zone, locale):
    """This process's environment under another time zone and locale."""
    env = dict(os.environ, TZ=zone, LC_ALL=locale)
    env.pop(BUILD_DIR_VARIABLE, None)
    return env


def other_settings():
    """A time zone, locale and umask that each differ from this process's."""
    locale = os.environ.get("LC_ALL") or os.environ.get("LC_CTYPE") or os.environ.get("LANG") or PLAIN_LOCALE
    umask = os.umask(0)
    os.umask(umask)
    return (FAR_WEST_ZONE if os.environ.get("TZ") == FAR_EAST_ZONE else FAR_EAST_ZONE,
            UTF8_LOCALE if locale in (PLAIN_LOCALE, "POSIX") else PLAIN_LOCALE,
            COMMON_UMASK if umask == PRIVATE_UMASK else PRIVATE_UMASK)


def rebuild_saver(cmake, source, workdir, saver, generator, toolchain, build_type):
    shutil.rmtree(workdir, ignore_errors=True)
    copy, build = os.path.join(workdir, "sources-copy"), os.path.join(workdir, "saver-again")
    for name in SAVER_INPUTS:
        origin, target = os.path.join(source, name), os.path.join(copy, name)
        if os.path.isdir(origin):
            shutil.copytree(origin, target, copy_function=shutil.copy)
        else:
            os.makedirs(copy, exist_ok=True)
            shutil.copy(origin, target)
    zone, locale, umask = other_settings()
    print("rebuilding with TZ=%s LC_ALL=%s umask %03o" % (zone, locale, umask))
    env = environment(zone, locale)
    subprocess.run([cmake, "-S", copy, "-B", build, "-G", generator, "-DCMAKE_TOOLCHAIN_FILE=" + toolchain,
                    "-DCMAKE_BUILD_TYPE=" + build_type, "-DBUILD_TESTING=OFF"],
                   check=True, stdout=subprocess.DEVNULL, env=env, umask=umask)
    subprocess.run([cmake, "--build", build, "--target", "saver", "-j%d" % os.cpu_count()],
                   check=True, stdout=subprocess.DEVNULL, env=env, umask=umask)
    return all([compare(os.path.join(os.path.dirname(saver), name), os.path.join(build, name))
                for name in BUILT_FILES])


def package_in_clone(git, source, commit, folder, zone, locale, umask):
    """Clones SOURCE into FOLDER at COMMIT and runs its package.sh there."""
    # Set-up has run: the suite that runs this check ran it first.
    env = dict(environment(zone, locale), SAVER_SET_UP="1")
    subprocess.run([git, "clone", "--quiet", "--no-checkout", source, folder], check=True, env=env, umask=umask)
    subprocess.run([git, "-C", folder, "checkout", "--quiet", "--detach", commit], check=True, env=env, umask=umask)
    start = time.monotonic()
    run = subprocess.run([os.path.join(folder, "scripts", "package.sh")], cwd=folder, env=env, umask=umask,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    print("package.sh in %s with TZ=%s LC_ALL=%s umask %03o: exit code %d, %.1f s"
          % (folder, zone, locale, umask, run.returncode, time.monotonic() - start))
    if run.returncode != 0:
        print(run.stdout)
        return None
    return os.path.join(folder, "dist")


def package_once(git, source, workdir, saver):
    shutil.rmtree(workdir, ignore_errors=True)
    commit = subprocess.run([git, "-C", source, "rev-parse", "HEAD"], check=True,
                            stdout=subprocess.PIPE, text=True).stdout.strip()
    first = package_in_clone(git, source, commit, os.path.join(workdir, "first", "saver"),
                             FAR_WEST_ZONE, PLAIN_LOCALE, COMMON_UMASK)
    if first is None:
        return False
    changed = subprocess.run([git, "-C", source, "status", "--porcelain", "--", *SAVER_INPUTS], check=True,
                             stdout=subprocess.PIPE, text=True).stdout.strip()
    if not changed:
        print("commit %s, whose saver sources the working tree holds unchanged" % commit)
        return all([compare(os.path.join(os.path.dirname(saver), name), os.path.join(first, name))
                    for name in BUILT_FILES])
    print("note: the working tree's saver sources differ from HEAD's, so the release is compared with a "
          "second one:\n" + changed)
    second = package_in_clone(git, source, commit, os.path.join(workdir, "second-place", "elsewhere", "another-name"),
                              FAR_EAST_ZONE, UTF8_LOCALE, PRIVATE_UMASK)
    if second is None:
        return False
    names = [sorted(os.listdir(first)), sorted(os.listdir(second))]
    print("commit %s; dist/ folders holding %s and %s" % (commit, " ".join(names[0]), " ".join(names[1])))
    if names[0] != names[1]:
        print("FAIL: the two dist/ folders hold different files")
        return False
    return all([compare(os.path.join(first, name), os.path.join(second, name)) for name in names[0]])


def main():
    checks = {"saver": (rebuild_saver, 7), "package": (package_once, 4)}
    if len(sys.argv) < 2 or sys.argv[1] not in checks or len(sys.argv) != 2 + checks[sys.argv[1]][1]:
        print(__doc__.split("Usage: ")[1], file=sys.stderr)
        sys.exit(USAGE_ERROR)
    check, _ = checks[sys.argv[1]]
    sys.exit(0 if check(*sys.argv[2:]) else 1)


if __name__ == "__main__":
    main()
