// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/ChapterEditing.h"

#include "intake/TxtFolder.h"
#include "model/Progress.h"

#include <QFileInfo>

#include <algorithm>

namespace vamo::editing {

namespace {
constexpr char16_t kParagraph = u'\u2029';
constexpr char16_t kLine = u'\u2028';
} // namespace

SplitText splitForDisplay(QString text)
{
    if (text.size() <= kVisibleLimit)
        return {std::move(text), QString()};
    qsizetype cut = kVisibleLimit;
    if (text.at(cut - 1).isHighSurrogate())
        --cut;
    SplitText split;
    split.visible = text.first(cut);
    // Removing the head of an unshared string only moves its start.
    text.remove(0, cut);
    split.strmod = std::move(text);
    return split;
}

BoxText toBox(QStringView text)
{
    BoxText out;
    out.raw.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r') {
            if (i + 1 < n && text[i + 1] == u'\n')
                ++i;
            else if (i + 1 == n)
                out.trailingLoneCr = true;
            out.raw.append(QChar(kParagraph));
        } else if (c == u'\n') {
            out.raw.append(QChar(kLine));
        } else {
            out.raw.append(QChar(c));
        }
    }
    return out;
}

QString fromBox(QStringView raw, bool trailingLoneCr)
{
    QString out;
    out.reserve(raw.size() + raw.size() / 16);
    for (const QChar ch : raw) {
        if (ch == kParagraph)
            out.append(u"\r\n");
        else if (ch == kLine)
            out.append(u'\n');
        else
            out.append(ch);
    }
    if (trailingLoneCr && raw.endsWith(QChar(kParagraph)))
        out.chop(1);
    return out;
}

QString pastedToBox(QStringView text)
{
    QString out;
    out.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const char16_t c = text[i].unicode();
        if (c == u'\r' || c == u'\n' || c == kLine) {
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
            out.append(QChar(kParagraph));
        } else {
            out.append(QChar(c));
        }
    }
    return out;
}

qsizetype chapterLengthOfBox(QStringView raw) { return raw.size() + raw.count(QChar(kParagraph)); }

QStringView fitIntoRoom(QStringView raw, qsizetype room)
{
    qsizetype used = 0;
    qsizetype i = 0;
    for (; i < raw.size(); ++i) {
        const qsizetype w = raw[i] == kParagraph ? 2 : 1;
        if (used + w > room)
            break;
        used += w;
    }
    if (i > 0 && i < raw.size() && raw[i - 1].isHighSurrogate() && raw[i].isLowSurrogate())
        --i;
    return raw.first(i);
}

QString chapterNameFromPath(const QString& path) { return batchChapterName(QFileInfo(path).fileName()); }

QString readResultLine(qint64 lines, qint64 characters)
{
    return QStringLiteral("【加载100%】【%1行】【%2字】").arg(lines).arg(characters);
}

ReadProgress::ReadProgress(qint64 fileBytes) : m_estimate(fileBytes * 55 / 100) {}

void ReadProgress::advance(qint64 lines, qint64 characters)
{
    m_lines = lines;
    m_characters = characters;
    if (m_characters > m_estimate)
        m_estimate = m_characters + 5000;
}

void ReadProgress::finish(qint64 lines, qint64 characters)
{
    m_lines = lines;
    m_characters = characters;
    m_estimate = std::max(m_estimate, characters);
    m_finished = true;
}

double ReadProgress::fraction() const
{
    if (m_finished)
        return 1.0;
    if (m_estimate <= 0)
        return 0.0;
    return static_cast<double>(m_characters) / static_cast<double>(m_estimate);
}

QString ReadProgress::text() const
{
    return QStringLiteral("进度%1 加载%2行 共%3字").arg(percentText(fraction())).arg(m_lines).arg(m_characters);
}

Result<void> storeChapter(BookProject& book, const QString& name, const QString& fullText, StoreMode mode)
{
    const int num = book.num();
    const int count = book.chapterCount();
    if (num < 0 || num > count)
        return fail(QStringLiteral("章节序号超出范围(%1)").arg(num));
    if (auto saved = book.save(fullText); !saved)
        return saved;
    const QString trimmed = name.trimmed();
    if (num == count)
        book.appendChapterName(trimmed);
    else if (mode == StoreMode::Accept)
        book.setChapterName(num, trimmed);
    return {};
}

} // namespace vamo::editing
