// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/LineSink.h"

#include <algorithm>

namespace vamo::text_detail {

LineSink::LineSink(QString& out, const TxtProgressFn& progress) : m_out(out), m_progress(progress) {}

void LineSink::feed(QStringView piece)
{
    const qsizetype n = piece.size();
    if (n == 0)
        return;
    qsizetype run = 0;
    if (m_skipLf) {
        m_skipLf = false;
        if (piece[0] == u'\n')
            run = 1;
    }
    // Text that needs no change (CR LF already) is copied in runs as
    // long as possible; only a lone CR breaks a run to gain its LF.
    for (;;) {
        const Scan scan = crLfLines(piece, run, m_out.size() - run);
        if (!scan.loneCr) {
            m_out.append(piece.sliced(run));
            if (scan.end < n)
                m_inLine = true;
            return;
        }
        m_out.append(piece.sliced(run, scan.end - run));
        run = scan.end;
        endLoneCr(run == n);
    }
}

void LineSink::takeInPlace(qsizetype at, char16_t* spare)
{
    qsizetype n = m_out.size();
    if (at == n)
        return;
    if (m_skipLf) {
        m_skipLf = false;
        if (m_out.at(at) == u'\n') {
            m_out.remove(at, 1); // the LF of a CR LF split between pieces
            if (at == --n)
                return;
        }
    }
    const QStringView text(m_out);
    const Scan scan = crLfLines(text, at, 0);
    if (!scan.loneCr) {
        if (scan.end < n)
            m_inLine = true;
        return;
    }
    const qsizetype rest = n - scan.end;
    std::copy(text.utf16() + scan.end, text.utf16() + n, spare);
    m_out.resize(scan.end);
    endLoneCr(rest == 0);
    feed(QStringView(spare, rest));
}

void LineSink::finish()
{
    if (m_inLine) {
        m_out.append(u"\r\n");
        endLine(m_out.size());
    }
}

void LineSink::restart()
{
    m_out.resize(0);
    m_quietThrough = qMax(m_quietThrough, m_lines);
    m_lines = 0;
    m_inLine = false;
    m_skipLf = false;
}

LineSink::Scan LineSink::crLfLines(QStringView text, qsizetype p, qsizetype shift)
{
    const qsizetype n = text.size();
    for (;;) {
        const qsizetype cr = text.indexOf(u'\r', p);
        if (cr < 0)
            return {p, false};
        if (cr + 1 == n || text[cr + 1] != u'\n')
            return {cr + 1, true};
        p = cr + 2;
        endLine(p + shift);
    }
}

void LineSink::endLoneCr(bool atPieceEnd)
{
    m_out.append(u'\n');
    m_skipLf = atPieceEnd;
    endLine(m_out.size());
}

void LineSink::endLine(qsizetype characters)
{
    m_inLine = false;
    ++m_lines;
    if (m_progress && m_lines % kTxtProgressLines == 0 && m_lines > m_quietThrough)
        m_progress(TxtProgress{m_lines, characters});
}

} // namespace vamo::text_detail
