#!/usr/bin/env python3
"""The host program's terminal face, through a pseudo-terminal. OVUI's session (the main
window): typing and the log as the log pane shows it, Execute's empty-line rule, the command
box's 259 units, history kept between sessions, Tab completion of keywords and device paths,
the menu's function keys, one session per terminal, and HELP through the pager. MSGX and DLGX:
answered from ORVINTA_ANSWERS (good, malformed and running out, never a hang), and shown on
the terminal, with the results the Windows program gives for the same choices."""

import contextlib
import os
import subprocess
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import REPO, log_entries, run_tests, wait_until  # noqa: E402
from pty_harness import Terminal  # noqa: E402

PROGRAM = REPO / "build" / "host" / "orvinta"
PROMPT = "命令:"
CLEAR = "\x15"  # Ctrl-U: empties the command line

SETUP = "DLGX Setup,{1}One,<0>Two,{0}Three,<1>Four"
PICK = "DLGX Pick,$Choose:,[1]Alpha,[0]Beta"
NAME = "EVAL 0=Tom\nDLGX $Name:,%0,x\nEVAL 1=%0|%1"
NAMED = 'ok - "Jer;ry%0022" "' + "y" * 300 + '"'  # a quote written as %0022; 300 units, cut to 259


def host_env(base, **extra):
    """A device root with a few files, and a registry, state folder, log and journal of its
    own; no answers for boxes unless given, so they show on the terminal."""
    root = base / "root"
    (root / "Scripts" / "Sub").mkdir(parents=True, exist_ok=True)
    for name in ("setup.ovs", "settings.reg", "notes.txt", "card.provxml"):
        (root / "Scripts" / name).write_text("EVAL x=1\n")
    inherited = {k: v for k, v in os.environ.items() if not k.startswith("ORVINTA_")}
    return dict(inherited, ORVINTA_ROOT=str(root), ORVINTA_REGISTRY=str(base / "registry.hive"),
                ORVINTA_LOG=str(base / "log"), ORVINTA_JOURNAL=str(base / "journal"),
                XDG_STATE_HOME=str(base / "state"), PAGER="cat", LANG="C.UTF-8", **extra)


@contextlib.contextmanager
def session(base=None, rows=30, cols=100, term="xterm", end="F10"):
    """An OVUI session at its prompt, in `base` (a fresh folder when None); ended by the key
    `end`, after which the program must exit with 0."""
    base = base or Path(tempfile.mkdtemp(prefix="session."))
    with Terminal([str(PROGRAM), "OVUI"], env=host_env(base), rows=rows, cols=cols, term=term) as terminal:
        terminal.wait_for(PROMPT)
        yield terminal, base
        terminal.press(end)
        assert terminal.wait_exit(10) == 0, terminal.text()


def log_of(base):
    return (base / "log").read_bytes().decode("utf-8") if (base / "log").exists() else ""


def answered(script, answers):
    base = Path(tempfile.mkdtemp(prefix="boxes."))
    done = subprocess.run([str(PROGRAM), script], env=host_env(base, ORVINTA_ANSWERS=answers),
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=20)
    return log_entries(log_of(base)), done.stderr, (base / "journal").read_text(encoding="utf-8")


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
        (NAME, NAMED, ["00000000", "00000000", "00000000"], ""),
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
        if answers == NAMED:
            assert log[-1][0] == 'EVAL 1=Jer;ry"|' + "y" * 259, log


def test_terminal_message_box():
    for keys, button in [("n", 7), (["RIGHT", "ENTER"], 7), (["ENTER"], 6), (["ESCAPE", "y"], 6)]:
        base = Path(tempfile.mkdtemp(prefix="boxes."))
        with Terminal([str(PROGRAM), "MSGX Sure?,问题,0x24"], env=host_env(base)) as term:
            term.wait_for("[ No ]", timeout=10)
            screen = term.text()
            assert all(word in screen for word in ("问题", "Question", "Sure?", "Yes")), screen
            for key in keys:  # Escape does nothing: Yes and No have no Cancel
                term.send(key) if len(key) == 1 else term.press(key)
            assert term.wait_exit(10) == button, (keys, term.text())
        assert log_entries(log_of(base)) == [("MSGX Sure?,问题,0x24", f"{button:08X}")]


def test_terminal_form():
    base = Path(tempfile.mkdtemp(prefix="boxes."))
    with Terminal([str(PROGRAM), NAME + "\n" + SETUP], env=host_env(base)) as term:
        term.wait_for("确定", timeout=10)
        term.wait_until(lambda: log_entries(log_of(base)), what="the log written out while the box waits")
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
    assert log_entries(log_of(base))[1:] == [
        ("DLGX $Name:,Tom,x", "00000000"), ("EVAL 1=Tom 汤姆|z", "00000000"),
        ("DLGX Setup,{1}One,<0>Two,{0}Three,<1>Four", "FFFFFFFF")], log_of(base)


def test_typing_runs_and_logs_as_the_pane_shows():
    with session(rows=40) as (term, base):
        term.wait_for("F10 退出")
        term.send("EVAL x=4\r")
        row = term.wait_for("     00000004 ")
        logged = log_of(base)
        assert "EVAL x=4\r\n     00000004 " in logged and logged.endswith(".\r\n\r\n"), logged
        # The pane shows what the log gets: the line, its entry, an empty line.
        assert term.lines()[row - 1] == "EVAL x=4" and term.lines()[row + 1] == "", term.text()
        # An empty line runs nothing and logs nothing.
        term.send("\r\rEVAL x=5\r")
        term.wait_for("     00000005 ")
        assert log_of(base).count("\r\n     0000000") == 2, log_of(base)
        # The command box holds 259 units: a longer line is cut there.
        term.send("EVAL 1=" + "a" * 293 + "\r")
        term.wait_for("     00000000 ")
        assert ("EVAL 1=" + "a" * 252) in log_of(base).split("\r\n"), log_of(base)
        # A second OVUI inside the session opens nothing and logs a non-zero result; so does
        # another copy started on the same terminal (its log line reaches the shared log).
        term.send("OVUI\r")
        term.wait_for("     00000001 ")
        term.send(f"EXEC {PROGRAM},OVUI\r")
        wait_until(lambda: log_of(base).count("OVUI\r\n     00000001 ") == 2, "both OVUI entries", 20)


def test_history_is_kept_between_sessions():
    base = Path(tempfile.mkdtemp(prefix="session."))
    with session(base, end="CTRL-D") as (term, _):
        term.send("EVAL x=7\rEVAL x=8\r")
        term.wait_for("     00000008 ")
    assert (base / "state" / "orvinta" / "history").exists()
    with session(base) as (term, _):
        term.press("UP", "UP")
        term.wait_for(PROMPT + " EVAL x=7")
        term.press("ENTER")
        term.wait_for("     00000007 ")


def test_tab_completes_keywords_and_device_paths_with_the_filter():
    with session() as (term, _):
        for typed, shown in [
                ("EV", PROMPT + " EVAL"),                    # one keyword
                (CLEAR + "LOAD \\scr", PROMPT + " LOAD \\Scripts\\"),  # a folder, in its own case
                ("se", PROMPT + " LOAD \\Scripts\\set"),      # as far as both files agree
                ("", "settings.reg  setup.ovs"),              # no further: the choices are listed
                ("u", PROMPT + " LOAD \\Scripts\\setup.ovs"),
                (CLEAR + "LOAD \\Scripts\\", "Sub\\")]:
            term.send(typed + "\t")
            term.wait_for(shown)
        # notes.txt is none of the filter's patterns; *xml takes .provxml too.
        assert "notes.txt" not in term.text() and "card.provxml" in term.text(), term.text()
        term.send(CLEAR)


def test_menu_keys_do_the_menu_items():
    with session(rows=50, cols=120) as (term, base):
        term.send("EVAL x=9")  # left in the box while the items run
        for key, shown in [("F3", "已经把 .ovs 文件类型关联到 Orvinta 命令解释引擎。"), (None, "[文件关联 [ ]]"),
                           ("F3", "已经取消 .ovs 文件类型关联。"), (None, "[文件关联 [x]]"), ("F2", "1.6.360.1060"),
                           ("F1", "【9. 致谢】"),  # the pager is cat here
                           ("F4", PROMPT + " EVAL x=9")]:  # clears the screen, the typed text stays
            if key:
                term.press(key)
            term.wait_for(shown)
        assert "1.6.360.1060" not in term.text()
        term.press("ENTER")
        term.wait_for("     00000009 ")
    hive = (base / "registry.hive").read_text(encoding="utf-8", errors="replace")
    assert ".provxml" not in hive and "Shell\\Open\\Command" not in hive, hive


def test_a_box_gives_the_pane_back():
    # With the second screen (xterm) the terminal keeps the pane under the box; without it
    # (the Linux console, vt100) the session draws the pane again.
    for term_type in ("xterm", "linux", "vt100"):
        with session(rows=24, cols=80, term=term_type) as (term, _):
            term.send("EVAL x=4\r")
            term.wait_for("     00000004 ")
            term.send("MSGX 盒子里的话\r")
            term.wait_for("盒子里的话")
            term.wait_until(lambda: "EVAL x=4" not in term.text(), what="the box covering the pane")
            term.press("ENTER")
            term.wait_for("     00000001 ")
            shown = term.lines()
            assert "EVAL x=4" in shown and "MSGX 盒子里的话" in shown, (term_type, term.text())
            assert any(line.startswith("     00000004 ") for line in shown), (term_type, term.text())
            assert "[ OK ]" not in term.text() and "> OK <" not in term.text(), (term_type, term.text())
            term.wait_until(lambda: term.lines()[term.cursor()[0]] == PROMPT, what="an empty prompt")
            term.send("EVAL x=5\r")
            term.wait_for("     00000005 ")


def test_help_prints_the_page_as_text_without_a_terminal():
    base = Path(tempfile.mkdtemp(prefix="session."))
    done = subprocess.run([str(PROGRAM), "HELP"], env=host_env(base), capture_output=True, timeout=30)
    text = done.stdout.decode("utf-8")
    assert done.returncode == 0
    sections = ["简介", "功能特点", "安装与卸载", "使用方法", "菜单", "命令", "技巧问答", "使用许可", "致谢"]
    for number, name in enumerate(sections, 1):
        assert f"【{number}. {name}】" in text, name
    assert "◆ LOAD 路径" in text and "◆ HELP" in text and "<" + "a" not in text


run_tests(globals())
