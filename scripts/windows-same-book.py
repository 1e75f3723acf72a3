#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
# For scripts/windows.sh: the inputs of the same-book check, and the check.
#
#   windows-same-book.py inputs DIR [CORPUS]   writes the TXT files into DIR
#   windows-same-book.py compare LINUX WINDOWS  compares two save folders
#
# Two books are the same when every book folder holds the same JAR and JAD
# names, every JAR the same entries in the same order with the same bytes and
# compression method, and every JAD the same text.
import os
import sys
import zipfile


def inputs(folder, corpus):
    os.makedirs(folder, exist_ok=True)
    text = "第一回 开篇\r\n　　山居无事，闲读旧书。窗外细雨，檐下燕归。\r\n最后一行没有换行"
    open(os.path.join(folder, "gbk.txt"), "wb").write(text.encode("gbk"))
    open(os.path.join(folder, "utf8.txt"), "wb").write(("\ufeff" + text + "\r\n“引号”与全角，标点。").encode("utf-8"))
    open(os.path.join(folder, "utf16.txt"), "wb").write(("\ufeff" + text + "\n只用LF换行\n").encode("utf-16-le"))
    chapters = []
    chapter_dir = os.path.join(corpus, "chapters") if corpus else ""
    if chapter_dir and os.path.isdir(chapter_dir):
        names = sorted(os.listdir(chapter_dir), key=lambda n: int("".join(c for c in n[:3] if c.isdigit()) or 0))
        for name in names[:12]:
            heading = name.lstrip("0123456789").rsplit(".", 1)[0]
            body = open(os.path.join(chapter_dir, name), encoding="utf-8").read()
            chapters.append(heading + "\n" + body)
    else:
        numerals = "一二三四五六七八九十"
        for i in range(12):
            chapters.append("第%s回 第%d回的标题\n" % (numerals[i % 10] * (1 + i // 10), i + 1)
                            + "　　这是一段用来检验分章的正文，句子重复出现。\n" * 300)
    novel = "\r\n".join(c.replace("\n", "\r\n") for c in chapters)
    # Code page 936 cannot hold every character of the real text.
    open(os.path.join(folder, "novel.txt"), "wb").write(novel.encode("gbk", errors="replace"))
    print(len(chapters), "chapters in novel.txt")


def books(root):
    found = {}
    for dirpath, _, files in os.walk(root):
        for name in files:
            path = os.path.join(dirpath, name)
            found[os.path.relpath(path, root)] = path
    return found


def compare(linux_root, windows_root):
    linux, windows = books(linux_root), books(windows_root)
    problems = []
    if sorted(linux) != sorted(windows):
        problems.append("different files: Linux %s, Windows %s" % (sorted(linux), sorted(windows)))
    jars = 0
    for name in sorted(set(linux) & set(windows)):
        if name.endswith(".jad"):
            a = open(linux[name], "rb").read()
            b = open(windows[name], "rb").read()
            if a != b:
                problems.append("%s: the JAD texts differ:\n%r\n%r" % (name, a, b))
        elif name.endswith(".jar"):
            jars += 1
            with zipfile.ZipFile(linux[name]) as za, zipfile.ZipFile(windows[name]) as zb:
                ea, eb = za.infolist(), zb.infolist()
                if [e.filename for e in ea] != [e.filename for e in eb]:
                    problems.append("%s: entries differ in names or order" % name)
                    continue
                for x, y in zip(ea, eb):
                    if x.compress_type != y.compress_type:
                        problems.append("%s: %s compressed differently" % (name, x.filename))
                    if za.read(x) != zb.read(y):
                        problems.append("%s: %s holds other bytes" % (name, x.filename))
    if jars == 0:
        problems.append("no JAR was made")
    for p in problems:
        print("same-book:", p, file=sys.stderr)
    if problems:
        sys.exit(1)
    print("same-book: %d JARs and their JADs alike" % jars)


if __name__ == "__main__":
    if sys.argv[1] == "inputs":
        inputs(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else "")
    elif sys.argv[1] == "compare":
        compare(sys.argv[2], sys.argv[3])
    else:
        sys.exit("usage: windows-same-book.py inputs DIR [CORPUS] | compare LINUX WINDOWS")
