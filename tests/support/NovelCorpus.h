// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Whole-novel TXT texts in the shapes people meet, built from the 120
// chapters of 红楼梦 kept beside the project (VAMO_CORPUS_DIR): headings on
// lines of their own, headings run together with the first paragraph,
// paragraphs hard-wrapped at a fixed width. Texts come as the TXT reading
// gives them (CR LF after every line).

#include <QDir>
#include <QFile>
#include <QList>
#include <QRegularExpression>
#include <QString>

#include <opencc.h>

#include <algorithm>

namespace vamo::test {

struct CorpusChapter {
    QString heading; // 第一回 甄士隐梦幻识通灵 贾雨村风尘怀闺秀
    QString text;    // the chapter's lines, each followed by CR LF
};

// The chapters in reading order; empty when the corpus is not there.
inline QList<CorpusChapter> hongloumeng()
{
    const QDir dir(QString::fromUtf8(VAMO_CORPUS_DIR "/hongloumeng/chapters"));
    QList<std::pair<int, CorpusChapter>> numbered;
    static const QRegularExpression name(QStringLiteral("^(\\d+)(.*)\\.txt$"));
    for (const QString& file : dir.entryList({QStringLiteral("*.txt")}, QDir::Files)) {
        const QRegularExpressionMatch m = name.match(file);
        QFile f(dir.filePath(file));
        if (!m.hasMatch() || !f.open(QIODevice::ReadOnly))
            continue;
        QString text = QString::fromUtf8(f.readAll());
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        if (!text.endsWith(u'\n'))
            text += u'\n';
        text.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
        numbered.append({m.captured(1).toInt(), CorpusChapter{m.captured(2), text}});
    }
    std::sort(numbered.begin(), numbered.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    QList<CorpusChapter> chapters;
    for (auto& [n, c] : numbered)
        chapters.append(std::move(c));
    return chapters;
}

inline QString novelTitle() { return QStringLiteral("红楼梦\r\n作者：曹雪芹\r\n\r\n"); }

// Every heading on a line of its own, a blank line before it.
inline QString cleanNovel(const QList<CorpusChapter>& chapters)
{
    QString text = novelTitle();
    for (const CorpusChapter& c : chapters)
        text += c.heading + QStringLiteral("\r\n") + c.text + QStringLiteral("\r\n");
    return text;
}

// Every heading run together with the chapter's first line, as text
// extractors leave it, and no blank line before it.
inline QString gluedNovel(const QList<CorpusChapter>& chapters)
{
    QString text = novelTitle();
    for (const CorpusChapter& c : chapters)
        text += c.heading + c.text;
    return text;
}

// Every line cut into lines of at most `width` characters.
inline QString wrapLines(const QString& text, qsizetype width)
{
    QString out;
    for (QStringView line : QStringView(text).split(QStringLiteral("\r\n"))) {
        do {
            out += line.first(std::min(width, line.size()));
            out += QStringLiteral("\r\n");
            line = line.sliced(std::min(width, line.size()));
        } while (!line.isEmpty());
    }
    out.chop(2); // the split's last, empty piece
    return out;
}

// Clean headings, every paragraph hard-wrapped at `width` characters.
inline QString wrappedNovel(const QList<CorpusChapter>& chapters, qsizetype width)
{
    QString text = novelTitle();
    for (const CorpusChapter& c : chapters)
        text += c.heading + QStringLiteral("\r\n") + wrapLines(c.text, width) + QStringLiteral("\r\n");
    return text;
}

// The text in traditional characters (OpenCC's s2t, as Taiwan and Hong Kong
// sites have such novels).
inline QString traditional(const QString& text, const char* config = "s2t.json")
{
    opencc_t cc = opencc_open(config);
    if (cc == reinterpret_cast<opencc_t>(-1))
        return {};
    const QByteArray utf8 = text.toUtf8();
    char* out = opencc_convert_utf8(cc, utf8.constData(), static_cast<size_t>(utf8.size()));
    QString result = QString::fromUtf8(out);
    opencc_convert_utf8_free(out);
    opencc_close(cc);
    return result;
}

} // namespace vamo::test
