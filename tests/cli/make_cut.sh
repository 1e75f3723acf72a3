#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make: books cut into volumes by the JAR size, with volume names, the
# manifest's suffixed names and chapters continued across volumes.
source "$(dirname "$0")/common.bash"

out="$work/out"
python3 - "$work" <<'PY'
import random, sys
rng = random.Random(7)
words = "山水云雨风花雪月春夏秋冬东南西北天地人和日夜晨昏一二三四五六七八九十书写读看听说走来去回"
def chapter(n_lines, lf_every=0):
    lines = []
    for i in range(n_lines):
        line = "　　" + "".join(rng.choice(words) for _ in range(rng.randint(5, 90))) + "。"
        if lf_every and i % lf_every == 0:
            line += "\n" + "内嵌换行"
        lines.append(line)
    return "\r\n".join(lines) + "\r\n"
open(sys.argv[1] + "/c1.txt", "wb").write(chapter(900).encode("gbk"))
open(sys.argv[1] + "/c2.txt", "wb").write(chapter(300, 7).encode("utf-8"))
open(sys.argv[1] + "/c3.txt", "wb").write(b"")
open(sys.argv[1] + "/c4.txt", "wb").write(("x" * 2800).encode())
open(sys.argv[1] + "/c5.txt", "wb").write(chapter(200).encode("gbk"))
PY
files=("$work/c1.txt" c1 "$work/c2.txt" c2 "$work/c3.txt" c3 "$work/c4.txt" c4 "$work/c5.txt" c5)

# 60KB class: several volumes with two-digit numbers, phone model 0.
run "$work/out1" "$work/err" make --save-folder "$out" --book-name 长篇 --jar-name long --jar-size 4 \
  --phone 0 "$work/c1.txt" "$work/c2.txt" "$work/c3.txt" "$work/c4.txt" "$work/c5.txt"
[ "$status" = 0 ] || fail "make size 4: status $status: $(cat "$work/err")"
[ "$(wc -l <"$work/out1")" -ge 6 ] || fail "expected at least three volumes: $(cat "$work/out1")"
grep -q '/long(01)\.jar$' "$work/out1" || fail "first volume is not long(01).jar: $(head -1 "$work/out1")"
expect_book "$work/out1" 长篇 Vamo "手机看小说就上www.vamobook.cn" long 4 0 "$out" -- "${files[@]}"

# 120KB class with phone model 1: other cut points, Motorola template; the
# first volume holds more than half of the book, so numbers have one digit.
run "$work/out2" "$work/err" make --save-folder "$out" --book-name "长 篇" --jar-name moto --jar-size 3 \
  --phone 1 "$work/c1.txt" "$work/c2.txt" "$work/c3.txt" "$work/c4.txt" "$work/c5.txt"
[ "$status" = 0 ] || fail "make size 3: status $status: $(cat "$work/err")"
grep -q '/moto(1)\.jar$' "$work/out2" || fail "first volume is not moto(1).jar: $(cat "$work/out2")"
expect_book "$work/out2" "长 篇" Vamo "手机看小说就上www.vamobook.cn" moto 3 1 "$out" -- "${files[@]}"

# The same text in the unlimited class stays one volume.
run "$work/out4" "$work/err" make --save-folder "$out" --book-name whole --jar-name whole \
  "$work/c1.txt" "$work/c2.txt" "$work/c3.txt" "$work/c4.txt" "$work/c5.txt"
[ "$status" = 0 ] || fail "make size 0: status $status: $(cat "$work/err")"
[ "$(wc -l <"$work/out4")" = 2 ] || fail "unlimited class made more than one volume"
expect_book "$work/out4" whole Vamo "手机看小说就上www.vamobook.cn" whole 0 0 "$out" -- "${files[@]}"

# A chapter of 10,000 pieces and more (a 14 MB line) in a one-volume book:
# parts of at most 9,999 pieces under the chapter's name, every piece file
# named once, and the text read back whole from the JAR.
python3 - "$work" <<'PY'
import sys
line = "".join(chr(0x4E00 + i % 977) for i in range(10001 * 1400 + 300))
open(sys.argv[1] + "/huge.txt", "wb").write(line.encode("utf-8"))
PY
huge=("$work/c1.txt" c1 "$work/huge.txt" huge "$work/c4.txt" c4)
run "$work/out5" "$work/err" make --save-folder "$out" --book-name 巨章 --jar-name huge \
  "$work/c1.txt" "$work/huge.txt" "$work/c4.txt"
[ "$status" = 0 ] || fail "make with a chapter of 10,000 pieces: status $status: $(cat "$work/err")"
expect_book "$work/out5" 巨章 Vamo "手机看小说就上www.vamobook.cn" huge 0 0 "$out" -- "${huge[@]}"
python3 - "$out/巨章/huge.jar" "$work/huge.txt" <<'PY' || fail "the chapter of 10,000 pieces does not read back"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    names = z.namelist()
    assert len(names) == len(set(names)), "a piece file name twice"
    index = z.read("capter")[3:].decode("utf-8").split("\r\n")[1:-1]
    entries = [(index[i][:-4], int(index[i][-4:])) for i in range(0, len(index), 2)]
    assert [e[0] for e in entries] == ["c1", "huge", "huge", "c4"], entries
    assert entries[1][1] == 9999, entries
    text = []
    for part in (2, 3):
        for j in range(entries[part - 1][1]):
            body = z.read(str(10000 * part + j))[3:].decode("utf-8")
            body = body[body.index("\r\n") + 2:]
            text.append(body[:-2] if len(body) >= 1402 else body)
# The line read gets CR LF, and the chapter as stored one more.
want = open(sys.argv[2], encoding="utf-8").read() + "\r\n\r\n"
text = "".join(text)
assert text == want, (len(text), len(want))
PY

finish
