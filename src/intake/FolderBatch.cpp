#include "intake/FolderBatch.h"

#include "intake/ChapterImport.h"
#include "text/TxtReader.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QSet>

#include <algorithm>
#include <optional>

namespace vamo {

namespace {

const QString kReading = QStringLiteral("导入文件");
const QString kBuilding = QStringLiteral("打包进度");

// Characters a file name may not hold, in the order the make command tests.
const QString kForbidden = QStringLiteral("?*:/\\<>|\"");

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

std::optional<QChar> forbiddenIn(const QString& name)
{
    for (QChar c : name) {
        if (kForbidden.contains(c))
            return c;
    }
    return std::nullopt;
}

bool onlyDots(const QString& s)
{
    return !s.isEmpty() && std::all_of(s.begin(), s.end(), [](QChar c) { return c == QLatin1Char('.'); });
}

// Why a derived book name cannot name a book folder, or empty when it can.
QString bookNameProblem(const QString& name)
{
    const QString trimmed = trimSpaces(name);
    if (trimmed.isEmpty())
        return QStringLiteral("书名为空");
    if (auto c = forbiddenIn(name))
        return QStringLiteral("书名包涵非法字符(") + *c + QLatin1Char(')');
    if (onlyDots(trimmed))
        return QStringLiteral("书名包涵非法字符(.)");
    return {};
}

Result<void> checkJarName(const QString& jarName)
{
    const QString trimmed = trimSpaces(jarName);
    if (trimmed.isEmpty())
        return fail(QStringLiteral("jar包名为空"));
    if (auto c = forbiddenIn(jarName))
        return fail(QStringLiteral("jar包名包涵非法字符(") + *c + QLatin1Char(')'));
    return {};
}

// Book folder and JAR name as a key, to notice a book of this run that
// would overwrite one made before it.
QString outputKey(const BookProject& book)
{
    QString key = trimSpaces(book.settings().bookName) + QLatin1Char('/') + trimSpaces(book.settings().jarName);
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
    const QFileInfo info(folder);
    if (folder.isEmpty() || !info.isDir())
        return fail(QStringLiteral("文件夹不存在：") + QDir::toNativeSeparators(folder));
    if (!info.isReadable() || !info.isExecutable())
        return fail(QStringLiteral("无法读取文件夹：") + QDir::toNativeSeparators(folder));

    // Windows' own listing leaves out files marked hidden; elsewhere a name
    // starting with a dot is an ordinary entry here (".txt" ends the list).
    QDir::Filters filters = QDir::Files | QDir::Dirs | QDir::System | QDir::NoDotAndDotDot;
#ifndef Q_OS_WIN
    filters |= QDir::Hidden;
#endif
    QStringList names;
    QDirIterator it(folder, {QStringLiteral("*.txt")}, filters);
    while (it.hasNext()) {
        it.next();
        const QString name = it.fileName();
        if (trimSpaces(name).size() <= 4)
            break;
        if (!it.fileInfo().isDir())
            names.append(name);
    }
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

QString batchChapterName(const QString& fileName)
{
    return fileName.left(std::max<qsizetype>(0, fileName.size() - 4));
}

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

    if (trimSpaces(book.settings().maker).isEmpty()) {
        book.setMaker(QString());
        return fail(QStringLiteral("制作名为空"));
    }
    if (trimSpaces(book.settings().message).isEmpty())
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

    FolderBatchReport report;
    report.saveFolder = book.settings().saveFolder;
    QSet<QString> written;
    const int count = static_cast<int>(queue.size());

    for (int i = 0; i < count; ++i) {
        const QString& file = queue.at(i);
        const QString chapterName = batchChapterName(file);
        const QString bookName = batchBookName(file);

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

        if (const QString problem = bookNameProblem(bookName); !problem.isEmpty()) {
            failBook(problem);
            continue;
        }
        if (written.contains(outputKey(book))) {
            failBook(QStringLiteral("与本次已制做的电子书同名，未覆盖"));
            continue;
        }

        const QString path = dir + file;
        const QFileInfo info(path);
        if (!info.exists() || info.isDir()) {
            failBook(QStringLiteral("文件不存在：") + path);
            continue;
        }
        const qint64 expected = estimateCharacters(info.size());
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
        auto built = BuildEbook(book, env, [&](double f) { notify(kBuilding, f); });
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
