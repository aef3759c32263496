"""Where the builds, the tests' Wine prefix and Wine's programs are, with the
Wine settings every run uses: what scripts/lib/env.sh gives the shell, for a
harness started without it. Leaves out making the prefix (set-up does)."""
import os

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD_ROOT = os.environ.get("SAVER_BUILD_DIR") or os.path.join(ROOT, "build")
WINE64 = "/usr/lib/wine/wine64"
WINE32 = "/usr/lib/wine/wine"
WINESERVER = "/usr/lib/wine/wineserver"
WINE10_ROOT = os.environ.get("SAVER_WINE10_ROOT") or "/var/lib/saver/trixie"
IN_ROOT = os.path.join(ROOT, "scripts", "lib", "in-root.sh")
# Where set-up registers QEMU's emulator for 32-bit programs.
I386_ENTRY = "/proc/sys/fs/binfmt_misc/qemu-i386"

# The prepared prefix that every Wine session copies (set-up makes it): a
# private one keeps the tests away from the user's own ~/.wine.
PREPARED_PREFIX = os.environ.get("SAVER_WINEPREFIX") or os.path.join(os.path.expanduser("~"), ".cache", "saver-wine")

# No Mono or Gecko installers, which the saver needs not and which would ask.
for name, value in [("WINEPREFIX", PREPARED_PREFIX), ("WINEARCH", "win64"), ("WINEDEBUG", "-all"),
                    ("WINEDLLOVERRIDES", "mscoree,mshtml=")]:
    os.environ.setdefault(name, value)
