"""Drives the Windows program's windows under Xvfb and Wine, for the GUI tests (see README.md).

A session owns a private X display, a fresh Wine prefix under build/gui/ and one gui-driver.exe
(gui_driver.c) that answers commands with JSON lines. Leaving the `with` block, also by an
exception or SIGTERM, ends everything it started. Every wait has a timeout.
"""

import fcntl
import json
import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent
BUILD = REPO / "build" / "gui"
ARTEFACTS = BUILD / "artefacts"
ORVINTA = REPO / "build" / "win32" / "orvinta.exe"
SCREEN = "800x600x24"
LAUNCHER_SOURCE = REPO / "tests" / "e2e" / "wine_launch.c"

# Chinese text needs a font with its glyphs: Wine links its user-interface faces to one the
# machine has (fonts-wqy-microhei). Without a window manager Wine draws captions itself only
# when it does not expect one ("Managed"="N"), and a screenshot should show the caption.
CJK_FONT_LINK = "wqy-microhei.ttc,WenQuanYi Micro Hei"
LINKED_FACES = ("Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI",
                "Arial", "Courier New", "Lucida Console", "System", "Times New Roman")


class HarnessError(Exception):
    """The machinery itself failed: Xvfb, Wine, a build, a timeout of the harness."""


class DriverError(HarnessError):
    """The driver answered {"ok": false}; .answer holds the whole answer."""

    def __init__(self, command, answer):
        self.answer = answer
        extra = ""
        if "visible" in answer:
            extra = "; visible windows: " + (", ".join(
                f"{w['class']} {w['text']!r} {w['hwnd']}" for w in answer["visible"]) or "none")
        super().__init__(f"{command!r}: {answer.get('error')}{extra}")


def wait_until(predicate, what="the condition", timeout=20, interval=0.1):
    """Polls `predicate` until it returns a true value, which is returned; raises after
    `timeout` seconds."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value:
            return value
        if time.monotonic() >= deadline:
            raise HarnessError(f"{what} did not come true within {timeout} s (last value {value!r})")
        time.sleep(interval)


def windows_path(path):
    """A Linux path as Wine's drive Z: shows it."""
    return "Z:" + str(Path(path).resolve()).replace("/", "\\")


def driver_text(text):
    """A text as the driver reads it at the end of a line: backslash escapes for the backslash,
    line breaks, controls and lone surrogates; characters beyond the BMP as their two units."""
    out = []
    for char in text:
        code = ord(char)
        if char == "\\":
            out.append("\\\\")
        elif char in "\n\r\t":
            out.append({"\n": "\\n", "\r": "\\r", "\t": "\\t"}[char])
        elif code < 0x20 or code == 0x7F or 0xD800 <= code <= 0xDFFF:
            out.append(f"\\u{code:04x}")
        elif code > 0xFFFF:
            code -= 0x10000
            out.append(f"\\u{0xD800 + (code >> 10):04x}\\u{0xDC00 + (code & 0x3FF):04x}")
        else:
            out.append(char)
    return "".join(out)


def build_windows_program(source, output):
    """Builds a one-file Windows program with mingw-w64 into build/gui/ when it is missing or
    older than its source, as the end-to-end runner builds its launcher."""
    source, output = Path(source), BUILD / output
    if output.exists() and output.stat().st_mtime >= source.stat().st_mtime:
        return output
    BUILD.mkdir(parents=True, exist_ok=True)
    command = ["x86_64-w64-mingw32-gcc", "-municode", "-O2", "-s", "-Wall", "-o", str(output), str(source)]
    try:
        built = subprocess.run(command, capture_output=True, text=True, timeout=120)
    except (OSError, subprocess.TimeoutExpired) as error:
        raise HarnessError(f"cannot build {output.name}: {error}")
    if built.returncode != 0:
        raise HarnessError(f"cannot build {output.name}: {built.stderr.strip()[:500]}")
    return output


# ---------------------------------------------------------------------------------------------

class Window:
    """A top-level window as the driver found it; controls are named by id or "-" (the window)."""

    def __init__(self, session, answer):
        self.session, self.info, self.hwnd = session, answer, answer["hwnd"]

    def __repr__(self):
        return f"<{self.info.get('class')} {self.info.get('text')!r} {self.hwnd}>"

    def ask(self, *words, text=None, timeout=None):
        return self.session.ask(words[0], self.hwnd, *words[1:], text=text, timeout=timeout)

    def list(self):
        """{"window": {...}, "controls": [{...}, ...]}"""
        return self.ask("list")

    def controls(self):
        """The controls by id (the last one when ids repeat)."""
        return {control["id"]: control for control in self.list()["controls"]}

    def get(self, control):
        return self.ask("get", control)

    def text(self, control):
        return self.get(control)["text"]

    def settext(self, control, text):
        return self.ask("settext", control, text=text)

    def type(self, control, text):
        return self.ask("type", control, text=text)

    def key(self, control, key, how="press"):
        return self.ask("key", control, key, how)

    def click(self, control):
        return self.ask("click", control)

    def check(self, control, state=1):
        return self.ask("check", control, state)

    def command(self, command_id):
        return self.ask("command", command_id)

    def close(self):
        return self.ask("close")

    def msgbox(self):
        """{"caption": ..., "text": ..., "buttons": [{"id": 1, "text": "OK"}, ...]}"""
        return self.ask("msgbox")

    def gone(self, timeout=10):
        return self.session.ask("gone", self.hwnd, int(timeout * 1000), timeout=timeout + 15)

    def exists(self):
        return any(w["hwnd"] == self.hwnd for w in self.session.ask("windows", "hidden=1")["windows"])


class Launched:
    """A Windows program started through the launcher; wait() gives its exit code."""

    def __init__(self, process, folder, timeout):
        self.process, self.folder, self.timeout = process, folder, timeout

    def wait(self, timeout=None):
        try:
            return self.process.wait(timeout=timeout if timeout is not None else self.timeout)
        except subprocess.TimeoutExpired:
            self.kill()
            raise HarnessError(f"the program was still running after {timeout or self.timeout} s")

    def kill(self):
        if self.process.poll() is None:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait()

    def log(self):
        """ORVINTA_LOG's text, for a run of orvinta.exe."""
        path = self.folder / "log"
        return path.read_bytes().decode("utf-8", errors="replace") if path.exists() else None


class WineSession:
    """Xvfb, a private Wine prefix and the driver; see the module's text."""

    LOCK_WAIT = 300   # seconds to wait for another session to release the prefix
    START_WAIT = 120  # seconds for wineboot

    def __init__(self, name="gui", screen=SCREEN):
        self.name, self.screen = name, screen
        self.prefix = BUILD / "prefix"
        self.runs = BUILD / "runs"
        self.lock = self.xvfb = self.display = self.env = self.driver = None
        self.launched = []
        self.driver_stderr = None
        self._pending = b""

    # -- starting and stopping ---------------------------------------------------------------

    def __enter__(self):
        try:
            self.start()
        except BaseException:
            self.stop()
            raise
        return self

    def __exit__(self, *exc):
        self.stop()
        return False

    def start(self):
        missing = [t for t in ("Xvfb", "wine", "wineboot", "wineserver", "import", "x86_64-w64-mingw32-gcc")
                   if not shutil.which(t)]
        if missing:
            raise HarnessError(f"not installed: {' '.join(missing)} (run scripts/install-deps)")
        BUILD.mkdir(parents=True, exist_ok=True)
        ARTEFACTS.mkdir(exist_ok=True)
        self._take_lock()
        self.driver_exe = build_windows_program(HERE / "gui_driver.c", "gui-driver.exe")
        self.launcher = build_windows_program(LAUNCHER_SOURCE, "e2e-launch.exe")
        self._start_xvfb()
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("ORVINTA_", "WINE")) and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env.update(WINEPREFIX=str(self.prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        DISPLAY=f":{self.display}")
        self._make_prefix()
        self._start_driver()

    def _take_lock(self):
        self.lock = open(BUILD / "lock", "w")
        deadline = time.monotonic() + self.LOCK_WAIT
        while True:
            try:
                fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)  # one session owns the prefix
                return
            except BlockingIOError:
                if time.monotonic() > deadline:
                    raise HarnessError(f"another GUI session held {BUILD / 'lock'} for {self.LOCK_WAIT} s")
                time.sleep(0.5)

    def _start_xvfb(self):
        """Xvfb on a display number it picks itself (-displayfd), so no two runs collide."""
        read_end, write_end = os.pipe()
        self.xvfb_log = open(BUILD / "xvfb.log", "wb")
        self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", self.screen,
                                      "-nolisten", "tcp"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                                     stdout=self.xvfb_log, stderr=subprocess.STDOUT, start_new_session=True)
        os.close(write_end)
        (BUILD / "xvfb.pid").write_text(f"{self.xvfb.pid}\n")  # for run-gui's last resort
        number = b""
        deadline = time.monotonic() + 15
        try:
            while not number.endswith(b"\n") and time.monotonic() < deadline:
                ready, _, _ = select.select([read_end], [], [], 0.5)
                if ready:
                    chunk = os.read(read_end, 16)
                    if not chunk:
                        break
                    number += chunk
        finally:
            os.close(read_end)
        if not number.strip().isdigit():
            raise HarnessError(f"Xvfb did not start: {(BUILD / 'xvfb.log').read_text(errors='replace')[-300:]}")
        self.display = int(number)

    def quiet(self, command, timeout=60, env=None, cwd=None):
        """(status, stderr) of a Wine command whose output goes to a file: Wine's server and
        services inherit descriptors and would hold a pipe open long after."""
        with tempfile.TemporaryFile() as errors:
            try:
                done = subprocess.run(command, env=env or self.env, cwd=cwd, stdin=subprocess.DEVNULL,
                                      stdout=subprocess.DEVNULL, stderr=errors, timeout=timeout)
            except subprocess.TimeoutExpired:
                raise HarnessError(f"{' '.join(map(str, command))} did not finish within {timeout} s")
            errors.seek(0)
            return done.returncode, errors.read().decode(errors="replace")

    def _make_prefix(self):
        self.quiet(["wineserver", "-k"], timeout=30)
        shutil.rmtree(self.prefix, ignore_errors=True)
        shutil.rmtree(self.runs, ignore_errors=True)
        self.prefix.mkdir()
        self.runs.mkdir()
        self.quiet(["wineserver", "-p"])  # one server for the session
        # With the display set, so that Wine's desktop process draws on it: one started without
        # a display would leave every later window without a driver (MessageBoxW fails, 1400).
        status, stderr = self.quiet(["wineboot", "-i"], timeout=self.START_WAIT)
        if status != 0:
            raise HarnessError(f"Wine cannot start: wineboot exited with {status}: {stderr.strip()[-300:]}")
        hexed = ",".join(f"{b:02x}" for b in (CJK_FONT_LINK + "\0\0").encode())
        lines = ["REGEDIT4", "",
                 r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
        lines += [f'"{face}"=hex(7):{hexed}' for face in LINKED_FACES]
        lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]", '"Managed"="N"', ""]
        settings = BUILD / "settings.reg"
        settings.write_text("\r\n".join(lines), newline="")
        status, stderr = self.quiet(["wine", "regedit", "/S", windows_path(settings)])
        if status != 0:
            raise HarnessError(f"cannot import the prefix's settings: {stderr.strip()[-300:]}")
        # Font links are read when a process starts; none of the prefix's own are left running.
        self.quiet(["wineserver", "-k"], timeout=30)
        self.quiet(["wineserver", "-w"], timeout=30)
        self.quiet(["wineserver", "-p"])

    def _start_driver(self):
        self.driver_stderr = open(BUILD / "driver.stderr", "wb")
        self.driver = subprocess.Popen(["wine", str(self.driver_exe)], env=self.env, stdin=subprocess.PIPE,
                                       stdout=subprocess.PIPE, stderr=self.driver_stderr, start_new_session=True)
        self.ask("ping", timeout=60)

    def stop(self):
        """Ends everything this session started; safe to call twice and after a failed start."""
        for run in self.launched:
            run.kill()
        self.launched = []
        if self.driver is not None:
            try:
                self.driver.stdin.write(b"quit\n")
                self.driver.stdin.flush()
                self.driver.wait(timeout=5)
            except (OSError, subprocess.TimeoutExpired):
                pass
            if self.driver.poll() is None:
                try:
                    os.killpg(self.driver.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                self.driver.wait()
            for stream in (self.driver.stdin, self.driver.stdout):
                try:
                    stream.close()
                except OSError:
                    pass
            self.driver = None
        if self.env is not None:
            for command in (["wineserver", "-k"], ["wineserver", "-w"]):
                try:
                    self.quiet(command, timeout=30)
                except HarnessError:
                    pass
            self.env = None
        if self.xvfb is not None:
            self.xvfb.terminate()
            try:
                self.xvfb.wait(timeout=5)
            except subprocess.TimeoutExpired:
                self.xvfb.kill()
                self.xvfb.wait()
            self.xvfb = None
            self.xvfb_log.close()
            (BUILD / "xvfb.pid").unlink(missing_ok=True)
        if self.driver_stderr is not None:
            self.driver_stderr.close()
            self.driver_stderr = None
        if self.lock is not None:
            self.lock.close()
            self.lock = None

    # -- the driver --------------------------------------------------------------------------

    def ask(self, command, *words, text=None, timeout=None, check=True):
        """Sends one command line (words, then an optional free text) and returns the parsed
        answer; raises DriverError when it says ok:false (unless check=False) and HarnessError
        when no answer comes within `timeout` seconds (by default the command's own wait, taken
        from a timeout=MS word, plus 15 s)."""
        if self.driver is None or self.driver.poll() is not None:
            raise HarnessError("the driver is not running")
        parts = [command] + [str(w) for w in words]
        if text is not None:
            parts.append(driver_text(text))
        line = " ".join(parts)
        if timeout is None:
            waits = [int(w[8:]) / 1000 for w in parts if w.startswith("timeout=") and w[8:].isdigit()]
            timeout = (waits[0] if waits else 10) + 15
        try:
            self.driver.stdin.write(line.encode("utf-8", errors="surrogatepass") + b"\n")
            self.driver.stdin.flush()
        except OSError as error:
            raise HarnessError(f"cannot write to the driver: {error}")
        reply = self._read_line(timeout, line)
        try:
            answer = json.loads(reply)
        except ValueError:
            raise HarnessError(f"the driver answered {line!r} with no JSON: {reply[:300]!r}")
        if check and not answer.get("ok"):
            raise DriverError(line, answer)
        return answer

    def _read_line(self, timeout, command):
        deadline = time.monotonic() + timeout
        stream = self.driver.stdout.fileno()
        while b"\n" not in self._pending:
            left = deadline - time.monotonic()
            if left <= 0:
                raise HarnessError(f"no answer from the driver to {command!r} within {timeout} s")
            ready, _, _ = select.select([stream], [], [], left)
            if ready:
                chunk = os.read(stream, 65536)
                if not chunk:
                    raise HarnessError(f"the driver ended while answering {command!r}")
                self._pending += chunk
        line, _, self._pending = self._pending.partition(b"\n")
        return line.decode("utf-8", errors="replace")

    def find(self, caption=None, cls=None, timeout=10, owner=None, not_=None, hidden=False):
        """The first visible top-level window with exactly this caption (any when None) and
        class; owner is a Window, a handle or 0 (unowned); not_ a Window to pass over."""
        words = [f"timeout={int(timeout * 1000)}"]
        if cls:
            words.append(f"class={cls}")
        if owner is not None:
            words.append(f"owner={getattr(owner, 'hwnd', owner)}")
        if not_ is not None:
            words.append(f"not={getattr(not_, 'hwnd', not_)}")
        if hidden:
            words.append("hidden=1")
        words.append("--")
        return Window(self, self.ask("find", *words, text=caption or ""))

    def windows(self, caption=None, cls=None):
        words = [f"class={cls}"] if cls else []
        return [Window(self, w) for w in self.ask("windows", *words, "--", text=caption or "")["windows"]]

    # -- programs ----------------------------------------------------------------------------

    def launch(self, program, command_line="", cwd=None, env=None, timeout=60, folder=None):
        """Starts a Windows program with exactly `command_line` after its quoted path, through
        the launcher, which kills it after `timeout` seconds. Does not wait."""
        folder = Path(folder or tempfile.mkdtemp(prefix="run.", dir=self.runs))
        folder.mkdir(parents=True, exist_ok=True)
        (folder / "command-line").write_bytes(command_line.encode("utf-16-le", errors="surrogatepass"))
        command = ["wine", str(self.launcher), windows_path(program), windows_path(folder / "command-line"),
                   cwd or "C:\\", str(int(timeout * 1000))]
        with open(folder / "stderr", "wb") as errors:
            process = subprocess.Popen(command, env=dict(self.env, **(env or {})), stdin=subprocess.DEVNULL,
                                       stdout=subprocess.DEVNULL, stderr=errors, start_new_session=True)
        run = Launched(process, folder, timeout + 10)
        self.launched.append(run)
        return run

    def launch_orvinta(self, script, name="orvinta", program=ORVINTA, env=None, timeout=60, root_files=None):
        """Starts orvinta.exe with `script` as its whole command line, in a fresh device root
        that is drive D: and the current folder, logging to the run folder's "log", with
        device calls journaled ("journal") and never made; `root_files` maps relative paths to
        bytes placed in the root first."""
        program = Path(program)
        if not program.is_file():
            raise HarnessError(f"no Windows program at {program} (cmake --build --preset win32)")
        folder = Path(tempfile.mkdtemp(prefix=name + ".", dir=self.runs))
        root = folder / "root"
        root.mkdir()
        for relative, data in (root_files or {}).items():
            (root / relative).parent.mkdir(parents=True, exist_ok=True)
            (root / relative).write_bytes(data)
        drive = self.prefix / "dosdevices" / "d:"
        if drive.is_symlink() or drive.exists():
            drive.unlink()
        drive.symlink_to(root)
        variables = dict(ORVINTA_LOG=windows_path(folder / "log"), ORVINTA_JOURNAL=windows_path(folder / "journal"),
                         ORVINTA_DEVICE_CALLS="journal-only", ORVINTA_HELPER_RECORD=windows_path(folder / "record"))
        variables.update(env or {})
        return self.launch(program, script, cwd="D:\\", env=variables, timeout=timeout, folder=folder)

    # -- pictures ----------------------------------------------------------------------------

    def screenshot(self, name, window=None):
        """The display, or one window's rectangle on it, as build/gui/artefacts/<name>.png."""
        path = ARTEFACTS / f"{name}.png"
        command = ["import", "-display", f":{self.display}", "-window", "root"]
        if window is not None:
            left, top, right, bottom = window.list()["window"]["screen"]
            command += ["-crop", f"{right - left}x{bottom - top}+{max(left, 0)}+{max(top, 0)}", "+repage"]
        try:
            done = subprocess.run(command + [f"png:{path}"], capture_output=True, text=True, timeout=30)
        except subprocess.TimeoutExpired:
            raise HarnessError("the screenshot took longer than 30 s")
        if done.returncode != 0:
            raise HarnessError(f"screenshot failed: {done.stderr.strip()[:300]}")
        return path


# ---------------------------------------------------------------------------------------------
# A small runner for the test files: `run_tests(globals())` at the end of a file.

def run_tests(namespace):
    """Runs the file's test_* functions in order (or those named on the command line), printing
    "PASS name (N.N s)" or "FAIL name: reason" with the traceback's end; exit status 1 when any
    failed. SIGTERM becomes an exception, so a test's `with` blocks still tear down."""
    def terminated(signum, frame):
        raise HarnessError("terminated (the overall timeout)")
    signal.signal(signal.SIGTERM, terminated)
    wanted = sys.argv[1:]
    file = Path(namespace.get("__file__", "tests")).stem
    failed = 0
    for name, function in list(namespace.items()):
        if not name.startswith("test_") or not callable(function) or (wanted and name not in wanted):
            continue
        started = time.monotonic()
        try:
            function()
            print(f"PASS {file}.{name} ({time.monotonic() - started:.1f} s)", flush=True)
        except Exception as error:
            failed += 1
            print(f"FAIL {file}.{name}: {type(error).__name__}: {error}", flush=True)
            lines = traceback.format_exc().rstrip().splitlines()
            print("\n".join("    " + line for line in lines[-12:]), flush=True)
    sys.exit(1 if failed else 0)
