#include "text/TxtReader.h"

#include "text/TextDetail.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>

#include <cstring>
#include <memory>
#include <new>

using namespace Qt::StringLiterals;

namespace vamo {

namespace {

// Collects decoded text line by line: CR and CR LF end a line and become
// CR LF, a lone LF stays where it is. Text comes in pieces; a CR at the end
// of one piece and an LF at the start of the next are one line end.
class LineSink {
public:
    LineSink(QString& out, const TxtProgressFn& progress) : out_(out), progress_(progress) {}

    void feed(QStringView piece)
    {
        const qsizetype n = piece.size();
        if (n == 0)
            return;
        qsizetype p = 0;
        if (skipLf_) {
            skipLf_ = false;
            if (piece[0] == u'\n')
                p = 1;
        }
        while (p < n) {
            const qsizetype cr = piece.indexOf(u'\r', p);
            if (cr < 0) {
                out_.append(piece.sliced(p));
                inLine_ = true;
                return;
            }
            out_.append(piece.sliced(p, cr - p));
            endLine();
            p = cr + 1;
            if (p == n)
                skipLf_ = true;
            else if (piece[p] == u'\n')
                ++p;
        }
    }

    // The last line needs no line end of its own to count.
    void finish()
    {
        if (inLine_)
            endLine();
    }

    qint64 lines() const { return lines_; }

private:
    void endLine()
    {
        out_.append(u"\r\n");
        inLine_ = false;
        ++lines_;
        if (progress_ && lines_ % txtProgressLines == 0)
            progress_(TxtProgress{lines_, out_.size()});
    }

    QString& out_;
    const TxtProgressFn& progress_;
    qint64 lines_ = 0;
    bool inLine_ = false; // characters after the last line end
    bool skipLf_ = false; // the previous piece ended in CR
};

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

bool isContinuation(quint8 b) { return (b & 0xC0) == 0x80; }

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

// Decodes UTF-8 that is known to be valid; a sequence cut off by the end of
// the piece (never the case when pieces are cut before a lead byte) gives
// U+FFFD. `out` needs room for bytes.size() units.
qsizetype decodeValidUtf8(QByteArrayView bytes, char16_t* out)
{
    const auto* p = reinterpret_cast<const quint8*>(bytes.data());
    const auto* const end = p + bytes.size();
    char16_t* o = out;
    while (p < end) {
        while (end - p >= 8) {
            quint64 word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ULL)
                break;
            for (int i = 0; i < 8; ++i)
                o[i] = p[i];
            o += 8;
            p += 8;
        }
        if (p == end)
            break;
        const quint8 b = *p;
        const qsizetype left = end - p;
        if (b < 0x80) {
            *o++ = b;
            ++p;
        } else if (b < 0xE0 && left >= 2) {
            *o++ = static_cast<char16_t>(((b & 0x1F) << 6) | (p[1] & 0x3F));
            p += 2;
        } else if (b < 0xF0 && left >= 3) {
            *o++ = static_cast<char16_t>(((b & 0x0F) << 12) | ((p[1] & 0x3F) << 6) | (p[2] & 0x3F));
            p += 3;
        } else if (b >= 0xF0 && left >= 4) {
            const char32_t c = ((b & 0x07) << 18) | ((p[1] & 0x3F) << 12) | ((p[2] & 0x3F) << 6) | (p[3] & 0x3F);
            *o++ = QChar::highSurrogate(c);
            *o++ = QChar::lowSurrogate(c);
            p += 4;
        } else {
            *o++ = QChar::ReplacementCharacter;
            p = end;
        }
    }
    return o - out;
}

// Cuts UTF-8 into pieces of about txtChunkBytes, each ending before a lead
// byte where there is one close by, and hands each to `decodePiece`.
template <class DecodePiece>
void forEachUtf8Piece(QByteArrayView body, DecodePiece decodePiece)
{
    qsizetype pos = 0;
    while (pos < body.size()) {
        qsizetype end = qMin(pos + txtChunkBytes, body.size());
        if (end < body.size()) {
            qsizetype cut = end;
            for (int i = 0; i < 3 && cut > pos + 1 && isContinuation(static_cast<quint8>(body[cut])); ++i)
                --cut;
            if (!isContinuation(static_cast<quint8>(body[cut])))
                end = cut;
        }
        decodePiece(body.sliced(pos, end - pos));
        pos = end;
    }
}

void decodeUtf8(QByteArrayView body, bool valid, LineSink& sink)
{
    if (valid) {
        const auto buffer = std::make_unique<char16_t[]>(txtChunkBytes);
        forEachUtf8Piece(body, [&](QByteArrayView piece) {
            sink.feed(QStringView(buffer.get(), decodeValidUtf8(piece, buffer.get())));
        });
        return;
    }
    // Qt's decoder puts U+FFFD where the bytes are invalid. Each piece
    // decodes on its own; the byte-order mark is gone already.
    QStringDecoder decoder(QStringDecoder::Utf8,
                           QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const auto buffer = std::make_unique<QChar[]>(decoder.requiredSpace(txtChunkBytes));
    forEachUtf8Piece(body, [&](QByteArrayView piece) {
        const QChar* const end = decoder.appendToBuffer(buffer.get(), piece);
        sink.feed(QStringView(buffer.get(), end - buffer.get()));
    });
}

void decodeCp936(QByteArrayView body, LineSink& sink)
{
    text_detail::Cp936Decoder decoder;
    const auto buffer = std::make_unique<char16_t[]>(txtChunkBytes + 1);
    for (qsizetype pos = 0; pos < body.size(); pos += txtChunkBytes) {
        const QByteArrayView piece = body.sliced(pos, qMin(txtChunkBytes, body.size() - pos));
        const bool last = pos + piece.size() == body.size();
        sink.feed(QStringView(buffer.get(), decoder.decode(piece, buffer.get(), last)));
    }
}

// UTF-16 goes through ICU's stateful converters.
void decodeWithIcu(const char* name, QByteArrayView body, LineSink& sink)
{
    text_detail::Converter converter = text_detail::openConverter(name);
    if (!converter) {
        // Without ICU's data only ASCII can be trusted.
        QString piece;
        for (char b : body)
            piece.append(static_cast<quint8>(b) < 0x80 ? QChar(static_cast<char16_t>(b))
                                                       : QChar(QChar::ReplacementCharacter));
        sink.feed(piece);
        return;
    }
    constexpr qsizetype bufferUnits = txtChunkBytes + 64;
    const auto buffer = std::make_unique<UChar[]>(bufferUnits);
    const char* source = body.data();
    const char* const sourceEnd = body.data() + body.size();
    do {
        const char* const pieceEnd = sourceEnd - source > txtChunkBytes ? source + txtChunkBytes : sourceEnd;
        const bool last = pieceEnd == sourceEnd;
        for (;;) {
            UChar* target = buffer.get();
            UErrorCode status = U_ZERO_ERROR;
            ucnv_toUnicode(converter.get(), &target, buffer.get() + bufferUnits, &source, pieceEnd,
                           nullptr, last, &status);
            sink.feed(QStringView(buffer.get(), target - buffer.get()));
            if (status != U_BUFFER_OVERFLOW_ERROR)
                break;
        }
        source = pieceEnd;
    } while (source != sourceEnd);
}

} // namespace

TextEncoding detectEncoding(QByteArrayView bytes)
{
    const Bom bom = byteOrderMark(bytes);
    if (bom.length > 0)
        return bom.encoding;
    return !isAscii(bytes) && bytes.isValidUtf8() ? TextEncoding::Utf8 : TextEncoding::Cp936;
}

TxtText readTxtBytes(QByteArrayView bytes, const TxtProgressFn& progress)
{
    TxtText result;
    const Bom bom = byteOrderMark(bytes);
    const QByteArrayView body = bytes.sliced(bom.length);
    result.encoding = bom.length > 0 ? bom.encoding : detectEncoding(body);
    if (body.isEmpty())
        return result;

    // Room for the whole text at once: no encoding gives more UTF-16 units
    // than bytes, and few files have so many lone CRs (each gains an LF)
    // that the text must grow. What is left over is handed back below.
    const qsizetype units = result.encoding == TextEncoding::Utf16LE || result.encoding == TextEncoding::Utf16BE
                                ? body.size() / 2 + 1
                                : body.size();
    result.text.reserve(units + units / 64 + 2);

    LineSink sink(result.text, progress);
    switch (result.encoding) {
    case TextEncoding::Cp936:
        decodeCp936(body, sink);
        break;
    case TextEncoding::Utf8:
        // Without a byte-order mark the detection found it valid already.
        decodeUtf8(body, bom.length == 0 || body.isValidUtf8(), sink);
        break;
    case TextEncoding::Utf16LE:
        decodeWithIcu("UTF-16LE", body, sink);
        break;
    case TextEncoding::Utf16BE:
        decodeWithIcu("UTF-16BE", body, sink);
        break;
    }
    sink.finish();
    result.lines = sink.lines();
    if (result.text.capacity() - result.text.size() > result.text.size() / 16)
        result.text.squeeze();
    return result;
}

Result<TxtText> readTxtFile(const QString& path, const TxtProgressFn& progress)
{
    const QString failure = u"无法读取文件："_s + QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(failure);
    try {
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fail(failure);
        file.close();
        return readTxtBytes(bytes, progress);
    } catch (const std::bad_alloc&) {
        // A file too large to hold in memory.
        return fail(failure);
    }
}

} // namespace vamo
