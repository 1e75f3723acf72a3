// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: an open file as a byte source.

#include "text/ByteSource.h"

#include <QFile>

#include <memory>

namespace vamo::text_detail {

// Reads an open file piece by piece into a buffer of its own. The first
// piece is kept: the reading starts over from it at least once (after the
// look for a byte-order mark, and again when the text turns out not to be
// UTF-8), and taking it again from memory spares reading it from the file
// twice more. The file must outlive the source.
class FileSource final : public ByteSource {
public:
    explicit FileSource(QFile& file);

    std::optional<QByteArrayView> next() override;
    bool seek(qint64 pos) override;
    qint64 size() const override { return m_file.size(); }

private:
    // Reads up to `room` bytes, fewer only at the end of the file.
    std::optional<qsizetype> fill(char* to, qsizetype room);

    QFile& m_file;
    std::unique_ptr<char[]> m_buffer;
    std::unique_ptr<char[]> m_head;
    qsizetype m_headSize = 0;
    qint64 m_pos = 0; // where the next piece starts
};

} // namespace vamo::text_detail
