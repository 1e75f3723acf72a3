// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Internal to the text layer: bytes already in memory as a byte source.

#include "text/ByteSource.h"
#include "text/TxtReader.h"

namespace vamo::text_detail {

// The bytes are only viewed: they must outlive the source.
class MemorySource final : public ByteSource {
public:
    explicit MemorySource(QByteArrayView bytes) : m_bytes(bytes) {}

    std::optional<QByteArrayView> next() override
    {
        const QByteArrayView piece = m_bytes.sliced(m_pos, qMin(kTxtChunkBytes, m_bytes.size() - m_pos));
        m_pos += piece.size();
        return piece;
    }
    bool seek(qint64 pos) override
    {
        m_pos = qBound<qsizetype>(0, pos, m_bytes.size());
        return true;
    }
    qint64 size() const override { return m_bytes.size(); }

private:
    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
};

} // namespace vamo::text_detail
