// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/TextLines.h"
#include "model/Error.h"

#include <QList>
#include <QString>
#include <QStringView>

// Chapter detection: one TXT text (as the line reading gives it) becomes its
// ordered chapters. The chapters cover the text exactly: every character is
// in one chapter, in order, and a chapter starts at the beginning of its
// heading line, so the heading stays the first line of its text.
//
//   auto split = splitChapters(text);             // built-in heading rule
//   auto split = splitChapters(text, QStringLiteral("^卷.+"));  // the user's own rule
//   if (split && split->isSplit()) { ... chapterTexts(text, *split) ... }
//
// For detection a line ends at CR LF, CR or LF; the text itself is never
// changed.
namespace vamo {

// A heading line, trimmed, is at most this long.
inline constexpr qsizetype kHeadingMaxLength = 40;

struct ChapterSpan {
    QString name;        // one line, no control characters
    qsizetype begin = 0; // into the split text
    qsizetype length = 0;
    bool heading = false; // starts at a heading (false: the text before the first heading)
    qsizetype line = -1;  // where its heading line begins (after the title lines it took in); -1 without one
};

struct ChapterSplit {
    QList<ChapterSpan> chapters; // back to back, covering the whole text; empty only for an empty text
    int headings = 0;            // detected chapter headings (a volume heading and its chapter count once)
    int detected = 0;            // chapters before a merge for the chapter limit
    int groupSize = 1;           // chapters merged into one to fit the limit

    // Two or more headings: the text is worth splitting. With fewer, callers
    // keep it as one chapter named as they always name it.
    [[nodiscard]] bool isSplit() const { return headings >= 2; }
    [[nodiscard]] bool merged() const { return groupSize > 1; }
};

// The number a heading's numerals stand for: ASCII or full-width digits,
// Chinese numerals with units (一百零一, 一百一 and 一百〇一 are 101, 二十,
// 廿三), digit by digit (一零一, 一〇一) or financial (壹佰零壹), simplified
// or traditional; -1 when they are none of these.
[[nodiscard]] int chapterNumber(QStringView numerals);

// Longest a user rule may take to search one line of kHeadingMaxLength
// characters; a rule that backtracks without bound takes far longer.
inline constexpr qint64 kPatternBudgetMicroseconds = 2000;

// A user rule that cannot be used is an error "章节标题规则无效：…": one that
// is no regular expression, or one that takes longer than the budget on one
// of the test lines it is tried on.
[[nodiscard]] Result<void> checkChapterPattern(const QString& pattern);

// Splits `text` at its chapter headings. An empty `pattern` is the built-in
// rule: lines starting with 第 + number + 章回节卷部篇集幕 (any form of
// chapterNumber, spaces allowed around it), 卷 + number, 序 序章 序言 楔子 引子
// 前言 后记 尾声 番外 (simplified or traditional), or "Chapter N", each
// optionally followed by a title. A user pattern
// (a regular expression searched in the trimmed line) replaces that rule.
// Either way a heading line is at most kHeadingMaxLength characters long when
// trimmed, and these are not headings:
//   - a line that continues a paragraph: the line before it is not blank and
//     ends in a lead-in (：，“ …) or runs on (30 characters or more without a
//     closing punctuation mark; 15 when the candidate's words follow 第N章
//     without a space or mark, as a sentence's would);
//   - a line that ends a clause or sentence (，、；。) or closes a quotation it
//     did not open (dialogue);
//   - a repetition of the heading just before it, with only blank lines
//     between them.
// The number sequence is evidence too: a 第N章 heading whose title is set off
// from its number and whose number continues the sequence (the first of the
// file, the last of its unit + 1, 1 again after a volume heading, or the same
// number as a part 上/中/下) starts a chapter even after a paragraph's line;
// longer than kHeadingMaxLength, or ending a clause, it is a heading run
// together with its first paragraph, named by its heading part alone (up to
// the first sentence mark, a paragraph's indentation or about 30 characters).
// A number that jumps is held to the rules above.
// Then:
//   - a volume heading (第N卷/部/篇/集) with nothing but blank lines before the
//     next heading joins it: one chapter named "第一卷 … 第一章 …";
//   - two or more headings at the top of the text with only blank lines
//     between them (a table of contents) start no chapters;
//   - the text before the first heading joins the first chapter when it is
//     blank or a title line or two; longer, it is a chapter of its own named
//     by its first non-blank line.
// Chapter names are the trimmed heading lines, control characters made
// spaces. Fails only for a pattern that checkChapterPattern refuses.
// `widths`, when given, gets the width in characters of every line on the way.
[[nodiscard]] Result<ChapterSplit> splitChapters(QStringView text, const QString& pattern = {},
                                                 textlines::LineWidths* widths = nullptr);

// The smallest number of consecutive chapters to merge into one so that
// files of `counts` chapters each fit into `room` chapters (1 when they fit as
// they are); 0 when even one chapter per file does not fit.
[[nodiscard]] int mergeGroupSize(const QList<qsizetype>& counts, qsizetype room);

// Merges every `groupSize` consecutive chapters into one (the last group may
// be smaller), named after its first heading. Sets `groupSize`.
void mergeChapters(ChapterSplit& split, int groupSize);

// What the user is told after a merge: "检测到1200章，超过上限1000章，已每2章
// 合并为一章，共600章".
[[nodiscard]] QString mergeNotice(int detected, int limit, int groupSize, int chapters);

struct Chapter {
    QString name;
    QString text;
};

// The chapters' texts, cut from the text that was split.
[[nodiscard]] QList<Chapter> chapterTexts(QStringView text, const ChapterSplit& split);

// A line made fit to be a chapter name: control characters and line breaks
// become spaces, the ends are trimmed.
[[nodiscard]] QString cleanChapterName(QStringView line);

} // namespace vamo
