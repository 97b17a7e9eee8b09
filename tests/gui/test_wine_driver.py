#!/usr/bin/env python3
"""The Windows driver against gui_selftest_app.c: each kind of command reaches the program, and
what the driver cannot do is answered with an error, never a hang."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import HERE, DriverError, WineSession, build_windows_program, run_tests, wait_until  # noqa: E402

COMMAND_LINE = 'x "a b"\t中文 \\ 😀'


def test_dialog_and_message_box():
    app = build_windows_program(HERE / "gui_selftest_app.c", "gui-selftest-app.exe", gui=True)
    with WineSession("selftest") as wine:
        run = wine.launch(app, COMMAND_LINE, timeout=90)
        dialog = wine.find("Orvinta", cls="#32770", timeout=60)

        listing = dialog.list()
        controls = {c["id"]: c for c in listing["controls"]}
        assert listing["window"]["text"] == "Orvinta" and listing["focus_id"] == 101, listing
        assert controls[100]["text"] == "命令行: " + COMMAND_LINE, controls[100]
        assert [(controls[i]["class"], controls[i].get("check")) for i in (101, 102, 103, 104, 1, 2)] == [
            ("Edit", None), ("Button", 0), ("Button", 1), ("Button", 0), ("Button", 0), ("Button", 0)]
        assert controls[101]["limit"] == 8 and controls[1]["text"] == "确定" and controls[2]["text"] == "取消"
        assert int(controls[1]["style"], 16) & 0xF == 1  # BS_DEFPUSHBUTTON

        # Typing goes through the edit control's limit; WM_SETTEXT does not.
        assert dialog.type(101, "ab中😀12345")["text"] == "ab中😀123"  # 8 units
        assert dialog.settext(101, "0123456789")["text"] == "0123456789"
        dialog.command(300)  # posted: the dialog sets the text when it gets to it
        wait_until(lambda: dialog.text(101) == "menu", what="command 300")
        dialog.key(101, "END")  # WM_SETTEXT left the caret at the start
        dialog.key(101, "BACK")  # posted keys; Backspace becomes a character in the program's loop
        wait_until(lambda: dialog.text(101) == "men", what="Backspace")
        dialog.command(301)  # a popup menu, chosen from by keys
        menu = wine.find(cls="#32768", owner=dialog)
        for key in ("DOWN", "DOWN", "RETURN"):
            menu.key("-", key)
        menu.gone()
        wait_until(lambda: dialog.text(101) == "乙", what="the menu's choice")
        dialog.settext(101, "men")
        assert dialog.check(102, 1)["check"] == 1 and dialog.check(104, 1)["check"] == 1
        assert dialog.get(103)["check"] == 0  # the radio group moved

        # Errors, each answered at once or after its own short wait.
        for words, error in [(("bogus",), "unknown command 'bogus'"),
                             (("find", "timeout=200", "--", "Nothing"), "no window 'Nothing'"),
                             (("get", "0x1", "101"), "no window 0x1"),
                             (("get", dialog.hwnd, "999"), "has no control 999"),
                             (("key", dialog.hwnd, "101", "NOKEY"), "expected a virtual key"),
                             (("check", dialog.hwnd, "101", "1"), "is no button"),
                             (("gone", dialog.hwnd, "100"), "still there after 100 ms")]:
            answer = wine.ask(*words, check=False)
            assert not answer["ok"] and error in answer["error"], (words, answer)

        # Return on the focused radio button is the default button through the dialog manager;
        # OK opens a message box owned by the dialog, which the dialog's own caption shares.
        dialog.key("focus", "RETURN")
        box = wine.find("Orvinta", cls="#32770", owner=dialog, timeout=20)
        assert box.msgbox() == {"ok": True, "caption": "Orvinta", "text": "你好，世界\nmen|check=1|radio=104",
                                "buttons": [{"id": 1, "text": "OK"}, {"id": 2, "text": "Cancel"}]}
        assert not dialog.list()["window"]["enabled"]  # modal
        wine.screenshot("selftest-message-box", dialog)  # the box is over the dialog
        box.click(2)
        box.gone()
        wait_until(lambda: dialog.list()["window"]["enabled"], what="the dialog enabled again")

        dialog.close()
        dialog.gone()
        assert run.wait() == 2  # WM_CLOSE is Cancel


run_tests(globals())
