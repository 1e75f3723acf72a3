#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# make: GBK and UTF-8 TXT files into single-volume books, both phone models,
# chapter naming, the start values, and no progress output when piped.
source "$(dirname "$0")/common.bash"

out="$work/out"
gbk "$work/卷一.txt" '第一回 风雪山神庙\r\n　　话说林冲踏着那瑞雪，迎着北风。\r\nCR only line\rlone LF\nstays inside\r\n\r\n最后一行没有换行'
utf8 "$work/second part.txt" '\xef\xbb\xbfUTF-8 with BOM：「引号」与全角，标点。\r\n第二行\r\n'
utf8 "$work/plain utf8.txt" '没有字节顺序标记的UTF-8文本\n只用LF换行\n'

# One GBK chapter, every setting given, phone model 0.
run "$work/out1" "$work/err" make --save-folder "$out" --maker 测试者 --message 欢迎阅读 \
  --book-name 山居 --jar-name shanju --jar-size 0 --phone 0 "$work/卷一.txt"
[ "$status" = 0 ] || fail "make GBK: status $status: $(cat "$work/err")"
[ -s "$work/err" ] && fail "stderr not empty when piped: $(cat "$work/err")"
expect_book "$work/out1" 山居 测试者 欢迎阅读 shanju 0 0 "$out" -- "$work/卷一.txt" 卷一

# Three chapters in the given order, named 第1章..第3章, phone model 1; the
# book name defaults to the first file's name; ".jar" typed is not doubled.
run "$work/out2" "$work/err" make --save-folder "$out/" --maker "  作者  " --message "  " \
  --jar-name "two.jar" --phone 1 --naming 1 "$work/second part.txt" "$work/卷一.txt" "$work/plain utf8.txt"
[ "$status" = 0 ] || fail "make three files: status $status: $(cat "$work/err")"
expect_book "$work/out2" "second part" "  作者  " " " two 0 1 "$out" -- \
  "$work/second part.txt" 第1章 "$work/卷一.txt" 第2章 "$work/plain utf8.txt" 第3章

# Naming rule 0: the file name without its last four characters.
cp "$work/plain utf8.txt" "$work/notes.text"
run "$work/out3" "$work/err" make --save-folder "$out" --book-name rule0 --jar-name r0 --naming 0 \
  "$work/notes.text"
[ "$status" = 0 ] || fail "make rule 0: status $status: $(cat "$work/err")"
expect_book "$work/out3" rule0 Vamo "手机看小说就上www.vamobook.cn" r0 0 0 "$out" -- "$work/notes.text" "notes."

# 转换为简体 converts the chapter names taken from the file names as well,
# split or not.
utf8 "$work/風雪山神廟.txt" '話說林沖\r\n'
for split in "" --split-chapters; do
  run "$work/out6" "$work/err" make --save-folder "$out" --book-name simp --jar-name simp --simplified $split \
    "$work/風雪山神廟.txt"
  [ "$status" = 0 ] || fail "make --simplified $split: status $status: $(cat "$work/err")"
  [ "$(chapters "$out/simp/simp.jar")" = 风雪山神庙 ] ||
    fail "simplified chapter name $split: $(chapters "$out/simp/simp.jar")"
done
rm -rf "$out/simp"

# Start values: the program folder's jar/ and a dated JAR name.
book="cli-start-values-$$"
run "$work/out4" "$work/err" make --book-name "$book" "$work/卷一.txt"
[ "$status" = 0 ] || fail "make with start values: status $status: $(cat "$work/err")"
expect_book "$work/out4" "$book" Vamo "手机看小说就上www.vamobook.cn" "*" 0 0 "$progdir/jar" -- "$work/卷一.txt" 卷一
rm -rf "${progdir:?}/jar/$book"

# Making the same book again replaces its files.
run "$work/out5" "$work/err" make --save-folder "$out" --maker 测试者 --message 欢迎阅读 \
  --book-name 山居 --jar-name shanju "$work/plain utf8.txt"
[ "$status" = 0 ] || fail "make again: status $status: $(cat "$work/err")"
expect_book "$work/out5" 山居 测试者 欢迎阅读 shanju 0 0 "$out" -- "$work/plain utf8.txt" "plain utf8"
[ "$(ls "$out/山居")" = "$(printf 'shanju.jad\nshanju.jar')" ] || fail "extra files in the book folder: $(ls "$out/山居")"

finish
