#!/usr/bin/env python3
"""The pseudo-terminal harness: its waits end. Keys, the screen and exit statuses are shown by
the host's box tests, which drive the program's terminal face through it."""

import signal
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import run_tests  # noqa: E402
from pty_harness import Terminal, TerminalError  # noqa: E402


def test_waits_end():
    with Terminal(["cat"]) as term:
        for wait in (lambda: term.wait_for("never", timeout=0.3), lambda: term.wait_exit(0.3)):
            try:
                wait()
                raise AssertionError("no timeout")
            except TerminalError:
                pass
        term.press("CTRL-C")  # the pty is cat's controlling terminal
        assert term.wait_exit() == -signal.SIGINT


run_tests(globals())
