#!/usr/bin/env python3
"""MSGX and DLGX in the host program: answered from ORVINTA_ANSWERS (good, malformed and
running out, never a hang), and the terminal face driven through a pseudo-terminal, with the
results the Windows program gives for the same choices."""

import os
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import REPO, run_tests  # noqa: E402
from pty_harness import Terminal  # noqa: E402

ORVINTA = REPO / "build" / "host" / "orvinta"
SETUP = "DLGX Setup,{1}One,<0>Two,{0}Three,<1>Four"
PICK = "DLGX Pick,$Choose:,[1]Alpha,[0]Beta"
NAME = "EVAL 0=Tom\nDLGX $Name:,%0,x\nEVAL 1=%0|%1"


def environment(folder, **extra):
    env = {k: v for k, v in os.environ.items() if not k.startswith("ORVINTA_")}
    env.update(ORVINTA_ROOT=str(folder), ORVINTA_LOG=str(folder / "log"), ORVINTA_JOURNAL=str(folder / "journal"),
               ORVINTA_REGISTRY=str(folder / "registry"), **extra)
    return env


def entries(folder):
    """The log as (command line, result) pairs."""
    lines = [line for line in (folder / "log").read_bytes().decode("utf-8").split("\r\n") if line]
    return [(lines[i].replace("\x01", ","), lines[i + 1].split()[0]) for i in range(0, len(lines) - 1, 2)]


def answered(script, answers):
    folder = Path(tempfile.mkdtemp(prefix="boxes."))
    done = subprocess.run([str(ORVINTA), script], env=environment(folder, ORVINTA_ANSWERS=answers),
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=20)
    return entries(folder), done.stderr, (folder / "journal").read_text(encoding="utf-8")


def test_answers():
    # script, ORVINTA_ANSWERS, the results of its lines, a piece of stderr ("" for none).
    table = [
        ("MSGX Hello\nMSGX Sure?,Q,0x24", "1; 7", ["00000001", "00000007"], ""),
        (PICK, "ok", ["00000002"], ""),
        (PICK, "ok - 0 1", ["00000004"], ""),
        (SETUP, "ok", ["00000009"], ""),
        (SETUP, "ok 0 1", ["0000000A"], ""),  # Two selected: One loses its tick
        ("DLGX !Done?,[1]Reboot", "ok", ["00000001"], ""),
        ("DLGX " + ",".join(["[0]c"] * 31 + ["[1]last"] * 9), "ok", ["80000000"], ""),
        (NAME, 'ok - "Jer;ry%0022" "' + "y" * 300 + '"', ["00000000", "00000000", "00000000"], ""),
        (NAME, "cancel", ["00000000", "FFFFFFFF", "00000000"], ""),
        # Bad answers: the box fails, stderr says why, the script goes on.
        ("MSGX Hello\nMSGX again", "6;1", ["00000000", "00000001"], "is no button of this message box"),
        (PICK, "maybe", ["FFFFFFFF"], "answers no form"),
        (PICK, 'ok "x"', ["FFFFFFFF"], "gives a text to control 0 (a label)"),
        (PICK, "ok - 1 1 1", ["FFFFFFFF"], "more states than the form's 3 controls"),
        (NAME, 'ok - "open', ["00000000", "FFFFFFFF", "00000000"], "without its closing quote"),
        ("MSGX one\nMSGX two\n" + PICK, "1", ["00000001", "00000000", "FFFFFFFF"], "no answer left after 1"),
    ]
    for script, answers, results, complaint in table:
        log, stderr, journal = answered(script, answers)
        assert [result for _, result in log] == results, (script, answers, log)
        assert (complaint in stderr) if complaint else stderr == "", (answers, stderr)
        assert stderr.count("\n") <= 1, stderr  # once
        assert journal.count("\n") == sum(line.startswith(("MSGX", "DLGX")) for line, _ in log), journal
    log, _, _ = answered(NAME, 'ok - "Jer;ry%0022" "' + "y" * 300 + '"')
    assert log[-1][0] == 'EVAL 1=Jer;ry"|' + "y" * 259, log


def terminal(script, folder):
    return Terminal([str(ORVINTA), script], env=environment(folder), rows=24, cols=80)


def test_terminal_message_box():
    for keys, button in [("n", 7), (["RIGHT", "ENTER"], 7), (["ENTER"], 6), (["ESCAPE", "y"], 6)]:
        folder = Path(tempfile.mkdtemp(prefix="boxes."))
        with terminal("MSGX Sure?,问题,0x24", folder) as term:
            term.wait_for("[ No ]", timeout=10)
            screen = term.text()
            assert all(word in screen for word in ("问题", "Question", "Sure?", "Yes")), screen
            for key in keys:  # Escape does nothing: Yes and No have no Cancel
                term.send(key) if len(key) == 1 else term.press(key)
            assert term.wait_exit(10) == button, (keys, term.text())
        assert entries(folder) == [("MSGX Sure?,问题,0x24", f"{button:08X}")]


def test_terminal_form():
    folder = Path(tempfile.mkdtemp(prefix="boxes."))
    with terminal(NAME + "\n" + SETUP, folder) as term:
        term.wait_for("确定", timeout=10)
        screen = term.text()
        assert all(word in screen for word in ("Orvinta", "Name:", "[Tom", "取消")), screen
        term.press("END", "BACKSPACE")
        term.send("m 汤姆")
        term.press("TAB", "HOME", "DELETE")
        term.send("z")
        term.wait_for("[z", timeout=5)
        term.press("ENTER")
        term.wait_for("Setup", timeout=10)
        assert "(*) One" in term.text() and "( ) Two" in term.text(), term.text()
        term.press("TAB", "SPACE", "TAB", "SPACE")  # Two, then Three
        term.wait_for("(*) Three", timeout=5)
        term.press("ESCAPE")
        assert term.wait_exit(10) == 255, term.text()  # the last result, -1
    assert entries(folder)[1:] == [("DLGX $Name:,Tom,x", "00000000"), ("EVAL 1=Tom 汤姆|z", "00000000"),
                                   ("DLGX Setup,{1}One,<0>Two,{0}Three,<1>Four", "FFFFFFFF")], entries(folder)


run_tests(globals())
