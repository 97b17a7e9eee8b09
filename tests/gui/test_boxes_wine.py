#!/usr/bin/env python3
"""MSGX and DLGX in the Windows program, driven for real: what each box shows (classes, ids,
styles, texts, ticks, layout), what the user's changes give back, and a picture of each kind."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import WineSession, run_tests, wait_until  # noqa: E402

FIRST_ID = 4531
STYLES = {"label": 0x50000000, "check": 0x50000003, "radio": 0x50000009, "group": 0x50020009}
WS_TABSTOP = 0x10000  # a radio button's BM_SETCHECK gives it to the ticked one


def entries(run):
    """The log as (command line, result) pairs."""
    wait_until(lambda: run.log() is not None, what="the log")
    lines = [line for line in run.log().split("\r\n") if line]
    return [(lines[i], lines[i + 1].split()[0]) for i in range(0, len(lines) - 1, 2)]


def form(wine, caption):
    dialog = wine.find(caption, cls="#32770", timeout=30)
    listing = dialog.list()
    return dialog, listing, {c["id"]: c for c in listing["controls"]}


def test_message_boxes():
    with WineSession("msgx") as wine:
        for script, caption, text, buttons, press in [
                ("MSGX 你好", "Orvinta", "你好", [(1, "OK")], 1),
                ("MSGX Sure?,Question,0x24", "Question", "Sure?", [(6, "&Yes"), (7, "&No")], 7),
                ("MSGX a,,0x24", "", "a", [(6, "&Yes"), (7, "&No")], 6),
                ("MSGX Retry?,Disk,0x15,ignored", "Disk", "Retry?", [(4, "&Retry"), (2, "Cancel")], 2)]:
            run = wine.launch_orvinta(script)
            box = wine.find(caption, cls="#32770", timeout=30)
            shown = box.msgbox()
            assert (shown["caption"], shown["text"]) == (caption, text), shown
            assert [(b["id"], b["text"]) for b in shown["buttons"]] == buttons, shown
            assert box.list()["window"]["owner"] in (0, "0x0", None), "no main window: no owner"
            if press == 1:
                wine.screenshot("msgx-information", box)
            if press == 7:
                wine.screenshot("msgx-question", box)
            box.click(press)
            assert run.wait(30) == press, script
            assert f'=> {press}' in (run.folder / "journal").read_text(), "the box is journaled"


def test_dlgx_controls_layout_and_mask():
    with WineSession("dlgx") as wine:
        # Every kind of item; a title that a later one replaces; a bracket number that stops at
        # the bracket, one that can't be read, one without a closing bracket.
        run = wine.launch_orvinta("DLGX First,Pick,$Choose:,[1]Alpha,[0x0]Beta,[x]Text,[1,{1}One,<0>Two,Edit 编辑")
        dialog, listing, controls = form(wine, "Pick")
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
        screen = listing["window"]["screen"]
        assert len({r[2] for r in rects}) == 1 and rects[0][2] < screen[2] - screen[0] - 14, rects
        assert screen[:2] == [0, 0] and screen[2] >= 800 and screen[3] >= 600, "fills the work area"
        wine.screenshot("dlgx-form", dialog)

        dialog.check(ids[2], 1)   # Beta
        dialog.check(ids[6], 1)   # Two: One loses its tick
        dialog.click(1)
        assert run.wait(30) == (2 + 4 + 16 + 64) & 0xFF
        assert entries(run)[-1][1] == f"{2 + 4 + 16 + 64:08X}"


def test_dlgx_edit_boxes_cancel_and_cap():
    with WineSession("dlgx-edit") as wine:
        # OK: the edit texts go to %0 and %1, cut to 259 units; the label takes bit 0, no variable.
        run = wine.launch_orvinta("EVAL 0=Tom\nDLGX $Name:,%0,second\nEVAL 2=%0|%1\n")
        dialog, _, controls = form(wine, "Orvinta")
        assert controls[FIRST_ID + 1]["text"] == "Tom"
        dialog.settext(FIRST_ID + 1, "Jerry 杰瑞")
        dialog.settext(FIRST_ID + 2, "y" * 300)
        wine.screenshot("dlgx-edit", dialog)
        dialog.key(FIRST_ID + 1, "RETURN", "down")  # Enter is OK (the key-up would find the box gone)
        assert run.wait(30) == 0
        assert entries(run)[1:] == [("DLGX $Name:\x01Tom\x01second", "00000000"),
                                    ("EVAL 2=Jerry 杰瑞|" + "y" * 259, "00000000")], entries(run)

        # Cancel: -1, and the variables stay as they were.
        run = wine.launch_orvinta("EVAL 0=Tom\nDLGX $Name:,%0\nEVAL 1=%0\n")
        dialog, _, _ = form(wine, "Orvinta")
        dialog.settext(FIRST_ID + 1, "changed")
        dialog.click(2)
        assert run.wait(30) == 0
        assert entries(run)[1:] == [("DLGX $Name:\x01Tom", "FFFFFFFF"), ("EVAL 1=Tom", "00000000")], entries(run)

        # "!": no Cancel, and Escape does not cancel; 40 items make 32 controls, bit 31 negative.
        run = wine.launch_orvinta("DLGX !Done?," + ",".join(["[0]c"] * 31 + ["[1]last"] + ["[1]more"] * 8))
        dialog, _, controls = form(wine, "Done?")
        assert not controls[2]["visible"] and controls[FIRST_ID + 31]["text"] == "last", controls[2]
        assert FIRST_ID + 32 not in controls
        wine.screenshot("dlgx-no-cancel", dialog)
        dialog.key("-", "ESCAPE")  # each would end the run with -1, before OK is handled
        dialog.close()
        dialog.command(2)
        dialog.command(1)
        run.wait(30)  # the exit code is the whole result under Wine, its low 8 bits on the host
        assert entries(run)[-1][1] == "80000000"


run_tests(globals())
