#!/usr/bin/env python3
"""MSGX and DLGX in the Windows program, driven for real: what each box shows (classes, ids,
styles, texts, ticks, layout), what the user's changes give back, and a picture of each kind."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import WineSession, log_entries, run_tests  # noqa: E402

FIRST_ID = 4531
STYLES = {"label": 0x50000000, "check": 0x50000003, "radio": 0x50000009, "group": 0x50020009}
WS_TABSTOP = 0x10000  # a radio button's BM_SETCHECK gives it to the ticked one


def form(wine, caption):
    dialog = wine.find(caption, cls="#32770", timeout=30)
    return dialog, dialog.controls()


def test_message_boxes():
    with WineSession() as wine:
        for script, caption, text, buttons, press, picture in [
                ("MSGX 你好", "Orvinta", "你好", [(1, "OK")], 1, "msgx-information"),
                ("MSGX Sure?,Question,0x24", "Question", "Sure?", [(6, "&Yes"), (7, "&No")], 7, "msgx-question"),
                ("MSGX a,,0x24", "", "a", [(6, "&Yes"), (7, "&No")], 6, None),
                ("MSGX Retry?,Disk,0x15,ignored", "Disk", "Retry?", [(4, "&Retry"), (2, "Cancel")], 2, None)]:
            run = wine.launch_orvinta(script)
            box = wine.find(caption, cls="#32770", timeout=30)
            assert box.msgbox() == {"caption": caption, "text": text, "buttons": buttons}, box.msgbox()
            assert box.info["owner"] == "0x0", "no main window: no owner"
            if picture:
                wine.screenshot(picture, box)
            box.click(press)
            assert run.wait(30) == press, script
            assert f'=> {press}' in (run.folder / "journal").read_text(), "the box is journaled"


def test_dlgx_controls_layout_and_mask():
    with WineSession() as wine:
        # Every kind of item; a title that a later one replaces; a bracket number that stops at
        # the bracket, one that can't be read, one without a closing bracket.
        run = wine.launch_orvinta("DLGX First,Pick,$Choose:,[1]Alpha,[0x0]Beta,[x]Text,[1,{1}One,<0>Two,Edit 编辑")
        dialog, controls = form(wine, "Pick")
        ids = list(range(FIRST_ID, FIRST_ID + 8))
        assert [controls[i]["class"] for i in ids] == ["Static"] + ["Button"] * 6 + ["Edit"], controls
        kinds = ["label", "check", "check", "check", "check", "group", "radio"]
        assert [int(controls[i]["style"], 16) & ~WS_TABSTOP for i in ids[:7]] == [STYLES[k] for k in kinds], controls
        # Made with WS_BORDER (0x50800080), which the edit control takes away: OK can't go by it.
        assert controls[ids[7]]["style"] == "0x50000080", controls[ids[7]]
        assert [controls[i]["text"] for i in ids] == ["Choose:", "Alpha", "Beta", "Text", "", "One", "Two", "Edit 编辑"]
        assert [controls[i].get("check") for i in ids[1:7]] == [1, 0, 0, 1, 1, 0], controls
        assert controls[1]["text"] == "确定" and controls[2]["text"] == "取消" and controls[2]["visible"]

        # Rows: x 10, y 5 + n * row, all of one height; each as wide as the client - scroll bar - 14.
        rects = [controls[i]["rect"] for i in ids]
        row = rects[1][1] - rects[0][1]
        assert all(r[0] == 10 and r[1] == 5 + n * row and r[3] - r[1] == row for n, r in enumerate(rects)), rects
        screen = dialog.info["screen"]
        assert len({r[2] for r in rects}) == 1 and rects[0][2] < screen[2] - screen[0] - 14, rects
        assert screen[:2] == [0, 0] and screen[2] >= 800 and screen[3] >= 600, "fills the work area"
        wine.screenshot("dlgx-form", dialog)

        dialog.check(ids[2], 1)   # Beta
        dialog.check(ids[6], 1)   # Two: One loses its tick
        dialog.click(1)
        assert run.wait(30) == (2 + 4 + 16 + 64) & 0xFF
        assert log_entries(run.log())[-1][1] == f"{2 + 4 + 16 + 64:08X}"


def test_dlgx_edit_boxes_cancel_and_cap():
    with WineSession() as wine:
        # OK: the edit texts go to %0 and %1, cut to 259 units; the label takes bit 0, no variable.
        run = wine.launch_orvinta("EVAL 0=Tom\nDLGX $Name:,%0,second\nEVAL 2=%0|%1\n")
        dialog, controls = form(wine, "Orvinta")
        assert controls[FIRST_ID + 1]["text"] == "Tom"
        dialog.settext(FIRST_ID + 1, "Jerry 杰瑞")
        dialog.settext(FIRST_ID + 2, "y" * 300)
        wine.screenshot("dlgx-edit", dialog)
        dialog.key(FIRST_ID + 1, "RETURN", "down")  # Enter is OK (the key-up would find the box gone)
        assert run.wait(30) == 0
        assert log_entries(run.log())[1:] == [("DLGX $Name:,Tom,second", "00000000"),
                                              ("EVAL 2=Jerry 杰瑞|" + "y" * 259, "00000000")], run.log()

        # Cancel: -1, and the variables stay as they were.
        run = wine.launch_orvinta("EVAL 0=Tom\nDLGX $Name:,%0\nEVAL 1=%0\n")
        dialog, _ = form(wine, "Orvinta")
        dialog.settext(FIRST_ID + 1, "changed")
        dialog.click(2)
        assert run.wait(30) == 0
        assert log_entries(run.log())[1:] == [("DLGX $Name:,Tom", "FFFFFFFF"), ("EVAL 1=Tom", "00000000")], run.log()

        # "!": no Cancel, and Escape does not cancel; 40 items make 32 controls, bit 31 negative.
        run = wine.launch_orvinta("DLGX !Done?," + ",".join(["[0]c"] * 31 + ["[1]last"] + ["[1]more"] * 8))
        dialog, controls = form(wine, "Done?")
        assert not controls[2]["visible"] and controls[FIRST_ID + 31]["text"] == "last", controls[2]
        assert FIRST_ID + 32 not in controls
        wine.screenshot("dlgx-no-cancel", dialog)
        dialog.key("-", "ESCAPE")  # each would end the run with -1, before OK is handled
        dialog.close()
        dialog.command(2)
        dialog.command(1)
        run.wait(30)  # the exit code is the whole result under Wine, its low 8 bits on the host
        assert log_entries(run.log())[-1][1] == "80000000"


run_tests(globals())
