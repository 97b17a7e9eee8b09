#!/usr/bin/env python3
"""The Windows program's main window, help window and about box under Wine: Execute's enabling,
typing and Execute with the log read back, the command box's 259 units, Clear log, the
association item and its messages, Help with its OK, About's text, one window at a time (also
across copies), and a script that goes on after the window closes. Screenshots of the three
windows are kept. The help window of a copy whose help page can't be found (its resource
renamed in the copy) opens empty, with its OK button only, and closes with 0."""

import re
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import ORVINTA, Window, WineSession, run_tests, wait_until  # noqa: E402

ENTRY = "\r\n     {:08X} "
VIEWER = 303  # the help window's page


def ink_height(wine, control, name):
    """The height in pixels of the dark part of a control's picture, inside its frame."""
    path = wine.screenshot(name, Window(wine, control))
    done = subprocess.run(["convert", str(path), "-shave", "4x4", "-colorspace", "gray", "-threshold", "45%",
                           "-negate", "-trim", "-format", "%h", "info:"], capture_output=True, text=True, timeout=30)
    return int(done.stdout)


def renamed(data, name, new_name):
    """The program file with a resource's name changed in its resource directory, where a name
    is its length in UTF-16 units, then the units. Of the same length and the only named
    resource of its type, the new name keeps the directory in order. (Wine's UpdateResourceW
    leaves a resource in place when asked to remove it.)"""
    old, new = (len(n).to_bytes(2, "little") + n.encode("utf-16-le") for n in (name, new_name))
    assert len(name) == len(new_name) and data.count(old) == 1, f"{name} is not one resource name here"
    return data.replace(old, new)


def test_main_window():
    with WineSession() as wine:
        run = wine.launch_orvinta("OVUI\r\nMSGX Done", root_files={"setup.ovs": b"EVAL x=3\r\n"})
        main = wine.find("Orvinta", timeout=60)
        controls = main.controls()
        assert controls[1]["text"] == "执行" and not controls[1]["enabled"], controls[1]
        assert controls[2]["text"] == "菜单", controls[2]
        # The buttons made for a desktop write in the dialog's font, as its other controls do
        # (Wine answers no WM_GETFONT from another process, so the glyphs are measured).
        assert abs(ink_height(wine, controls[2], "menu-button") - ink_height(wine, controls[304], "prompt")) <= 1
        assert controls[304]["text"] == "请输入要执行的命令，命令解释引擎将为您执行它。"

        # Execute is enabled by the first character and runs the box; the pane shows the entry.
        main.type(300, "EVAL x=4")
        wait_until(lambda: main.get(1)["enabled"], "Execute's enabling")
        main.click(1)
        wait_until(lambda: "EVAL x=4" + ENTRY.format(4) in main.text(305), "the log entry")
        wine.screenshot("main-window", main)
        main.settext(300, "")
        wait_until(lambda: not main.get(1)["enabled"], "Execute's disabling")

        # A typed line stops at the box's 259 units.
        main.type(300, "EVAL 1=" + "a" * 293)
        assert len(main.text(300)) == 259

        # Clear log; Execute with an empty box runs nothing and logs nothing.
        main.command(404)
        wait_until(lambda: main.text(305) == "", "Clear log")
        main.settext(300, "")
        main.command(1)
        # A second OVUI: the same window comes forward, and 1 is logged.
        main.settext(300, "OVUI")
        main.click(1)
        wait_until(lambda: "OVUI" + ENTRY.format(1) in main.text(305), "OVUI's entry")
        assert main.text(305).startswith("OVUI\r\n"), main.text(305)
        assert len(wine.windows("Orvinta")) == 1

        # The browse button: the platform's own open dialog, titled by string 503; the chosen
        # path lands in the command box.
        main.click(303)
        picker = wine.find("打开", owner=main, timeout=30)
        wine.screenshot("file-picker", picker)
        picker.settext(1148, "D:\\setup.ovs")
        picker.key(1148, "RETURN")  # its Open button shares id 1 with its toolbar
        picker.gone()
        wait_until(lambda: main.text(300).lower() == "d:\\setup.ovs", "the chosen path")
        main.click(1)  # a path without keyword: LOAD runs it, nested lines logged too
        wait_until(lambda: "EVAL x=3" + ENTRY.format(3) in main.text(305), "the picked script's run")

        # The association item: on (string 512), then off (string 513), captioned by the item.
        for text in ("已经把 .ovs 文件类型关联到 Orvinta 命令解释引擎。", "已经取消 .ovs 文件类型关联。"):
            main.command(403)
            box = wine.find("文件关联", owner=main, timeout=20)
            assert box.msgbox()["text"].startswith(text), box.msgbox()
            box.dismiss()

        # The Menu button opens the drop-down (its items can't be read from here).
        main.click(2)
        menu = wine.find(cls="#32768", timeout=20)
        wine.screenshot("main-window-menu")
        menu.key("-", "ESCAPE")
        menu.gone()

        # Help: the page in its window, OK only; the window closes with 0.
        main.command(400)
        help_window = wine.find("Orvinta", owner=main, timeout=20)
        wait_until(lambda: "【6. 命令】" in help_window.text(VIEWER), "the help page")
        assert not help_window.get(2)["visible"] and help_window.get(1)["visible"]
        wine.screenshot("help-window", help_window)
        # Its links lead to their anchors: Enter on the contents' first entry.
        for _ in range(4):
            help_window.key(VIEWER, "DOWN")
        help_window.key(VIEWER, "RETURN")
        wine.screenshot("help-window-after-link", help_window)
        assert help_window.exists()
        help_window.dismiss()

        # About: the version, the build time, two lines of ours.
        main.command(401)
        about = wine.find("Orvinta", owner=main, cls="#32770", timeout=20)
        text = about.msgbox()["text"]
        assert re.match(r"1\.6\.360\.1060\r\n\r\n[A-Z][a-z]{2} [ \d]\d \d{4} \d\d:\d\d:\d\d\r\n\r\n.+\r\n\r\n.+$",
                        text), text
        wine.screenshot("about-box", about)
        about.dismiss()

        # Exit: the script goes on; its box has no owner and nothing more reaches the pane.
        main.command(402)
        main.gone()
        done = wine.find("Orvinta", owner=0, timeout=20)
        assert done.msgbox()["text"] == "Done"
        done.click(1)
        assert run.wait(30) == 1
        log = run.log()
        assert "EVAL x=4" + ENTRY.format(4) in log and log.rstrip().split("\r\n")[-2] == "MSGX Done", log


def test_one_window_across_copies():
    """Any window captioned "Orvinta" counts: a second copy's OVUI while a DLGX form is open
    brings it forward and ends with 1; no main window opens."""
    with WineSession() as wine:
        first = wine.launch_orvinta("DLGX $文字")  # no title item: the form keeps "Orvinta"
        form = wine.find("Orvinta", timeout=60)
        second = wine.launch_orvinta("OVUI")
        assert second.wait(60) == 1
        assert "OVUI" + ENTRY.format(1) in second.log()
        form.click(2)
        assert first.wait(30) == 255


def test_help_window_without_its_page():
    with WineSession() as wine:
        copy = Path(tempfile.mkdtemp(prefix="helpless.", dir=wine.runs)) / "orvinta.exe"
        copy.write_bytes(renamed(ORVINTA.read_bytes(), "HELP", "GONE"))
        run = wine.launch_orvinta("HELP", program=copy)
        window = wine.find("Orvinta", timeout=30)
        viewer = window.get(VIEWER)
        assert viewer["visible"] and viewer["text"] == "", viewer
        assert window.get(1)["visible"] and not window.get(2)["visible"]
        wine.screenshot("help-window-without-page", window)
        window.dismiss()
        assert run.wait(30) == 0
        assert "HELP\r\n     00000000 " in run.log(), run.log()


run_tests(globals())
