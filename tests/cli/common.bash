# Shared by the command line tests: bash TEST.sh <vamobook-cli> <program folder>
set -euo pipefail
cli="$1"
progdir="$2"
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# The user's data folder (the list of unfinished builds) is the test's own.
export XDG_DATA_HOME="$work/data"
fails=0

fail() {
  echo "FAIL: $*" >&2
  fails=$((fails + 1))
}

# run OUT ERR ARGS...: runs the command line, keeps stdout, stderr and status.
run() {
  local out="$1" err="$2"
  last_out="$1"
  last_err="$2"
  shift 2
  set +e
  "$cli" "$@" >"$out" 2>"$err"
  status=$?
  set -e
}

# gbk FILE TEXT / utf8 FILE TEXT: writes TEXT (Python string syntax allowed,
# e.g. \r \n) in that encoding.
gbk() { python3 -c 'import sys; open(sys.argv[1], "wb").write(sys.argv[2].encode().decode("unicode_escape").encode("latin-1").decode("utf-8").encode("gbk"))' "$1" "$2"; }
utf8() { python3 -c 'import sys; open(sys.argv[1], "wb").write(sys.argv[2].encode().decode("unicode_escape").encode("latin-1"))' "$1" "$2"; }

# chapters JAR: the chapter index's names, one a line.
chapters() {
  python3 - "$1" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    index = z.read("capter")[3:].decode("utf-8").split("\r\n")
for name in index[1:-1:2]:
    print(name[:-4])
PY
}

# expect_book PRINTED BOOK_NAME MAKER MESSAGE JAR_NAME JAR_SIZE PHONE SAVE_FOLDER -- FILE NAME [FILE NAME...]
# Checks every volume of the book against expect.py's own working-out.
expect_book() {
  local json="$work/book-$RANDOM.json"
  python3 - "$json" "$progdir" "$@" <<'PY'
import json, sys
json_out, template_dir, printed, book_name, maker, message, jar_name, jar_size, phone, save, sep, *rest = sys.argv[1:]
assert sep == "--"
lines = [l for l in open(printed, encoding="utf-8").read().splitlines() if l]
json.dump(dict(files=rest[0::2], names=rest[1::2], book_name=book_name, maker=maker, message=message,
               jar_name=jar_name, jar_size=int(jar_size), phone=int(phone), save_folder=save,
               template_dir=template_dir, printed=lines),
          open(json_out, "w", encoding="utf-8"), ensure_ascii=False)
PY
  python3 "$here/expect.py" "$json" || fail "book ${2} (${printed:-$1}) is not as expected"
}

# expect_refused STATUS MESSAGE: the last run failed with STATUS, printed
# MESSAGE on stderr and nothing on stdout.
expect_refused() {
  local want_status="$1" want="$2"
  if [ "$status" != "$want_status" ]; then fail "exit status $status, want $want_status (for: $want)"; fi
  if ! grep -qF -- "$want" "$last_err"; then fail "stderr lacks '$want': $(cat "$last_err")"; fi
  if [ -s "$last_out" ]; then fail "stdout not empty for '$want': $(cat "$last_out")"; fi
}

finish() {
  if ((fails)); then
    echo "$fails failure(s)" >&2
    exit 1
  fi
  echo ok
}

for t in DuvEver.dll DuvEverMoto.dll; do
  [ -f "$progdir/$t" ] || { echo "reader template $progdir/$t is missing" >&2; exit 1; }
done
