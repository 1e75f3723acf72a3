// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/Cp936.h"

#include "text/TextDetail.h"

#include <QChar>

#include <array>
#include <atomic>
#include <cstring>
#include <memory>

namespace vamo::text_detail {

Converter openConverter(const char* name)
{
    UErrorCode status = U_ZERO_ERROR;
    Converter converter(ucnv_open(name, &status));
    if (U_FAILURE(status))
        return {};
    return converter;
}

namespace {

// Marks a lead byte in the single-byte table, and in the pair table a trail
// byte that cannot follow a lead: the lead alone becomes U+FFFD and the
// byte is read again on its own.
constexpr char16_t leadMark = 0xFFFF;
constexpr char16_t retryMark = 0xFFFF;
constexpr int firstLead = 0x81;
constexpr int leadCount = 0xFF - firstLead;

struct DecodeTables {
    std::array<char16_t, 256> single{};
    std::array<char16_t, leadCount * 256> pairs{};
};

DecodeTables buildDecodeTables()
{
    DecodeTables t;
    for (int b = 0; b < 256; ++b)
        t.single[b] = b < 0x80 ? static_cast<char16_t>(b) : char16_t(QChar::ReplacementCharacter);
    t.pairs.fill(retryMark);

    Converter converter = openConverter(cp936Name);
    if (!converter)
        return t; // only ASCII can be trusted then
    auto probe = [&](const char* bytes, int length, UChar* out) {
        UErrorCode status = U_ZERO_ERROR;
        const int32_t n = ucnv_toUChars(converter.get(), out, 4, bytes, length, &status);
        return U_SUCCESS(status) ? n : -1;
    };
    UChar out[4];
    for (int b = 0x80; b < 256; ++b) {
        const char single = static_cast<char>(b);
        if (probe(&single, 1, out) == 1 && out[0] != QChar::ReplacementCharacter) {
            t.single[b] = out[0];
            continue;
        }
        if (b < firstLead || b == 0xFF)
            continue; // an invalid byte: U+FFFD
        t.single[b] = leadMark;
        for (int trail = 0; trail < 256; ++trail) {
            const char pair[2] = {single, static_cast<char>(trail)};
            const int32_t n = probe(pair, 2, out);
            // One unit: the pair's character (or U+FFFD for an unassigned
            // pair, both bytes used). Otherwise the lead alone was invalid.
            if (n == 1 && out[0] != retryMark)
                t.pairs[(b - firstLead) * 256 + trail] = out[0];
        }
    }
    return t;
}

const DecodeTables& decodeTables()
{
    static const DecodeTables tables = buildDecodeTables();
    return tables;
}

// Whether the bytes from q on, which follow a lead byte, go on as a GB18030
// four-byte sequence: digit, lead byte, digit. Bytes past `end` (the next
// piece) are taken to fit.
bool continuesFourByte(const quint8* q, const quint8* end)
{
    auto digit = [](quint8 b) { return b >= 0x30 && b <= 0x39; };
    return digit(q[0]) && (q + 1 >= end || (q[1] >= 0x81 && q[1] <= 0xFE)) && (q + 2 >= end || digit(q[2]));
}

} // namespace

qsizetype Cp936Decoder::decode(QByteArrayView in, char16_t* out, bool last)
{
    const DecodeTables& t = decodeTables();
    const auto* p = reinterpret_cast<const quint8*>(in.data());
    const auto* const end = p + in.size();
    char16_t* o = out;
    if (m_pendingLead >= 0 && p < end) {
        const char16_t c = t.pairs[(m_pendingLead - firstLead) * 256 + *p];
        m_pendingLead = -1;
        if (c == retryMark) {
            m_fourByte = m_fourByte || continuesFourByte(p, end);
            *o++ = QChar::ReplacementCharacter;
        } else {
            *o++ = c;
            ++p;
        }
    }
    while (p < end) {
        const quint8 b = *p;
        // The common case first: a lead byte and a trail that pairs with it.
        if (quint8(b - firstLead) < leadCount && p + 1 < end) {
            const char16_t c = t.pairs[(b - firstLead) * 256 + p[1]];
            if (c != retryMark) {
                *o++ = c;
                p += 2;
                continue;
            }
        }
        if (b < 0x80) {
            // Chinese text has ASCII mostly in its line ends: runs are
            // looked for only where one begins.
            copyAsciiRun(p, end, o);
            while (p < end && *p < 0x80)
                *o++ = *p++;
            continue;
        }
        const char16_t s = t.single[b];
        if (s != leadMark) {
            *o++ = s;
            ++p;
        } else if (p + 1 == end) {
            m_pendingLead = b;
            ++p;
        } else {
            // Every lead byte lies in the range tried first, so its trail
            // is one that does not pair: the lead alone is U+FFFD.
            m_fourByte = m_fourByte || continuesFourByte(p + 1, end);
            *o++ = QChar::ReplacementCharacter;
            ++p;
        }
    }
    if (last && m_pendingLead >= 0) {
        *o++ = QChar::ReplacementCharacter;
        m_pendingLead = -1;
    }
    return o - out;
}

} // namespace vamo::text_detail

namespace vamo::cp936 {

namespace {

text_detail::Converter openEncoder();
quint16 encodeOne(UConverter* converter, char16_t c);

} // namespace
} // namespace vamo::cp936

namespace vamo::text_detail {

quint16 cp936CodeWithoutTable(char16_t c)
{
    if (c < 0x80)
        return c;
    const Converter converter = cp936::openEncoder();
    return converter ? cp936::encodeOne(converter.get(), c) : cp936::kMissingCode;
}

} // namespace vamo::text_detail

namespace vamo::cp936 {

namespace {

using CodeTable = std::array<quint16, 0x10000>;

// A converter that stops at a character without a code instead of
// substituting, so that such a character is seen as one.
text_detail::Converter openEncoder()
{
    text_detail::Converter converter = text_detail::openConverter(text_detail::cp936Name);
    if (converter) {
        UErrorCode status = U_ZERO_ERROR;
        ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &status);
    }
    return converter;
}

// The code of a character from 0x80 on, through `converter`.
quint16 encodeOne(UConverter* converter, char16_t c)
{
    if (c >= 0xD800 && c <= 0xDFFF)
        return kMissingCode; // half of a surrogate pair: no code of its own
    const UChar unit = static_cast<UChar>(c);
    char out[8];
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = ucnv_fromUChars(converter, out, sizeof out, &unit, 1, &status);
    // ICU drops default-ignorable characters without a code silently
    // (success, no bytes); they stay '?' like any other such character.
    if (U_FAILURE(status) || n < 1 || n > 2)
        return kMissingCode;
    const auto lead = static_cast<quint8>(out[0]);
    return n == 1 ? lead : static_cast<quint16>(lead * 256 + static_cast<quint8>(out[1]));
}

std::atomic<bool> tableBuilt{false};

CodeTable buildCodeTable()
{
    CodeTable table;
    table.fill(kMissingCode);
    for (char16_t c = 0; c < 0x80; ++c)
        table[c] = c; // also what is left when ICU is missing

    text_detail::Converter converter = openEncoder();
    if (!converter)
        return table;
    for (char32_t c = 0x80; c < 0x10000; ++c)
        table[c] = encodeOne(converter.get(), static_cast<char16_t>(c));
    return table;
}

const CodeTable& codeTable()
{
    static const CodeTable table = buildCodeTable();
    tableBuilt.store(true, std::memory_order_release);
    return table;
}

// Building the table takes about 10 ms; a program that asks for a few
// characters' codes (a name checked, a manifest written) asks ICU for each
// instead, and the table is built once a text is encoded or many codes are
// asked for.
constexpr int kCodesWithoutTable = 2048;
std::atomic<int> codesWithoutTable{0};

} // namespace

quint16 code(char16_t c)
{
    if (c < 0x80)
        return c;
    if (!tableBuilt.load(std::memory_order_acquire) &&
        codesWithoutTable.fetch_add(1, std::memory_order_relaxed) < kCodesWithoutTable)
        return text_detail::cp936CodeWithoutTable(c);
    return codeTable()[c];
}

bool isChinese(char16_t c)
{
    unsigned v = code(c);
    while (v > 0xF)
        v >>= 4;
    return v >= 0xB;
}

QString decode(QByteArrayView bytes)
{
    // Piece by piece through a small buffer; once the first piece shows how
    // many characters a byte makes, the text gets its room in one go.
    constexpr qsizetype pieceBytes = 64 * 1024;
    const auto buffer = std::make_unique<char16_t[]>(pieceBytes + 1);
    text_detail::Cp936Decoder decoder;
    QString result;
    for (qsizetype pos = 0; pos < bytes.size(); pos += pieceBytes) {
        const QByteArrayView piece = bytes.sliced(pos, qMin(pieceBytes, bytes.size() - pos));
        const bool last = pos + piece.size() == bytes.size();
        result.append(reinterpret_cast<const QChar*>(buffer.get()), decoder.decode(piece, buffer.get(), last));
        if (pos == 0 && !last) {
            const double perByte = static_cast<double>(result.size()) / static_cast<double>(piece.size());
            result.reserve(static_cast<qsizetype>(perByte * 1.04 * static_cast<double>(bytes.size())) + 16);
        }
    }
    if (result.capacity() - result.size() > result.size() / 16)
        result.squeeze();
    return result;
}

QByteArray encode(QStringView text)
{
    const CodeTable& table = codeTable();
    QByteArray result;
    result.reserve(text.size() * 2);
    for (QChar ch : text) {
        const quint16 c = table[ch.unicode()];
        if (c > 0xFF)
            result.append(static_cast<char>(c >> 8));
        result.append(static_cast<char>(c & 0xFF));
    }
    return result;
}

} // namespace vamo::cp936
