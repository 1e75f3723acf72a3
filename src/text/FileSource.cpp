// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/FileSource.h"

#include "text/TxtReader.h"

#include <cstring>

namespace vamo::text_detail {

FileSource::FileSource(QFile& file) : m_file(file), m_buffer(std::make_unique_for_overwrite<char[]>(kTxtChunkBytes)) {}

std::optional<QByteArrayView> FileSource::next()
{
    if (!m_head && m_pos == 0) {
        m_head = std::make_unique_for_overwrite<char[]>(kTxtChunkBytes);
        const std::optional<qsizetype> n = fill(m_head.get(), kTxtChunkBytes);
        if (!n)
            return std::nullopt;
        m_headSize = *n;
        m_pos = m_headSize;
        return QByteArrayView(m_head.get(), m_headSize);
    }
    qsizetype filled = 0;
    if (m_pos < m_headSize) {
        filled = m_headSize - m_pos;
        std::memcpy(m_buffer.get(), m_head.get() + m_pos, static_cast<std::size_t>(filled));
        m_pos = m_headSize;
        // A first piece short of a whole one was the whole file.
        if (m_headSize < kTxtChunkBytes)
            return QByteArrayView(m_buffer.get(), filled);
        if (!m_file.seek(m_headSize))
            return std::nullopt;
    }
    const std::optional<qsizetype> n = fill(m_buffer.get() + filled, kTxtChunkBytes - filled);
    if (!n)
        return std::nullopt;
    m_pos += *n;
    return QByteArrayView(m_buffer.get(), filled + *n);
}

bool FileSource::seek(qint64 pos)
{
    m_pos = pos;
    // Within the first piece the file is sought when the piece is left.
    return pos < m_headSize || m_file.seek(pos);
}

std::optional<qsizetype> FileSource::fill(char* to, qsizetype room)
{
    qsizetype filled = 0;
    while (filled < room) {
        const qint64 n = m_file.read(to + filled, room - filled);
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            break;
        filled += n;
    }
    return filled;
}

} // namespace vamo::text_detail
