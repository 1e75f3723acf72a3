// SPDX-License-Identifier: GPL-3.0-or-later
#include "intake/BatchImport.h"

#include "intake/TxtFolder.h"
#include "model/Progress.h"
#include "text/TxtReader.h"

#include <QFileInfo>

#include <algorithm>

namespace vamo {

namespace {

// Files named one by one in the end message; the rest are counted.
constexpr qsizetype kNamedInMessage = 30;

double importFraction(int file, int files, qint64 characters, qint64 estimate)
{
    if (files <= 0)
        return 0;
    const double share = estimate > 0 ? static_cast<double>(characters) / static_cast<double>(estimate) : 1.0;
    return (file + share) / files;
}

// Room for the CR LF that `save` adds, so that storing the text on the
// user-interface thread copies nothing.
void leaveRoomForLineEnd(QString& text)
{
    if (text.capacity() < text.size() + 2)
        text.reserve(text.size() + 2);
}

// One import over its request: the files that fit, read one by one, then
// (splitting) their chapters fitted in.
class ImportRun {
public:
    ImportRun(const ImportRequest& request, const ImportProgressFn& progress, const std::atomic_bool* cancel)
        : m_request(request), m_progress(progress), m_cancel(cancel), m_files(static_cast<int>(request.files.size()))
    {
    }

    ImportOutcome run();

private:
    void importFile(int j);
    Result<TxtText> readText(int j, const QString& path, const QString& name, qint64 size);
    void fitSplitChapters();
    void report(const ImportProgress& p) const
    {
        if (m_progress)
            m_progress(p);
    }

    const ImportRequest& m_request;
    const ImportProgressFn& m_progress;
    const std::atomic_bool* m_cancel;
    const int m_files;
    ImportOutcome m_out;
    // Splitting: the files read, their chapters fitted in when all are read.
    QList<TxtChapters> m_read;
    QStringList m_readNames;
};

ImportOutcome ImportRun::run()
{
    m_out.limit = m_request.limit;
    const int room = m_request.room();
    m_out.overCapacity = m_request.files.mid(room);
    for (int j = 0; j < room; ++j) {
        if (m_cancel && m_cancel->load()) {
            m_out.cancelled = true;
            break;
        }
        importFile(j);
    }
    if (!m_read.isEmpty())
        fitSplitChapters();
    return std::move(m_out);
}

// File `j` of the request: its chapter, its chapters kept for the split, or
// the reason it is not imported.
void ImportRun::importFile(int j)
{
    const QString& fileName = m_request.files.at(j);
    const QString path = m_request.folder + fileName;
    // A split file's chapters are counted once it is read: it shows its file name meanwhile.
    const QString name = importChapterName(m_request.splitChapters ? 0 : m_request.rule, fileName,
                                           m_request.existing + static_cast<int>(m_out.chapters.size()));

    const QFileInfo info(path);
    if (!info.exists()) {
        m_out.unread.append({fileName, QStringLiteral("文件不存在")});
        return;
    }
    if (info.isDir()) {
        m_out.unread.append({fileName, QStringLiteral("不是TXT文件")});
        return;
    }
    auto text = readText(j, path, name, info.size());
    if (!text) {
        m_out.unread.append({fileName, text.error().message});
        return;
    }
    if (m_request.splitChapters) {
        auto file = textChapters(std::move(text->text), name, m_request.pattern, m_request.text);
        if (!file) {
            m_out.unread.append({fileName, file.error().message});
            return;
        }
        m_read.append(std::move(*file));
        m_readNames.append(fileName);
        return;
    }
    if (m_request.text.any()) {
        auto prepared = prepareText(std::move(text->text), m_request.text);
        if (!prepared) {
            m_out.unread.append({fileName, prepared.error().message});
            return;
        }
        text->text = std::move(*prepared);
    }
    leaveRoomForLineEnd(text->text);
    m_out.chapters.append({name, std::move(text->text)});
}

// Reads file `j` of `size` bytes, telling its turn and then its progress.
Result<TxtText> ImportRun::readText(int j, const QString& path, const QString& name, qint64 size)
{
    ImportProgress p;
    p.file = j;
    p.files = m_files;
    p.chapterName = name;
    p.estimate = estimateCharacters(size);
    p.fraction = m_out.fraction;
    report(p);
    return readTxtFile(path, [&](const TxtProgress& t) {
        p.lines = t.lines;
        p.characters = t.characters;
        p.fraction = m_out.fraction = importFraction(j, m_files, t.characters, p.estimate);
        report(p);
    });
}

void ImportRun::fitSplitChapters()
{
    const int free = std::max(0, m_request.limit - std::max(0, m_request.existing));
    auto plan = planChapters(m_read, true, free, m_request.limit);
    m_read.clear();
    if (!plan) {
        // Cannot happen: no more files were read than there is room for.
        for (const QString& fileName : m_readNames)
            m_out.unread.append({fileName, plan.error().message});
        return;
    }
    m_out.chapters = std::move(plan->chapters);
    m_out.notice = std::move(plan->notice);
    for (Chapter& chapter : m_out.chapters)
        leaveRoomForLineEnd(chapter.text);
}

} // namespace

QStringList namingRuleItems()
{
    return {QStringLiteral("txt文件名"), QStringLiteral("第?章"), QStringLiteral("第?节"), QStringLiteral("第?部"),
            QStringLiteral("第?页")};
}

int ImportRequest::room() const
{
    const int free = std::max(0, limit - std::max(0, existing));
    return std::min(free, static_cast<int>(files.size()));
}

QString importCountCaption(int file, int files) { return QStringLiteral("导入章数：%1/%2").arg(file + 1).arg(files); }

QString importNameCaption(const QString& name) { return QStringLiteral("章名：") + name; }

QString importEstimateCaption(qint64 estimate) { return QStringLiteral("【字数：%1】").arg(estimate); }

QString importReadingCaption(const ImportProgress& p)
{
    return QStringLiteral("进度") + percentText(p.fraction) +
           QStringLiteral(" 加载%1行 共%2字").arg(p.lines).arg(p.characters);
}

QString importFileDoneCaption(double fraction) { return QStringLiteral("进度：") + percentText(fraction); }

QString ImportOutcome::message() const
{
    if (unread.isEmpty() && overCapacity.isEmpty() && !cancelled)
        return notice;
    QString text = QStringLiteral("成功导入%1章，以下文件未导入：").arg(chapters.size());
    for (qsizetype i = 0; i < unread.size() && i < kNamedInMessage; ++i)
        text += QLatin1Char('\n') + unread.at(i).fileName + QStringLiteral("：") + unread.at(i).reason;
    if (unread.size() > kNamedInMessage)
        text += QStringLiteral("\n……另有%1个文件无法读取").arg(unread.size() - kNamedInMessage);
    if (overCapacity.size() == 1) {
        text += QLatin1Char('\n') + overCapacity.first() + QStringLiteral("：") + chapterLimitMessage(limit);
    } else if (overCapacity.size() > 1) {
        text += QLatin1Char('\n') + chapterLimitMessage(limit) + QStringLiteral("：") + overCapacity.first() +
                QStringLiteral(" 至 ") + overCapacity.last() + QStringLiteral(" 共%1个文件").arg(overCapacity.size());
    }
    if (cancelled)
        text += QStringLiteral("\n导入已中止");
    if (!notice.isEmpty())
        text += QLatin1Char('\n') + notice;
    return text;
}

ImportOutcome readImport(const ImportRequest& request, const ImportProgressFn& progress, const std::atomic_bool* cancel)
{
    return ImportRun(request, progress, cancel).run();
}

Result<int> applyImport(BookProject& book, const ImportRequest& request, ImportOutcome& outcome, bool clearExisting)
{
    return appendChapters(book, outcome.chapters, {request.limit, request.rule, clearExisting});
}

} // namespace vamo
