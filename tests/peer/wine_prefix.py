"""What both peer checks share: quiet commands and a private Wine prefix in build/peer/, made
once (one wineboot) and reused."""

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


class Prefix:
    def __init__(self, name, **settings):
        self.path = FOLDER / name
        self.env = {k: v for k, v in os.environ.items()
                    if not k.startswith(("ORVINTA_", "WINE", "LC_")) and k not in ("DISPLAY", "WAYLAND_DISPLAY")}
        self.env.update(WINEPREFIX=str(self.path), WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=", **settings)

    def run(self, *command, cwd=None, env=None):
        return run(command, dict(self.env, **(env or {})), cwd)

    def start(self):
        self.run("wineserver", "-p")  # one server for the whole check
        if not (self.path / "system.reg").exists() or not (self.path / "user.reg").exists():
            shutil.rmtree(self.path, ignore_errors=True)
            self.path.mkdir(parents=True)
            self.run("wineserver", "-p")
            status, stderr = run(["wineboot", "-i"], self.env, timeout=180)
            if status != 0:
                raise RuntimeError(f"wineboot failed in {self.path}: {stderr.strip()[-300:]}")

    def stop(self):
        self.run("wineserver", "-k")
        self.run("wineserver", "-w")
