// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TxtRead.h"

#include "text/IcuDecoder.h"
#include "text/LegacyEvidence.h"
#include "text/TextDetail.h"
#include "text/Utf8Decoder.h"

#include <algorithm>

namespace vamo::text_detail {

namespace {

// Gives up (returns -1) at the first GB18030 four-byte sequence: such text
// is read again as GB18030. Code page 936 text never holds one (a digit
// cannot follow a lead byte there).
class Cp936PieceDecoder {
public:
    static constexpr qsizetype maxUnits(qsizetype pieceBytes) { return pieceBytes + 1; }
    qsizetype decode(QByteArrayView piece, char16_t* out, bool last)
    {
        const qsizetype units = m_decoder.decode(piece, out, last);
        return m_decoder.sawFourByteSequence() ? -1 : units;
    }

private:
    Cp936Decoder m_decoder;
};

// Room for the decoded text of one piece, whatever the decoder.
constexpr qsizetype kMaxPieceUnits = kTxtChunkBytes + 4;
static_assert(Utf8Decoder::maxUnits(kTxtChunkBytes) <= kMaxPieceUnits &&
              Cp936PieceDecoder::maxUnits(kTxtChunkBytes) <= kMaxPieceUnits &&
              IcuDecoder::maxUnits(kTxtChunkBytes) <= kMaxPieceUnits);

// Pieces weighed at most for Big5 against code page 936 while the evidence is close.
constexpr int kEvidencePieces = 16;

// ICU's converter for the encodings it decodes here.
const char* icuName(TextEncoding encoding)
{
    switch (encoding) {
    case TextEncoding::Utf16BE:
        return "UTF-16BE";
    case TextEncoding::Big5:
        return "windows-950";
    case TextEncoding::Big5Hkscs:
        return "Big5-HKSCS";
    case TextEncoding::Gb18030:
        return "gb18030";
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf8:
    case TextEncoding::Cp936:
        break;
    }
    return "UTF-16LE";
}

} // namespace

ByteOrderMark byteOrderMark(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (bytes.startsWith("\xFF\xFE"))
        return {TextEncoding::Utf16LE, 2};
    if (bytes.startsWith("\xFE\xFF"))
        return {TextEncoding::Utf16BE, 2};
    return {TextEncoding::Cp936, 0};
}

TxtRead::TxtRead(ByteSource& source, const TxtProgressFn& progress, const ByteOrderMark& bom, qint64 bytes)
    : m_source(source), m_bom(bom), m_bytes(bytes), m_sink(m_result.text, progress),
      m_buffer(std::make_unique_for_overwrite<char16_t[]>(kMaxPieceUnits))
{
    m_result.encoding = bom.encoding;
}

std::expected<TxtText, ReadFailure> TxtRead::run()
{
    if (decodeText() != Outcome::Done)
        return std::unexpected(ReadFailure::Unreadable);
    m_sink.finish();
    m_result.lines = m_sink.lines();
    // Text unlike its first piece may leave much room unused.
    if (m_result.text.capacity() - m_result.text.size() > m_result.text.size() / 16)
        m_result.text.squeeze();
    return std::move(m_result);
}

// Decodes the source to its end. The first piece goes through the buffer;
// the text gets its room then, once that piece shows how many characters a
// byte makes here: enough for all of it in one piece of memory, with little
// left over. Later pieces are decoded straight into the text.
template <class Decoder>
TxtRead::Outcome TxtRead::decode(Decoder& decoder)
{
    QString& text = m_result.text;
    char16_t* const buffer = m_buffer.get();
    for (bool first = true;; first = false) {
        const std::optional<QByteArrayView> piece = m_source.next();
        if (!piece)
            return Outcome::ReadError;
        const bool last = piece->size() < kTxtChunkBytes;
        if (first) {
            const qsizetype units = decoder.decode(*piece, buffer, last);
            if (units < 0)
                return Outcome::NotThis;
            if (piece->size() > 0) {
                const double perByte = static_cast<double>(units) / static_cast<double>(piece->size());
                text.reserve(static_cast<qsizetype>(perByte * 1.04 * static_cast<double>(m_bytes)) + 64);
            }
            m_sink.feed(QStringView(buffer, units));
        } else {
            const qsizetype at = text.size();
            if (text.capacity() - at < kMaxPieceUnits) // text unlike its first piece
                text.reserve(std::max(at + kMaxPieceUnits, text.capacity() / 2 * 3));
            text.resize(at + kMaxPieceUnits); // not cleared: the decoder writes it
            const qsizetype units = decoder.decode(*piece, reinterpret_cast<char16_t*>(text.data()) + at, last);
            text.resize(at + std::max<qsizetype>(units, 0));
            if (units < 0)
                return Outcome::NotThis;
            m_sink.takeInPlace(at, buffer);
        }
        if (last)
            return Outcome::Done;
    }
}

TxtRead::Outcome TxtRead::decodeText()
{
    Outcome outcome = Outcome::Done;
    switch (m_bom.length > 0 ? m_bom.encoding : TextEncoding::Utf8) {
    case TextEncoding::Utf8: {
        // Without a mark: read as UTF-8 unless the bytes show it is not
        // (code page 936 text mostly does so within its first characters),
        // then start over as code page 936. ASCII alone counts as code page
        // 936.
        Utf8Decoder decoder(/*judging=*/m_bom.length == 0);
        outcome = decode(decoder);
        if (outcome == Outcome::Done && m_bom.length == 0 && !decoder.readsAsUtf8())
            outcome = Outcome::NotThis; // too damaged for UTF-8, found at the end
        m_result.encoding = m_bom.length > 0 || decoder.sawNonAscii() ? TextEncoding::Utf8 : TextEncoding::Cp936;
        if (outcome != Outcome::NotThis)
            break;
        if (!startOver(TextEncoding::Cp936))
            return Outcome::ReadError;
        [[fallthrough]];
    }
    case TextEncoding::Cp936: {
        // Big5 only when it reads as Chinese far better than code page 936.
        const std::optional<TextEncoding> legacy = weighBig5();
        if (!legacy)
            return Outcome::ReadError;
        if (*legacy != TextEncoding::Cp936) {
            if (!startOver(*legacy))
                return Outcome::ReadError;
            IcuDecoder decoder(icuName(*legacy));
            outcome = decode(decoder);
            break;
        }
        // Plain code page 936 through the tables, unless a GB18030 four-byte
        // sequence turns up: then the whole text is GB18030.
        Cp936PieceDecoder decoder;
        outcome = decode(decoder);
        if (outcome != Outcome::NotThis)
            break;
        if (!startOver(TextEncoding::Gb18030))
            return Outcome::ReadError;
        [[fallthrough]];
    }
    case TextEncoding::Gb18030: {
        IcuDecoder decoder("gb18030");
        outcome = decode(decoder);
        break;
    }
    case TextEncoding::Utf16LE:
    case TextEncoding::Utf16BE:
    case TextEncoding::Big5:
    case TextEncoding::Big5Hkscs: {
        IcuDecoder decoder(icuName(m_bom.encoding));
        outcome = decode(decoder);
        break;
    }
    }
    return outcome;
}

// Scores the text's first piece as code page 936 and as Big5, and more
// pieces (up to kEvidencePieces) while the two are close; then starts the
// source over. Code page 936 unless Big5 is clearly better.
std::optional<TextEncoding> TxtRead::weighBig5()
{
    LegacyEvidence evidence;
    LegacyEvidence::Verdict verdict = LegacyEvidence::Verdict::Close;
    for (int piece = 0; piece < kEvidencePieces && verdict == LegacyEvidence::Verdict::Close; ++piece) {
        const std::optional<QByteArrayView> bytes = m_source.next();
        if (!bytes)
            return std::nullopt;
        const bool last = bytes->size() < kTxtChunkBytes;
        evidence.feed(*bytes, last);
        verdict = evidence.verdict();
        if (last)
            break;
    }
    if (!m_source.seek(0))
        return std::nullopt;
    switch (verdict) {
    case LegacyEvidence::Verdict::Big5:
        return TextEncoding::Big5;
    case LegacyEvidence::Verdict::Big5Hkscs:
        return TextEncoding::Big5Hkscs;
    case LegacyEvidence::Verdict::Cp936:
    case LegacyEvidence::Verdict::Close:
        break;
    }
    return TextEncoding::Cp936;
}

bool TxtRead::startOver(TextEncoding next)
{
    m_result.encoding = next;
    m_sink.restart();
    return m_source.seek(0);
}

} // namespace vamo::text_detail
