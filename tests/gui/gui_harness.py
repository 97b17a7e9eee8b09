"""Drives the Windows program's windows under Xvfb and Wine, for the GUI tests (see README.md).

A session owns a private X display, a fresh Wine prefix under build/gui/ and one gui-driver.exe
(gui_driver.c) that answers commands with JSON lines. Leaving the `with` block, also by an
exception or SIGTERM, ends everything it started. Every wait has a timeout.
"""

import contextlib
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
WM_CLOSE, WM_KEYDOWN, WM_KEYUP, WM_COMMAND, BM_CLICK = 0x0010, 0x0100, 0x0101, 0x0111, 0x00F5
# Keys by name: the virtual key and the scan code that the keyboard would send with it.
KEYS = {"RETURN": (0x0D, 0x1C), "ESCAPE": (0x1B, 0x01), "TAB": (0x09, 0x0F), "UP": (0x26, 0x48), "DOWN": (0x28, 0x50)}

# Chinese text needs a font with its glyphs: Wine links its user-interface faces to one the
# machine has (fonts-wqy-microhei). Without a window manager Wine draws captions itself only
# when it does not expect one ("Managed"="N"), and a screenshot should show the caption.
CJK_FONT_LINK = "wqy-microhei.ttc,WenQuanYi Micro Hei"
LINKED_FACES = ("Tahoma", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif", "Segoe UI",
                "Arial", "Courier New", "Lucida Console", "System", "Times New Roman")


class HarnessError(Exception):
    """The machinery failed (Xvfb, Wine, a build, the driver) or a wait ran out."""


class Terminated(BaseException):
    """SIGTERM (the overall timeout): no test may take it for a failure of its own and go on."""


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


def log_entries(text):
    """A log's text as (command line, result) pairs, the argument separator shown as a comma."""
    lines = [line for line in text.split("\r\n") if line]
    return [(lines[i].replace("\x01", ","), lines[i + 1].split()[0]) for i in range(0, len(lines) - 1, 2)]


def build_windows_program(source, output):
    """Builds a one-file Windows program with mingw-w64 into build/gui/ when it is missing or
    older than its source, as the end-to-end runner builds its launcher."""
    source, output = Path(source), BUILD / output
    if output.exists() and output.stat().st_mtime >= source.stat().st_mtime:
        return output
    command = ["x86_64-w64-mingw32-gcc", "-municode", "-O2", "-s", "-Wall", "-o", str(output), str(source)]
    built = subprocess.run(command, capture_output=True, text=True, timeout=120)
    if built.returncode != 0:
        raise HarnessError(f"cannot build {output.name}: {built.stderr.strip()[:500]}")
    return output


def kill_group(process):
    """Kills a process started in a session of its own, with all it started there."""
    if process is not None and process.poll() is None:
        with contextlib.suppress(ProcessLookupError):
            os.killpg(process.pid, signal.SIGKILL)
        process.wait()


# ---------------------------------------------------------------------------------------------

class Window:
    """A top-level window as the driver listed it; controls are named by id or "-" (the window).
    What is posted (click, key, close, command) answers at once: wait for its effect."""

    def __init__(self, session, info):
        self.session, self.info, self.hwnd = session, info, info["hwnd"]

    def __repr__(self):
        return f"<{self.info.get('class')} {self.info.get('text')!r} {self.hwnd}>"

    def list(self):
        """{"window": {...}, "controls": [{...}, ...]}"""
        return self.session.ask("list", self.hwnd)

    def controls(self):
        """The controls by id (the first one when ids repeat)."""
        return {control["id"]: control for control in reversed(self.list()["controls"])}

    def get(self, control):
        """A control by id, waited for: a window may show before its controls are all made."""
        return wait_until(lambda: self.controls().get(control), f"control {control} of {self!r}", timeout=10)

    def text(self, control):
        return self.get(control)["text"]

    def handle(self, control):
        return self.hwnd if control == "-" else self.get(control)["hwnd"]

    def settext(self, control, text):
        return self.session.ask("settext", self.handle(control), text=text)

    def type(self, control, text):
        return self.session.ask("type", self.handle(control), text=text)

    def post(self, control, *messages):
        """Posts messages at once, each as three numbers: message, wParam, lParam."""
        return self.session.ask("post", self.handle(control), *messages)

    def key(self, control, name, how="press"):
        """Posts the key's WM_KEYDOWN and, unless `how` is "down", its WM_KEYUP."""
        code, scan = KEYS[name]
        up = [WM_KEYUP, code, scan << 16 | 0xC0000001] if how != "down" else []
        self.post(control, WM_KEYDOWN, code, scan << 16 | 1, *up)

    def click(self, control):
        return self.post(control, BM_CLICK, 0, 0)

    def check(self, control, state=1):
        """Clicks a check box or radio button unless it shows `state`, then waits until it does."""
        if self.get(control)["check"] != state:
            self.click(control)
        wait_until(lambda: self.get(control)["check"] == state, f"check state {state} of {control}")

    def command(self, command_id):
        return self.post("-", WM_COMMAND, command_id, 0)

    def close(self):
        return self.post("-", WM_CLOSE, 0, 0)

    def msgbox(self):
        """A message box as {"caption", "text", "buttons": [(id, text), ...]}."""
        listing = self.list()
        controls = listing["controls"]
        return {"caption": listing["window"]["text"],
                "text": "".join(c["text"] for c in controls if c["class"].lower() == "static"),
                "buttons": [(c["id"], c["text"]) for c in controls if c["class"].lower() == "button"]}

    def exists(self):
        return any(w["hwnd"] == self.hwnd for w in self.session.ask("windows")["windows"])

    def gone(self, timeout=10):
        wait_until(lambda: not self.exists(), f"the end of {self}", timeout)

    def dismiss(self, button=1):
        """Clicks the button and waits for the window to go."""
        self.click(button)
        self.gone()


class Launched:
    """A Windows program started through the launcher; wait() gives its exit code."""

    def __init__(self, process, folder, timeout):
        self.process, self.folder, self.timeout = process, folder, timeout

    def wait(self, timeout=None):
        return self.process.wait(timeout=timeout or self.timeout)

    def log(self):
        """ORVINTA_LOG's text, for a run of orvinta.exe."""
        path = self.folder / "log"
        return path.read_bytes().decode("utf-8", errors="replace") if path.exists() else None


class WineSession:
    """Xvfb, a private Wine prefix and the driver; see the module's text."""

    def __init__(self):
        self.prefix, self.runs = BUILD / "prefix", BUILD / "runs"
        self.lock = self.xvfb = self.env = self.driver = None
        self.launched = []
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
        ARTEFACTS.mkdir(parents=True, exist_ok=True)
        self.lock = open(BUILD / "lock", "w")
        wait_until(self._take_lock, f"{BUILD / 'lock'} free (another GUI session)", timeout=300, interval=0.5)
        self.driver_exe = build_windows_program(HERE / "gui_driver.c", "gui-driver.exe")
        self.launcher = build_windows_program(LAUNCHER_SOURCE, "e2e-launch.exe")
        self._start_xvfb()
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("ORVINTA_", "WINE")) and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env.update(WINEPREFIX=str(self.prefix), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                        DISPLAY=f":{self.display}")
        self._make_prefix()
        with open(BUILD / "driver.stderr", "wb") as errors:
            self.driver = subprocess.Popen(["wine", str(self.driver_exe)], env=self.env, stdin=subprocess.PIPE,
                                           stdout=subprocess.PIPE, stderr=errors, start_new_session=True)
        self.ask("ping", timeout=60)

    def _take_lock(self):
        try:
            fcntl.flock(self.lock, fcntl.LOCK_EX | fcntl.LOCK_NB)  # one session owns the prefix
            return True
        except BlockingIOError:
            return False

    def _start_xvfb(self):
        """Xvfb on a display number it picks itself (-displayfd), so no two runs collide. It
        stays in the test's process group, so that killing the group ends it too."""
        read_end, write_end = os.pipe()
        with open(BUILD / "xvfb.log", "wb") as log:
            self.xvfb = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", SCREEN,
                                          "-nolisten", "tcp"], pass_fds=(write_end,), stdin=subprocess.DEVNULL,
                                         stdout=log, stderr=subprocess.STDOUT)
        os.close(write_end)
        number = b""  # written in two pieces, the number and a line end: read both
        while not number.endswith(b"\n") and select.select([read_end], [], [], 15)[0]:
            chunk = os.read(read_end, 16)
            if not chunk:
                break
            number += chunk
        os.close(read_end)
        if not number.strip().isdigit():
            raise HarnessError(f"Xvfb did not start: {(BUILD / 'xvfb.log').read_text(errors='replace')[-300:]}")
        self.display = int(number)

    def quiet(self, *command, timeout=60, check=False):
        """Runs a Wine command with its output in a file (Wine's server and services inherit
        descriptors and would hold a pipe open long after); raises if `check` and it fails."""
        with tempfile.TemporaryFile() as errors:
            done = subprocess.run(command, env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                  stderr=errors, timeout=timeout)
            errors.seek(0)
            if check and done.returncode != 0:
                raise HarnessError(f"{' '.join(command)} exited with {done.returncode}: "
                                   f"{errors.read().decode(errors='replace').strip()[-300:]}")

    def _make_prefix(self):
        self.quiet("wineserver", "-k", timeout=30)
        shutil.rmtree(self.prefix, ignore_errors=True)
        shutil.rmtree(self.runs, ignore_errors=True)
        self.prefix.mkdir()
        self.runs.mkdir()
        self.quiet("wineserver", "-p")  # one server for the session
        # With the display set, so that Wine's desktop process draws on it: one started without
        # a display would leave every later window without a driver (MessageBoxW fails, 1400).
        self.quiet("wineboot", "-i", timeout=120, check=True)
        hexed = ",".join(f"{b:02x}" for b in (CJK_FONT_LINK + "\0\0").encode())
        lines = ["REGEDIT4", "",
                 r"[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink]"]
        lines += [f'"{face}"=hex(7):{hexed}' for face in LINKED_FACES]
        lines += ["", r"[HKEY_CURRENT_USER\Software\Wine\X11 Driver]", '"Managed"="N"', ""]
        settings = BUILD / "settings.reg"
        settings.write_text("\r\n".join(lines), newline="")
        self.quiet("wine", "regedit", "/S", windows_path(settings), check=True)
        # Font links are read when a process starts; none of the prefix's own are left running.
        self.quiet("wineserver", "-k", timeout=30)
        self.quiet("wineserver", "-w", timeout=30)
        self.quiet("wineserver", "-p")

    def stop(self):
        """Ends everything this session started; safe to call twice and after a failed start."""
        for process in [run.process for run in self.launched] + [self.driver]:
            kill_group(process)
        self.launched, self.driver = [], None
        if self.env is not None:
            with contextlib.suppress(subprocess.TimeoutExpired):
                self.quiet("wineserver", "-k", timeout=30)
                self.quiet("wineserver", "-w", timeout=30)
            self.env = None
        if self.xvfb is not None:  # killing it twice does no harm, as closing the lock twice
            self.xvfb.kill()
            self.xvfb.wait()
        if self.lock is not None:
            self.lock.close()

    # -- the driver --------------------------------------------------------------------------

    def ask(self, command, *words, text=None, timeout=25):
        """Sends one command line (words, then an optional text as its UTF-16 units in hex) and
        returns the parsed answer; raises HarnessError when it says ok:false or when no answer
        comes within `timeout` seconds."""
        if text is not None:
            words += (text.encode("utf-16-be", errors="surrogatepass").hex(),)
        line = " ".join([command, *map(str, words)])
        try:
            self.driver.stdin.write(line.encode() + b"\n")
            self.driver.stdin.flush()
        except (OSError, AttributeError) as error:
            raise HarnessError(f"cannot write to the driver: {error!r}")
        deadline = time.monotonic() + timeout
        while b"\n" not in self._pending:
            ready, _, _ = select.select([self.driver.stdout], [], [], max(deadline - time.monotonic(), 0))
            chunk = os.read(self.driver.stdout.fileno(), 65536) if ready else b""
            if not chunk:
                raise HarnessError(f"no answer from the driver to {line!r} (it ended, or {timeout} s passed)")
            self._pending += chunk
        reply, _, self._pending = self._pending.partition(b"\n")
        answer = json.loads(reply)
        if not answer.get("ok"):
            raise HarnessError(f"the driver answered {line!r} with: {answer.get('error')}")
        return answer

    def windows(self, caption=None, cls=None, owner=None):
        """The visible top-level windows with exactly this caption and class (any when None);
        owner is a Window or 0 (unowned)."""
        owner = f"0x{owner:X}" if isinstance(owner, int) else getattr(owner, "hwnd", None)
        return [Window(self, w) for w in self.ask("windows")["windows"]
                if w["visible"] and (caption is None or w["text"] == caption) and (cls is None or w["class"] == cls)
                and (owner is None or w["owner"] == owner)]

    def find(self, caption=None, cls=None, owner=None, timeout=10):
        """Waits for the first of windows(...); a failure names the visible windows."""
        try:
            return wait_until(lambda: self.windows(caption, cls, owner), timeout=timeout)[0]
        except HarnessError:
            shown = ", ".join(map(repr, self.windows())) or "none"
            raise HarnessError(f"no window {caption!r} of class {cls} within {timeout} s; visible: {shown}") from None

    # -- programs ----------------------------------------------------------------------------

    def launch_orvinta(self, script, program=ORVINTA, env=None, timeout=60, root_files=None):
        """Starts orvinta.exe (or `program`) through the launcher with exactly `script` as its
        command line after its quoted path; the launcher kills it after `timeout` seconds. It
        runs in a fresh device root that is drive D: and the current folder, logging to the run
        folder's "log", with device calls journaled ("journal") and never made; `root_files`
        maps relative paths to bytes placed in the root first. Does not wait."""
        if not Path(program).is_file():
            raise HarnessError(f"no Windows program at {program} (cmake --build --preset win32)")
        folder = Path(tempfile.mkdtemp(prefix="orvinta.", dir=self.runs))
        (folder / "root").mkdir()
        for relative, data in (root_files or {}).items():
            (folder / "root" / relative).parent.mkdir(parents=True, exist_ok=True)
            (folder / "root" / relative).write_bytes(data)
        drive = self.prefix / "dosdevices" / "d:"
        drive.unlink(missing_ok=True)
        drive.symlink_to(folder / "root")
        (folder / "command-line").write_bytes(script.encode("utf-16-le", errors="surrogatepass"))
        command = ["wine", str(self.launcher), windows_path(program), windows_path(folder / "command-line"), "D:\\",
                   str(int(timeout * 1000))]
        env = dict(self.env, ORVINTA_LOG=windows_path(folder / "log"), ORVINTA_JOURNAL=windows_path(folder / "journal"),
                   ORVINTA_DEVICE_CALLS="journal-only", **(env or {}))
        with open(folder / "stderr", "wb") as errors:
            process = subprocess.Popen(command, env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                       stderr=errors, start_new_session=True)
        self.launched.append(Launched(process, folder, timeout + 10))
        return self.launched[-1]

    def screenshot(self, name, window=None):
        """The display, or one window's rectangle on it, as build/gui/artefacts/<name>.png."""
        path = ARTEFACTS / f"{name}.png"
        command = ["import", "-display", f":{self.display}", "-window", "root"]
        if window is not None:
            left, top, right, bottom = window.list()["window"]["screen"]
            command += ["-crop", f"{right - left}x{bottom - top}+{max(left, 0)}+{max(top, 0)}", "+repage"]
        done = subprocess.run(command + [f"png:{path}"], capture_output=True, text=True, timeout=30)
        if done.returncode != 0:
            raise HarnessError(f"screenshot failed: {done.stderr.strip()[:300]}")
        return path


def run_tests(namespace):
    """Runs the file's test_* functions in order (or those named on the command line), printing
    "PASS file.name (N.N s)" or "FAIL file.name: reason" with the traceback's end; exit status 1
    when any failed. SIGTERM becomes an exception that ends the file, so a test's `with` blocks
    still tear down."""
    def terminated(signum, frame):
        raise Terminated("terminated (the overall timeout)")
    signal.signal(signal.SIGTERM, terminated)
    file = Path(namespace["__file__"]).stem
    failed = 0
    for name, function in list(namespace.items()):
        if not name.startswith("test_") or (sys.argv[1:] and name not in sys.argv[1:]):
            continue
        started = time.monotonic()
        try:
            function()
            print(f"PASS {file}.{name} ({time.monotonic() - started:.1f} s)", flush=True)
        except Exception as error:
            failed += 1
            print(f"FAIL {file}.{name}: {type(error).__name__}: {error}", flush=True)
            print("\n".join("    " + line for line in traceback.format_exc().rstrip().splitlines()[-12:]), flush=True)
    sys.exit(1 if failed else 0)
