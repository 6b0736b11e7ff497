"""The programs a run starts (cmake, ninja and the compilers, the tests, Wine), each in a process
group of its own, and their end when a signal ends the run.

Owns: the list of programs running now, which nothing outside this module touches.
Needs: nothing from the other modules; every other module runs its programs through run()."""

import os
import signal
import subprocess
import sys
import tempfile
import time

# The programs run() has started and not yet seen end, each the leader of its process group.
CHILDREN = []


def run(command, limit, cwd=None, env=None):
    """Runs a command in its own process group; (exit status, or None after the limit, output).
    The output goes through a file, not a pipe: programs the command leaves running (Wine's
    services) would hold a pipe open."""
    with tempfile.TemporaryFile() as output:
        process = subprocess.Popen(command, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                   stdout=output, stderr=subprocess.STDOUT,
                                   start_new_session=True)
        CHILDREN.append(process)
        try:
            status = process.wait(timeout=limit)
        except subprocess.TimeoutExpired:
            os.killpg(process.pid, signal.SIGKILL)
            process.wait()
            status = None
        finally:
            CHILDREN.remove(process)
        output.seek(0)
        return status, output.read().decode("utf-8", "replace")


def end_children():
    """Ends the process groups of the programs running now (a build: cmake, ninja and the
    compilers), which a signal to this script does not reach: each group is asked to end, given
    ten seconds to clean up, then killed with whatever is left in it."""
    for process in CHILDREN:
        try:
            os.killpg(process.pid, signal.SIGTERM)
        except ProcessLookupError:
            pass
    deadline = time.time() + 10
    for process in CHILDREN:
        while process.poll() is None and time.time() < deadline:
            time.sleep(0.1)
        try:
            os.killpg(process.pid, signal.SIGKILL)
        except (ProcessLookupError, PermissionError):
            pass


def ended(signum, _frame):
    """A signal ends the run: first the programs it started, then the run itself, whose cleanup
    (the sources put back, the Wine server stopped) is left to the finally clauses it unwinds."""
    end_children()
    sys.exit(128 + signum)
