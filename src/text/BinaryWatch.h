// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: telling a file that is plainly not text from
// a TXT file, as it is read.

#include "text/ByteSource.h"
#include "text/TxtReader.h"

namespace vamo::text_detail {

// Whether a piece is plainly not text: it holds a NUL or more than one
// control character in twenty (counted over at least `over` bytes, so that
// a short last piece is not judged on a handful of them). Text in any
// encoding read here has neither; archives, pictures and random bytes have
// both. UTF-16 is judged by its code units.
[[nodiscard]] bool looksBinary(QByteArrayView piece, TextEncoding encoding, qsizetype over = 0);

// Passes the pieces of a source on and judges each part of it the first
// time it passes: the first piece that is plainly not text ends the reading
// as a read error, so that the whole file is judged as it is read, not only
// its start. The source must outlive the watch.
class BinaryWatch final : public ByteSource {
public:
    // The source's bytes before `judgedThrough` have been judged already.
    BinaryWatch(ByteSource& source, TextEncoding encoding, qint64 judgedThrough);

    std::optional<QByteArrayView> next() override;
    bool seek(qint64 pos) override;
    qint64 size() const override { return m_source.size(); }
    // Whether the reading ended at a piece that is not text.
    [[nodiscard]] bool sawBinary() const { return m_binary; }

private:
    ByteSource& m_source;
    const TextEncoding m_encoding;
    qint64 m_judged; // the source's bytes before this have been judged
    qint64 m_pos = 0;
    bool m_binary = false;
};

} // namespace vamo::text_detail
