"""Waiting within a limit, for a condition or for a process, so that nothing
the harness or a test starts is waited for forever or left running. Leaves
out starting anything."""
import subprocess
import time


def ended(process, seconds):
    """PROCESS's exit status once it has ended within SECONDS; None while it
    runs on."""
    try:
        return process.wait(seconds)
    except subprocess.TimeoutExpired:
        return None


def stop(process, seconds):
    """PROCESS's exit status once it has ended within SECONDS; else it is
    killed, and None."""
    status = ended(process, seconds)
    if status is None:
        process.kill()
        process.wait()
    return status


def wait_for(predicate, seconds, poll=0.1):
    """Whether PREDICATE came true within SECONDS, looked at every POLL s."""
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        if predicate():
            return True
        time.sleep(poll)
    return False
