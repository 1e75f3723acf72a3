// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/Payload.h"

#include "model/Site.h"

#include <QVarLengthArray>
#include <QtEndian>

#include <algorithm>
#include <array>

namespace vamo::payload {

namespace {

constexpr std::array<char, 3> kBom{'\xEF', '\xBB', '\xBF'};

// Writes v in decimal, zero-padded to at least four digits.
char* putFourDigits(char* p, qsizetype v)
{
    std::array<char, 24> tmp{};
    int n = 0;
    do {
        tmp[static_cast<std::size_t>(n++)] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0);
    while (n < 4)
        tmp[static_cast<std::size_t>(n++)] = '0';
    while (n > 0)
        *p++ = tmp[static_cast<std::size_t>(--n)];
    return p;
}

QString fourDigits(qsizetype v) { return QStringLiteral("%1").arg(v, 4, 10, QLatin1Char('0')); }

// The reader reads the index line by line: a control character in a name
// (CR, LF, tab, any other C0 or C1 code, or a Unicode line or paragraph
// separator, all of which a file name may hold) would break its entry, so
// each becomes a space before the name is trimmed.
QString indexName(const QString& name)
{
    QString clean = name;
    for (QChar& c : clean) {
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = u' ';
    }
    return clean.trimmed();
}

void appendIndexEntry(QString& capter, const QString& name, qsizetype pieces, qsizetype partChars)
{
    capter += indexName(name);
    capter += fourDigits(pieces);
    capter += QStringLiteral("\r\n");
    capter += QString::number(partChars);
    capter += QStringLiteral("\r\n");
}

// Room for the UTF-8 of `units` UTF-16 code units as putUtf8 writes it: at
// most three bytes a unit, and one spare byte.
constexpr qsizetype utf8Room(qsizetype units) { return 3 * units + 1; }

// Writes `text` as UTF-8 at `out` (with utf8Room(text.size()) bytes of room)
// and returns the end. A surrogate without its partner is written as U+FFFD,
// on its own: nothing pairs across texts.
// (Every piece file passes through here; Chinese text is three bytes a
// character, a case general encoders take slowly.)
char* putUtf8(char* out, QStringView text)
{
    auto* o = reinterpret_cast<unsigned char*>(out);
    const char16_t* s = text.utf16();
    const char16_t* const end = s + text.size();
    // Three bytes in one store of four; the fourth is overwritten next or
    // left in the spare byte of the room.
    auto three = [&o](unsigned c) {
        const quint32 bytes = (0xE0 | (c >> 12)) | (0x80 | ((c >> 6) & 0x3F)) << 8 | (0x80 | (c & 0x3F)) << 16;
        qToLittleEndian(bytes, o);
        o += 3;
    };
    while (s < end) {
        const unsigned c = *s++;
        if (c >= 0x800 && c - 0xD800 >= 0x800) { // neither half of a pair: the Chinese case
            three(c);
            continue;
        }
        if (c < 0x80) {
            *o++ = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            o[0] = static_cast<unsigned char>(0xC0 | (c >> 6));
            o[1] = static_cast<unsigned char>(0x80 | (c & 0x3F));
            o += 2;
        } else if (QChar::isHighSurrogate(c) && s < end && QChar::isLowSurrogate(*s)) {
            const char32_t u = QChar::surrogateToUcs4(static_cast<char16_t>(c), *s++);
            o[0] = static_cast<unsigned char>(0xF0 | (u >> 18));
            o[1] = static_cast<unsigned char>(0x80 | ((u >> 12) & 0x3F));
            o[2] = static_cast<unsigned char>(0x80 | ((u >> 6) & 0x3F));
            o[3] = static_cast<unsigned char>(0x80 | (u & 0x3F));
            o += 4;
        } else {
            three(QChar::ReplacementCharacter);
        }
    }
    return reinterpret_cast<char*>(o);
}

constexpr qint64 kBlockBytes = 1 << 20;

// Room for the budget plus the piece that may pass it, or without a budget
// for what is left of the book (CJK text takes three bytes a character).
qint64 volumeEstimate(const QStringList& texts, int count, const Cursor& cursor, qint64 budgetKiB)
{
    qint64 left = -qint64(cursor.consumed);
    for (int c = cursor.firstOpen; c < count; ++c)
        left += texts[c].size();
    const qint64 estimate = 3 * left + 16 * (left / kPieceLength + count - cursor.firstOpen + 1);
    return budgetKiB > 0 ? std::min(estimate, budgetKiB * 1024 + 8 * kPieceLength) : estimate;
}

// One volume, piece by piece: each piece gets its file number, room in a
// block and its piece file; a chapter part that ends gets its entry in the
// chapter index. Moves the caller's cursor along as it goes.
class VolumeWriter {
public:
    // `measure`: the pieces are only measured, not written (no blocks).
    VolumeWriter(const QStringList& names, const QStringList& texts, qint64 budgetKiB, Cursor& cursor,
                 const RefreshFn& refresh, const BlockFn& blockDone, BlockAfterDone after, const RoomFn& room,
                 bool measure = false);
    VolumeWriter(const VolumeWriter&) = delete;
    VolumeWriter& operator=(const VolumeWriter&) = delete;

    Result<Volume> run();

private:
    bool roomForNext(int chapter);
    void writePiece(int chapter, qint64 number);
    QByteArray& roomFor(qsizetype most);
    void closeBlock();

    const QStringList& m_names;
    const QStringList& m_texts;
    const qint64 m_budgetKiB;
    Cursor& m_cursor;
    const RefreshFn& m_refresh;
    const BlockFn& m_blockDone;
    const BlockAfterDone m_after;
    const RoomFn& m_room;
    const bool m_measure;
    const int m_count;
    // Blocks are given room for this much in all, at most 1 MiB each.
    const qint64 m_estimate;
    Volume m_v;
    std::size_t m_blockFirstPiece = 0; // the last block's first piece
    bool m_finished = true;            // the last piece ended its chapter
    bool m_partDone = true;            // the current chapter part has its index entry
    int m_part = 0;                    // the current chapter part, counted from 1 in the volume
    qsizetype m_pieceNo = 0;           // pieces of the current chapter part
    qsizetype m_partChars = 0;         // its piece files' characters
};

VolumeWriter::VolumeWriter(const QStringList& names, const QStringList& texts, qint64 budgetKiB, Cursor& cursor,
                           const RefreshFn& refresh, const BlockFn& blockDone, BlockAfterDone after, const RoomFn& room,
                           bool measure)
    : m_names(names), m_texts(texts), m_budgetKiB(budgetKiB), m_cursor(cursor), m_refresh(refresh),
      m_blockDone(blockDone), m_after(after), m_room(room), m_measure(measure),
      m_count(static_cast<int>(std::min(names.size(), texts.size()))),
      m_estimate(volumeEstimate(texts, m_count, cursor, budgetKiB))
{
    m_v.capter = QStringLiteral("\r\n");
}

Result<Volume> VolumeWriter::run()
{
    while (m_cursor.firstOpen <= m_count - 1) {
        const int c = m_cursor.firstOpen;
        if (!m_v.pieces.empty() && !roomForNext(c))
            break;
        if (m_partDone) {
            ++m_part;
            m_pieceNo = 0;
            m_partChars = 0;
            m_partDone = false;
        }
        writePiece(c, qint64(10000) * m_part + m_pieceNo);
        if (m_refresh && (m_pieceNo == 1 || m_pieceNo % 9 == 0))
            m_refresh(m_cursor.processed);
        // A part ends with its chapter, or full: the index gives a part's
        // piece count in four digits and the file names of its pieces
        // 10000 numbers; the chapter goes on in a part of the same name.
        if (m_finished || m_pieceNo == kPartPieceLimit) {
            appendIndexEntry(m_v.capter, m_names[c], m_pieceNo, m_partChars);
            m_partDone = true;
        }
        if (m_budgetKiB > 0 && m_v.volumeBytes / 1024 >= m_budgetKiB)
            break;
    }
    closeBlock();
    if (!m_partDone)
        appendIndexEntry(m_v.capter, m_names[m_cursor.firstOpen], m_pieceNo, m_partChars);
    m_v.chapterFinished = m_finished;
    return std::move(m_v);
}

// Asks the room function about the next piece of `chapter`; the answer
// Measure has the open block handed over first.
bool VolumeWriter::roomForNext(int chapter)
{
    if (!m_room)
        return true;
    const QStringView rest = QStringView(m_texts[chapter]).sliced(m_cursor.consumed);
    const Cut cut = nextCut(rest);
    const qint64 number = m_partDone ? qint64(10000) * (m_part + 1) : qint64(10000) * m_part + m_pieceNo;
    const NextPiece next{chapter, number, rest.first(cut.length), !cut.last};
    Room room = m_room(m_v, next);
    if (room == Room::Measure) {
        closeBlock();
        room = m_room(m_v, next);
    }
    return room == Room::Fits;
}

// Cuts the next piece from what is left of the chapter, appends its file to
// the last block and moves the cursor past it.
void VolumeWriter::writePiece(int chapter, qint64 number)
{
    const QStringView rest = QStringView(m_texts[chapter]).sliced(m_cursor.consumed);
    const Cut cut = nextCut(rest);
    if (m_measure) {
        m_v.volumeBytes += pieceFileSize(rest.first(cut.length), !cut.last);
    } else {
        // The most a piece file can take: every character a carriage return.
        const qsizetype most = qsizetype(kBom.size()) + 4 * (cut.length + 2) + 2 + utf8Room(cut.length) + 2;
        QByteArray& block = roomFor(most);
        const qsizetype offset = block.size();
        m_partChars += appendPieceFile(block, rest.first(cut.length), !cut.last);
        const qsizetype size = block.size() - offset;
        m_v.pieces.push_back({number, m_v.blocks.size() - 1, offset, size});
        m_v.volumeBytes += size;
    }
    m_cursor.processed += cut.length;
    if (cut.last) {
        m_cursor.consumed = 0;
        ++m_cursor.firstOpen;
    } else {
        m_cursor.consumed += cut.length;
    }
    m_finished = cut.last;
    ++m_pieceNo;
}

// The last block when it has room for `most` more bytes; otherwise it is
// done and a new one starts. Pages not written are never touched.
QByteArray& VolumeWriter::roomFor(qsizetype most)
{
    if (m_v.blocks.empty() || m_v.blocks.back().capacity() - m_v.blocks.back().size() < most) {
        closeBlock();
        m_v.blocks.emplace_back();
        m_v.blocks.back().reserve(
            static_cast<qsizetype>(std::max<qint64>(most, std::min(kBlockBytes, m_estimate - m_v.volumeBytes))));
    }
    return m_v.blocks.back();
}

// Hands the pieces of the last block, if any, to blockDone.
void VolumeWriter::closeBlock()
{
    if (m_blockDone && !m_v.blocks.empty() && m_blockFirstPiece < m_v.pieces.size()) {
        m_blockDone(m_v, m_v.blocks.size() - 1, m_blockFirstPiece, m_v.pieces.size());
        if (m_after == BlockAfterDone::Drop)
            m_v.blocks.back() = QByteArray();
    }
    m_blockFirstPiece = m_v.pieces.size();
}

} // namespace

qint64 jarSizeLimit(int jarSizeIndex)
{
    switch (jarSizeIndex) {
    case 1:
        return 500 * 1024;
    case 2:
        return 250 * 1024;
    case 3:
        return 120 * 1024;
    case 4:
        return 60 * 1024;
    default:
        return 0;
    }
}

qint64 textBudget(int jarSizeIndex)
{
    switch (jarSizeIndex) {
    case 1:
        return 853;
    case 2:
        return 408;
    case 3:
        return 172;
    case 4:
        return 66;
    default:
        return 0;
    }
}

Cut nextCut(QStringView rest)
{
    if (rest.size() < kPieceLength)
        return {rest.size(), true};
    if (rest.size() > kPieceLength) {
        const QChar next = rest[kPieceLength];
        if (next == u'\n')
            return {kPieceLength + 1, false};
        if (next.isLowSurrogate() && rest[kPieceLength - 1].isHighSurrogate())
            return {kPieceLength - 1, false};
    }
    return {kPieceLength, false};
}

qsizetype appendPieceFile(QByteArray& out, QStringView piece, bool cut)
{
    // Where the carriage returns of the piece text end, found in one search;
    // a cut piece gets CR LF appended, and that CR is counted too.
    QVarLengthArray<qsizetype, kPieceLength + 2> crs;
    for (qsizetype cr = piece.indexOf(u'\r'); cr >= 0; cr = piece.indexOf(u'\r', cr + 1))
        crs.push_back(cr + 1);
    if (cut)
        crs.push_back(piece.size() + 1);
    const qsizetype crCount = crs.size();

    const qsizetype headerChars = 4 * (1 + crCount);
    const qsizetype start = out.size();
    out.resize(start + qsizetype(kBom.size()) + headerChars + 2 + utf8Room(piece.size()) + 2);
    char* p = out.data() + start;
    for (char b : kBom)
        *p++ = b;
    p = putFourDigits(p, crCount);
    for (qsizetype at : crs)
        p = putFourDigits(p, at);
    *p++ = '\r';
    *p++ = '\n';
    p = putUtf8(p, piece);
    if (cut) {
        *p++ = '\r';
        *p++ = '\n';
    }
    out.resize(p - out.constData());
    return headerChars + 2 + piece.size() + (cut ? 2 : 0);
}

qsizetype pieceFileSize(QStringView piece, bool cut)
{
    // As appendPieceFile and putUtf8 write it: a header number for every
    // carriage return, the appended one too, and the UTF-8 of the text.
    qsizetype crs = cut ? 1 : 0;
    qsizetype bytes = 0;
    const char16_t* s = piece.utf16();
    const char16_t* const end = s + piece.size();
    while (s < end) {
        const unsigned c = *s++;
        crs += c == u'\r' ? 1 : 0;
        if (c < 0x80)
            bytes += 1;
        else if (c < 0x800)
            bytes += 2;
        else if (QChar::isHighSurrogate(c) && s < end && QChar::isLowSurrogate(*s))
            bytes += 4, ++s;
        else
            bytes += 3;
    }
    return qsizetype(kBom.size()) + 4 * (1 + crs) + 2 + bytes + (cut ? 2 : 0);
}

QByteArray pieceFile(QStringView piece, bool cut)
{
    QByteArray out;
    appendPieceFile(out, piece, cut);
    return out;
}

QByteArray utf8WithBom(QStringView text)
{
    QByteArray out(qsizetype(kBom.size()) + utf8Room(text.size()), Qt::Uninitialized);
    char* p = out.data();
    for (char b : kBom)
        *p++ = b;
    p = putUtf8(p, text);
    out.resize(p - out.constData());
    return out;
}

QString bookInformation(const QString& baseBookName, const QString& message, const QString& maker)
{
    static const std::array<QString, 15> kHelp{
        QStringLiteral("【使用介绍】"),
        QStringLiteral("-左软键(功能键)-打开选项"),
        QStringLiteral("-右软键(返回键)-返回/取消"),
        QStringLiteral("-上,下键或(2,8)-翻页"),
        QStringLiteral("-长按上,下键或(2,8)-快速翻页"),
        QStringLiteral("-左或右键-开/关全屏"),
        QStringLiteral("-“*”键-更改皮肤"),
        QStringLiteral("-“0”键-白天/黑夜模式"),
        QStringLiteral("-“#”键-设书签"),
        QStringLiteral("-“9”键-读取书签"),
        QStringLiteral("-“5”键-章节列表"),
        QStringLiteral("-“7”键-更改字体"),
        QStringLiteral("【手机电子书制作工具】"),
        QStringLiteral("一款专门制作手机电子书的软件，它使用方便、简单，制作出的电子书，可任意设定章节，有了这款软件，"
                       "就可以将网上无穷的资源安装到手机上观看，给您的生活增添无穷的乐趣。"),
        QStringLiteral("本电子书由Vamo手机电子书制作工具制作完成，官方地址"),
    };
    const QString crLf = QStringLiteral("\r\n");
    QString text = crLf;
    text += baseBookName.trimmed() + crLf;
    text += message.trimmed() + crLf;
    text += maker.trimmed() + crLf;
    for (std::size_t i = 0; i + 1 < kHelp.size(); ++i)
        text += kHelp[i] + crLf;
    text += kHelp.back() + site::homePage() + crLf;
    return text;
}

Result<Volume> writeVolume(const QStringList& names, const QStringList& texts, qint64 budgetKiB, Cursor& cursor,
                           const RefreshFn& refresh, const BlockFn& blockDone, BlockAfterDone after, const RoomFn& room)
{
    VolumeWriter writer(names, texts, budgetKiB, cursor, refresh, blockDone, after, room);
    return writer.run();
}

Result<int> volumeCount(const QStringList& names, const QStringList& texts, qint64 budgetKiB)
{
    const RefreshFn noRefresh;
    const BlockFn noBlocks;
    const RoomFn noRoom;
    Cursor cursor;
    int count = 0;
    do {
        VolumeWriter writer(names, texts, budgetKiB, cursor, noRefresh, noBlocks, BlockAfterDone::Keep, noRoom, true);
        if (auto measured = writer.run(); !measured)
            return failure(measured);
        ++count;
    } while (!bookFinished(texts, cursor));
    return count;
}

QString volumeInformation(int number, int count, int firstChapter, bool continues, const QString& nextJar)
{
    return QStringLiteral("%1\r\n%2\r\n%3\r\n%4\r\n%5\r\n")
        .arg(number)
        .arg(count)
        .arg(firstChapter)
        .arg(continues ? 1 : 0)
        .arg(nextJar);
}

bool bookFinished(const QStringList& texts, const Cursor& cursor)
{
    const auto count = texts.size();
    if (cursor.firstOpen >= count)
        return true;
    return cursor.firstOpen == count - 1 && cursor.consumed >= texts[count - 1].size();
}

} // namespace vamo::payload
