#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Real-world TXT novels on the command line: Big5 files, headings run
# together with their first paragraph, hard-wrapped lines; --tidy and
# --simplified. A whole 红楼梦 (from the corpus beside the project) in one
# GBK file with its headings run together gives exactly its 120 chapters.
source "$(dirname "$0")/common.bash"

out="$work/out"

# book_chars JAR: the characters of the book's chapter texts, white space left out.
book_chars() {
  python3 - "$1" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    names = sorted((n for n in z.namelist() if n.isdigit()), key=int)
    text = ""
    for n in names:
        body = z.read(n)[3:].decode("utf-8")
        count = int(body[:4])
        text += body[4 + 4 * count + 2:]
sys.stdout.write("".join(c for c in text if not c.isspace()))
PY
}

# file_chars FILE ENCODING: the file's characters, white space left out.
file_chars() {
  python3 -c 'import sys; t = open(sys.argv[1], "rb").read().decode(sys.argv[2]); sys.stdout.write("".join(c for c in t if not c.isspace()))' "$1" "$2"
}

big5() { python3 -c 'import sys; open(sys.argv[1], "wb").write(sys.argv[2].encode().decode("unicode_escape").encode("latin-1").decode("utf-8").encode(sys.argv[3]))' "$1" "$2" "$3"; }

# A Big5 novel whose headings run on into the text.
big5 "$work/三國.txt" '三國演義\r\n第一回　宴桃園豪傑三結義　斬黃巾英雄首立功　　話說天下大勢，分久必合，合久必分。周末七國分爭，并入於秦。\r\n　　及秦滅之後，楚、漢分爭，又并入於漢。\r\n第二回　張翼德怒鞭督郵　何國舅謀誅宦豎　　且說董卓字仲穎，隴西臨洮人也，官拜河東太守，自來驕傲。\r\n　　當日怠慢了玄德，張飛性發，便欲殺之。\r\n第三回　議溫明董卓叱丁原　饋金珠李肅說呂布　　且說曹操當日對何進曰：宦官之禍，古今皆有。\r\n' big5
run "$work/out1" "$work/err" make --save-folder "$out" --book-name 三國 --jar-name sg --split-chapters "$work/三國.txt"
[ "$status" = 0 ] || fail "Big5 make: status $status: $(cat "$work/err")"
[ "$(head -1 "$work/out1")" = "三國：共3章" ] || fail "Big5 chapter count: $(head -1 "$work/out1")"
chapters "$out/三國/sg.jar" >"$work/names"
printf '第一回　宴桃園豪傑三結義　斬黃巾英雄首立功\n第二回　張翼德怒鞭督郵　何國舅謀誅宦豎\n第三回　議溫明董卓叱丁原　饋金珠李肅說呂布\n' >"$work/want"
diff "$work/want" "$work/names" >&2 || fail "Big5 chapter names"
[ "$(book_chars "$out/三國/sg.jar")" = "$(file_chars "$work/三國.txt" big5)" ] || fail "Big5 book text differs from the file"

# Made simplified and tidied: names and text in simplified characters.
run "$work/out2" "$work/err" make --save-folder "$out" --book-name 三国 --jar-name sgs --split-chapters --simplified \
  --tidy "$work/三國.txt"
[ "$status" = 0 ] || fail "--simplified --tidy: status $status: $(cat "$work/err")"
chapters "$out/三国/sgs.jar" >"$work/names"
printf '第一回　宴桃园豪杰三结义　斩黄巾英雄首立功\n第二回　张翼德怒鞭督邮　何国舅谋诛宦竖\n第三回　议温明董卓叱丁原　馈金珠李肃说吕布\n' >"$work/want"
diff "$work/want" "$work/names" >&2 || fail "simplified chapter names"
book_chars "$out/三国/sgs.jar" | grep -q '话说天下大势，分久必合，合久必分。' || fail "simplified text"

# --tidy without splitting: the wrapped lines of one paragraph become one.
gbk "$work/wrapped.txt" '　　他们在清晨出发，走过了一座又一座山，\r\n一直走到天黑也没有找到可以住的地方，只好\r\n在山洞里过夜。第二天一早他们又上路了，一\r\n直走到中午才看见山下的村子。\r\n'
run "$work/out3" "$work/err" make --save-folder "$out" --book-name 山路 --jar-name sl --tidy "$work/wrapped.txt"
[ "$status" = 0 ] || fail "--tidy: status $status: $(cat "$work/err")"
python3 - "$out/山路/sl.jar" <<'PY' || fail "--tidy did not join the wrapped lines"
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    first = min((n for n in z.namelist() if n.isdigit()), key=int)
    body = z.read(first)[3:].decode("utf-8")
text = body[4 + 4 * int(body[:4]) + 2:]
assert text.startswith("　　他们在清晨出发，走过了一座又一座山，一直走到天黑也没有找到可以住的地方，只好在山洞里过夜。第二天"), text
assert text.count("\r\n") == 2, repr(text)  # the paragraph's, and the one the chapter store adds
PY

# The whole novel, GBK, headings run together with the first paragraph.
corpus="${VAMO_CORPUS_DIR:-}/hongloumeng/chapters"
if [ -d "$corpus" ]; then
  python3 - "$corpus" "$work/红楼梦.txt" <<'PY'
import os, re, sys
folder, target = sys.argv[1:]
files = sorted(os.listdir(folder), key=lambda n: int(re.match(r"\d+", n).group()))
text = "红楼梦\r\n"
for name in files:
    heading = re.sub(r"^\d+|\.txt$", "", name)
    body = open(os.path.join(folder, name), encoding="utf-8").read().replace("\n", "\r\n")
    text += heading + body + ("" if body.endswith("\r\n") else "\r\n")
open(target, "wb").write(text.encode("gbk", errors="replace"))
PY
  run "$work/out4" "$work/err" make --save-folder "$out" --book-name 红楼梦 --jar-name hlm --split-chapters "$work/红楼梦.txt"
  [ "$status" = 0 ] || fail "红楼梦: status $status: $(cat "$work/err")"
  [ "$(head -1 "$work/out4")" = "红楼梦：共120章" ] || fail "红楼梦 chapter count: $(head -1 "$work/out4")"
  [ "$(book_chars "$out/红楼梦/hlm.jar")" = "$(file_chars "$work/红楼梦.txt" gbk)" ] || fail "红楼梦 book text differs"
else
  echo "corpus not found at $corpus: the whole-novel case is left out" >&2
fi

finish
