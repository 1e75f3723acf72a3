// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/SimplifiedTables.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace vamo {

namespace {

std::u16string_view units(QStringView text) { return {text.utf16(), static_cast<size_t>(text.size())}; }

// One character: a surrogate pair is two UTF-16 units.
qsizetype characterLength(QStringView text, qsizetype at)
{
    return text[at].isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate() ? 2 : 1;
}

} // namespace

Result<SimplifiedTables::Table> SimplifiedTables::readTable(const QString& path)
{
    QFile file(path);
    if (!file.exists())
        return fail(QStringLiteral("无法转换为简体：找不到繁简转换表 ") + QDir::toNativeSeparators(path));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("无法转换为简体：读不出繁简转换表 ") + QDir::toNativeSeparators(path));
    const QString text = QString::fromUtf8(file.readAll());
    Table table;
    table.starts.assign(0x10000, false);
    qsizetype number = 0;
    for (QStringView line : QStringView(text).split(u'\n')) {
        ++number;
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (line.isEmpty())
            continue;
        const qsizetype tab = line.indexOf(u'\t');
        const QStringView key = tab > 0 ? line.first(tab) : QStringView();
        // The first of the values is the one taken.
        const QStringView value = tab > 0 ? line.sliced(tab + 1).split(u' ').constFirst() : QStringView();
        if (key.isEmpty() || value.isEmpty())
            return fail(QStringLiteral("无法转换为简体：繁简转换表 %1 第%2行有误")
                            .arg(QDir::toNativeSeparators(path))
                            .arg(number));
        table.values.try_emplace(std::u16string(units(key)), units(value));
        table.starts[key.front().unicode()] = true;
        table.longest = std::max(table.longest, key.size());
    }
    if (table.values.empty())
        return fail(QStringLiteral("无法转换为简体：繁简转换表 %1 是空的").arg(QDir::toNativeSeparators(path)));
    return table;
}

Result<SimplifiedTables> SimplifiedTables::load(const QString& folder)
{
    const QDir dir(folder);
    auto phrases = readTable(dir.filePath(QStringLiteral("TSPhrases.txt")));
    if (!phrases)
        return failure(phrases);
    auto characters = readTable(dir.filePath(QStringLiteral("TSCharacters.txt")));
    if (!characters)
        return failure(characters);
    SimplifiedTables tables;
    tables.m_phrases = std::move(*phrases);
    tables.m_characters = std::move(*characters);
    return tables;
}

const std::u16string* SimplifiedTables::Table::longestMatch(QStringView text, qsizetype& length) const
{
    if (text.isEmpty() || !starts[text.front().unicode()])
        return nullptr;
    for (length = std::min(longest, text.size()); length > 0; --length) {
        const auto found = values.find(units(text.first(length)));
        if (found != values.end())
            return &found->second;
    }
    return nullptr;
}

QString SimplifiedTables::convert(QStringView text) const
{
    QString out;
    out.reserve(text.size());
    // A run between two phrases, character by character. No phrase starts
    // anywhere inside it (each of its places was tried), so TSCharacters
    // alone decides there.
    const auto convertRun = [&](QStringView run) {
        for (qsizetype at = 0; at < run.size();) {
            qsizetype length = 0;
            if (const std::u16string* value = m_characters.longestMatch(run.sliced(at), length)) {
                out += QStringView(value->data(), static_cast<qsizetype>(value->size()));
            } else {
                length = characterLength(run, at);
                out += run.sliced(at, length);
            }
            at += length;
        }
    };
    qsizetype runStart = 0;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype length = 0;
        if (const std::u16string* value = m_phrases.longestMatch(text.sliced(at), length)) {
            convertRun(text.sliced(runStart, at - runStart));
            out += QStringView(value->data(), static_cast<qsizetype>(value->size()));
            at += length;
            runStart = at;
        } else {
            at += characterLength(text, at);
        }
    }
    convertRun(text.sliced(runStart));
    return out;
}

} // namespace vamo
