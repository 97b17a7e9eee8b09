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
    "ENTER": "\r", "TAB": "\t", "ESCAPE": "\x1b", "BACKSPACE": "\x7f", "SPACE": " ",
    "DELETE": "\x1b[3~", "INSERT": "\x1b[2~", "PAGEUP": "\x1b[5~", "PAGEDOWN": "\x1b[6~",
    "F1": "\x1bOP", "F2": "\x1bOQ", "F3": "\x1bOR", "F4": "\x1bOS", "F5": "\x1b[15~",
    "F6": "\x1b[17~", "F7": "\x1b[18~", "F8": "\x1b[19~", "F9": "\x1b[20~", "F10": "\x1b[21~",
}
CURSOR_KEYS = {"UP": "A", "DOWN": "B", "RIGHT": "C", "LEFT": "D", "HOME": "H", "END": "F"}


class TerminalError(Exception):
    pass


class XtermScreen(pyte.Screen):
    """pyte's screen with xterm's second screen (private modes 47, 1047, 1049), which pyte
    lacks: a program that draws on it (curses, where terminfo says smcup) leaves the first
    screen as it was, and leaving it shows that again."""

    SECOND = {47, 1047, 1049}

    def __init__(self, *args):
        super().__init__(*args)
        self.first = None  # the first screen's rows and cursor while the second is shown

    def set_mode(self, *modes, **kwargs):
        if kwargs.get("private") and self.SECOND.intersection(modes):
            if self.first is None:
                self.first = ({y: dict(row) for y, row in self.buffer.items()}, copy.copy(self.cursor))
                self.buffer.clear()
                self.dirty.update(range(self.lines))
            modes = [mode for mode in modes if mode not in self.SECOND]
        super().set_mode(*modes, **kwargs)

    def reset_mode(self, *modes, **kwargs):
        if kwargs.get("private") and self.SECOND.intersection(modes):
            if self.first is not None:
                rows, cursor = self.first
                self.first = None
                self.buffer.clear()
                for y, row in rows.items():
                    self.buffer[y].update(row)
                if 1049 in modes:  # 1049 also keeps the cursor
                    self.cursor = cursor
                self.dirty.update(range(self.lines))
            modes = [mode for mode in modes if mode not in self.SECOND]
        super().reset_mode(*modes, **kwargs)


class Terminal:
    def __init__(self, argv, env=None, cwd=None, rows=24, cols=80, term="xterm"):
        """Starts argv in a pty of rows x cols; env replaces the environment (TERM, LINES and
        COLUMNS are set from the arguments)."""
        self.rows, self.cols = rows, cols
        self.screen = XtermScreen(cols, rows)
        self.stream = pyte.ByteStream(self.screen)
        self.output = bytearray()  # everything the program wrote, for a failing test to show
        self.status = None
        environment = dict(os.environ if env is None else env, TERM=term, LINES=str(rows), COLUMNS=str(cols))
        pid, fd = os.forkpty()
        if pid == 0:  # the child: size the terminal before the program can ask
            try:
                fcntl.ioctl(0, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))
                if cwd:
                    os.chdir(cwd)
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
        if self.fd is None:
            return False
        ready, _, _ = select.select([self.fd], [], [], wait)
        while ready:
            try:
                chunk = os.read(self.fd, 65536)
            except BlockingIOError:
                break
            except OSError:  # EIO: every holder of the pty's other side has closed it
                return False
            if not chunk:
                return False
            self.output += chunk
            self.stream.feed(chunk)
            ready, _, _ = select.select([self.fd], [], [], 0)
        return True

    def lines(self):
        """The screen as rows x cols of text, trailing blanks removed."""
        self.pump()
        return [line.rstrip() for line in self.screen.display]

    def text(self):
        return "\n".join(self.lines()).rstrip("\n")

    def cursor(self):
        self.pump()
        return self.screen.cursor.y, self.screen.cursor.x

    def wait_for(self, text, timeout=10):
        """Waits until `text` shows on the screen (within one row, trailing blanks count);
        returns the row number."""
        deadline = time.monotonic() + timeout
        while True:
            alive = self.pump(0.05)
            for number, line in enumerate(self.screen.display):
                if text in line:
                    return number
            if time.monotonic() >= deadline or (not alive and not self._running()):
                raise TerminalError(f"{text!r} did not show within {timeout} s; the screen:\n{self.text()}")

    def wait_until(self, condition, timeout=10):
        """Waits until condition() is true, reading the program's output meanwhile."""
        deadline = time.monotonic() + timeout
        while not condition():
            if time.monotonic() >= deadline:
                raise TerminalError(f"the condition did not hold within {timeout} s; the screen:\n{self.text()}")
            self.pump(0.05)

    # -- input -------------------------------------------------------------------------------

    def send(self, text):
        """Types text as it stands (UTF-8)."""
        data = text.encode("utf-8") if isinstance(text, str) else bytes(text)
        deadline = time.monotonic() + 10
        while data:
            try:
                data = data[os.write(self.fd, data):]
            except BlockingIOError:
                if time.monotonic() > deadline:
                    raise TerminalError("the program reads no input")
                self.pump(0.05)  # it may be blocked writing to us

    def press(self, *keys):
        """Presses named keys: ENTER, TAB, ESCAPE, BACKSPACE, UP/DOWN/LEFT/RIGHT, HOME, END,
        DELETE, PAGEUP, PAGEDOWN, F1-F10, SPACE, CTRL-X for a letter X (CTRL-C interrupts)."""
        for key in keys:
            name = key.upper()
            if name in KEYS:
                self.send(KEYS[name])
            elif name in CURSOR_KEYS:  # as the terminal sends them in the mode the program chose
                self.pump()
                application = APPLICATION_CURSOR in self.screen.mode
                self.send(("\x1bO" if application else "\x1b[") + CURSOR_KEYS[name])
            elif name.startswith("CTRL-") and len(name) == 6 and "@" <= name[5] <= "_":
                self.send(chr(ord(name[5]) & 0x1F))
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
        """The exit status (negative: the signal that ended it); raises if it still runs after
        `timeout` seconds, reading the output meanwhile so that the program never blocks."""
        deadline = time.monotonic() + timeout
        while self._running():
            if time.monotonic() >= deadline:
                raise TerminalError(f"still running after {timeout} s; the screen:\n{self.text()}")
            self.pump(0.05)
        self.pump()
        return self.status

    def close(self):
        """Kills the program's process group if it still runs, then closes the pty."""
        if self.fd is None:
            return
        if self._running():
            for sig in (signal.SIGHUP, signal.SIGKILL):
                try:
                    os.killpg(self.pid, sig)
                except ProcessLookupError:
                    break
                deadline = time.monotonic() + 2
                while self._running() and time.monotonic() < deadline:
                    time.sleep(0.02)
                if not self._running():
                    break
        else:
            try:
                os.killpg(self.pid, signal.SIGKILL)  # whatever it left behind in its group
            except (ProcessLookupError, PermissionError):
                pass
        os.close(self.fd)
        self.fd = None
