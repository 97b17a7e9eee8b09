#!/usr/bin/env python3
"""The Windows driver against gui_selftest_app.c, for what the program's window tests do not
reach: an edit box's limit, posted keys, a popup menu, and errors answered, never a hang."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import HERE, DriverError, WineSession, build_windows_program, run_tests, wait_until  # noqa: E402

COMMAND_LINE = 'x "a b"\t中文 \\ 😀'


def test_driver_limits_keys_menus_and_errors():
    app = build_windows_program(HERE / "gui_selftest_app.c", "gui-selftest-app.exe", gui=True)
    with WineSession("selftest") as wine:
        run = wine.launch(app, "", timeout=90)
        dialog = wine.find("Orvinta", cls="#32770", timeout=60)

        # Typing goes through the edit control's limit; WM_SETTEXT does not.
        assert dialog.type(101, "ab中😀12345")["text"] == "ab中😀123"  # 8 units
        assert dialog.settext(101, "0123456789")["text"] == "0123456789"
        dialog.key(101, "END")  # WM_SETTEXT left the caret at the start
        dialog.key(101, "BACK")  # posted keys; Backspace becomes a character in the program's loop
        wait_until(lambda: dialog.text(101) == "012345678", what="Backspace")
        dialog.command(301)  # a popup menu, chosen from by keys
        menu = wine.find(cls="#32768", owner=dialog)
        for key in ("DOWN", "DOWN", "RETURN"):
            menu.key("-", key)
        menu.gone()
        wait_until(lambda: dialog.text(101) == "乙", what="the menu's choice")

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

        dialog.close()
        dialog.gone()
        assert run.wait() == 2  # WM_CLOSE is Cancel


run_tests(globals())
