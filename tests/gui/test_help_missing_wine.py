#!/usr/bin/env python3
"""HELP from a copy of the Windows program whose help page can't be found (its resource
renamed in the copy): the help window opens empty, with its OK button only, and closes with 0."""

import struct
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import ORVINTA, WineSession, run_tests  # noqa: E402

VIEWER = 303
RT_HTML = 23


def rename_resource(program, kind, name, new_name):
    """Renames the resource kind/name in the program file's resource directory, in place (the
    names are of the same length, and the only named one of their kind, so the order holds).
    Wine's UpdateResourceW leaves a resource in place when asked to remove it."""
    data = bytearray(program.read_bytes())
    header = struct.unpack_from("<I", data, 0x3C)[0]
    sections, optional = struct.unpack_from("<H", data, header + 6)[0], struct.unpack_from("<H", data, header + 20)[0]
    for number in range(sections):
        entry = header + 24 + optional + 40 * number
        if data[entry:entry + 5] == b".rsrc":
            base = struct.unpack_from("<I", data, entry + 20)[0]  # the section's place in the file

    def entries(directory):
        named, numbered = struct.unpack_from("<HH", data, base + directory + 12)
        for n in range(named + numbered):
            yield struct.unpack_from("<II", data, base + directory + 16 + 8 * n)

    for key, target in entries(0):
        if key == kind:
            for sub_key, _ in entries(target & 0x7FFFFFFF):
                text = base + (sub_key & 0x7FFFFFFF)
                length = struct.unpack_from("<H", data, text)[0]
                if sub_key & 0x80000000 and data[text + 2:text + 2 + 2 * length].decode("utf-16-le") == name:
                    data[text + 2:text + 2 + 2 * length] = new_name.encode("utf-16-le")
                    program.write_bytes(bytes(data))
                    return
    raise AssertionError(f"{program} has no resource {name} of type {kind}")


def test_help_window_without_its_page():
    with WineSession("helpless") as wine:
        copy = Path(tempfile.mkdtemp(prefix="helpless.", dir=wine.runs)) / "orvinta.exe"
        copy.write_bytes(ORVINTA.read_bytes())
        rename_resource(copy, RT_HTML, "HELP", "GONE")
        run = wine.launch_orvinta("HELP", program=copy)
        window = wine.find("Orvinta", timeout=30)
        viewer = window.get(VIEWER)
        assert viewer["visible"] and viewer["text"] == "", viewer
        assert window.get(1)["visible"] and not window.get(2)["visible"]
        wine.screenshot("help-window-without-page", window)
        window.click(1)
        window.gone()
        assert run.wait(30) == 0
        assert "HELP\r\n     00000000 " in run.log(), run.log()


run_tests(globals())
