#!/usr/bin/env python3
"""The host's main window: OVUI's session in a terminal. Typing and the log as the log pane
shows it, Execute's empty-line rule, the command box's 259 units, history kept between
sessions, Tab completion of keywords and device paths, the menu's function keys, one session
per terminal, and HELP through the pager."""

import os
import sys
import tempfile
import time
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parent))
from gui_harness import run_tests  # noqa: E402
from pty_harness import Terminal  # noqa: E402

PROGRAM = Path(__file__).resolve().parents[2] / "build" / "host" / "orvinta"
PROMPT = "命令:"


def session_env(base):
    """A device root with a few files, a fresh registry, a state folder and a log of its own."""
    root = base / "root"
    (root / "Scripts" / "Sub").mkdir(parents=True, exist_ok=True)
    for name in ("setup.ovs", "settings.reg", "notes.txt", "card.provxml"):
        (root / "Scripts" / name).write_text("EVAL x=1\n")
    return dict(os.environ, ORVINTA_ROOT=str(root), ORVINTA_REGISTRY=str(base / "registry.hive"),
                XDG_STATE_HOME=str(base / "state"), ORVINTA_LOG=str(base / "log.txt"), PAGER="cat",
                ORVINTA_ANSWERS="", LANG="C.UTF-8")


def log_of(base):
    path = base / "log.txt"
    return path.read_bytes().decode("utf-8") if path.exists() else ""


def command_line(term):
    """The text of the prompt's row where the cursor stands."""
    row, _ = term.cursor()
    return term.lines()[row]


def test_typing_runs_and_logs_as_the_pane_shows():
    base = Path(tempfile.mkdtemp(prefix="session."))
    with Terminal([str(PROGRAM), "OVUI"], env=session_env(base), rows=40, cols=100) as term:
        term.wait_for(PROMPT)
        term.wait_for("F10 退出")
        term.send("EVAL x=4")
        term.press("ENTER")
        term.wait_for("     00000004 ")
        logged = log_of(base)
        assert "EVAL x=4\r\n     00000004 " in logged and logged.endswith(".\r\n\r\n"), logged
        # The pane shows what the log gets: the line, its entry, an empty line.
        row = term.wait_for("     00000004 ")
        assert term.lines()[row - 1] == "EVAL x=4" and term.lines()[row + 1] == "", term.text()
        # An empty line runs nothing and logs nothing.
        term.press("ENTER")
        term.press("ENTER")
        term.send("EVAL x=5")
        term.press("ENTER")
        term.wait_for("     00000005 ")
        assert log_of(base).count("\r\n     0000000") == 2, log_of(base)
        # The command box holds 259 units: a longer line is cut there.
        term.send("EVAL 1=" + "a" * 293)
        term.press("ENTER")
        term.wait_for("     00000000 ")
        lines = log_of(base).split("\r\n")
        assert ("EVAL 1=" + "a" * 252) in lines, [len(line) for line in lines]
        # A second OVUI inside the session opens nothing and logs a non-zero result; so does
        # another copy started on the same terminal (its log line reaches the shared log).
        term.send("OVUI")
        term.press("ENTER")
        term.wait_for("     00000001 ")
        assert "OVUI\r\n     00000001 " in log_of(base)
        term.send(f"EXEC {PROGRAM},OVUI")
        term.press("ENTER")
        deadline = time.monotonic() + 20
        while log_of(base).count("OVUI\r\n     00000001 ") < 2 and time.monotonic() < deadline:
            time.sleep(0.1)
        assert log_of(base).count("OVUI\r\n     00000001 ") == 2, log_of(base)
        term.press("F10")
        assert term.wait_exit(10) == 0


def test_history_is_kept_between_sessions():
    base = Path(tempfile.mkdtemp(prefix="session."))
    env = session_env(base)
    with Terminal([str(PROGRAM), "OVUI"], env=env, rows=30, cols=100) as term:
        term.wait_for(PROMPT)
        for line in ("EVAL x=7", "EVAL x=8"):
            term.send(line)
            term.press("ENTER")
        term.wait_for("     00000008 ")
        term.press("CTRL-D")
        assert term.wait_exit(10) == 0
    assert (base / "state" / "orvinta" / "history").exists()
    with Terminal([str(PROGRAM), "OVUI"], env=env, rows=30, cols=100) as term:
        term.wait_for(PROMPT)
        term.press("UP", "UP")
        term.wait_for(PROMPT + " EVAL x=7")
        term.press("ENTER")
        term.wait_for("     00000007 ")
        term.press("F10")
        assert term.wait_exit(10) == 0


def test_tab_completes_keywords_and_device_paths_with_the_filter():
    base = Path(tempfile.mkdtemp(prefix="session."))
    with Terminal([str(PROGRAM), "OVUI"], env=session_env(base), rows=30, cols=100) as term:
        term.wait_for(PROMPT)
        cases = [
            ("EV", PROMPT + " EVAL"),                    # one keyword
            ("LOAD \\scr", PROMPT + " LOAD \\Scripts\\"),  # a folder, in its own case
            ("se", PROMPT + " LOAD \\Scripts\\set"),      # as far as both files agree
        ]
        for typed, shown in cases:
            term.send(typed)
            term.press("TAB")
            term.wait_for(shown)
            if typed == "EV":
                term.press("CTRL-U")
        term.press("TAB")  # no further: the choices are listed
        term.wait_for("settings.reg  setup.ovs")
        term.send("u")
        term.press("TAB")
        term.wait_for(PROMPT + " LOAD \\Scripts\\setup.ovs")
        term.press("CTRL-U")
        # notes.txt is none of the filter's patterns; *xml takes .provxml too.
        term.send("LOAD \\Scripts\\")
        term.press("TAB")
        term.wait_for("Sub\\")
        listed = term.text()
        assert "notes.txt" not in listed and "card.provxml" in listed, listed
        term.press("CTRL-U")
        term.press("F10")
        assert term.wait_exit(10) == 0


def test_menu_keys_do_the_menu_items():
    base = Path(tempfile.mkdtemp(prefix="session."))
    with Terminal([str(PROGRAM), "OVUI"], env=session_env(base), rows=50, cols=120) as term:
        term.wait_for(PROMPT)
        term.send("EVAL x=9")  # left in the box while the items run
        term.press("F3")
        term.wait_for("已经把 .ovs 文件类型关联到 Orvinta 命令解释引擎。")
        term.wait_for("[文件关联 [ ]]")
        term.press("F3")
        term.wait_for("已经取消 .ovs 文件类型关联。")
        term.wait_for("[文件关联 [x]]")
        term.press("F2")
        term.wait_for("1.6.360.1060")
        term.press("F1")  # the pager is cat here
        term.wait_for("【9. 致谢】")
        term.press("F4")  # clears the screen, the typed text stays
        term.wait_for(PROMPT + " EVAL x=9")
        assert "1.6.360.1060" not in term.text()
        term.press("ENTER")
        term.wait_for("     00000009 ")
        term.press("F10")
        assert term.wait_exit(10) == 0
    hive = (base / "registry.hive").read_text(encoding="utf-8", errors="replace")
    assert ".provxml" not in hive and "Shell\\Open\\Command" not in hive, hive


def test_help_prints_the_page_as_text_without_a_terminal():
    import subprocess
    base = Path(tempfile.mkdtemp(prefix="session."))
    done = subprocess.run([str(PROGRAM), "HELP"], env=session_env(base), capture_output=True, timeout=30)
    text = done.stdout.decode("utf-8")
    assert done.returncode == 0
    sections = ["简介", "功能特点", "安装与卸载", "使用方法", "菜单", "命令", "技巧问答", "使用许可", "致谢"]
    for number, name in enumerate(sections, 1):
        assert f"【{number}. {name}】" in text, name
    assert "◆ LOAD 路径" in text and "◆ HELP" in text and "<" + "a" not in text


run_tests(globals())
