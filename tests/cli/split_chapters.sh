#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# --split-chapters and --chapter-pattern: a novel in one TXT file becomes a
# book whose chapter index holds its headings, with not one character lost.
source "$(dirname "$0")/common.bash"

out="$work/out"

# book_text JAR: the chapter texts of the book joined, as the phone reader
# gets them (the CR LF the chapter store adds removed from each).
book_text() {
  python3 - "$1" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    names = [n for n in z.namelist() if n.isdigit()]
    pieces = {int(n): z.read(n)[3:].decode("utf-8") for n in names}
chapters = {}
for number in sorted(pieces):
    body = pieces[number]
    count = int(body[:4])
    text = body[4 + 4 * count + 2:]
    chapters.setdefault(number // 10000, []).append(text)
out = []
for c in sorted(chapters):
    parts = chapters[c]
    text = "".join(p[:-2] for p in parts[:-1]) + parts[-1]  # cut pieces carry one more CR LF
    assert text.endswith("\r\n"), repr(text[-10:])
    out.append(text[:-2])
sys.stdout.write("".join(out))
PY
}

# txt_text FILE: the file as the TXT line reading gives it.
txt_text() {
  python3 - "$1" <<'PY'
import sys
raw = open(sys.argv[1], "rb").read()
try:
    text = raw.decode("utf-8")
except UnicodeDecodeError:
    text = raw.decode("gbk")
lines = text.replace("\r\n", "\r").split("\r")
if lines and lines[-1] == "":
    lines.pop()
sys.stdout.write("".join(l + "\r\n" for l in lines))
PY
}

gbk "$work/红楼梦.txt" '红楼梦\r\n目录\r\n第一回 甄士隐梦幻识通灵\r\n第二回 贾夫人仙逝扬州城\r\n\r\n第一回 甄士隐梦幻识通灵\r\n　　此开卷第一回也。作者自云：\r\n第二回才是正文，这一行不是标题\r\n　　“第三回不是，”他说。\r\n第二回 贾夫人仙逝扬州城\r\n　　却说封肃因听见公差传唤。\r\n第二卷 金陵\r\n第３回 托内兄如海荐西宾\r\n　　全角数字。'

run "$work/out1" "$work/err" make --save-folder "$out" --book-name 红楼梦 --jar-name hlm --split-chapters \
  "$work/红楼梦.txt"
[ "$status" = 0 ] || fail "make --split-chapters: status $status: $(cat "$work/err")"
[ "$(head -1 "$work/out1")" = "红楼梦：共4章" ] || fail "chapter count line: $(head -1 "$work/out1")"
[ "$(sed -n 2p "$work/out1")" = "$out/红楼梦/hlm.jar" ] || fail "JAR path: $(cat "$work/out1")"
chapters "$out/红楼梦/hlm.jar" >"$work/names"
printf '红楼梦\n第一回 甄士隐梦幻识通灵\n第二回 贾夫人仙逝扬州城\n第二卷 金陵 第３回 托内兄如海荐西宾\n' >"$work/want"
diff "$work/want" "$work/names" >&2 || fail "chapter names of the split book"
book_text "$out/红楼梦/hlm.jar" >"$work/got.txt"
txt_text "$work/红楼梦.txt" >"$work/want.txt"
cmp -s "$work/want.txt" "$work/got.txt" || fail "the split book's text differs from the file's"

# With a naming rule the chapters are numbered on across files; a file with
# fewer than two headings stays one chapter named by its file.
utf8 "$work/附录.txt" '附录没有章节标题\r\n'
run "$work/out2" "$work/err" make --save-folder "$out" --book-name 两卷 --jar-name two --split-chapters \
  "$work/附录.txt" "$work/红楼梦.txt"
[ "$status" = 0 ] || fail "make two files: status $status: $(cat "$work/err")"
[ "$(head -1 "$work/out2")" = "两卷：共5章" ] || fail "count line: $(head -1 "$work/out2")"
chapters "$out/两卷/two.jar" >"$work/names"
[ "$(head -2 "$work/names" | tr '\n' ' ')" = "附录 红楼梦 " ] || fail "whole file's chapter name: $(cat "$work/names")"
run "$work/out3" "$work/err" make --save-folder "$out" --book-name 编号 --jar-name num --split-chapters \
  --naming 2 "$work/附录.txt" "$work/红楼梦.txt"
chapters "$out/编号/num.jar" | tr '\n' ' ' >"$work/names"
[ "$(cat "$work/names")" = "第1节 第2节 第3节 第4节 第5节 " ] || fail "numbered names: $(cat "$work/names")"

# The user's own rule replaces the built-in one.
utf8 "$work/自定.txt" '【卷一】春\r\n第一章 不是\r\n正文\r\n【卷二】夏\r\n正文\r\n'
run "$work/out4" "$work/err" make --save-folder "$out" --book-name 自定 --jar-name own \
  --chapter-pattern '^【卷.】' "$work/自定.txt"
[ "$status" = 0 ] || fail "make --chapter-pattern: status $status: $(cat "$work/err")"
chapters "$out/自定/own.jar" | tr '\n' ' ' >"$work/names"
[ "$(cat "$work/names")" = "【卷一】春 【卷二】夏 " ] || fail "pattern names: $(cat "$work/names")"

run "$work/out5" "$work/err" make --save-folder "$out" --chapter-pattern '第(' "$work/自定.txt"
expect_refused 2 "章节标题规则无效"

# 1200 chapters: merged two by two into 600, and the user is told.
python3 - "$work/长篇.txt" <<'PY'
import sys
text = "".join("第%d章 标题%d\r\n　　正文%d。\r\n" % (i, i, i) for i in range(1, 1201))
open(sys.argv[1], "wb").write(text.encode("gbk"))
PY
run "$work/out6" "$work/err" make --save-folder "$out" --book-name 长篇 --jar-name long --split-chapters \
  "$work/长篇.txt"
[ "$status" = 0 ] || fail "make 1200 chapters: status $status: $(cat "$work/err")"
[ "$(head -1 "$work/out6")" = "长篇：共600章（检测到1200章，超过上限1000章，已每2章合并为一章，共600章）" ] ||
  fail "merge line: $(head -1 "$work/out6")"
chapters "$out/长篇/long.jar" >"$work/names"
[ "$(wc -l <"$work/names")" = 600 ] || fail "600 chapters in the index: $(wc -l <"$work/names")"
[ "$(sed -n '1p;600p' "$work/names" | tr '\n' ' ')" = "第1章 标题1 第1199章 标题1199 " ] || fail "merged names"
book_text "$out/长篇/long.jar" >"$work/got.txt"
txt_text "$work/长篇.txt" >"$work/want.txt"
cmp -s "$work/want.txt" "$work/got.txt" || fail "the merged book's text differs from the file's"

# folder: every book gets its chapters and says how many.
mkdir -p "$work/dir"
cp "$work/红楼梦.txt" "$work/附录.txt" "$work/dir/"
run "$work/out7" "$work/err" folder --save-folder "$out/folder" --split-chapters "$work/dir"
[ "$status" = 0 ] || fail "folder --split-chapters: status $status: $(cat "$work/err")"
grep -qx "红楼梦：共4章" "$work/out7" || fail "folder count line: $(cat "$work/out7")"
grep -qx "附录：共1章" "$work/out7" || fail "folder count line: $(cat "$work/out7")"
jar=$(grep '/红楼梦/.*\.jar$' "$work/out7")
chapters "$jar" >"$work/names"
tail -1 "$work/names" | grep -qx "第二卷 金陵 第３回 托内兄如海荐西宾" || fail "folder book's chapters"
[ "$(wc -l <"$work/out7")" = 6 ] || fail "two count lines and four paths: $(cat "$work/out7")"

finish
