// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/FolderBatch.h"

#include "intake/ChapterImport.h"
#include "packaging/Archive.h"
#include "packaging/MakeChecks.h"
#include "text/FileNames.h"
#include "text/TxtReader.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>

#ifndef Q_OS_WIN
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vamo {

namespace {

const QString kReading = QStringLiteral("导入文件");
const QString kBuilding = QStringLiteral("打包进度");

// The listing rule trims spaces only.
QString trimSpaces(const QString& s)
{
    qsizetype b = 0;
    qsizetype e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

// Book folder and JAR name as a key, to notice a book of this run that
// would overwrite one made before it.
QString outputKey(const BookProject& book)
{
    QString key = book.settings().bookName.trimmed() + QLatin1Char('/') + book.settings().jarName.trimmed();
#ifdef Q_OS_WIN
    key = key.toCaseFolded();
#endif
    return key;
}

// Leaves the project as a finished build leaves it, minus the new JAR name:
// no chapter, no text in slot 0, no book name.
void dropBook(BookProject& book)
{
    for (int slot = 0; slot < std::max(1, book.chapterCount()); ++slot)
        (void)book.setChaptertext(slot, QString());
    book.clearChapterNames();
    book.setBookName(QString());
    book.setNum(0);
}

} // namespace

Result<QStringList> listTxtFolder(const QString& folder)
{
    const std::optional<FileStatus> status = folder.isEmpty() ? std::nullopt : fileStatus(folder);
    if (!status || status->kind != FileKind::Directory)
        return fail(QStringLiteral("文件夹不存在：") + QDir::toNativeSeparators(displayFileName(folder)));
#ifdef Q_OS_WIN
    const QFileInfo info(folder);
    const bool readable = info.isReadable() && info.isExecutable();
#else
    const bool readable = ::access(encodeFileName(folder).constData(), R_OK | X_OK) == 0;
#endif
    if (!readable)
        return fail(QStringLiteral("无法读取文件夹：") + QDir::toNativeSeparators(displayFileName(folder)));

    QStringList names;
    // A name shorter than five characters (spaces trimmed) ends the listing.
    auto ends = [](const QString& name) { return trimSpaces(name).size() <= 4; };
#ifdef Q_OS_WIN
    // Windows' own listing leaves out files marked hidden.
    QDirIterator it(folder, {QStringLiteral("*.txt")}, QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (ends(name))
            break;
        if (!it.fileInfo().isDir())
            names.append(name);
    }
#else
    // The folder's own bytes, so that a name that is not valid UTF-8 is
    // listed as a name that opens (see FileNames.h). A name starting with a
    // dot is an ordinary entry here (".txt" ends the list); FIFOs and
    // devices are listed and refused when their book is made.
    DIR* dir = ::opendir(encodeFileName(folder).constData());
    if (!dir)
        return fail(QStringLiteral("无法读取文件夹：") + QDir::toNativeSeparators(displayFileName(folder)));
    while (const dirent* e = ::readdir(dir)) {
        const QByteArrayView raw(e->d_name);
        if (raw == "." || raw == ".." || raw.size() < 4 || !raw.last(4).toByteArray().toLower().endsWith(".txt"))
            continue;
        const QString name = decodeFileName(raw);
        if (ends(displayFileName(name)))
            break;
        struct stat st {};
        if (::fstatat(::dirfd(dir), e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode))
            continue;
        names.append(name);
    }
    ::closedir(dir);
#endif
    return names;
}

QString folderPath(const QString& folder)
{
    QString f = QDir::toNativeSeparators(folder);
    if (f.isEmpty())
        return f;
    while (f.size() > 1 && f.endsWith(QDir::separator()) && f.at(f.size() - 2) == QDir::separator())
        f.chop(1);
    if (!f.endsWith(QDir::separator()))
        f += QDir::separator();
    return f;
}

QString batchChapterName(const QString& fileName) { return fileName.left(std::max<qsizetype>(0, fileName.size() - 4)); }

QString batchBookName(const QString& fileName)
{
    QString name = batchChapterName(fileName);
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    return name;
}

Result<FolderBatchReport> runFolderBatch(BookProject& book, const BuildEnvironment& env, const QString& folder,
                                         const QStringList& queue, const FolderBatchProgressFn& progress,
                                         const FolderBatchOptions& options)
{
    const QString dir = folderPath(folder);

    if (book.settings().maker.trimmed().isEmpty()) {
        book.setMaker(QString());
        return fail(QStringLiteral("制作名为空"));
    }
    if (book.settings().message.trimmed().isEmpty())
        book.setMessage(QStringLiteral(" "));
    if (queue.isEmpty())
        return fail(QStringLiteral("该文件夹不存在txt文件！"));
    // Only the first book uses the typed JAR name (every build gives the
    // next one a dated name), but a name no file can have fails them all.
    if (auto ok = checkJarName(book.settings().jarName); !ok)
        return std::unexpected(ok.error());
    if (options.splitChapters && !options.chapterPattern.isEmpty()) {
        if (auto ok = checkChapterPattern(options.chapterPattern); !ok)
            return std::unexpected(ok.error());
    }

    // One packer for the whole run: its threads are started once, not per
    // book.
    std::optional<archive::Packer> ownPacker;
    BuildEnvironment batchEnv = env;
    if (!batchEnv.packer)
        batchEnv.packer = &ownPacker.emplace();

    FolderBatchReport report;
    report.saveFolder = book.settings().saveFolder;
    QSet<QString> written;
    const int count = static_cast<int>(queue.size());

    for (int i = 0; i < count; ++i) {
        const QString& file = queue.at(i);
        // A name that is not valid UTF-8 gives the names it shows.
        const QString shownFile = displayFileName(file);
        const QString chapterName = batchChapterName(shownFile);
        const QString bookName = batchBookName(shownFile);

        // The book is its one chapter; nothing from before the run or from
        // an earlier book may stay in slot 0 and be built under this name.
        book.clearChapterNames();
        book.setNum(0);
        (void)book.setChaptertext(0, QString());
        book.appendChapterName(chapterName);
        book.setBookName(bookName);

        auto failBook = [&](const QString& reason) {
            report.failed.append(bookName);
            report.reasons.append(reason);
            dropBook(book);
        };
        auto notify = [&](const QString& stage, double fraction) {
            if (progress)
                progress(FolderBatchProgress{i, count, bookName, stage, fraction});
        };

        if (auto ok = checkBookName(bookName); !ok) {
            failBook(ok.error().message);
            continue;
        }
        if (written.contains(outputKey(book))) {
            failBook(QStringLiteral("与本次已制做的电子书同名，未覆盖"));
            continue;
        }

        const QString path = dir + file;
        const std::optional<FileStatus> status = fileStatus(path);
        if (!status || status->kind == FileKind::Directory) {
            failBook(QStringLiteral("文件不存在：") + displayFileName(path));
            continue;
        }
        // A FIFO or device is refused by the reader without being waited on.
        const qint64 expected = estimateCharacters(status->size);
        notify(kReading, 0);
        auto text = readTxtFile(path, [&](const TxtProgress& p) {
            double r = expected > 0 ? static_cast<double>(p.characters) / static_cast<double>(expected) : 1.0;
            if (r > 1)
                r = 0.99;
            notify(kReading, r);
        });
        if (!text) {
            failBook(text.error().message);
            continue;
        }
        QString notice;
        if (options.splitChapters) {
            auto file = textChapters(std::move(text->text), chapterName, options.chapterPattern);
            if (!file) {
                failBook(file.error().message);
                continue;
            }
            auto plan = planChapters({*file}, true, BookProject::kChapterLimit);
            file = Result<TxtChapters>(); // the plan holds the chapters' texts from here
            if (!plan) {
                failBook(plan.error().message);
                continue;
            }
            book.clearChapterNames();
            if (auto saved = appendChapters(book, plan->chapters); !saved) {
                failBook(saved.error().message);
                continue;
            }
            notice = plan->notice;
        } else {
            book.setNum(0);
            if (auto saved = book.save(text->text); !saved) {
                failBook(saved.error().message);
                continue;
            }
            text->text = QString(); // the project holds the only copy from here
        }
        const int chapters = book.chapterCount();

        const QString key = outputKey(book);
        book.setBatchmode(1);
        notify(kBuilding, 0);
        auto built = BuildEbook(book, batchEnv, [&](double f) { notify(kBuilding, f); });
        if (!built) {
            failBook(built.error().message);
            continue;
        }
        written.insert(key);
        ++report.made;
        report.jarPaths.append(built->jarPaths);
        report.jadPaths.append(built->jadPaths);
        report.books.append(FolderBatchBook{bookName, chapters, notice, built->jarPaths, built->jadPaths});
    }

    if (report.failed.isEmpty()) {
        report.message = QStringLiteral("成功制做%1本书").arg(count);
    } else {
        report.message = QStringLiteral("成功制做%1本书，以下书籍未能制做：").arg(report.made);
        for (qsizetype k = 0; k < report.failed.size(); ++k)
            report.message += QLatin1Char('\n') + report.failed.at(k) + QStringLiteral("：") + report.reasons.at(k);
    }
    // A book whose chapters had to be merged says so.
    for (const FolderBatchBook& made : report.books) {
        if (!made.notice.isEmpty())
            report.message += QLatin1Char('\n') + made.bookName + QStringLiteral("：") + made.notice;
    }
    return report;
}

} // namespace vamo
