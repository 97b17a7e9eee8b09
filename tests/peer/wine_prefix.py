"""What the peer checks and the end-to-end runner share: quiet commands, a private Wine prefix
(by default in build/peer/, made once with one wineboot and reused) and a locked work folder."""

import contextlib
import fcntl
import os
import shutil
import subprocess
import tempfile
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent.parent
FOLDER = REPO / "build" / "peer"
TIMEOUT = 60


def run(command, env=None, cwd=None, timeout=TIMEOUT):
    """(status, stderr); output to a file: Wine's server and services would hold a pipe open."""
    with tempfile.TemporaryFile() as errors:
        done = subprocess.run(list(command), env=env, cwd=cwd, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                              stderr=errors, timeout=timeout)
        errors.seek(0)
        return done.returncode, errors.read().decode(errors="replace")


def windows_path(path):
    return "Z:" + str(path).replace("/", "\\")


@contextlib.contextmanager
def work_folder(lock, label, keep):
    """A scratch folder, removed afterwards unless kept, while holding build/peer/<lock>: one run
    at a time uses the prefixes."""
    FOLDER.mkdir(parents=True, exist_ok=True)
    with open(FOLDER / lock, "w") as held:
        fcntl.flock(held, fcntl.LOCK_EX)
        work = Path(tempfile.mkdtemp(prefix=f"orvinta-{label.replace(' ', '-')}."))
        try:
            yield work
        finally:
            if keep:
                print(f"{label}: kept {work}")
            else:
                shutil.rmtree(work, ignore_errors=True)


class Prefix:
    """A Wine prefix at FOLDER/name (or at a path of its own), served by one wineserver."""

    def __init__(self, name, **settings):
        self.path = FOLDER / name
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("ORVINTA_", "WINE", "LC_")) and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env.update(WINEPREFIX=str(self.path), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", **settings)

    def run(self, *command, cwd=None, env=None, timeout=TIMEOUT):
        return run(command, dict(self.env, **(env or {})), cwd, timeout)

    def start(self, afresh=False):
        """Starts the server, first making the prefix when asked to, or when it is missing."""
        make = afresh or not (self.path / "system.reg").exists() or not (self.path / "user.reg").exists()
        if make:
            self.run("wineserver", "-k")
            shutil.rmtree(self.path, ignore_errors=True)
            self.path.mkdir(parents=True)
        self.run("wineserver", "-p")  # one server for the whole run, not one per program
        if make:
            status, stderr = self.run("wineboot", "-i", timeout=180)
            if status != 0:
                raise RuntimeError(f"wineboot failed in {self.path}: {stderr.strip()[-300:]}")

    def stop(self):
        self.run("wineserver", "-k")
        self.run("wineserver", "-w")
