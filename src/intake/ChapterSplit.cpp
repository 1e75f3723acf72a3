// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/ChapterSplit.h"

#include "intake/TextLines.h"

#include <QElapsedTimer>
#include <QHash>
#include <QRegularExpression>

#include <algorithm>
#include <limits>
#include <optional>

namespace vamo {

namespace {

// The line before a heading is a paragraph's when it runs on this long
// without a closing punctuation mark (hard-wrapped text); shorter when the
// candidate's words follow its number without a break, as a sentence's do.
constexpr qsizetype kRunOnLength = 30;
constexpr qsizetype kRunOnLengthAttached = 15;

// Digits in plain and financial numerals, simplified and traditional; 廿
// and 卅 are twenty and thirty.
const QString kDigitNumerals = QStringLiteral("零〇一二两兩三四五六七八九壹贰貳叁參肆伍陆陸柒捌玖");
const QString kUnitNumerals = QStringLiteral("十百千万萬拾佰仟廿卅");
const QString kUnits = QStringLiteral("章回节節卷部篇集幕");
const QString kVolumeUnits = QStringLiteral("卷部篇集");
// Sections inside chapters: their numbers start again in every chapter.
const QString kSectionUnits = QStringLiteral("节節幕");
// Longer words first, so that 序章 is not taken as 序 followed by 章.
const QStringList kKeywords = {QStringLiteral("序章"), QStringLiteral("序言"), QStringLiteral("楔子"),
                               QStringLiteral("引子"), QStringLiteral("前言"), QStringLiteral("后记"),
                               QStringLiteral("後記"), QStringLiteral("尾声"), QStringLiteral("尾聲"),
                               QStringLiteral("番外"), QStringLiteral("序")};
// A line ending in one of these goes on in the next line.
const QString kLeadIns = QStringLiteral("：:，,、；;“‘「『（(《【");
// A line ending in one of these ends a sentence.
const QString kClosings = QStringLiteral("。！？!?….”’」』）)】》~～\"'");
// A heading ends no clause and no sentence.
const QString kClauseEnds = QStringLiteral("，,、；;。．");
// Where the title of a heading run together with its paragraph ends at the
// latest.
const QString kSentenceMarks = QStringLiteral("，,、；;。．！!？?：:“”‘’「」『』…（()");
// Between 第N章 and its title.
const QString kTitleSeparators = QStringLiteral("：:、.．-—");
// A title's usual length, the heading's number included.
constexpr qsizetype kTitleLength = 30;

using textlines::isBlank;
using textlines::lineEnd;
using textlines::nextLine;

QStringView trimView(QStringView s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return s.sliced(b, e - b);
}

bool isDigit(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'0' && u <= u'9') || (u >= u'０' && u <= u'９');
}

bool isNumeral(QChar c) { return isDigit(c) || kDigitNumerals.contains(c) || kUnitNumerals.contains(c); }

bool isRoman(QChar c) { return QStringView(u"IVXLCDM").contains(c); }

bool isSeparator(QChar c) { return isBlank(c) || c.isPunct() || c.isSymbol(); }

qsizetype skipBlanks(QStringView t, qsizetype i)
{
    while (i < t.size() && isBlank(t[i]))
        ++i;
    return i;
}

struct Form {
    bool heading = false;
    QChar unit;            // 章, 卷 …; null for the other forms
    bool volume = false;   // 第N卷/部/篇/集
    bool attached = false; // a title follows 第N章 without a space or mark
    int number = -1;       // of 第N章 and 卷N; -1 for the other forms
    bool part = false;     // 上, 中 or 下 of its number: 第十回（上）
    qsizetype unitEnd = 0; // just past the unit (past 卷N for that form)
};

// 上, 中 or 下 (in brackets or not) right after the unit at `i`, alone.
bool partOfNumber(QStringView t, qsizetype i)
{
    i = skipBlanks(t, i);
    const bool bracket = i < t.size() && (t[i] == u'（' || t[i] == u'(');
    if (bracket)
        ++i;
    if (i >= t.size() || !QStringView(u"上中下").contains(t[i]))
        return false;
    ++i;
    if (bracket)
        return i < t.size() && (t[i] == u'）' || t[i] == u')');
    return i == t.size() || isBlank(t[i]);
}

// A heading without unit or number: 序章, 楔子, Chapter 3 …
Form plainHeading()
{
    Form form;
    form.heading = true;
    return form;
}

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
        const int number = chapterNumber(t.sliced(digits, i - digits));
        i = skipBlanks(t, i);
        if (i >= t.size() || !kUnits.contains(t[i]))
            return {};
        const bool attached = i + 1 < t.size() && !isSeparator(t[i + 1]);
        return Form{true, t[i], kVolumeUnits.contains(t[i]), attached, number, partOfNumber(t, i + 1), i + 1};
    }
    if (t[0] == u'卷') {
        // 卷一, 卷十二 风起
        qsizetype i = 1;
        while (i < t.size() && isNumeral(t[i]))
            ++i;
        const int number = chapterNumber(t.sliced(1, i - 1));
        if (number < 0 || (i < t.size() && !isSeparator(t[i])))
            return {};
        return Form{true, u'卷', true, false, number, false, i};
    }
    for (const QString& word : kKeywords) {
        if (!t.startsWith(word))
            continue;
        if (t.size() == word.size())
            return plainHeading();
        const QChar next = t[word.size()];
        if (isSeparator(next))
            return plainHeading();
        // 番外一, 番外2, 番外篇
        if (word == u"番外" && (isNumeral(next) || next == u'篇'))
            return plainHeading();
        return {};
    }
    if (t.size() >= 9 && t.first(7).compare(u"chapter", Qt::CaseInsensitive) == 0 && isBlank(t[7])) {
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
        return plainHeading();
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
    return c == u'第' || c == u'序' || c == u'楔' || c == u'引' || c == u'前' || c == u'后' || c == u'後' ||
           c == u'尾' || c == u'番' || c == u'卷' || c == u'C' || c == u'c';
}

// A paragraph's indentation: two full-width spaces, a tab, or three blanks
// or more (a single blank, or two ASCII spaces, part a title's halves).
qsizetype indentationLength(QStringView t, qsizetype k)
{
    qsizetype e = k;
    int wide = 0;
    bool tab = false;
    while (e < t.size() && isBlank(t[e])) {
        wide += t[e] == u'\u3000';
        tab = tab || t[e] == u'\t';
        ++e;
    }
    return wide >= 2 || tab || e - k >= 3 ? e - k : 0;
}

// Where the name of a heading that runs on into its first paragraph ends in
// `t`: past 第N章 and its title, before the paragraph. The title ends at the
// first sentence mark, at a paragraph's indentation or at kTitleLength
// characters; of title parts parted by blanks, the last one runs into the
// paragraph and is left out, but for the second half of a 回's couplet,
// which is taken as long as the first.
qsizetype gluedNameEnd(QStringView t, const Form& form)
{
    qsizetype headEnd = form.unitEnd;
    qsizetype i = skipBlanks(t, headEnd);
    if (i < t.size() && (t[i] == u'（' || t[i] == u'(')) {
        // 第十回（上）
        const qsizetype close = t.sliced(i, std::min<qsizetype>(5, t.size() - i)).indexOf(t[i] == u'（' ? u'）' : u')');
        if (close > 0) {
            headEnd = i + close + 1;
            i = skipBlanks(t, headEnd);
        }
    }
    while (i < t.size() && kTitleSeparators.contains(t[i]))
        i = skipBlanks(t, i + 1);
    qsizetype limit = std::min(t.size(), std::max(i, kTitleLength));
    for (qsizetype k = i; k < limit; ++k) {
        if (kSentenceMarks.contains(t[k]) || indentationLength(t, k) > 0) {
            limit = k;
            break;
        }
    }
    // The title parts between i and limit.
    QList<std::pair<qsizetype, qsizetype>> parts;
    for (qsizetype k = i; k < limit;) {
        const qsizetype b = k;
        while (k < limit && !isBlank(t[k]))
            ++k;
        parts.append({b, k});
        k = skipBlanks(t, k);
    }
    if (parts.isEmpty())
        return headEnd;
    const bool runsOn = limit < t.size() && !isBlank(t[limit]);
    if (parts.size() < 2 || !runsOn)
        return parts.back().second;
    const auto [lastBegin, lastEnd] = parts.back();
    const auto [pairBegin, pairEnd] = parts[parts.size() - 2];
    const qsizetype half = pairEnd - pairBegin;
    if (form.unit == u'回' && half >= 4 && lastEnd - lastBegin > half)
        return lastBegin + half;
    return pairEnd;
}

// 1. Heading lines, with what lies between them, line by line.
class HeadingScan {
public:
    // `user`: the user's rule, or null for the built-in one.
    explicit HeadingScan(const QRegularExpression* user) : m_user(user) {}

    // `widths`, when given, counts the lines' widths on the way.
    QList<Found> run(QStringView text, textlines::LineWidths* widths);

private:
    void scanLine(QStringView t, qsizetype begin);
    Form lineForm(QStringView t) const;
    bool standsAlone(QStringView t, const Form& form) const;
    struct Name {
        QString name;
        bool glued = false; // the line goes on with the chapter's first paragraph
    };
    std::optional<Name> headingName(QStringView t, const Form& form) const;
    bool continuesSequence(const Form& form) const;
    void countNumber(const Form& form);

    const QRegularExpression* m_user;
    QList<Found> m_found;
    QStringView m_previous; // the line before, trimmed (empty: blank or none)
    bool m_previousHeading = false;
    // The number sequence: the last number of each unit (章, 回, 卷 …),
    // -1 before its first heading.
    QHash<char16_t, int> m_last;
    bool m_anyNumber = false; // a numbered heading was found
};

QList<Found> HeadingScan::run(QStringView text, textlines::LineWidths* widths)
{
    const qsizetype n = text.size();
    qsizetype pos = 0;
    while (pos < n) {
        const qsizetype end = lineEnd(text, pos);
        const QStringView t = trimView(text.sliced(pos, end - pos));
        if (widths)
            widths->add(end - pos, t.isEmpty());
        scanLine(t, pos);
        pos = nextLine(text, end);
    }
    return std::move(m_found);
}

// One trimmed line, starting at `begin` in the text.
void HeadingScan::scanLine(QStringView t, qsizetype begin)
{
    bool heading = false;
    bool repeated = false;
    if (!t.isEmpty() && (t.size() <= kHeadingMaxLength || (!m_user && t[0] == u'第'))) {
        const Form form = lineForm(t);
        if (form.heading) {
            if (std::optional<Name> name = headingName(t, form)) {
                if (!m_found.isEmpty() && m_found.back().blankBody && m_found.back().name == name->name) {
                    // The heading again, as copied texts often have it: part of its chapter.
                    repeated = true;
                } else {
                    m_found.append(Found{begin, std::move(name->name), form.unit, form.volume, !name->glued});
                    countNumber(form);
                    heading = true;
                }
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

// The chapter name when the line of a heading's form starts a chapter. A
// heading whose number continues the sequence (and whose title is set off
// from 第N章) may follow a paragraph's line without a blank line, and may
// run on into its first paragraph: then the name is the heading part alone.
std::optional<HeadingScan::Name> HeadingScan::headingName(QStringView t, const Form& form) const
{
    const bool shortLine = t.size() <= kHeadingMaxLength;
    if (shortLine && standsAlone(t, form))
        return Name{cleanChapterName(t)};
    if (m_user || form.attached || !continuesSequence(form))
        return std::nullopt;
    if (shortLine && !kClauseEnds.contains(t.back()) && !closesForeignQuote(t))
        return Name{cleanChapterName(t)};
    return Name{cleanChapterName(t.first(gluedNameEnd(t, form))), true};
}

// The number follows the last of its unit (or starts the file's headings,
// or starts again at one, or is the next part of the same number).
bool HeadingScan::continuesSequence(const Form& form) const
{
    if (form.number < 0)
        return false;
    if (!m_anyNumber)
        return true;
    const int last = m_last.value(form.unit.unicode(), -1);
    if (last < 0)
        return form.number <= 1;
    return form.number == last + 1 || (form.part && form.number == last);
}

// A heading taken: its number is the last of its unit. A volume starts its
// chapters' numbers again, a chapter its sections'.
void HeadingScan::countNumber(const Form& form)
{
    if (form.number < 0)
        return;
    m_anyNumber = true;
    m_last.insert(form.unit.unicode(), form.number);
    const bool volume = kVolumeUnits.contains(form.unit);
    const bool section = kSectionUnits.contains(form.unit);
    for (auto it = m_last.begin(); it != m_last.end(); ++it) {
        const QChar unit(it.key());
        if (unit == form.unit || section)
            continue;
        if ((volume && !kVolumeUnits.contains(unit)) || kSectionUnits.contains(unit))
            it.value() = -1;
    }
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
    const qsizetype firstLine = frontEnd;
    if (frontEnd > 0) {
        const Lines front = nonBlankLines(text.first(frontEnd), 2);
        const bool title = front.count <= 2 && front.allShort;
        if (headings.isEmpty() || !title) {
            split.chapters.append(ChapterSpan{cutName(cleanChapterName(front.first)), 0, frontEnd, false, -1});
        } else {
            headings.front().begin = 0;
        }
    }
    for (qsizetype i = 0; i < headings.size(); ++i) {
        const qsizetype begin = headings[i].begin;
        const qsizetype end = i + 1 < headings.size() ? headings[i + 1].begin : n;
        split.chapters.append(
            ChapterSpan{std::move(headings[i].name), begin, end - begin, true, i == 0 ? firstLine : begin});
    }
    split.headings = static_cast<int>(headings.size());
    split.detected = static_cast<int>(split.chapters.size());
    return split;
}

} // namespace

int chapterNumber(QStringView numerals)
{
    if (numerals.isEmpty())
        return -1;
    qint64 value = 0;
    if (isDigit(numerals[0])) {
        for (QChar c : numerals) {
            if (!isDigit(c))
                return -1;
            const char16_t u = c.unicode();
            value = value * 10 + (u >= u'０' ? u - u'０' : u - u'0');
            if (value > 999999)
                return -1;
        }
        return static_cast<int>(value);
    }
    auto digit = [](QChar c) -> int {
        const qsizetype k = kDigitNumerals.indexOf(c);
        // 零〇 0, 一 1, 二两兩 2, 三 3 … in the order of kDigitNumerals
        constexpr int kValues[] = {0, 0, 1, 2, 2, 2, 3, 4, 5, 6, 7, 8, 9, 1, 2, 2, 3, 3, 4, 5, 6, 6, 7, 8, 9};
        return k < 0 ? -1 : kValues[k];
    };
    auto unit = [](QChar c) -> int {
        switch (c.unicode()) {
        case u'十':
        case u'拾':
            return 10;
        case u'百':
        case u'佰':
            return 100;
        case u'千':
        case u'仟':
            return 1000;
        case u'万':
        case u'萬':
            return 10000;
        default:
            return 0;
        }
    };
    const bool withUnits = std::any_of(numerals.begin(), numerals.end(), [&](QChar c) { return unit(c) > 0; }) ||
                           numerals.contains(u'廿') || numerals.contains(u'卅');
    if (!withUnits) {
        // Digit by digit: 一零一, 一〇一
        for (QChar c : numerals) {
            const int d = digit(c);
            if (d < 0 || value > 99999)
                return -1;
            value = value * 10 + d;
        }
        return static_cast<int>(value);
    }
    // 一百零一, 一百一 (101 in a heading), 十二, 二十, 廿三, 一万二千
    qint64 section = 0;
    int pending = -1;
    for (QChar c : numerals) {
        if (c == u'廿' || c == u'卅') {
            section += c == u'廿' ? 20 : 30;
            pending = -1;
        } else if (const int d = digit(c); d >= 0) {
            pending = d;
        } else if (const int u = unit(c); u == 10000) {
            value += (section + std::max(pending, 0)) * 10000;
            section = 0;
            pending = -1;
        } else if (u > 0) {
            section += (pending < 0 ? 1 : pending) * u;
            pending = -1;
        } else {
            return -1;
        }
    }
    value += section + std::max(pending, 0);
    return value > 999999 ? -1 : static_cast<int>(value);
}

namespace {

// Lines a rule is tried on before it is used: as long as a heading may be,
// made of one character over and over (each of the rule's own characters
// and a few that headings hold), whole or spoiled by a different last one.
// A rule that backtracks without bound shows it on such lines.
QStringList probeLines(const QString& pattern)
{
    QString characters = QStringLiteral("a1一第章 ");
    for (const QChar c : pattern) {
        if (characters.size() >= 24)
            break;
        if ((c.isLetterOrNumber() || c.isSpace() || c.isPunct()) && !characters.contains(c))
            characters.append(c);
    }
    QStringList lines;
    for (const QChar c : std::as_const(characters)) {
        const QString run(kHeadingMaxLength, c);
        lines << run;
        for (const QChar last : {QChar(u'!'), QChar(u'。'), QChar(u'\x01')})
            lines << run.chopped(1) + last;
    }
    return lines;
}

// How long the rule takes on the line, in microseconds, at best of a few
// tries (a busy machine only ever makes it slower).
qint64 matchMicroseconds(const QRegularExpression& re, const QString& line)
{
    qint64 best = std::numeric_limits<qint64>::max();
    for (int attempt = 0; attempt < 3; ++attempt) {
        QElapsedTimer timer;
        timer.start();
        (void)re.match(line).hasMatch();
        best = std::min(best, timer.nsecsElapsed() / 1000);
        if (best <= kPatternBudgetMicroseconds)
            break;
    }
    return best;
}

} // namespace

Result<void> checkChapterPattern(const QString& pattern)
{
    QRegularExpression re(pattern, QRegularExpression::UseUnicodePropertiesOption);
    if (!re.isValid())
        return fail(QStringLiteral("章节标题规则无效：") + re.errorString() +
                    QStringLiteral("（位置%1）").arg(re.patternErrorOffset()));
    re.optimize();
    for (const QString& line : probeLines(pattern)) {
        if (matchMicroseconds(re, line) > kPatternBudgetMicroseconds)
            return fail(QStringLiteral("章节标题规则无效：规则太复杂，检查一行就超过%1毫秒，请简化")
                            .arg(kPatternBudgetMicroseconds / 1000));
    }
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

Result<ChapterSplit> splitChapters(QStringView text, const QString& pattern, textlines::LineWidths* widths)
{
    std::optional<QRegularExpression> user;
    if (!pattern.isEmpty()) {
        if (auto ok = checkChapterPattern(pattern); !ok)
            return failure(ok);
        user.emplace(pattern, QRegularExpression::UseUnicodePropertiesOption);
        user->optimize();
    }
    QList<Found> headings = joinVolumes(HeadingScan(user ? &*user : nullptr).run(text, widths));
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
                group.line = split.chapters[i].line;
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
