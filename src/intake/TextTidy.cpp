// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TextTidy.h"

#include "intake/TextLines.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace vamo {

namespace {

// A line ending in one of these ends a sentence.
constexpr std::u16string_view kSentenceEnds = u"。！？!?…”’」』.．";
// A line starting with one of these opens someone's words.
constexpr std::u16string_view kDialogueOpens = u"“‘「『\"—";
constexpr std::u16string_view kIndent = u"\u3000\u3000";
constexpr std::u16string_view kLineEnd = u"\r\n";

bool isOneOf(std::u16string_view set, QChar c)
{
    // Most characters are Chinese ones, which none of the sets holds.
    const char16_t u = c.unicode();
    return (u < 0x3400 || u > 0x9FFF) && set.find(u) != std::u16string_view::npos;
}

// Lines narrower than this say nothing about a wrap.
constexpr int kShortestWrap = 20;

using textlines::isBlank;

struct Line {
    qsizetype begin = 0;   // first character
    qsizetype content = 0; // first character after the leading white space
    qsizetype end = 0;     // the line end (CR, LF or the end of the text)
    qsizetype last = 0;    // past the last character that is not white space
    bool ended = false;    // has a line end

    [[nodiscard]] bool blank() const { return content == end; }
};

QList<Line> linesOf(QStringView text)
{
    QList<Line> lines;
    lines.reserve(text.size() / 24 + 16);
    const qsizetype n = text.size();
    for (qsizetype pos = 0; pos < n;) {
        Line line;
        line.begin = pos;
        line.end = textlines::lineEnd(text, pos);
        line.content = pos;
        while (line.content < line.end && isBlank(text[line.content]))
            ++line.content;
        line.last = line.end;
        while (line.last > line.content && isBlank(text[line.last - 1]))
            --line.last;
        line.ended = line.end < n;
        pos = textlines::nextLine(text, line.end);
        lines.append(line);
    }
    return lines;
}

// A wrap counts characters, or columns (an ASCII character one, any other
// two, as a wrap at a number of bytes does).
enum class Measure { Characters, Columns };

// Wider lines than this are counted together: no wrap is that wide.
constexpr int kWidestWrap = 400;

// The width of a line as a wrap measures it: all of it, white space
// included; past kWidestWrap not counted on.
inline int widthOf(QStringView text, const Line& l, Measure measure)
{
    const QStringView line = text.sliced(l.begin, std::min<qsizetype>(l.end - l.begin, kWidestWrap + 1));
    if (measure == Measure::Characters)
        return static_cast<int>(line.size());
    int columns = 0;
    for (QChar c : line)
        columns += c.unicode() < 0x80 ? 1 : (c.isLowSurrogate() ? 0 : 2);
    return columns;
}

struct Wrap {
    int width = 0; // 0: not wrapped
    Measure measure = Measure::Columns;
    qsizetype near = 0; // lines about as wide as the wrap
};

Wrap wrapOf(QStringView text, const QList<Line>& lines, Measure measure)
{
    std::vector<qsizetype> counts(kWidestWrap + 1, 0);
    qsizetype nonBlank = 0;
    for (const Line& l : lines) {
        if (l.blank())
            continue;
        ++nonBlank;
        if (const int w = widthOf(text, l, measure); w >= kShortestWrap)
            ++counts[std::min(w, kWidestWrap)];
    }
    // The most common width; of equally common ones the widest.
    int width = 0;
    qsizetype most = 0;
    for (int w = kShortestWrap; w < kWidestWrap; ++w) {
        if (counts[w] > 0 && counts[w] >= most) {
            width = w;
            most = counts[w];
        }
    }
    if (width == 0)
        return {};
    qsizetype near = 0;
    qsizetype wider = 0;
    for (int w = kShortestWrap; w <= kWidestWrap; ++w) {
        if (w >= width - 2 && w <= width + 2)
            near += counts[w];
        else if (w > width + 2)
            wider += counts[w];
    }
    // A wrapped text: at least a third of its lines about as wide as the
    // wrap, almost none wider.
    if (near < 3 || near * 3 < nonBlank || wider * 20 > nonBlank)
        return {};
    return Wrap{width, measure, near};
}

// Counting characters is cheap: columns are counted only when characters
// show no clear wrap (one in two lines about as wide).
Wrap wrapOf(QStringView text, const QList<Line>& lines)
{
    const Wrap characters = wrapOf(text, lines, Measure::Characters);
    if (characters.width > 0 && characters.near * 2 >= lines.size())
        return characters;
    const Wrap columns = wrapOf(text, lines, Measure::Columns);
    return characters.near >= columns.near ? characters : columns;
}

} // namespace

int wrapWidth(QStringView text) { return wrapOf(text, linesOf(text)).width; }

QString tidyText(QStringView text, const QList<qsizetype>& headingStarts)
{
    const QList<Line> lines = linesOf(text);
    const Wrap wrap = wrapOf(text, lines);
    // Which lines are headings, in one walk over both (each in text order).
    std::vector<char> heading(static_cast<size_t>(lines.size()), 0);
    for (qsizetype i = 0, h = 0; i < lines.size() && h < headingStarts.size(); ++i) {
        while (h < headingStarts.size() && headingStarts[h] < lines[i].begin)
            ++h;
        heading[static_cast<size_t>(i)] = h < headingStarts.size() && headingStarts[h] == lines[i].begin;
    }
    auto joinsNext = [&](qsizetype i) {
        if (wrap.width == 0 || i + 1 >= lines.size())
            return false;
        const Line& l = lines[i];
        const Line& next = lines[i + 1];
        return !l.blank() && !next.blank() && widthOf(text, l, wrap.measure) >= wrap.width - 2 &&
               !isOneOf(kSentenceEnds, text[l.last - 1]) && next.content == next.begin &&
               !heading[static_cast<size_t>(i)] && !heading[static_cast<size_t>(i + 1)] &&
               !isOneOf(kDialogueOpens, text[next.content]);
    };

    // Written straight into place: every line gives at most an indentation,
    // its own characters and a line end.
    QString out(text.size() + 4 * lines.size(), Qt::Uninitialized);
    QChar* const start = out.data();
    QChar* at = start;
    const auto put = [&at](QStringView part) { at = std::copy(part.begin(), part.end(), at); };
    const auto putChars = [&](qsizetype from, qsizetype to) { put(text.sliced(from, to - from)); };
    bool previousBlank = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.blank()) {
            // One blank line for a run of them; their white space goes.
            if (!previousBlank && l.ended)
                put(kLineEnd);
            previousBlank = true;
            continue;
        }
        previousBlank = false;
        if (!heading[static_cast<size_t>(i)])
            put(kIndent);
        putChars(l.content, l.end);
        while (joinsNext(i)) {
            ++i;
            putChars(lines[i].content, lines[i].end);
        }
        if (lines[i].ended)
            put(kLineEnd);
    }
    out.truncate(at - start);
    return out;
}

} // namespace vamo
