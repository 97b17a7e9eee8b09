#!/usr/bin/env python3
"""Writes the seed corpora of the file-command fuzz targets: fuzz_tgzx (archives of every kind
the extractor meets), fuzz_file_argument and fuzz_link_fields (arguments as UTF-16 LE). Each seed
begins with the byte that the target reads first (the code page; for fuzz_tgzx also whether the
target compresses the rest). Run it again after changing a seed; the files are kept in the
repository, so the fuzzer needs no Python.

    fuzz/make_file_seeds.py
"""
import gzip
import io
import pathlib
import tarfile

HERE = pathlib.Path(__file__).resolve().parent


def archive(entries, tar_format=tarfile.GNU_FORMAT, encoding="utf-8"):
    """A tar archive of (name, data or None for a folder) without the padding past its end."""
    out = io.BytesIO()
    with tarfile.open(fileobj=out, mode="w", format=tar_format, encoding=encoding) as tar:
        for name, data in entries:
            info = tarfile.TarInfo(name)
            info.mtime = 1700000000
            if data is None:
                info.type = tarfile.DIRTYPE
                tar.addfile(info)
            else:
                info.size = len(data)
                tar.addfile(info, io.BytesIO(data))
    data = out.getvalue().rstrip(b"\0")
    return data + bytes(-len(data) % 512 + 1024)


def claiming(size, data, after):
    """A file header that claims `size` bytes (octal to 8 GiB, base-256 beyond) over only `data`,
    then the archive `after`: a member far longer than what follows."""
    info = tarfile.TarInfo("big.bin")
    info.mtime, info.size = 1700000000, size
    return info.tobuf(tarfile.GNU_FORMAT, "utf-8", "surrogateescape") + data + bytes(-len(data) % 512) + after


def text(argument):
    return argument.encode("utf-16-le")


SMALL = [("a/", None), ("a/b.txt", b"hello"), ("a/e", b""), ("k512", b"k" * 512)]
TGZX = {
    "gnu-compressed-here": b"\x01" + archive(SMALL),
    "gnu-plain": b"\x00" + archive(SMALL),
    "gnu-gzip-stream": b"\x00" + gzip.compress(archive(SMALL), mtime=0),
    "gnu-long-name": b"\x01" + archive([("d" * 60 + "/" + "e" * 80 + ".txt", b"long")]),
    "gnu-1252-name": b"\x03" + archive([("caf\u00e9.txt", b"x")], encoding="cp1252"),
    "gnu-936-name": b"\x05" + archive([("\u4e2d/\u6587.txt", b"x")], encoding="gbk"),
    "pax": b"\x01" + archive([("p/" + "q" * 120, b"pax"), ("caf\u00e9", b"x")], tarfile.PAX_FORMAT),
    "ustar-prefix": b"\x01" + archive([("u" * 80 + "/" + "v" * 60, b"split")], tarfile.USTAR_FORMAT),
    "names-outside": b"\x01" + archive([("../up", b"u"), ("/abs", b"a"), ("ok/. ./x", b"x"), ("ok/fine", b"f")]),
    "size-4gib": b"\x01" + claiming((4 << 30) + 2048, b"x" * 2048, archive([("hidden", b"h")])),
    "size-base256": b"\x01" + claiming((8 << 30) + 2048, b"y" * 2048, archive([("hidden", b"h")])),
}
FILE_ARGUMENT = {
    "copy-into": b"\x00" + text("\\fuzz\\a.txt=>\\fuzz\\new\\"),
    "copy-tree": b"\x00" + text("\\fuzz\\d=>\\fuzz\\e"),
    "copy-into-itself": b"\x00" + text("\\fuzz\\d=>\\fuzz\\d\\sub"),
    "move": b"\x00" + text("\\fuzz\\d->\\fuzz\\e\\;\\fuzz\\f"),
    "delete-wildcard": b"\x00" + text("\\fuzz\\d\\sub\\*.log;\\fuzz\\a.txt"),
    "write-ansi": b"\x01" + text("\\fuzz\\w.txt<-caf\u00e9;=>\\x{"),
    "append-utf16": b"\x02" + text("\\fuzz\\a.txt{=\u4e2d\u6587"),
    "folders": b"\x00" + text("\\fuzz\\m\\n\\o\\"),
    "operators": b"\x00" + text("\\fuzz\\a.txt>\\fuzz\\x=>\\fuzz\\y->\\fuzz\\z"),
    "copy-new-folders": b"\x00" + text("\\fuzz\\a.txt=>\\fuzz\\nf\\sub\\b.txt"),
    "rename-case": b"\x00" + text("\\fuzz\\d->\\FUZZ\\D;\\fuzz\\A.TXT->\\fuzz\\a.txt"),
    "refused-names": b"\x00" + text("\\fuzz\\a.txt=>\\fuzz\\q\x01|x.txt.  ;\\\\srv\\s"),
    "trailing-dots": b"\x00" + text("\\fuzz\\d.\\sub. \\x.log. .->\\fuzz\\a.txt\\"),
}
LINK_FIELDS = {
    "target": b"\x00" + text("\\fuzz\\s.lnk\x01\\Windows\\calc.exe"),
    "blank": b"\x01" + text("\\fuzz\\s.lnk\x01\\Program Files\\a b.exe"),
    "all-fields": b"\x00" + text("\\fuzz\\l\\s.lnk\x01\\a.exe\x01-x 1\x01\\i.dll\x01-100\x01more"),
    "empty-target": b"\x00" + text("\\fuzz\\s.lnk\x01\x01\x01\\i.dll\x012"),
    "936": b"\x02" + text("\\fuzz\\s.lnk\x01\\\u4e2d\u6587.exe"),
    "no-separator": b"\x00" + text("\\fuzz\\s.lnk"),
}

for corpus, seeds in (("tgzx", TGZX), ("file_argument", FILE_ARGUMENT), ("link_fields", LINK_FIELDS)):
    folder = HERE / "corpus" / corpus
    folder.mkdir(parents=True, exist_ok=True)
    for name, data in seeds.items():
        (folder / name).write_bytes(data)
