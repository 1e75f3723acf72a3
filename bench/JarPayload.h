// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The payload entries (pieces, chapter index, book information) of built
// JARs, read back for the benchmarks' deflate floors.

#include <QByteArray>
#include <QFile>
#include <QStringList>

#include <zip.h>

#include <algorithm>
#include <vector>

namespace vamo::bench {

// A payload entry's name: "capter", "text" or a piece's digits.
inline bool isPayloadName(const char* name)
{
    const QByteArray n(name);
    if (n == "capter" || n == "text")
        return true;
    return !n.isEmpty() && std::all_of(n.begin(), n.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Every payload entry of `jars`, uncompressed, in archive order.
inline std::vector<QByteArray> payloadOf(const QStringList& jars)
{
    std::vector<QByteArray> entries;
    for (const QString& jar : jars) {
        int error = 0;
        zip_t* z = zip_open(QFile::encodeName(jar).constData(), ZIP_RDONLY, &error);
        if (!z)
            qFatal("cannot open %s", qPrintable(jar));
        const zip_int64_t n = zip_get_num_entries(z, 0);
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_t st;
            if (zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st) != 0 || !isPayloadName(st.name))
                continue;
            QByteArray data(static_cast<qsizetype>(st.size), Qt::Uninitialized);
            zip_file_t* f = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
            if (!f || zip_fread(f, data.data(), st.size) != static_cast<zip_int64_t>(st.size))
                qFatal("cannot read an entry of %s", qPrintable(jar));
            zip_fclose(f);
            entries.push_back(std::move(data));
        }
        zip_close(z);
    }
    return entries;
}

} // namespace vamo::bench
