#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates docs/main-window-banner.png: the main window after an update
# check, with a promotion line and an animated banner picture, drawn under
# Xvfb. A small server on 127.0.0.1 serves the update-information file and
# the picture; the program runs from a scratch program folder so that its
# jre/ files stay out of the build. SCALE=2 draws it at 200 %.
set -euo pipefail
source "$(dirname "$0")/screenshot-common.bash"
out="${1:-$root/docs/main-window-banner.png}"
work="$(mktemp -d)"
server=""
trap '[ -n "$server" ] && kill "$server" 2>/dev/null; rm -rf "$work"' EXIT
mkdir -p "$work/site/vamobook" "$work/prog"
ln "$build/bin/vamobook-screenshots" "$work/prog/vamobook-screenshots" 2>/dev/null ||
  cp "$build/bin/vamobook-screenshots" "$work/prog/vamobook-screenshots"

python3 - "$work/site" <<'EOF'
import struct, sys, os
site = sys.argv[1]
W, H, FRAMES = 300, 40, 6
palette = [(0xC0, 0x1C, 0x28), (0xFF, 0xD7, 0x00), (0xFF, 0xFF, 0xFF), (0x1A, 0x5F, 0xB4)]

def frame(f):
    px = []
    for y in range(H):
        for x in range(W):
            c = 0
            if 4 <= y < H - 4 and (x - f * 12) % 72 < 36:
                c = 3
            if abs(x - (30 + f * 48)) < 10 and 10 <= y < 30:
                c = 1
            if y < 2 or y >= H - 2:
                c = 2
            px.append(c)
    return px

def lzw(px):
    # A clear code before every pixel keeps all codes three bits wide.
    out, bits, n = bytearray(), 0, 0
    def put(code):
        nonlocal bits, n
        bits |= code << n
        n += 3
        while n >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            n -= 8
    for p in px:
        put(4)
        put(p)
    put(5)
    if n:
        out.append(bits & 0xFF)
    return bytes(out)

gif = bytearray(b"GIF89a" + struct.pack("<HHBBB", W, H, 0x81, 0, 0))
for r, g, b in palette:
    gif += bytes((r, g, b))
gif += b"\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00"
for f in range(FRAMES):
    gif += b"\x21\xF9\x04\x00\x14\x00\x00\x00"
    gif += b"\x2C" + struct.pack("<HHHHB", 0, 0, W, H, 0) + b"\x02"
    data = lzw(frame(f))
    for i in range(0, len(data), 255):
        block = data[i:i + 255]
        gif += bytes((len(block),)) + block
    gif += b"\x00"
gif += b"\x3B"
with open(os.path.join(site, "banner.gif"), "wb") as fh:
    fh.write(gif)
with open(os.path.join(site, "size"), "w") as fh:
    fh.write(str(len(gif)))
EOF

python3 - "$work/site" > "$work/port" <<'EOF' &
import functools, http.server, sys
handler = functools.partial(http.server.SimpleHTTPRequestHandler, directory=sys.argv[1])
httpd = http.server.HTTPServer(("127.0.0.1", 0), handler)
print(httpd.server_address[1], flush=True)
httpd.serve_forever()
EOF
server=$!
for _ in $(seq 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port="$(cat "$work/port")"

printf '%s\r\n' "【新书上架】手机看小说就上www.vamobook.cn" "www.vamobook.cn" "200" \
  "$(cat "$work/site/size")" "http://127.0.0.1:$port/banner.gif" "www.vamobook.cn/vamo-java-book/" |
  iconv -f UTF-8 -t GBK > "$work/site/vamobook/ebook.txt"

mkdir -p "$(dirname "$out")"
VAMOBOOK_UPDATE_URL="http://127.0.0.1:$port/vamobook/ebook.txt" QT_SCALE_FACTOR="${SCALE:-1}" \
  xvfb-run -a -s '-screen 0 1600x1000x24' "$work/prog/vamobook-screenshots" "$out"
echo "wrote $out"
