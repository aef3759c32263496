"""Command tails that name no usable mode end with -1 at once."""
from checks import check
from modes import INVALID, SAVER, run_host


def run():
    for tail in ["/x", "/?", "/\ts", "\x01/x", "/p 4294967295", "/p", "/p 0", "/p abc", "/p:65570",
                 "/p 0x12", "/l", "/a 12", "-a"]:
        code = run_host("run", SAVER, tail, "15")
        check(code == INVALID, "tail %r exits with -1 (got %d)" % (tail, code))
