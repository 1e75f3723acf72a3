// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/BuildEbook.h"

#include "model/Progress.h"
#include "model/SystemError.h"
#include "packaging/Archive.h"
#include "packaging/ArchiveReadBack.h"
#include "packaging/BuildFiles.h"
#include "packaging/Descriptor.h"
#include "packaging/MakeChecks.h"
#include "packaging/Payload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vamo {

namespace {

const QString kManifestEntry = QStringLiteral("META-INF/MANIFEST.MF");
QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// Width of the volume numbers, from the share of the book in the first volume.
int volumeDigits(qint64 total, qint64 processedInFirst)
{
    const qint64 estimate = processedInFirst > 0 ? total / processedInFirst : total;
    if (estimate <= 1)
        return 1;
    if (estimate <= 99)
        return 2;
    if (estimate <= 999)
        return 3;
    return 4;
}

// A blank message goes into the book information, and back into the
// project after the build, as one space.
QString messageAsBuilt(const QString& message) { return message.trimmed().isEmpty() ? QStringLiteral(" ") : message; }

// The book name as the folder, the manifest and the title page have it.
// Trimmed first: spaces around the name would otherwise become underscores.
QString bookNameAsBuilt(const QString& bookName)
{
    QString name = bookName.trimmed();
    name.replace(u' ', u'_');
    return name;
}

qint64 totalCharacters(const QStringList& texts)
{
    qint64 total = 0;
    for (const QString& text : texts)
        total += text.size();
    return total;
}

// One volume from its payload to its JAR. Its pieces are deflated on the
// packer's threads while its payload is still being written, a block at a
// time, and while the next volume's payload is written; its JAR is written
// as they come. Every batch holds the bytes its entries view (shares of the
// blocks and of the byte arrays below), so a volume may be moved or dropped
// at any time.
struct PendingVolume {
    payload::Volume payload;
    QByteArray manifestBytes; // compared with the manifest read back
    int firstChapter = 1;     // the book's number of the volume's first chapter
    bool continues = false;   // which began in the volume before
    QString manifesttext;
    QString jarBase;
    // The manifest, chapter index and book information (and the volume
    // information), then the pieces in writing order.
    std::vector<archive::Packer::Batch> packing;
    std::vector<qsizetype> blockBytes; // per batch of pieces, while the payload is written
    std::size_t helped = 0;            // batches of pieces this thread has seen deflated
    qsizetype aheadBytes = 0;          // bytes of the batches after those

    static constexpr qsizetype kAheadBytes = qsizetype(16) << 20;

    // Starts deflating the pieces [from, to) of block `block`. The packer
    // holds the block until its pieces are deflated; the volume lets go of
    // it at once, so that a long volume is never held whole in memory.
    void packBlock(archive::Packer& packer, const payload::Volume& vol, std::size_t block, std::size_t from,
                   std::size_t to)
    {
        std::vector<archive::Entry> entries;
        entries.reserve(to - from);
        qsizetype bytes = 0;
        for (std::size_t i = from; i < to; ++i) {
            entries.push_back({QByteArray::number(vol.pieces[i].number), vol.pieceData(vol.pieces[i])});
            bytes += entries.back().data.size();
        }
        packing.push_back(packer.start(std::move(entries), {vol.blocks[block]}));
        blockBytes.push_back(bytes);
        aheadBytes += bytes;
        // The payload is written faster than the workers deflate it, and
        // what waits is held in memory: past 16 MiB this thread deflates
        // too, the oldest first.
        while (aheadBytes > kAheadBytes && helped + 1 < packing.size()) {
            archive::Packer::Batch& oldest = packing[helped];
            for (std::size_t i = 0; i < oldest.size(); ++i) {
                if (!oldest.wait(i))
                    break; // writing the JAR reports it
            }
            aheadBytes -= blockBytes[helped];
            ++helped;
        }
    }
};

// Where a volume of a book cut into volumes starts: the book's number of its
// first chapter, and whether that chapter began in the volume before.
struct VolumeStart {
    int firstChapter = 1;
    bool continues = false;
};

// Keeps a volume's JAR within its size class, as the volume's payload is
// written: the template, the manifest, the book information, the chapter
// index and every piece, each deflated with its headers. What is not yet
// deflated counts at a bound of its deflated size (its own bytes and a
// little more); only where that bound would pass the class's size are the
// volume's pieces deflated so far waited for (and the open block handed
// over to be deflated), and at the very edge the next piece and the chapter
// index are deflated here to know their sizes. A volume that stays within
// the class far from its size never waits.
class JarRoom {
public:
    // `fixedBytes`: the template and the volume's entries other than its
    // pieces and chapter index, deflated, with their headers.
    JarRoom(qint64 limit, qint64 fixedBytes, archive::Packer& packer, PendingVolume& volume, const QStringList& names)
        : m_limit(limit), m_fixed(fixedBytes), m_packer(packer), m_volume(volume), m_names(names)
    {
    }

    payload::Room operator()(const payload::Volume& vol, const payload::NextPiece& next)
    {
        countHeaders(vol);
        // The next piece's file and its chapter index entry, loosely, then
        // exactly (its file before encoding: header, text, CR LF).
        const qsizetype rawBound = 3 + 4 * (next.text.size() + 2) + 2 + 3 * next.text.size() + 2;
        const qint64 entryBound = 3 * qint64{m_names.value(next.chapter).size()} + 24;
        const qint64 nextHeaders = archive::addedEntryOverhead(QByteArray::number(next.number).size());
        auto fits = [&](qint64 nextBytes) { return bound(vol) + entryBound + nextHeaders + nextBytes <= m_limit; };
        if (fits(deflateBound(rawBound)))
            return payload::Room::Fits;
        const QByteArray file = payload::pieceFile(next.text, next.cut);
        if (fits(deflateBound(file.size())))
            return payload::Room::Fits;
        // Nearer: what was handed over is measured, the open block is.
        if (m_batches < m_volume.packing.size()) {
            measurePieces(vol);
            if (fits(deflateBound(file.size())))
                return payload::Room::Fits;
        }
        if (m_pieces < vol.pieces.size())
            return payload::Room::Measure;
        // At the edge: the chapter index and the piece themselves.
        measureCapter(vol);
        return fits(deflated(file)) ? payload::Room::Fits : payload::Room::Full;
    }

private:
    // Deflate never grows a piece by more than a few bytes of block headers.
    static qint64 deflateBound(qint64 raw) { return raw + 5 * (raw / 16384 + 1) + 8; }

    // The volume as known: pieces measured exactly, the rest at their bound;
    // the chapter index as last measured, what was added since loosely.
    qint64 bound(const payload::Volume& vol) const
    {
        const qint64 pending = vol.volumeBytes - m_measuredRaw;
        const auto pendingCount = static_cast<qint64>(vol.pieces.size() - m_pieces);
        const qint64 capterTail = 3 * qint64{vol.capter.size() - m_capterChars};
        return m_fixed + m_headers + m_deflated + pending + 13 * pendingCount + m_capterBytes + capterTail + 16;
    }

    void countHeaders(const payload::Volume& vol)
    {
        for (; m_headersCounted < vol.pieces.size(); ++m_headersCounted)
            m_headers += archive::addedEntryOverhead(QByteArray::number(vol.pieces[m_headersCounted].number).size());
    }

    // Waits for the batches handed over since the last measure.
    void measurePieces(const payload::Volume& vol)
    {
        for (; m_batches < m_volume.packing.size(); ++m_batches) {
            archive::Packer::Batch& batch = m_volume.packing[m_batches];
            for (std::size_t i = 0; i < batch.size(); ++i) {
                const archive::PackedEntry* packed = batch.wait(i);
                // A failed deflate is reported when the JAR is written;
                // here it counts at its bound.
                const qint64 raw = vol.pieces[m_pieces].size;
                m_deflated += packed ? packed->deflated.size() : deflateBound(raw);
                m_measuredRaw += raw;
                ++m_pieces;
            }
        }
    }

    void measureCapter(const payload::Volume& vol)
    {
        if (m_capterChars == vol.capter.size())
            return;
        m_capterBytes = deflated(payload::utf8WithBom(vol.capter));
        m_capterChars = vol.capter.size();
    }

    // Deflated here, as the packer deflates an entry on its own.
    qint64 deflated(const QByteArray& bytes)
    {
        archive::Packer::Batch batch = m_packer.start({{QByteArrayLiteral("size"), bytes}});
        const archive::PackedEntry* packed = batch.wait(0);
        return packed ? packed->deflated.size() : deflateBound(bytes.size());
    }

    const qint64 m_limit;
    const qint64 m_fixed;
    archive::Packer& m_packer;
    PendingVolume& m_volume;
    const QStringList& m_names;
    std::size_t m_batches = 0;        // batches measured
    std::size_t m_pieces = 0;         // pieces measured
    qint64 m_deflated = 0;            // their deflated bytes
    qint64 m_measuredRaw = 0;         // and their own
    std::size_t m_headersCounted = 0; // pieces whose headers are counted
    qint64 m_headers = 0;             // their headers
    qsizetype m_capterChars = 0;      // the chapter index as last measured
    qint64 m_capterBytes = 0;         // deflated then (with the headers of its entry)
};

// One build, in its steps: check the input, read the template, start the
// book folder's files, write the volumes (each: payload and pack, names,
// then JAR, verification and JAD while the next one is packed), commit them
// and report. Works only on the snapshot and on files of its own.
class BookBuild {
public:
    BookBuild(const BookSnapshot& book, const BuildEnvironment& env, const BuildProgressFn& progress);
    BookBuild(const BookBuild&) = delete;
    BookBuild& operator=(const BookBuild&) = delete;

    Result<BuildReport> run();

private:
    Result<void> checkInput() const;
    Result<void> readTemplate();
    Result<void> writeVolumes();
    qint64 fixedVolumeBytes();
    Result<void> packVolume(PendingVolume& v);
    void nameVolume(PendingVolume& v);
    Result<void> finishVolume(PendingVolume& v, BuildFiles::Volume& target);
    Result<void> writeJad(const QString& manifesttext, const QString& jarBase, qint64 jarSize,
                          BuildFiles::Volume& target);
    Result<void> restampVolumes();
    BuildReport report() const;
    std::unexpected<Error> finalNamed(const Error& error) const;
    void refresh(qint64 processed);
    QString volumeSuffix(int number) const;
    QByteArray volumeEntry(int number, int count, VolumeStart start) const;

    const BookSnapshot& m_book;
    const BuildEnvironment& m_env;
    const BuildProgressFn& m_progress;
    const QString m_message;
    const QString m_bookName;
    const QString m_jarName;
    const qint64 m_total;
    const QString m_bookFolder;
    const QString m_bookFolderPath; // native, with a trailing separator
    QByteArray m_templateBytes;
    // Holds the book folder until the build is over; on failure it takes
    // every file of this build away again.
    std::unique_ptr<BuildFiles> m_files;
    std::vector<BuildFiles::Volume> m_volumes;
    std::vector<VolumeStart> m_starts; // per volume of a book cut into volumes
    QByteArray m_textBytes;            // the book information, in every volume
    qint64 m_fixedBytes = 0;           // a volume's JAR besides its pieces and chapter index (JarRoom)
    std::optional<archive::Packer> m_ownPacker;
    archive::Packer* m_packer = nullptr;
    payload::Cursor m_cursor;
    double m_shown = 0; // the fraction last reported
    int m_volume = 0;   // the last volume's number; 0 while the book is one volume
    int m_volumeCount = 1;
    int m_digits = 1;
    bool m_more = true;        // the book has text for another volume
    std::size_t m_writing = 0; // the volume whose files are being written
};

BookBuild::BookBuild(const BookSnapshot& book, const BuildEnvironment& env, const BuildProgressFn& progress)
    : m_book(book), m_env(env), m_progress(progress), m_message(messageAsBuilt(book.settings().message)),
      m_bookName(bookNameAsBuilt(book.settings().bookName)), m_jarName(book.settings().jarName.trimmed()),
      m_total(totalCharacters(book.chapterTexts())),
      m_bookFolder(QDir(book.settings().saveFolder).filePath(m_bookName)),
      m_bookFolderPath(native(m_bookFolder) + QDir::separator())
{
}

Result<BuildReport> BookBuild::run()
{
    if (auto ok = checkInput(); !ok)
        return failure(ok);
    if (auto ok = readTemplate(); !ok)
        return failure(ok);
    auto started = BuildFiles::start(m_bookFolder, m_env.fileSteps, m_env.unfinishedList);
    if (!started)
        return finalNamed(started.error());
    m_files = std::move(*started);
    if (auto ok = writeVolumes(); !ok)
        return finalNamed(ok.error());
    // Every volume is complete: put them in place of the older files.
    if (auto committed = m_files->commit(m_volumes, m_jarName); !committed)
        return finalNamed(committed.error());
    return report();
}

// A file that cannot be written is named as the user knows it: the JAR or
// JAD that a hidden temporary file of the build was to become (for the
// journal and the lock: the book's JAR), never the hidden name.
std::unexpected<Error> BookBuild::finalNamed(const Error& error) const
{
    static const QString prefix = QStringLiteral("无法写入文件：");
    static const QRegularExpression hidden(
        QStringLiteral("\\.vamobook(?:-[0-9a-z]{16}(?:-[0-9a-z]{10}\\.(jar|jad)|\\.build)|\\.lock)"));
    Error named = error;
    const QRegularExpressionMatch found = hidden.match(named.message);
    const qsizetype from = prefix.size();
    if (!named.message.startsWith(prefix) || !found.hasMatch() || from > found.capturedStart())
        return std::unexpected(named);
    const qsizetype length = found.capturedEnd() - from;
    const QString temporary = named.message.mid(from, length);
    const bool jad = found.captured(1) == QStringLiteral("jad");
    QString final = m_bookFolderPath + m_jarName + QStringLiteral(".jar");
    if (m_writing < m_volumes.size())
        final = jad ? m_volumes[m_writing].jad : m_volumes[m_writing].jar;
    for (const BuildFiles::Volume& v : m_volumes) {
        if (temporary == native(v.jarTemporary))
            final = v.jar;
        else if (temporary == native(v.jadTemporary))
            final = v.jad;
    }
    named.message.replace(from, length, native(final));
    return std::unexpected(named);
}

Result<void> BookBuild::checkInput() const
{
    if (auto ok = checkJarName(m_jarName); !ok)
        return failure(ok);
    if (auto ok = checkBookName(m_bookName); !ok)
        return failure(ok);
    if (m_book.chapterCount() == 0)
        return fail(QStringLiteral("请添加章节内容"));
    return {};
}

Result<void> BookBuild::readTemplate()
{
    const QString templatePath = QDir(m_env.templateFolder)
                                     .filePath(m_book.settings().phoneModel == 1 ? QStringLiteral("DuvEverMoto.dll")
                                                                                 : QStringLiteral("DuvEver.dll"));
    QFile file(templatePath);
    if (!QFileInfo(templatePath).isFile())
        return fail(QStringLiteral("找不到电子书模板文件：") + native(templatePath));
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("无法读取文件：") + native(templatePath));
    const QByteArray templateBytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("无法读取文件：") + native(templatePath));
    if (!archive::checkTemplate(templateBytes))
        return fail(QStringLiteral("电子书模板文件损坏：") + native(templatePath));
    m_templateBytes = templateBytes;
    return {};
}

void BookBuild::refresh(qint64 processed)
{
    m_shown = shownFraction(processed, m_total);
    if (m_progress)
        m_progress(m_shown);
}

// Each volume is packed while the one before it is written: the JAR of a
// volume is written once the next volume's payload is out.
Result<void> BookBuild::writeVolumes()
{
    m_packer = m_env.packer ? m_env.packer : &m_ownPacker.emplace();
    const BookSettings& settings = m_book.settings();
    m_textBytes = payload::utf8WithBom(payload::bookInformation(m_bookName, m_message, settings.maker));
    // Each volume names the count, so the cuts are measured first from the
    // text; where the JAR size cuts sooner, the volumes are stamped again
    // with the count as it came out (restampVolumes).
    if (const qint64 budget = payload::textBudget(settings.jarSize); budget > 0) {
        auto count = payload::volumeCount(m_book.chapterNames(), m_book.chapterTexts(), budget);
        if (!count)
            return failure(count);
        m_volumeCount = *count;
    }
    if (payload::jarSizeLimit(settings.jarSize) > 0)
        m_fixedBytes = fixedVolumeBytes();
    std::optional<PendingVolume> pending;
    while (m_more || pending) {
        std::optional<PendingVolume> next;
        if (m_more) {
            if (auto ok = packVolume(next.emplace()); !ok)
                return ok;
            nameVolume(*next);
        }
        if (pending) {
            BuildFiles::Volume& target = m_volumes[m_volumes.size() - (next ? 2 : 1)];
            if (auto ok = finishVolume(*pending, target); !ok)
                return ok;
        }
        pending = std::move(next);
    }
    if (m_volume != 0 && m_volume != m_volumeCount)
        return restampVolumes();
    return {};
}

// The volume's payload up to the size budget, its pieces handed to the
// packer block by block; then where the book stands: finished, or cut into
// numbered volumes.
Result<void> BookBuild::packVolume(PendingVolume& v)
{
    archive::Packer& packer = *m_packer;
    const payload::BlockFn blockDone = [&v, &packer](const payload::Volume& vol, std::size_t block, std::size_t from,
                                                     std::size_t to) { v.packBlock(packer, vol, block, from, to); };
    const QStringList& texts = m_book.chapterTexts();
    v.firstChapter = m_cursor.firstOpen + 1;
    v.continues = m_cursor.consumed > 0;
    // Besides the text budget, the volume ends before its JAR would pass the
    // size class.
    std::optional<JarRoom> jarRoom;
    payload::RoomFn room;
    if (const qint64 limit = payload::jarSizeLimit(m_book.settings().jarSize); limit > 0) {
        jarRoom.emplace(limit, m_fixedBytes, packer, v, m_book.chapterNames());
        room = std::ref(*jarRoom);
    }
    auto vol = payload::writeVolume(
        m_book.chapterNames(), texts, payload::textBudget(m_book.settings().jarSize), m_cursor,
        [this](qint64 processed) { refresh(processed); }, blockDone, payload::BlockAfterDone::Drop, room);
    if (!vol)
        return failure(vol);
    v.payload = std::move(*vol);

    if (payload::bookFinished(texts, m_cursor)) {
        m_more = false;
        if (m_volume > 0)
            ++m_volume;
    } else {
        ++m_volume;
    }
    if (m_volume == 1)
        m_digits = volumeDigits(m_total, m_cursor.processed);
    return {};
}

// The template, the book information and the manifest (of the longest
// volume name), deflated, with their headers and those of the chapter index.
qint64 BookBuild::fixedVolumeBytes()
{
    const QByteArray manifest = savetoutf8(composeManifest(m_bookName + QStringLiteral("(0000)")));
    archive::Packer::Batch batch =
        m_packer->start({{kManifestEntry.toLatin1(), manifest}, {QByteArrayLiteral("text"), m_textBytes}});
    qint64 bytes = m_templateBytes.size() + archive::addedEntryOverhead(kManifestEntry.size()) +
                   archive::addedEntryOverhead(4) + archive::addedEntryOverhead(6);
    const archive::PackedEntry* packedManifest = batch.wait(0);
    bytes += packedManifest ? packedManifest->deflated.size() + 8 : manifest.size() + 16;
    const archive::PackedEntry* packedText = batch.wait(1);
    bytes += packedText ? packedText->deflated.size() : m_textBytes.size() + 16;
    // The volume information at its longest, stored as deflate may.
    const QByteArray volume = payload::utf8WithBom(payload::volumeInformation(
        99999, 99999, BookProject::kChapterLimit, true, m_jarName + QStringLiteral("(99999).jar")));
    bytes += archive::addedEntryOverhead(6) + volume.size() + 16;
    return bytes;
}

// The volume's file names, manifest and chapter index; the packer starts on
// the manifest, the chapter index and the book information.
QString BookBuild::volumeSuffix(int number) const
{
    return number != 0 ? QStringLiteral("(") + QStringLiteral("%1").arg(number, m_digits, 10, QLatin1Char('0')) +
                             QStringLiteral(")")
                       : QString();
}

// The volume information of volume `number` of `count`.
QByteArray BookBuild::volumeEntry(int number, int count, VolumeStart start) const
{
    const QString nextJar = number < count ? m_jarName + volumeSuffix(number + 1) + QStringLiteral(".jar") : QString();
    return payload::utf8WithBom(
        payload::volumeInformation(number, count, start.firstChapter, start.continues, nextJar));
}

void BookBuild::nameVolume(PendingVolume& v)
{
    const QString suffix = volumeSuffix(m_volume);
    const QString jarFile = m_jarName + suffix + QStringLiteral(".jar");
    const QString jarPath = QDir(m_bookFolder).filePath(jarFile);
    m_volumes.push_back(
        {QString(), jarPath, QString(), m_bookFolderPath + m_jarName + suffix + QStringLiteral(".jad")});

    v.jarBase = m_jarName + suffix;
    v.manifesttext = composeManifest(m_bookName + suffix);
    v.manifestBytes = savetoutf8(v.manifesttext);
    const QByteArray capterBytes = payload::utf8WithBom(v.payload.capter);
    std::vector<archive::Entry> entries{{kManifestEntry.toLatin1(), v.manifestBytes},
                                        {QByteArrayLiteral("capter"), capterBytes},
                                        {QByteArrayLiteral("text"), m_textBytes}};
    QByteArrayList owners{v.manifestBytes, capterBytes, m_textBytes};
    if (m_volume != 0) {
        // The volume was just cut: whether another follows is known.
        const QByteArray volumeBytes =
            volumeEntry(m_volume, std::max(m_volumeCount, m_volume + (m_more ? 1 : 0)), {v.firstChapter, v.continues});
        m_starts.push_back({v.firstChapter, v.continues});
        entries.push_back({QByteArrayLiteral("volume"), volumeBytes});
        owners.append(volumeBytes);
    }
    v.packing.insert(v.packing.begin(), m_packer->start(std::move(entries), std::move(owners)));
}

// The volume's JAR under a temporary name, its manifest read back, then its
// JAD beside it.
Result<void> BookBuild::finishVolume(PendingVolume& v, BuildFiles::Volume& target)
{
    m_writing = static_cast<std::size_t>(&target - m_volumes.data());
    auto jar = m_files->createTemporary(QStringLiteral("jar"));
    if (!jar)
        return failure(jar);
    target.jarTemporary = (*jar)->fileName();
    // While a JAR is written the fraction stands still; the caller still
    // hears from the build, to keep its window painting.
    const std::function<void()> alive = [this] {
        if (m_progress)
            m_progress(m_shown);
    };
    const auto jarSize = archive::writeJar(m_templateBytes, v.packing, **jar, alive);
    if (!jarSize)
        return failure(jarSize);
    v.packing.clear();
    v.payload = payload::Volume();

    // Read back from the file still open, before it is closed.
    const auto manifest = archive::readEntry(**jar, kManifestEntry.toLatin1());
    clearSystemError();
    (*jar)->close();
    if ((*jar)->error() != QFileDevice::NoError)
        return fail(cannotWriteFile(target.jarTemporary, lastSystemError()));
    if (!manifest || *manifest != v.manifestBytes)
        return fail(QStringLiteral("生成JAR包失败：") +
                    (manifest ? QStringLiteral("清单未写入") : manifest.error().message));
    return writeJad(v.manifesttext, v.jarBase, *jarSize, target);
}

Result<void> BookBuild::writeJad(const QString& manifesttext, const QString& jarBase, qint64 jarSize,
                                 BuildFiles::Volume& target)
{
    auto jad = target.jadTemporary.isEmpty() ? m_files->createTemporary(QStringLiteral("jad"))
                                             : m_files->rewriteTemporary(target.jadTemporary);
    if (!jad)
        return failure(jad);
    if (target.jadTemporary.isEmpty())
        target.jadTemporary = (*jad)->fileName();
    auto saved = savetoutf9(manifesttext + jadLines(jarSize, jarBase + QStringLiteral(".jar")), **jad);
    clearSystemError();
    (*jad)->close();
    if (!saved)
        return failure(saved);
    if ((*jad)->error() != QFileDevice::NoError)
        return fail(cannotWriteFile(target.jadTemporary, lastSystemError()));
    return {};
}

// The volumes were written with the count measured from the text alone,
// and the JAR size cut some sooner: each volume's JAR is written again in
// its own temporary file with its information counting the volumes as they
// came out (its other entries copied as they are), and its JAD after it.
Result<void> BookBuild::restampVolumes()
{
    for (std::size_t i = 0; i < m_volumes.size(); ++i) {
        BuildFiles::Volume& target = m_volumes[i];
        m_writing = i;
        const int number = static_cast<int>(i) + 1;
        QByteArray written;
        auto jar = m_files->rewriteTemporary(target.jarTemporary, &written);
        if (!jar)
            return failure(jar);
        const QByteArray volume = volumeEntry(number, m_volume, m_starts[i]);
        std::vector<archive::Packer::Batch> batches;
        batches.push_back(m_packer->start({{QByteArrayLiteral("volume"), volume}}));
        const auto jarSize = archive::writeJar(written, batches, **jar);
        if (!jarSize)
            return failure(jarSize);
        const auto readBack = archive::readEntry(**jar, QByteArrayLiteral("volume"));
        clearSystemError();
        (*jar)->close();
        if ((*jar)->error() != QFileDevice::NoError)
            return fail(cannotWriteFile(target.jarTemporary, lastSystemError()));
        if (!readBack || *readBack != volume)
            return fail(QStringLiteral("生成JAR包失败：") +
                        (readBack ? QStringLiteral("分册信息未写入") : readBack.error().message));

        const QString suffix = volumeSuffix(number);
        if (auto ok = writeJad(composeManifest(m_bookName + suffix), m_jarName + suffix, *jarSize, target); !ok)
            return ok;
        if (m_progress)
            m_progress(m_shown);
    }
    return {};
}

BuildReport BookBuild::report() const
{
    BuildReport report;
    for (const BuildFiles::Volume& v : m_volumes) {
        report.jarPaths.append(native(v.jar));
        report.jadPaths.append(native(v.jad));
    }
    report.bookFolder = native(m_bookFolder);
    if (m_volume == 0) {
        report.message = QStringLiteral("成功制做") + report.jarPaths.front();
    } else {
        // The JAR name as typed.
        report.message = QStringLiteral("成功制做") + m_bookFolderPath + m_book.settings().jarName +
                         QStringLiteral("(0~") + QString::number(m_volume) + QStringLiteral(").jar");
    }
    return report;
}

} // namespace

Result<BuildReport> BuildEbook(const BookSnapshot& book, const BuildEnvironment& env, const BuildProgressFn& progress)
{
    try {
        BookBuild build(book, env, progress);
        return build.run();
    } catch (const std::bad_alloc&) {
        // The build's files went with it; what it took is free again.
        return fail(QStringLiteral("内存不足，无法制作：") + bookNameAsBuilt(book.settings().bookName));
    }
}

void clearForNextBook(BookProject& book)
{
    const QString message = messageAsBuilt(book.settings().message);
    if (message != book.settings().message)
        book.setMessage(message);
    book.clearAfterBuild();
}

} // namespace vamo
