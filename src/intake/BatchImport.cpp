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

QString limitText(int limit) { return QStringLiteral("章节数量达到上限（%1）").arg(limit); }

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
        text += QLatin1Char('\n') + overCapacity.first() + QStringLiteral("：") + limitText(limit);
    } else if (overCapacity.size() > 1) {
        text += QLatin1Char('\n') + limitText(limit) + QStringLiteral("：") + overCapacity.first() +
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
    ImportOutcome out;
    out.limit = request.limit;
    const int room = request.room();
    const int n = static_cast<int>(request.files.size());
    out.overCapacity = request.files.mid(room);
    // Splitting: the files read, their chapters fitted in when all are read.
    QList<TxtChapters> read;
    QStringList readNames;

    for (int j = 0; j < room; ++j) {
        if (cancel && cancel->load()) {
            out.cancelled = true;
            break;
        }
        const QString& fileName = request.files.at(j);
        const QString path = request.folder + fileName;
        // A split file's chapters are counted once it is read: it shows its file name meanwhile.
        const QString name = importChapterName(request.splitChapters ? 0 : request.rule, fileName,
                                               request.existing + static_cast<int>(out.chapters.size()));

        const QFileInfo info(path);
        if (!info.exists()) {
            out.unread.append({fileName, QStringLiteral("文件不存在")});
            continue;
        }
        if (info.isDir()) {
            out.unread.append({fileName, QStringLiteral("不是TXT文件")});
            continue;
        }
        ImportProgress p;
        p.file = j;
        p.files = n;
        p.chapterName = name;
        p.estimate = estimateCharacters(info.size());
        p.fraction = out.fraction;
        if (progress)
            progress(p);

        auto text = readTxtFile(path, [&](const TxtProgress& t) {
            p.lines = t.lines;
            p.characters = t.characters;
            p.fraction = out.fraction = importFraction(j, n, t.characters, p.estimate);
            if (progress)
                progress(p);
        });
        if (!text) {
            out.unread.append({fileName, text.error().message});
            continue;
        }
        if (request.splitChapters) {
            auto file = textChapters(std::move(text->text), name);
            if (!file) {
                out.unread.append({fileName, file.error().message});
                continue;
            }
            read.append(std::move(*file));
            readNames.append(fileName);
            continue;
        }
        // Room for the CR LF that `save` adds, so that storing the text on
        // the user-interface thread copies nothing.
        if (text->text.capacity() < text->text.size() + 2)
            text->text.reserve(text->text.size() + 2);
        out.chapters.append({name, std::move(text->text)});
    }

    if (!read.isEmpty()) {
        const int free = std::max(0, request.limit - std::max(0, request.existing));
        auto plan = planChapters(read, true, free, request.limit);
        read.clear();
        if (!plan) {
            // Cannot happen: no more files were read than there is room for.
            for (const QString& fileName : readNames)
                out.unread.append({fileName, plan.error().message});
            return out;
        }
        out.chapters = std::move(plan->chapters);
        out.notice = std::move(plan->notice);
        for (Chapter& chapter : out.chapters) {
            if (chapter.text.capacity() < chapter.text.size() + 2)
                chapter.text.reserve(chapter.text.size() + 2);
        }
    }
    return out;
}

Result<int> applyImport(BookProject& book, const ImportRequest& request, ImportOutcome& outcome, bool clearExisting)
{
    return appendChapters(book, outcome.chapters, {request.limit, request.rule, clearExisting});
}

} // namespace vamo
