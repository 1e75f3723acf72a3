#include "intake/ChapterImport.h"

namespace vamo {

namespace {

Result<void> limitReached(int limit)
{
    return fail(QStringLiteral("章节数量达到上限(%1)").arg(limit));
}

} // namespace

Result<TxtChapters> textChapters(QString text, QString wholeName, const QString& pattern)
{
    auto split = splitChapters(text, pattern);
    if (!split)
        return std::unexpected(split.error());
    return TxtChapters{std::move(wholeName), std::move(text), std::move(*split)};
}

Result<TxtChapters> readTxtChapters(const QString& path, QString wholeName, const QString& pattern,
                                    const TxtProgressFn& progress)
{
    // A rule that cannot be used is told before a long file is read.
    if (auto ok = checkChapterPattern(pattern); !pattern.isEmpty() && !ok)
        return std::unexpected(ok.error());
    auto read = readTxtFile(path, progress);
    if (!read)
        return std::unexpected(read.error());
    return textChapters(std::move(read->text), std::move(wholeName), pattern);
}

Result<ChapterPlan> planChapters(const QList<TxtChapters>& files, bool split, int room, int limit)
{
    const auto splits = [split](const TxtChapters& f) { return split && f.split.isSplit(); };
    QList<qsizetype> counts;
    ChapterPlan plan;
    for (const TxtChapters& f : files) {
        counts.append(splits(f) ? f.split.chapters.size() : 1);
        plan.detected += static_cast<int>(counts.back());
    }
    const int group = mergeGroupSize(counts, std::max(0, room));
    if (group == 0)
        return std::unexpected(limitReached(limit).error());
    plan.groupSize = group;
    for (const TxtChapters& f : files) {
        plan.fileStarts.append(plan.chapters.size());
        plan.fileSplit.append(splits(f));
        if (!splits(f)) {
            plan.chapters.append(Chapter{f.wholeName, f.text});
            continue;
        }
        ChapterSplit s = f.split;
        mergeChapters(s, group);
        plan.chapters.append(chapterTexts(f.text, s));
    }
    if (group > 1)
        plan.notice = mergeNotice(plan.detected, room, group, static_cast<int>(plan.chapters.size()));
    return plan;
}

Result<void> appendChapters(BookProject& book, const QList<Chapter>& chapters, int limit)
{
    const int count = book.chapterCount();
    if (chapters.size() > limit - count || count + chapters.size() > BookProject::kChapterLimit)
        return limitReached(limit);
    for (const Chapter& c : chapters) {
        book.setNum(static_cast<qint16>(book.chapterCount()));
        if (auto saved = book.save(c.text); !saved)
            return saved;
        book.appendChapterName(c.name);
    }
    return {};
}

} // namespace vamo
