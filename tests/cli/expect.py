#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Works out, independently of the program, the JAR and JAD volumes a book
must give, and compares them with what vamobook-cli made.

Usage: expect.py BOOK.json
BOOK.json holds: files (TXT paths, in chapter order), names (chapter names),
book_name, maker, message, jar_name (or "*" for a dated name taken from the
printed paths), jar_size, phone, save_folder, template_dir and printed (the
lines vamobook-cli printed for this book). Exit status 0 when everything
matches, 1 with the differences on stderr otherwise.
"""

import json
import os
import re
import sys
import zipfile

PIECE = 1400
BUDGETS = {0: None, 1: 853, 2: 408, 3: 172, 4: 66}
BOM = b"\xef\xbb\xbf"
HOST = "www.vamobook.cn"
HOME = "http://www.vamobook.cn/"
HELP = [
    "【使用介绍】",
    "-左软键(功能键)-打开选项",
    "-右软键(返回键)-返回/取消",
    "-上,下键或(2,8)-翻页",
    "-长按上,下键或(2,8)-快速翻页",
    "-左或右键-开/关全屏",
    "-“*”键-更改皮肤",
    "-“0”键-白天/黑夜模式",
    "-“#”键-设书签",
    "-“9”键-读取书签",
    "-“5”键-章节列表",
    "-“7”键-更改字体",
    "【手机电子书制作工具】",
    "一款专门制作手机电子书的软件，它使用方便、简单，制作出的电子书，可任意设定章节，有了这款软件，"
    "就可以将网上无穷的资源安装到手机上观看，给您的生活增添无穷的乐趣。",
    "本电子书由Vamo手机电子书制作工具制作完成，官方地址" + HOME,
]

problems = []


def problem(text):
    problems.append(text)


def decode(raw):
    if raw.startswith(BOM):
        return raw[3:].decode("utf-8", "replace")
    if raw.startswith(b"\xff\xfe"):
        return raw[2:].decode("utf-16-le", "replace")
    if raw.startswith(b"\xfe\xff"):
        return raw[2:].decode("utf-16-be", "replace")
    if not raw.isascii():
        try:
            return raw.decode("utf-8")
        except UnicodeDecodeError:
            pass
    return raw.decode("gbk", "replace")


def read_txt(path):
    """Lines end at CR or CR LF; a lone LF stays in its line; every line is
    followed by CR LF. Storing the chapter adds one more CR LF."""
    with open(path, "rb") as f:
        text = decode(f.read())
    out = []
    i, n = 0, len(text)
    while i < n:
        cr = text.find("\r", i)
        if cr < 0:
            out.append(text[i:])
            i = n
        else:
            out.append(text[i:cr])
            i = cr + 1
            if i < n and text[i] == "\n":
                i += 1
    if re.search("[\U00010000-\U0010FFFF]", text):
        sys.exit("expect.py: test texts must stay in the BMP")
    return "".join(line + "\r\n" for line in out) + "\r\n"


def trim(s):
    return s.strip(" ")


def header(piece):
    crs = [m.start() + 1 for m in re.finditer("\r", piece)]
    return "%04d" % len(crs) + "".join("%04d" % p for p in crs)


def encode_descriptor(text):
    out = bytearray()
    for ch in text:
        u = ord(ch)
        try:
            code = ch.encode("gbk")
        except UnicodeEncodeError:
            code = b"?"
        if len(code) == 1 and u != 0:
            out += code
        else:
            out += bytes([0xE0 | (u >> 12), 0x80 | ((u >> 6) & 0x3F), 0x80 | (u & 0x3F)])
    return bytes(out)


def manifest(title):
    lines = [
        "Manifest-Version: 1.0",
        "MicroEdition-Configuration: CLDC-1.0",
        "MIDlet-Name: " + trim(title),
        "Created-By: 1.5.0-beta (Sun Microsystems Inc.)",
        "MIDlet-Vendor: " + HOST,
        "MIDlet-1: " + trim(title) + ",/icon.png,demo",
        "MIDlet-Version: 1.0.0",
        "MicroEdition-Profile: MIDP-1.0",
    ]
    return "".join(l + "\r\n" for l in lines)


def volumes(book):
    """Yields (volume number, digits, files of the volume, the book's number
    of its first chapter, whether that chapter began in the volume before)."""
    texts = [read_txt(p) for p in book["files"]]
    names = book["names"]
    count = len(texts)
    budget = BUDGETS.get(book["jar_size"])
    total = sum(len(t) for t in texts)
    # Characters of each chapter written so far (never sliced off: a chapter
    # may be millions of characters long).
    taken = [0] * count
    processed = 0
    first_open = 0
    number = 0
    digits = 1
    out = []
    more = True
    while more:
        start = first_open
        continues = first_open < count and taken[first_open] > 0
        index = "\r\n"
        volume_bytes = 0
        finished = True
        files = {}
        pieces = chars = 0
        # Chapter parts of the volume: a chapter, the part of it in this
        # volume, or 9999 pieces of it (the next part has the same name).
        part = 0
        part_done = True
        while first_open <= count - 1:
            c = first_open
            if part_done:
                part += 1
                pieces = chars = 0
                part_done = False
            t, at = texts[c], taken[c]
            rest = len(t) - at
            if rest >= PIECE:
                cut = PIECE + 1 if rest > PIECE and t[at + PIECE] == "\n" else PIECE
                if 0xD800 <= ord(t[at + cut - 1]) <= 0xDBFF:
                    cut -= 1
                piece = t[at:at + cut]
                processed += cut
                taken[c] += cut
                piece += "\r\n"
                finished = False
            else:
                piece = t[at:]
                processed += rest
                taken[c] = len(t)
                first_open += 1
                finished = True
            body = header(piece) + "\r\n" + piece
            data = BOM + body.encode("utf-8")
            files[str(10000 * part + pieces)] = data
            pieces += 1
            chars += len(body)
            volume_bytes += len(data)
            if finished or pieces == 9999:
                index += trim(names[c]) + "%04d" % pieces + "\r\n" + str(chars) + "\r\n"
                part_done = True
            if budget is not None and volume_bytes // 1024 >= budget:
                break
        if not part_done:
            index += trim(names[first_open]) + "%04d" % pieces + "\r\n" + str(chars) + "\r\n"
        files["capter"] = BOM + index.encode("utf-8")
        if first_open >= count or (first_open == count - 1 and taken[count - 1] >= len(texts[count - 1])):
            more = False
            number = number + 1 if number > 0 else 0
        else:
            number += 1
        if number == 1:
            estimate = total // processed
            digits = 1 if estimate <= 1 else 2 if estimate <= 99 else 3 if estimate <= 999 else 4
        out.append((number, digits, files, start + 1, continues))
    return out


def check(book):
    base_book = trim(book["book_name"].replace(" ", "_"))
    info = "\r\n" + "".join(
        l + "\r\n" for l in [base_book, trim(book["message"]), trim(book["maker"])] + HELP)
    template_path = os.path.join(book["template_dir"], ["DuvEver.dll", "DuvEverMoto.dll"][book["phone"]])
    with zipfile.ZipFile(template_path) as z:
        template = {i.filename: z.read(i) for i in z.infolist()}
    folder = os.path.join(book["save_folder"], base_book)
    printed = [os.path.abspath(p) for p in book["printed"]]

    jar_name = book["jar_name"]
    if jar_name == "*":
        if not printed:
            problem("no paths printed")
            return
        jar_name = os.path.basename(printed[0])[:-4]
        jar_name = re.sub(r"\(\d+\)$", "", jar_name)
        if not re.fullmatch(r"vamo-\d{8}", jar_name):
            problem("not a dated JAR name: " + jar_name)
    jar_name = trim(jar_name)

    vols = volumes(book)
    expected_paths = []
    for number, digits, files, first, continues in vols:
        suffix = "(" + str(number).zfill(digits) + ")" if number else ""
        files = dict(files)
        if number:
            # What the reader reads of the volume's place in the book.
            following = "" if number == len(vols) else jar_name + "(" + str(number + 1).zfill(digits) + ").jar"
            files["volume"] = BOM + ("%d\r\n%d\r\n%d\r\n%d\r\n%s\r\n" % (
                number, len(vols), first, 1 if continues else 0, following)).encode("utf-8")
        base = jar_name + suffix
        title = base_book + suffix
        jar = os.path.abspath(os.path.join(folder, base + ".jar"))
        jad = os.path.abspath(os.path.join(folder, base + ".jad"))
        expected_paths += [jar, jad]
        files = dict(files)
        files["text"] = BOM + info.encode("utf-8")
        mf = manifest(title)
        files["META-INF/MANIFEST.MF"] = encode_descriptor(mf)
        if not os.path.isfile(jar):
            problem("missing " + jar)
            continue
        with zipfile.ZipFile(jar) as z:
            entries = z.infolist()
            damaged = z.testzip()
            if damaged is not None:
                problem(jar + ": damaged entry " + damaged)
            actual = {i.filename: z.read(i) for i in entries}
        if not entries or entries[0].filename != "META-INF/MANIFEST.MF":
            problem(jar + ": first entry is " + (entries[0].filename if entries else "none"))
        want_names = set(template) | set(files)
        if set(actual) != want_names:
            problem("%s: entries differ; extra %s missing %s" % (
                jar, sorted(set(actual) - want_names)[:5], sorted(want_names - set(actual))[:5]))
        if len(actual) != len(entries):
            problem(jar + ": an entry name occurs twice")
        for name, data in template.items():
            if name not in files and actual.get(name) != data:
                problem("%s: template entry %s changed" % (jar, name))
        for name, data in files.items():
            got = actual.get(name)
            if got != data:
                problem("%s: entry %s differs: want %r… got %r…" % (
                    jar, name, data[:80], None if got is None else got[:80]))
        want_jad = encode_descriptor(
            mf + "MIDlet-Jar-Size: %d\r\n" % os.path.getsize(jar) + "MIDlet-Jar-URL: " + base + ".jar\r\n")
        if not os.path.isfile(jad):
            problem("missing " + jad)
            continue
        with open(jad, "rb") as f:
            got = f.read()
        if got != want_jad:
            problem("%s differs:\nwant %r\ngot  %r" % (jad, want_jad, got))
    if printed != expected_paths:
        problem("printed paths differ:\nwant %s\ngot  %s" % (expected_paths, printed))
    if len(vols) > 1:
        print("expect.py: %d volumes checked" % len(vols))


def main():
    with open(sys.argv[1], encoding="utf-8") as f:
        book = json.load(f)
    check(book)
    for p in problems:
        print("expect.py: " + p, file=sys.stderr)
    sys.exit(1 if problems else 0)


if __name__ == "__main__":
    main()
