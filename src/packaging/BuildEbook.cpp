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

#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace vamo {

namespace {

const QString kManifestEntry = u"META-INF/MANIFEST.MF"_s;
QString native(const QString& path) { return QDir::toNativeSeparators(path); }

// The JAR path as the descriptor is written beside it. On Windows a book
// folder inside "X:\Documents and Settings\" is addressed through its short
// alias Docume~1, where that alias exists; elsewhere the path is unchanged.
QString shortJarPath(const QString& bookFolderPath, const QString& jarFileName)
{
#ifdef Q_OS_WIN
    if (bookFolderPath.mid(3, 22) == u"Documents and Settings") {
        const QString shortFolder = bookFolderPath.left(3) + u"Docume~1"_s + bookFolderPath.mid(25);
        if (QFileInfo(shortFolder).isDir())
            return shortFolder + jarFileName;
    }
#endif
    return bookFolderPath + jarFileName;
}

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

} // namespace

Result<BuildReport> BuildEbook(BookProject& book, const BuildEnvironment& env, const BuildProgressFn& progress)
{
    // Everything below works on copies; the project changes only on success.
    const BookSettings settings = book.settings();
    const QString message = settings.message.trimmed().isEmpty() ? u" "_s : settings.message;
    // Trimmed first: spaces around the name would otherwise become
    // underscores in the folder, the manifest and the book's title page.
    QString baseBookName = settings.bookName.trimmed();
    baseBookName.replace(u' ', u'_');
    const QString bookName = baseBookName;
    const QString jarName = settings.jarName.trimmed();
    const qint64 budget = payload::textBudget(settings.jarSize);

    // The make command has checked these; other callers are held to the same.
    if (jarName.isEmpty())
        return fail(u"jar包名为空"_s);
    if (auto ok = checkJarNameCharacters(jarName); !ok)
        return std::unexpected(ok.error());
    if (bookName.isEmpty())
        return fail(u"书名为空"_s);
    if (auto ok = checkBookNameCharacters(bookName); !ok)
        return std::unexpected(ok.error());
    const int count = book.chapterCount();
    if (count == 0)
        return fail(u"请添加章节内容"_s);

    const QStringList names = book.chapterNames();
    QStringList texts;
    texts.reserve(count);
    qint64 total = 0;
    for (int i = 0; i < count; ++i) {
        texts.append(book.chaptertext(i));
        total += texts.back().size();
    }

    const QString templatePath =
        QDir(env.templateFolder).filePath(settings.phoneModel == 1 ? u"DuvEverMoto.dll"_s : u"DuvEver.dll"_s);
    QByteArray templateBytes;
    {
        QFile file(templatePath);
        if (!QFileInfo(templatePath).isFile())
            return fail(u"找不到电子书模板文件："_s + native(templatePath));
        if (!file.open(QIODevice::ReadOnly))
            return fail(u"无法读取文件："_s + native(templatePath));
        templateBytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fail(u"无法读取文件："_s + native(templatePath));
    }
    if (!archive::checkTemplate(templateBytes))
        return fail(u"电子书模板文件损坏："_s + native(templatePath));

    const QString bookFolder = QDir(settings.saveFolder).filePath(bookName);
    // Holds the book folder until the build is over; on failure it takes
    // every file of this build away again.
    auto started = BuildFiles::start(bookFolder, env.fileSteps);
    if (!started)
        return std::unexpected(started.error());
    BuildFiles& files = **started;
    std::vector<BuildFiles::Volume> volumes;
    const QString bookFolderPath = native(bookFolder) + QDir::separator();

    const QByteArray textBytes = payload::utf8WithBom(payload::bookInformation(baseBookName, message, settings.maker));
    double shown = 0; // the fraction last reported
    const payload::RefreshFn refresh = [&](qint64 processed) {
        shown = progressFraction(processed, total);
        if (progress)
            progress(shown);
    };
    // While a JAR is written the fraction stands still; the caller still
    // hears from the build, to keep its window painting.
    const std::function<void()> alive = [&] {
        if (progress)
            progress(shown);
    };

    // A volume's pieces are deflated on the packer's threads while its
    // payload is still being written, a block at a time, and while the next
    // volume's payload is written; its JAR is written as they come.
    struct PendingVolume {
        payload::Volume payload;
        QByteArray manifestBytes;
        QByteArray capterBytes;
        QString manifesttext;
        QString jarBase;
        // Over the bytes above, so dropped first: the manifest, chapter index
        // and book information, then the pieces in writing order.
        std::vector<archive::Packer::Batch> packing;
        std::vector<qsizetype> blockBytes; // per batch of pieces, while the payload is written
        std::size_t helped = 0;            // batches of pieces this thread has seen deflated
        qsizetype aheadBytes = 0;          // bytes of the batches after those
    };
    constexpr qsizetype kAheadBytes = qsizetype(16) << 20;
    std::optional<archive::Packer> ownPacker;
    archive::Packer& packer = env.packer ? *env.packer : ownPacker.emplace();
    std::optional<PendingVolume> pending;
    payload::Cursor cursor;
    int volume = 0;
    int digits = 1;
    bool more = true;
    while (more || pending) {
        std::optional<PendingVolume> next;
        if (more) {
            PendingVolume& v = next.emplace();
            // The packer holds each block until its pieces are deflated; the
            // volume lets go of it at once, so that a long volume is never
            // held whole in memory.
            const payload::BlockFn blockDone = [&v, &packer](const payload::Volume& vol, std::size_t block,
                                                             std::size_t from, std::size_t to) {
                std::vector<archive::Entry> entries;
                entries.reserve(to - from);
                for (std::size_t i = from; i < to; ++i)
                    entries.push_back({QByteArray::number(vol.pieces[i].number), vol.pieceData(vol.pieces[i])});
                qsizetype bytes = 0;
                for (const archive::Entry& e : entries)
                    bytes += e.data.size();
                v.packing.push_back(packer.start(std::move(entries), vol.blocks[block]));
                v.blockBytes.push_back(bytes);
                v.aheadBytes += bytes;
                // The payload is written faster than the workers deflate it,
                // and what waits is held in memory: past 16 MiB this
                // thread deflates too, the oldest first.
                while (v.aheadBytes > kAheadBytes && v.helped + 1 < v.packing.size()) {
                    archive::Packer::Batch& oldest = v.packing[v.helped];
                    for (std::size_t i = 0; i < oldest.size(); ++i) {
                        if (!oldest.wait(i))
                            break; // writing the JAR reports it
                    }
                    v.aheadBytes -= v.blockBytes[v.helped];
                    ++v.helped;
                }
            };
            auto vol =
                payload::writeVolume(names, texts, budget, cursor, refresh, blockDone, payload::BlockAfterDone::Drop);
            if (!vol)
                return std::unexpected(vol.error());
            v.payload = std::move(*vol);

            if (payload::bookFinished(texts, cursor)) {
                more = false;
                if (volume > 0)
                    ++volume;
            } else {
                ++volume;
            }
            if (volume == 1)
                digits = volumeDigits(total, cursor.processed);

            const QString suffix =
                volume != 0 ? u"("_s + u"%1"_s.arg(volume, digits, 10, QLatin1Char('0')) + u")"_s : QString();
            const QString jarFile = jarName + suffix + u".jar"_s;
            const QString jarPath = QDir(bookFolder).filePath(jarFile);
            const QString jadUrl = shortJarPath(bookFolderPath, jarFile).chopped(4);
            volumes.push_back({QString(), jarPath, QString(), jadUrl + u".jad"_s});

            v.jarBase = jarName + suffix;
            v.manifesttext = composeManifest(bookName + suffix);
            v.manifestBytes = savetoutf8(v.manifesttext);
            v.capterBytes = payload::utf8WithBom(v.payload.capter);
            v.packing.insert(v.packing.begin(), packer.start({{kManifestEntry.toLatin1(), v.manifestBytes},
                                                              {QByteArrayLiteral("capter"), v.capterBytes},
                                                              {QByteArrayLiteral("text"), textBytes}}));
        }

        if (pending) {
            BuildFiles::Volume& target = volumes[volumes.size() - (next ? 2 : 1)];
            auto jar = files.createTemporary(u"jar"_s);
            if (!jar)
                return std::unexpected(jar.error());
            target.jarTemporary = (*jar)->fileName();
            const auto jarSize = archive::writeJar(templateBytes, pending->packing, **jar, alive);
            if (!jarSize)
                return std::unexpected(jarSize.error());
            pending->packing.clear();
            pending->payload = payload::Volume();

            const auto manifest = archive::readEntry(**jar, kManifestEntry.toLatin1());
            (*jar)->close();
            if ((*jar)->error() != QFileDevice::NoError)
                return fail(u"无法写入文件："_s + native(target.jarTemporary));
            if (!manifest || *manifest != pending->manifestBytes)
                return fail(u"生成JAR包失败："_s + (manifest ? u"清单未写入"_s : manifest.error().message));

            QString jadText = pending->manifesttext;
            jadText += jadLines(*jarSize, pending->jarBase + u".jar"_s);
            auto jad = files.createTemporary(u"jad"_s);
            if (!jad)
                return std::unexpected(jad.error());
            target.jadTemporary = (*jad)->fileName();
            auto saved = savetoutf9(jadText, **jad);
            (*jad)->close();
            if (!saved)
                return std::unexpected(saved.error());
            if ((*jad)->error() != QFileDevice::NoError)
                return fail(u"无法写入文件："_s + native(target.jadTemporary));
        }
        pending = std::move(next);
    }

    // Every volume is complete: put them in place of the older files.
    if (auto committed = files.commit(volumes, jarName); !committed)
        return std::unexpected(committed.error());

    BuildReport report;
    for (const BuildFiles::Volume& v : volumes) {
        report.jarPaths.append(native(v.jar));
        report.jadPaths.append(native(v.jad));
    }
    report.bookFolder = native(bookFolder);
    if (volume == 0) {
        report.message = u"成功制做"_s + report.jarPaths.front();
    } else {
        report.message =
            u"成功制做"_s + bookFolderPath + settings.jarName + u"(0~"_s + QString::number(volume) + u").jar"_s;
    }

    if (message != settings.message)
        book.setMessage(message);
    book.clearAfterBuild();
    return report;
}

} // namespace vamo
