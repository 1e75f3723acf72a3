// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "intake/TextLines.h"

#include <QList>
#include <QString>
#include <QStringView>

// "整理排版": a TXT text laid out to read well on a phone. Lines that were
// hard-wrapped inside a paragraph are joined, runs of blank lines become
// one, and every paragraph starts with two full-width spaces. Nothing but
// line breaks and leading white space changes: the text's other characters
// stay, in their order.
namespace vamo {

// The width at which the text's lines were wrapped, taken from the text's
// own line lengths: the most common width of the longer lines, when a good
// share of all lines has about that width and hardly any is longer. Widths
// are counted in characters or in columns (an ASCII character one, any
// other two, as a wrap at a number of bytes counts), whichever shows the
// wrap more clearly. 0 when the text was not wrapped.
[[nodiscard]] int wrapWidth(QStringView text);

// The text tidied. `headingStarts` are where its heading lines begin (the
// chapter detection's): a heading is never joined with a line next to it and
// is not indented. A line is joined with the next when the text was wrapped,
// the line is about as wide as the wrap and does not end a sentence, and the
// next one does not start a paragraph (no indentation, no heading, no
// dialogue's opening mark). Poetry and short dialogue lines, narrower than
// the wrap, stay as they are. Line ends come out as CR LF; a text that did
// not end in a line end still does not. `widths`: the text's line widths in
// characters when another pass over its lines has counted them already.
[[nodiscard]] QString tidyText(QStringView text, const QList<qsizetype>& headingStarts = {},
                               const textlines::LineWidths* widths = nullptr);

} // namespace vamo
