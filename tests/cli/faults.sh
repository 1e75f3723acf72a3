#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Faults from outside: the memory running out at every stage of a large
# make (the command line run under a limit on its address space, setrlimit
# RLIMIT_AS through ulimit -v), and SIGINT, SIGTERM and SIGHUP at random
# points of a build of hundreds of volumes. Each time: a clear message and
# status, nothing hidden left in the book folder, and every final JAR and
# JAD there whole.
source "$(dirname "$0")/common.bash"

out="$work/out"
o="$work/stdout"
e="$work/stderr"
cd "$work"

# About 1.5 MB of code page 936 text in 59 chapters, 4 and 16 times that.
python3 - "$work" <<'PY'
import random, sys
random.seed(5)
chars = "的一是了我不人在他有这个上们来到时大地为子中你说生国年着就那和要她出也得里后自以会家可下而过天去能对小多然于心学么之都好看起发当"
lines = []
for c in range(1, 60):
    lines.append("第%d章 山居\r\n" % c)
    for p in range(200):
        lines.append("　　" + "".join(random.choice(chars) for _ in range(60)) + "。\r\n")
block = "".join(lines).encode("gbk")
open(sys.argv[1] + "/novel.txt", "wb").write(block)
open(sys.argv[1] + "/many.txt", "wb").write(block * 4)
open(sys.argv[1] + "/large.txt", "wb").write(block * 16)
PY

# book_is_whole FOLDER: nothing hidden is left, and every JAR opens whole
# with its JAD beside it.
book_is_whole() {
  python3 - "$1" <<'PY' || fail "book folder $1 is not whole"
import os, sys, zipfile
folder = sys.argv[1]
names = os.listdir(folder) if os.path.isdir(folder) else []
hidden = [n for n in names if n.startswith(".")]
assert not hidden, "left behind: %s" % hidden
for n in names:
    if n.endswith(".jar"):
        with zipfile.ZipFile(os.path.join(folder, n)) as z:
            assert z.testzip() is None, n
            z.read("capter")
        assert n[:-4] + ".jad" in names, "no JAD beside " + n
PY
}

# --- memory --------------------------------------------------------------
# A sanitizer's runtime reserves far more address space than any limit here.
if [ -n "${ASAN_OPTIONS:-}${TSAN_OPTIONS:-}" ]; then
  echo "skipped: the memory limits (sanitizer build)"
else
  # An older book of the same name, made with memory to spare.
  run "$o" "$e" make --save-folder "$out" --book-name 大书 --jar-name big novel.txt
  [ "$status" = 0 ] || fail "the older book: status $status: $(cat "$e")"
  cp "$out/大书/big.jar" "$work/older.jar"
  # From too little to read the text to enough for the whole make (about
  # 150 MB here): the first success ends the round.
  in_build=0
  for limit in $(seq 90000 15000 300000); do
    set +e
    (ulimit -v "$limit" && exec "$cli" make --save-folder "$out" --book-name 大书 --jar-name big large.txt) >"$o" 2>"$e"
    status=$?
    set -e
    case "$status" in
      0) book_is_whole "$out/大书" && break ;;
      1)
        grep -qE "^内存不足，无法(制作：大书|读取文件：large.txt)$" "$e" || fail "limit ${limit} KB: $(cat "$e")"
        grep -qF "内存不足，无法制作：大书" "$e" && in_build=$((in_build + 1))
        cmp -s "$out/大书/big.jar" "$work/older.jar" || fail "limit ${limit} KB: the older JAR changed"
        ;;
      *) fail "limit ${limit} KB: status $status: $(tail -c 300 "$e")" ;;
    esac
    book_is_whole "$out/大书"
  done
  # The limits cover the build itself, not only the reading before it.
  ((in_build > 0)) || fail "no limit ran out of memory inside the build"
  rm -rf "$out"
fi

# --- a file that stops growing part way ---------------------------------
# A limit on the size of the files the process writes (setrlimit
# RLIMIT_FSIZE, SIGXFSZ ignored) makes the system take part of a JAR's bytes
# and refuse the rest, as a disk that fills up does: the final JAR is named
# with the system's reason, nothing hidden is left, the older book stays.
run "$o" "$e" make --save-folder "$out" --book-name 满书 --jar-name full novel.txt
[ "$status" = 0 ] || fail "the older book: status $status: $(cat "$e")"
cp "$out/满书/full.jar" "$work/older.jar"
for size in 0 4; do
  # In 1024-byte blocks: less than a volume of either size class.
  [ "$size" = 0 ] && limit=100 || limit=30
  set +e
  (trap '' XFSZ && ulimit -f "$limit" && exec "$cli" make --save-folder "$out" --book-name 满书 --jar-name full \
    --jar-size "$size" many.txt) >"$o" 2>"$e"
  status=$?
  set -e
  [ "$size" = 0 ] && jar="$out/满书/full.jar" || jar="$out/满书/full(001).jar"
  [ "$status" = 1 ] || fail "size class $size, file size limit: status $status: $(tail -c 300 "$e")"
  [ "$(cat "$e")" = "无法写入文件：$jar（文件过大）" ] || fail "size class $size, file size limit: $(cat "$e")"
  cmp -s "$out/满书/full.jar" "$work/older.jar" || fail "size class $size: the older JAR changed"
  book_is_whole "$out/满书"
done
rm -rf "$out"

# --- interrupts ----------------------------------------------------------
# A complete book of 129 volumes of 60 KB first; then builds of it again,
# each interrupted at a random moment: stopped in time or ended with the
# signal's status, what was in place stays whole, nothing hidden is left.
run "$o" "$e" make --save-folder "$out" --book-name 卷书 --jar-name v --jar-size 4 many.txt
[ "$status" = 0 ] || fail "the complete book: status $status: $(cat "$e")"
volumes=$(grep -c '\.jar$' "$o")
((volumes > 100)) || fail "only $volumes volumes"
python3 - "$cli" "$out/卷书" "$work/many.txt" <<'PY' || fail "interrupted builds"
import os, random, re, signal, subprocess, sys, time, zipfile
cli, folder, text = sys.argv[1:]
seed = random.randrange(1 << 30)
random.seed(seed)
statuses = {signal.SIGINT: 130, signal.SIGTERM: 143, signal.SIGHUP: 129}
volumes = sorted(n for n in os.listdir(folder) if n.endswith(".jar"))
interrupted = 0
for run in range(6):
    sig = [signal.SIGINT, signal.SIGTERM, signal.SIGHUP][run % 3]
    p = subprocess.Popen([cli, "make", "--save-folder", os.path.dirname(folder), "--book-name", "卷书",
                          "--jar-name", "v", "--jar-size", "4", text],
                         stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    delay = random.uniform(0.0, 0.3)
    time.sleep(delay)
    p.send_signal(sig)
    _, err = p.communicate(timeout=60)
    what = "seed %d, run %d, %s after %.3f s: status %d" % (seed, run, signal.Signals(sig).name, delay, p.returncode)
    print(what)
    if p.returncode == statuses[sig]:
        interrupted += 1
        assert "已中断" in err.decode(), what + ": " + err.decode()
    else:
        # Done before the signal, or killed by it before main() began.
        assert p.returncode in (0, -sig), what + ": " + err.decode()[-300:]
    # Before the next build clears away what this one might have left.
    names = os.listdir(folder)
    hidden = [n for n in names if n.startswith(".")]
    assert not hidden, what + ": left behind: %s" % hidden[:5]
    assert sorted(n for n in names if n.endswith(".jar")) == volumes, what + ": volumes changed"
    # A JAR is whole when it has the length its JAD gives and its
    # directory (written last) opens.
    for n in volumes:
        jad = open(os.path.join(folder, n[:-4] + ".jad"), "rb").read()
        size = int(re.search(rb"MIDlet-Jar-Size: *(\d+)", jad).group(1))
        assert os.path.getsize(os.path.join(folder, n)) == size, what + ": " + n
        with zipfile.ZipFile(os.path.join(folder, n)) as z:
            z.read("capter")
assert interrupted > 0, "seed %d: no build was interrupted" % seed
PY

finish
