#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Input that used to hang, be misread or be answered in English: usage
# errors in the program's words, "--" before a name starting with "-", file
# names that are not UTF-8, FIFOs and binary files.
source "$(dirname "$0")/common.bash"

out="$work/out"
o="$work/stdout"
e="$work/stderr"
cd "$work"
gbk "$work/a.txt" '正文\r\n'

# Wrong command lines: Chinese messages, status 2, never Qt's English.
run "$o" "$e" make --bogus a.txt
expect_refused 2 "未知选项：--bogus"
run "$o" "$e" make --save-folder "$out" --maker
expect_refused 2 "选项--maker缺少值"
run "$o" "$e" make --save-folder "$out" -dash.txt
expect_refused 2 "未知选项：-dash.txt"
run "$o" "$e" make --help=yes a.txt
expect_refused 2 "选项--help不需要值"
grep -qE "Unknown option|Missing value|Unexpected value" "$e" && fail "English usage message: $(cat "$e")"
# The help's headings are Chinese too.
run "$o" "$e" --help
grep -q "^用法：" "$o" && grep -q "^选项：" "$o" && grep -q "^参数：" "$o" || fail "help headings: $(cat "$o")"

# "--" ends the options: a file named -dash.txt is a chapter.
utf8 "$work/-dash.txt" '破折号开头\r\n'
run "$o" "$e" make --save-folder "$out" --maker me -- -dash.txt a.txt
[ "$status" = 0 ] || fail "make -- -dash.txt: status $status: $(cat "$e")"
expect_book "$o" "-dash" me "手机看小说就上www.vamobook.cn" "*" 0 0 "$out" -- "$work/-dash.txt" "-dash" "$work/a.txt" "a"
rm -rf "$out"

# A GBK file name (故事.txt): it opens, and the book and chapter are named
# after it.
gbkname=$(printf '\xb9\xca\xca\xc2.txt')
utf8 "$work/$gbkname" '故事正文\r\n'
run "$o" "$e" make --save-folder "$out" "$gbkname"
[ "$status" = 0 ] || fail "make with a GBK file name: status $status: $(cat "$e")"
[ -d "$out/故事" ] || fail "book folder for the GBK name: $(ls "$out")"
[ "$(chapters "$out/故事/"*.jar)" = 故事 ] || fail "chapter name of the GBK name: $(chapters "$out/故事/"*.jar)"
rm -rf "$out"
# Split at its headings (it has none), the same name and path.
run "$o" "$e" make --save-folder "$out" --split-chapters "$gbkname"
[ "$status" = 0 ] || fail "make --split-chapters with a GBK file name: status $status: $(cat "$e")"
grep -qF "故事：共1章" "$o" || fail "chapter count line of the GBK name: $(cat "$o")"
[ "$(chapters "$out/故事/"*.jar)" = 故事 ] || fail "split chapter name of the GBK name: $(chapters "$out/故事/"*.jar)"
rm -rf "$out"
run "$o" "$e" make --save-folder "$out" --split-chapters "missing-$gbkname"
expect_refused 1 "文件不存在：missing-故事.txt"

# A FIFO named *.txt is refused at once, in make and in folder mode.
mkdir -p "$work/fifo"
mkfifo "$work/fifo/pipe.txt"
utf8 "$work/fifo/book.txt" '正文\r\n'
set +e
timeout 20 "$cli" make --save-folder "$out" "$work/fifo/pipe.txt" >"$o" 2>"$e"
status=$?
set -e
last_out="$o" last_err="$e"
expect_refused 1 "不是文本文件：$work/fifo/pipe.txt"
set +e
timeout 20 "$cli" folder --save-folder "$out" "$work/fifo" >"$o" 2>"$e"
status=$?
set -e
[ "$status" = 1 ] || fail "folder with a FIFO: status $status"
grep -qF "pipe：不是文本文件：" "$e" || fail "folder report does not name the FIFO: $(cat "$e")"
[ -f "$out/book/"*.jar ] || fail "the text file beside the FIFO was not made"
rm -rf "$out"

# Binary files are no text.
printf 'PK\003\004\024\000\000\000' >"$work/archive.txt"
run "$o" "$e" make --save-folder "$out" "$work/archive.txt"
expect_refused 1 "不是文本文件：$work/archive.txt"
[ -e "$out" ] && fail "a refused make left files: $(find "$out")"

# A name too long for a file is refused before any file is read (the file
# given does not even exist).
run "$o" "$e" make --save-folder "$out" --jar-name "$(printf 'j%.0s' {1..245})" missing.txt
expect_refused 1 "jar包名太长（最多244个字母或数字）"
run "$o" "$e" make --save-folder "$out" --book-name "$(printf '书%.0s' {1..86})" missing.txt
expect_refused 1 "书名太长（最多85个汉字）"

# A line break in the save folder's name: every path printed on a line of
# its own, the break escaped.
nl="$work/two
lines"
mkdir "$work/one"
gbk "$work/one/书.txt" '正文\r\n'
run "$o" "$e" folder --save-folder "$nl" --jar-name x "$work/one"
[ "$status" = 0 ] || fail "folder into a save folder with a line break: status $status: $(cat "$e")"
printf '%s\n' "$work/two\nlines/书/x.jar" "$work/two\nlines/书/x.jad" | cmp -s - "$o" ||
  fail "paths not escaped: $(cat -A "$o")"
[ -f "$nl/书/x.jar" ] || fail "the book is not in the folder with the line break"
rm -rf "$nl"

# Names with a line break or an escape sequence in what folder and make
# report on stderr: each book's line whole, the control characters escaped,
# none of them raw on the terminal.
mkdir "$work/odd"
gbk "$work/odd/two
lines.txt" '正文\r\n'
gbk "$work/odd/title$(printf '\033]0;x\007').txt" '正文\r\n'
run "$o" "$e" folder --save-folder "$out" "$work/odd"
[ "$status" = 1 ] || fail "folder with control characters in names: status $status: $(cat "$e")"
printf '%s\n' "成功制做0本书，以下书籍未能制做：" "title\x1b]0;x\x07：书名包涵非法字符(U+001B)(U+0007)" \
  "two\nlines：书名包涵非法字符(U+000A)" | cmp -s - "$e" || fail "folder report not escaped: $(cat -A "$e")"
run "$o" "$e" make --save-folder "$out" --book-name 书 "$work/odd/gone$(printf '\033[2J').txt"
expect_refused 1 "文件不存在：$work/odd/gone\x1b[2J.txt"
grep -q $'\033' "$e" && fail "an escape sequence reached stderr: $(cat -A "$e")"
rm -rf "$work/odd" "$out"

# A reader template that is a link to nothing: the message names the path
# beside the program, where it was looked for.
mkdir "$work/prog"
cp "$cli" "$work/prog/"
ln -s "$work/nowhere.dll" "$work/prog/DuvEver.dll"
cli_saved="$cli"
cli="$work/prog/$(basename "$cli_saved")"
run "$o" "$e" make --save-folder "$out" a.txt
expect_refused 1 "找不到电子书模板文件：$work/prog/DuvEver.dll"
cli="$cli_saved"
rm -rf "$work/prog" "$out"

# A run makes nothing in the temporary folder, which a killed run would
# leave behind: the folder is not even touched (its change time would move
# with a folder made and removed in it).
mkdir "$work/tmp"
before=$(stat -c %z "$work/tmp")
TMPDIR="$work/tmp" run "$o" "$e" make --save-folder "$out" a.txt
[ "$status" = 0 ] || fail "make with its own TMPDIR: status $status: $(cat "$e")"
TMPDIR="$work/tmp" run "$o" "$e" folder --save-folder "$out" "$work/tmp"
[ "$before" = "$(stat -c %z "$work/tmp")" ] || fail "a run made files in TMPDIR"
rm -rf "$out"

finish
