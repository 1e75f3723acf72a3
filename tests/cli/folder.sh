#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# folder: one book per TXT file, names from the file names, a failed book
# reported while the others are made.
source "$(dirname "$0")/common.bash"

out="$work/out"
src="$work/txt"
mkdir -p "$src/d.txt" # a folder named like a TXT file is no book
gbk "$src/a.txt" '甲本\r\n第二行\r\n'
utf8 "$src/b c.txt" '乙本，名字里有空格\r\n'
utf8 "$src/UP.TXT" 'upper case extension\r\n'
utf8 "$src/readme.md" 'not a book'

run "$work/out1" "$work/err" folder --save-folder "$out" --maker 批量 --message 留言 --jar-name batch \
  --jar-size 4 --phone 1 "$src"
[ "$status" = 0 ] || fail "folder: status $status: $(cat "$work/err")"
[ -s "$work/err" ] && fail "stderr not empty: $(cat "$work/err")"
[ "$(wc -l <"$work/out1")" = 6 ] || fail "want three books (6 lines): $(cat "$work/out1")"
ls "$out" | sort >"$work/books"
[ "$(cat "$work/books")" = "$(printf 'UP\na\nb_c')" ] || fail "book folders: $(cat "$work/books")"

# The first book made takes the typed JAR name, the others dated ones.
first=$(basename "$(dirname "$(head -1 "$work/out1")")")
grep -c '/batch\.jar$' "$work/out1" | grep -qx 1 || fail "batch.jar is not made exactly once"
for b in a "b c" UP; do
  folder="${b// /_}"
  grep "/$folder/" "$work/out1" >"$work/printed-$folder"
  jar="*"
  [ "$folder" = "$first" ] && jar=batch
  case "$b" in a) f="$src/a.txt" ;; "b c") f="$src/b c.txt" ;; UP) f="$src/UP.TXT" ;; esac
  expect_book "$work/printed-$folder" "$folder" 批量 留言 "$jar" 4 1 "$out" -- "$f" "$b"
done

# A book that cannot be built is reported; the others are still made.
rm -rf "$out"
mkdir -p "$out"
echo "in the way" >"$out/b_c"
run "$work/out2" "$work/err" folder --save-folder "$out" --jar-name second "$src"
[ "$status" = 1 ] || fail "folder with a failed book: status $status"
grep -q "成功制做2本书，以下书籍未能制做：" "$work/err" || fail "report: $(cat "$work/err")"
grep -q "^b_c：" "$work/err" || fail "report does not name b_c: $(cat "$work/err")"
[ "$(wc -l <"$work/out2")" = 4 ] || fail "want two books made: $(cat "$work/out2")"
[ -f "$out/a/"*.jar ] && [ -f "$out/UP/"*.jar ] || fail "the other books were not made"

# The books are made in reading order: numbers by their value.
numbered="$work/numbered"
mkdir -p "$numbered"
for n in 100 9 10 1 2; do printf 'x\r\n' >"$numbered/$n.txt"; done
run "$work/out3" "$work/err" folder --save-folder "$work/out3-books" "$numbered"
[ "$status" = 0 ] || fail "numbered folder: status $status: $(cat "$work/err")"
order=$(grep '\.jar$' "$work/out3" | xargs -n1 dirname | xargs -n1 basename | tr '\n' ' ')
[ "$order" = "1 2 9 10 100 " ] || fail "books not in reading order: $order"

finish
