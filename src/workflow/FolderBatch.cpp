// SPDX-License-Identifier: GPL-3.0-or-later
#include "workflow/FolderBatch.h"

#include "intake/ChapterImport.h"
#include "model/Progress.h"
#include "packaging/Archive.h"
#include "packaging/MakeChecks.h"
#include "text/FileNames.h"
#include "text/TxtReader.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>

namespace vamo {

namespace {

const QString kReading = QStringLiteral("导入文件");
const QString kBuilding = QStringLiteral("打包进度");

// Book folder and JAR name as a key, to notice a book of this run that
// would overwrite one made before it.
QString outputKey(const BookProject& book)
{
    const QString key = book.settings().bookName.trimmed() + QLatin1Char('/') + book.settings().jarName.trimmed();
    return fileNameCase() == Qt::CaseInsensitive ? key.toCaseFolded() : key;
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

// The run's refusals, before any book is made: a blank maker (emptied), an
// empty queue, a JAR name no file can have, a heading rule that cannot be
// used. A blank message becomes " " on the way, as the first build would
// make it.
Result<void> checkRun(BookProject& book, const QStringList& queue, const FolderBatchOptions& options)
{
    if (auto ok = checkMakerFilled(book.settings().maker); !ok) {
        emptyRefusedField(book, ok.error());
        return std::unexpected(ok.error().error());
    }
    if (book.settings().message.trimmed().isEmpty())
        book.setMessage(QStringLiteral(" "));
    if (queue.isEmpty())
        return fail(QStringLiteral("该文件夹不存在txt文件！"));
    // Only the first book uses the typed JAR name (every build gives the
    // next one a dated name), but a name no file can have fails them all.
    if (auto ok = checkJarName(book.settings().jarName); !ok)
        return std::unexpected(ok.error().error());
    if (options.splitChapters && !options.chapterPattern.isEmpty()) {
        if (auto ok = checkChapterPattern(options.chapterPattern); !ok)
            return failure(ok);
    }
    return {};
}

// The message shown at the end: how many books were made, the ones that
// were not and why, and the books whose chapters had to be merged.
QString runMessage(const FolderBatchReport& report, int count)
{
    QString message;
    if (report.failed.isEmpty()) {
        message = QStringLiteral("成功制做%1本书").arg(count);
    } else {
        message = QStringLiteral("成功制做%1本书，以下书籍未能制做：").arg(report.made);
        for (qsizetype k = 0; k < report.failed.size(); ++k)
            message += QLatin1Char('\n') + report.failed.at(k) + QStringLiteral("：") + report.reasons.at(k);
    }
    for (const FolderBatchBook& made : report.books) {
        if (!made.notice.isEmpty())
            message += QLatin1Char('\n') + made.bookName + QStringLiteral("：") + made.notice;
    }
    return message;
}

// One folder run, book by book. A book that cannot be made is listed with
// its reason and the run goes on with the next.
class FolderRun {
public:
    FolderRun(BookProject& book, const BuildEnvironment& env, const QString& folder, const QStringList& queue,
              const FolderBatchProgressFn& progress, const FolderBatchOptions& options)
        : m_book(book), m_env(env), m_dir(folderPath(folder)), m_queue(queue), m_progress(progress), m_options(options)
    {
        // One packer for the whole run: its threads are started once, not
        // per book.
        if (!m_env.packer)
            m_env.packer = &m_ownPacker.emplace();
    }

    FolderBatchReport run();

private:
    Result<FolderBatchBook> makeBook(int i, const QString& file);
    Result<QString> loadChapters(int i, const QString& path, const QString& chapterName);
    Result<TxtText> readText(int i, const QString& path);
    Result<BuildReport> buildBook(int i);
    void notify(int i, const QString& stage, double fraction) const;

    BookProject& m_book;
    std::optional<archive::Packer> m_ownPacker;
    BuildEnvironment m_env;
    const QString m_dir;
    const QStringList& m_queue;
    const FolderBatchProgressFn& m_progress;
    const FolderBatchOptions& m_options;
    QSet<QString> m_written; // outputKey() of every book made
    QString m_bookName;      // the book being made
};

FolderBatchReport FolderRun::run()
{
    FolderBatchReport report;
    report.saveFolder = m_book.settings().saveFolder;
    const int count = static_cast<int>(m_queue.size());
    for (int i = 0; i < count; ++i) {
        auto made = makeBook(i, m_queue.at(i));
        if (!made) {
            report.failed.append(m_bookName);
            report.reasons.append(made.error().message);
            dropBook(m_book);
            continue;
        }
        ++report.made;
        report.jarPaths.append(made->jarPaths);
        report.jadPaths.append(made->jadPaths);
        report.books.append(std::move(*made));
    }
    report.message = runMessage(report, count);
    return report;
}

// The book of queue entry `i`: its names, its chapters, its build.
Result<FolderBatchBook> FolderRun::makeBook(int i, const QString& file)
{
    // A name that is not valid UTF-8 gives the names it shows.
    const QString shownFile = displayFileName(file);
    const QString chapterName = batchChapterName(shownFile);
    const QString bookName = batchBookName(shownFile);
    m_bookName = bookName;

    // The book is its one chapter; nothing from before the run or from an
    // earlier book may stay in slot 0 and be built under this name.
    m_book.clearChapterNames();
    m_book.setNum(0);
    (void)m_book.setChaptertext(0, QString());
    m_book.appendChapterName(chapterName);
    m_book.setBookName(bookName);

    if (auto ok = checkBookName(bookName); !ok)
        return std::unexpected(ok.error().error());
    if (m_written.contains(outputKey(m_book)))
        return fail(QStringLiteral("与本次已制做的电子书同名，未覆盖"));
    auto notice = loadChapters(i, m_dir + file, chapterName);
    if (!notice)
        return failure(notice);
    const int chapters = m_book.chapterCount();
    const QString key = outputKey(m_book);
    auto built = buildBook(i);
    if (!built)
        return failure(built);
    m_written.insert(key);
    return FolderBatchBook{bookName, chapters, *notice, built->jarPaths, built->jadPaths};
}

// The file's text into the book: one chapter, or with splitChapters the
// chapters detected in it, merged to fit the chapter limit. Returns the
// notice of such a merge, empty without one.
Result<QString> FolderRun::loadChapters(int i, const QString& path, const QString& chapterName)
{
    auto text = readText(i, path);
    if (!text)
        return failure(text);
    if (!m_options.splitChapters) {
        if (m_options.text.any()) {
            auto prepared = prepareText(std::move(text->text), m_options.text, m_options.chapterPattern);
            if (!prepared)
                return failure(prepared);
            text->text = std::move(*prepared);
        }
        m_book.setNum(0);
        if (auto saved = m_book.save(std::move(text->text)); !saved)
            return failure(saved);
        return QString();
    }
    auto file = textChapters(std::move(text->text), chapterName, m_options.chapterPattern, m_options.text);
    if (!file)
        return failure(file);
    auto plan = planChapters({*file}, true, BookProject::kChapterLimit);
    file = Result<TxtChapters>(); // the plan holds the chapters' texts from here
    if (!plan)
        return failure(plan);
    m_book.clearChapterNames();
    if (auto saved = appendChapters(m_book, plan->chapters); !saved)
        return failure(saved);
    return plan->notice;
}

Result<TxtText> FolderRun::readText(int i, const QString& path)
{
    const std::optional<FileStatus> status = fileStatus(path);
    if (!status || status->kind == FileKind::Directory)
        return fail(QStringLiteral("文件不存在：") + displayFileName(path));
    // A FIFO or device is refused by the reader without being waited on.
    const qint64 expected = estimateCharacters(status->size);
    notify(i, kReading, 0);
    return readTxtFile(path, [&](const TxtProgress& p) { notify(i, kReading, shownFraction(p.characters, expected)); });
}

// Builds the book as the project holds it and, once it is made, clears the
// project for the next one (a fresh dated JAR name among it).
Result<BuildReport> FolderRun::buildBook(int i)
{
    m_book.setBatchmode(1);
    notify(i, kBuilding, 0);
    auto built = BuildEbook(BookSnapshot(m_book), m_env, [&](double f) { notify(i, kBuilding, f); });
    if (built)
        clearForNextBook(m_book);
    return built;
}

void FolderRun::notify(int i, const QString& stage, double fraction) const
{
    if (m_progress)
        m_progress(FolderBatchProgress{i, static_cast<int>(m_queue.size()), m_bookName, stage, fraction});
}

} // namespace

Result<FolderBatchReport> runFolderBatch(BookProject& book, const BuildEnvironment& env, const QString& folder,
                                         const QStringList& queue, const FolderBatchProgressFn& progress,
                                         const FolderBatchOptions& options)
{
    if (auto ok = checkRun(book, queue, options); !ok)
        return failure(ok);
    FolderRun run(book, env, folder, queue, progress, options);
    return run.run();
}

} // namespace vamo
