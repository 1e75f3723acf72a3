#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Refusals: the make command's checks in their order, bad option values and
# wrong command lines. Each gives its message on stderr, a non-zero status,
# nothing on stdout and nothing in the save folder.
source "$(dirname "$0")/common.bash"

out="$work/out"
txt="$work/a.txt"
gbk "$txt" '正文\r\n'
o="$work/stdout"
e="$work/stderr"

mk() { run "$o" "$e" make --save-folder "$out" "$@"; }

# Wrong command lines: status 2.
run "$o" "$e"
expect_refused 2 "请指定命令"
run "$o" "$e" build "$txt"
expect_refused 2 "未知命令：build"
run "$o" "$e" make --save-folder "$out"
expect_refused 2 "请指定TXT文件"
run "$o" "$e" make --bogus "$txt"
expect_refused 2 "bogus"
mk --jar-size 5 "$txt"
expect_refused 2 "--jar-size的值必须是0到4之间的整数"
mk --jar-size x "$txt"
expect_refused 2 "--jar-size的值必须是0到4之间的整数"
mk --phone 2 "$txt"
expect_refused 2 "--phone的值必须是0或1"
mk --naming -1 "$txt"
expect_refused 2 "--naming的值必须是0到4之间的整数"
run "$o" "$e" make --save-folder "" "$txt"
expect_refused 2 "保存目录为空"
run "$o" "$e" folder --save-folder "$out" --book-name x "$work"
expect_refused 2 "--book-name只能用于make"
run "$o" "$e" folder --save-folder "$out" --naming 1 "$work"
expect_refused 2 "--naming只能用于make"
run "$o" "$e" folder --save-folder "$out" "$work" "$work"
expect_refused 2 "请指定一个目录"

# The make command's checks, first failure only.
mk --jar-name "abc中" --book-name "" "$txt"
expect_refused 1 "jar包名含有中文"
mk --book-name "   " --maker "" "$txt"
expect_refused 1 "书名为空"
mk --book-name book --maker "  " "$txt"
expect_refused 1 "制作名为空"
mk --book-name 'a/b' "$txt"
expect_refused 1 "书名包涵非法字符(/)"
mk --book-name 'say "hi"' "$txt"
expect_refused 1 '书名包涵非法字符(")'
mk --book-name '..' "$txt"
expect_refused 1 "书名包涵非法字符(.)"
mk --book-name book --jar-name "   " "$txt"
expect_refused 1 "jar包名为空"
mk --book-name book --jar-name "a:b" "$txt"
expect_refused 1 "jar包名包涵非法字符(:)"
mk --book-name book --jar-name ",.;'[]" "$txt" >/dev/null # ASCII punctuation is no Chinese
[ "$status" = 0 ] || fail "a JAR name of ASCII punctuation was refused: $(cat "$e")"
rm -rf "$out"

# The settings are checked before any file is read: each refusal is the
# make command's own message, alone on stderr, also when the file named
# after it does not exist (or would be read first).
refused_exactly() {
  expect_refused 1 "$1"
  [ "$(cat "$e")" = "$1" ] || fail "stderr is not exactly '$1': $(cat "$e")"
}
for file in "$txt" "$work/missing.txt"; do
  mk --jar-name "abc中" --book-name "" "$file"
  refused_exactly "jar包名含有中文"
  mk --book-name book --jar-name "   " "$file"
  refused_exactly "jar包名为空"
  mk --book-name book --jar-name "a:b" "$file"
  refused_exactly "jar包名包涵非法字符(:)"
  mk --book-name "   " --maker "" "$file"
  refused_exactly "书名为空"
  mk --book-name book --maker "  " "$file"
  refused_exactly "制作名为空"
  mk --book-name 'a/b' "$file"
  refused_exactly "书名包涵非法字符(/)"
  mk --book-name '..' --split-chapters "$file"
  refused_exactly "书名包涵非法字符(.)"
done
[ -e "$out" ] && fail "a refused make left files: $(find "$out")"

# Files that cannot be read: nothing is made.
mk --book-name book "$txt" "$work/missing.txt"
expect_refused 1 "missing.txt"
mk --book-name book "$work"
expect_refused 1 "$work"
[ -e "$out" ] && fail "a refused make left files: $(find "$out")"

# A build that fails (the book folder's place is taken by a file).
mkdir -p "$out"
echo "not a folder" >"$out/blocked"
mk --book-name blocked "$txt"
[ "$status" = 1 ] || fail "failed build: status $status"
[ -s "$o" ] && fail "failed build printed paths: $(cat "$o")"
[ -s "$e" ] || fail "failed build gave no message"
[ "$(cat "$out/blocked")" = "not a folder" ] || fail "the file in the way was changed"

# A save folder that cannot be made is named with the system's reason, and
# the file in its way stays as it was.
echo "a file" >"$work/plain"
run "$o" "$e" make --save-folder "$work/plain" --book-name book "$txt"
expect_refused 1 "（已有同名的文件）"
grep -q "^无法创建保存目录：.*plain" "$e" || fail "not told the save folder: $(cat "$e")"
run "$o" "$e" folder --save-folder "$work/plain" "$work"
expect_refused 1 "（已有同名的文件）"
grep -q "^无法创建保存目录：.*plain" "$e" || fail "not told the save folder: $(cat "$e")"
[ "$(cat "$work/plain")" = "a file" ] || fail "the file in the save folder's way was changed"

# Folder mode refusals.
mkdir -p "$work/none"
run "$o" "$e" folder --save-folder "$out" "$work/none"
expect_refused 1 "该文件夹不存在txt文件！"
run "$o" "$e" folder --save-folder "$out" --maker " " "$work"
expect_refused 1 "制作名为空"
run "$o" "$e" folder --save-folder "$out" "$work/nowhere"
expect_refused 1 "nowhere"

# --help works and says what the commands are.
run "$o" "$e" --help
[ "$status" = 0 ] && grep -q "make" "$o" && grep -q "folder" "$o" || fail "--help: status $status"

finish
