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
QString outputKey(const BookSettings& settings)
{
    const QString key = settings.bookName.trimmed() + QLatin1Char('/') + settings.jarName.trimmed();
    return fileNameCase() == Qt::CaseInsensitive ? key.toCaseFolded() : key;
}

// The run's refusals, before any book is made: a blank maker (emptied), an
// empty queue, a JAR name no file can have, a heading rule that cannot be
// used. A blank message becomes " " on the way, as the first build would
// make it.
Result<void> checkRun(BookSettings& settings, const QStringList& queue, const FolderBatchOptions& options)
{
    if (auto ok = checkMakerFilled(settings.maker); !ok) {
        emptyRefusedField(settings, ok.error());
        return failure(ok);
    }
    if (settings.message.trimmed().isEmpty())
        settings.message = QStringLiteral(" ");
    if (queue.isEmpty())
        return fail(QStringLiteral("该文件夹不存在txt文件！"));
    // Only the first book uses the typed JAR name (every build gives the
    // next one a dated name), but a name no file can have fails them all.
    if (auto ok = checkJarName(settings.jarName); !ok)
        return failure(ok);
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

// One folder run, book by book, each built from the chapters planned for
// it. A book that cannot be made is listed with its reason and the run goes
// on with the next.
class FolderRun {
public:
    FolderRun(const BookSettings& settings, const Clock& clock, const BuildEnvironment& env, const QString& folder,
              const QStringList& queue, const FolderBatchProgressFn& progress, const FolderBatchOptions& options)
        : m_settings(settings), m_clock(clock), m_env(env), m_dir(folderPath(folder)), m_queue(queue),
          m_progress(progress), m_options(options)
    {
        // One packer for the whole run: its threads are started once, not
        // per book.
        if (!m_env.packer)
            m_env.packer = &m_ownPacker.emplace();
    }

    FolderBatchReport run();
    // The settings as the books made leave them.
    [[nodiscard]] const BookSettings& settings() const { return m_settings; }
    [[nodiscard]] bool built() const { return m_built; }

private:
    Result<FolderBatchBook> makeBook(int i, const QString& file);
    Result<ChapterPlan> planBook(int i, const QString& path, const QString& chapterName);
    Result<TxtText> readText(int i, const QString& path);
    Result<BuildReport> buildBook(int i, const BookSnapshot& book);
    void notify(int i, const QString& stage, double fraction) const;

    BookSettings m_settings;
    const Clock& m_clock;
    std::optional<archive::Packer> m_ownPacker;
    BuildEnvironment m_env;
    const QString m_dir;
    const QStringList& m_queue;
    const FolderBatchProgressFn& m_progress;
    const FolderBatchOptions& m_options;
    QSet<QString> m_written; // outputKey() of every book made
    QString m_bookName;      // the book being made
    bool m_built = false;
};

FolderBatchReport FolderRun::run()
{
    FolderBatchReport report;
    report.saveFolder = m_settings.saveFolder;
    const int count = static_cast<int>(m_queue.size());
    for (int i = 0; i < count; ++i) {
        auto made = makeBook(i, m_queue.at(i));
        if (!made) {
            report.failed.append(m_bookName);
            report.reasons.append(made.error().message);
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
    BookSettings settings = m_settings;
    settings.bookName = bookName;

    if (auto ok = checkBookName(bookName); !ok)
        return failure(ok);
    const QString key = outputKey(settings);
    if (m_written.contains(key))
        return fail(QStringLiteral("与本次已制做的电子书同名，未覆盖"));
    auto plan = planBook(i, m_dir + file, chapterName);
    if (!plan)
        return failure(plan);
    QStringList names;
    QStringList texts;
    for (Chapter& chapter : plan->chapters) {
        names.append(std::move(chapter.name));
        texts.append(std::move(chapter.text));
    }
    plan->chapters.clear();
    const int chapters = static_cast<int>(names.size());
    auto built = buildBook(i, BookSnapshot(std::move(settings), std::move(names), std::move(texts)));
    if (!built)
        return failure(built);
    m_written.insert(key);
    // The next book gets a fresh dated JAR name.
    m_settings = settingsAfterBuild(m_settings, m_clock.now());
    return FolderBatchBook{bookName, chapters, plan->notice, built->jarPaths, built->jadPaths};
}

// The file's chapters: the whole text as one chapter, or with splitChapters
// the chapters detected in it, merged to fit the chapter limit (the plan's
// notice tells of such a merge).
Result<ChapterPlan> FolderRun::planBook(int i, const QString& path, const QString& chapterName)
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
        ChapterPlan whole;
        whole.chapters.append(Chapter{chapterName, std::move(text->text)});
        whole.detected = 1;
        return whole;
    }
    auto file = textChapters(std::move(text->text), chapterName, m_options.chapterPattern, m_options.text);
    if (!file)
        return failure(file);
    return planChapters({*file}, true, BookProject::kChapterLimit);
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

Result<BuildReport> FolderRun::buildBook(int i, const BookSnapshot& book)
{
    m_built = true;
    notify(i, kBuilding, 0);
    return BuildEbook(book, m_env, [&](double f) { notify(i, kBuilding, f); });
}

void FolderRun::notify(int i, const QString& stage, double fraction) const
{
    if (m_progress)
        m_progress(FolderBatchProgress{i, static_cast<int>(m_queue.size()), m_bookName, stage, fraction});
}

// Only the fields that differ.
FolderBatchChanges changesOf(const BookSettings& before, const BookSettings& after, bool built)
{
    FolderBatchChanges changes;
    if (after.maker != before.maker)
        changes.maker = after.maker;
    if (after.message != before.message)
        changes.message = after.message;
    if (after.jarName != before.jarName)
        changes.jarName = after.jarName;
    changes.built = built;
    return changes;
}

} // namespace

void FolderBatchChanges::applyTo(BookProject& book) const
{
    BookSettings settings = book.settings();
    settings.maker = maker.value_or(settings.maker);
    settings.message = message.value_or(settings.message);
    settings.jarName = jarName.value_or(settings.jarName);
    book.setSettings(settings);
    if (built)
        book.setBatchmode(1);
}

FolderBatchOutcome runFolderBatch(const BookSettings& settings, const Clock& clock, const BuildEnvironment& env,
                                  const QString& folder, const QStringList& queue,
                                  const FolderBatchProgressFn& progress, const FolderBatchOptions& options)
{
    BookSettings checked = settings;
    if (auto ok = checkRun(checked, queue, options); !ok)
        return {failure(ok), changesOf(settings, checked, false)};
    FolderRun run(checked, clock, env, folder, queue, progress, options);
    FolderBatchReport report = run.run();
    return {std::move(report), changesOf(settings, run.settings(), run.built())};
}

} // namespace vamo
