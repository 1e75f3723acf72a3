// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Writes small GIF files for the banner tests: every frame a plain colour
// from a four-colour table, so a decoder tells the frames apart.

#include <QByteArray>

namespace vamo::test {

// An (animated, when frames > 1) GIF89a of width x height pixels; frame i is
// filled with colour i % 4 (red, green, blue, white). The image data uses a
// clear code before every pixel, which keeps all codes three bits wide.
inline QByteArray makeGif(int width, int height, int frames)
{
    auto le16 = [](QByteArray& out, int v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    QByteArray gif("GIF89a");
    le16(gif, width);
    le16(gif, height);
    gif += char(0x81); // global colour table of 4 entries
    gif += char(0);
    gif += char(0);
    gif += QByteArray("\xFF\x00\x00\x00\xFF\x00\x00\x00\xFF\xFF\xFF\xFF", 12);
    if (frames > 1) // loop for ever
        gif += QByteArray("\x21\xFF\x0BNETSCAPE2.0\x03\x01\x00\x00\x00", 19);
    for (int f = 0; f < frames; ++f) {
        gif += QByteArray("\x21\xF9\x04\x00\x0A\x00\x00\x00", 8); // 0.1 s a frame
        gif += char(0x2C);
        le16(gif, 0);
        le16(gif, 0);
        le16(gif, width);
        le16(gif, height);
        gif += char(0);
        gif += char(2); // minimum code size: clear = 4, end = 5
        QByteArray data;
        quint32 bits = 0;
        int count = 0;
        auto put = [&](int code) {
            bits |= quint32(code) << count;
            count += 3;
            while (count >= 8) {
                data += char(bits & 0xFF);
                bits >>= 8;
                count -= 8;
            }
        };
        for (int p = 0; p < width * height; ++p) {
            put(4);
            put(f % 4);
        }
        put(5);
        if (count > 0)
            data += char(bits & 0xFF);
        for (qsizetype at = 0; at < data.size(); at += 255) {
            const QByteArray block = data.mid(at, 255);
            gif += char(block.size());
            gif += block;
        }
        gif += char(0);
    }
    gif += char(0x3B);
    return gif;
}

} // namespace vamo::test
