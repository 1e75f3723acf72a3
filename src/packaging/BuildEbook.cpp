// SPDX-License-Identifier: GPL-3.0-or-later
#include "packaging/BuildEbook.h"

#include "packaging/Archive.h"
#include "packaging/BuildFiles.h"
#include "packaging/Descriptor.h"
#include "packaging/MakeChecks.h"
#include "packaging/Payload.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace vamo {

namespace {

const QString kManifestEntry = u"META-INF/MANIFEST.MF"_s;
QString native(const QString& path) { return QDir::toNativeSeparators(path); }

double progressFraction(qint64 processed, qint64 total)
{
    const double f = total > 0 ? static_cast<double>(processed) / static_cast<double>(total) : 1.0;
    return f > 1.0 ? 0.99 : f;
}

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
QString messageAsBuilt(const QString& message) { return message.trimmed().isEmpty() ? u" "_s : message; }

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
// as they come.
struct PendingVolume {
    payload::Volume payload;
    QByteArray manifestBytes;
    QByteArray capterBytes;
    QByteArray volumeBytes; // the volume information, in a book cut into volumes
    int firstChapter = 1;   // the book's number of the volume's first chapter
    bool continues = false; // which began in the volume before
    QString manifesttext;
    QString jarBase;
    // Over the bytes above, so dropped first: the manifest, chapter index
    // and book information, then the pieces in writing order.
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
        packing.push_back(packer.start(std::move(entries), vol.blocks[block]));
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
    Result<void> packVolume(PendingVolume& v);
    void nameVolume(PendingVolume& v);
    Result<void> finishVolume(PendingVolume& v, BuildFiles::Volume& target);
    Result<void> writeJad(const PendingVolume& v, qint64 jarSize, BuildFiles::Volume& target);
    BuildReport report() const;
    void refresh(qint64 processed);
    QString volumeSuffix(int number) const;

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
    QByteArray m_textBytes; // the book information, in every volume; outlives the packer's work
    std::optional<archive::Packer> m_ownPacker;
    archive::Packer* m_packer = nullptr;
    payload::Cursor m_cursor;
    double m_shown = 0; // the fraction last reported
    int m_volume = 0;   // the last volume's number; 0 while the book is one volume
    int m_volumeCount = 1;
    int m_digits = 1;
    bool m_more = true; // the book has text for another volume
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
        return std::unexpected(ok.error());
    if (auto ok = readTemplate(); !ok)
        return std::unexpected(ok.error());
    auto started = BuildFiles::start(m_bookFolder, m_env.fileSteps);
    if (!started)
        return std::unexpected(started.error());
    m_files = std::move(*started);
    if (auto ok = writeVolumes(); !ok)
        return std::unexpected(ok.error());
    // Every volume is complete: put them in place of the older files.
    if (auto committed = m_files->commit(m_volumes, m_jarName); !committed)
        return std::unexpected(committed.error());
    return report();
}

Result<void> BookBuild::checkInput() const
{
    if (auto ok = checkJarName(m_jarName); !ok)
        return std::unexpected(ok.error().error());
    if (auto ok = checkBookName(m_bookName); !ok)
        return std::unexpected(ok.error().error());
    if (m_book.chapterCount() == 0)
        return fail(u"请添加章节内容"_s);
    return {};
}

Result<void> BookBuild::readTemplate()
{
    const QString templatePath =
        QDir(m_env.templateFolder)
            .filePath(m_book.settings().phoneModel == 1 ? u"DuvEverMoto.dll"_s : u"DuvEver.dll"_s);
    QFile file(templatePath);
    if (!QFileInfo(templatePath).isFile())
        return fail(u"找不到电子书模板文件："_s + native(templatePath));
    if (!file.open(QIODevice::ReadOnly))
        return fail(u"无法读取文件："_s + native(templatePath));
    const QByteArray templateBytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(u"无法读取文件："_s + native(templatePath));
    if (!archive::checkTemplate(templateBytes))
        return fail(u"电子书模板文件损坏："_s + native(templatePath));
    m_templateBytes = templateBytes;
    return {};
}

void BookBuild::refresh(qint64 processed)
{
    m_shown = progressFraction(processed, m_total);
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
    // Each volume names the count and the next volume, so the cuts are measured first.
    if (const qint64 budget = payload::textBudget(settings.jarSize); budget > 0) {
        auto count = payload::volumeCount(m_book.chapterNames(), m_book.chapterTexts(), budget);
        if (!count)
            return std::unexpected(count.error());
        m_volumeCount = *count;
    }
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
        return fail(u"生成JAR包失败：分册数不符"_s);
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
    auto vol = payload::writeVolume(
        m_book.chapterNames(), texts, payload::textBudget(m_book.settings().jarSize), m_cursor,
        [this](qint64 processed) { refresh(processed); }, blockDone, payload::BlockAfterDone::Drop);
    if (!vol)
        return std::unexpected(vol.error());
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

// The volume's file names, manifest and chapter index; the packer starts on
// the manifest, the chapter index and the book information.
QString BookBuild::volumeSuffix(int number) const
{
    return number != 0 ? u"("_s + u"%1"_s.arg(number, m_digits, 10, QLatin1Char('0')) + u")"_s : QString();
}

void BookBuild::nameVolume(PendingVolume& v)
{
    const QString suffix = volumeSuffix(m_volume);
    const QString jarFile = m_jarName + suffix + u".jar"_s;
    const QString jarPath = QDir(m_bookFolder).filePath(jarFile);
    m_volumes.push_back({QString(), jarPath, QString(), m_bookFolderPath + m_jarName + suffix + u".jad"_s});

    v.jarBase = m_jarName + suffix;
    v.manifesttext = composeManifest(m_bookName + suffix);
    v.manifestBytes = savetoutf8(v.manifesttext);
    v.capterBytes = payload::utf8WithBom(v.payload.capter);
    std::vector<archive::Entry> entries{{kManifestEntry.toLatin1(), v.manifestBytes},
                                        {QByteArrayLiteral("capter"), v.capterBytes},
                                        {QByteArrayLiteral("text"), m_textBytes}};
    if (m_volume != 0) {
        const QString nextJar =
            m_volume < m_volumeCount ? m_jarName + volumeSuffix(m_volume + 1) + u".jar"_s : QString();
        v.volumeBytes = payload::utf8WithBom(
            payload::volumeInformation(m_volume, m_volumeCount, v.firstChapter, v.continues, nextJar));
        entries.push_back({QByteArrayLiteral("volume"), v.volumeBytes});
    }
    v.packing.insert(v.packing.begin(), m_packer->start(std::move(entries)));
}

// The volume's JAR under a temporary name, its manifest read back, then its
// JAD beside it.
Result<void> BookBuild::finishVolume(PendingVolume& v, BuildFiles::Volume& target)
{
    auto jar = m_files->createTemporary(u"jar"_s);
    if (!jar)
        return std::unexpected(jar.error());
    target.jarTemporary = (*jar)->fileName();
    // While a JAR is written the fraction stands still; the caller still
    // hears from the build, to keep its window painting.
    const std::function<void()> alive = [this] {
        if (m_progress)
            m_progress(m_shown);
    };
    const auto jarSize = archive::writeJar(m_templateBytes, v.packing, **jar, alive);
    if (!jarSize)
        return std::unexpected(jarSize.error());
    v.packing.clear();
    v.payload = payload::Volume();

    // Read back from the file still open, before it is closed.
    const auto manifest = archive::readEntry(**jar, kManifestEntry.toLatin1());
    (*jar)->close();
    if ((*jar)->error() != QFileDevice::NoError)
        return fail(u"无法写入文件："_s + native(target.jarTemporary));
    if (!manifest || *manifest != v.manifestBytes)
        return fail(u"生成JAR包失败："_s + (manifest ? u"清单未写入"_s : manifest.error().message));
    return writeJad(v, *jarSize, target);
}

Result<void> BookBuild::writeJad(const PendingVolume& v, qint64 jarSize, BuildFiles::Volume& target)
{
    QString jadText = v.manifesttext;
    jadText += jadLines(jarSize, v.jarBase + u".jar"_s);
    auto jad = m_files->createTemporary(u"jad"_s);
    if (!jad)
        return std::unexpected(jad.error());
    target.jadTemporary = (*jad)->fileName();
    auto saved = savetoutf9(jadText, **jad);
    (*jad)->close();
    if (!saved)
        return std::unexpected(saved.error());
    if ((*jad)->error() != QFileDevice::NoError)
        return fail(u"无法写入文件："_s + native(target.jadTemporary));
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
        report.message = u"成功制做"_s + report.jarPaths.front();
    } else {
        // The JAR name as typed.
        report.message = u"成功制做"_s + m_bookFolderPath + m_book.settings().jarName + u"(0~"_s +
                         QString::number(m_volume) + u").jar"_s;
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
        return fail(u"内存不足，无法制作："_s + bookNameAsBuilt(book.settings().bookName));
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
