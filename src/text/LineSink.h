// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: the line handling of the TXT reader.

#include "text/TxtReader.h"

#include <QString>
#include <QStringView>

namespace vamo::text_detail {

// Collects decoded text line by line: CR and CR LF end a line and become
// CR LF, a lone LF stays where it is. Text comes in pieces; a CR at the end
// of one piece and an LF at the start of the next are one line end. The
// output and the progress function must outlive the sink.
class LineSink {
public:
    LineSink(QString& out, const TxtProgressFn& progress);
    LineSink(const LineSink&) = delete;
    LineSink& operator=(const LineSink&) = delete;

    // Appends a piece of decoded text.
    void feed(QStringView piece);

    // Takes the text from `at` to the end, decoded straight into the output,
    // as if it had been fed. Text with CR LF line ends stays where it is; at
    // a lone CR the rest of it is moved out to `spare` (room for all of it)
    // and fed from there, which makes room for the LFs.
    void takeInPlace(qsizetype at, char16_t* spare);

    // The last line needs no line end of its own to count.
    void finish();

    [[nodiscard]] qint64 lines() const { return m_lines; }

    // Starts the text over, from the first line; lines reported already
    // are not reported again.
    void restart();

private:
    struct Scan {
        qsizetype end; // just past the last line end found, a lone CR included
        bool loneCr;   // the scan stopped at one
    };

    // Counts the lines of `text` from `p` on that end in CR LF, as they
    // stand `shift` characters further on in the output, up to the first
    // lone CR.
    Scan crLfLines(QStringView text, qsizetype p, qsizetype shift);
    // The output ends in a lone CR: it gains its LF. At the end of a piece
    // the next piece may begin with that LF.
    void endLoneCr(bool atPieceEnd);
    // A line has ended; the text up to its line end is `characters` long.
    void endLine(qsizetype characters);

    QString& m_out;
    const TxtProgressFn& m_progress;
    qint64 m_lines = 0;
    qint64 m_quietThrough = 0;
    bool m_inLine = false; // characters after the last line end
    bool m_skipLf = false; // the previous piece ended in CR
};

} // namespace vamo::text_detail
