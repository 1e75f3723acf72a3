// SPDX-License-Identifier: GPL-3.0-or-later
#include "text/TxtReader.h"

#include "text/FileNames.h"
#include "text/LegacyEvidence.h"
#include "text/OpenRegularFile.h"
#include "text/TextDetail.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <expected>

#include <cstring>
#include <memory>
#include <new>
#include <optional>

using namespace Qt::StringLiterals;

namespace vamo {

namespace {

// ---------------------------------------------------------------------------
// Where the bytes come from: memory or a file, piece by piece. Every piece
// but the last is kTxtChunkBytes long; an empty piece means the end.

class ByteSource {
public:
    virtual ~ByteSource() = default;
    // The next piece, valid until the next call; nothing on a read error.
    virtual std::optional<QByteArrayView> next() = 0;
    // Starts again at byte `pos`.
    virtual bool seek(qint64 pos) = 0;
    virtual qint64 size() const = 0;
};

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

// The first piece is kept: the reading starts over from it at least once
// (after the look for a byte-order mark, and again when the text turns out
// not to be UTF-8), and taking it again from memory spares reading it from
// the file twice more.
class FileSource final : public ByteSource {
public:
    explicit FileSource(QFile& file) : m_file(file), m_buffer(std::make_unique_for_overwrite<char[]>(kTxtChunkBytes)) {}
    std::optional<QByteArrayView> next() override
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
    bool seek(qint64 pos) override
    {
        m_pos = pos;
        // Within the first piece the file is sought when the piece is left.
        return pos < m_headSize || m_file.seek(pos);
    }
    qint64 size() const override { return m_file.size(); }

private:
    // Reads up to `room` bytes, fewer only at the end of the file.
    std::optional<qsizetype> fill(char* to, qsizetype room)
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

    QFile& m_file;
    std::unique_ptr<char[]> m_buffer;
    std::unique_ptr<char[]> m_head;
    qsizetype m_headSize = 0;
    qint64 m_pos = 0; // where the next piece starts
};

// ---------------------------------------------------------------------------
// Byte-order marks.

struct Bom {
    TextEncoding encoding;
    qsizetype length;
};

Bom byteOrderMark(QByteArrayView bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return {TextEncoding::Utf8, 3};
    if (bytes.startsWith("\xFF\xFE"))
        return {TextEncoding::Utf16LE, 2};
    if (bytes.startsWith("\xFE\xFF"))
        return {TextEncoding::Utf16BE, 2};
    return {TextEncoding::Cp936, 0};
}

// ---------------------------------------------------------------------------
// UTF-8.

bool isContinuation(quint8 b) { return (b & 0xC0) == 0x80; }

// Length of the sequence that lead byte `b` starts; 1 for a byte that
// starts none.
int sequenceLength(quint8 b)
{
    if (b >= 0xC0 && b < 0xE0)
        return 2;
    if (b >= 0xE0 && b < 0xF0)
        return 3;
    if (b >= 0xF0 && b < 0xF8)
        return 4;
    return 1;
}

// How many bytes at the end of `bytes` begin a sequence that goes on past
// it (0 when the last sequence is complete or no sequence at all).
qsizetype openTail(QByteArrayView bytes)
{
    for (qsizetype k = 1; k <= 3 && k <= bytes.size(); ++k) {
        const auto b = static_cast<quint8>(bytes[bytes.size() - k]);
        if (!isContinuation(b))
            return sequenceLength(b) > k ? k : 0;
    }
    return 0;
}

bool isAscii(QByteArrayView bytes)
{
    const auto* p = reinterpret_cast<const quint8*>(bytes.data());
    const auto* const end = p + bytes.size();
    for (; end - p >= 8; p += 8) {
        quint64 word;
        std::memcpy(&word, p, 8);
        if (word & 0x8080808080808080ULL)
            return false;
    }
    for (; p < end; ++p) {
        if (*p & 0x80)
            return false;
    }
    return true;
}

// Decodes UTF-8 piece by piece. Each maximal part of an invalid sequence
// becomes one U+FFFD; a sequence cut off by the end of the text as well.
// A judging decoder (for text without byte-order mark) also weighs whether
// the text is UTF-8 at all: it counts the valid multi-byte sequences against
// the invalid parts, and gives up (returns -1) as soon as the invalid ones
// are plainly too many. Code page 936 text has more invalid parts than valid
// sequences (a double-byte code only now and then happens to be a valid
// two-byte sequence); UTF-8 with a few damaged bytes has very few.
class Utf8Decoder {
public:
    explicit Utf8Decoder(bool judging) : m_judging(judging) {}
    static constexpr qsizetype maxUnits(qsizetype pieceBytes) { return pieceBytes + 4; }
    // Whether any byte so far was not ASCII.
    bool sawNonAscii() const { return m_nonAscii; }
    // Whether the text read so far is UTF-8, damaged places aside. A
    // sequence cut off by the end of the text is no evidence either way.
    bool readsAsUtf8() const { return m_invalid == 0 || m_valid >= kValidPerInvalid * m_invalid; }

    qsizetype decode(QByteArrayView piece, char16_t* out, bool last)
    {
        char16_t* o = out;
        qsizetype start = 0;
        if (m_carryLength > 0) {
            // The sequence the previous piece began, with what follows it
            // (every piece but the last is long enough to finish it).
            char joined[8];
            std::memcpy(joined, m_carry, m_carryLength);
            const qsizetype taken = qMin<qsizetype>(piece.size(), 4);
            std::memcpy(joined + m_carryLength, piece.data(), taken);
            const auto* const begin = reinterpret_cast<const quint8*>(joined);
            const quint8* p = begin;
            const quint8* const end = begin + m_carryLength + taken;
            while (p - begin < m_carryLength)
                p = decodeOne(p, end, o);
            start = (p - begin) - m_carryLength;
            m_carryLength = 0;
        }
        const QByteArrayView rest = piece.sliced(start);
        const qsizetype tail = last ? 0 : openTail(rest);
        o = decodeRun(rest.first(rest.size() - tail), o);
        std::memcpy(m_carry, rest.data() + rest.size() - tail, tail);
        m_carryLength = static_cast<int>(tail);
        m_nonAscii = m_nonAscii || tail > 0;
        return givenUp() ? -1 : o - out;
    }

private:
    // Valid multi-byte sequences needed per invalid part for UTF-8, and the
    // invalid parts after which a judging decoder may give up early.
    static constexpr qint64 kValidPerInvalid = 4;
    static constexpr qint64 kGiveUpAfter = 32;

    bool givenUp() const { return m_judging && m_invalid >= kGiveUpAfter && !readsAsUtf8(); }

    char16_t* decodeRun(QByteArrayView bytes, char16_t* o)
    {
        const auto* p = reinterpret_cast<const quint8*>(bytes.data());
        const auto* const end = p + bytes.size();
        while (p < end) {
            text_detail::copyAsciiRun(p, end, o);
            if (p == end)
                break;
            const quint8 b = *p;
            if (b < 0x80) {
                *o++ = b;
                ++p;
            } else if ((b & 0xF0) == 0xE0 && b != 0xE0 && b != 0xED && end - p >= 3 && isContinuation(p[1]) &&
                       isContinuation(p[2])) {
                // Chinese characters and punctuation: three bytes, no special
                // case (E0 and ED have narrower second bytes).
                *o++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
                p += 3;
                ++m_valid;
                m_nonAscii = true;
            } else {
                p = decodeOne(p, end, o);
                m_nonAscii = true;
                if (givenUp())
                    return o; // not UTF-8: the caller starts over
            }
        }
        return o;
    }

    // Decodes the sequence at p (p < end) into o; returns where the next
    // one starts.
    const quint8* decodeOne(const quint8* p, const quint8* end, char16_t*& o)
    {
        const quint8 b = p[0];
        const qsizetype left = end - p;
        auto inRange = [&](qsizetype i, quint8 low, quint8 high) { return i < left && p[i] >= low && p[i] <= high; };
        // The sequence is invalid after `used` bytes; when those are all
        // that is left, the text ends inside it (a sequence that goes on past
        // a piece never gets here).
        auto invalid = [&](qsizetype used) {
            if (used < left)
                ++m_invalid;
            *o++ = QChar::ReplacementCharacter;
            return p + used;
        };
        if (b < 0x80) {
            *o++ = b;
            return p + 1;
        }
        if (b >= 0xC2 && b <= 0xDF) {
            if (!inRange(1, 0x80, 0xBF))
                return invalid(1);
            *o++ = static_cast<char16_t>(((b & 0x1F) << 6) | (p[1] & 0x3F));
            ++m_valid;
            return p + 2;
        }
        if (b >= 0xE0 && b <= 0xEF) {
            const quint8 low = b == 0xE0 ? 0xA0 : 0x80;
            const quint8 high = b == 0xED ? 0x9F : 0xBF;
            if (!inRange(1, low, high))
                return invalid(1);
            if (!inRange(2, 0x80, 0xBF))
                return invalid(2);
            *o++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            ++m_valid;
            return p + 3;
        }
        if (b >= 0xF0 && b <= 0xF4) {
            const quint8 low = b == 0xF0 ? 0x90 : 0x80;
            const quint8 high = b == 0xF4 ? 0x8F : 0xBF;
            if (!inRange(1, low, high))
                return invalid(1);
            if (!inRange(2, 0x80, 0xBF))
                return invalid(2);
            if (!inRange(3, 0x80, 0xBF))
                return invalid(3);
            const char32_t c = ((b & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
            *o++ = QChar::highSurrogate(c);
            *o++ = QChar::lowSurrogate(c);
            ++m_valid;
            return p + 4;
        }
        ++m_invalid; // not a lead byte, never a cut
        *o++ = QChar::ReplacementCharacter;
        return p + 1;
    }

    char m_carry[8] = {};
    int m_carryLength = 0;
    bool m_judging;
    qint64 m_valid = 0;
    qint64 m_invalid = 0;
    bool m_nonAscii = false;
};

// ---------------------------------------------------------------------------
// Code page 936, GB18030 and UTF-16, behind the same face as the UTF-8
// decoder.

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
    text_detail::Cp936Decoder m_decoder;
};

// GB18030 and UTF-16 go through ICU's stateful converters, which turn
// invalid bytes (for UTF-16 unpaired surrogates and an odd last byte) into
// U+FFFD.
class IcuDecoder {
public:
    explicit IcuDecoder(const char* name) : m_converter(text_detail::openConverter(name)) {}
    // Never more units than bytes, counting up to three bytes held back
    // from the previous piece.
    static constexpr qsizetype maxUnits(qsizetype pieceBytes) { return pieceBytes + 4; }

    qsizetype decode(QByteArrayView piece, char16_t* out, bool last)
    {
        if (!m_converter)
            return 0; // ICU without these converters: cannot happen
        UChar* target = out;
        const char* source = piece.data();
        UErrorCode status = U_ZERO_ERROR;
        ucnv_toUnicode(m_converter.get(), &target, out + maxUnits(piece.size()), &source, piece.data() + piece.size(),
                       nullptr, last, &status);
        return target - out;
    }

private:
    text_detail::Converter m_converter;
};

// ---------------------------------------------------------------------------
// Lines.

// Collects decoded text line by line: CR and CR LF end a line and become
// CR LF, a lone LF stays where it is. Text comes in pieces; a CR at the end
// of one piece and an LF at the start of the next are one line end.
class LineSink {
public:
    LineSink(QString& out, const TxtProgressFn& progress) : m_out(out), m_progress(progress) {}

    void feed(QStringView piece)
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

    // Takes the text from `at` to the end, decoded straight into the output,
    // as if it had been fed. Text with CR LF line ends stays where it is; at
    // a lone CR the rest of it is moved out to `spare` (room for all of it)
    // and fed from there, which makes room for the LFs.
    void takeInPlace(qsizetype at, char16_t* spare)
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

    // The last line needs no line end of its own to count.
    void finish()
    {
        if (m_inLine) {
            m_out.append(u"\r\n");
            endLine(m_out.size());
        }
    }

    qint64 lines() const { return m_lines; }

    // Starts the text over, from the first line; lines reported already
    // are not reported again.
    void restart()
    {
        m_out.resize(0);
        m_quietThrough = qMax(m_quietThrough, m_lines);
        m_lines = 0;
        m_inLine = false;
        m_skipLf = false;
    }

private:
    struct Scan {
        qsizetype end; // just past the last line end found, a lone CR included
        bool loneCr;   // the scan stopped at one
    };

    // Counts the lines of `text` from `p` on that end in CR LF, as they
    // stand `shift` characters further on in the output, up to the first
    // lone CR.
    Scan crLfLines(QStringView text, qsizetype p, qsizetype shift)
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

    // The output ends in a lone CR: it gains its LF. At the end of a piece
    // the next piece may begin with that LF.
    void endLoneCr(bool atPieceEnd)
    {
        m_out.append(u'\n');
        m_skipLf = atPieceEnd;
        endLine(m_out.size());
    }

    // A line has ended; the text up to its line end is `characters` long.
    void endLine(qsizetype characters)
    {
        m_inLine = false;
        ++m_lines;
        if (m_progress && m_lines % kTxtProgressLines == 0 && m_lines > m_quietThrough)
            m_progress(TxtProgress{m_lines, characters});
    }

    QString& m_out;
    const TxtProgressFn& m_progress;
    qint64 m_lines = 0;
    qint64 m_quietThrough = 0;
    bool m_inLine = false; // characters after the last line end
    bool m_skipLf = false; // the previous piece ended in CR
};

// ---------------------------------------------------------------------------
// The reading itself.

// NotThis: the decoder gave up, the text is read again in the next encoding.
enum class Outcome { Done, ReadError, NotThis };

// Room for the decoded text of one piece, whatever the decoder.
constexpr qsizetype kMaxPieceUnits = kTxtChunkBytes + 4;
static_assert(Utf8Decoder::maxUnits(kTxtChunkBytes) <= kMaxPieceUnits &&
              Cp936PieceDecoder::maxUnits(kTxtChunkBytes) <= kMaxPieceUnits &&
              IcuDecoder::maxUnits(kTxtChunkBytes) <= kMaxPieceUnits);

// Decodes the source to its end. The first piece goes through `buffer`
// (kMaxPieceUnits long); the text gets its room then, once that piece shows
// how many characters a byte makes here: enough for all of it in one piece
// of memory, with little left over. Later pieces are decoded straight into
// the text.
template <class Decoder>
Outcome decodeAll(ByteSource& source, qint64 bytes, Decoder& decoder, LineSink& sink, QString& text, char16_t* buffer)
{
    for (bool first = true;; first = false) {
        const std::optional<QByteArrayView> piece = source.next();
        if (!piece)
            return Outcome::ReadError;
        const bool last = piece->size() < kTxtChunkBytes;
        if (first) {
            const qsizetype units = decoder.decode(*piece, buffer, last);
            if (units < 0)
                return Outcome::NotThis;
            if (piece->size() > 0) {
                const double perByte = static_cast<double>(units) / static_cast<double>(piece->size());
                text.reserve(static_cast<qsizetype>(perByte * 1.04 * static_cast<double>(bytes)) + 64);
            }
            sink.feed(QStringView(buffer, units));
        } else {
            const qsizetype at = text.size();
            if (text.capacity() - at < kMaxPieceUnits) // text unlike its first piece
                text.reserve(std::max(at + kMaxPieceUnits, text.capacity() / 2 * 3));
            text.resize(at + kMaxPieceUnits); // not cleared: the decoder writes it
            const qsizetype units = decoder.decode(*piece, reinterpret_cast<char16_t*>(text.data()) + at, last);
            text.resize(at + std::max<qsizetype>(units, 0));
            if (units < 0)
                return Outcome::NotThis;
            sink.takeInPlace(at, buffer);
        }
        if (last)
            return Outcome::Done;
    }
}

// Control characters that plain text holds: tab, line feed, vertical tab,
// form feed, carriage return, the DOS end-of-file mark and escape.
bool isTextControl(unsigned c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == 0x1B; }

// A control character that plain text does not hold.
bool isStrayControl(unsigned c) { return (c < 0x20 || c == 0x7F) && !isTextControl(c); }

// Whether a piece is plainly not text: it holds a NUL or more than one
// control character in twenty (counted over at least `over` bytes, so that
// a short last piece is not judged on a handful of them). Text in any
// encoding read here has neither; archives, pictures and random bytes have
// both. UTF-16 is judged by its code units.
bool looksBinary(QByteArrayView piece, TextEncoding encoding, qsizetype over = 0)
{
    const auto* p = reinterpret_cast<const quint8*>(piece.data());
    const qsizetype n = piece.size();
    qsizetype controls = 0;
    if (encoding != TextEncoding::Utf16LE && encoding != TextEncoding::Utf16BE) {
        // Every text file's first 64 KB pass through here, so eight bytes at
        // a time: a word is looked at byte by byte only when one of its bytes
        // is below 0x20 or is 0x7F (about once a line in text). The test
        // below finds the lowest such byte exactly; bytes above it may show
        // up too, which only costs the closer look.
        constexpr quint64 ones = 0x0101010101010101ull;
        constexpr quint64 highs = 0x8080808080808080ull;
        auto count = [&](qsizetype from, qsizetype to) {
            for (qsizetype i = from; i < to; ++i) {
                const unsigned c = p[i];
                if (c == 0)
                    return false;
                controls += isStrayControl(c);
            }
            return true;
        };
        qsizetype i = 0;
        for (; i + 8 <= n; i += 8) {
            quint64 word;
            std::memcpy(&word, p + i, sizeof word);
            const quint64 del = word ^ (ones * 0x7F);
            if ((((word - ones * 0x20) & ~word) | ((del - ones) & ~del)) & highs) {
                if (!count(i, i + 8))
                    return true;
            }
        }
        if (!count(i, n))
            return true;
        return controls * 20 > std::max(n, over);
    }
    qsizetype units = 0;
    for (qsizetype i = 0; i + 2 <= n; i += 2, ++units) {
        const unsigned c = encoding == TextEncoding::Utf16LE ? p[i] | (p[i + 1] << 8) : (p[i] << 8) | p[i + 1];
        if (c == 0)
            return true;
        controls += isStrayControl(c);
    }
    return controls * 20 > std::max(units, over / 2);
}

// Passes the pieces of a file on and judges each part of the file the first
// time it passes: the first piece that is plainly not text ends the reading
// as a read error, so that the whole file is judged as it is read, not only
// its start.
class BinaryWatch final : public ByteSource {
public:
    BinaryWatch(ByteSource& source, TextEncoding encoding, qint64 judgedThrough)
        : m_source(source), m_encoding(encoding), m_judged(judgedThrough)
    {
    }
    std::optional<QByteArrayView> next() override
    {
        const std::optional<QByteArrayView> piece = m_source.next();
        if (!piece)
            return piece;
        const qint64 end = m_pos + piece->size();
        if (end > m_judged) {
            if (looksBinary(*piece, m_encoding, kTxtChunkBytes)) {
                m_binary = true;
                return std::nullopt;
            }
            m_judged = end;
        }
        m_pos = end;
        return piece;
    }
    bool seek(qint64 pos) override
    {
        m_pos = pos;
        return m_source.seek(pos);
    }
    qint64 size() const override { return m_source.size(); }
    [[nodiscard]] bool sawBinary() const { return m_binary; }

private:
    ByteSource& m_source;
    const TextEncoding m_encoding;
    qint64 m_judged; // the file's bytes before this have been judged
    qint64 m_pos = 0;
    bool m_binary = false;
};

enum class ReadFailure { Unreadable, NotText };

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

// One text after its byte-order mark, decoded in the encoding the mark
// names or, without one, in the first of UTF-8, code page 936 and GB18030
// that holds; each start over begins the text again.
class TxtRead {
public:
    TxtRead(ByteSource& source, const TxtProgressFn& progress, const Bom& bom, qint64 bytes);
    TxtRead(const TxtRead&) = delete;
    TxtRead& operator=(const TxtRead&) = delete;

    std::expected<TxtText, ReadFailure> run();

private:
    Outcome decodeText();
    std::optional<TextEncoding> weighBig5();
    template <class Decoder>
    Outcome decode(Decoder& decoder)
    {
        return decodeAll(m_source, m_bytes, decoder, m_sink, m_result.text, m_buffer.get());
    }
    // Starts the text over in the next encoding.
    bool startOver(TextEncoding next)
    {
        m_result.encoding = next;
        m_sink.restart();
        return m_source.seek(0);
    }

    ByteSource& m_source;
    const Bom m_bom;
    const qint64 m_bytes; // after the byte-order mark
    TxtText m_result;
    LineSink m_sink;
    // Not cleared: every decoder writes before it reads.
    const std::unique_ptr<char16_t[]> m_buffer = std::make_unique_for_overwrite<char16_t[]>(kMaxPieceUnits);
};

TxtRead::TxtRead(ByteSource& source, const TxtProgressFn& progress, const Bom& bom, qint64 bytes)
    : m_source(source), m_bom(bom), m_bytes(bytes), m_sink(m_result.text, progress)
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

Outcome TxtRead::decodeText()
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
    text_detail::LegacyEvidence evidence;
    text_detail::LegacyEvidence::Verdict verdict = text_detail::LegacyEvidence::Verdict::Close;
    for (int piece = 0; piece < kEvidencePieces && verdict == text_detail::LegacyEvidence::Verdict::Close; ++piece) {
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
    case text_detail::LegacyEvidence::Verdict::Big5:
        return TextEncoding::Big5;
    case text_detail::LegacyEvidence::Verdict::Big5Hkscs:
        return TextEncoding::Big5Hkscs;
    case text_detail::LegacyEvidence::Verdict::Cp936:
    case text_detail::LegacyEvidence::Verdict::Close:
        break;
    }
    return TextEncoding::Cp936;
}

// Looks at the first piece for the byte-order mark (and, for a file, whether
// it is text at all), then reads the text after the mark.
std::expected<TxtText, ReadFailure> readTxt(ByteSource& source, const TxtProgressFn& progress, bool refuseBinary)
{
    const std::optional<QByteArrayView> first = source.next();
    if (!first)
        return std::unexpected(ReadFailure::Unreadable);
    const Bom bom = byteOrderMark(*first);
    if (refuseBinary && looksBinary(first->sliced(bom.length), bom.encoding))
        return std::unexpected(ReadFailure::NotText);
    const qint64 bytes = source.size() - bom.length;
    if (!refuseBinary) {
        if (!source.seek(bom.length))
            return std::unexpected(ReadFailure::Unreadable);
        TxtRead read(source, progress, bom, bytes);
        return read.run();
    }
    BinaryWatch watch(source, bom.encoding, first->size());
    if (!watch.seek(bom.length))
        return std::unexpected(ReadFailure::Unreadable);
    TxtRead read(watch, progress, bom, bytes);
    std::expected<TxtText, ReadFailure> text = read.run();
    if (!text && watch.sawBinary())
        return std::unexpected(ReadFailure::NotText);
    return text;
}

} // namespace

TextEncoding detectEncoding(QByteArrayView bytes)
{
    const Bom bom = byteOrderMark(bytes);
    if (bom.length > 0)
        return bom.encoding;
    if (isAscii(bytes))
        return TextEncoding::Cp936;
    return readTxtBytes(bytes).encoding;
}

TxtText readTxtBytes(QByteArrayView bytes, const TxtProgressFn& progress)
{
    MemorySource source(bytes);
    return *readTxt(source, progress, /*refuseBinary=*/false); // memory is always readable
}

Result<TxtText> readTxtFile(const QString& path, const TxtProgressFn& progress)
{
    const QString shownPath = QDir::toNativeSeparators(displayFileName(path));
    const QString failure = u"无法读取文件："_s + shownPath;
    const QString notText = u"不是文本文件："_s + shownPath;
    QFile file;
    // Pieces go straight into the reader's own buffer.
    switch (openRegularFile(file, path)) {
    case OpenResult::Opened:
        break;
    case OpenResult::Failed:
        return fail(failure);
    case OpenResult::NotRegular:
        return fail(notText);
    }
    try {
        // The file is read in pieces; only the text is kept whole.
        FileSource source(file);
        std::expected<TxtText, ReadFailure> text = readTxt(source, progress, /*refuseBinary=*/true);
        if (!text)
            return fail(text.error() == ReadFailure::NotText ? notText : failure);
        return std::move(*text);
    } catch (const std::bad_alloc&) {
        // A text too large to hold in memory.
        return fail(u"内存不足，无法读取文件："_s + shownPath);
    }
}

} // namespace vamo
