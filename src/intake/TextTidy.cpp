// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TextTidy.h"

#include <algorithm>
#include <vector>

namespace vamo {

namespace {

// A line ending in one of these ends a sentence.
const QString kSentenceEnds = QStringLiteral("。！？!?…”’」』.．");
// A line starting with one of these opens someone's words.
const QString kDialogueOpens = QStringLiteral("“‘「『\"—");
const QString kIndent = QStringLiteral("\u3000\u3000");

// Lines narrower than this say nothing about a wrap.
constexpr int kShortestWrap = 20;

// White space, or the byte-order mark; Chinese characters are told at once.
bool isBlank(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80)
        return u == u' ' || (u >= u'\t' && u <= u'\r');
    if (u > 0x3000)
        return u == 0xFEFF;
    return c.isSpace();
}

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
    // Line ends are found by two searches, CR and LF, kept one step ahead.
    qsizetype cr = text.indexOf(u'\r');
    qsizetype lf = text.indexOf(u'\n');
    qsizetype pos = 0;
    while (pos < n) {
        if (cr >= 0 && cr < pos)
            cr = text.indexOf(u'\r', pos);
        if (lf >= 0 && lf < pos)
            lf = text.indexOf(u'\n', pos);
        Line line;
        line.begin = pos;
        qsizetype end = std::min(cr < 0 ? n : cr, lf < 0 ? n : lf);
        line.end = end;
        line.content = pos;
        while (line.content < end && isBlank(text[line.content]))
            ++line.content;
        line.last = end;
        while (line.last > line.content && isBlank(text[line.last - 1]))
            --line.last;
        line.ended = end < n;
        if (end < n && text[end] == u'\r')
            ++end;
        if (end < n && text[end] == u'\n')
            ++end;
        pos = end;
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
int widthOf(QStringView text, const Line& l, Measure measure)
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
    auto heading = [&](const Line& l) {
        return std::binary_search(headingStarts.begin(), headingStarts.end(), l.begin);
    };
    auto joinsNext = [&](qsizetype i) {
        if (wrap.width == 0 || i + 1 >= lines.size())
            return false;
        const Line& l = lines[i];
        const Line& next = lines[i + 1];
        return !l.blank() && !next.blank() && widthOf(text, l, wrap.measure) >= wrap.width - 2 &&
               !kSentenceEnds.contains(text[l.last - 1]) && next.content == next.begin && !heading(l) &&
               !heading(next) && !kDialogueOpens.contains(text[next.content]);
    };

    QString out;
    out.reserve(text.size() + text.size() / 20 + 16);
    bool previousBlank = false;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const Line& l = lines[i];
        if (l.blank()) {
            // One blank line for a run of them; their white space goes.
            if (!previousBlank && l.ended)
                out += QStringLiteral("\r\n");
            previousBlank = true;
            continue;
        }
        previousBlank = false;
        if (!heading(l))
            out += kIndent;
        out += text.sliced(l.content, l.end - l.content);
        while (joinsNext(i)) {
            ++i;
            out += text.sliced(lines[i].content, lines[i].end - lines[i].content);
        }
        if (lines[i].ended)
            out += QStringLiteral("\r\n");
    }
    return out;
}

} // namespace vamo
