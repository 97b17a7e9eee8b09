"""Drives a terminal program (the host program's terminal face) through a pseudo-terminal.

    with Terminal(["build/host/orvinta", "OVUI"], env={"ORVINTA_ROOT": root}) as term:
        term.wait_for("Orvinta")
        term.send("MSGX Hi")
        term.press("ENTER")
        term.wait_for("Hi")
        print(term.text())
        term.press("ESCAPE")
        assert term.wait_exit(10) == 0

The program runs in its own session with the pty as its controlling terminal (so Ctrl-C is
SIGINT), of a fixed size; what it writes goes through a VT100/xterm screen model (pyte, with xterm's second screen), so
text() is what a person would see. Every wait has a timeout, and leaving the `with` block kills
the program's process group.
"""

import contextlib
import copy
import fcntl
import os
import select
import signal
import struct
import sys
import termios
import time

try:
    import pyte
except ImportError:  # Debian's python3-pyte, seen from a Python of our own
    sys.path.append("/usr/lib/python3/dist-packages")
    import pyte

APPLICATION_CURSOR = 1 << 5  # DECCKM, as pyte keeps private modes (shifted by 5)

KEYS = {
    "ENTER": "\r", "TAB": "\t", "ESCAPE": "\x1b", "BACKSPACE": "\x7f", "SPACE": " ", "DELETE": "\x1b[3~",
    "F1": "\x1bOP", "F2": "\x1bOQ", "F3": "\x1bOR", "F4": "\x1bOS", "F10": "\x1b[21~",
    "CTRL-C": "\x03", "CTRL-D": "\x04", "CTRL-U": "\x15",
}
CURSOR_KEYS = {"UP": "A", "DOWN": "B", "RIGHT": "C", "LEFT": "D", "HOME": "H", "END": "F"}


class TerminalError(Exception):
    """What the program showed or did was not what a wait expected."""


class XtermScreen(pyte.Screen):
    """pyte's screen with xterm's second screen (private modes 47, 1047, 1049), which pyte
    lacks: a program that draws on it (curses, where terminfo says smcup) leaves the first
    screen as it was, and leaving it shows that again."""

    SECOND = {47, 1047, 1049}

    def __init__(self, *args):
        super().__init__(*args)
        self.first = None  # the first screen's rows and cursor while the second is shown

    # pyte merely notes the second screen's modes among the others: they change nothing there.
    def set_mode(self, *modes, **kwargs):
        if kwargs.get("private") and self.SECOND.intersection(modes) and self.first is None:
            self.first = (copy.deepcopy(self.buffer), copy.copy(self.cursor))
            self.buffer.clear()
        super().set_mode(*modes, **kwargs)

    def reset_mode(self, *modes, **kwargs):
        if kwargs.get("private") and self.SECOND.intersection(modes) and self.first is not None:
            (self.buffer, cursor), self.first = self.first, None
            if 1049 in modes:  # 1049 also keeps the cursor
                self.cursor = cursor
        super().reset_mode(*modes, **kwargs)


class Terminal:
    def __init__(self, argv, env=None, rows=24, cols=80, term="xterm"):
        """Starts argv in a pty of rows x cols; env replaces the environment (TERM, LINES and
        COLUMNS are set from the arguments)."""
        self.screen = XtermScreen(cols, rows)
        self.stream = pyte.ByteStream(self.screen)
        self.status = None
        environment = dict(os.environ if env is None else env, TERM=term, LINES=str(rows), COLUMNS=str(cols))
        pid, fd = os.forkpty()
        if pid == 0:  # the child: size the terminal before the program can ask
            try:
                fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))
                os.execvpe(argv[0], list(argv), environment)
            except BaseException as error:
                os.write(2, f"cannot start {argv[0]}: {error}\r\n".encode())
            os._exit(127)
        self.pid, self.fd = pid, fd
        os.set_blocking(fd, False)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()
        return False

    # -- output ------------------------------------------------------------------------------

    def pump(self, wait=0.0):
        """Reads what the program wrote into the screen model, waiting up to `wait` seconds for
        the first bytes; False once the pty is closed."""
        while self.fd is not None and select.select([self.fd], [], [], wait)[0]:
            try:
                chunk = os.read(self.fd, 65536)
            except OSError:  # EIO: every holder of the pty's other side has closed it
                return False
            if not chunk:
                return False
            self.stream.feed(chunk)
            wait = 0
        return self.fd is not None

    def lines(self):
        """The screen as rows x cols of text, trailing blanks removed."""
        self.pump()
        return [line.rstrip() for line in self.screen.display]

    def text(self):
        return "\n".join(self.lines()).rstrip("\n")

    def cursor(self):
        self.pump()
        return self.screen.cursor.y, self.screen.cursor.x

    def wait_until(self, condition, timeout=10, what="the condition"):
        """Waits until condition() gives a true value, which is returned, reading the program's
        output meanwhile; gives up at once when the program has ended and it is still false."""
        deadline = time.monotonic() + timeout
        while True:
            # Whether the program has ended is settled before the condition is asked, so that a
            # program ending between the two is judged by its final state.
            ended = not self.pump(0.05) and not self._running()
            value = condition()
            if value:
                return value
            if ended or time.monotonic() >= deadline:
                raise TerminalError(f"{what} did not hold within {timeout} s; the screen:\n{self.text()}")

    def wait_for(self, text, timeout=10):
        """Waits until `text` shows on the screen (within one row, trailing blanks count);
        returns the row number."""
        rows = lambda: [n for n, line in enumerate(self.screen.display) if text in line]  # noqa: E731
        return self.wait_until(rows, timeout, f"{text!r} showing")[0]

    # -- input -------------------------------------------------------------------------------

    def send(self, text):
        """Types text as it stands (UTF-8): a few hundred bytes at most, which the pty takes at
        once."""
        data = text.encode("utf-8")
        if os.write(self.fd, data) != len(data):
            raise TerminalError("the pty took only part of the input")

    def press(self, *keys):
        """Presses named keys: those of KEYS (CTRL-C interrupts) and the cursor keys."""
        for key in keys:
            name = key.upper()
            if name in KEYS:
                self.send(KEYS[name])
            elif name in CURSOR_KEYS:  # as the terminal sends them in the mode the program chose
                self.pump()
                application = APPLICATION_CURSOR in self.screen.mode
                self.send(("\x1bO" if application else "\x1b[") + CURSOR_KEYS[name])
            else:
                raise TerminalError(f"no key named {key!r}")

    # -- the end -----------------------------------------------------------------------------

    def _running(self):
        if self.status is not None:
            return False
        pid, status = os.waitpid(self.pid, os.WNOHANG)
        if pid == 0:
            return True
        self.status = os.waitstatus_to_exitcode(status)  # -N when killed by signal N
        return False

    def wait_exit(self, timeout=10):
        """The exit status (negative: the signal that ended it), reading the output meanwhile so
        that the program never blocks."""
        self.wait_until(lambda: not self._running(), timeout, "the program's end")
        self.pump()
        return self.status

    def close(self):
        """Kills the program's process group, with whatever it left behind, and closes the pty."""
        if self.fd is None:
            return
        with contextlib.suppress(ProcessLookupError, PermissionError):
            os.killpg(self.pid, signal.SIGKILL)
        if self.status is None:
            os.waitpid(self.pid, 0)
        os.close(self.fd)
        self.fd = None
