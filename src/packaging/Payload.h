// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "model/Error.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

// The book's text as the phone reader finds it at the root of the archive:
// numbered piece files with a line-break header, the chapter index "capter"
// and the book information file "text". All are UTF-8 with a byte-order mark.
namespace vamo::payload {

inline constexpr qsizetype kPieceLength = 1400;
// The most pieces a chapter part holds: the chapter index gives the count in
// four digits, and the parts of a volume number their pieces from
// 10000 × part. A longer chapter goes on in a part of the same name, as a
// chapter cut by a volume's end goes on in the next volume.
inline constexpr qsizetype kPartPieceLimit = 9999;

// Text budget of a JAR size class (Combo1 index) in units of 1024 bytes of
// piece files per volume; 0 means no budget (one volume).
[[nodiscard]] qint64 textBudget(int jarSizeIndex);

// The largest JAR a size class (Combo1 index) admits, in bytes: 500, 250, 120
// and 60 KB of 1024 bytes; 0 for no limit. A phone that takes at most the
// class's size installs every volume.
[[nodiscard]] qint64 jarSizeLimit(int jarSizeIndex);

// How the next piece is taken from the front of what is left of a chapter.
struct Cut {
    qsizetype length = 0; // characters taken
    bool last = false;    // the short rest that ends the chapter (nothing appended)
};

// A rest of 1400 characters or more gives a piece of 1400, or 1401 when the
// 1401st is a line feed (CR LF is never split), or 1399 when the cut would
// fall between the halves of a surrogate pair. A shorter rest (even an empty
// one) is the chapter's last piece.
[[nodiscard]] Cut nextCut(QStringView rest);

// Appends the piece file (byte-order mark, line-break header, CR LF, the piece
// text, and CR LF after a cut piece) to `out` as UTF-8. Returns the length of
// the file text in characters, before encoding.
qsizetype appendPieceFile(QByteArray& out, QStringView piece, bool cut);

// The size in bytes of the piece file appendPieceFile writes, without writing it.
[[nodiscard]] qsizetype pieceFileSize(QStringView piece, bool cut);

// The same as one file, for callers that want a single piece.
[[nodiscard]] QByteArray pieceFile(QStringView piece, bool cut);

// UTF-8 with byte-order mark, as every payload file is written.
[[nodiscard]] QByteArray utf8WithBom(QStringView text);

// The book information file "text".
[[nodiscard]] QString bookInformation(const QString& baseBookName, const QString& message, const QString& maker);

// Where the book's payload stands between volumes.
struct Cursor {
    int firstOpen = 0;      // first chapter not completely written
    qsizetype consumed = 0; // characters of that chapter already written
    qint64 processed = 0;   // characters written so far, whole book
};

struct PieceEntry {
    qint64 number = 0;     // file name: 10000 * part-in-volume + piece
    std::size_t block = 0; // in Volume::blocks
    qsizetype offset = 0;  // into that block
    qsizetype size = 0;    // bytes on disk, byte-order mark included
};

struct Volume {
    // The piece files back to back, in blocks whose bytes never move: a
    // block is never enlarged past the room it was given, and a full block is
    // never written again.
    std::vector<QByteArray> blocks;
    std::vector<PieceEntry> pieces; // in writing order
    QString capter;                 // chapter index text
    qint64 volumeBytes = 0;         // sum of the piece files' sizes
    bool chapterFinished = true;    // false when the volume ended inside a chapter

    [[nodiscard]] QByteArrayView pieceData(const PieceEntry& e) const
    {
        const QByteArray& b = blocks[e.block];
        return b.isEmpty() ? QByteArrayView() : QByteArrayView(b).sliced(e.offset, e.size);
    }
};

// Called after the first piece of a chapter part and after every ninth, with
// the processed characters of the whole book.
using RefreshFn = std::function<void(qint64 processed)>;

// Called when a block is full, and for the last block at the end, with the
// pieces [from, to) that lie in block `block`. A copy of that block (which
// shares its bytes) keeps the pieces' bytes where they are, even after the
// volume is gone, e.g. for work on them to go on while the next block fills.
using BlockFn = std::function<void(const Volume& volume, std::size_t block, std::size_t from, std::size_t to)>;

// What the volume does with a block once blockDone has had it: keep it, or
// drop its copy (the pieces' entries stay; pieceData() of its pieces is then
// empty), so that the block's memory goes as soon as the copies blockDone
// took are gone.
enum class BlockAfterDone { Keep, Drop };

// The piece a volume would take next.
struct NextPiece {
    int chapter = 0;   // its chapter, in the book
    qint64 number = 0; // its file name
    QStringView text;  // the piece's text
    bool cut = false;  // cut from a longer rest (its file ends in CR LF)
};

// Whether a volume has room for the next piece besides its text budget:
// Fits, Full (the volume ends before it), or Measure: the writer hands its
// open block to blockDone first (so that its pieces can be deflated and
// measured) and asks again; a second Measure counts as Full.
enum class Room { Fits, Full, Measure };
using RoomFn = std::function<Room(const Volume& volume, const NextPiece& next)>;

// Writes the pieces of one volume, starting where `cursor` stands, until the
// budget (0 = none) is reached, `room` (asked before every piece but the
// volume's first) says it is full, or the chapters are exhausted, and
// advances the cursor. `texts` holds one text per chapter name. Each
// chapter part (a chapter, or the part of it in this volume, or a part of
// kPartPieceLimit pieces) has its entry in the index. Does not fail.
[[nodiscard]] Result<Volume> writeVolume(const QStringList& names, const QStringList& texts, qint64 budgetKiB,
                                         Cursor& cursor, const RefreshFn& refresh = {}, const BlockFn& blockDone = {},
                                         BlockAfterDone after = BlockAfterDone::Keep, const RoomFn& room = {});

// How many volumes writeVolume cuts the book into under the budget (0 =
// none: one), measured without writing a piece.
[[nodiscard]] Result<int> volumeCount(const QStringList& names, const QStringList& texts, qint64 budgetKiB);

// The file "volume" that each volume of a book cut into volumes carries
// beside the others, for the reader to read the volumes as one book: the
// volume's number, the count, the book's number of the volume's first
// chapter, 1 when that chapter began in the volume before (else 0) and the
// next volume's JAR file name (empty in the last), one a line.
[[nodiscard]] QString volumeInformation(int number, int count, int firstChapter, bool continues,
                                        const QString& nextJar);

// The end-of-book test after a volume: every chapter written, or only the
// last one left and nothing of it remains.
[[nodiscard]] bool bookFinished(const QStringList& texts, const Cursor& cursor);

} // namespace vamo::payload
