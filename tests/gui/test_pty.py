#!/usr/bin/env python3
"""The pseudo-terminal harness: size, environment, keys as a line-mode and a curses program
read them, the screen as text, exit statuses, and waits that end."""

import os
import signal
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import run_tests  # noqa: E402
from pty_harness import Terminal, TerminalError  # noqa: E402

LINE_PROGRAM = """
import os, sys
print("size", *os.get_terminal_size(), os.environ["GREETING"])
print("hello", input("name? ").upper())
sys.exit(3)
"""

# keypad(True) switches the terminal to application cursor keys, which Terminal must follow.
CURSES_PROGRAM = """
import curses
def main(screen):
    screen.keypad(True)
    screen.addstr(0, 0, "ready 准备")
    names = []
    while True:
        key = screen.get_wch()
        if key == "\\x1b":
            return
        names.append(curses.keyname(key).decode() if isinstance(key, int) else repr(key))
        screen.addstr(1, 0, " ".join(names))
curses.wrapper(main)
"""


def test_line_program():
    with Terminal([sys.executable, "-c", LINE_PROGRAM], env=dict(os.environ, GREETING="hi"), rows=30,
                  cols=100) as term:
        term.wait_for("name? ")
        term.send("abx")
        term.press("BACKSPACE")  # the line discipline's erase
        term.send("c")
        term.press("ENTER")
        term.wait_for("hello ABC")
        assert term.wait_exit() == 3
        assert term.lines()[:4] == ["size 100 30 hi", "name? abc", "hello ABC", ""], term.text()
        assert len(term.lines()) == 30


def test_curses_program():
    with Terminal([sys.executable, "-c", CURSES_PROGRAM], env=dict(os.environ, ESCDELAY="25")) as term:
        term.wait_for("ready 准备")
        term.press("UP", "LEFT", "TAB", "CTRL-A")
        term.send("中")
        term.wait_for("'中'")
        assert term.lines()[1] == r"KEY_UP KEY_LEFT '\t' '\x01' '中'", term.text()
        term.press("ESCAPE")
        assert term.wait_exit() == 0


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
