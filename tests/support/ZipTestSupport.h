// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Small zip helpers for tests: build a reader template, list and read the
// entries of a made JAR. Header-only; tests link libzip themselves.

#include "packaging/ZipFileSource.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <zip.h>

#include <optional>
#include <utility>
#include <vector>

namespace vamo::test {

using ZipEntries = std::vector<std::pair<QByteArray, QByteArray>>;

// Opens the archive at `path` through the program's own file source, so that
// a Chinese name opens on every system (libzip's zip_open takes the ANSI code
// page's bytes on Windows).
inline zip_t* openZip(const QString& path, int flags)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* source = vamo::fileSource(path, &error);
    zip_t* z = source ? zip_open_from_source(source, flags, &error) : nullptr;
    if (source && !z)
        zip_source_free(source);
    zip_error_fini(&error);
    return z;
}

// Writes a deflated zip archive holding `entries` in this order.
inline bool writeZip(const QString& path, const ZipEntries& entries)
{
    QFile::remove(path);
    zip_t* z = openZip(path, ZIP_CREATE | ZIP_TRUNCATE);
    if (!z)
        return false;
    for (const auto& [name, data] : entries) {
        zip_source_t* s = zip_source_buffer(z, data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        if (!s || zip_file_add(z, name.constData(), s, 0) < 0) {
            zip_source_free(s);
            zip_discard(z);
            return false;
        }
    }
    return zip_close(z) == 0;
}

// A tiny reader template as the real ones are laid out: the manifest first,
// the MIDlet class and its icon. `marker` ends up in demo.class so that tests
// can tell the two templates apart.
inline ZipEntries templateEntries(const QByteArray& marker)
{
    return {
        {"META-INF/MANIFEST.MF", "Manifest-Version: 1.0\r\nCreated-By: template\r\n"},
        {"demo.class", QByteArray("\xCA\xFE\xBA\xBE", 4) + marker},
        {"icon.png", QByteArray("\x89PNG\r\n\x1A\n", 8) + QByteArray(64, 'i')},
    };
}

inline ZipEntries readZip(const QString& path)
{
    ZipEntries out;
    zip_t* z = openZip(path, ZIP_RDONLY | ZIP_CHECKCONS);
    if (!z)
        return out;
    const zip_int64_t n = zip_get_num_entries(z, 0);
    for (zip_int64_t i = 0; i < n; ++i) {
        const auto index = static_cast<zip_uint64_t>(i);
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(z, index, 0, &st) < 0)
            break;
        QByteArray data(static_cast<qsizetype>(st.size), '\0');
        zip_file_t* f = zip_fopen_index(z, index, 0);
        if (!f)
            break;
        const zip_int64_t got = zip_fread(f, data.data(), st.size);
        zip_fclose(f);
        if (got != static_cast<zip_int64_t>(st.size))
            break;
        out.emplace_back(QByteArray(st.name), data);
    }
    zip_discard(z);
    return out;
}

// Entry names in archive order; empty when the file is not a readable archive.
inline QStringList zipEntryNames(const QString& path)
{
    QStringList names;
    for (const auto& e : readZip(path))
        names.append(QString::fromUtf8(e.first));
    return names;
}

inline std::optional<QByteArray> zipEntry(const QString& path, const QByteArray& name)
{
    for (auto& e : readZip(path)) {
        if (e.first == name)
            return e.second;
    }
    return std::nullopt;
}

} // namespace vamo::test
