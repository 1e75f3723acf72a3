// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Readable GoogleTest output for Qt strings and byte arrays.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

inline void PrintTo(const QByteArray& b, std::ostream* os)
{
    static const char* const kHex = "0123456789ABCDEF";
    *os << '[';
    for (qsizetype i = 0; i < b.size(); ++i) {
        const auto c = static_cast<unsigned char>(b[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            *os << static_cast<char>(c);
        } else {
            *os << '\\' << kHex[c >> 4] << kHex[c & 15];
        }
    }
    *os << "] (" << b.size() << " bytes)";
}

inline void PrintTo(const QStringList& l, std::ostream* os)
{
    *os << '{';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", " : "") << '"' << l[i].toStdString() << '"';
    *os << '}';
}
