// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/ChapterSplit.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace vamo {

namespace {

// The line before a heading is a paragraph's when it runs on this long
// without a closing punctuation mark (hard-wrapped text); shorter when the
// candidate's words follow its number without a break, as a sentence's do.
constexpr qsizetype kRunOnLength = 30;
constexpr qsizetype kRunOnLengthAttached = 15;

const QString kNumerals = QStringLiteral("零〇一二两三四五六七八九十百千万");
const QString kUnits = QStringLiteral("章回节卷部篇集幕");
const QString kVolumeUnits = QStringLiteral("卷部篇集");
// Longer words first, so that 序章 is not taken as 序 followed by 章.
const QStringList kKeywords = {QStringLiteral("序章"), QStringLiteral("序言"), QStringLiteral("楔子"),
                               QStringLiteral("引子"), QStringLiteral("前言"), QStringLiteral("后记"),
                               QStringLiteral("尾声"), QStringLiteral("番外"), QStringLiteral("序")};
// A line ending in one of these goes on in the next line.
const QString kLeadIns = QStringLiteral("：:，,、；;“‘「『（(《【");
// A line ending in one of these ends a sentence.
const QString kClosings = QStringLiteral("。！？!?….”’」』）)】》~～\"'");
// A heading ends no clause and no sentence.
const QString kClauseEnds = QStringLiteral("，,、；;。");

bool isBlankChar(QChar c) { return c.isSpace() || c.unicode() == 0xFEFF; }

QStringView trimView(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlankChar(s[b]))
        ++b;
    while (e > b && isBlankChar(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

bool isDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'０' && u <= u'９');
}

bool isNumeral(QChar c) { return isDigit(c) || kNumerals.contains(c); }

bool isRoman(QChar c) { return QStringView(u"IVXLCDM").contains(c); }

bool isSeparator(QChar c) { return isBlankChar(c) || c.isPunct() || c.isSymbol(); }

qsizetype skipBlanks(QStringView t, qsizetype i)
{
    while (i < t.size() && isBlankChar(t[i]))
        ++i;
    return i;
}

struct Form {
    bool heading = false;
    QChar unit;            // 章, 卷 …; null for the other forms
    bool volume = false;   // 第N卷/部/篇/集
    bool attached = false; // a title follows 第N章 without a space or mark
};

// The built-in rule on a trimmed line.
Form builtInForm(QStringView t)
{
    if (t.isEmpty())
        return {};
    if (t[0] == u'第') {
        qsizetype i = skipBlanks(t, 1);
        const qsizetype digits = i;
        while (i < t.size() && isNumeral(t[i]))
            ++i;
        if (i == digits)
            return {};
        i = skipBlanks(t, i);
        if (i >= t.size() || !kUnits.contains(t[i]))
            return {};
        const bool attached = i + 1 < t.size() && !isSeparator(t[i + 1]);
        return Form{true, t[i], kVolumeUnits.contains(t[i]), attached};
    }
    for (const QString& word : kKeywords) {
        if (!t.startsWith(word))
            continue;
        if (t.size() == word.size())
            return Form{true, {}, false};
        const QChar next = t[word.size()];
        if (isSeparator(next))
            return Form{true, {}, false};
        // 番外一, 番外2, 番外篇
        if (word == u"番外" && (isNumeral(next) || next == u'篇'))
            return Form{true, {}, false};
        return {};
    }
    if (t.size() >= 9 && t.first(7).compare(u"chapter", Qt::CaseInsensitive) == 0 && isBlankChar(t[7])) {
        qsizetype i = skipBlanks(t, 7);
        const qsizetype start = i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
        if (i == start) {
            while (i < t.size() && isRoman(t[i]))
                ++i;
        }
        if (i == start)
            return {};
        if (i < t.size() && !isSeparator(t[i]))
            return {};
        return Form{true, {}, false};
    }
    return {};
}

// A closing quotation mark the line did not open: it ends someone's words.
bool closesForeignQuote(QStringView t)
{
    constexpr std::pair<char16_t, char16_t> kPairs[] = {{u'“', u'”'}, {u'「', u'」'}, {u'『', u'』'}};
    for (auto [open, close] : kPairs) {
        qsizetype depth = 0;
        for (QChar c : t) {
            if (c == open)
                ++depth;
            else if (c == close && --depth < 0)
                return true;
        }
    }
    return false;
}

// The line before a candidate, trimmed, makes the candidate part of its
// paragraph.
bool continuesParagraph(QStringView previous, bool attached)
{
    if (previous.isEmpty())
        return false;
    const QChar last = previous.back();
    if (kLeadIns.contains(last))
        return true;
    return previous.size() >= (attached ? kRunOnLengthAttached : kRunOnLength) && !kClosings.contains(last);
}

struct Found {
    qsizetype begin = 0;
    QString name;
    QChar unit;
    bool volume = false;
    bool blankBody = true; // only blank lines up to the next heading
};

QString cutName(QString name)
{
    if (name.size() <= kHeadingMaxLength)
        return name;
    qsizetype n = kHeadingMaxLength;
    if (name.at(n - 1).isHighSurrogate())
        --n;
    name.truncate(n);
    return name.trimmed();
}

// The end of the line starting at `pos`: its CR or LF, or the end of the text.
qsizetype lineEnd(QStringView text, qsizetype pos)
{
    const QChar* data = text.data();
    const qsizetype n = text.size();
    while (pos < n && data[pos] != u'\r' && data[pos] != u'\n')
        ++pos;
    return pos;
}

// Where the next line starts, past the CR LF, CR or LF at `end`.
qsizetype nextLine(QStringView text, qsizetype end)
{
    const QChar* data = text.data();
    const qsizetype n = text.size();
    if (end < n && data[end] == u'\r')
        ++end;
    if (end < n && data[end] == u'\n')
        ++end;
    return end;
}

// Non-blank lines of `text`: how many (up to `stopAfter` + 1), the first,
// and whether all are short.
struct Lines {
    int count = 0;
    QStringView first;
    bool allShort = true;
};

Lines nonBlankLines(QStringView text, int stopAfter)
{
    Lines lines;
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n && lines.count <= stopAfter) {
        const qsizetype end = lineEnd(text, pos);
        const QStringView t = trimView(text.sliced(pos, end - pos));
        if (!t.isEmpty()) {
            if (lines.count == 0)
                lines.first = t;
            ++lines.count;
            if (t.size() > kHeadingMaxLength)
                lines.allShort = false;
        }
        pos = nextLine(text, end);
    }
    return lines;
}

// A line the built-in rule may take starts with one of these; the others
// are passed over without a closer look.
bool mayStartBuiltIn(QChar c)
{
    return c == u'第' || c == u'序' || c == u'楔' || c == u'引' || c == u'前' || c == u'后' || c == u'尾' ||
           c == u'番' || c == u'C' || c == u'c';
}

// 1. Heading lines, with what lies between them, line by line.
class HeadingScan {
public:
    // `user`: the user's rule, or null for the built-in one.
    explicit HeadingScan(const QRegularExpression* user) : m_user(user) {}

    QList<Found> run(QStringView text);

private:
    void scanLine(QStringView t, qsizetype begin);
    Form lineForm(QStringView t) const;
    bool standsAlone(QStringView t, const Form& form) const;

    const QRegularExpression* m_user;
    QList<Found> m_found;
    QStringView m_previous; // the line before, trimmed (empty: blank or none)
    bool m_previousHeading = false;
};

QList<Found> HeadingScan::run(QStringView text)
{
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype end = lineEnd(text, pos);
        scanLine(trimView(text.sliced(pos, end - pos)), pos);
        pos = nextLine(text, end);
    }
    return std::move(m_found);
}

// One trimmed line, starting at `begin` in the text.
void HeadingScan::scanLine(QStringView t, qsizetype begin)
{
    bool heading = false;
    bool repeated = false;
    if (!t.isEmpty() && t.size() <= kHeadingMaxLength) {
        const Form form = lineForm(t);
        if (form.heading && standsAlone(t, form)) {
            QString name = cleanChapterName(t);
            if (!m_found.isEmpty() && m_found.back().blankBody && m_found.back().name == name) {
                // The heading again, as copied texts often have it: part of its chapter.
                repeated = true;
            } else {
                m_found.append(Found{begin, std::move(name), form.unit, form.volume, true});
                heading = true;
            }
        }
    }
    if (!t.isEmpty() && !heading && !repeated && !m_found.isEmpty())
        m_found.back().blankBody = false;
    m_previous = t;
    m_previousHeading = heading;
}

// The user's rule says whether the line is a heading; the built-in rule
// still gives its unit, volume and attached title.
Form HeadingScan::lineForm(QStringView t) const
{
    Form form;
    if (m_user) {
        form = builtInForm(t);
        form.heading = m_user->match(t.toString()).hasMatch();
    } else if (mayStartBuiltIn(t[0])) {
        form = builtInForm(t);
    }
    return form;
}

// A line of a heading's form that is no part of a sentence, a dialogue or
// the paragraph before it.
bool HeadingScan::standsAlone(QStringView t, const Form& form) const
{
    return !kClauseEnds.contains(t.back()) && !closesForeignQuote(t) &&
           (m_previousHeading || !continuesParagraph(m_previous, form.attached));
}

// 2. A volume heading with nothing of its own joins the heading after it.
QList<Found> joinVolumes(QList<Found> found)
{
    QList<Found> joined;
    bool pendingVolume = false;
    for (Found& h : found) {
        if (pendingVolume && h.unit != joined.back().unit) {
            Found& v = joined.back();
            v.name += QLatin1Char(' ') + h.name;
            v.unit = h.unit;
            v.volume = h.volume;
            v.blankBody = h.blankBody;
        } else {
            joined.append(std::move(h));
        }
        pendingVolume = joined.back().volume && joined.back().blankBody;
    }
    return joined;
}

// 3. A table of contents at the top starts no chapters.
void dropContents(QList<Found>& headings)
{
    qsizetype first = 0;
    while (first < headings.size() && headings[first].blankBody)
        ++first;
    if (first < 2)
        first = 0;
    if (first > 0)
        headings.remove(0, first);
}

// 4. The chapters: the text before the first heading, then one per heading.
ChapterSplit chapterSpans(QStringView text, QList<Found>& headings)
{
    ChapterSplit split;
    const qsizetype n = text.size();
    if (n == 0)
        return split;
    const qsizetype frontEnd = headings.isEmpty() ? n : headings.front().begin;
    if (frontEnd > 0) {
        const Lines front = nonBlankLines(text.first(frontEnd), 2);
        const bool title = front.count <= 2 && front.allShort;
        if (headings.isEmpty() || !title) {
            split.chapters.append(ChapterSpan{cutName(cleanChapterName(front.first)), 0, frontEnd, false});
        } else {
            headings.front().begin = 0;
        }
    }
    for (qsizetype i = 0; i < headings.size(); ++i) {
        const qsizetype begin = headings[i].begin;
        const qsizetype end = i + 1 < headings.size() ? headings[i + 1].begin : n;
        split.chapters.append(ChapterSpan{std::move(headings[i].name), begin, end - begin, true});
    }
    split.headings = static_cast<int>(headings.size());
    split.detected = static_cast<int>(split.chapters.size());
    return split;
}

} // namespace

Result<void> checkChapterPattern(const QString& pattern)
{
    const QRegularExpression re(pattern, QRegularExpression::UseUnicodePropertiesOption);
    if (!re.isValid())
        return fail(QStringLiteral("章节标题规则无效：") + re.errorString() +
                    QStringLiteral("（位置%1）").arg(re.patternErrorOffset()));
    return {};
}

QString cleanChapterName(QStringView line)
{
    QString name = line.toString();
    for (QChar& c : name) {
        const char16_t u = c.unicode();
        if (c.category() == QChar::Other_Control || u == 0x2028 || u == 0x2029)
            c = QLatin1Char(' ');
    }
    return name.trimmed();
}

Result<ChapterSplit> splitChapters(QStringView text, const QString& pattern)
{
    std::optional<QRegularExpression> user;
    if (!pattern.isEmpty()) {
        if (auto ok = checkChapterPattern(pattern); !ok)
            return std::unexpected(ok.error());
        user.emplace(pattern, QRegularExpression::UseUnicodePropertiesOption);
        user->optimize();
    }
    QList<Found> headings = joinVolumes(HeadingScan(user ? &*user : nullptr).run(text));
    dropContents(headings);
    return chapterSpans(text, headings);
}

int mergeGroupSize(const QList<qsizetype>& counts, qsizetype room)
{
    if (counts.size() > room)
        return 0;
    qsizetype largest = 1;
    for (qsizetype c : counts)
        largest = std::max(largest, c);
    for (qsizetype g = 1; g <= largest; ++g) {
        qsizetype total = 0;
        for (qsizetype c : counts)
            total += std::max<qsizetype>(1, (c + g - 1) / g);
        if (total <= room)
            return static_cast<int>(g);
    }
    return static_cast<int>(largest);
}

void mergeChapters(ChapterSplit& split, int groupSize)
{
    if (groupSize <= 1)
        return;
    QList<ChapterSpan> merged;
    merged.reserve(split.chapters.size() / groupSize + 1);
    for (qsizetype k = 0; k < split.chapters.size(); k += groupSize) {
        const qsizetype last = std::min(split.chapters.size(), k + groupSize) - 1;
        ChapterSpan group = split.chapters[k];
        group.length = split.chapters[last].begin + split.chapters[last].length - group.begin;
        for (qsizetype i = k; i <= last; ++i) {
            if (split.chapters[i].heading) {
                group.name = split.chapters[i].name;
                group.heading = true;
                break;
            }
        }
        merged.append(std::move(group));
    }
    split.chapters = std::move(merged);
    split.groupSize = groupSize;
}

QString mergeNotice(int detected, int limit, int groupSize, int chapters)
{
    return QStringLiteral("检测到%1章，超过上限%2章，已每%3章合并为一章，共%4章")
        .arg(detected)
        .arg(limit)
        .arg(groupSize)
        .arg(chapters);
}

QList<Chapter> chapterTexts(QStringView text, const ChapterSplit& split)
{
    QList<Chapter> out;
    out.reserve(split.chapters.size());
    for (const ChapterSpan& c : split.chapters)
        out.append(Chapter{c.name, text.sliced(c.begin, c.length).toString()});
    return out;
}

} // namespace vamo
