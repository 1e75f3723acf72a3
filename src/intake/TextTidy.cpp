// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/TextTidy.h"

#include "intake/TextLines.h"

#include <algorithm>
#include <string_view>
#include <utility>

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
    bool ended = false;    // has a line end

    [[nodiscard]] bool blank() const { return content == end; }
};

// The line starting at `pos` (before the end of the text), into `line`.
void readLine(QStringView text, qsizetype pos, Line& line)
{
    line.begin = pos;
    line.end = textlines::lineEnd(text, pos);
    line.content = pos;
    while (line.content < line.end && isBlank(text[line.content]))
        ++line.content;
    line.ended = line.end < text.size();
}

// The text's lines one after the other, with one line of look-ahead: a
// novel's hundreds of thousands of lines are never held all at once. The
// two lines at hand are read in place and never copied: a line's fields are
// read right after they are written, and a copy's wider loads would wait
// for those writes.
class LineReader {
public:
    explicit LineReader(QStringView text) : m_text(text) {}

    // The next line, or null past the last.
    const Line* next()
    {
        if (!peek())
            return nullptr;
        std::swap(m_line, m_ahead);
        m_hasAhead = false;
        return m_line;
    }
    // The line after the one `next` gave last (which stays valid), or null
    // past the last.
    const Line* peek()
    {
        if (!m_hasAhead && m_pos < m_text.size()) {
            readLine(m_text, m_pos, *m_ahead);
            m_pos = textlines::nextLine(m_text, m_ahead->end);
            m_hasAhead = true;
        }
        return m_hasAhead ? m_ahead : nullptr;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
    Line m_lines[2];
    Line* m_line = &m_lines[0];
    Line* m_ahead = &m_lines[1];
    bool m_hasAhead = false;
};

// A wrap counts characters, or columns (an ASCII character one, any other
// two, as a wrap at a number of bytes does).
enum class Measure { Characters, Columns };

using textlines::LineWidths;
constexpr int kWidestWrap = LineWidths::kWidest;

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
    qsizetype near = 0;  // lines about as wide as the wrap
    qsizetype lines = 0; // all lines of the text, blank ones too
};

LineWidths widthsOf(QStringView text, Measure measure)
{
    LineWidths widths;
    // Only a line's bounds and whether it is blank count here.
    for (qsizetype pos = 0; pos < text.size();) {
        Line l;
        l.begin = pos;
        l.end = textlines::lineEnd(text, pos);
        pos = textlines::nextLine(text, l.end);
        l.content = l.begin;
        while (l.content < l.end && isBlank(text[l.content]))
            ++l.content;
        widths.add(l.blank() ? 0 : widthOf(text, l, measure), l.blank());
    }
    return widths;
}

Wrap wrapOf(const LineWidths& widths, Measure measure)
{
    const auto& counts = widths.counts;
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
        return Wrap{.lines = widths.lines};
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
    const qsizetype nonBlank = widths.nonBlank;
    if (near < 3 || near * 3 < nonBlank || wider * 20 > nonBlank)
        return Wrap{.lines = widths.lines};
    return Wrap{width, measure, near, widths.lines};
}

// Counting characters is cheap: columns are counted only when characters
// show no clear wrap (one in two lines about as wide). `characters`: the
// text's widths in characters when already counted.
Wrap wrapOf(QStringView text, const LineWidths* characters)
{
    const Wrap byCharacters =
        wrapOf(characters ? *characters : widthsOf(text, Measure::Characters), Measure::Characters);
    if (byCharacters.width > 0 && byCharacters.near * 2 >= byCharacters.lines)
        return byCharacters;
    const Wrap byColumns = wrapOf(widthsOf(text, Measure::Columns), Measure::Columns);
    return byCharacters.near >= byColumns.near ? byCharacters : byColumns;
}

} // namespace

int wrapWidth(QStringView text) { return wrapOf(text, nullptr).width; }

QString tidyText(QStringView text, const QList<qsizetype>& headingStarts, const textlines::LineWidths* widths)
{
    const Wrap wrap = wrapOf(text, widths);
    // Lines are asked about in text order: the headings are walked along.
    qsizetype h = 0;
    const auto heading = [&](const Line& l) {
        while (h < headingStarts.size() && headingStarts[h] < l.begin)
            ++h;
        return h < headingStarts.size() && headingStarts[h] == l.begin;
    };
    // The last character of a line that is not blank, white space left out.
    const auto lastOf = [&](const Line& l) {
        qsizetype last = l.end;
        while (isBlank(text[last - 1]))
            --last;
        return text[last - 1];
    };
    const auto joins = [&](const Line& l, const Line* next) {
        return wrap.width > 0 && next && !next->blank() && widthOf(text, l, wrap.measure) >= wrap.width - 2 &&
               !isOneOf(kSentenceEnds, lastOf(l)) && next->content == next->begin && !heading(l) && !heading(*next) &&
               !isOneOf(kDialogueOpens, text[next->content]);
    };

    // Written straight into place: every line gives at most an indentation,
    // its own characters and a line end.
    QString out(text.size() + 4 * wrap.lines, Qt::Uninitialized);
    QChar* const start = out.data();
    QChar* at = start;
    const auto put = [&at](QStringView part) { at = std::copy(part.begin(), part.end(), at); };
    const auto putChars = [&](const Line& l) { put(text.sliced(l.content, l.end - l.content)); };
    bool previousBlank = false;
    LineReader lines(text);
    while (const Line* l = lines.next()) {
        if (l->blank()) {
            // One blank line for a run of them; their white space goes.
            if (!previousBlank && l->ended)
                put(kLineEnd);
            previousBlank = true;
            continue;
        }
        previousBlank = false;
        if (!heading(*l))
            put(kIndent);
        putChars(*l);
        while (joins(*l, lines.peek())) {
            l = lines.next();
            putChars(*l);
        }
        if (l->ended)
            put(kLineEnd);
    }
    out.truncate(at - start);
    return out;
}

} // namespace vamo
