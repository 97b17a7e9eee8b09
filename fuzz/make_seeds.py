#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_run_script and its dictionary, both as UTF-16 LE.

Each seed is a small script that reaches one corner of the runner: macros and "%#" escapes
(complete, invalid, cut off by the end of the text), lines longer than the line buffer, XML and
registry blocks, the flow commands with and without their targets, nesting up to the cap, and
texts that are not commands at all, and a script whose work doubles with every block. Run it again after changing a seed; the files are kept in
the repository, so the fuzzer needs no Python.

    fuzz/make_seeds.py            rewrites fuzz/corpus/run_script/ and fuzz/run_script.dict
"""
import pathlib

HERE = pathlib.Path(__file__).resolve().parent
CORPUS = HERE / "corpus" / "run_script"
DICT = HERE / "run_script.dict"

KEYWORDS = ["LOAD", "BATC", "IFEX", "ELSE", "CALL", "GOTO", "PROC", "ENDP", "PLAY", "BEEP", "MSGX",
            "DLGX", "LINK", "FILE", "REGX", "TGZX", "SEND", "WAIT", "KILL", "SHUT", "EXEC", "CDLL",
            "EVAL", "ASOC", "OVUI", "HELP"]
MACROS = "ECTDXxAYSWPMFRN0123456789%#"

SEEDS = {
    "eval": "EVAL 1=abc\r\nEVAL 1\r\nEVAL x=%x\r\nEVAL X=0x1F\r\nEVAL 7=%1%1\r\nEVAL 2=-12abc\r\n"
            "EVAL 2\r\nEVAL x=0xFFFFFFFF\r\nEVAL X%X\r\nEVAL\r\nEVAL q\r\n",
    "batc": "BATC EVAL 2=x;EVAL x=1;BEEP 0\r\nBATC ;;\r\nBATC\r\nBATC BATC EVAL 1=a;EVAL 1\r\n",
    "flow": "; procedures and jumps\r\nCALL p1\r\nGOTO over\r\nPROC p1\r\nEVAL 1=in\r\nENDP\r\n"
            "PROC over\r\nEVAL 1\r\nGOTO nowhere\r\nCALL nothing\r\nPROC open\r\nEVAL 2=unreached\r\n",
    "flow_batc": "BATC CALL q;GOTO r;EVAL x=3\r\nPROC q\r\nENDP\r\nPROC r\r\nEVAL x=%x\r\n",
    "endp_top": "EVAL 1=a\nENDP\nEVAL 1=b\n",
    "nesting_cap": "CALL\nPROC\n" * 260 + "EVAL x=%x\n",
    # Each block's two CALLs run the rest of the text: 2^40 runs, cut short by the line budget.
    "call_fan_out": "CALL\nCALL\nPROC\n" * 40,
    "macros": "EVAL 1=%E|%C|%X|%x|%A|%Y|%S|%W|%P|%M|%F|%R|%N|%0|%9|%%|%q|%,|%;\r\n"
              "EVAL 2=%T %D\r\n%1\r\n",
    "hex_escapes": "EVAL 1=%#0041%#000A%#002C%#0025%#zzzz%#FFFF%#d800\r\n%#0045VAL x=1\r\n"
                   "EVAL 2=%#000D%#005B\r\n",
    "hex_cut_at_end": "EVAL 1=ok\r\nEVAL 2=%#00",
    "percent_at_end": "EVAL 1=abc%",
    "xml_block": "<wap-provisioningdoc>\r\n<characteristic type=\"Registry\"/>\r\n</wap-provisioningdoc><>\r\n"
                 "EVAL x=%x\r\n  <a/><> tail\r\nEVAL 1\r\n<unclosed>\r\nEVAL 2\r\n",
    "xml_marker_split": "<a>%#003C>\r\n<b><",
    "registry_block": "[HKEY_LOCAL_MACHINE\\Software\\Orvinta]\r\n\"Name\"=\"value\"\r\n\"N\"=dword:00000001\r\n"
                      "\r\n  [HKEY_CURRENT_USER\\x]\r\n%#005B not raw\r\nEVAL x=%x\r\n[",
    "long_line": "EVAL 1=" + "a" * 1500 + "\r\nEVAL 1\r\nBATC " + "EVAL 2=b;" * 150 + "\r\n",
    "long_expansion": "EVAL 1=" + "x" * 250 + "\r\nEVAL 2=" + "%1" * 10 + "\r\nEVAL 3=%2%2%2%2\r\n",
    "long_line_cut_keyword": " " * 1030 + "EVAL x=5\r\n" + "\t" * 1022 + "EVAL x=6\r\n",
    "commas": "EVAL 1=a,b,,c\r\nBEEP 1,2\r\nfoo.exe,arg\r\n",
    "openers": "program.EXE arg\r\nlibrary.dll,Entry\r\nscript.ovs\r\neval 1=lower\r\n\\Windows\\x.ovs\r\n",
    "unbuilt": "".join(k + " arg,1\r\n" for k in KEYWORDS if k not in ("CALL", "GOTO", "PROC", "ENDP")),
    "device": "WAIT 0xFFFFFFFF\r\nBEEP -1\r\nWAIT 10\r\nBEEP 0x40\r\nWAIT\r\n",
    "line_endings": "EVAL 1=a\rEVAL 2=b\n\nEVAL 3=c\r\n\r\n\t  ; comment\r\n;\r\n   \r\nEVAL x=%x",
    "embedded_zero": "EVAL 1=a\r\n\0EVAL 2=b\r\n",
    "non_ascii": "EVAL 1=\u00e9\u4e2d\U0001F600\r\n\uFEFFEVAL 2=x\r\nEVAL 3=\udc00\r\n",
}


def utf16le(text):
    return text.encode("utf-16-le", "surrogatepass")


def dict_entry(text):
    return '"' + "".join(f"\\x{b:02X}" if b < 32 or b > 126 or chr(b) in '"\\' else chr(b)
                         for b in utf16le(text)) + '"'


def main():
    CORPUS.mkdir(parents=True, exist_ok=True)
    for old in CORPUS.iterdir():
        old.unlink()
    for name, text in SEEDS.items():
        (CORPUS / f"{name}.ovs").write_bytes(utf16le(text))
    # An odd trailing byte is dropped by the target.
    (CORPUS / "odd_length.ovs").write_bytes(utf16le("EVAL 1=odd\r\n") + b"E")

    tokens = [f"{k} " for k in KEYWORDS] + [f"%{m}" for m in MACROS]
    tokens += ["%#0041", "<>", "\r\n", "[HKEY_LOCAL_MACHINE\\", ".exe", ".dll", "0x", "=", ";", ","]
    lines = ["# Keywords, macros and markers of the script language, as UTF-16 LE.",
             "# Written by make_seeds.py."]
    lines += [dict_entry(t) for t in tokens]
    DICT.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
